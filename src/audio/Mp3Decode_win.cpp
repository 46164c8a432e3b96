#include "Mp3Decode.h"

#include "Exception.h"
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

// What the codec must be told of the stream: taken from its first frame header.
struct FrameInfo {
    size_t offset = 0; // of the first frame in the data
    uint32_t sampleRate = 0;
    uint16_t channels = 0;
    uint32_t bitRate = 0;    // bits per second
    uint16_t frameBytes = 0; // without the padding byte
};

// The header at p, when it is a Layer III frame header with valid fields.
bool ReadFrameHeader(const uint8_t* p, FrameInfo& info) {
    static const uint16_t mpeg1Rates[] = {0,   32,  40,  48,  56,  64,  80, 96,
                                          112, 128, 160, 192, 224, 256, 320};
    static const uint16_t mpeg2Rates[] = {0,  8,  16, 24,  32,  40,  48, 56,
                                          64, 80, 96, 112, 128, 144, 160};
    static const uint32_t sampleRates[] = {44100, 48000, 32000};
    if (p[0] != 0xFF || (p[1] & 0xE0) != 0xE0) {
        return false;
    }
    unsigned version = (p[1] >> 3) & 3; // 3: MPEG-1, 2: MPEG-2, 0: MPEG-2.5
    unsigned layer = (p[1] >> 1) & 3;   // 1: Layer III
    unsigned rateIndex = p[2] >> 4;
    unsigned sampleIndex = (p[2] >> 2) & 3;
    if (version == 1 || layer != 1 || rateIndex == 0 || rateIndex == 15 || sampleIndex == 3) {
        return false;
    }
    bool mpeg1 = version == 3;
    info.bitRate = (mpeg1 ? mpeg1Rates : mpeg2Rates)[rateIndex] * 1000u;
    info.sampleRate = sampleRates[sampleIndex] >> (mpeg1 ? 0 : version == 2 ? 1 : 2);
    info.channels = (p[3] >> 6) == 3 ? 1 : 2;
    info.frameBytes = static_cast<uint16_t>((mpeg1 ? 144 : 72) * info.bitRate / info.sampleRate);
    return true;
}

// Skips an ID3v2 tag and finds the first frame header after it.
bool FindFirstFrame(std::span<const uint8_t> bytes, FrameInfo& info) {
    size_t pos = 0;
    if (bytes.size() >= 10 && bytes[0] == 'I' && bytes[1] == 'D' && bytes[2] == '3') {
        // A syncsafe size: seven bits per byte; a footer adds ten bytes more.
        size_t size = (size_t{bytes[6]} & 0x7F) << 21 | (size_t{bytes[7]} & 0x7F) << 14 |
                      (size_t{bytes[8]} & 0x7F) << 7 | (size_t{bytes[9]} & 0x7F);
        pos = 10 + size + ((bytes[5] & 0x10) ? 10 : 0);
    }
    for (; pos + 4 <= bytes.size(); ++pos) {
        if (ReadFrameHeader(&bytes[pos], info)) {
            info.offset = pos;
            return true;
        }
    }
    return false;
}

} // namespace

WaveData DecodeMp3(std::span<const uint8_t> bytes, uint64_t maxMs) {
    FrameInfo frame;
    if (!FindFirstFrame(bytes, frame)) {
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
