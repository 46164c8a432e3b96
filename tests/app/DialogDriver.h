#pragma once
// Drives the program's dialogs from outside, as a user would: windows found by caption and by
// the text of their controls, clicks with the mouse, text typed on the keyboard, the platform's
// file-open dialog answered. What a control shows is read from the window tree or, for drawn
// controls, from the screen's pixels.
#include "AppDriver.h"

#include <string>
#include <vector>

namespace app {

// A visible top-level window of the process with this caption, or null in time.
HWND WaitWindow(DWORD processId, const std::string& caption, milliseconds timeout);
// Whether the window is gone (closed or hidden) within the timeout.
bool WaitGone(HWND window, milliseconds timeout);

// Waits until the thread of the window has finished what it is doing (the command that is
// running), by sending it a message it can answer only then.
void Sync(HWND window);

// The first child, at any depth, whose text is `text` (a caption with its "&" marks).
HWND ChildByText(HWND parent, const std::string& text);
// The n-th child (0-based, at any depth, in creation order) of a window class.
HWND ChildOfClass(HWND parent, const char* className, int n = 0);
std::string TextOf(HWND window);
bool Enabled(HWND window);

// A left click in the middle of the window, with the mouse.
void Click(HWND window);
// Types text on the keyboard, character by character (US layout).
void TypeText(const std::string& text);

// Puts the text on the clipboard and pastes it with Ctrl+V where the focus is.
void Paste(const std::string& text);

// Drop-down lists: the items, the selection, and a choice made as the list reports a user's.
std::vector<std::string> ComboItems(HWND combo);
int ComboIndex(HWND combo);
void ChooseComboItem(HWND combo, int index);

// Answers the open platform file-open dialog of the process (found by its title) with a full
// path.
bool ChooseFile(DWORD processId, const std::string& path, milliseconds timeout,
                const std::string& title = "Open");
// The same with several names of one folder, as a user picks them together: the dialog is
// taken to the folder first, then given the names in quotes.
bool ChooseFiles(DWORD processId, const std::string& folder, const std::vector<std::string>& names,
                 milliseconds timeout, const std::string& title = "Open");

// Opens the control's context menu with a right click and chooses the item at `index`
// (0-based; menus of another process cannot be read, so by position); true when the menu
// opened and closed again.
bool ChooseContextItem(HWND control, int index);

// How a drawn panel looks on the screen: pressed in or standing out, whether its caption
// is drawn in maroon (128, 0, 0) or in black, and whether it carries the blue dot of a key
// with a sound of its own.
struct PanelLook {
    bool Lowered = false;
    bool Maroon = false;
    bool Black = false;
    bool Marked = false;
};
PanelLook LookOf(HWND panel);

} // namespace app
