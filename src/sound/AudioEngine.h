#pragma once
// The program's own sound output: the key sounds of the current scheme, decoded once, played
// through the default output device in WASAPI shared mode by a thread of its own. A key sound
// starts in the device's next period; a sound still playing fades out under it.
//
// The stream runs only while sounds come: half a second after the last one has ended it is
// released (a stopped stream still wakes the process hundreds of times a second), and a fresh
// one, initialised but not started, waits for the next key.
#include "UniqueHandle_win.h"
#include "WaveFile.h"

#include <array>
#include <atomic>
#include <cstddef>
#include <memory>
#include <mutex>

// The decoded sounds of a scheme, one per key type; a null one is silent.
using SchemeWaves = std::array<std::shared_ptr<const WaveData>, 16>;

class TAudioEngine {
public:
    // Starts the output thread, which opens the default device and prepares a stream.
    TAudioEngine();
    ~TAudioEngine();
    TAudioEngine(const TAudioEngine&) = delete;
    TAudioEngine& operator=(const TAudioEngine&) = delete;

    // False while there is no output device, or another program holds it for itself: the
    // caller plays through the platform's player then. Asking also has the engine look for a
    // device again (at most four times a second).
    bool Available();
    // The sounds that key types play from now on; converted to the device's format once, on
    // the output thread.
    void SetSounds(std::shared_ptr<const SchemeWaves> sounds);
    void Play(int keyType);
    // A sound that is not one of the scheme's (Test Sound).
    void Play(std::shared_ptr<const WaveData> wave);

    // What the output thread shares with the rest of the program.
    struct Shared {
        std::mutex Lock;
        // Under Lock: the latest request; a newer key replaces an older one not yet taken.
        bool PlayPending = false;
        int PlayType = -1;
        std::shared_ptr<const WaveData> PlayWave;
        std::shared_ptr<const SchemeWaves> NewSounds;
        bool RetryAsked = false;

        std::atomic<bool> Quit{false};
        std::atomic<bool> DeviceChanged{false};
        std::atomic<bool> Unavailable{false};
        UniqueKernelHandle Wake; // auto-reset: a request, a device change or the end
    };

private:
    void Poke();

    std::shared_ptr<Shared> FShared;
    UniqueKernelHandle FThread;
};
