#pragma once
// The name a pack's scheme gets.
#include <string>
#include <string_view>
#include <vector>

// UTF-8 (as JSON holds text) to UTF-16; bytes that are not UTF-8 become U+FFFD.
std::u16string Utf8ToUtf16(std::string_view text);
// UTF-16 to UTF-8; a surrogate without its pair becomes U+FFFD.
std::string Utf16ToUtf8(std::u16string_view text);

// The characters of a UTF-8 text that the ANSI code page holds exactly, in that code page: any
// other character is left out, never replaced by "?" or by a look-alike (the system's
// best-fit table makes a fullwidth "／" a "/").
std::string ExactAnsi(std::string_view utf8);

// The longest name an import gives before a " 2", " 3", ... is added.
constexpr size_t MaxImportedNameLength = 40;
// What a pack whose name is of no use is called.
constexpr const char* FallbackImportName = "Imported pack";

// The scheme name for a pack: its config's `name`, or its folder's name when nothing of that is
// left (both UTF-8); only what the ANSI code page holds exactly (ExactAnsi), blanks trimmed,
// the nine characters file names cannot hold removed, cut to 40 characters. A name the
// scheme-name guard refuses becomes "Imported pack". A name that is
// `taken` (a scheme list entry or a folder of the schemes folder, compared ignoring case) gets
// " 2", " 3", ... : an import never writes into an existing scheme. Empty when no free name is
// found.
std::string ImportedSchemeName(std::string_view configName, std::string_view folderName,
                               const std::vector<std::string>& taken,
                               const std::string& programDir);
