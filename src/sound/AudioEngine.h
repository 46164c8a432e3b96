#pragma once
// The program's own sound output: the key sounds of the current scheme, played through the
// default output device in WASAPI shared mode by a thread of its own. A key sound starts in
// the device's next period, on a stream of its own while the sounds before it play on theirs
// (four streams; with all four playing, one of them is restarted with the new sound mixed in).
//
//   TAudioEngine engine;               // starts the output thread, which opens the device
//   engine.SetSounds(scheme);          // whenever a scheme becomes current
//   if (engine.Available()) engine.Play(sound, gains); else PlaySound(...);
//
// Sounds are converted for the device off the output thread: on the caller's thread, or on a
// pool thread when a device of another format comes. A stream runs only while its sounds
// play: once it has played out (half a second at the latest) it is released, or, while others
// play, stopped and kept for a next key. Fresh ones, initialised but not started, are made
// while nothing plays and wait for the next keys.
#include "Mixer.h"
#include "UniqueHandle_win.h"

#include <memory>
#include <string>
#include <vector>

struct WaveData;
// The decoded sounds of a scheme, numbered as the key path asks for them; a null one is silent.
using SchemeWaves = std::vector<std::shared_ptr<const WaveData>>;

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
    // The sounds that Play's numbers stand for from now on.
    void SetSounds(std::shared_ptr<const SchemeWaves> sounds);
    // Sound `index` of the last SetSounds, `semitones` higher (resampled as it plays, on the
    // output thread); keys that come together all sound.
    void Play(int index, VoiceGains gains = {}, double semitones = 0);
    // A sound that is not one of the scheme's (Test Sound); converted on the caller's thread.
    void Play(const WaveData& wave, VoiceGains gains = {});
    // The output device by its endpoint ID; empty follows the system's default device. A
    // device that is absent leaves the default playing until it comes back.
    void SetDevice(const std::wstring& id);

private:
    void Poke();

    std::shared_ptr<AudioShared> FShared;
    UniqueKernelHandle FThread;
};
