#include "KeyPlan.h"

#include <map>
#include <tuple>
#include <set>

namespace {

constexpr size_t LetterIndex = 12;

class Planner {
public:
    Planner(const PackConfig& config, const SourceUsable& usable)
        : FConfig(config), FUsable(usable) {}

    // The usable takes of a define: one slice, or the files its name stands for.
    SourceTakes TakesOf(const KeyDefine& define) const {
        if (define.kind == KeyDefine::Kind::Slice) {
            SoundSource slice{FConfig.sound, true, define.startMs, define.lengthMs};
            return Offer(slice) ? SourceTakes{slice} : SourceTakes{};
        }
        if (define.kind == KeyDefine::Kind::File) {
            return FileTakes(define.file);
        }
        return {};
    }

    // What a define gives a single key: its usable takes; silence where the pack leaves the
    // key silent (a slice of no length; null in version 1, as the pack's home application
    // plays it); nothing, so that the key takes the fallback or its type's sound, otherwise.
    SourceTakes KeyTakesOf(const KeyDefine& define) const {
        if ((define.kind == KeyDefine::Kind::Slice && define.lengthMs == 0) ||
            (define.kind == KeyDefine::Kind::Null && FConfig.version != 2)) {
            return {SilentSource()};
        }
        return TakesOf(define);
    }

    // A file name's usable takes: every file of a version 2 range, else the name.
    SourceTakes FileTakes(const std::string& name) const {
        SourceTakes takes;
        for (std::string& file :
             FConfig.version == 2 ? RangeFiles(name) : std::vector<std::string>{name}) {
            SoundSource source{std::move(file)};
            if (Offer(source)) {
                takes.push_back(std::move(source));
            }
        }
        return takes;
    }

    // The first of `codes` whose define in `defines` gives takes; for a single key (`key`),
    // silence counts.
    template <typename Codes>
    std::pair<SourceTakes, uint32_t> FirstOf(const Codes& codes,
                                             const std::map<uint32_t, KeyDefine>& defines,
                                             bool key = false) const {
        for (uint32_t code : codes) {
            auto define = defines.find(code);
            if (code != 0 && define != defines.end()) {
                SourceTakes takes = key ? KeyTakesOf(define->second) : TakesOf(define->second);
                if (!takes.empty()) {
                    return {std::move(takes), code};
                }
            }
        }
        return {};
    }

private:
    bool Offer(const SoundSource& source) const {
        return StaysInPack(source.file) && FUsable(source);
    }

    const PackConfig& FConfig;
    const SourceUsable& FUsable;
};

} // namespace

PackKeysPlan PlanPackKeys(const PackConfig& config, const PackPlan& types,
                          const SourceUsable& usable) {
    const Planner planner(config, usable);
    PackKeysPlan plan;
    SourceTakes& fallbackPress = plan.fallbackPress;
    SourceTakes& fallbackRelease = plan.fallbackRelease;
    if (config.version == 2) {
        if (!config.single && !config.sound.empty()) {
            fallbackPress = planner.FileTakes(config.sound);
        }
        if (!config.soundUp.empty()) {
            fallbackRelease = planner.FileTakes(config.soundUp);
        }
    }

    for (size_t type = 0; type < size_t{KeyTypeCount}; ++type) {
        if (types[type].own) {
            plan.typePress[type] = planner.TakesOf(config.defines.at(types[type].code));
        }
        std::tie(plan.typeRelease[type], plan.typeReleaseCode[type]) =
            planner.FirstOf(KeyTypeCodes(type), config.releases);
    }
    // The types without a sound of their own take the fallback's takes or the Letter Keys'.
    for (size_t type = 0; type < size_t{KeyTypeCount}; ++type) {
        const std::optional<SoundSource>& source = types[type].source;
        if (!types[type].own && source) {
            if (!fallbackPress.empty() && fallbackPress.front() == *source) {
                plan.typePress[type] = fallbackPress;
            } else if (!plan.typePress[LetterIndex].empty() &&
                       plan.typePress[LetterIndex].front() == *source) {
                plan.typePress[type] = plan.typePress[LetterIndex];
            } else {
                plan.typePress[type] = {*source};
            }
        }
        if (plan.typeReleaseCode[type] == 0) {
            plan.typeRelease[type] =
                !fallbackRelease.empty() ? fallbackRelease : plan.typeRelease[LetterIndex];
        }
    }

    std::set<KeyPlace> places;
    for (size_t type = 0; type < size_t{KeyTypeCount}; ++type) {
        for (uint32_t code : KeyTypeCodes(type)) {
            if (auto place = KeyPlaceOfCode(code)) {
                places.insert(*place);
            }
        }
    }
    for (const auto* defines : {&config.defines, &config.releases}) {
        for (const auto& entry : *defines) {
            if (auto place = KeyPlaceOfCode(entry.first)) {
                places.insert(*place);
            }
        }
    }
    for (KeyPlace place : places) {
        KeySoundsPlan key;
        key.key = place;
        const auto codes = KeyPlaceCodes(place);
        std::tie(key.press, key.pressCode) = planner.FirstOf(codes, config.defines, true);
        if (key.press.empty()) {
            key.press = fallbackPress;
        }
        std::tie(key.release, key.releaseCode) = planner.FirstOf(codes, config.releases, true);
        if (key.release.empty()) {
            key.release = fallbackRelease;
        }
        if (!key.press.empty() || !key.release.empty()) {
            plan.keys.push_back(std::move(key));
        }
    }
    return plan;
}
