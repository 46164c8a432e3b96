#pragma once
// What Win32 tests observe of the test environment that cmake/winenv.sh started.
#include <chrono>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

struct HICON__;
struct HWND__;

namespace wt {

// The value of an environment variable, empty when unset.
std::string Env(const char* name);

// A Unix path as Wine sees it through drive Z: ("/a/b" -> "Z:\a\b").
std::string UnixToWinPath(const std::string& unixPath);

// A fresh empty folder for one test (under %TEMP%), ending in "\".
std::string MakeTempDir(const std::string& tag);

// Writes a file with the given bytes; true on success.
bool WriteFileBytes(const std::string& path, const std::string& bytes);
std::string ReadFileBytes(const std::string& path);

// --- PlaySound trace -------------------------------------------------------------------
// Wine logs every PlaySound call (trace+winmm) into the file named by TAPPOLO_TRACE.
// The names are returned as Windows paths with single backslashes.
class PlaySoundTrace {
public:
    PlaySoundTrace();                 // starts at the current end of the trace
    std::vector<std::string> Names(); // names requested since construction or Skip()
    // Waits until at least `count` names were requested or the timeout passes.
    std::vector<std::string> WaitNames(size_t count, std::chrono::milliseconds timeout);
    void Skip(); // forget everything logged so far
    // The same calls with Wine's time stamp in milliseconds of GetTickCount, for processes run
    // with WINEDEBUG's "+timestamp" (-1 without it).
    std::vector<std::pair<double, std::string>> TimedNames();

private:
    std::string FPath;
    uint64_t FStart = 0;
};

// --- Wine's trace --------------------------------------------------------------------
// The lines of the trace file (TAPPOLO_TRACE: every channel that WINEDEBUG turns on, from this
// process and the processes it starts) that contain `key`, logged since construction or Skip().
class TraceLog {
public:
    TraceLog();
    std::vector<std::string> Lines(const std::string& key);
    // Waits until at least `count` such lines were logged or the timeout passes.
    std::vector<std::string> WaitLines(const std::string& key, size_t count,
                                       std::chrono::milliseconds timeout);
    void Skip();

private:
    std::string FPath;
    uint64_t FStart = 0;
};

// The first quoted wide string of a trace line (L"..."), with Wine's escapes undone.
std::string TraceString(const std::string& line);

// --- Audio ---------------------------------------------------------------------------
// The null sink's monitor is recorded to TAPPOLO_RECORD (mono s16le, 44100 Hz), and to
// TAPPOLO_RECORD_STEREO (the same, left and right interleaved).
constexpr int kRecordRate = 44100;

class AudioRecording {
public:
    // Marks the current end of the recording: the mono one, or the stereo one whose samples
    // come in pairs (left, right).
    explicit AudioRecording(bool stereo = false);
    // The recording of the second output device (SecondSinkUp), mono.
    static AudioRecording OfSecondSink();
    // Samples recorded since construction, after waiting `wait` for them to arrive.
    std::vector<int16_t> Samples(std::chrono::milliseconds wait);
    // Waits (up to `timeout`) until a sample reaches `threshold`, then `tail` longer, and gives
    // every sample since construction; without a sound it gives what came within the timeout.
    std::vector<int16_t> WaitForSound(std::chrono::milliseconds timeout,
                                      std::chrono::milliseconds tail, int threshold = 1000);
    // Where the recording stood at construction, and where it stands now, in samples from its
    // beginning.
    uint64_t StartSample() const { return FStart / 2; }
    uint64_t SamplesNow() const;

private:
    std::string FPath;
    uint64_t FStart = 0;
};

// Relative power of one frequency in the samples (Goertzel), normalised by total energy.
double ToneShare(const std::vector<int16_t>& samples, double frequency);
// The frequency among `candidates` with the largest share.
double DominantOf(const std::vector<int16_t>& samples, const std::vector<double>& candidates);
// Index of the first sample whose magnitude reaches `threshold`, or -1.
long OnsetIndex(const std::vector<int16_t>& samples, int threshold);

// A mono 16-bit PCM WAV holding a sine tone.
std::string MakeToneWav(double frequency, int milliseconds, int amplitude = 12000);

// A struck key's kind of sound: a sine tone at full `amplitude` from its first sample, dying
// away to a fifth of its level every 44 ms (where a new strike stands out as a jump), mono
// 16-bit at `rate`. And the wave file of such samples.
std::vector<int16_t> StruckTone(double frequency, int milliseconds, uint32_t rate = kRecordRate,
                                int amplitude = 12000);
std::string MakeWav(const std::vector<int16_t>& samples, uint32_t rate);
// A wave file the platform's player reads but the program's own reader does not: IMA ADPCM,
// mono at 22050 Hz, `blocks` blocks of 505 samples of silence.
std::string MakeAdpcmWav(int blocks);

// Where a sound starts in a recording where sounds may overlap: the first sample in [from, to)
// that reaches `threshold` and at least three times the loudest of the 3 ms ending half a
// millisecond before it (a new strike on top of a dying sound, not the tail of that sound); -1
// when there is none.
long JumpOnset(const std::vector<int16_t>& samples, long from, long to, int threshold);
// The longest run of digital silence (no sample louder than 8) in [from, to), in samples.
long LongestSilence(const std::vector<int16_t>& samples, long from, long to);
// How alike `source` is to the recording, placed at the best start in [first, last], as a
// normalised correlation (1 for the same shape at any level).
double Likeness(const std::vector<int16_t>& recording, long first, long last,
                const std::vector<int16_t>& source);

// The icon a message box shows (its static control of the icon kind), or null.
HICON__* MessageBoxIcon(HWND__* box);

// Takes the output device away (the null sink goes, with its recording) or brings it back
// (the recording goes on where it was); true when done.
bool SinkDown();
bool SinkUp();
// A second output device, "TappoloSecond", comes and goes; the default device stays.
bool SecondSinkUp();
bool SecondSinkDown();

// Lets the message queue of this thread run for a while (for hooks, timers, posted messages).
void PumpMessages(std::chrono::milliseconds duration);

// Runs a shell command on the Linux side (Wine starts Unix programs, but gives no handle to
// wait on) and waits until it has finished; false when it did not finish within the timeout.
bool RunLinuxShell(const std::string& command, std::chrono::milliseconds timeout);

} // namespace wt
