#pragma once
// The program's own sound output: the key sounds of the current scheme, played through the
// default output device in WASAPI shared mode by a thread of its own. A key sound starts in
// the device's next period; a sound still playing fades out under it.
//
//   TAudioEngine engine;               // starts the output thread, which opens the device
//   engine.SetSounds(scheme);          // whenever a scheme becomes current
//   if (engine.Available()) engine.Play(keyType); else PlaySound(...);
//
// Sounds are converted for the device off the output thread: on the caller's thread, or on a
// pool thread when a device of another format comes. The stream runs only while sounds come:
// once it has played out (half a second at the latest) it is released, and a fresh one,
// initialised but not started, waits for the next key.
#include "UniqueHandle_win.h"

#include <array>
#include <memory>

struct WaveData;
// The decoded sounds of a scheme, one per key type; a null one is silent.
using SchemeWaves = std::array<std::shared_ptr<const WaveData>, 16>;

// What the output thread shares with the rest of the program.
struct AudioShared;

class TAudioEngine {
public:
    TAudioEngine();
    ~TAudioEngine();
    TAudioEngine(const TAudioEngine&) = delete;
    TAudioEngine& operator=(const TAudioEngine&) = delete;

    // False while there is no output device, or it cannot be used (another program holds it
    // for itself, a mix format the engine does not write): the caller plays through the
    // platform's player then. Asking also has the engine try again (at most four times a
    // second).
    bool Available();
    // The sounds that key types play from now on.
    void SetSounds(std::shared_ptr<const SchemeWaves> sounds);
    void Play(int keyType);
    // A sound that is not one of the scheme's (Test Sound); converted on the caller's thread.
    void Play(const WaveData& wave);

private:
    void Poke();

    std::shared_ptr<AudioShared> FShared;
    UniqueKernelHandle FThread;
};
