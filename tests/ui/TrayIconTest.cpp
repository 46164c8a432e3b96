// The tray icon component in a host window, observed from the shell's side: icon presence from
// another process, the menu it opens and the item chosen there, and the windows it hides.
#include "Application.h"
#include "Forms.h"
#include "WineTest.h"
#include "vobTrayIconOk.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

using namespace std::chrono_literals;

namespace {

const char kProbeVariable[] = "TAPPOLO_TRAY_PROBE";

// Whether the icon (window, id 1) is in the notification area, asked by another process: the
// shell answers a modify without flags with success only for an icon that exists.
bool IconPresentSeenFromOutside(HWND window) {
    char exe[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, exe, MAX_PATH);
    SetEnvironmentVariableA(kProbeVariable,
                            std::to_string(reinterpret_cast<uintptr_t>(window)).c_str());
    std::string command = std::string("\"") + exe + "\" --gtest_filter=TrayProbe.Child";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    BOOL started = CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                  nullptr, &si, &pi);
    SetEnvironmentVariableA(kProbeVariable, nullptr);
    EXPECT_TRUE(started);
    if (!started)
        return false;
    WaitForSingleObject(pi.hProcess, 20000);
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    EXPECT_TRUE(code == 10 || code == 11) << "probe exit code " << code;
    return code == 10;
}

class THost : public TForm {
public:
    explicit THost(TComponent* owner) : TForm(owner) {
        Caption = "TrayHost";
        BorderStyle = TBorderStyle::bsDialog;
        ClientWidth = 169;
        ClientHeight = 71;
        PopupMenu1 = new TPopupMenu(this);
        for (const char* caption : {"&First", "&Second", "-", "&Third"}) {
            auto* item = new TMenuItem(this);
            item->SetCaption(caption);
            item->OnClick = [this](TComponent* sender) {
                Chosen.push_back(static_cast<TMenuItem*>(sender)->Caption());
            };
            PopupMenu1->Items()->Add(item);
        }
        vobTIO = new TvobTrayIconOk(this);
        vobTIO->SetIcon(LoadIcon(nullptr, IDI_APPLICATION));
        vobTIO->SetPopupMenu(PopupMenu1);
        vobTIO->LeftPopup = true;
        vobTIO->StartMinimized = true;
        vobTIO->MinimizeToTray = true;
        vobTIO->OnMouseDown = [this](TComponent*, TMouseButton b, TShiftState, int, int) {
            Events.push_back(b == TMouseButton::mbLeft ? "down left" : "down other");
        };
        vobTIO->OnMouseUp = [this](TComponent*, TMouseButton, TShiftState, int, int) {
            Events.push_back("up");
        };
        vobTIO->OnClick = [this](TComponent*) { Events.push_back("click"); };
        vobTIO->OnDblClick = [this](TComponent*) { Events.push_back("dblclick"); };
    }
    TPopupMenu* PopupMenu1;
    TvobTrayIconOk* vobTIO;
    std::vector<std::string> Chosen, Events;
    int NullMessages = 0;

protected:
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_NULL)
            ++NullMessages;
        return TForm::WndProc(message, wParam, lParam);
    }
};

struct TrayFixture : testing::Test {
    void SetUp() override {
        Application.Initialize();
        Application.SetTitle("Tappolo");
        host.reset(Application.CreateForm<THost>());
        ASSERT_EQ(Application.MainForm(), host.get());
    }
    void TearDown() override { host.reset(); }

    void Notify(UINT mouseMessage) {
        PostMessageA(host->vobTIO->Handle(), WM_TRAYNOTIFY, 1, mouseMessage);
    }

    // Posts the tray notifications and lets them run; a menu that opens meanwhile is answered
    // with `keys` (sent to the menu window) from a second thread, since an open menu holds this
    // thread in its own loop until it closes. True when a menu opened.
    bool MenuAnswer(std::vector<UINT> mouseMessages, std::vector<WORD> keys) {
        std::atomic<bool> opened{false}, answered{false}, stop{false};
        std::thread driver([&] {
            while (!stop) {
                HWND menu = FindWindowA("#32768", nullptr);
                if (menu && IsWindowVisible(menu)) {
                    opened = true;
                    std::this_thread::sleep_for(100ms);
                    for (WORD key : keys) {
                        PostMessageA(menu, WM_KEYDOWN, key, 0);
                        std::this_thread::sleep_for(30ms);
                    }
                    answered = true;
                    return;
                }
                std::this_thread::sleep_for(20ms);
            }
        });
        for (UINT message : mouseMessages)
            Notify(message);
        // The notifications are handled within the first pump; a menu they open keeps it
        // from returning until the driver has answered.
        auto end = std::chrono::steady_clock::now() + 3s;
        wt::PumpMessages(200ms);
        while (opened && !answered && std::chrono::steady_clock::now() < end)
            wt::PumpMessages(50ms);
        stop = true;
        driver.join();
        wt::PumpMessages(200ms);
        return opened;
    }

    TOwned<THost> host;
};

} // namespace

// Runs only as the presence probe of IconPresentSeenFromOutside: exit 10 present, 11 absent.
TEST(TrayProbe, Child) {
    const char* value = std::getenv(kProbeVariable);
    if (!value)
        GTEST_SKIP() << "only run as a child process";
    NOTIFYICONDATAA data{};
    data.cbSize = NOTIFYICONDATAA_V2_SIZE;
    data.hWnd = reinterpret_cast<HWND>(static_cast<uintptr_t>(std::strtoull(value, nullptr, 10)));
    data.uID = 1;
    ExitProcess(Shell_NotifyIconA(NIM_MODIFY, &data) ? 10 : 11);
}

TEST_F(TrayFixture, LoadingHidesTheApplicationAndAddsTheIconWhichLeavesWithTheComponent) {
    EXPECT_FALSE(Application.ShowMainForm);
    EXPECT_FALSE(IsWindowVisible(Application.Handle()));
    HWND window = host->vobTIO->Handle();
    // The layout with the balloon fields: 488 bytes for 32-bit code, 504 for 64-bit.
    EXPECT_EQ(host->vobTIO->IconData().cbSize, sizeof(void*) == 4 ? 488u : 504u);
    EXPECT_TRUE(IconPresentSeenFromOutside(window));
    host->vobTIO->SetIconVisible(false);
    EXPECT_FALSE(IconPresentSeenFromOutside(window));
    EXPECT_TRUE(host->vobTIO->AddTrayIcon());
    EXPECT_FALSE(host->vobTIO->AddTrayIcon()) << "the icon is there already";
    host.reset();
    EXPECT_FALSE(IconPresentSeenFromOutside(window));
    EXPECT_EQ(Application.MainForm(), nullptr);
}

TEST_F(TrayFixture, AnOverriddenRemoveTakesTheIconAwayWhenTheComponentIsFreed) {
    struct TCountingTray : TvobTrayIconOk {
        TCountingTray(TComponent* owner, int* removes) : TvobTrayIconOk(owner), FRemoves(removes) {}
        bool RemoveTrayIcon() override {
            ++*FRemoves;
            return TvobTrayIconOk::RemoveTrayIcon();
        }
        int* FRemoves;
    };
    int removes = 0;
    TOwned<TCountingTray> tray(new TCountingTray(nullptr, &removes));
    tray->SetIcon(LoadIcon(nullptr, IDI_APPLICATION));
    ASSERT_TRUE(tray->AddTrayIcon());
    HWND window = tray->Handle();
    tray.reset();
    EXPECT_EQ(removes, 1);
    EXPECT_FALSE(IconPresentSeenFromOutside(window));
}

TEST_F(TrayFixture, TooltipIsCutToFitItsFieldWhileTheHintKeepsItsText) {
    std::string hint(200, 'h');
    hint[126] = 'x';
    host->vobTIO->SetHint(hint);
    const char* tip = host->vobTIO->IconData().szTip;
    EXPECT_EQ(std::strlen(tip), 127u);
    EXPECT_EQ(tip[126], 'x');
    EXPECT_EQ(host->vobTIO->Hint(), hint);
    host->vobTIO->SetShowHint(false);
    EXPECT_EQ(host->vobTIO->IconData().szTip[0], '\0');
    host->vobTIO->SetShowHint(true);
    host->vobTIO->SetHint("Click here for Tappolo Options");
    EXPECT_STREQ(host->vobTIO->IconData().szTip, "Click here for Tappolo Options");
}

TEST_F(TrayFixture, MenuOpensOnLeftAndRightPressRunsTheChosenItemAndOwnerGetsOneNullEach) {
    EXPECT_TRUE(MenuAnswer({WM_RBUTTONDOWN}, {VK_DOWN, VK_DOWN, VK_RETURN}));
    EXPECT_EQ(host->Chosen, std::vector<std::string>{"&Second"});
    EXPECT_EQ(host->PopupMenu1->PopupComponent, host->vobTIO);
    EXPECT_EQ(host->NullMessages, 1);

    // The separator is skipped on the way to the last item.
    EXPECT_TRUE(MenuAnswer({WM_LBUTTONDOWN}, {VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN}));
    EXPECT_EQ(host->Chosen, (std::vector<std::string>{"&Second", "&Third"}));
    EXPECT_EQ(host->NullMessages, 2);

    // Closed without a choice: no command, still one WM_NULL.
    EXPECT_TRUE(MenuAnswer({WM_RBUTTONDOWN}, {VK_ESCAPE}));
    wt::PumpMessages(100ms);
    EXPECT_EQ(host->Chosen.size(), 2u);
    EXPECT_EQ(host->NullMessages, 3);
    EXPECT_EQ(host->Events, (std::vector<std::string>{"down other", "down left", "down other"}));
}

TEST_F(TrayFixture, LeftClickAndDoubleClickFollowThePendingRuleAndTheDefaultItem) {
    host->vobTIO->LeftPopup = false;
    host->PopupMenu1->Items()->Items(1)->Default = true; // "&Second"
    host->PopupMenu1->Items()->Items(3)->Default = true; // "&Third": the upper one wins
    EXPECT_FALSE(
        MenuAnswer({WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP}, {VK_ESCAPE}))
        << "the left button opened the menu";
    EXPECT_EQ(host->Events,
              (std::vector<std::string>{"down left", "click", "up", "dblclick", "up"}));
    EXPECT_EQ(host->Chosen, std::vector<std::string>{"&Second"});

    // With the left button opening the menu, a double-click runs no default item.
    host->vobTIO->LeftPopup = true;
    host->Events.clear();
    EXPECT_FALSE(MenuAnswer({WM_LBUTTONDBLCLK, WM_RBUTTONDBLCLK}, {VK_ESCAPE}))
        << "a double-click opened the menu";
    EXPECT_EQ(host->Events, std::vector<std::string>{"dblclick"});
    EXPECT_EQ(host->Chosen.size(), 1u);
}

TEST_F(TrayFixture, DisabledComponentIgnoresTheMouseAndShowsNoBalloon) {
    host->vobTIO->Enabled = false;
    EXPECT_FALSE(MenuAnswer({WM_RBUTTONDOWN}, {VK_ESCAPE}));
    EXPECT_FALSE(
        MenuAnswer({WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_MOUSEMOVE}, {VK_ESCAPE}));
    EXPECT_TRUE(host->Events.empty());
    EXPECT_EQ(host->NullMessages, 0);
    EXPECT_TRUE(host->vobTIO->ShowBalloon("Tappolo", "hidden", TBalloonIconKind::bitInfo, 10));
    EXPECT_STREQ(host->vobTIO->IconData().szInfo, "");

    host->vobTIO->Enabled = true;
    std::string longText(300, 't'), longTitle(100, 'T');
    EXPECT_TRUE(host->vobTIO->ShowBalloon(longTitle, longText, TBalloonIconKind::bitWarning, 10));
    const NOTIFYICONDATAA& data = host->vobTIO->IconData();
    EXPECT_EQ(std::strlen(data.szInfo), 255u);
    EXPECT_EQ(std::strlen(data.szInfoTitle), 63u);
    EXPECT_EQ(data.dwInfoFlags, static_cast<DWORD>(NIIF_WARNING));
    EXPECT_EQ(data.uTimeout, 10000u);
    EXPECT_EQ(data.uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
}

TEST_F(TrayFixture, RestartedShellGetsTheIconBackWithItsImageAndTip) {
    host->vobTIO->SetHint("Click here for Tappolo Options");
    HWND window = host->vobTIO->Handle();
    // The restarted shell has lost the icon.
    NOTIFYICONDATAA gone{};
    gone.cbSize = NOTIFYICONDATAA_V2_SIZE;
    gone.hWnd = window;
    gone.uID = 1;
    ASSERT_TRUE(Shell_NotifyIconA(NIM_DELETE, &gone));
    ASSERT_FALSE(IconPresentSeenFromOutside(window));
    SendMessageA(Application.Handle(), RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    EXPECT_TRUE(IconPresentSeenFromOutside(window));
    EXPECT_STREQ(host->vobTIO->IconData().szTip, "Click here for Tappolo Options");
    EXPECT_EQ(host->vobTIO->IconData().hIcon, host->vobTIO->Icon());
    EXPECT_NE(host->vobTIO->Icon(), nullptr);
}

TEST_F(TrayFixture, AnIconTheShellRefusedIsOfferedAgainUntilItIsThere) {
    // A shell that is not ready refuses the first add, at the start and after a restart.
    struct TRefusedOnceTray : TvobTrayIconOk {
        using TvobTrayIconOk::TvobTrayIconOk;
        bool AddTrayIcon() override {
            if (Refusals > 0) {
                --Refusals;
                return false;
            }
            return TvobTrayIconOk::AddTrayIcon();
        }
        int Refusals = 1;
    };
    TOwned<TRefusedOnceTray> tray(new TRefusedOnceTray(nullptr));
    tray->SetIcon(LoadIcon(nullptr, IDI_APPLICATION));
    HWND window = tray->Handle();
    tray->SetIconVisible(true);
    EXPECT_FALSE(tray->IconShown());
    EXPECT_FALSE(IconPresentSeenFromOutside(window));
    wt::PumpMessages(3s);
    EXPECT_TRUE(tray->IconShown());
    EXPECT_TRUE(IconPresentSeenFromOutside(window));

    NOTIFYICONDATAA gone{};
    gone.cbSize = NOTIFYICONDATAA_V2_SIZE;
    gone.hWnd = window;
    gone.uID = 1;
    ASSERT_TRUE(Shell_NotifyIconA(NIM_DELETE, &gone));
    tray->Refusals = 1;
    SendMessageA(Application.Handle(), RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    EXPECT_FALSE(tray->IconShown());
    wt::PumpMessages(3s);
    EXPECT_TRUE(IconPresentSeenFromOutside(window));
}

TEST_F(TrayFixture, MinimizingHidesTheWindowsAndKeepsTheIcon) {
    host->vobTIO->RestoreMainWindow();
    wt::PumpMessages(100ms);
    ASSERT_TRUE(host->Visible());
    ASSERT_TRUE(IsWindowVisible(Application.Handle()));
    Application.Minimize();
    wt::PumpMessages(200ms);
    EXPECT_FALSE(host->Visible());
    EXPECT_FALSE(IsWindowVisible(Application.Handle()));
    EXPECT_TRUE(IconPresentSeenFromOutside(host->vobTIO->Handle()));
}

TEST_F(TrayFixture, IconCyclingAndIndexFollowTheImageList) {
    TvobTrayIconOk& tray = *host->vobTIO;
    auto* list = new TImageList(host.get());
    for (LPCSTR id : {IDI_APPLICATION, IDI_WARNING, IDI_ERROR, IDI_INFORMATION})
        list->AddIcon(LoadIcon(nullptr, id));
    tray.SetIconIndex(10);
    EXPECT_EQ(tray.IconIndex(), 0) << "no list";
    tray.SetIconList(list);
    tray.SetIconIndex(10);
    EXPECT_EQ(tray.IconIndex(), 3);
    EXPECT_EQ(tray.NextIndex(), 0);
    list->Delete(3);

    std::vector<int> shown, next;
    tray.OnCycle = [&](TComponent* sender, int nextIndex) {
        EXPECT_EQ(sender, &tray);
        shown.push_back(tray.IconIndex());
        next.push_back(nextIndex);
    };
    tray.SetCycleInterval(40);
    tray.SetCycleIcons(true);
    for (int i = 0; i < 100 && shown.size() < 4; ++i)
        wt::PumpMessages(20ms);
    tray.SetCycleIcons(false);
    ASSERT_GE(shown.size(), 4u);
    EXPECT_EQ(std::vector<int>(shown.begin(), shown.begin() + 4), (std::vector<int>{0, 1, 2, 0}));
    EXPECT_EQ(std::vector<int>(next.begin(), next.begin() + 4), (std::vector<int>{1, 2, 0, 1}));
    size_t stopped = shown.size();
    wt::PumpMessages(150ms);
    EXPECT_EQ(shown.size(), stopped);

    // The list goes away: the component lets go of it.
    tray.SetIconIndex(2);
    TComponent::Free(list);
    EXPECT_EQ(tray.IconList(), nullptr);
    EXPECT_EQ(tray.IconIndex(), 0);
}
