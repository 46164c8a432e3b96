#pragma once
// Drives the real Tappolo.exe as a user would: a program directory of its own, the tray icon's
// menu opened through the tray callback and walked with the keyboard, keys typed with
// SendInput, message boxes found and answered.
#include <windows.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace app {

using std::chrono::milliseconds;

// A fresh program directory holding Tappolo.exe and KeyHook.dll, and optionally the system
// scheme "Fight" (schemes\Fight.tss and schemes\Fight\).
class ProgramDir {
public:
    explicit ProgramDir(const std::string& tag, bool withFight = true);
    const std::string& Path() const { return FPath; } // ends in "\"
    std::string SettingsPath() const { return FPath + "schemeinfo.tsc"; }
    std::string SoundOptionsPath() const { return FPath + "soundopts.tsc"; }
    std::string SchemesPath() const { return FPath + "schemes\\"; }
    // A scheme file (fileName with its extension) naming `sounds` (16 names, key type order),
    // and a sound folder `folder` with a tone file for every non-empty name: each key type's
    // tone has a frequency of its own (ToneOf).
    void AddScheme(const std::string& fileName, const std::vector<std::string>& sounds,
                   const std::string& folder);
    void WriteSettings(const std::string& currentScheme, int32_t enableHotKey = 0,
                       int32_t disableHotKey = 0) const;

private:
    std::string FPath;
};

// Sixteen distinct sound names, "t00.wav" to "t15.wav".
std::vector<std::string> DistinctSounds();
// The tone frequency written for key type `type`.
double ToneOf(int type);

class AppProcess {
public:
    AppProcess() = default;
    ~AppProcess(); // a program still running is killed: it must not keep the mutex or hotkeys
    AppProcess(const AppProcess&) = delete;
    AppProcess& operator=(const AppProcess&) = delete;

    bool Start(const ProgramDir& dir, const std::string& traceChannels = "") {
        return Start(dir.Path(), traceChannels);
    }
    // Starts the Tappolo.exe of a program directory (ending in "\"); `traceChannels` (such as
    // "trace+menu") are turned on in Wine's trace for this program only.
    bool Start(const std::string& programDir, const std::string& traceChannels = "");
    DWORD Id() const { return FInfo.dwProcessId; }
    HANDLE Process() const { return FInfo.hProcess; }

    // The program's sound output (TAPPOLO_AUDIO): the platform's player by default, whose trace
    // (Wine's PlaySound trace) names the file each key asked for; "wasapi", the program's own
    // default, for the tests of what its engine makes heard; empty leaves the variable unset.
    std::string Audio = "winmm";
    // More variables of the program's environment, for the next Start (an empty value unsets).
    std::vector<std::pair<std::string, std::string>> Environment;
    bool Running() const;
    // The exit code, or STILL_ACTIVE when it has not ended within the timeout.
    DWORD WaitExit(milliseconds timeout);
    void Kill();

    // The tray component's hidden window once the icon is in the notification area, or null.
    HWND WaitTray(milliseconds timeout);
    // The tray window if the icon is there right now, without waiting for the start-up.
    HWND TrayNow() const;
    HWND MainWindow() const;
    // Opens the tray menu with a right button press on the icon; true when it is open.
    bool OpenMenu();
    // Opens the menu and chooses the item `index` (0-based among the visible items, separators
    // not counted), or item `sub` of the submenu at `index`.
    bool ChooseItem(int index, int sub = -1);
    // Closes an open menu without choosing.
    void CloseMenu();

private:
    PROCESS_INFORMATION FInfo{};
    HWND FTray = nullptr;
};

// Positions of the visible tray menu items.
enum MenuPos {
    mpEnableSound = 0,
    mpDisableSound = 1,
    mpSchemes = 2,
    mpSchemeSet = 3,
    mpImportPack = 4,
    mpHotKey = 5,
    mpSoundOptions = 6,
    mpVolume = 7,
    mpAbout = 8,
    mpSendQuestion = 9,
    mpHelp = 10,
    mpExit = 11
};

// One key press (down and up) through SendInput; `extended` for the keys of the extended
// block. Combos press the keys in order and release them in reverse.
void PressKey(WORD vk, bool extended = false);
// One key going down or up alone, with the scan code of its place.
void SendKey(WORD vk, bool up, bool extended = false);
void PressCombo(const std::vector<WORD>& keys);

struct MessageBoxInfo {
    HWND Window = nullptr;
    std::wstring Caption;
    std::wstring Text;
};
// A message box (dialog class "#32770" with a static text) of the process, or none in time.
MessageBoxInfo WaitMessageBox(DWORD processId, milliseconds timeout);
// Presses the button `id` (IDOK, IDYES, ...) of a box.
void PressButton(HWND box, int id);
// Presses a button or check box as a click would, and lets the program take it.
void PressButton(HWND button);

// The tray icon of our program is identified by its window: a modify without changes succeeds
// only for an icon that exists.
bool TrayIconPresent(HWND window);

// The text of a visible tooltip of the notification area: the icon's balloon (`balloon`) or
// its tip; empty when none shows within the timeout.
std::wstring WaitTrayTooltip(bool balloon, milliseconds timeout);
// Waits until no balloon of the notification area shows; false when one still does.
bool NoTrayBalloon(milliseconds timeout);
// Rests the mouse on each icon of the notification area from the right until a tip shows, and
// gives its text; empty when none shows.
std::wstring HoverTrayIcons();
// The screen point of the notification area's icon that shows this tip (found as above), or
// {-1, -1}.
POINT FindTrayIcon(const std::wstring& tip);
// A real press and release of the mouse's left or right button at a point of the screen.
void ClickAt(POINT point, bool right = false);

// Registered hotkeys: whether this process can register the combination right now.
bool HotKeyFree(UINT modifiers, UINT vk);

// The text between the quotes for the wide strings of the boxes.
std::string Narrow(const std::wstring& text);

} // namespace app
