#pragma once
// The sound path of a key message: in sound mode every key press plays the active scheme's
// sound for the key's type from the current scheme's folder, or the key's own sound when the
// scheme has one for the key's place; a release plays the key's or its type's release sound.
//
// The sounds go through the program's own engine (AudioEngine.h) once StartSoundOutput has
// started it, and through the platform's player (PlaySound) otherwise: before that, when the
// environment says TAPPOLO_AUDIO=winmm, for files the engine does not decode (".mid", wave
// codecs such as ADPCM or GSM, a file missing when the scheme was loaded), and while the
// engine has no device it can use.
#include "PubClassUnit.h"
#include "SchemeKeySounds.h"
#include "SoundOptions.h"

#include <optional>
#include <string>

// What the hook told of a key beyond its virtual-key code.
struct KeyEvent {
    std::optional<KeyPlace> Place; // none: the key plays its type's sounds
    bool Release = false;
};

// Starts the output the environment asks for (TAPPOLO_AUDIO: "winmm" for the platform's
// player, anything else for the engine) and brings it up without waiting, so that the first
// key is heard as soon as every later one. Call once at start-up, before the first key.
void StartSoundOutput() noexcept;
// Ends the engine's thread and releases the device; later keys take the platform's player.
void StopSoundOutput() noexcept;

// Decodes the scheme's sounds (the current scheme's folder: the sixteen names of `scheme`, and
// what its per-key record names) and hands them to the engine: called whenever a scheme
// becomes current. A key type whose file
// is missing or undecodable is left to the platform's player. Nothing in speech mode.
void LoadSchemeSounds(const std::string& programDir, const std::string& currentScheme,
                      const TMySchemeInfo& scheme);

// Runs once per key press and release on the UI thread; the mode check ("TTS") is the
// caller's. Releases sound only through the engine.
void PlayKeySound(const std::string& programDir, const std::string& currentScheme,
                  const TMySchemeInfo& scheme, unsigned virtualKey, const KeyEvent& event = {});

// The sound options the key sounds play with (volume, stereo, pitch, release sounds, the
// device): set at start-up and whenever they change (the Sound Options dialog, while it is
// open too, and the tray menu's Volume). UI thread only.
void SetSoundOptions(const TSoundOptions& options);
const TSoundOptions& CurrentSoundOptions();
// False while every sound goes through the platform's player (TAPPOLO_AUDIO=winmm, or no
// engine could be made): the volume and the other options do not reach that player.
bool EngineOutputInUse() noexcept;

// Plays one sound file now, as a key would (the Scheme Set dialog's Test Sound).
void PlayTestSound(const std::string& path);

// True once, the first time a sound the engine would have played went to the platform's
// player because the engine had no device it could use: the user is told then.
bool TakeSoundFallbackNotice() noexcept;

// The memory the decoded sounds take: the files' samples and the engine's copies of them in
// the device's format (the latter as converted for a 48 kHz stereo float device).
size_t DecodedSoundBytes(const std::string& programDir, const std::string& currentScheme,
                         const TMySchemeInfo& scheme);
