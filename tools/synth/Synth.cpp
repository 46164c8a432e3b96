// Synthesises the sound files of the system scheme "Fight" and writes its scheme file.
//
//   tappolo_synth <data dir> <tone table file>
//
// writes <data dir>/schemes/Fight.tss, <data dir>/schemes/Fight/*.wav and the tone table.
// The output must be byte-identical from run to run (the committed data is compared against a
// fresh run), so everything random comes from our own seeded generator.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <numbers>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr int SampleRate = 44100;
constexpr double Pi = std::numbers::pi;

using Samples = std::vector<double>;

// xorshift64*: tiny, and its sequence is the same on every platform.
class Noise {
public:
    explicit Noise(std::uint64_t seed) : FState(seed ? seed : 0x9E3779B97F4A7C15ull) {}
    // Uniform in [-1, 1).
    double Next() {
        FState ^= FState >> 12;
        FState ^= FState << 25;
        FState ^= FState >> 27;
        const std::uint64_t r = FState * 0x2545F4914F6CDD1Dull;
        return static_cast<double>(r >> 11) / 4503599627370496.0 - 1.0;
    }

private:
    std::uint64_t FState;
};

// Band-pass biquad (constant peak gain), used to give the noise of a key click its colour.
class BandPass {
public:
    BandPass(double centre, double q) {
        const double w = 2 * Pi * centre / SampleRate;
        const double alpha = std::sin(w) / (2 * q);
        const double a0 = 1 + alpha;
        FB0 = alpha / a0;
        FB2 = -alpha / a0;
        FA1 = -2 * std::cos(w) / a0;
        FA2 = (1 - alpha) / a0;
    }
    double Run(double x) {
        const double y = FB0 * x + FB2 * FX2 - FA1 * FY1 - FA2 * FY2;
        FX2 = FX1;
        FX1 = x;
        FY2 = FY1;
        FY1 = y;
        return y;
    }

private:
    double FB0, FB2, FA1, FA2;
    double FX1 = 0, FX2 = 0, FY1 = 0, FY2 = 0;
};

int ToSamples(double seconds) {
    return static_cast<int>(std::lround(seconds * SampleRate));
}

// Adds a damped sine starting at `start` seconds: the resonance of a key cap or a plate.
// `glide` lets the pitch start that fraction higher and fall onto the frequency within ~4 ms,
// the way a struck body sounds; kept small so the energy stays on the frequency.
void AddRing(Samples& s, double start, double freq, double amp, double decay, double glide = 0) {
    double phase = 0;
    for (int i = ToSamples(start); i < static_cast<int>(s.size()); ++i) {
        const double t = static_cast<double>(i - ToSamples(start)) / SampleRate;
        const double f = freq * (1 + glide * std::exp(-t / 0.0015));
        phase += 2 * Pi * f / SampleRate;
        const double attack = std::min(1.0, t / 0.0008);
        s[i] += amp * attack * std::exp(-t / decay) * std::sin(phase);
    }
}

// Adds a short burst of band-passed noise: the contact click of a key.
void AddClick(Samples& s, Noise& noise, double start, double centre, double amp, double decay) {
    BandPass filter(centre, 1.2);
    const int first = ToSamples(start);
    const int last = std::min(static_cast<int>(s.size()), first + ToSamples(decay * 8));
    for (int i = first; i < last; ++i) {
        const double t = static_cast<double>(i - first) / SampleRate;
        s[i] += amp * filter.Run(noise.Next() * std::exp(-t / decay));
    }
}

// Adds a tone with a soft attack and release: the blips of the rarer keys. `harmonic` mixes in
// some second harmonic so it sounds less like a test tone.
void AddPip(Samples& s, double start, double length, double freq, double amp,
            double harmonic = 0.15) {
    const int first = ToSamples(start);
    const int n = ToSamples(length);
    for (int i = 0; i < n && first + i < static_cast<int>(s.size()); ++i) {
        const double t = static_cast<double>(i) / SampleRate;
        const double edge = std::min({1.0, t / 0.003, (length - t) / 0.006});
        const double w = 2 * Pi * freq * t;
        s[first + i] += amp * edge * (std::sin(w) + harmonic * std::sin(2 * w));
    }
}

// A frequency sweep from f0 to f1 over `length`, used as a lead-in to a held tone.
void AddSweep(Samples& s, double start, double length, double f0, double f1, double amp) {
    const int first = ToSamples(start);
    const int n = ToSamples(length);
    double phase = 0;
    for (int i = 0; i < n && first + i < static_cast<int>(s.size()); ++i) {
        const double t = static_cast<double>(i) / SampleRate;
        const double edge = std::min({1.0, t / 0.002, (length - t) / 0.002});
        phase += 2 * Pi * (f0 + (f1 - f0) * t / length) / SampleRate;
        s[first + i] += amp * edge * std::sin(phase);
    }
}

// One typewriter key: the contact click, the thock of the key body at `body` Hz and a smaller
// second click as the key bottoms out.
Samples Typewriter(Noise& noise, double length, double body, double bodyDecay, double clickHz,
                   double loudness) {
    Samples s(ToSamples(length));
    AddClick(s, noise, 0.0, clickHz, 0.55 * loudness, 0.0012);
    AddRing(s, 0.0005, body, 0.75 * loudness, bodyDecay, 0.08);
    AddClick(s, noise, 0.011, clickHz * 0.7, 0.22 * loudness, 0.0008);
    return s;
}

struct Voice {
    const char* Name; // key type display name
    const char* File; // bare file name in the sound folder
    double Dominant;  // Hz: the tone by which a recording identifies this sound
};

// In key type order: the index is the key type. Each dominant frequency lies at least 12% from
// every other one, so a Goertzel filter at each frequency tells the sounds apart.
constexpr std::array<Voice, 16> Voices = {{
    {"Page Up Key", "pageup.wav", 1760},
    {"Caps Lock Key", "capslock.wav", 880},
    {"Number Keys", "number.wav", 740},
    {"NumLock Key", "numlock.wav", 2350},
    {"Function Keys", "function.wav", 1480},
    {"Delete Key", "delete.wav", 620},
    {"Arrow Keys", "arrow.wav", 1250},
    {"Enter Key", "enter.wav", 240},
    {"Page Down Key", "pagedown.wav", 2090},
    {"BackSpace Key", "backspace.wav", 300},
    {"Ctrl Keys", "ctrl.wav", 360},
    {"Tab Key", "tab.wav", 520},
    {"Letter Keys", "letter.wav", 440},
    {"Space Key", "space.wav", 180},
    {"Esc Key", "esc.wav", 1050},
    {"Other Key", "other.wav", 2650},
}};

Samples Render(int keyType, Noise& noise) {
    const double f = Voices[keyType].Dominant;
    switch (keyType) {
    case 12: // letters: the everyday sound, short and light
        return Typewriter(noise, 0.075, f, 0.016, 3800, 0.8);
    case 13: { // Space: the long bar, deeper and a little longer
        Samples s = Typewriter(noise, 0.120, f, 0.030, 2200, 0.9);
        AddRing(s, 0.002, f * 2.63, 0.08, 0.010);
        return s;
    }
    case 7: { // Enter: a bigger clack and a tiny bell of the carriage return
        Samples s = Typewriter(noise, 0.140, f, 0.030, 2600, 1.0);
        AddClick(s, noise, 0.020, 1900, 0.30, 0.0015);
        AddRing(s, 0.030, 4186, 0.07, 0.030);
        AddRing(s, 0.030, 6279, 0.03, 0.020);
        return s;
    }
    case 9: // BackSpace: a duller key
        return Typewriter(noise, 0.090, f, 0.020, 3000, 0.85);
    case 10: // modifiers: a soft, low thump
        return Typewriter(noise, 0.080, f, 0.018, 2400, 0.7);
    case 11: // Tab: a key with a slight ring to it
        return Typewriter(noise, 0.095, f, 0.028, 3400, 0.8);
    case 5: { // Delete: a clack followed by a falling pip
        Samples s = Typewriter(noise, 0.110, f, 0.020, 3200, 0.6);
        AddSweep(s, 0.030, 0.025, f * 1.4, f, 0.25);
        AddPip(s, 0.055, 0.050, f, 0.45);
        return s;
    }
    case 2: { // digits: a wooden tick
        Samples s(ToSamples(0.070));
        AddClick(s, noise, 0.0, 4500, 0.35, 0.0008);
        AddRing(s, 0.0003, f, 0.7, 0.014);
        return s;
    }
    case 1: { // Caps Lock: a latch that drops in, two pips a fourth apart
        Samples s(ToSamples(0.110));
        AddClick(s, noise, 0.0, 3000, 0.3, 0.001);
        AddPip(s, 0.004, 0.030, f * 0.75, 0.30);
        AddPip(s, 0.040, 0.065, f, 0.55);
        return s;
    }
    case 3: { // NumLock: the same latch, higher and brighter
        Samples s(ToSamples(0.100));
        AddClick(s, noise, 0.0, 5000, 0.25, 0.0008);
        AddPip(s, 0.004, 0.028, f * 0.8, 0.28);
        AddPip(s, 0.036, 0.060, f, 0.5);
        return s;
    }
    case 4: { // function keys: a quick bubbly blip
        Samples s(ToSamples(0.090));
        AddSweep(s, 0.0, 0.020, f * 0.6, f, 0.4);
        AddPip(s, 0.020, 0.065, f, 0.5, 0.25);
        return s;
    }
    case 6: { // arrows: a short dry tick with a pitched tail
        Samples s(ToSamples(0.080));
        AddClick(s, noise, 0.0, 4200, 0.3, 0.0007);
        AddRing(s, 0.001, f, 0.55, 0.020);
        return s;
    }
    case 0: { // Page Up: a rising chirp that settles high
        Samples s(ToSamples(0.110));
        AddSweep(s, 0.0, 0.035, f * 0.55, f, 0.35);
        AddPip(s, 0.035, 0.070, f, 0.45);
        return s;
    }
    case 8: { // Page Down: a falling chirp that settles low
        Samples s(ToSamples(0.110));
        AddSweep(s, 0.0, 0.035, f * 1.6, f, 0.3);
        AddPip(s, 0.035, 0.070, f, 0.45);
        return s;
    }
    case 14: { // Esc: a two-tone "nope", high then its dominant below
        Samples s(ToSamples(0.130));
        AddPip(s, 0.0, 0.040, f * 1.5, 0.30);
        AddPip(s, 0.050, 0.075, f, 0.5);
        return s;
    }
    default: { // everything else: a glassy ping
        Samples s(ToSamples(0.100));
        AddClick(s, noise, 0.0, 6000, 0.2, 0.0006);
        AddRing(s, 0.0005, f, 0.5, 0.025);
        AddRing(s, 0.0005, f * 2.76, 0.06, 0.010);
        return s;
    }
    }
}

// Power of `s` at one frequency: a Goertzel filter over the whole sound.
double Goertzel(const Samples& s, double freq) {
    const double k = 2 * std::cos(2 * Pi * freq / SampleRate);
    double s1 = 0, s2 = 0;
    for (double x : s) {
        const double s0 = x + k * s1 - s2;
        s2 = s1;
        s1 = s0;
    }
    return s1 * s1 + s2 * s2 - k * s1 * s2;
}

// Scales to a common loudness and makes the sound end at silence, so no file clicks at its end
// however the player cuts it. Loudness is matched on RMS rather than peak: a held pip at the
// same peak as a click would sound far louder than the keys around it.
std::vector<std::int16_t> Finish(Samples s) {
    const int fade = ToSamples(0.004);
    for (int i = 0; i < fade && i < static_cast<int>(s.size()); ++i)
        s[s.size() - 1 - i] *= static_cast<double>(i) / fade;
    double peak = 0, energy = 0;
    for (double x : s) {
        peak = std::max(peak, std::abs(x));
        energy += x * x;
    }
    const double rms = std::sqrt(energy / static_cast<double>(s.size()));
    const double gain = peak > 0 ? std::min(0.15 / rms, 0.8 / peak) * 32767 : 0;
    std::vector<std::int16_t> out;
    out.reserve(s.size());
    for (double x : s)
        out.push_back(
            static_cast<std::int16_t>(std::clamp(std::lround(x * gain), -32767L, 32767L)));
    return out;
}

void PutLe(std::string& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

std::string WaveFile(const std::vector<std::int16_t>& pcm) {
    const std::uint32_t dataBytes = static_cast<std::uint32_t>(pcm.size() * 2);
    std::string out = "RIFF";
    PutLe(out, 36 + dataBytes, 4);
    out += "WAVEfmt ";
    PutLe(out, 16, 4); // PCM format chunk size
    PutLe(out, 1, 2);  // PCM
    PutLe(out, 1, 2);  // mono
    PutLe(out, SampleRate, 4);
    PutLe(out, SampleRate * 2, 4); // bytes per second
    PutLe(out, 2, 2);              // block align
    PutLe(out, 16, 2);             // bits per sample
    out += "data";
    PutLe(out, dataBytes, 4);
    for (std::int16_t v : pcm)
        PutLe(out, static_cast<std::uint16_t>(v), 2);
    return out;
}

// The scheme file: sixteen short-text values (tag 0x06, length byte, ANSI bytes), which is how
// the program's record writer stores short ASCII names.
std::string SchemeFile() {
    std::string out;
    for (const Voice& v : Voices) {
        const std::string name = v.File;
        out.push_back(0x06);
        out.push_back(static_cast<char>(name.size()));
        out += name;
    }
    return out;
}

void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!f)
        throw std::runtime_error("cannot write " + path.string());
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: tappolo_synth <data dir> <tone table file>\n";
        return 2;
    }
    try {
        const std::filesystem::path schemes = std::filesystem::path(argv[1]) / "schemes";
        std::filesystem::create_directories(schemes / "Fight");

        std::ostringstream table;
        table << "# key type, file, dominant Hz, ms (generated by tappolo_synth)\n";
        bool identifiable = true;
        for (int k = 0; k < static_cast<int>(Voices.size()); ++k) {
            Noise noise(0x5EED0000u + static_cast<std::uint64_t>(k) * 7919u);
            const Samples s = Render(k, noise);
            const std::vector<std::int16_t> pcm = Finish(s);
            WriteFile(schemes / "Fight" / Voices[k].File, WaveFile(pcm));

            // Every sound must win the Goertzel comparison at its own frequency by a clear margin
            // over the other fifteen frequencies, or a recording could not tell it apart.
            Samples stored(pcm.begin(), pcm.end());
            const double own = Goertzel(stored, Voices[k].Dominant);
            double rival = 0;
            for (int j = 0; j < static_cast<int>(Voices.size()); ++j)
                if (j != k)
                    rival = std::max(rival, Goertzel(stored, Voices[j].Dominant));
            const double marginDb = 10 * std::log10(own / rival);
            const double ms = 1000.0 * static_cast<double>(pcm.size()) / SampleRate;
            if (marginDb < 10 || ms >= 150) {
                std::cerr << Voices[k].File << ": margin " << marginDb << " dB, " << ms << " ms\n";
                identifiable = false;
            }
            char line[160];
            std::snprintf(line, sizeof line, "%2d  %-14s %-14s %5.0f  %3.0f\n", k, Voices[k].Name,
                          Voices[k].File, Voices[k].Dominant, ms);
            table << line;
            std::snprintf(line, sizeof line,
                          "%2d  %-14s %-14s %5.0f Hz  %3.0f ms  margin %4.1f dB\n", k,
                          Voices[k].Name, Voices[k].File, Voices[k].Dominant, ms, marginDb);
            std::cout << line;
        }
        WriteFile(schemes / "Fight.tss", SchemeFile());
        WriteFile(argv[2], table.str());
        return identifiable ? 0 : 1;
    } catch (const std::exception& e) {
        std::cerr << "tappolo_synth: " << e.what() << "\n";
        return 1;
    }
}
