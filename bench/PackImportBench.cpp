// Import time of two typical packs: a 60 s Ogg Vorbis sprite cut into 110 key slices, and 110
// wave files of a pack of one file per key, each as a folder and as a zip (the sprite at the
// zip's root, the files in a folder of it). Run natively (bench preset) or under Wine:
//   pack_import_bench [--benchmark_...]
// The packs are made once in TAPPOLO_BENCH_PACKS (default: a folder of the system's temporary
// folder); the Ogg sprite needs oggenc on the PATH when it is made, so under Wine point
// TAPPOLO_BENCH_PACKS at the folder a native run made.
#include "DataPaths.h"
#include "FileSystem.h"
#include "PackImport.h"
#include "Stream.h"
#include "WaveFile.h"
#ifdef _WIN32
#include "KeySound.h"
#endif
#include "ZipMaker.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace {

namespace fs = std::filesystem;

// Key codes of a full keyboard: more than every key type's list needs.
std::vector<int> KeyCodes() {
    std::vector<int> codes;
    for (int c = 1; c <= 88 && codes.size() < 100; ++c)
        codes.push_back(c);
    for (int c : {3612, 3613, 3637, 3639, 3640, 3653, 3655, 3657, 3663, 3665})
        codes.push_back(c);
    return codes; // 98 + 10 ... topped up to 110 below
}

WaveData Tone(double frequency, double seconds, uint32_t rate, uint16_t channels) {
    WaveData sound{rate, channels, {}};
    const size_t frames = size_t(seconds * rate);
    for (size_t i = 0; i < frames; ++i)
        for (uint16_t c = 0; c < channels; ++c)
            sound.samples.push_back(
                int16_t(9000 * std::sin(6.283185307 * frequency * double(i) / rate)));
    return sound;
}

std::string PacksFolder() {
    const char* env = std::getenv("TAPPOLO_BENCH_PACKS");
    std::string folder = env ? env : (fs::temp_directory_path() / "tappolo-bench-packs").string();
    fs::create_directories(folder);
    return folder;
}

std::string Config(bool single, const std::vector<std::string>& values) {
    std::vector<int> codes = KeyCodes();
    for (int c = 57416; codes.size() < values.size(); ++c)
        codes.push_back(c);
    std::string text = "{\"name\": \"Bench\", \"key_define_type\": \"";
    text += single ? "single" : "multi";
    text += "\", \"sound\": \"sprite.ogg\", \"defines\": {";
    for (size_t i = 0; i < values.size(); ++i) {
        text += i ? ", " : "";
        text += '"';
        text += std::to_string(codes[i]);
        text += "\": ";
        text += values[i];
    }
    text += "}}";
    return text;
}

void WriteText(const std::string& path, const std::string& text) {
    TFileStream file(path, TFileMode::Create);
    file.WriteBuffer(text.data(), text.size());
}

// A 60 s stereo 44.1 kHz sprite, 110 slices of 120 ms half a second apart.
std::string SpritePack() {
    std::string pack = (fs::path(PacksFolder()) / "sprite").string();
    std::string ogg = (fs::path(pack) / "sprite.ogg").string();
    if (FileExists(ogg))
        return pack;
    fs::create_directories(pack);
    std::string wav = (fs::path(pack) / "sprite.wav").string();
    WriteWaveFile(wav, Tone(440, 60, 44100, 2));
    if (std::system(("oggenc -Q -q 4 -o \"" + ogg + "\" \"" + wav + "\"").c_str()) != 0)
        return {};
    fs::remove(wav);
    std::vector<std::string> slices;
    for (int i = 0; i < 110; ++i)
        slices.push_back(std::to_string(i * 540));
    for (std::string& slice : slices)
        slice.insert(0, 1, '[').append(", 120]");
    WriteText((fs::path(pack) / "config.json").string(), Config(true, slices));
    return pack;
}

// 110 files of 200 ms, stereo 44.1 kHz 16-bit.
std::string FilesPack() {
    std::string pack = (fs::path(PacksFolder()) / "files").string();
    if (FileExists((fs::path(pack) / "config.json").string()))
        return pack;
    fs::create_directories(pack);
    std::vector<std::string> names;
    for (int i = 0; i < 110; ++i) {
        std::string name = "key " + std::to_string(i) + ".wav";
        WriteWaveFile((fs::path(pack) / name).string(), Tone(300 + 10 * i, 0.2, 44100, 2));
        names.push_back("\"" + name + "\"");
    }
    WriteText((fs::path(pack) / "config.json").string(), Config(false, names));
    return pack;
}

// The pack folder's files deflated into a zip beside it: at the zip's root, or in a folder of
// the pack's name.
std::string ZipPack(const std::string& pack, bool inFolder) {
    if (pack.empty())
        return {};
    std::string zip = pack + (inFolder ? "-in-folder.zip" : ".zip");
    if (FileExists(zip))
        return zip;
    const std::string prefix = inFolder ? fs::path(pack).filename().string() + "/" : "";
    std::vector<ziptest::Entry> entries;
    for (const auto& file : fs::directory_iterator(pack)) {
        std::ifstream in(file.path(), std::ios::binary);
        entries.emplace_back(prefix + file.path().filename().string(),
                             std::string(std::istreambuf_iterator<char>(in), {}));
    }
    WriteText(zip, ziptest::MakeZip(entries));
    return zip;
}

void Import(benchmark::State& state, const std::string& pack) {
    if (pack.empty()) {
        state.SkipWithError("the pack could not be made (oggenc missing?)");
        return;
    }
    std::string program = (fs::temp_directory_path() / "tappolo-bench-program").string();
    fs::remove_all(program);
    fs::create_directories(fs::path(program) / "schemes");
    program += PathDelimiter;
    for (auto _ : state) {
        PackImportResult result = ImportPack(pack, program);
        benchmark::DoNotOptimize(result.ownSounds);
        state.PauseTiming();
        fs::remove_all(fs::path(program) / "schemes");
        fs::create_directories(fs::path(program) / "schemes");
        state.ResumeTiming();
    }
}

void OggSpritePack60s(benchmark::State& state) {
    Import(state, SpritePack());
}
BENCHMARK(OggSpritePack60s)->Unit(benchmark::kMillisecond);

void WaveFilesPack110(benchmark::State& state) {
    Import(state, FilesPack());
}
BENCHMARK(WaveFilesPack110)->Unit(benchmark::kMillisecond);

void OggSpritePack60sZip(benchmark::State& state) {
    Import(state, ZipPack(SpritePack(), false));
}
BENCHMARK(OggSpritePack60sZip)->Unit(benchmark::kMillisecond);

void WaveFilesPack110Zip(benchmark::State& state) {
    Import(state, ZipPack(FilesPack(), true));
}
BENCHMARK(WaveFilesPack110Zip)->Unit(benchmark::kMillisecond);

#ifdef _WIN32
// The 110-file pack imported, then made the current scheme: every sound it keeps decoded and
// made ready for the device (the engine runs on the default device), as at start-up or when
// the scheme is picked in the menu. decoded_MB: the files' samples and the device copies.
void LoadWaveFilesPack110(benchmark::State& state) {
    std::string program = (fs::temp_directory_path() / "tappolo-bench-load").string();
    fs::remove_all(program);
    fs::create_directories(fs::path(program) / "schemes");
    program += PathDelimiter;
    const std::string name = ImportPack(FilesPack(), program).schemeName;
    TMySchemeInfo scheme;
    scheme.LoadFromFile(SchemeFilePath(program, name), false);
    StartSoundOutput();
    for (auto _ : state)
        LoadSchemeSounds(program, name, scheme);
    state.counters["decoded_MB"] =
        static_cast<double>(DecodedSoundBytes(program, name, scheme)) / 1048576;
    StopSoundOutput();
}
BENCHMARK(LoadWaveFilesPack110)->Unit(benchmark::kMillisecond);
#endif

} // namespace

BENCHMARK_MAIN();
