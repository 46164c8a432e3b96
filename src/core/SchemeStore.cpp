#include "SchemeStore.h"

#include "NameRules.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace {

constexpr std::string_view kExtension = ".tss";
constexpr std::string_view kKeySoundsExtension = ".tsk";

// Bit c - 32 is set for each forbidden character c.
constexpr std::array<uint32_t, 3> MakeForbiddenSet() {
    std::array<uint32_t, 3> set{};
    for (char c : std::string_view("\"*/:<>?\\|")) {
        const unsigned bit = static_cast<unsigned char>(c) - 32u;
        set[bit / 32] |= 1u << (bit % 32);
    }
    return set;
}
constexpr std::array<uint32_t, 3> kForbidden = MakeForbiddenSet();

// Windows takes these as devices whatever the folder and whatever follows the first dot. The
// digit of COM and LPT may also be a superscript one, two or three (0xB9, 0xB2, 0xB3 in the
// Western code page; refusing those bytes in other code pages costs little).
bool IsDeviceName(std::string_view name) {
    std::string_view base = name.substr(0, name.find('.'));
    while (!base.empty() && base.back() == ' ')
        base.remove_suffix(1);
    for (std::string_view device : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"})
        if (SameName(base, device))
            return true;
    if (base.size() == 4 &&
        (SameName(base.substr(0, 3), "COM") || SameName(base.substr(0, 3), "LPT"))) {
        const unsigned char digit = static_cast<unsigned char>(base[3]);
        return (digit >= '0' && digit <= '9') || digit == 0xB9 || digit == 0xB2 || digit == 0xB3;
    }
    return false;
}

// A digit is never the second byte of a two-byte character, but "~" can be.
bool HasShortNameMark(std::string_view name, CharLengthRule rule) {
    for (std::size_t at = 0; at < name.size(); at += std::max(CharLengthAt(name, at, rule), 1))
        if (name[at] == '~' && at + 1 < name.size() && name[at + 1] >= '0' && name[at + 1] <= '9')
            return true;
    return false;
}

} // namespace

bool NamesOwnSchemeFile(std::string_view name, std::string_view fileName) {
    return fileName.size() == name.size() + kExtension.size() &&
           fileName.substr(0, name.size()) == name && fileName.substr(name.size()) == kExtension;
}

bool IsForbiddenNameChar(unsigned code) {
    if (code < 32 || code > 127)
        return false;
    const unsigned bit = code - 32;
    return (kForbidden[bit / 32] >> (bit % 32)) & 1u;
}

std::string StripForbiddenNameChars(std::string_view name, CharLengthRule rule) {
    std::string out;
    out.reserve(name.size());
    for (std::size_t at = 0; at < name.size();) {
        const std::size_t length = CharLengthAt(name, at, rule) == 2 ? 2 : 1;
        if (length == 2 || !IsForbiddenNameChar(static_cast<unsigned char>(name[at])))
            out += name.substr(at, length);
        at += length;
    }
    return out;
}

SchemeNameFault CheckSchemeName(std::string_view name, CharLengthRule rule) {
    if (name.empty())
        return SchemeNameFault::Empty;
    for (std::size_t at = 0; at < name.size();) {
        const int length = CharLengthAt(name, at, rule);
        const unsigned char c = static_cast<unsigned char>(name[at]);
        if (length == 0 || (length == 1 && (c < 32 || IsForbiddenNameChar(c))))
            return SchemeNameFault::ForbiddenChar;
        at += static_cast<std::size_t>(length);
    }
    if (name.front() == ' ' || name.back() == ' ' || name.back() == '.')
        return SchemeNameFault::LooseEnd;
    if (IsDeviceName(name))
        return SchemeNameFault::DeviceName;
    if (HasShortNameMark(name, rule))
        return SchemeNameFault::ShortNameAlias;
    if (name.find(kExtension) != std::string_view::npos)
        return SchemeNameFault::ListsOtherwise;
    if (name.size() >= kKeySoundsExtension.size() &&
        SameName(name.substr(name.size() - kKeySoundsExtension.size()), kKeySoundsExtension, rule))
        return SchemeNameFault::KeySoundsClash;
    if (name.size() + kExtension.size() > MaxNameLength)
        return SchemeNameFault::TooLong;
    return SchemeNameFault::Usable;
}

SchemeNameFault CheckSchemeName(const std::string& programDir, std::string_view name) {
    const SchemeNameFault fault = CheckSchemeName(name);
    if (fault != SchemeNameFault::Usable)
        return fault;
    if (SchemeFilePath(programDir, std::string(name)).size() > MaxPathLength)
        return SchemeNameFault::TooLong;
    return SchemeNameFault::Usable;
}
