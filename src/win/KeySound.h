#pragma once
// The sound path of a key message: in sound mode every key press plays the active scheme's
// sound for the key's type from the current scheme's folder.
#include "PubClassUnit.h"

#include <string>

// Runs once per key press on the UI thread; the mode check ("TTS") is the caller's.
void PlayKeySound(const std::string& programDir, const std::string& currentScheme,
                  const TMySchemeInfo& scheme, unsigned virtualKey);
