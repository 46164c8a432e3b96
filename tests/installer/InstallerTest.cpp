// The installer and its uninstaller, run silently as an administrator's script would: what
// lands on the disk, in the registry and in the Start menu, what an upgrade keeps, what an
// uninstall leaves, and the folders setup refuses.
#include "AppDriver.h"
#include "DialogDriver.h"
#include "MySetInfo.h"
#include "PubClassUnit.h"
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
constexpr DWORD kNotReplaced = 8;

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
// the uninstall is done when that copy has ended.
void Uninstall(const std::string& dir, const std::string& arguments) {
    DWORD first = 0;
    ASSERT_EQ(RunAndWait(dir + "Uninstall.exe", arguments, &first), 0u);
    for (DWORD child : ChildrenOf(first)) {
        HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, child);
        if (!process)
            continue; // already gone
        EXPECT_EQ(WaitForSingleObject(process, 60000), WAIT_OBJECT_0) << "uninstaller still runs";
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

// A scheme of the user's own and a settings file naming it, as Tappolo writes them.
struct UserFiles {
    std::map<std::string, std::string> Files;

    explicit UserFiles(const std::string& dir) {
        TMySchemeInfo scheme;
        scheme.SetSound(12, "mine.wav");
        scheme.SaveToFile(dir + "schemes\\Mine.tss");
        CreateDirectoryA((dir + "schemes\\Mine").c_str(), nullptr);
        wt::WriteFileBytes(dir + "schemes\\Mine\\mine.wav", wt::MakeToneWav(660, 80));
        TMySetInfo settings;
        settings.SetSchemeMode("Fight", true);
        settings.EnableHotKey = 0x6045;
        settings.SaveToFile(dir + "schemeinfo.tsc");
        for (const char* name : {"schemes\\Mine.tss", "schemes\\Mine\\mine.wav", "schemeinfo.tsc"})
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
              (std::vector<std::string>{"schemeinfo.tsc", "schemes\\", "schemes\\Mine.tss",
                                        "schemes\\Mine\\", "schemes\\Mine\\mine.wav"}));
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
