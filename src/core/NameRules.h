#pragma once
// How the program compares and forms names: of schemes, sound files and menu captions.
#include "CodePage.h"

#include <string>
#include <string_view>

// Equal ignoring the case of A to Z only; every other byte must match, so that names in a
// multi-byte code page never compare equal by accident. The second byte of a two-byte
// character is no letter even when its value is one: it must match exactly.
bool SameName(std::string_view a, std::string_view b, CharLengthRule rule = AnsiCharLength);

// The part of the path's file name from its last ".", or empty when the name has none.
std::string_view FileExtension(std::string_view path);

// Files with exactly this extension (lower case) go to the MIDI sequencer, not to PlaySound.
bool IsMidiFile(std::string_view path);

// Blanks and control characters (every byte up to and including the blank) off both ends.
std::string TrimBlanks(std::string_view text);

// The scheme name that a file of the schemes folder lists as: trimmed, then every ".tss"
// (exact lower case) removed, not only the extension. "x.tss.tss" lists as "x" and "A.TSS"
// keeps its extension, so neither name leads back to its file.
std::string SchemeListName(std::string_view fileName);

// The caption without its accelerator marks ("&&" stays as one "&").
std::string StripHotkey(std::string_view caption);
