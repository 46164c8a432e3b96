#include "PackPlan.h"

#include "Slicing.h"

#include <algorithm>

namespace {

constexpr size_t LetterIndex = 12;

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// A name's "{a-b}": where it stands and the two numbers as written.
struct NameRange {
    size_t open = 0;
    size_t close = 0;
    std::string_view low; // the lower of the two numbers, whichever way round they are written
    std::string_view high;
};

std::optional<NameRange> FindRange(std::string_view name) {
    size_t open = name.find('{');
    if (open == std::string_view::npos) {
        return std::nullopt;
    }
    size_t close = name.find('}', open);
    if (close == std::string_view::npos) {
        return std::nullopt;
    }
    std::string_view range = name.substr(open + 1, close - open - 1);
    size_t dash = range.find('-');
    if (dash == 0 || dash == std::string_view::npos || dash + 1 == range.size()) {
        return std::nullopt;
    }
    for (size_t i = 0; i < range.size(); ++i) {
        if (i != dash && !IsDigit(range[i])) {
            return std::nullopt;
        }
    }
    std::string_view low = range.substr(0, dash);
    std::string_view high = range.substr(dash + 1);
    bool lowFirst = low.size() != high.size() ? low.size() < high.size() : low <= high;
    return lowFirst ? NameRange{open, close, low, high} : NameRange{open, close, high, low};
}

} // namespace

std::string FirstOfRange(std::string_view name) {
    std::optional<NameRange> range = FindRange(name);
    if (!range) {
        return std::string(name);
    }
    std::string result(name.substr(0, range->open));
    result += range->low;
    result += name.substr(range->close + 1);
    return result;
}

std::vector<std::string> RangeFiles(std::string_view name) {
    std::vector<std::string> files = {FirstOfRange(name)};
    std::optional<NameRange> range = FindRange(name);
    // Numbers of more than nine digits name no file a pack has.
    if (!range || range->low.size() > 9 || range->high.size() > 9) {
        return files;
    }
    const uint32_t low = static_cast<uint32_t>(std::stoul(std::string(range->low)));
    const uint32_t high = static_cast<uint32_t>(std::stoul(std::string(range->high)));
    // "{01-12}" numbers its files with two digits.
    const size_t width = range->low.size() > 1 && range->low[0] == '0' ? range->low.size() : 1;
    for (uint32_t n = low + 1; n <= high && files.size() < MaxSoundTakes; ++n) {
        std::string number = std::to_string(n);
        if (number.size() < width) {
            number.insert(0, width - number.size(), '0');
        }
        files.push_back(std::string(name.substr(0, range->open)) + number +
                        std::string(name.substr(range->close + 1)));
    }
    return files;
}

bool StaysInPack(std::string_view name) {
    if (name.empty() || name[0] == '/' || name[0] == '\\') {
        return false;
    }
    size_t partStart = 0;
    for (size_t i = 0; i <= name.size(); ++i) {
        if (i == name.size() || name[i] == '/' || name[i] == '\\') {
            // Windows drops the dots and blanks at a name's end: "..." or ".. " is "..".
            std::string_view part = name.substr(partStart, i - partStart);
            if (part != "." && !part.empty() &&
                part.find_first_not_of(". ") == std::string_view::npos) {
                return false;
            }
            partStart = i + 1;
        } else if (static_cast<unsigned char>(name[i]) < 0x20 ||
                   std::string_view(":*?\"<>|").find(name[i]) != std::string_view::npos) {
            return false;
        }
    }
    return true;
}

uint64_t SpriteReachMs(const PackConfig& config) {
    uint64_t reach = 0;
    for (const auto* defines : {&config.defines, &config.releases}) {
        for (const auto& [code, define] : *defines) {
            if (define.kind == KeyDefine::Kind::Slice && KeyPlaceOfCode(code)) {
                // Start times come from the pack: the sum must not wrap round to a short reach.
                uint64_t length = std::min<uint64_t>(define.lengthMs, MaxKeySoundMs);
                uint64_t start = std::min<uint64_t>(define.startMs, UINT64_MAX / 2);
                reach = std::max(reach, start + length);
            }
        }
    }
    return reach;
}

PackPlan PlanPack(const PackConfig& config, const SourceUsable& usable) {
    auto offer = [&](const SoundSource& source) {
        return StaysInPack(source.file) && usable(source);
    };
    PackPlan plan;
    for (size_t type = 0; type < size_t{KeyTypeCount}; ++type) {
        for (uint32_t code : KeyTypeCodes(type)) {
            auto define = config.defines.find(code);
            if (define == config.defines.end()) {
                continue;
            }
            SoundSource source;
            if (define->second.kind == KeyDefine::Kind::Slice) {
                source = {config.sound, true, define->second.startMs, define->second.lengthMs};
            } else if (define->second.kind == KeyDefine::Kind::File) {
                source.file =
                    config.version == 2 ? FirstOfRange(define->second.file) : define->second.file;
            } else {
                continue; // null: silent in version 1, the fallback in version 2
            }
            if (offer(source)) {
                plan[type] = {source, true, code};
                break;
            }
        }
    }
    std::optional<SoundSource> fallback;
    if (config.version == 2 && !config.single && !config.sound.empty()) {
        SoundSource sound{FirstOfRange(config.sound)};
        if (offer(sound)) {
            fallback = sound;
        }
    }
    if (!fallback) {
        fallback = plan[LetterIndex].source;
    }
    for (KeyTypePlan& type : plan) {
        if (!type.own) {
            type.source = fallback;
        }
    }
    return plan;
}
