#include "CodePage.h"

namespace {

// Windows-1252 bytes 0x80-0x9F. The five bytes the code page leaves unassigned map to the
// control characters of the same value, as Windows maps them.
constexpr char16_t kHigh[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char16_t ToUnit(unsigned char byte) {
    return byte >= 0x80 && byte < 0xA0 ? kHigh[byte - 0x80] : static_cast<char16_t>(byte);
}

char ToByte(char16_t unit) {
    if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF))
        return static_cast<char>(unit);
    for (int i = 0; i < 32; ++i)
        if (kHigh[i] == unit)
            return static_cast<char>(0x80 + i);
    return '?';
}

} // namespace

std::u16string AnsiToUtf16(std::string_view text) {
    std::u16string result;
    result.reserve(text.size());
    for (char c : text)
        result += ToUnit(static_cast<unsigned char>(c));
    return result;
}

std::string Utf16ToAnsi(std::u16string_view text) {
    std::string result;
    result.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char16_t unit = text[i];
        // A surrogate pair is one character outside the code page, so it gives one "?".
        if (unit >= 0xD800 && unit < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] < 0xE000)
            ++i;
        result += ToByte(unit);
    }
    return result;
}

int AnsiCharLength(unsigned char, int) {
    return 1;
}
