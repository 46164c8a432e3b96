#pragma once
// Conversions between the system ANSI code page (the form every product text is held in) and
// UTF-16. Natively the ANSI code page is taken to be Windows-1252.
#include <cstddef>
#include <string>
#include <string_view>

std::u16string AnsiToUtf16(std::string_view text);
// Characters the code page cannot hold become "?", unless Windows has a look-alike for them in
// its best-fit table (as the system's own ANSI calls do).
std::string Utf16ToAnsi(std::u16string_view text);

// How a code page splits bytes into characters: the number of bytes of the character that
// begins with `first`, followed by `second` (-1 at the end of the text). 1 for a character of
// one byte, 2 when `first` is a lead byte that `second` completes, 0 when `first` is a lead
// byte that `second` does not complete (a broken character: what it turns into is anybody's
// guess). The second byte of a pair may be any byte from 0x40 up, "\" and "|" included.
using CharLengthRule = int (*)(unsigned char first, int second);

// The system ANSI code page's rule (natively Windows-1252: every character is one byte).
int AnsiCharLength(unsigned char first, int second);

// The rule of a given ANSI code page, for reading text as that code page would: the
// double-byte ones 932 (Japanese), 936 (Simplified Chinese), 949 (Korean) and 950 (Traditional
// Chinese) from their lead and trail byte ranges; every other number gives single bytes.
CharLengthRule CharLengthRuleOf(unsigned codePage);

#ifdef _WIN32
// The rule of any code page the system has, from its own tables; a pair it knows no character
// for is broken. The ANSI code page's rule is this one for CP_ACP.
int CodePageCharLength(unsigned codePage, unsigned char first, int second);
#endif

// The length of the character at `at` (which must be inside `text`) under `rule`.
inline int CharLengthAt(std::string_view text, std::size_t at, CharLengthRule rule) {
    const int second = at + 1 < text.size() ? static_cast<unsigned char>(text[at + 1]) : -1;
    return rule(static_cast<unsigned char>(text[at]), second);
}
