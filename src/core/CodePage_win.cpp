#include "CodePage.h"

#include <windows.h>

#include <climits>

std::u16string AnsiToUtf16(std::string_view text) {
    if (text.empty() || text.size() > INT_MAX)
        return {};
    int length = static_cast<int>(text.size());
    int count = MultiByteToWideChar(CP_ACP, 0, text.data(), length, nullptr, 0);
    if (count <= 0)
        return {};
    std::u16string result(static_cast<size_t>(count), u'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), length, reinterpret_cast<wchar_t*>(result.data()),
                        count);
    return result;
}

std::string Utf16ToAnsi(std::u16string_view text) {
    if (text.empty() || text.size() > INT_MAX)
        return {};
    int length = static_cast<int>(text.size());
    auto* wide = reinterpret_cast<const wchar_t*>(text.data());
    int count = WideCharToMultiByte(CP_ACP, 0, wide, length, nullptr, 0, nullptr, nullptr);
    if (count <= 0)
        return {};
    std::string result(static_cast<size_t>(count), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide, length, result.data(), count, nullptr, nullptr);
    return result;
}

int CodePageCharLength(unsigned codePage, unsigned char first, int second) {
    if (!IsDBCSLeadByteEx(codePage, first))
        return 1;
    if (second < 0)
        return 0;
    // The system's own table decides whether the pair is a character; an unassigned pair
    // would not come back as the same bytes either.
    const char pair[2] = {static_cast<char>(first), static_cast<char>(second)};
    wchar_t unit = 0;
    return MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, pair, 2, &unit, 1) == 1 ? 2 : 0;
}

int AnsiCharLength(unsigned char first, int second) {
    return CodePageCharLength(CP_ACP, first, second);
}
