#pragma once
// The sound path of a key message: in sound mode every key press plays the active scheme's
// sound for the key's type from the current scheme's folder.
#include "PubClassUnit.h"

#include <string>

// Runs once per key press on the UI thread; the mode check ("TTS") is the caller's.
void PlayKeySound(const std::string& programDir, const std::string& currentScheme,
                  const TMySchemeInfo& scheme, unsigned virtualKey);

// Brings up the process's audio output with a short silent sound, without waiting for it, so
// that the first key is heard as soon as every later one: the first play call of a process
// opens the whole audio path, which takes tens of milliseconds.
void PrimeSoundOutput() noexcept;
