#pragma once
// The name a pack's scheme gets.
#include <string>
#include <string_view>
#include <vector>

// UTF-8 (as JSON holds text) to UTF-16; bytes that are not UTF-8 become U+FFFD.
std::u16string Utf8ToUtf16(std::string_view text);

// The longest name an import gives before a " 2", " 3", ... is added.
constexpr size_t MaxImportedNameLength = 40;
// What a pack whose name is of no use is called.
constexpr const char* FallbackImportName = "Imported pack";

// The scheme name for a pack: its config's `name` (UTF-8) or, when it has none, its folder's
// name (ANSI); blanks trimmed, the nine characters file names cannot hold removed, cut to 40
// characters. A name the scheme-name guard refuses becomes "Imported pack". A name that is
// `taken` (a scheme list entry or a folder of the schemes folder, compared ignoring case) gets
// " 2", " 3", ... : an import never writes into an existing scheme. Empty when no free name is
// found.
std::string ImportedSchemeName(std::string_view configName, std::string_view folderName,
                               const std::vector<std::string>& taken,
                               const std::string& programDir);
