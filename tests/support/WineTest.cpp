#include "WineTest.h"

#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <thread>

namespace wt {

std::string Env(const char* name) {
    char buf[4096];
    DWORD n = GetEnvironmentVariableA(name, buf, sizeof buf);
    return n > 0 && n < sizeof buf ? std::string(buf, n) : std::string();
}

std::string UnixToWinPath(const std::string& unixPath) {
    std::string s = "Z:" + unixPath;
    for (char& c : s)
        if (c == '/')
            c = '\\';
    return s;
}

std::string MakeTempDir(const std::string& tag) {
    char tmp[MAX_PATH];
    GetTempPathA(MAX_PATH, tmp);
    // Process ids repeat across runs in the same prefix: a folder that exists is never reused.
    static unsigned counter = 0;
    for (;;) {
        std::string dir = std::string(tmp) + "tappolo-" + tag + "-" +
                          std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++counter);
        if (CreateDirectoryA(dir.c_str(), nullptr))
            return dir + "\\";
        if (GetLastError() != ERROR_ALREADY_EXISTS)
            return dir + "\\";
    }
}

bool WriteFileBytes(const std::string& path, const std::string& bytes) {
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(f);
}

std::string ReadFileBytes(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

static uint64_t FileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return 0;
    return (uint64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// Reads [from, end) of a file that another process keeps appending to.
static std::string ReadFrom(const std::string& path, uint64_t from) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return {};
    std::string out;
    LARGE_INTEGER pos;
    pos.QuadPart = static_cast<LONGLONG>(from);
    if (SetFilePointerEx(h, pos, nullptr, FILE_BEGIN)) {
        char buf[65536];
        DWORD got = 0;
        while (ReadFile(h, buf, sizeof buf, &got, nullptr) && got > 0)
            out.append(buf, got);
    }
    CloseHandle(h);
    return out;
}

PlaySoundTrace::PlaySoundTrace() : FPath(UnixToWinPath(Env("TAPPOLO_TRACE"))) {
    Skip();
}

void PlaySoundTrace::Skip() {
    FStart = FileSize(FPath);
}

std::vector<std::pair<double, std::string>> PlaySoundTrace::TimedNames() {
    static const std::string key = "proc_PlaySound SoundName=L\"";
    std::vector<std::pair<double, std::string>> names;
    std::istringstream lines(ReadFrom(FPath, FStart));
    std::string line;
    while (std::getline(lines, line)) {
        size_t at = line.find(key);
        // A sound played from memory has no name: Wine shows its first bytes, "RIFF" read as
        // two UTF-16 units.
        if (at == std::string::npos || line.compare(at + key.size(), 10, "\\4952\\4646") == 0)
            continue;
        std::string name;
        for (size_t i = at + key.size(); i < line.size() && line[i] != '"'; ++i) {
            if (line[i] == '\\' && i + 1 < line.size())
                ++i; // Wine doubles backslashes and escapes quotes
            name += line[i];
        }
        // "+timestamp" puts "seconds.milliseconds:" before the thread id.
        double stamp = -1;
        size_t colon = line.find(':');
        if (colon != std::string::npos && colon < at && line.find('.') < colon)
            stamp = std::atof(line.substr(0, colon).c_str()) * 1000.0;
        names.emplace_back(stamp, name);
    }
    return names;
}

std::vector<std::string> PlaySoundTrace::Names() {
    std::vector<std::string> names;
    for (auto& timed : TimedNames())
        names.push_back(std::move(timed.second));
    return names;
}

std::vector<std::string> PlaySoundTrace::WaitNames(size_t count,
                                                   std::chrono::milliseconds timeout) {
    auto end = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        auto names = Names();
        if (names.size() >= count || std::chrono::steady_clock::now() >= end)
            return names;
        PumpMessages(std::chrono::milliseconds(10));
    }
}

TraceLog::TraceLog() : FPath(UnixToWinPath(Env("TAPPOLO_TRACE"))) {
    Skip();
}

void TraceLog::Skip() {
    FStart = FileSize(FPath);
}

std::vector<std::string> TraceLog::Lines(const std::string& key) {
    std::vector<std::string> lines;
    std::istringstream in(ReadFrom(FPath, FStart));
    for (std::string line; std::getline(in, line);)
        if (line.find(key) != std::string::npos)
            lines.push_back(line);
    return lines;
}

std::vector<std::string> TraceLog::WaitLines(const std::string& key, size_t count,
                                             std::chrono::milliseconds timeout) {
    auto end = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        auto lines = Lines(key);
        if (lines.size() >= count || std::chrono::steady_clock::now() >= end)
            return lines;
        PumpMessages(std::chrono::milliseconds(10));
    }
}

std::string TraceString(const std::string& line) {
    size_t at = line.find("L\"");
    if (at == std::string::npos)
        return {};
    std::string text;
    for (size_t i = at + 2; i < line.size() && line[i] != '"'; ++i) {
        if (line[i] == '\\' && i + 1 < line.size()) {
            ++i;
            // Wine writes tabs and line ends as C escapes.
            text += line[i] == 't' ? '\t' : line[i] == 'n' ? '\n' : line[i] == 'r' ? '\r' : line[i];
            continue;
        }
        text += line[i];
    }
    return text;
}

HICON MessageBoxIcon(HWND box) {
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        char name[16] = {};
        GetClassNameA(child, name, sizeof name);
        if (lstrcmpiA(name, "Static") == 0 &&
            (GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)
            return reinterpret_cast<HICON>(SendMessageA(child, STM_GETICON, 0, 0));
    }
    return nullptr;
}

AudioRecording::AudioRecording(bool stereo)
    : FPath(UnixToWinPath(Env(stereo ? "TAPPOLO_RECORD_STEREO" : "TAPPOLO_RECORD"))) {
    FStart = FileSize(FPath) & ~uint64_t(stereo ? 3 : 1);
}

AudioRecording AudioRecording::OfSecondSink() {
    AudioRecording recording;
    recording.FPath = UnixToWinPath(Env("TAPPOLO_RECORD_SECOND"));
    recording.FStart = FileSize(recording.FPath) & ~uint64_t(1);
    return recording;
}

uint64_t AudioRecording::SamplesNow() const {
    return FileSize(FPath) / 2;
}

static std::vector<int16_t> ToSamples(const std::string& bytes) {
    std::vector<int16_t> samples(bytes.size() / 2);
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<int16_t>(uint8_t(bytes[2 * i]) | (uint8_t(bytes[2 * i + 1]) << 8));
    return samples;
}

std::vector<int16_t> AudioRecording::Samples(std::chrono::milliseconds wait) {
    PumpMessages(wait);
    return ToSamples(ReadFrom(FPath, FStart));
}

std::vector<int16_t> AudioRecording::WaitForSound(std::chrono::milliseconds timeout,
                                                  std::chrono::milliseconds tail, int threshold) {
    auto end = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        auto samples = ToSamples(ReadFrom(FPath, FStart));
        if (OnsetIndex(samples, threshold) >= 0) {
            PumpMessages(tail);
            return ToSamples(ReadFrom(FPath, FStart));
        }
        if (std::chrono::steady_clock::now() >= end)
            return samples;
        PumpMessages(std::chrono::milliseconds(20));
    }
}

double ToneShare(const std::vector<int16_t>& samples, double frequency) {
    if (samples.empty())
        return 0.0;
    const double w = 2.0 * 3.14159265358979323846 * frequency / kRecordRate;
    const double coeff = 2.0 * std::cos(w);
    double s1 = 0, s2 = 0, energy = 0;
    for (int16_t v : samples) {
        double x = v;
        energy += x * x;
        double s0 = x + coeff * s1 - s2;
        s2 = s1;
        s1 = s0;
    }
    if (energy <= 0)
        return 0.0;
    double power = s1 * s1 + s2 * s2 - coeff * s1 * s2;
    // A pure tone filling the window gives power = energy * N / 2.
    return power / (energy * samples.size() / 2.0);
}

double DominantOf(const std::vector<int16_t>& samples, const std::vector<double>& candidates) {
    double best = 0, bestShare = -1;
    for (double f : candidates) {
        double share = ToneShare(samples, f);
        if (share > bestShare) {
            bestShare = share;
            best = f;
        }
    }
    return best;
}

long OnsetIndex(const std::vector<int16_t>& samples, int threshold) {
    for (size_t i = 0; i < samples.size(); ++i)
        if (std::abs(int(samples[i])) >= threshold)
            return static_cast<long>(i);
    return -1;
}

static void Put16(std::string& s, uint16_t v) {
    s += char(v & 0xFF);
    s += char(v >> 8);
}
static void Put32(std::string& s, uint32_t v) {
    Put16(s, uint16_t(v & 0xFFFF));
    Put16(s, uint16_t(v >> 16));
}

std::string MakeToneWav(double frequency, int milliseconds, int amplitude) {
    const uint32_t rate = 22050;
    const uint32_t count = rate * static_cast<uint32_t>(milliseconds) / 1000;
    std::vector<int16_t> samples;
    for (uint32_t i = 0; i < count; ++i)
        samples.push_back(static_cast<int16_t>(
            amplitude * std::sin(2.0 * 3.14159265358979323846 * frequency * i / rate)));
    return MakeWav(samples, rate);
}

std::vector<int16_t> StruckTone(double frequency, int milliseconds, uint32_t rate, int amplitude) {
    const uint32_t count = rate * static_cast<uint32_t>(milliseconds) / 1000;
    // Starting at the crest: the first sample is already loud.
    std::vector<int16_t> samples;
    for (uint32_t i = 0; i < count; ++i) {
        const double t = static_cast<double>(i) / rate;
        samples.push_back(
            static_cast<int16_t>(amplitude * std::exp(-t * std::log(5.0) / 0.044) *
                                 std::cos(2.0 * 3.14159265358979323846 * frequency * t)));
    }
    return samples;
}

std::string MakeWav(const std::vector<int16_t>& samples, uint32_t rate) {
    std::string data;
    for (int16_t v : samples)
        Put16(data, static_cast<uint16_t>(v));
    std::string wav = "RIFF";
    Put32(wav, 36 + static_cast<uint32_t>(data.size()));
    wav += "WAVEfmt ";
    Put32(wav, 16);
    Put16(wav, 1);
    Put16(wav, 1);
    Put32(wav, rate);
    Put32(wav, rate * 2);
    Put16(wav, 2);
    Put16(wav, 16);
    wav += "data";
    Put32(wav, static_cast<uint32_t>(data.size()));
    return wav + data;
}

std::string MakeAdpcmWav(int blocks) {
    const uint16_t blockBytes = 256, samplesPerBlock = 505;
    const uint32_t rate = 22050;
    std::string fmt;
    Put16(fmt, 0x0011); // IMA ADPCM
    Put16(fmt, 1);
    Put32(fmt, rate);
    Put32(fmt, rate * blockBytes / samplesPerBlock);
    Put16(fmt, blockBytes);
    Put16(fmt, 4);
    Put16(fmt, 2);
    Put16(fmt, samplesPerBlock);
    // Each block: the first sample and step index, then nibbles; all zero is silence.
    const std::string data(static_cast<size_t>(blocks) * blockBytes, '\0');
    std::string wav = "RIFF";
    Put32(wav, static_cast<uint32_t>(4 + 8 + fmt.size() + 12 + 8 + data.size()));
    wav += "WAVEfmt ";
    Put32(wav, static_cast<uint32_t>(fmt.size()));
    wav += fmt;
    wav += "fact";
    Put32(wav, 4);
    Put32(wav, static_cast<uint32_t>(blocks) * samplesPerBlock);
    wav += "data";
    Put32(wav, static_cast<uint32_t>(data.size()));
    return wav + data;
}

long JumpOnset(const std::vector<int16_t>& samples, long from, long to, int threshold) {
    const long gap = kRecordRate / 2000, span = 3 * kRecordRate / 1000;
    to = std::min(to, static_cast<long>(samples.size()));
    for (long i = std::max(from, 0L); i < to; ++i) {
        const int level = std::abs(static_cast<int>(samples[i]));
        if (level < threshold)
            continue;
        int before = 0;
        for (long j = std::max(0L, i - gap - span); j < i - gap; ++j)
            before = std::max(before, std::abs(static_cast<int>(samples[j])));
        if (level >= 3 * before)
            return i;
    }
    return -1;
}

long LongestSilence(const std::vector<int16_t>& samples, long from, long to) {
    long longest = 0, run = 0;
    to = std::min(to, static_cast<long>(samples.size()));
    for (long i = std::max(from, 0L); i < to; ++i) {
        run = std::abs(static_cast<int>(samples[i])) <= 8 ? run + 1 : 0;
        longest = std::max(longest, run);
    }
    return longest;
}

double Likeness(const std::vector<int16_t>& recording, long first, long last,
                const std::vector<int16_t>& source) {
    double best = 0;
    const long length = static_cast<long>(source.size());
    for (long start = std::max(first, 0L);
         start <= last && start + length <= static_cast<long>(recording.size()); ++start) {
        double both = 0, heard = 0, made = 0;
        for (long i = 0; i < length; ++i) {
            const double a = recording[static_cast<size_t>(start + i)],
                         b = source[static_cast<size_t>(i)];
            both += a * b;
            heard += a * a;
            made += b * b;
        }
        if (heard > 0 && made > 0)
            best = std::max(best, both / std::sqrt(heard * made));
    }
    return best;
}

void PumpMessages(std::chrono::milliseconds duration) {
    auto end = std::chrono::steady_clock::now() + duration;
    for (;;) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        auto now = std::chrono::steady_clock::now();
        if (now >= end)
            return;
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - now).count();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(left < 10 ? left : 10),
                                  QS_ALLINPUT);
    }
}

static bool Sink(const char* change) {
    return RunLinuxShell(Env("TAPPOLO_WINENV_SCRIPT") + " " + change + " " + Env("TAPPOLO_WINENV"),
                         std::chrono::seconds(15));
}

bool SinkDown() {
    return Sink("sink-down");
}

bool SinkUp() {
    return Sink("sink-up");
}

bool SecondSinkUp() {
    return Sink("second-up");
}

bool SecondSinkDown() {
    return Sink("second-down");
}

bool RunLinuxShell(const std::string& command, std::chrono::milliseconds timeout) {
    // The end is told by a file the shell writes last.
    static int calls = 0;
    const std::string done = Env("TAPPOLO_WINENV") + "/shell-" +
                             std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++calls) +
                             ".done";
    // Wine splits the command line by the Windows rules: double quotes, \" for a quote inside.
    std::string line = "/bin/sh -c \"";
    for (char c : command + "; : >" + done)
        line += c == '"' ? std::string("\\\"") : std::string(1, c);
    line += '"';
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info))
        return false;
    if (info.hProcess)
        CloseHandle(info.hProcess);
    if (info.hThread)
        CloseHandle(info.hThread);
    const std::string marker = UnixToWinPath(done);
    auto end = std::chrono::steady_clock::now() + timeout;
    while (GetFileAttributesA(marker.c_str()) == INVALID_FILE_ATTRIBUTES) {
        if (std::chrono::steady_clock::now() >= end)
            return false;
        PumpMessages(std::chrono::milliseconds(20));
    }
    DeleteFileA(marker.c_str());
    return true;
}

} // namespace wt
