#include "KeySound.h"

#include "PubFunction.h"

void PlayKeySound(const std::string& programDir, const std::string& currentScheme,
                  const TMySchemeInfo& scheme, unsigned virtualKey) {
    // Typing bursts queue key messages behind this call: the path is built in a buffer that
    // keeps its capacity, so a key press normally allocates nothing.
    thread_local std::string path;
    AssignKeySoundPath(path, programDir, currentScheme, scheme.SoundRef(KeyTypeOf(virtualKey)));
    PlaySoundFile(path);
}
