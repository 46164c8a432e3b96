// The About dialog on the real program: the version shown, and auto-run at logon in the
// registry, machine-wide where the program may write it and the user's own where not.
#include "AppTestUtil.h"
#include "DialogDriver.h"

#include <sddl.h>

using namespace std::chrono_literals;
using namespace app;

namespace {

constexpr const char* kRun = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// The type of the value "tappolo" (REG_NONE when there is none) and its text.
using RunValue = std::pair<DWORD, std::string>;
RunValue ReadRun(HKEY root) {
    char data[1024] = {};
    DWORD type = REG_NONE, size = sizeof data - 1;
    if (RegGetValueA(root, kRun, "tappolo", RRF_RT_ANY, &type, data, &size) != ERROR_SUCCESS)
        return {REG_NONE, ""};
    return {type, type == REG_SZ ? data : ""};
}

// Gives the machine-wide Run key a new access list (SDDL); returns the one it had.
std::string SetRunAccess(const std::string& sddl) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kRun, 0, READ_CONTROL | WRITE_DAC, &key))
        return {};
    BYTE old[4096];
    DWORD size = sizeof old;
    char* text = nullptr;
    std::string previous;
    if (!RegGetKeySecurity(key, DACL_SECURITY_INFORMATION, old, &size) &&
        ConvertSecurityDescriptorToStringSecurityDescriptorA(
            old, SDDL_REVISION_1, DACL_SECURITY_INFORMATION, &text, nullptr))
        previous = text;
    LocalFree(text);
    PSECURITY_DESCRIPTOR wanted = nullptr;
    if (ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl.c_str(), SDDL_REVISION_1, &wanted,
                                                             nullptr))
        RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, wanted);
    LocalFree(wanted);
    RegCloseKey(key);
    return previous;
}

class About : public testing::Test {
protected:
    About() : dir("about") {}
    void SetUp() override { TearDown(); }
    void TearDown() override {
        tappolo.Kill();
        if (!oldAccess.empty())
            SetRunAccess(oldAccess);
        RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, kRun, "tappolo");
        RegDeleteKeyValueA(HKEY_CURRENT_USER, kRun, "tappolo");
    }
    void Start() {
        ASSERT_TRUE(tappolo.Start(dir));
        ASSERT_NE(tappolo.WaitTray(10s), nullptr);
    }
    HWND Open() {
        if (!tappolo.ChooseItem(mpAbout))
            return nullptr;
        // A busy machine can take seconds to show it.
        HWND dialog = WaitWindow(tappolo.Id(), "About...", 15s);
        box = ChildByText(dialog, "Auto-run at startup Windows");
        return dialog;
    }
    bool Checked() const { return SendMessageA(box, BM_GETCHECK, 0, 0) == BST_CHECKED; }
    // Closes the dialog with the close box of its title bar.
    static void CloseBox(HWND dialog) {
        SendMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
        EXPECT_TRUE(WaitGone(dialog, 5s));
    }
    // Opens the dialog, sets the box and presses Ok.
    void OkWith(bool checked) {
        HWND dialog = Open();
        ASSERT_NE(dialog, nullptr);
        if (Checked() != checked)
            PressButton(box);
        ASSERT_EQ(Checked(), checked);
        PressButton(ChildByText(dialog, "&Ok"));
        EXPECT_TRUE(WaitGone(dialog, 5s));
    }
    RunValue Stored() const { return {REG_SZ, "\"" + dir.Path() + "Tappolo.exe\""}; }

    ProgramDir dir;
    AppProcess tappolo;
    HWND box = nullptr;
    std::string oldAccess;
};

const RunValue kNone{REG_NONE, ""};

} // namespace

TEST_F(About, ShowsTheVersionAndOkStoresOrRemovesTheMachineWideValue) {
    Start();
    HWND dialog = Open();
    ASSERT_NE(dialog, nullptr);
    EXPECT_NE(ChildByText(dialog, "Ver 1.0.0.1"), nullptr) << "the executable's version block";
    EXPECT_FALSE(Checked());
    PressButton(box);
    CloseBox(dialog);
    EXPECT_EQ(ReadRun(HKEY_LOCAL_MACHINE), kNone) << "the close box writes nothing";

    OkWith(true);
    EXPECT_EQ(ReadRun(HKEY_LOCAL_MACHINE), Stored());
    EXPECT_EQ(ReadRun(HKEY_CURRENT_USER), kNone);
    dialog = Open();
    EXPECT_TRUE(Checked()) << "the next opening reads it back";
    CloseBox(dialog);
    OkWith(false);
    EXPECT_EQ(ReadRun(HKEY_LOCAL_MACHINE), kNone);
}

TEST_F(About, AValueThatIsNoStringIsReportedAndTheBoxOpensClear) {
    const DWORD number = 1;
    ASSERT_EQ(
        RegSetKeyValueA(HKEY_LOCAL_MACHINE, kRun, "tappolo", REG_DWORD, &number, sizeof number),
        ERROR_SUCCESS);
    Start();
    ASSERT_TRUE(tappolo.ChooseItem(mpAbout));
    MessageBoxInfo error = WaitMessageBox(tappolo.Id(), 5s);
    ASSERT_NE(error.Window, nullptr);
    EXPECT_EQ(Narrow(error.Caption), "Tappolo");
    EXPECT_EQ(Narrow(error.Text), "Invalid data type for 'tappolo'");
    PressButton(error.Window, IDOK);
    HWND dialog = WaitWindow(tappolo.Id(), "About...", 5s);
    ASSERT_NE(dialog, nullptr);
    box = ChildByText(dialog, "Auto-run at startup Windows");
    EXPECT_FALSE(Checked());
    CloseBox(dialog);
    EXPECT_EQ(ReadRun(HKEY_LOCAL_MACHINE).first, static_cast<DWORD>(REG_DWORD));
}

TEST_F(About, WithoutRightsToTheMachineWideKeyTheUsersOwnRunKeyTakesTheValue) {
    // Everybody is denied the setting of values there, as a user without administrator rights.
    oldAccess = SetRunAccess("D:(D;;0x2;;;WD)(A;;KA;;;WD)");
    ASSERT_FALSE(oldAccess.empty());
    Start();
    OkWith(true);
    EXPECT_EQ(ReadRun(HKEY_LOCAL_MACHINE), kNone);
    EXPECT_EQ(ReadRun(HKEY_CURRENT_USER), Stored());
    HWND dialog = Open();
    EXPECT_TRUE(Checked());
    CloseBox(dialog);
    OkWith(false);
    EXPECT_EQ(ReadRun(HKEY_CURRENT_USER), kNone);
}

TEST_F(About, AMachineWideValueThatCannotBeRemovedSaysSoAndStays) {
    const std::string path = "\"" + dir.Path() + "Tappolo.exe\"";
    ASSERT_EQ(RegSetKeyValueA(HKEY_LOCAL_MACHINE, kRun, "tappolo", REG_SZ, path.c_str(),
                              static_cast<DWORD>(path.size() + 1)),
              ERROR_SUCCESS);
    oldAccess = SetRunAccess("D:(D;;0x2;;;WD)(A;;KA;;;WD)");
    ASSERT_FALSE(oldAccess.empty());
    Start();
    HWND dialog = Open();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(Checked());
    PressButton(box);
    PressButton(ChildByText(dialog, "&Ok"));
    MessageBoxInfo error = WaitMessageBox(tappolo.Id(), 5s);
    ASSERT_NE(error.Window, nullptr);
    EXPECT_EQ(Narrow(error.Text), "Failed to delete data for 'tappolo'");
    PressButton(error.Window, IDOK);
    EXPECT_TRUE(WaitGone(error.Window, 5s));
    EXPECT_TRUE(IsWindowVisible(dialog)) << "the dialog stays open";
    CloseBox(dialog);
    EXPECT_EQ(ReadRun(HKEY_LOCAL_MACHINE), Stored());
    EXPECT_EQ(ReadRun(HKEY_CURRENT_USER), kNone);
}
