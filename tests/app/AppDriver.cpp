#include "AppDriver.h"

#include "MySetInfo.h"
#include "PubClassUnit.h"
#include "WineTest.h"

#include <commctrl.h>
#include <shellapi.h>

#include <thread>

namespace app {

namespace {

std::string OutDir() {
    return wt::UnixToWinPath(TAPPOLO_OUT_DIR) + "\\";
}

void CopyTree(const std::string& from, const std::string& to) {
    CreateDirectoryA(to.c_str(), nullptr);
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((from + "\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return;
    do {
        std::string name = data.cFileName;
        if (name == "." || name == "..")
            continue;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            CopyTree(from + "\\" + name, to + "\\" + name);
        else
            CopyFileA((from + "\\" + name).c_str(), (to + "\\" + name).c_str(), FALSE);
    } while (FindNextFileA(find, &data));
    FindClose(find);
}

void Sleep(milliseconds duration) {
    std::this_thread::sleep_for(duration);
}

struct FindData {
    DWORD pid;
    HWND found;
};

} // namespace

bool TrayIconPresent(HWND window) {
    NOTIFYICONDATAA data{};
    data.cbSize = sizeof data;
    data.hWnd = window;
    data.uID = 1;
    return Shell_NotifyIconA(NIM_MODIFY, &data) != FALSE;
}

namespace {

struct TopLevelSearch {
    DWORD pid;
    const char* className;
    bool (*accept)(HWND);
    HWND found;
};

BOOL CALLBACK MatchTopLevel(HWND window, LPARAM param) {
    auto* s = reinterpret_cast<TopLevelSearch*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    if (owner == s->pid && lstrcmpA(name, s->className) == 0 && (!s->accept || s->accept(window))) {
        s->found = window;
        return FALSE;
    }
    return TRUE;
}

HWND FindTopLevel(DWORD pid, const char* className, bool (*accept)(HWND)) {
    TopLevelSearch search{pid, className, accept, nullptr};
    EnumWindows(&MatchTopLevel, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND OpenMenuWindow() {
    HWND menu = FindWindowA("#32768", nullptr);
    return menu && IsWindowVisible(menu) ? menu : nullptr;
}

bool WaitFor(milliseconds timeout, bool (*condition)()) {
    auto end = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < end) {
        if (condition())
            return true;
        Sleep(milliseconds(20));
    }
    return condition();
}

} // namespace

ProgramDir::ProgramDir(const std::string& tag, bool withFight) : FPath(wt::MakeTempDir(tag)) {
    for (const char* file : {"Tappolo.exe", "KeyHook.dll"})
        CopyFileA((OutDir() + file).c_str(), (FPath + file).c_str(), FALSE);
    CreateDirectoryA(SchemesPath().c_str(), nullptr);
    if (withFight) {
        CopyFileA((OutDir() + "schemes\\Fight.tss").c_str(), (SchemesPath() + "Fight.tss").c_str(),
                  FALSE);
        CopyTree(OutDir() + "schemes\\Fight", SchemesPath() + "Fight");
    }
}

std::vector<std::string> DistinctSounds() {
    std::vector<std::string> names;
    for (int i = 0; i < 16; ++i)
        names.push_back((i < 10 ? "t0" : "t1") + std::to_string(i % 10) + ".wav");
    return names;
}

double ToneOf(int type) {
    // Far enough apart for a Goertzel check to tell every pair apart.
    static const double tones[16] = {300,  360,  430,  520,  620,  740,  890,  1070,
                                     1280, 1540, 1850, 2220, 2660, 3190, 3830, 4600};
    return tones[type & 15];
}

void ProgramDir::AddScheme(const std::string& fileName, const std::vector<std::string>& sounds,
                           const std::string& folder) {
    TMySchemeInfo scheme;
    for (int i = 0; i < 16 && i < static_cast<int>(sounds.size()); ++i)
        scheme.SetSound(i, sounds[i]);
    scheme.SaveToFile(SchemesPath() + fileName);
    if (folder.empty())
        return;
    CreateDirectoryA((SchemesPath() + folder).c_str(), nullptr);
    for (int i = 0; i < 16 && i < static_cast<int>(sounds.size()); ++i)
        if (!sounds[i].empty())
            wt::WriteFileBytes(SchemesPath() + folder + "\\" + sounds[i],
                               wt::MakeToneWav(ToneOf(i), 120));
}

void ProgramDir::WriteSettings(const std::string& currentScheme, int32_t enableHotKey,
                               int32_t disableHotKey) const {
    TMySetInfo settings;
    if (currentScheme == "TTS")
        settings.SetSpeechMode();
    else
        settings.SetSchemeMode(currentScheme, true);
    settings.EnableHotKey = enableHotKey;
    settings.DisableHotKey = disableHotKey;
    settings.SaveToFile(SettingsPath());
}

AppProcess::~AppProcess() {
    CloseMenu();
    Kill();
}

bool AppProcess::Start(const std::string& programDir, const std::string& traceChannels) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    std::string exe = programDir + "Tappolo.exe";
    std::string command = "\"" + exe + "\"";
    // Wine takes the channels from the environment the new process is given.
    std::vector<std::pair<std::string, std::string>> variables = Environment;
    variables.emplace_back("TAPPOLO_AUDIO", Audio);
    if (!traceChannels.empty())
        variables.emplace_back("WINEDEBUG", wt::Env("WINEDEBUG") + "," + traceChannels);
    // The new process inherits this one's environment: changed for the call, then put back.
    std::vector<std::pair<std::string, std::string>> saved;
    std::vector<bool> wasSet;
    for (const auto& [name, value] : variables) {
        wasSet.push_back(GetEnvironmentVariableA(name.c_str(), nullptr, 0) > 0);
        saved.emplace_back(name, wt::Env(name.c_str()));
        SetEnvironmentVariableA(name.c_str(), value.empty() ? nullptr : value.c_str());
    }
    // The program's working folder is deliberately not its own: nothing may depend on it.
    bool started = CreateProcessA(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                  nullptr, &startup, &FInfo) != FALSE;
    for (size_t i = saved.size(); i-- > 0;)
        SetEnvironmentVariableA(saved[i].first.c_str(),
                                wasSet[i] ? saved[i].second.c_str() : nullptr);
    return started;
}

bool AppProcess::Running() const {
    return FInfo.hProcess && WaitForSingleObject(FInfo.hProcess, 0) == WAIT_TIMEOUT;
}

DWORD AppProcess::WaitExit(milliseconds timeout) {
    if (!FInfo.hProcess)
        return 0;
    if (WaitForSingleObject(FInfo.hProcess, static_cast<DWORD>(timeout.count())) != WAIT_OBJECT_0)
        return STILL_ACTIVE;
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(FInfo.hProcess, &code);
    return code;
}

void AppProcess::Kill() {
    if (!FInfo.hProcess)
        return;
    if (Running()) {
        TerminateProcess(FInfo.hProcess, 1);
        WaitForSingleObject(FInfo.hProcess, 5000);
    }
    CloseHandle(FInfo.hProcess);
    CloseHandle(FInfo.hThread);
    FInfo = {};
}

HWND AppProcess::WaitTray(milliseconds timeout) {
    auto end = std::chrono::steady_clock::now() + timeout;
    do {
        FTray = FindTopLevel(Id(), "TvobUtilWindow", &TrayIconPresent);
        if (FTray) {
            // The icon comes before the start-up has finished: a message sent to the main
            // window returns once its thread reaches the message loop.
            WaitForInputIdle(FInfo.hProcess, 5000);
            DWORD_PTR result = 0;
            if (HWND main = MainWindow())
                SendMessageTimeoutA(main, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result);
            return FTray;
        }
        Sleep(milliseconds(20));
    } while (std::chrono::steady_clock::now() < end && Running());
    return nullptr;
}

HWND AppProcess::TrayNow() const {
    return FindTopLevel(Id(), "TvobUtilWindow", &TrayIconPresent);
}

HWND AppProcess::MainWindow() const {
    // The dialogs are forms too: the main window is the one captioned "MainForm".
    return FindTopLevel(Id(), "TvobForm", [](HWND window) {
        char caption[16] = {};
        GetWindowTextA(window, caption, sizeof caption);
        return lstrcmpA(caption, "MainForm") == 0;
    });
}

bool AppProcess::OpenMenu() {
    if (!FTray && !WaitTray(milliseconds(5000)))
        return false;
    CloseMenu();
    PostMessageA(FTray, WM_USER + 1000, 1, WM_RBUTTONDOWN);
    if (!WaitFor(milliseconds(3000), [] { return OpenMenuWindow() != nullptr; }))
        return false;
    Sleep(milliseconds(100));
    return true;
}

bool AppProcess::ChooseItem(int index, int sub) {
    if (!OpenMenu())
        return false;
    for (int i = 0; i <= index; ++i)
        PressKey(VK_DOWN);
    if (sub >= 0) {
        PressKey(VK_RIGHT);
        Sleep(milliseconds(100));
        // The submenu opens with its first item selected.
        for (int i = 0; i < sub; ++i)
            PressKey(VK_DOWN);
    }
    PressKey(VK_RETURN);
    bool closed = WaitFor(milliseconds(3000), [] { return OpenMenuWindow() == nullptr; });
    // The command runs when the program's message loop delivers it. A message sent to the
    // program is answered once its loop comes round (a dialog's loop too); the second answer
    // comes after the command, which a busy machine can delay by seconds.
    for (int i = 0; i < 2; ++i) {
        DWORD_PTR result = 0;
        SendMessageTimeoutA(FTray, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 10000, &result);
    }
    Sleep(milliseconds(300));
    return closed;
}

void AppProcess::CloseMenu() {
    for (int i = 0; i < 3 && OpenMenuWindow(); ++i) {
        PressKey(VK_ESCAPE);
        Sleep(milliseconds(100));
    }
}

void SendKey(WORD vk, bool up, bool extended) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(vk, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = (up ? KEYEVENTF_KEYUP : 0) | (extended ? KEYEVENTF_EXTENDEDKEY : 0);
    SendInput(1, &input, sizeof input);
}

void PressKey(WORD vk, bool extended) {
    SendKey(vk, false, extended);
    SendKey(vk, true, extended);
    Sleep(milliseconds(40));
}

void PressCombo(const std::vector<WORD>& keys) {
    for (WORD vk : keys)
        SendKey(vk, false, false);
    for (auto it = keys.rbegin(); it != keys.rend(); ++it)
        SendKey(*it, true, false);
    Sleep(milliseconds(60));
}

MessageBoxInfo WaitMessageBox(DWORD processId, milliseconds timeout) {
    MessageBoxInfo info;
    auto end = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        HWND box =
            FindTopLevel(processId, "#32770", [](HWND w) { return IsWindowVisible(w) != 0; });
        if (box) {
            wchar_t caption[256] = {}, text[1024] = {};
            GetWindowTextW(box, caption, 256);
            // The message text is the box's static control with the id 0xFFFF.
            GetDlgItemTextW(box, 0xFFFF, text, 1024);
            info.Window = box;
            info.Caption = caption;
            info.Text = text;
            return info;
        }
        if (std::chrono::steady_clock::now() >= end)
            return info;
        Sleep(milliseconds(30));
    }
}

void PressButton(HWND box, int id) {
    HWND button = GetDlgItem(box, id);
    if (button)
        PostMessageA(button, BM_CLICK, 0, 0);
}

void PressButton(HWND button) {
    // Posted: a command that opens a message box does not block the test.
    PostMessageA(button, BM_CLICK, 0, 0);
    Sleep(milliseconds(150));
}

namespace {

struct TooltipSearch {
    bool balloon;
    std::wstring text;
};

BOOL CALLBACK MatchTooltip(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<TooltipSearch*>(param);
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    const bool balloon = (GetWindowLongA(window, GWL_STYLE) & TTS_BALLOON) != 0;
    if (lstrcmpiA(name, TOOLTIPS_CLASSA) != 0 || !IsWindowVisible(window) ||
        balloon != search->balloon)
        return TRUE;
    // The shell's process answers for its tooltip: WM_GETTEXT gives the text it shows.
    wchar_t text[512] = {};
    DWORD_PTR result = 0;
    SendMessageTimeoutW(window, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text), SMTO_NORMAL, 2000,
                        &result);
    search->text = text;
    return search->text.empty();
}

} // namespace

std::wstring WaitTrayTooltip(bool balloon, milliseconds timeout) {
    auto end = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        TooltipSearch search{balloon, {}};
        EnumWindows(&MatchTooltip, reinterpret_cast<LPARAM>(&search));
        if (!search.text.empty() || std::chrono::steady_clock::now() >= end)
            return search.text;
        Sleep(milliseconds(50));
    }
}

bool NoTrayBalloon(milliseconds timeout) {
    auto end = std::chrono::steady_clock::now() + timeout;
    while (!WaitTrayTooltip(true, milliseconds(0)).empty()) {
        if (std::chrono::steady_clock::now() >= end)
            return false;
        Sleep(milliseconds(100));
    }
    return true;
}

namespace {

// Rests the mouse on each icon of the notification area from the right until one shows a tip
// that `wanted` accepts; gives its text and where it is.
std::wstring ScanTrayIcons(bool (*wanted)(const std::wstring&, const void*), const void* context,
                           POINT& where) {
    // The shell's taskbar keeps its icons at its right end, one small-icon cell each.
    HWND taskbar = FindWindowA("Shell_TrayWnd", nullptr);
    RECT area{};
    if (!taskbar || !GetWindowRect(taskbar, &area))
        return {};
    const int cell = GetSystemMetrics(SM_CXSMICON) + 2;
    for (int x = area.right - cell / 2; x > area.right - 8 * cell; x -= cell) {
        where = {x, (area.top + area.bottom) / 2};
        SetCursorPos(where.x, where.y);
        INPUT move{};
        move.type = INPUT_MOUSE;
        move.mi.dwFlags = MOUSEEVENTF_MOVE;
        SendInput(1, &move, sizeof move);
        std::wstring tip = WaitTrayTooltip(false, milliseconds(2000));
        if (!tip.empty() && wanted(tip, context))
            return tip;
    }
    return {};
}

} // namespace

std::wstring HoverTrayIcons() {
    POINT where{};
    return ScanTrayIcons([](const std::wstring&, const void*) { return true; }, nullptr, where);
}

POINT FindTrayIcon(const std::wstring& tip) {
    POINT where{-1, -1};
    auto same = [](const std::wstring& shown, const void* wanted) {
        return shown == *static_cast<const std::wstring*>(wanted);
    };
    // The icon of a program killed earlier leaves when the mouse passes over it, and the icons
    // on its left move right into its place, behind the scan: a second pass finds them.
    for (int pass = 0; pass < 2; ++pass)
        if (!ScanTrayIcons(same, &tip, where).empty())
            return where;
    return {-1, -1};
}

void ClickAt(POINT point, bool right) {
    // Every event carries the position: under Wine a press alone can land where the pointer
    // was before it was moved.
    const int x = MulDiv(point.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
    const int y = MulDiv(point.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
    const DWORD down = right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN;
    const DWORD up = right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP;
    const DWORD steps[3] = {0, down, up};
    for (DWORD step : steps) {
        INPUT input{};
        input.type = INPUT_MOUSE;
        input.mi.dx = x;
        input.mi.dy = y;
        input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | step;
        SendInput(1, &input, sizeof input);
        Sleep(milliseconds(60));
    }
}

bool HotKeyFree(UINT modifiers, UINT vk) {
    if (!RegisterHotKey(nullptr, 0x5A5A, modifiers, vk))
        return false;
    UnregisterHotKey(nullptr, 0x5A5A);
    return true;
}

std::string Narrow(const std::wstring& text) {
    int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0,
                                nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), out.data(), n,
                        nullptr, nullptr);
    return out;
}

} // namespace app
