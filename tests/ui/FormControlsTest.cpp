// The control layer of the dialogs, through one small form driven by real keyboard and mouse
// input: layout and tab order, events of each control kind, label accelerators, Enter and Esc
// with and without declared buttons, container panels, tooltips, hover.
#include "Application.h"
#include "ComCtrls.h"
#include "Dialogs.h"
#include "Exception.h"
#include "ExtCtrls.h"
#include "StdCtrls.h"
#include "WineTest.h"

#include <windows.h>

#include <commctrl.h>
#include <dlgs.h>
#include <imm.h>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

using namespace std::chrono_literals;

namespace {

class TProofForm : public TForm {
public:
    explicit TProofForm(TComponent* owner) : TForm(owner) {
        Caption = "Proof";
        BorderStyle = TBorderStyle::bsDialog;
        Position = TPosition::poScreenCenter;
        ClientWidth = 330;
        ClientHeight = 200;
        Build({
            {&lblName, "lblName", "&Name", 8, 12, 40, 13},
            {&edtName, "edtName", "", 56, 8, 100, 21},
            {&cbList, "cbList", "", 164, 8, 80, 21},
            {&btnOk, "btnOk", "&Ok", 168, 164, 75, 25},
            {&btnCancel, "btnCancel", "&Cancel", 248, 164, 75, 25},
            {&hkKey, "hkKey", "", 56, 36, 100, 19},
            {&chkAuto, "chkAuto", "&Auto-run", 164, 36, 120, 17},
            {&btnFile, "btnFile", "...", 250, 8, 21, 21},
            {&pnlKeys, "pnlKeys", "", 8, 64, 200, 40},
            {&pnlEsc, &pnlKeys, "pnlEsc", "Esc", 5, 6, 40, 28},
            {&pnlF1, &pnlKeys, "pnlF1", "F1", 50, 6, 40, 28},
            {&pnlEnter, &pnlKeys, "pnlEnter", "Enter", 95, 6, 50, 28},
            {&lblLink, "lblLink", "example.com", 8, 112, 80, 13},
            {&lblTitle, "lblTitle", "Proof", 216, 64, 100, 19},
            {&Bevel1, "Bevel1", "", 8, 156, 314, 2},
            {&Image1, "Image1", "", 216, 100, 32, 32},
            // Last in the tab order, far from the field it names.
            {&lblKey, "lblKey", "Hot&key", 8, 38, 40, 13},
        });
        lblName->FocusControl = edtName;
        lblKey->FocusControl = hkKey;
        edtName->MaxLength = 6;
        edtName->ImeOff = true;
        edtName->OnKeyPress = Handler(&TProofForm::edtNameKeyPress);
        edtName->OnChange = Handler(&TProofForm::edtNameChange);
        cbList->OnSelect = Handler(&TProofForm::cbListSelect);
        hkKey->InvalidKeys = HKCOMB_NONE | HKCOMB_S;
        hkKey->Modifiers = HOTKEYF_CONTROL | HOTKEYF_ALT;
        chkAuto->CaptionLeft = true;
        btnOk->OnClick = Handler(&TProofForm::Clicked);
        btnCancel->OnClick = Handler(&TProofForm::Clicked);
        btnCancel->ModalResult = mrCancel;
        btnFile->OnClick = Handler(&TProofForm::Clicked);
        for (TPanel* key : {pnlEsc, pnlF1, pnlEnter})
            key->OnClick = Handler(&TProofForm::Panel2Click);
        pnlEsc->Tag = 14;
        pnlF1->Tag = 4;
        pnlEnter->Tag = 7;
        pnlF1->SetHint("Function one");
        pnlEnter->SetHint("Enter");
        lblLink->Cursor = IDC_HAND;
        lblLink->OnMouseEnter = Handler(&TProofForm::lblLinkMouseEnter);
        lblLink->OnMouseLeave = Handler(&TProofForm::lblLinkMouseLeave);
        lblTitle->SetFont({"Arial", 16, true, false, clGreen});
        lblTitle->Transparent = true;
        Image1->SetIcon(LoadIconA(nullptr, IDI_APPLICATION));
    }

    TLabel *lblName, *lblKey, *lblLink, *lblTitle;
    TEdit* edtName;
    TComboBox* cbList;
    THotKey* hkKey;
    TCheckBox* chkAuto;
    TButton *btnOk, *btnCancel;
    TSpeedButton* btnFile;
    TPanel *pnlKeys, *pnlEsc, *pnlF1, *pnlEnter;
    TBevel* Bevel1;
    TImage* Image1;

    std::vector<std::string> Log;

protected:
    void FormCreate() override {
        for (const char* item : {"alpha", "beta", "gamma"})
            cbList->Add(item);
        cbList->SetItemIndex(0);
        Log.push_back("create " + std::to_string(cbList->Count()));
    }
    void edtNameKeyPress(TComponent*, char& Key) {
        if (Key == ':')
            Key = 0;
    }
    void edtNameChange(TComponent*) { Log.push_back("change " + edtName->Text()); }
    void cbListSelect(TComponent*) { Log.push_back("select " + cbList->Text()); }
    void Clicked(TComponent* Sender) { Log.push_back("click " + Sender->Name()); }
    void Panel2Click(TComponent* Sender) {
        Log.push_back("key " + std::to_string(Sender->Tag));
        for (TPanel* key : {pnlEsc, pnlF1, pnlEnter}) {
            bool chosen = key == Sender;
            key->SetFontColor(chosen ? clMaroon : clBlack);
            key->SetBevelOuter(chosen ? TBevelCut::bvLowered : TBevelCut::bvRaised);
        }
    }
    void lblLinkMouseEnter(TComponent*) { lblLink->SetFont({"", 0, false, true, clBlue}); }
    void lblLinkMouseLeave(TComponent*) { lblLink->SetFont({"", 0, false, false, clBlack}); }
};

// Lets our message loop run, with the forms' keyboard navigation.
void Pump(std::chrono::milliseconds duration) {
    auto end = std::chrono::steady_clock::now() + duration;
    while (std::chrono::steady_clock::now() < end) {
        Application.ProcessMessages();
        std::this_thread::sleep_for(5ms);
    }
}

INPUT Key(WORD vk, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    // With its scan code, as a keyboard sends it: the hotkey field reads the key of a
    // character message from there.
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(vk, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    return input;
}

void Press(WORD vk, WORD modifier = 0) {
    std::vector<INPUT> inputs;
    if (modifier)
        inputs.push_back(Key(modifier, false));
    inputs.push_back(Key(vk, false));
    inputs.push_back(Key(vk, true));
    if (modifier)
        inputs.push_back(Key(modifier, true));
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
    Pump(150ms);
}

// Typed characters, whatever the keyboard layout.
void Type(const std::string& text) {
    for (char c : text) {
        INPUT input[2]{};
        for (int i = 0; i < 2; ++i) {
            input[i].type = INPUT_KEYBOARD;
            input[i].ki.wScan = static_cast<WORD>(c);
            input[i].ki.dwFlags = KEYEVENTF_UNICODE | (i ? KEYEVENTF_KEYUP : 0);
        }
        SendInput(2, input, sizeof(INPUT));
    }
    Pump(200ms);
}

// A mouse event at the centre of a window (moved right by dx).
INPUT MouseAt(HWND window, DWORD flags, int dx = 0) {
    RECT r;
    GetWindowRect(window, &r);
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = ((r.left + r.right) / 2 + dx) * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1);
    input.mi.dy = (r.top + r.bottom) / 2 * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1);
    input.mi.dwFlags = flags | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    return input;
}

void MoveMouse(HWND window, int dx = 0) {
    INPUT input = MouseAt(window, 0, dx);
    SendInput(1, &input, sizeof input);
    Pump(250ms);
}

void Click(HWND window) {
    INPUT input[3] = {MouseAt(window, 0), MouseAt(window, MOUSEEVENTF_LEFTDOWN),
                      MouseAt(window, MOUSEEVENTF_LEFTUP)};
    SendInput(3, input, sizeof(INPUT));
    Pump(150ms);
}

// The control's rectangle in its parent's client area.
RECT PlaceOf(TControl* control) {
    RECT r;
    GetWindowRect(control->Handle(), &r);
    MapWindowPoints(nullptr, GetParent(control->Handle()), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

} // namespace

TEST(FormControls, OneFormDrivenByKeyboardAndMouse) {
    Application.Initialize();
    TOwned<TProofForm> form(TForm::Create<TProofForm>(nullptr));
    ASSERT_TRUE(form->HandleAllocated());
    EXPECT_EQ(form->Log, (std::vector<std::string>{"create 3"}));
    EXPECT_EQ(form->cbList->Text(), "alpha");
    form->Show();
    SetForegroundWindow(form->Handle());
    form->edtName->SetFocus();
    Pump(200ms);
    ASSERT_TRUE(form->edtName->Focused()) << "the form did not get the keyboard";
    form->Log.clear();

    // Places from the table (96 dpi here), inside the container for its children.
    RECT edit = PlaceOf(form->edtName), key = PlaceOf(form->pnlF1);
    EXPECT_EQ((std::vector<LONG>{edit.left, edit.top, edit.right, edit.bottom}),
              (std::vector<LONG>{56, 8, 156, 29}));
    EXPECT_EQ((std::vector<LONG>{key.left, key.top, key.right, key.bottom}),
              (std::vector<LONG>{50, 6, 90, 34}));

    // Tab order is the table's order; labels, panels and the speed button take no focus.
    std::vector<std::string> order;
    for (int i = 0; i < 6; ++i) {
        Press(VK_TAB);
        TControl* focused = TControl::FromHandle(GetFocus());
        order.push_back(focused ? focused->Name() : "?");
    }
    EXPECT_EQ(order, (std::vector<std::string>{"cbList", "btnOk", "btnCancel", "hkKey", "chkAuto",
                                               "edtName"}));

    // Typed characters pass the filter; the field keeps at most six.
    Type("a:b:cdefgh");
    EXPECT_EQ(form->edtName->Text(), "abcdef");
    EXPECT_EQ(form->Log.front(), "change a");
    EXPECT_EQ(ImmGetContext(form->edtName->Handle()), nullptr);
    form->Log.clear();

    // No default and no cancel button: Enter and Esc in the field do nothing.
    Press(VK_RETURN);
    Press(VK_ESCAPE);
    EXPECT_TRUE(form->Log.empty());
    EXPECT_EQ(form->ModalResult(), mrNone);

    // Declared: Enter presses the default button, Esc the cancel button.
    form->SetDefaultButton(form->btnOk);
    form->SetCancelButton(form->btnCancel);
    Press(VK_RETURN);
    Press(VK_ESCAPE);
    EXPECT_EQ(form->Log, (std::vector<std::string>{"click btnOk", "click btnCancel"}));
    EXPECT_EQ(form->ModalResult(), mrCancel);
    form->SetModalResult(mrNone);
    form->Log.clear();

    // A label's accelerator goes to the field it names, not to the next one in the tab
    // order; a check box's accelerator toggles it.
    form->btnOk->SetFocus();
    Press('K', VK_MENU);
    ASSERT_TRUE(form->hkKey->Focused());
    // The hotkey field completes a bare key and Shift+key to Ctrl+Alt+key.
    Press('E');
    EXPECT_EQ(form->hkKey->HotKey(), 0xC045);
    form->hkKey->SetHotKey(0);
    Press('E', VK_SHIFT);
    EXPECT_EQ(form->hkKey->HotKey(), 0xC045);
    form->hkKey->SetHotKey(0x6000 | VK_F5); // Shift+Ctrl+F5
    EXPECT_EQ(form->hkKey->HotKey(), 0x6000 | VK_F5);

    Press('N', VK_MENU);
    EXPECT_TRUE(form->edtName->Focused());
    Press('A', VK_MENU);
    EXPECT_TRUE(form->chkAuto->Checked());

    // The link label: hand cursor, and the look its enter and leave handlers give it.
    MoveMouse(form->lblLink->Handle());
    MoveMouse(form->lblLink->Handle(), 2);
    EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_HAND));
    EXPECT_TRUE(form->lblLink->Font().Underline);
    EXPECT_EQ(form->lblLink->Font().Color, clBlue);
    MoveMouse(form->btnOk->Handle());
    MoveMouse(form->btnOk->Handle(), 2);
    Pump(500ms); // the platform looks for the leaving pointer on a timer
    EXPECT_FALSE(form->lblLink->Font().Underline);
    EXPECT_EQ(form->lblLink->Font().Color, clBlack);

    // Key panels in the container: a click reaches the handler with the panel as sender.
    form->edtName->SetFocus();
    form->Log.clear();
    Click(form->pnlF1->Handle());
    Click(form->pnlEnter->Handle());
    EXPECT_EQ(form->Log, (std::vector<std::string>{"key 4", "key 7"}));
    EXPECT_EQ(form->pnlEnter->BevelOuter(), TBevelCut::bvLowered);
    // Drawn by their objects through the container: a lowered bevel is dark at its top left,
    // a raised one light.
    UpdateWindow(form->pnlKeys->Handle());
    auto corner = [](TControl* key) {
        HDC dc = GetDC(key->Handle());
        COLORREF color = GetPixel(dc, 0, 0);
        ReleaseDC(key->Handle(), dc);
        return color;
    };
    EXPECT_EQ(corner(form->pnlEnter), GetSysColor(COLOR_BTNSHADOW));
    EXPECT_EQ(corner(form->pnlF1), GetSysColor(COLOR_3DLIGHT));
    // The speed button clicks and leaves the focus where it was.
    form->Log.clear();
    Click(form->btnFile->Handle());
    EXPECT_EQ(form->Log, (std::vector<std::string>{"click btnFile"}));
    EXPECT_TRUE(form->edtName->Focused());

    // Last: under Wine, while a tooltip shows, no window tracks the pointer any more.
    // A panel with a hint shows it when the pointer rests on it.
    MoveMouse(form->pnlF1->Handle());
    MoveMouse(form->pnlF1->Handle(), 2);
    std::string tip;
    for (int i = 0; i < 40 && tip.empty(); ++i) {
        Pump(100ms);
        for (HWND w = FindWindowExA(nullptr, nullptr, TOOLTIPS_CLASSA, nullptr); w;
             w = FindWindowExA(nullptr, w, TOOLTIPS_CLASSA, nullptr))
            if (GetWindow(w, GW_OWNER) == form->Handle() && IsWindowVisible(w)) {
                char text[64] = {};
                TTTOOLINFOA tool{};
                tool.cbSize = TTTOOLINFOA_V1_SIZE;
                tool.lpszText = text;
                SendMessageA(w, TTM_GETCURRENTTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
                tip = text;
            }
    }
    EXPECT_EQ(tip, "Function one");

    if (!wt::Env("TAPPOLO_SHOW_FORM").empty()) {
        form->lblLink->SetFont({"", 0, false, true, clBlue});
        Pump(std::chrono::seconds(std::stoi(wt::Env("TAPPOLO_SHOW_FORM"))));
    }
}

namespace {

// Runs `reader` on the first visible dialog box of this caption, from another thread.
std::thread OnDialogBox(const char* caption, std::function<void(HWND)> reader) {
    return std::thread([caption, reader] {
        auto end = std::chrono::steady_clock::now() + 5s;
        while (std::chrono::steady_clock::now() < end) {
            HWND box = FindWindowA("#32770", caption);
            if (box && IsWindowVisible(box)) {
                reader(box);
                return;
            }
            std::this_thread::sleep_for(20ms);
        }
    });
}

class TFailingForm : public TForm {
public:
    explicit TFailingForm(TComponent* owner) : TForm(owner) {
        Build({{&cbList, "cbList", "", 8, 8, 80, 21}, {&btnOk, "btnOk", "&Ok", 8, 40, 75, 25}});
        btnOk->ModalResult = mrOk;
        btnOk->OnClick = [](TComponent*) { throw Exception("Cannot save"); };
    }
    TComboBox* cbList;
    TButton* btnOk;

protected:
    void FormCreate() override {
        cbList->Add("first");
        throw Exception("Cannot fill the list");
    }
};

} // namespace

TEST(FormControls, ErrorsInFormCreateAndInAButtonHandlerCloseNothing) {
    Application.Initialize();
    Application.SetTitle("Tappolo");
    std::string shown;
    std::thread reader = OnDialogBox("Tappolo", [&](HWND box) {
        char text[128] = {};
        GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
        shown = text;
        SendMessageA(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
    });
    TOwned<TFailingForm> form(TForm::Create<TFailingForm>(nullptr));
    reader.join();
    EXPECT_EQ(shown, "Cannot fill the list.");
    EXPECT_EQ(form->cbList->Count(), 1);
    // A button whose handler fails does not end the form with its result.
    EXPECT_THROW(form->btnOk->Click(), Exception);
    EXPECT_EQ(form->ModalResult(), mrNone);
}

TEST(FormControls, TheOpenDialogTakesItsFilterAndGivesTheChosenFile) {
    Application.Initialize();
    std::string dir = wt::MakeTempDir("opendialog");
    ASSERT_TRUE(wt::WriteFileBytes(dir + "ding.wav", "RIFF"));
    TOwned<TOpenDialog> od(new TOpenDialog(nullptr));
    od->Filter = "Sound Files(*.wav; *.mid)|*.wav;*.mid";
    od->Options = OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST | OFN_ENABLESIZING;
    std::string firstType;
    std::thread chooser = OnDialogBox("Open", [&](HWND box) {
        char text[128] = {};
        SendDlgItemMessageA(box, cmb1, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(text));
        firstType = text;
        std::string path = dir + "ding.wav";
        SendMessageA(box, CDM_SETCONTROLTEXT, cmb13, reinterpret_cast<LPARAM>(path.c_str()));
        SendMessageA(box, CDM_SETCONTROLTEXT, edt1, reinterpret_cast<LPARAM>(path.c_str()));
        PostMessageA(box, WM_COMMAND, IDOK, 0);
    });
    bool chosen = od->Execute();
    chooser.join();
    EXPECT_EQ(firstType, "Sound Files(*.wav; *.mid)");
    EXPECT_TRUE(chosen);
    EXPECT_EQ(od->FileName, dir + "ding.wav");
}
