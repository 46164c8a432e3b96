#include "KeySound.h"

#include "PubFunction.h"

#include <windows.h>
#include <mmsystem.h>

void PlayKeySound(const std::string& programDir, const std::string& currentScheme,
                  const TMySchemeInfo& scheme, unsigned virtualKey) {
    // Typing bursts queue key messages behind this call: the path is built in a buffer that
    // keeps its capacity, so a key press normally allocates nothing.
    thread_local std::string path;
    AssignKeySoundPath(path, programDir, currentScheme, scheme.SoundRef(KeyTypeOf(virtualKey)));
    PlaySoundFile(path);
}

namespace {

// 10 ms of silence in the format of the system scheme's sounds (mono, 16-bit, 44100 Hz).
// Static, because the asynchronous player reads it after the call has returned.
constexpr unsigned kSilentBytes = 882;
struct SilentWave {
    unsigned char Bytes[44 + kSilentBytes] = {};
    constexpr SilentWave() {
        const unsigned char header[44] = {
            'R',  'I', 'F', 'F', 0,  0, 0,   0,   'W', 'A',  'V',  'E', 'f', 'm',  't',
            ' ',  16,  0,   0,   0,  1, 0,   1,   0,   0x44, 0xAC, 0,   0,   0x88, 0x58,
            0x01, 0,   2,   0,   16, 0, 'd', 'a', 't', 'a',  0,    0,   0,   0};
        for (unsigned i = 0; i < 44; ++i)
            Bytes[i] = header[i];
        for (unsigned i = 0; i < 4; ++i) {
            Bytes[4 + i] = static_cast<unsigned char>((36 + kSilentBytes) >> (8 * i));
            Bytes[40 + i] = static_cast<unsigned char>(kSilentBytes >> (8 * i));
        }
    }
};
constexpr SilentWave kSilentWave;

} // namespace

void PrimeSoundOutput() noexcept {
    PlaySoundA(reinterpret_cast<const char*>(kSilentWave.Bytes), nullptr,
               SND_MEMORY | SND_ASYNC | SND_NODEFAULT);
}
