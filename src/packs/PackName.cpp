#include "PackName.h"

#include "CodePage.h"
#include "NameRules.h"
#include "SchemeStore.h"

#include <algorithm>

std::u16string Utf8ToUtf16(std::string_view text) {
    std::u16string out;
    size_t i = 0;
    while (i < text.size()) {
        unsigned char lead = static_cast<unsigned char>(text[i]);
        size_t length = lead < 0x80         ? 1
                        : (lead >> 5) == 6  ? 2
                        : (lead >> 4) == 14 ? 3
                        : (lead >> 3) == 30 ? 4
                                            : 0;
        char32_t code = length == 1   ? lead
                        : length == 2 ? lead & 0x1F
                        : length == 3 ? lead & 0x0F
                                      : lead & 0x07;
        bool valid = length != 0 && i + length <= text.size();
        for (size_t k = 1; valid && k < length; ++k) {
            unsigned char next = static_cast<unsigned char>(text[i + k]);
            valid = (next & 0xC0) == 0x80;
            code = (code << 6) | (next & 0x3F);
        }
        // Overlong forms, surrogates and codes past U+10FFFF are not characters.
        static const char32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
        valid =
            valid && code >= least[length] && code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF);
        if (!valid) {
            out += u'\uFFFD';
            ++i;
            continue;
        }
        if (code >= 0x10000) {
            out += static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF));
        } else {
            out += static_cast<char16_t>(code);
        }
        i += length;
    }
    return out;
}

std::string Utf16ToUtf8(std::u16string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t code = text[i];
        if (code >= 0xD800 && code <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            code = 0x10000 + ((code - 0xD800) << 10) + (text[++i] - 0xDC00);
        } else if (code >= 0xD800 && code <= 0xDFFF) {
            code = 0xFFFD;
        }
        if (code < 0x80) {
            out += static_cast<char>(code);
        } else if (code < 0x800) {
            out += static_cast<char>(0xC0 | (code >> 6));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            out += static_cast<char>(0xE0 | (code >> 12));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (code >> 18));
            out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        }
    }
    return out;
}

std::string ExactAnsi(std::string_view utf8) {
    std::u16string wide = Utf8ToUtf16(utf8);
    std::string out;
    for (size_t i = 0; i < wide.size();) {
        size_t length = wide[i] >= 0xD800 && wide[i] <= 0xDBFF && i + 1 < wide.size() ? 2 : 1;
        std::u16string_view one(wide.data() + i, length);
        // A character is held when it comes back from the code page as itself.
        std::string ansi = Utf16ToAnsi(one);
        if (!ansi.empty() && AnsiToUtf16(ansi) == one) {
            out += ansi;
        }
        i += length;
    }
    return out;
}

namespace {

// Trimmed, without the nine characters, at most MaxImportedNameLength characters.
std::string CleanName(const std::string& ansi) {
    std::u16string wide = AnsiToUtf16(StripForbiddenNameChars(TrimBlanks(ansi)));
    if (wide.size() > MaxImportedNameLength) {
        size_t cut = MaxImportedNameLength;
        // Never half of a surrogate pair.
        if (wide[cut - 1] >= 0xD800 && wide[cut - 1] <= 0xDBFF) {
            --cut;
        }
        wide.resize(cut);
    }
    return TrimBlanks(Utf16ToAnsi(wide));
}

bool IsTaken(const std::vector<std::string>& taken, std::string_view name) {
    return std::any_of(taken.begin(), taken.end(),
                       [&](const std::string& t) { return SameName(t, name); });
}

} // namespace

std::string ImportedSchemeName(std::string_view configName, std::string_view folderName,
                               const std::vector<std::string>& taken,
                               const std::string& programDir) {
    std::string name = CleanName(ExactAnsi(configName));
    if (name.empty()) {
        name = CleanName(ExactAnsi(folderName));
    }
    if (!SchemeNameUsable(programDir, name)) {
        name = FallbackImportName;
    }
    for (int number = 1; number < 10000; ++number) {
        std::string candidate = number == 1 ? name : name + " " + std::to_string(number);
        if (!IsTaken(taken, candidate) && SchemeNameUsable(programDir, candidate)) {
            return candidate;
        }
    }
    return {};
}
