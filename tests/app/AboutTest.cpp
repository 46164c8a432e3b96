// The About dialog on the real program: the version shown, and auto-run at logon in the
// registry, machine-wide where the program may write it and the user's own where not.
#include "AppTestUtil.h"
#include "DialogDriver.h"

#include <sddl.h>

using namespace std::chrono_literals;
using namespace app;

namespace {

constexpr const char* kRun = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

struct RunValue {
    bool Present = false;
    DWORD Type = 0;
    std::string Data;
};

RunValue ReadRun(HKEY root) {
    RunValue value;
    HKEY key;
    if (RegOpenKeyExA(root, kRun, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return value;
    char data[1024] = {};
    DWORD size = sizeof data - 1;
    value.Present = RegQueryValueExA(key, "tappolo", nullptr, &value.Type,
                                     reinterpret_cast<BYTE*>(data), &size) == ERROR_SUCCESS;
    if (value.Present && (value.Type == REG_SZ))
        value.Data = data;
    RegCloseKey(key);
    return value;
}

void RemoveRun(HKEY root) {
    HKEY key;
    if (RegOpenKeyExA(root, kRun, 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
        RegDeleteValueA(key, "tappolo");
        RegCloseKey(key);
    }
}

void WriteRun(HKEY root, DWORD type, const void* data, DWORD size) {
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(root, kRun, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExA(key, "tappolo", 0, type, static_cast<const BYTE*>(data), size),
              ERROR_SUCCESS);
    RegCloseKey(key);
}

class About : public testing::Test {
protected:
    About() : dir("about") {}
    void SetUp() override {
        RemoveRun(HKEY_LOCAL_MACHINE);
        RemoveRun(HKEY_CURRENT_USER);
    }
    void TearDown() override {
        tappolo.Kill();
        RemoveRun(HKEY_LOCAL_MACHINE);
        RemoveRun(HKEY_CURRENT_USER);
    }
    void Start() {
        ASSERT_TRUE(tappolo.Start(dir));
        ASSERT_NE(tappolo.WaitTray(10s), nullptr);
    }
    HWND Open() {
        if (!tappolo.ChooseItem(mpAbout))
            return nullptr;
        HWND dialog = WaitWindow(tappolo.Id(), "About...", 5s);
        box = ChildByText(dialog, "Auto-run at startup Windows");
        return dialog;
    }
    bool Checked() const { return SendMessageA(box, BM_GETCHECK, 0, 0) == BST_CHECKED; }
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
    std::string Quoted() const { return "\"" + dir.Path() + "Tappolo.exe\""; }

    ProgramDir dir;
    AppProcess tappolo;
    HWND box = nullptr;
};

} // namespace

TEST_F(About, ShowsTheVersionAndOkStoresOrRemovesTheMachineWideValue) {
    Start();
    HWND dialog = Open();
    ASSERT_NE(dialog, nullptr);
    EXPECT_NE(ChildByText(dialog, "Ver 1.0.0.1"), nullptr) << "the executable's version block";
    EXPECT_FALSE(Checked());
    // The close box writes nothing, whatever the box says.
    PressButton(box);
    SendMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    ASSERT_TRUE(WaitGone(dialog, 5s));
    EXPECT_FALSE(ReadRun(HKEY_LOCAL_MACHINE).Present);

    OkWith(true);
    const RunValue stored = ReadRun(HKEY_LOCAL_MACHINE);
    EXPECT_EQ(stored.Type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(stored.Data, Quoted());
    EXPECT_FALSE(ReadRun(HKEY_CURRENT_USER).Present);
    dialog = Open();
    EXPECT_TRUE(Checked()) << "the next opening reads it back";
    SendMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    ASSERT_TRUE(WaitGone(dialog, 5s));

    OkWith(false);
    EXPECT_FALSE(ReadRun(HKEY_LOCAL_MACHINE).Present);
}

TEST_F(About, AValueThatIsNoStringIsReportedAndTheBoxOpensClear) {
    const DWORD number = 1;
    WriteRun(HKEY_LOCAL_MACHINE, REG_DWORD, &number, sizeof number);
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
    SendMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    ASSERT_TRUE(WaitGone(dialog, 5s));
    EXPECT_EQ(ReadRun(HKEY_LOCAL_MACHINE).Type, static_cast<DWORD>(REG_DWORD));
}

// A user without the right to change the machine-wide key: a deny entry for everybody on it.
class AboutWithoutMachineRights : public About {
protected:
    void SetUp() override {
        About::SetUp();
        HKEY key;
        ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kRun, 0, READ_CONTROL | WRITE_DAC, &key),
                  ERROR_SUCCESS);
        DWORD size = 0;
        RegGetKeySecurity(key, DACL_SECURITY_INFORMATION, nullptr, &size);
        FOldSecurity.resize(size);
        ASSERT_EQ(RegGetKeySecurity(key, DACL_SECURITY_INFORMATION, FOldSecurity.data(), &size),
                  ERROR_SUCCESS);
        RegCloseKey(key);
    }
    void Deny() { SetSecurity("D:(D;;0x2;;;WD)(A;;KA;;;WD)"); } // no KEY_SET_VALUE
    void TearDown() override {
        HKEY key;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kRun, 0, WRITE_DAC, &key) == ERROR_SUCCESS) {
            RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, FOldSecurity.data());
            RegCloseKey(key);
        }
        About::TearDown();
    }

private:
    void SetSecurity(const char* sddl) {
        PSECURITY_DESCRIPTOR sd = nullptr;
        ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl, SDDL_REVISION_1, &sd,
                                                                         nullptr));
        HKEY key;
        ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kRun, 0, WRITE_DAC, &key), ERROR_SUCCESS);
        EXPECT_EQ(RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, sd), ERROR_SUCCESS);
        RegCloseKey(key);
        LocalFree(sd);
    }
    std::vector<BYTE> FOldSecurity;
};

TEST_F(AboutWithoutMachineRights, TheUsersOwnRunKeyTakesTheValue) {
    Deny();
    Start();
    OkWith(true);
    EXPECT_FALSE(ReadRun(HKEY_LOCAL_MACHINE).Present);
    const RunValue own = ReadRun(HKEY_CURRENT_USER);
    EXPECT_EQ(own.Type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(own.Data, Quoted());
    HWND dialog = Open();
    EXPECT_TRUE(Checked());
    SendMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    ASSERT_TRUE(WaitGone(dialog, 5s));
    OkWith(false);
    EXPECT_FALSE(ReadRun(HKEY_CURRENT_USER).Present);
}

TEST_F(AboutWithoutMachineRights, AMachineWideValueThatCannotBeRemovedIsReported) {
    const std::string quoted = Quoted();
    WriteRun(HKEY_LOCAL_MACHINE, REG_SZ, quoted.c_str(), static_cast<DWORD>(quoted.size() + 1));
    Deny();
    Start();
    HWND dialog = Open();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(Checked()) << "read without write access";
    PressButton(box);
    PressButton(ChildByText(dialog, "&Ok"));
    MessageBoxInfo error = WaitMessageBox(tappolo.Id(), 5s);
    ASSERT_NE(error.Window, nullptr);
    EXPECT_EQ(Narrow(error.Text), "Failed to set data for 'tappolo'");
    PressButton(error.Window, IDOK);
    wt::PumpMessages(300ms);
    EXPECT_TRUE(IsWindowVisible(dialog)) << "the dialog stays open";
    EXPECT_EQ(ReadRun(HKEY_LOCAL_MACHINE).Data, quoted);
    EXPECT_FALSE(ReadRun(HKEY_CURRENT_USER).Present);
}
