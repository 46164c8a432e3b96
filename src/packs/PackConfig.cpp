#include "PackConfig.h"

#include "Exception.h"

#include <charconv>
#include <nlohmann/json.hpp>

namespace {

using nlohmann::json;

// The line and column (both from 1) of a byte offset; a column counts bytes.
std::string Where(std::string_view text, size_t offset) {
    offset = std::min(offset, text.size());
    size_t line = 1;
    size_t lineStart = 0;
    for (size_t i = 0; i < offset; ++i) {
        if (text[i] == '\n') {
            ++line;
            lineStart = i + 1;
        }
    }
    return Format("line %s, column %s",
                  {std::to_string(line), std::to_string(offset - lineStart + 1)});
}

std::optional<uint32_t> KeyCode(const std::string& key) {
    uint32_t code = 0;
    auto [end, error] = std::from_chars(key.data(), key.data() + key.size(), code);
    if (error != std::errc() || end != key.data() + key.size() || key.empty()) {
        return std::nullopt;
    }
    return code;
}

uint64_t Milliseconds(const json& value) {
    if (value.is_number_unsigned()) {
        return value.get<uint64_t>();
    }
    if (value.is_number_integer()) {
        return 0; // negative
    }
    double ms = value.get<double>();
    return ms > 0 && ms < 1e15 ? static_cast<uint64_t>(ms) : 0;
}

} // namespace

PackConfig ParsePackConfig(std::string_view text) {
    json root;
    try {
        root = json::parse(text.begin(), text.end());
    } catch (const json::parse_error& e) {
        // The offset is that of the byte after the one the parser stopped at.
        throw Exception("config.json is not valid JSON (" +
                        Where(text, e.byte > 0 ? e.byte - 1 : 0) + ")");
    } catch (const json::exception&) {
        // A number beyond what a double holds (1e999) is refused by the parser without a place.
        throw Exception("config.json is not valid JSON (a number too large)");
    }
    if (!root.is_object()) {
        throw Exception("config.json does not describe a sound pack");
    }
    PackConfig config;
    if (auto version = root.find("version"); version != root.end() && !version->is_null()) {
        // "2" as text is read too: hand-edited configs have it.
        if (version->is_number_integer() && (*version == 1 || *version == 2)) {
            config.version = version->get<int>();
        } else if (version->is_string() && (*version == "1" || *version == "2")) {
            config.version = version->get<std::string>()[0] - '0';
        } else {
            throw Exception("The pack's version " + version->dump() +
                            " is not one this program knows");
        }
    }
    if (auto name = root.find("name"); name != root.end() && name->is_string()) {
        config.name = name->get<std::string>();
    }
    if (auto type = root.find("key_define_type"); type != root.end() && !type->is_null()) {
        config.single = type->is_string() && *type == "single";
    }
    if (auto sound = root.find("sound"); sound != root.end() && sound->is_string()) {
        config.sound = sound->get<std::string>();
    }
    if (auto soundUp = root.find("soundup"); soundUp != root.end() && soundUp->is_string()) {
        config.soundUp = soundUp->get<std::string>();
    }
    auto defines = root.find("defines");
    if (defines == root.end() || !defines->is_object()) {
        throw Exception("config.json has no \"defines\"");
    }
    for (const auto& [key, value] : defines->items()) {
        constexpr std::string_view up = "-up";
        const bool release = key.size() > up.size() && key.ends_with(up);
        std::optional<uint32_t> code =
            KeyCode(release ? key.substr(0, key.size() - up.size()) : key);
        if (!code) {
            continue; // whatever is not a key code
        }
        // A value of the wrong kind is taken as null: that key has no sound of its own.
        KeyDefine define;
        if (config.single && value.is_array() && value.size() >= 2 && value[0].is_number() &&
            value[1].is_number()) {
            define.kind = KeyDefine::Kind::Slice;
            define.startMs = Milliseconds(value[0]);
            define.lengthMs = Milliseconds(value[1]);
        } else if (!config.single && value.is_string()) {
            define.kind = KeyDefine::Kind::File;
            define.file = value.get<std::string>();
        }
        (release ? config.releases : config.defines)[*code] = std::move(define);
    }
    return config;
}
