// The component framework: ownership and notifications, menus, forms, and the top-level error
// handler as the user sees it.
#include "Application.h"
#include "Exception.h"
#include "Forms.h"
#include "Menus.h"
#include "WineTest.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

using namespace std::chrono_literals;

namespace {

class TRecorder : public TComponent {
public:
    TRecorder(TComponent* owner, std::string name, std::vector<std::string>* log)
        : TComponent(owner), FLog(log) {
        SetName(std::move(name));
    }
    ~TRecorder() override { FLog->push_back("~" + Name()); }
    void Loaded() override { FLog->push_back("loaded " + Name()); }

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override {
        TComponent::Notification(AComponent, Operation);
        if (Operation == TOperation::opRemove)
            FLog->push_back(Name() + " saw " + AComponent->Name() + " go");
    }

private:
    std::vector<std::string>* FLog;
};

// Waits for a top-level window of any process; null after the timeout.
HWND WaitForWindow(const char* className, const char* caption, std::chrono::milliseconds timeout) {
    auto end = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < end) {
        HWND found = FindWindowA(className, caption);
        if (found && IsWindowVisible(found))
            return found;
        std::this_thread::sleep_for(20ms);
    }
    return nullptr;
}

} // namespace

TEST(Framework, OwnerFreesInReverseOrderAndReferencesHearOfDestruction) {
    std::vector<std::string> log;
    {
        TOwned<TRecorder> owner(new TRecorder(nullptr, "form", &log));
        auto* menu = new TRecorder(owner.get(), "menu", &log);
        auto* tray = new TRecorder(owner.get(), "tray", &log);
        auto* outsider = new TRecorder(nullptr, "list", &log);
        outsider->FreeNotification(tray);
        owner->LoadedTree();
        EXPECT_EQ(log, (std::vector<std::string>{"loaded menu", "loaded tray", "loaded form"}));
        log.clear();

        TComponent::Free(outsider);
        EXPECT_EQ(log, (std::vector<std::string>{"~list", "tray saw list go"}));
        log.clear();

        // Freed ahead of its owner: it leaves the owner's list (no second free) and the owner
        // tells everything it owns.
        TComponent::Free(menu);
        EXPECT_EQ(owner->ComponentCount(), 1);
        EXPECT_EQ(log, (std::vector<std::string>{"~menu", "tray saw menu go", "form saw menu go"}));
        log.clear();
        new TRecorder(owner.get(), "later", &log);
    }
    EXPECT_EQ(log, (std::vector<std::string>{"~form", "~later", "~tray"}));
}

TEST(Framework, RadioItemsOfAGroupExcludeEachOtherAndDisabledItemsDoNothing) {
    TOwned<TPopupMenu> menu(new TPopupMenu(nullptr));
    auto item = [&](const char* caption, bool radio, int group) {
        auto* i = new TMenuItem(menu.get());
        i->SetCaption(caption);
        i->RadioItem = radio;
        i->GroupIndex = group;
        menu->Items()->Add(i);
        return i;
    };
    TMenuItem* tts = item("TTS Speak", true, 1);
    TMenuItem* fight = item("Fight", true, 1);
    TMenuItem* other = item("Other group", true, 2);
    TMenuItem* plain = item("Plain", false, 1);
    other->SetChecked(true);
    plain->SetChecked(true);
    tts->SetChecked(true);
    fight->SetChecked(true);
    EXPECT_FALSE(tts->Checked());
    EXPECT_TRUE(fight->Checked());
    EXPECT_TRUE(other->Checked());
    EXPECT_TRUE(plain->Checked());

    int clicks = 0;
    fight->OnClick = [&](TComponent* sender) {
        EXPECT_EQ(sender, fight);
        ++clicks;
    };
    fight->Click();
    fight->Enabled = false;
    fight->Click();
    EXPECT_EQ(clicks, 1);

    // The scheme list is rebuilt at run time: items go and come back at given places.
    TComponent::Free(fight);
    EXPECT_EQ(menu->Items()->Count(), 3);
    EXPECT_EQ(menu->Items()->IndexOf(other), 1);
    TMenuItem* moved = menu->Items()->Items(2);
    menu->Items()->Delete(2);
    menu->Items()->Insert(0, moved);
    EXPECT_EQ(plain->MenuIndex(), 0);
    EXPECT_EQ(FindMenuItem(tts->Command()), tts);
}

namespace {
class TDialogForm : public TForm {
public:
    explicit TDialogForm(TComponent* owner, std::vector<std::string>* log)
        : TForm(owner), FLog(log) {
        Caption = "Framework Dialog";
        BorderStyle = TBorderStyle::bsDialog;
        Position = TPosition::poScreenCenter;
        ClientWidth = 248;
        ClientHeight = 145;
        Layout = {
            {"btnOk", "BUTTON", "&Ok", 100, 32, 112, 75, 25, WS_TABSTOP | BS_PUSHBUTTON},
            {"btnCancel", "BUTTON", "&Cancel", IDCANCEL, 136, 112, 75, 25,
             WS_TABSTOP | BS_PUSHBUTTON},
        };
    }

    bool FailCloseQuery = false;

protected:
    void FormCreate() override { FLog->push_back("create"); }
    void FormDestroy() override { FLog->push_back("destroy"); }
    bool FormCloseQuery() override {
        if (FailCloseQuery)
            throw Exception("Cannot close");
        return true;
    }
    void Command(int id, int code, HWND control) override {
        if (id == 100 && code == BN_CLICKED)
            SetModalResult(mrOk);
        else
            TForm::Command(id, code, control);
    }

private:
    std::vector<std::string>* FLog;
};

// Presses a button of the dialog with that caption from another thread.
std::thread PressWhenShown(const char* caption, int buttonId) {
    return std::thread([caption, buttonId] {
        if (HWND dialog = WaitForWindow(nullptr, caption, 5s))
            PostMessageA(GetDlgItem(dialog, buttonId), BM_CLICK, 0, 0);
    });
}
} // namespace

TEST(Framework, ModalFormRunsFromItsLayoutAndEndsWithTheButtonsResult) {
    Application.Initialize();
    std::vector<std::string> log;
    for (auto [buttonId, expected] : {std::pair{100, mrOk}, std::pair{IDCANCEL, mrCancel}}) {
        TOwned<TDialogForm> form(TForm::Create<TDialogForm>(nullptr, &log));
        std::thread presser = PressWhenShown("Framework Dialog", buttonId);
        TModalResult result = form->ShowModal();
        presser.join();
        EXPECT_EQ(result, expected);
        char text[32] = {};
        GetWindowTextA(form->Control(IDCANCEL), text, sizeof text);
        EXPECT_STREQ(text, "&Cancel");
        EXPECT_FALSE(form->Visible());
    }
    EXPECT_EQ(log, (std::vector<std::string>{"create", "destroy", "create", "destroy"}));
}

TEST(Framework, AModalFormEndedByAnErrorGivesTheOtherWindowsBack) {
    Application.Initialize();
    HWND other = CreateWindowExA(0, "STATIC", "other", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr,
                                 nullptr, nullptr, nullptr);
    ASSERT_NE(other, nullptr);
    std::vector<std::string> log;
    TOwned<TDialogForm> form(TForm::Create<TDialogForm>(nullptr, &log));
    form->FailCloseQuery = true;
    std::thread presser = PressWhenShown("Framework Dialog", 100);
    EXPECT_THROW(form->ShowModal(), Exception);
    presser.join();
    EXPECT_TRUE(IsWindowEnabled(other));
    EXPECT_FALSE(form->Visible());
    EXPECT_FALSE(form->Modal());
    DestroyWindow(other);
}

TEST(Framework, AnErrorOfAMenuCommandIsShownCaptionedWithTheTitleAndTheProgramGoesOn) {
    Application.Initialize();
    // Before the program names itself, its file name stands in: never an untitled box.
    Application.SetTitle("");
    EXPECT_EQ(Application.Title(), "framework_test");
    Application.SetTitle("Tappolo");
    TOwned<TPopupMenu> menu(new TPopupMenu(nullptr));
    auto* failing = new TMenuItem(menu.get());
    failing->OnClick = [](TComponent*) { throw Exception("Cannot open the scheme file"); };
    auto* failingStd = new TMenuItem(menu.get());
    failingStd->OnClick = [](TComponent*) { throw std::runtime_error("Stopped!"); };
    bool after = false;
    auto* working = new TMenuItem(menu.get());
    working->OnClick = [&](TComponent*) { after = true; };

    for (auto [item, expected] :
         {std::pair{failing, "Cannot open the scheme file."}, std::pair{failingStd, "Stopped!"}}) {
        std::string shown, caption;
        HICON icon = nullptr;
        std::atomic<bool> done{false};
        std::thread reader([&] {
            if (HWND box = WaitForWindow("#32770", "Tappolo", 5s)) {
                icon = wt::MessageBoxIcon(box);
                char text[256] = {};
                GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
                shown = text;
                GetWindowTextA(box, text, sizeof text);
                caption = text;
                SendMessageA(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
            }
            done = true;
        });
        // The command arrives as a menu's choice does: a WM_COMMAND to the menus' window.
        PostMessageA(TPopupMenu::WindowHandle(), WM_COMMAND, item->Command(), 0);
        auto end = std::chrono::steady_clock::now() + 8s;
        while (!done && std::chrono::steady_clock::now() < end)
            wt::PumpMessages(50ms);
        reader.join();
        EXPECT_EQ(caption, "Tappolo");
        EXPECT_EQ(shown, expected);
        EXPECT_EQ(icon, LoadIconA(nullptr, IDI_HAND));
    }
    PostMessageA(TPopupMenu::WindowHandle(), WM_COMMAND, working->Command(), 0);
    wt::PumpMessages(100ms);
    EXPECT_TRUE(after);
    EXPECT_EQ(FindWindowA("#32770", "Tappolo"), nullptr);
}
