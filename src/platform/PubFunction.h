#pragma once
// The shared utilities: message boxes, file listing, sound playback, folder deletion, version
// texts and the auto-run values.
#include <windows.h>

#include <string>
#include <vector>

// How the message boxes take their place among the program's windows: `enter` gives the owner
// of a box about to open, `leave` (when given) follows when it has closed, on every way out.
// The application sets a host that makes the box its only window taking input; until then
// (and with a null `enter`) the thread's active window owns the boxes.
using MessageBoxEnter = HWND (*)();
using MessageBoxLeave = void (*)() noexcept;
void SetMessageBoxHost(MessageBoxEnter enter, MessageBoxLeave leave = nullptr);

// The texts are ANSI; the captions are Chinese words shown as UTF-16 so that every system
// reads them correctly.
void ShowInfo(const std::string& text);
void ShowError(const std::string& text);
bool AskYesNo(const std::string& text);

// Bare names of the files (not folders) matching folder + "\" + mask, in the file system's
// order. A missing folder gives an empty list; the result is always true.
bool ListFiles(const std::string& folder, const std::string& mask, std::vector<std::string>& list);

// Starts the file playing in the background and returns at once; a later call cuts it off.
// Nothing happens when no file is at path.
void PlaySoundFile(const std::string& path);

// The MCI alias under which a ".mid" sound plays.
constexpr const char* MidiSoundAlias = "TappoloKeyMidi";

// Deletes the folder with everything in it, without confirmation, error display or recycle
// bin. True when the shell operation succeeded.
bool DeleteFolder(const std::string& path);

// "major.minor.release.build" of the file's fixed version block, or empty without one.
std::string GetFileVersionText(const std::string& path);

// Auto-run at logon: the value `valueName` under the Run key of the machine when it can be
// opened with full access (an administrator), else under the current user's own Run key. The
// data is the quoted executable path. Enabling writes it, disabling removes it; false when
// neither key could be opened. Raises "Failed to set data for '%s'" when the value cannot be
// written, and "Failed to delete data for '%s'" when it cannot be removed (also when the
// machine-wide value names the program and its key is not writable).
bool SetAutoRun(const std::string& valueName, const std::string& exePath, bool enable);
// Whether the machine-wide or the per-user value names exePath (SamePathLoose). A value of
// that name that is not a string raises "Invalid data type for '%s'".
bool IsAutoRun(const std::string& valueName, const std::string& exePath);
