// The installer and its uninstaller, run silently as an administrator's script would: what
// lands on the disk, in the registry and in the Start menu, what an upgrade keeps, what an
// uninstall leaves, and the folders setup refuses.
#include "AppDriver.h"
#include "DialogDriver.h"
#include "MySetInfo.h"
#include "SoundOptions.h"
#include "PubClassUnit.h"
#include "SchemeKeySounds.h"
#include "WineTest.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>
#include <tlhelp32.h>
#include <wrl/client.h>

#include <map>
#include <set>
#include <thread>

using namespace std::chrono_literals;
using Microsoft::WRL::ComPtr;

namespace {

constexpr const char* kUninstallKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tappolo";
constexpr const char* kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// Exit codes the installer documents for its refusals.
constexpr DWORD kForeignFolder = 4;
constexpr DWORD kNotWritable = 5;
constexpr DWORD kSetupRunning = 3;
constexpr DWORD kStillRunning = 6;
constexpr DWORD kNoSpace = 7;
constexpr DWORD kNotReplaced = 8;
constexpr DWORD kNotPutBack = 9;
constexpr DWORD kNotInstalled = 10;

std::string ShellFolder(int csidl) {
    char path[MAX_PATH] = {};
    SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
    return path;
}

std::string DefaultInstallDir() {
    return ShellFolder(CSIDL_LOCAL_APPDATA) + "\\Programs\\Tappolo\\";
}

std::string ShortcutPath() {
    return ShellFolder(CSIDL_PROGRAMS) + "\\Tappolo.lnk";
}

bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void RemoveTree(const std::string& dir) {
    if (!Exists(dir))
        return;
    std::string from = dir;
    if (from.back() == '\\')
        from.pop_back();
    from.push_back('\0'); // the list of names ends with an empty one
    SHFILEOPSTRUCTA op{};
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_NO_UI;
    SHFileOperationA(&op);
}

// Every file under a folder ("a\b.wav" -> bytes) and every folder ("a\").
std::map<std::string, std::string> Tree(const std::string& dir, const std::string& under = "") {
    std::map<std::string, std::string> tree;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((dir + under + "*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return tree;
    do {
        const std::string name = data.cFileName;
        if (name == "." || name == "..")
            continue;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
            tree[under + name + "@"] = ""; // a link is listed, never followed
        } else if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            tree[under + name + "\\"] = "";
            tree.merge(Tree(dir, under + name + "\\"));
        } else {
            tree[under + name] = wt::ReadFileBytes(dir + under + name);
        }
    } while (FindNextFileA(find, &data));
    FindClose(find);
    return tree;
}

std::vector<std::string> Names(const std::map<std::string, std::string>& tree) {
    std::vector<std::string> names;
    for (const auto& entry : tree)
        names.push_back(entry.first);
    return names;
}

// A registry value as text (strings) or decimal (DWORDs); "<missing>" when absent.
std::string RegValue(HKEY root, const char* key, const char* name) {
    char data[1024] = {};
    DWORD size = sizeof data, type = 0;
    if (RegGetValueA(root, key, name, RRF_RT_REG_SZ | RRF_RT_REG_DWORD, &type, data, &size) !=
        ERROR_SUCCESS)
        return "<missing>";
    if (type == REG_DWORD)
        return std::to_string(*reinterpret_cast<DWORD*>(data));
    return data;
}

bool KeyExists(HKEY root, const char* key) {
    HKEY opened = nullptr;
    if (RegOpenKeyExA(root, key, 0, KEY_READ, &opened) != ERROR_SUCCESS)
        return false;
    RegCloseKey(opened);
    return true;
}

DWORD RunAndWait(const std::string& exe, const std::string& arguments, DWORD* pid = nullptr) {
    std::string command = "\"" + exe + "\" " + arguments;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessA(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info)) {
        ADD_FAILURE() << "cannot start " << command << ": error " << GetLastError();
        return ~0u;
    }
    if (pid)
        *pid = info.dwProcessId;
    DWORD code = ~0u;
    if (WaitForSingleObject(info.hProcess, 60000) == WAIT_OBJECT_0)
        GetExitCodeProcess(info.hProcess, &code);
    else
        ADD_FAILURE() << command << " did not end within a minute";
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    return code;
}

DWORD RunSetup(const std::string& arguments) {
    return RunAndWait(wt::UnixToWinPath(wt::Env("TAPPOLO_SETUP")), arguments);
}

// The processes whose parent is `parent`.
std::vector<DWORD> ChildrenOf(DWORD parent) {
    std::vector<DWORD> children;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return children;
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
        if (entry.th32ParentProcessID == parent)
            children.push_back(entry.th32ProcessID);
    CloseHandle(snapshot);
    return children;
}

// The uninstaller hands over to a copy of itself in the temporary folder and returns at once:
// the uninstall is done when that copy has ended. Process ids are reused: a process that an
// earlier one of the same id started (a program a setup launched) is no child of this one,
// and is told apart by having started before it.
void Uninstall(const std::string& dir, const std::string& arguments) {
    FILETIME before{};
    GetSystemTimeAsFileTime(&before);
    DWORD first = 0;
    ASSERT_EQ(RunAndWait(dir + "Uninstall.exe", arguments, &first), 0u);
    for (DWORD child : ChildrenOf(first)) {
        HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, child);
        if (!process)
            continue; // already gone
        FILETIME created{}, exited{}, kernel{}, user{};
        if (GetProcessTimes(process, &created, &exited, &kernel, &user) &&
            CompareFileTime(&created, &before) >= 0) {
            EXPECT_EQ(WaitForSingleObject(process, 60000), WAIT_OBJECT_0)
                << "uninstaller still runs";
        }
        CloseHandle(process);
    }
}

std::string ShortcutTarget(const std::string& link) {
    ComPtr<IShellLinkW> shellLink;
    ComPtr<IPersistFile> file;
    wchar_t target[MAX_PATH] = {};
    std::wstring wide(link.begin(), link.end());
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                IID_PPV_ARGS(&shellLink))) ||
        FAILED(shellLink.As(&file)) || FAILED(file->Load(wide.c_str(), STGM_READ)) ||
        FAILED(shellLink->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH)))
        return "";
    char narrow[MAX_PATH * 2] = {};
    WideCharToMultiByte(CP_ACP, 0, target, -1, narrow, sizeof narrow, nullptr, nullptr);
    return narrow;
}

struct WindowSearch {
    const char* ClassName;
    const char* Caption; // or null
    DWORD ProcessId;     // or 0
    HWND Found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<WindowSearch*>(param);
    char className[64] = {}, caption[128] = {};
    GetClassNameA(window, className, sizeof className);
    GetWindowTextA(window, caption, sizeof caption);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (lstrcmpA(className, search->ClassName) == 0 &&
        (!search->Caption || lstrcmpA(caption, search->Caption) == 0) &&
        (!search->ProcessId || owner == search->ProcessId)) {
        search->Found = window;
        return FALSE;
    }
    return TRUE;
}

// A top-level window of that class (and caption, and process), waited for.
HWND WaitWindow(const char* className, const char* caption, DWORD processId,
                std::chrono::milliseconds timeout) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        WindowSearch search{className, caption, processId, nullptr};
        EnumWindows(&MatchWindow, reinterpret_cast<LPARAM>(&search));
        if (search.Found || std::chrono::steady_clock::now() >= end)
            return search.Found;
        std::this_thread::sleep_for(20ms);
    }
}

// The Linux path of a file of the prefix, through the call Wine exports for this.
std::string UnixPath(const std::string& path) {
    using ToUnix = char*(CDECL*)(const wchar_t*);
    const auto toUnix = reinterpret_cast<ToUnix>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    if (!toUnix)
        return "";
    const std::wstring wide(path.begin(), path.end());
    char* unix = toUnix(wide.c_str());
    if (!unix)
        return "";
    std::string result = unix;
    HeapFree(GetProcessHeap(), 0, unix);
    return result;
}

// A folder in which files can be made but none renamed or deleted (Linux's append-only
// attribute), for as long as the object lives.
class AppendOnlyFolder {
public:
    explicit AppendOnlyFolder(const std::string& path) : FUnix(UnixPath(path)) {
        CreateDirectoryA(path.c_str(), nullptr);
        // The shell says whether chattr succeeded through a file of its own.
        const std::string done = wt::Env("TAPPOLO_WINENV") + "/append-only.ok";
        FMade = !FUnix.empty() &&
                wt::RunLinuxShell("chattr +a '" + FUnix + "' && : >'" + done + "'", 10s) &&
                DeleteFileA(wt::UnixToWinPath(done).c_str());
    }
    ~AppendOnlyFolder() { Release(); }
    bool Made() const { return FMade; }
    void Release() {
        if (FMade)
            wt::RunLinuxShell("chattr -a '" + FUnix + "'", 10s);
        FMade = false;
    }

private:
    std::string FUnix;
    bool FMade = false;
};

// The text of a message box the process shows (a dialog with the message's static control,
// other than `except`).
std::string WaitMessageText(DWORD processId, HWND except, std::chrono::milliseconds timeout,
                            HWND* box) {
    struct Search {
        DWORD ProcessId;
        HWND Except;
        HWND Found;
    } search{processId, except, nullptr};
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!search.Found && std::chrono::steady_clock::now() < end) {
        EnumWindows(
            [](HWND window, LPARAM param) -> BOOL {
                auto* s = reinterpret_cast<Search*>(param);
                DWORD owner = 0;
                GetWindowThreadProcessId(window, &owner);
                char className[16] = {};
                GetClassNameA(window, className, sizeof className);
                if (owner != s->ProcessId || window == s->Except ||
                    lstrcmpA(className, "#32770") != 0 || !IsWindowVisible(window) ||
                    !GetDlgItem(window, 0xFFFF))
                    return TRUE;
                s->Found = window;
                return FALSE;
            },
            reinterpret_cast<LPARAM>(&search));
        std::this_thread::sleep_for(30ms);
    }
    *box = search.Found;
    wchar_t text[2048] = {};
    if (search.Found)
        GetDlgItemTextW(search.Found, 0xFFFF, text, 2048);
    return app::Narrow(text);
}

// Setup with its pages, ended when the object goes.
class SetupWindow {
public:
    explicit SetupWindow(const std::string& arguments) {
        const std::string setup = wt::UnixToWinPath(wt::Env("TAPPOLO_SETUP"));
        std::string command = "\"" + setup + "\" " + arguments;
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        if (!CreateProcessA(setup.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                            nullptr, &startup, &FInfo))
            FInfo = {};
    }
    ~SetupWindow() {
        if (!FInfo.hProcess)
            return;
        // Cancel, pressed until setup is back from its message box and takes it.
        for (int i = 0; i < 25 && WaitForSingleObject(FInfo.hProcess, 200) != WAIT_OBJECT_0; ++i)
            PostMessageA(FWindow, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        if (WaitForSingleObject(FInfo.hProcess, 0) != WAIT_OBJECT_0)
            TerminateProcess(FInfo.hProcess, 1);
        CloseHandle(FInfo.hThread);
        CloseHandle(FInfo.hProcess);
    }
    DWORD Id() const { return FInfo.dwProcessId; }
    HWND Window() const { return FWindow; }
    // Presses Install on the folder page once the page is up.
    bool Install() {
        FWindow = WaitWindow("#32770", nullptr, FInfo.dwProcessId, 10s);
        const auto end = std::chrono::steady_clock::now() + 10s;
        HWND button = nullptr;
        while (std::chrono::steady_clock::now() < end) {
            button = FWindow ? GetDlgItem(FWindow, IDOK) : nullptr;
            if (button && IsWindowVisible(button) && IsWindowEnabled(button))
                break;
            std::this_thread::sleep_for(50ms);
        }
        if (!button)
            return false;
        std::this_thread::sleep_for(300ms); // the page's own set-up runs after it shows
        return PostMessageA(FWindow, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                            reinterpret_cast<LPARAM>(button)) != 0;
    }

private:
    PROCESS_INFORMATION FInfo{};
    HWND FWindow = nullptr;
};

bool SamePath(const std::string& a, const std::string& b) {
    return lstrcmpiA(a.c_str(), b.c_str()) == 0;
}

class Setup : public ::testing::Test {
protected:
    std::map<std::string, std::string> FPackage;

    void SetUp() override {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        const std::string package = wt::Env("TAPPOLO_PACKAGE_DIR");
        ASSERT_FALSE(package.empty()) << "run through installer-test.sh";
        FPackage = Tree(package);
        ASSERT_TRUE(FPackage.count("Tappolo.exe") && FPackage.count("schemes\\Fight.tss"))
            << "run through installer-test.sh";
        Clean();
    }
    void TearDown() override {
        Clean();
        CoUninitialize();
    }
    // What an earlier run may have left in the test prefix's user profile.
    static void Clean() {
        RemoveTree(DefaultInstallDir());
        DeleteFileA(ShortcutPath().c_str());
        RegDeleteTreeA(HKEY_CURRENT_USER, kUninstallKey);
        HKEY run = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, kRunKey, 0, KEY_SET_VALUE, &run) == ERROR_SUCCESS) {
            RegDeleteValueA(run, "tappolo");
            RegCloseKey(run);
        }
    }
    // The package's tree plus the uninstaller.
    std::vector<std::string> InstalledNames() const {
        auto names = Names(FPackage);
        names.push_back("Uninstall.exe");
        std::sort(names.begin(), names.end());
        return names;
    }
    // Every file of the package is in `dir` with the package's bytes.
    void ExpectPackageFiles(const std::string& dir) const {
        const auto tree = Tree(dir);
        for (const auto& [name, bytes] : FPackage) {
            auto found = tree.find(name);
            ASSERT_NE(found, tree.end()) << name << " missing";
            EXPECT_TRUE(found->second == bytes) << name << " differs from the package's";
        }
    }
};

// A scheme of the user's own with key sounds, a settings file naming it and sound options, as
// Tappolo writes them.
struct UserFiles {
    std::map<std::string, std::string> Files;

    explicit UserFiles(const std::string& dir) {
        TMySchemeInfo scheme;
        scheme.SetSound(12, "mine.wav");
        scheme.SaveToFile(dir + "schemes\\Mine.tss");
        TSchemeKeySounds keys;
        keys.Keys.push_back({{30, false}, {"mine.wav"}, {}});
        keys.SaveToFile(dir + "schemes\\Mine.tsk");
        CreateDirectoryA((dir + "schemes\\Mine").c_str(), nullptr);
        wt::WriteFileBytes(dir + "schemes\\Mine\\mine.wav", wt::MakeToneWav(660, 80));
        TMySetInfo settings;
        settings.SetSchemeMode("Fight", true);
        settings.EnableHotKey = 0x6045;
        settings.SaveToFile(dir + "schemeinfo.tsc");
        TSoundOptions options;
        options.Volume = 150;
        SaveSoundOptions(dir + "soundopts.tsc", options);
        for (const char* name : {"schemes\\Mine.tss", "schemes\\Mine.tsk",
                                 "schemes\\Mine\\mine.wav", "schemeinfo.tsc", "soundopts.tsc"})
            Files[name] = wt::ReadFileBytes(dir + name);
    }
    void ExpectKept(const std::string& dir) const {
        for (const auto& [name, bytes] : Files)
            EXPECT_TRUE(wt::ReadFileBytes(dir + name) == bytes) << name << " not kept as it was";
    }
};

} // namespace

TEST_F(Setup, SilentInstallGivesThePackageAShortcutAndAnEntryAndTheProgramPlays) {
    const std::string dir = DefaultInstallDir();
    ASSERT_EQ(RunSetup("/S /AUTORUN"), 0u);

    auto installed = Tree(dir);
    EXPECT_EQ(Names(installed), InstalledNames());
    installed.erase("Uninstall.exe");
    EXPECT_TRUE(installed == FPackage) << "a file differs from the package's";

    const std::string exe = dir + "Tappolo.exe";
    const std::string target = ShortcutTarget(ShortcutPath());
    EXPECT_TRUE(SamePath(target, exe)) << "shortcut to " << target;

    const std::string folder = dir.substr(0, dir.size() - 1);
    size_t bytes = 0;
    for (const auto& entry : FPackage)
        bytes += entry.second.size();
    const std::map<std::string, std::string> expected = {
        {"DisplayName", "Tappolo"},
        {"DisplayVersion", TAPPOLO_VERSION},
        {"Publisher", "Tappolo"},
        {"DisplayIcon", exe},
        {"InstallLocation", folder},
        {"UninstallString", "\"" + dir + "Uninstall.exe\""},
        {"QuietUninstallString", "\"" + dir + "Uninstall.exe\" /S"},
        {"EstimatedSize", std::to_string((bytes + 1023) / 1024)},
        {"NoModify", "1"},
        {"NoRepair", "1"}};
    for (const auto& [name, value] : expected)
        EXPECT_EQ(RegValue(HKEY_CURRENT_USER, kUninstallKey, name.c_str()), value) << name;
    // The very value the About dialog reads.
    EXPECT_EQ(RegValue(HKEY_CURRENT_USER, kRunKey, "tappolo"), "\"" + exe + "\"");

    // Started as the shortcut starts it; the platform player, whose every sound Wine traces.
    ASSERT_FALSE(target.empty());
    app::AppProcess tappolo;
    tappolo.Audio = "winmm";
    ASSERT_TRUE(tappolo.Start(target.substr(0, target.rfind('\\') + 1)));
    ASSERT_NE(tappolo.WaitTray(10s), nullptr);
    wt::PlaySoundTrace trace;
    app::PressKey('Q');
    const auto played = trace.WaitNames(1, 5s);
    ASSERT_EQ(played.size(), 1u);
    EXPECT_TRUE(SamePath(played[0], dir + "schemes\\Fight\\letter.wav")) << played[0];
    ASSERT_TRUE(tappolo.ChooseItem(app::mpExit));
    EXPECT_EQ(tappolo.WaitExit(5s), 0u);
}

TEST_F(Setup, UpgradeClosesTheProgramKeepsTheUsersFilesAndReplacesThePrograms) {
    const std::string dir = wt::MakeTempDir("upgrade");
    ASSERT_EQ(RunSetup("/S /D=" + dir.substr(0, dir.size() - 1)), 0u);
    const UserFiles user(dir);
    // An older program: other bytes in every kind of shipped file, one sound gone.
    for (const char* name : {"Tappolo.exe", "KeyHook.dll", "schemes\\Fight.tss"})
        wt::WriteFileBytes(dir + name, wt::ReadFileBytes(dir + name) + "older");
    DeleteFileA((dir + "schemes\\Fight\\letter.wav").c_str());

    app::AppProcess tappolo;
    ASSERT_TRUE(tappolo.Start(dir));
    ASSERT_NE(tappolo.WaitTray(10s), nullptr);
    ASSERT_EQ(RunSetup("/S /D=" + dir.substr(0, dir.size() - 1)), 0u);
    // Closed as its own Exit closes it, not killed.
    EXPECT_EQ(tappolo.WaitExit(0ms), 0u);

    ExpectPackageFiles(dir);
    user.ExpectKept(dir);
    auto names = InstalledNames();
    for (const auto& entry : user.Files)
        names.push_back(entry.first);
    names.push_back("schemes\\Mine\\");
    std::sort(names.begin(), names.end());
    EXPECT_EQ(Names(Tree(dir)), names);
    Uninstall(dir, "/S /REMOVEDATA");
}

TEST_F(Setup, UninstallKeepsTheUsersFilesUnlessToldToRemoveThem) {
    const std::string dir = wt::MakeTempDir("uninstall");
    const std::string folder = dir.substr(0, dir.size() - 1);
    ASSERT_EQ(RunSetup("/S /AUTORUN /D=" + folder), 0u);
    ASSERT_TRUE(Exists(ShortcutPath()));
    ASSERT_NE(RegValue(HKEY_CURRENT_USER, kRunKey, "tappolo"), "<missing>");
    const UserFiles user(dir);

    Uninstall(dir, "/S");
    // The program, its system scheme and its uninstaller are gone; the user's files stay.
    EXPECT_EQ(Names(Tree(dir)),
              (std::vector<std::string>{"schemeinfo.tsc", "schemes\\", "schemes\\Mine.tsk",
                                        "schemes\\Mine.tss", "schemes\\Mine\\",
                                        "schemes\\Mine\\mine.wav", "soundopts.tsc"}));
    user.ExpectKept(dir);
    EXPECT_FALSE(Exists(ShortcutPath()));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kUninstallKey));
    EXPECT_EQ(RegValue(HKEY_CURRENT_USER, kRunKey, "tappolo"), "<missing>");

    // What the uninstaller left takes a new installation; told to, it then removes everything.
    ASSERT_EQ(RunSetup("/S /D=" + folder), 0u);
    user.ExpectKept(dir);
    Uninstall(dir, "/S /REMOVEDATA");
    EXPECT_FALSE(Exists(folder));
    EXPECT_FALSE(Exists(ShortcutPath()));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kUninstallKey));
}

TEST_F(Setup, RefusesAFolderWithOtherFilesAndOneItCannotWriteTo) {
    const std::string foreign = wt::MakeTempDir("foreign");
    wt::WriteFileBytes(foreign + "notes.txt", "mine");
    EXPECT_EQ(RunSetup("/S /D=" + foreign.substr(0, foreign.size() - 1)), kForeignFolder);
    EXPECT_EQ(Names(Tree(foreign)), std::vector<std::string>{"notes.txt"});
    EXPECT_EQ(wt::ReadFileBytes(foreign + "notes.txt"), "mine");
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kUninstallKey));
    EXPECT_FALSE(Exists(ShortcutPath()));

    const std::string readOnly = wt::Env("TAPPOLO_READONLY_DIR");
    if (readOnly.empty())
        GTEST_SKIP() << "no read-only folder could be made on this machine";
    EXPECT_EQ(RunSetup("/S /D=" + readOnly), kNotWritable);
    EXPECT_TRUE(Tree(readOnly + "\\").empty());
    EXPECT_EQ(RunSetup("/S /D=" + readOnly + "\\Tappolo"), kNotWritable);
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kUninstallKey));
}

TEST_F(Setup, AProgramWaitingForAnAnswerStopsTheSilentSetupUntilAnswered) {
    const std::string dir = wt::MakeTempDir("asking");
    const std::string folder = dir.substr(0, dir.size() - 1);
    ASSERT_EQ(RunSetup("/S /D=" + folder), 0u);
    // The installed program with a change in the Scheme Set dialog that is not saved yet: asked
    // to close, it asks whether to save it, and waits.
    app::AppProcess tappolo;
    ASSERT_TRUE(tappolo.Start(dir));
    ASSERT_NE(tappolo.WaitTray(10s), nullptr);
    ASSERT_TRUE(tappolo.ChooseItem(app::mpSchemeSet));
    HWND schemeSet = app::WaitWindow(tappolo.Id(), "Scheme Set", 5s);
    ASSERT_NE(schemeSet, nullptr);
    app::Click(app::ChildByText(schemeSet, "&Edit"));
    app::Click(app::ChildByText(schemeSet, "..."));
    ASSERT_TRUE(app::ChooseFile(tappolo.Id(), dir + "schemes\\Fight\\enter.wav", 5s));
    const auto before = Tree(dir); // the settings the program wrote at its first start among them

    EXPECT_EQ(RunSetup("/S /D=" + folder), kStillRunning);
    EXPECT_TRUE(tappolo.Running()) << "setup must never end the program itself";
    EXPECT_TRUE(Tree(dir) == before) << "a file changed";
    const app::MessageBoxInfo question = app::WaitMessageBox(tappolo.Id(), 1s);
    ASSERT_NE(question.Window, nullptr);
    EXPECT_EQ(app::Narrow(question.Text), "Scheme Fight have modify, Save it?");

    // Answered, the program ends as it was asked to, and setup goes through.
    app::PressButton(question.Window, IDNO);
    EXPECT_EQ(tappolo.WaitExit(5s), 0u);
    EXPECT_EQ(RunSetup("/S /D=" + folder), 0u);
    ExpectPackageFiles(dir);
    Uninstall(dir, "/S /REMOVEDATA");
}

TEST_F(Setup, AFileInUseStopsTheUpgradeAndTheEarlierInstallationStaysAsItWas) {
    const std::string dir = wt::MakeTempDir("inuse");
    const std::string folder = dir.substr(0, dir.size() - 1);
    ASSERT_EQ(RunSetup("/S /D=" + folder), 0u);
    const UserFiles user(dir);
    for (const char* name : {"Tappolo.exe", "KeyHook.dll", "schemes\\Fight.tss"})
        wt::WriteFileBytes(dir + name, wt::ReadFileBytes(dir + name) + "older");
    const auto before = Tree(dir);
    // Open without leave to delete or rename it, as a help viewer holds the help file; it is
    // the last of the program's files to be moved in.
    HANDLE help = CreateFileA((dir + "tplhelp.chm").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(help, INVALID_HANDLE_VALUE);
    EXPECT_EQ(RunSetup("/S /D=" + folder), kNotReplaced);
    CloseHandle(help);
    EXPECT_TRUE(Tree(dir) == before) << "the earlier installation was changed";

    ASSERT_EQ(RunSetup("/S /D=" + folder), 0u);
    ExpectPackageFiles(dir);
    user.ExpectKept(dir);
    Uninstall(dir, "/S /REMOVEDATA");
}

TEST_F(Setup, OneSetupAtATime) {
    const std::string dir = wt::MakeTempDir("second");
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION first{};
    const std::string setup = wt::UnixToWinPath(wt::Env("TAPPOLO_SETUP"));
    std::string command = "\"" + setup + "\"";
    ASSERT_TRUE(CreateProcessA(setup.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               nullptr, &startup, &first));
    HWND window = WaitWindow("#32770", nullptr, first.dwProcessId, 10s);
    EXPECT_NE(window, nullptr);
    EXPECT_EQ(RunSetup("/S /D=" + dir.substr(0, dir.size() - 1)), kSetupRunning);
    EXPECT_TRUE(Tree(dir).empty());
    // Closing the first setup's window on its first page cancels it.
    PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForSingleObject(first.hProcess, 10000), WAIT_OBJECT_0);
    if (WaitForSingleObject(first.hProcess, 0) != WAIT_OBJECT_0)
        TerminateProcess(first.hProcess, 1);
    CloseHandle(first.hThread);
    CloseHandle(first.hProcess);
}

TEST_F(Setup, FilesTheMoveBackCannotPutBackStayInTheWorkFolderUntilTheNextSetupPutsThemBack) {
    const std::string dir = wt::MakeTempDir("moveback");
    const std::string folder = dir.substr(0, dir.size() - 1);
    ASSERT_EQ(RunSetup("/S /D=" + folder), 0u);
    const UserFiles user(dir);
    for (const char* name :
         {"Tappolo.exe", "KeyHook.dll", "schemes\\Fight.tss", "schemes\\Fight\\letter.wav"})
        wt::WriteFileBytes(dir + name, wt::ReadFileBytes(dir + name) + "older");
    // The old system scheme's sounds can be moved into the work folder, but not out again.
    CreateDirectoryA((dir + "~setup-old").c_str(), nullptr);
    CreateDirectoryA((dir + "~setup-old\\schemes").c_str(), nullptr);
    AppendOnlyFolder stuck(dir + "~setup-old\\schemes\\Fight");
    if (!stuck.Made())
        GTEST_SKIP() << "cannot make a folder append-only here (chattr +a)";
    std::map<std::string, std::string> earlier = Tree(dir);
    for (auto it = earlier.begin(); it != earlier.end();)
        it = it->first.back() == '\\' ? earlier.erase(it) : std::next(it);
    HANDLE help = CreateFileA((dir + "tplhelp.chm").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(help, INVALID_HANDLE_VALUE);
    EXPECT_EQ(RunSetup("/S /D=" + folder), kNotPutBack);
    CloseHandle(help);
    // Every file of the earlier installation is in its place or kept in the work folder.
    const auto failed = Tree(dir);
    size_t kept = 0;
    for (const auto& [name, bytes] : earlier) {
        const auto inPlace = failed.find(name);
        const auto inWork = failed.find("~setup-old\\" + name);
        kept += inWork != failed.end();
        EXPECT_TRUE((inPlace != failed.end() && inPlace->second == bytes) ||
                    (inWork != failed.end() && inWork->second == bytes))
            << name << " lost";
    }
    EXPECT_EQ(kept, 16u) << "the sixteen sounds of Fight stay in the work folder";
    EXPECT_EQ(failed.at("Tappolo.exe"), earlier.at("Tappolo.exe"));

    // The next setup first puts them back; while it cannot, it changes nothing and says where
    // they are.
    {
        SetupWindow setup("/D=" + folder);
        ASSERT_TRUE(setup.Install());
        HWND box = nullptr;
        const std::string text = WaitMessageText(setup.Id(), setup.Window(), 10s, &box);
        ASSERT_NE(box, nullptr);
        EXPECT_NE(text.find(dir + "~setup-old:"), std::string::npos) << text;
        EXPECT_NE(text.find("schemes\\Fight\\arrow.wav"), std::string::npos) << text;
        EXPECT_NE(text.find("and 8 more"), std::string::npos) << text;
        app::PressButton(box, IDOK);
    }
    EXPECT_EQ(RunSetup("/S /D=" + folder), kNotPutBack);
    EXPECT_TRUE(Tree(dir) == failed) << "a file changed";

    stuck.Release();
    ASSERT_EQ(RunSetup("/S /D=" + folder), 0u);
    EXPECT_FALSE(Exists(dir + "~setup-old"));
    ExpectPackageFiles(dir);
    user.ExpectKept(dir);
    Uninstall(dir, "/S /REMOVEDATA");
}

TEST_F(Setup, NotEnoughSpaceIsToldBeforeTheProgramIsAskedToClose) {
    const std::string small = wt::Env("TAPPOLO_SMALL_DIR");
    if (small.empty())
        GTEST_SKIP() << "no small file system could be mounted on this machine";
    const std::string dir = small + "\\Tappolo\\";
    const std::string folder = small + "\\Tappolo";
    ASSERT_EQ(RunSetup("/S /D=" + folder), 0u);
    // The rest of the drive filled up but for 100 KB.
    ULARGE_INTEGER free{};
    ASSERT_TRUE(GetDiskFreeSpaceExA(small.c_str(), &free, nullptr, nullptr));
    ASSERT_GT(free.QuadPart, 100u * 1024);
    ASSERT_TRUE(
        wt::WriteFileBytes(small + "\\filler", std::string(free.QuadPart - 100 * 1024, 'x')));

    app::AppProcess tappolo;
    ASSERT_TRUE(tappolo.Start(dir));
    ASSERT_NE(tappolo.WaitTray(10s), nullptr);
    const auto before = Tree(dir);
    EXPECT_EQ(RunSetup("/S /D=" + folder), kNoSpace);
    EXPECT_TRUE(tappolo.Running()) << "asked to close for a setup that could not go through";
    EXPECT_TRUE(Tree(dir) == before) << "a file changed";
    if (tappolo.Running()) {
        ASSERT_TRUE(tappolo.ChooseItem(app::mpExit));
        EXPECT_EQ(tappolo.WaitExit(5s), 0u);
    }
    DeleteFileA((small + "\\filler").c_str());
    Uninstall(dir, "/S /REMOVEDATA");
}

TEST_F(Setup, TheUninstallerRemovesOnlyFromATappoloAndNeverThroughALink) {
    const std::string dir = wt::MakeTempDir("links");
    const std::string folder = dir.substr(0, dir.size() - 1);
    ASSERT_EQ(RunSetup("/S /D=" + folder), 0u);
    const UserFiles user(dir);

    // Pointed at another program's folder, it removes nothing there.
    const std::string other = wt::MakeTempDir("other");
    CreateDirectoryA((other + "schemes").c_str(), nullptr);
    wt::WriteFileBytes(other + "schemes\\theirs.wav", wt::MakeToneWav(440, 50));
    wt::WriteFileBytes(other + "schemeinfo.tsc", "theirs");
    wt::WriteFileBytes(other + "tplhelp.chm", "theirs");
    const auto others = Tree(other);
    EXPECT_EQ(
        RunAndWait(dir + "Uninstall.exe", "/S /REMOVEDATA _?=" + other.substr(0, other.size() - 1)),
        kNotInstalled);
    EXPECT_TRUE(Tree(other) == others) << "a file of the other folder changed";

    // A scheme whose sounds live elsewhere, linked into the schemes folder (a Linux symbolic
    // link stands for a junction here: Wine shows it as a reparse point).
    const std::string outside = wt::MakeTempDir("outside");
    CreateDirectoryA((outside + "deep").c_str(), nullptr);
    wt::WriteFileBytes(outside + "keep.wav", wt::MakeToneWav(550, 50));
    wt::WriteFileBytes(outside + "deep\\keep.wav", wt::MakeToneWav(770, 50));
    const auto outsideTree = Tree(outside);
    ASSERT_TRUE(wt::RunLinuxShell(
        "ln -s '" + UnixPath(outside) + "' '" + UnixPath(dir + "schemes") + "/Linked'", 10s));
    ASSERT_EQ(GetFileAttributesA((dir + "schemes\\Linked").c_str()),
              DWORD{FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT});
    Uninstall(dir, "/S /REMOVEDATA");
    EXPECT_TRUE(Tree(outside) == outsideTree) << "removed through the link";
    // Everything else went. Windows removes the link itself too; Wine 8 cannot remove a link
    // to a folder that is not empty (error 145 whichever way it is asked), so it stays there.
    if (Exists(folder)) {
        EXPECT_EQ(Names(Tree(dir)), (std::vector<std::string>{"schemes\\", "schemes\\Linked@"}));
    }
}
