#include "NameRules.h"

namespace {

char FoldAscii(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool IsPathDelimiter(char c) {
    return c == '\\' || c == '/' || c == ':';
}

bool IsBlank(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}

} // namespace

bool SameName(std::string_view a, std::string_view b, CharLengthRule rule) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (FoldAscii(a[i]) != FoldAscii(b[i]))
            return false;
        // Equal lead bytes: both names have a two-byte character here.
        if (CharLengthAt(a, i, rule) == 2) {
            ++i;
            if (a[i] != b[i])
                return false;
        }
    }
    return true;
}

std::string_view FileExtension(std::string_view path) {
    for (std::size_t i = path.size(); i > 0; --i) {
        const char c = path[i - 1];
        if (c == '.')
            return path.substr(i - 1);
        if (IsPathDelimiter(c))
            break;
    }
    return {};
}

bool IsMidiFile(std::string_view path) {
    return FileExtension(path) == ".mid";
}

std::string TrimBlanks(std::string_view text) {
    std::size_t first = 0, last = text.size();
    while (first < last && IsBlank(text[first]))
        ++first;
    while (last > first && IsBlank(text[last - 1]))
        --last;
    return std::string(text.substr(first, last - first));
}

std::string SchemeListName(std::string_view fileName) {
    constexpr std::string_view ext = ".tss";
    std::string name = TrimBlanks(fileName);
    // The search goes on where the removed text was, so the joined ends of one removal never
    // form an occurrence of their own.
    for (std::size_t at = name.find(ext); at != std::string::npos; at = name.find(ext, at))
        name.erase(at, ext.size());
    return name;
}

std::string StripHotkey(std::string_view caption) {
    std::string out;
    for (std::size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == '&') {
            if (i + 1 < caption.size() && caption[i + 1] == '&')
                out += '&', ++i;
            continue;
        }
        out += caption[i];
    }
    return out;
}
