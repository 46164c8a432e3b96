#pragma once
// The rules of the scheme store beside its paths (DataPaths.h) and list names (NameRules.h):
// which list entries stand for their own scheme, and which names may reach the disk at all.
//
// A scheme N is the file schemes\N.tss and the folder schemes\N. Windows reads a path much
// more loosely than the concatenation suggests: it drops trailing dots and blanks ("Rock."
// is the folder of "Rock"), takes device names in any folder ("CON", "nul.tss"), climbs with
// "..", splits at "\" and "/", lets the shell's delete expand "*" and "?", and finds a long
// name through its 8.3 alias ("MYSCHE~1"); and a name holding ".tss" lists under another name
// once saved. A scheme may also have the file schemes\N.tsk (its per-key sounds), where the
// folder of a scheme "N.tsk" would stand. A name that could mean anything but its own file and
// folder is not usable: the store leaves the disk alone for it.
#include "DataPaths.h"
#include "NameRules.h"

#include <cstddef>
#include <string>
#include <string_view>

// Whether the list entry made from `fileName` (SchemeListName) names that very file: the
// entry + ".tss" is the file's name byte for byte. An entry that does not (" x.tss" listed as
// "x") may share its name with another scheme, whose file and folder are not its own.
bool NamesOwnSchemeFile(std::string_view name, std::string_view fileName);

// The nine characters that file names cannot hold: " * / : < > ? \ |. A set of 96 bits over
// the codes 32 to 127; no code outside that range is in it.
bool IsForbiddenNameChar(unsigned code);
// The name with every forbidden character taken out (text pasted into the name field passes
// the typed-character filter). The name is read as characters of the code page `rule` stands
// for: the second byte of a two-byte character stays, whatever its value.
std::string StripForbiddenNameChars(std::string_view name, CharLengthRule rule = AnsiCharLength);

// Why a name is not usable, or Usable. The path check needs the program directory.
enum class SchemeNameFault {
    Usable,
    Empty,
    ForbiddenChar,  // one of the nine, a control character, or a broken two-byte character
    LooseEnd,       // starts or ends with a blank, or ends with a dot: "Rock." is "Rock"
    DeviceName,     // CON, PRN, AUX, NUL, COM1-9, LPT1-9, CONIN$, CONOUT$, with any extension
    ShortNameAlias, // "~" and a digit: could be the 8.3 alias of another scheme's long name
    ListsOtherwise, // holds ".tss": its file would list under another name ("a.tss" as "a")
    KeySoundsClash, // ends in ".tsk" in any case: its folder would be another's key sounds file
    TooLong,        // the scheme file's path or name does not fit the platform's limits
};
// The name is read as characters of the ANSI code page, or of the one `rule` stands for: under a
// double-byte code page "\" or "|" may be the second byte of a character, not a character.
SchemeNameFault CheckSchemeName(std::string_view name, CharLengthRule rule = AnsiCharLength);
SchemeNameFault CheckSchemeName(const std::string& programDir, std::string_view name);
inline bool SchemeNameUsable(const std::string& programDir, std::string_view name) {
    return CheckSchemeName(programDir, name) == SchemeNameFault::Usable;
}

// The longest path the platform's ANSI file calls take, without the closing NUL.
constexpr std::size_t MaxPathLength = 259;
// The longest single name in a path.
constexpr std::size_t MaxNameLength = 255;
