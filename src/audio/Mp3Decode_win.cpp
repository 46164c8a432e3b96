#include "Mp3Decode.h"

#include "Exception.h"
#include "Mp3Frames.h"
#include "UniqueHandle_win.h"

#include <algorithm>
#include <mmsystem.h>
// mmsystem.h before these two: the lean windows.h leaves it out.
#include <mmreg.h>
#include <msacm.h>

namespace {

struct CloseAcmStream {
    void operator()(HACMSTREAM stream) const noexcept { acmStreamClose(stream, 0); }
};
using UniqueAcmStream = UniqueHandle<HACMSTREAM, CloseAcmStream>;

} // namespace

WaveData DecodeMp3(std::span<const uint8_t> bytes, uint64_t maxMs) {
    Mp3FrameInfo frame;
    if (!FindFirstMp3Frame(bytes, frame)) {
        throw Exception("Not an MP3 file");
    }
    MPEGLAYER3WAVEFORMAT source{};
    source.wfx.wFormatTag = WAVE_FORMAT_MPEGLAYER3;
    source.wfx.nChannels = frame.channels;
    source.wfx.nSamplesPerSec = frame.sampleRate;
    source.wfx.nAvgBytesPerSec = frame.bitRate / 8;
    source.wfx.nBlockAlign = 1;
    source.wfx.wBitsPerSample = 0;
    source.wfx.cbSize = MPEGLAYER3_WFX_EXTRA_BYTES;
    source.wID = MPEGLAYER3_ID_MPEG;
    source.fdwFlags = MPEGLAYER3_FLAG_PADDING_ISO;
    source.nBlockSize = frame.frameBytes;
    source.nFramesPerBlock = 1;
    source.nCodecDelay = 0;

    WAVEFORMATEX target{};
    target.wFormatTag = WAVE_FORMAT_PCM;
    target.nChannels = frame.channels;
    target.nSamplesPerSec = frame.sampleRate;
    target.wBitsPerSample = 16;
    target.nBlockAlign = static_cast<WORD>(frame.channels * 2);
    target.nAvgBytesPerSec = frame.sampleRate * target.nBlockAlign;

    UniqueAcmStream stream;
    MMRESULT result = acmStreamOpen(stream.Put(), nullptr, &source.wfx, &target, nullptr, 0, 0, 0);
    if (result != MMSYSERR_NOERROR) {
        throw Exception("This system has no MP3 decoder");
    }

    WaveData sound;
    sound.sampleRate = frame.sampleRate;
    sound.channels = frame.channels;
    uint64_t maxFrames = std::min<uint64_t>(maxMs, UINT32_MAX) * frame.sampleRate / 1000;

    // The codec is fed a piece at a time; what it leaves of a piece goes in front of the next.
    constexpr DWORD PieceBytes = 32 * 1024;
    std::vector<uint8_t> input(PieceBytes);
    DWORD outputBytes = 0;
    if (acmStreamSize(stream.Get(), PieceBytes, &outputBytes, ACM_STREAMSIZEF_SOURCE) !=
            MMSYSERR_NOERROR ||
        outputBytes == 0) {
        throw Exception("This system has no MP3 decoder");
    }
    std::vector<uint8_t> output(outputBytes);
    size_t next = frame.offset;
    DWORD held = 0;
    DWORD flags = ACM_STREAMCONVERTF_START | ACM_STREAMCONVERTF_BLOCKALIGN;
    while (sound.Frames() < maxFrames) {
        DWORD take = static_cast<DWORD>(std::min<size_t>(PieceBytes - held, bytes.size() - next));
        std::copy_n(bytes.begin() + static_cast<ptrdiff_t>(next), take, input.begin() + held);
        next += take;
        held += take;
        bool last = next == bytes.size();
        if (last) {
            flags = (flags & ACM_STREAMCONVERTF_START) | ACM_STREAMCONVERTF_END;
        }
        ACMSTREAMHEADER header{};
        header.cbStruct = sizeof header;
        header.pbSrc = input.data();
        header.cbSrcLength = held;
        header.pbDst = output.data();
        header.cbDstLength = outputBytes;
        if (acmStreamPrepareHeader(stream.Get(), &header, 0) != MMSYSERR_NOERROR) {
            throw Exception("The MP3 data cannot be decoded");
        }
        MMRESULT converted = acmStreamConvert(stream.Get(), &header, flags);
        DWORD used = header.cbSrcLengthUsed;
        DWORD produced = header.cbDstLengthUsed;
        acmStreamUnprepareHeader(stream.Get(), &header, 0);
        if (converted != MMSYSERR_NOERROR) {
            throw Exception("The MP3 data cannot be decoded");
        }
        flags &= ~static_cast<DWORD>(ACM_STREAMCONVERTF_START);
        const int16_t* samples = reinterpret_cast<const int16_t*>(output.data());
        sound.samples.insert(sound.samples.end(), samples, samples + produced / 2);
        used = std::min(used, held);
        std::copy(input.begin() + used, input.begin() + held, input.begin());
        held -= used;
        if (last || (used == 0 && produced == 0 && held == PieceBytes)) {
            break;
        }
    }
    if (sound.samples.empty()) {
        throw Exception("The MP3 data cannot be decoded");
    }
    sound.samples.resize(std::min<uint64_t>(sound.Frames(), maxFrames) * sound.channels);
    return sound;
}
