#pragma once
// Conversions between the system ANSI code page (the form every product text is held in) and
// UTF-16. Natively the ANSI code page is taken to be Windows-1252.
#include <string>
#include <string_view>

std::u16string AnsiToUtf16(std::string_view text);
// Characters the code page cannot hold become "?", unless Windows has a look-alike for them in
// its best-fit table (as the system's own ANSI calls do).
std::string Utf16ToAnsi(std::u16string_view text);
