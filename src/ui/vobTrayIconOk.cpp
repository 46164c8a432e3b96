#include "vobTrayIconOk.h"

#include "CallbackGuard.h"
#include "Forms.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace {

// The record layout with the balloon fields. Its size is 488 bytes in a 32-bit program; in a
// 64-bit one the handles are wider and the shell expects the platform's own size of the same
// layout, so the size comes from the headers rather than from a number.
constexpr DWORD kIconDataSize = NOTIFYICONDATAA_V2_SIZE;
static_assert(sizeof(void*) != 4 || kIconDataSize == 488, "32-bit shell record is 488 bytes");

constexpr UINT kIconFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;

// How soon an icon that the shell refused is offered again.
constexpr unsigned kIconRetryMs = 2000;

// Copies as much of `text` as fits with its terminating zero.
template <size_t N> void CopyCut(char (&field)[N], const std::string& text) {
    size_t length = std::min(text.size(), N - 1);
    std::memcpy(field, text.data(), length);
    field[length] = '\0';
}

TShiftState KeyShift() {
    TShiftState shift = 0;
    if (GetAsyncKeyState(VK_SHIFT) & 0x8000)
        shift |= ssShift;
    if (GetAsyncKeyState(VK_CONTROL) & 0x8000)
        shift |= ssCtrl;
    if (GetAsyncKeyState(VK_MENU) & 0x8000)
        shift |= ssAlt;
    return shift;
}

} // namespace

TvobTrayIconOk::TvobTrayIconOk(TComponent* AOwner)
    : TComponent(AOwner), FWindow([this](UINT message, WPARAM wParam, LPARAM lParam) {
          return TrayWindowProc(message, wParam, lParam);
      }) {
    FTaskbarCreated = RegisterWindowMessageA("TaskbarCreated");
    FIconData.cbSize = kIconDataSize;
    FIconData.hWnd = FWindow.Handle();
    FIconData.uID = 1;
    FIconData.uFlags = kIconFlags;
    FIconData.uCallbackMessage = WM_TRAYNOTIFY;

    FCycleTimer = new TTimer(this);
    FCycleTimer->SetEnabled(false);
    FCycleTimer->SetInterval(0);
    FCycleTimer->SetOnTimer([this](TComponent*) { CycleStep(); });
    FRetryTimer = new TTimer(this);
    FRetryTimer->SetEnabled(false);
    FRetryTimer->SetInterval(kIconRetryMs);
    FRetryTimer->SetOnTimer([this](TComponent*) {
        if (FIconVisible && !FIconShown)
            ShowIcon();
        else
            FRetryTimer->SetEnabled(false);
    });

    FApplicationHook.Install(Application.Handle(), [this](HWND w, UINT m, WPARAM wp, LPARAM lp) {
        return ApplicationWindowHook(w, m, wp, lp);
    });
    // Asking for the handle creates the owner's window if it does not exist yet.
    if (TWinControl* owner = OwnerControl())
        FOwnerHook.Install(owner->Handle(), [this](HWND w, UINT m, WPARAM wp, LPARAM lp) {
            return OwnerWindowHook(w, m, wp, lp);
        });
}

TvobTrayIconOk::~TvobTrayIconOk() {
    // Already done in BeforeDestruction unless the component was deleted directly.
    if (FIconVisible)
        RemoveTrayIcon();
    FIcon.Reset();
    FWindow.Destroy();
    TComponent::Free(FCycleTimer);
    FCycleTimer = nullptr;
    TComponent::Free(FRetryTimer);
    FRetryTimer = nullptr;
    FApplicationHook.Restore();
    FOwnerHook.Restore();
}

void TvobTrayIconOk::BeforeDestruction() {
    // Here rather than in the destructor, so that an overridden RemoveTrayIcon takes the icon
    // away.
    SetIconVisible(false);
}

TWinControl* TvobTrayIconOk::OwnerControl() const {
    return dynamic_cast<TWinControl*>(Owner());
}

void TvobTrayIconOk::Loaded() {
    TComponent::Loaded();
    if (OwnerControl() && StartMinimized) {
        Application.ShowMainForm = false;
        ShowWindow(Application.Handle(), SW_HIDE);
    }
    UpdateTrayIcon(); // fails until the icon is added; the add below carries everything
    SetIconVisible(FIconVisible);
}

void TvobTrayIconOk::Notification(TComponent* AComponent, TOperation Operation) {
    TComponent::Notification(AComponent, Operation);
    if (Operation != TOperation::opRemove)
        return;
    if (AComponent == FPopupMenu)
        FPopupMenu = nullptr;
    if (AComponent == FIconList)
        SetIconList(nullptr);
}

// --- Properties -------------------------------------------------------------------------

void TvobTrayIconOk::SetIcon(HICON value) {
    FIcon = DuplicateIcon(value);
    UpdateTrayIcon();
}

void TvobTrayIconOk::SetIconVisible(bool value) {
    if (value) {
        ShowIcon();
    } else {
        RemoveTrayIcon();
        FIconShown = false;
        if (FRetryTimer)
            FRetryTimer->SetEnabled(false);
    }
}

void TvobTrayIconOk::ShowIcon() {
    // An add fails for an icon that is there already; a change then tells whether it is.
    FIconShown = AddTrayIcon() || UpdateTrayIcon();
    FIconVisible = true;
    if (FRetryTimer)
        FRetryTimer->SetEnabled(!FIconShown);
}

void TvobTrayIconOk::SetHint(std::string value) {
    FHint = std::move(value);
    UpdateTrayIcon();
}

void TvobTrayIconOk::SetShowHint(bool value) {
    FShowHint = value;
    UpdateTrayIcon();
}

void TvobTrayIconOk::SetPopupMenu(TPopupMenu* value) {
    FPopupMenu = value;
    if (value)
        value->FreeNotification(this);
}

void TvobTrayIconOk::SetIconList(TImageList* value) {
    FIconList = value;
    if (value)
        value->FreeNotification(this);
    SetIconIndex(0);
}

void TvobTrayIconOk::SetIconIndex(int value) {
    if (FIconList) {
        FIconIndex = value;
        if (value >= FIconList->Count())
            FIconIndex = FIconList->Count() - 1;
        LoadIconFromList();
    } else {
        FIconIndex = 0;
    }
    UpdateTrayIcon();
}

void TvobTrayIconOk::SetCycleIcons(bool value) {
    FCycleIcons = value;
    if (value) {
        SetIconIndex(0);
        FCycleTimer->SetEnabled(true);
    } else {
        FCycleTimer->SetEnabled(false);
    }
}

void TvobTrayIconOk::SetCycleInterval(int value) {
    FCycleInterval = value;
    FCycleTimer->SetInterval(value > 0 ? static_cast<unsigned>(value) : 0u);
}

// --- Shell record ------------------------------------------------------------------------

bool TvobTrayIconOk::FillIconData() {
    FIconData.hIcon = FIcon.Get();
    if (!FHint.empty() && FShowHint)
        CopyCut(FIconData.szTip, FHint);
    else
        std::memset(FIconData.szTip, 0, sizeof FIconData.szTip);
    return true;
}

bool TvobTrayIconOk::AddTrayIcon() {
    FIconVisible = true;
    if (!FillIconData())
        return false;
    return Shell_NotifyIconA(NIM_ADD, &FIconData) != FALSE;
}

bool TvobTrayIconOk::RemoveTrayIcon() {
    FIconVisible = false;
    if (!FillIconData())
        return false;
    return Shell_NotifyIconA(NIM_DELETE, &FIconData) != FALSE;
}

bool TvobTrayIconOk::UpdateTrayIcon() {
    if (!FillIconData())
        return false;
    return Shell_NotifyIconA(NIM_MODIFY, &FIconData) != FALSE;
}

bool TvobTrayIconOk::ShowBalloon(const std::string& Title, const std::string& Text,
                                 TBalloonIconKind IconKind, uint8_t TimeoutSeconds) {
    if (!Enabled)
        return true;
    // An empty balloon first takes down one that is still showing.
    FIconData.uFlags |= NIF_INFO;
    FIconData.szInfo[0] = '\0';
    UpdateTrayIcon();

    FIconData.uFlags |= NIF_INFO;
    CopyCut(FIconData.szInfo, Text);
    CopyCut(FIconData.szInfoTitle, Title);
    FIconData.uTimeout = static_cast<UINT>(TimeoutSeconds) * 1000;
    FIconData.dwInfoFlags = static_cast<DWORD>(IconKind);
    bool result = UpdateTrayIcon();
    // Later updates and re-additions must not bring the balloon back.
    FIconData.uFlags = kIconFlags;
    return result;
}

// --- Windows of the application ----------------------------------------------------------

void TvobTrayIconOk::HideMainWindow() {
    if (!OwnerControl() || !Application.MainForm())
        return;
    Application.MainForm()->SetVisible(false);
    ShowWindow(Application.Handle(), SW_HIDE);
}

void TvobTrayIconOk::RestoreMainWindow() {
    if (!OwnerControl() || !Application.MainForm())
        return;
    ShowWindow(Application.Handle(), SW_RESTORE);
    Application.MainForm()->SetVisible(true);
}

void TvobTrayIconOk::MinimizeToTrayNow() {
    HideMainWindow();
    SetIconVisible(true);
}

// --- Events -----------------------------------------------------------------------------

void TvobTrayIconOk::DoClick() {
    if (OnClick)
        OnClick(this);
}

void TvobTrayIconOk::DoDblClick() {
    if (OnDblClick)
        OnDblClick(this);
}

int TvobTrayIconOk::NextIndex() const {
    if (FIconList && FIconIndex < FIconList->Count() - 1)
        return FIconIndex + 1;
    return 0;
}

void TvobTrayIconOk::DoCycle() {
    if (OnCycle)
        OnCycle(this, NextIndex());
}

void TvobTrayIconOk::DoMouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (OnMouseDown)
        OnMouseDown(this, Button, Shift, X, Y);
}

void TvobTrayIconOk::DoMouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (OnMouseUp)
        OnMouseUp(this, Button, Shift, X, Y);
}

void TvobTrayIconOk::DoMouseMove(TShiftState Shift, int X, int Y) {
    if (OnMouseMove)
        OnMouseMove(this, Shift, X, Y);
}

void TvobTrayIconOk::LoadIconFromList() {
    // An empty list leaves no image to load; the icon keeps what it shows.
    if (FIconList && FIconIndex >= 0 && FIconIndex < FIconList->Count())
        FIconList->GetIcon(FIconIndex, FIcon);
}

void TvobTrayIconOk::CycleStep() {
    if (!FCycleIcons || FCycleInterval <= 0 || !FIconList)
        return;
    LoadIconFromList();
    DoCycle();
    UpdateTrayIcon();
    SetIconIndex(FIconIndex < FIconList->Count() - 1 ? FIconIndex + 1 : 0);
}

// --- Window procedures -------------------------------------------------------------------

void TvobTrayIconOk::ShowMenuAtCursor() {
    POINT cursor{};
    if (!FPopupMenu || !FPopupMenu->AutoPopup || !GetCursorPos(&cursor))
        return;
    Application.ProcessMessages();
    // The menu closes when the user clicks elsewhere only if its window is foreground.
    SetForegroundWindow(FWindow.Handle());
    HWND owner = OwnerControl() ? OwnerControl()->Handle() : nullptr;
    if (owner)
        SetForegroundWindow(owner);
    FPopupMenu->PopupComponent = this;
    struct PostNull {
        HWND owner;
        // Makes the task switch that the foreground change started complete, so that the
        // next pop-up works the first time; also after a failed pop-up.
        ~PostNull() {
            if (owner)
                PostMessageA(owner, WM_NULL, 0, 0);
        }
    } postNull{owner};
    FPopupMenu->Popup(cursor.x, cursor.y);
}

LRESULT TvobTrayIconOk::TrayWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_TRAYNOTIFY) {
        TrayNotify(static_cast<UINT>(lParam));
        return 0;
    }
    if (message == WM_QUERYENDSESSION)
        return 1;
    return DefWindowProcA(FWindow.Handle(), message, wParam, lParam);
}

void TvobTrayIconOk::TrayNotify(UINT mouseMessage) {
    if (mouseMessage == WM_RBUTTONDBLCLK || !Enabled)
        return;
    // While a modal window is open the icon neither opens the menu nor runs a command: a
    // press of either button brings that window to the front.
    if (Application.Modal()) {
        if (mouseMessage == WM_LBUTTONDOWN || mouseMessage == WM_RBUTTONDOWN ||
            mouseMessage == WM_MBUTTONDOWN)
            Application.BringModalToFront();
        FLeftClickPending = false;
        return;
    }
    POINT cursor{};
    GetCursorPos(&cursor);
    const int x = cursor.x, y = cursor.y;
    switch (mouseMessage) {
    case WM_MOUSEMOVE:
        DoMouseMove(KeyShift(), x, y);
        break;
    case WM_LBUTTONDOWN:
        DoMouseDown(TMouseButton::mbLeft, KeyShift() | ssLeft, x, y);
        FLeftClickPending = true;
        if (LeftPopup)
            ShowMenuAtCursor();
        break;
    case WM_LBUTTONUP: {
        TShiftState shift = KeyShift() | ssLeft;
        if (FLeftClickPending) {
            FLeftClickPending = false;
            DoClick();
        }
        DoMouseUp(TMouseButton::mbLeft, shift, x, y);
        break;
    }
    case WM_LBUTTONDBLCLK:
        DoDblClick();
        if (!LeftPopup && FPopupMenu && FPopupMenu->AutoPopup) {
            TMenuItem* items = FPopupMenu->Items();
            for (int i = 0; i < items->Count(); ++i)
                if (items->Items(i)->Default) {
                    items->Items(i)->Click();
                    break;
                }
        }
        break;
    case WM_RBUTTONDOWN:
        DoMouseDown(TMouseButton::mbRight, KeyShift() | ssRight, x, y);
        ShowMenuAtCursor();
        break;
    case WM_RBUTTONUP:
        DoMouseUp(TMouseButton::mbRight, KeyShift() | ssRight, x, y);
        break;
    case WM_MBUTTONDOWN:
        DoMouseDown(TMouseButton::mbMiddle, KeyShift() | ssMiddle, x, y);
        break;
    case WM_MBUTTONUP:
        DoMouseUp(TMouseButton::mbMiddle, KeyShift() | ssMiddle, x, y);
        break;
    default:
        break;
    }
}

LRESULT TvobTrayIconOk::ApplicationWindowHook(HWND window, UINT message, WPARAM wParam,
                                              LPARAM lParam) {
    // Our own steps may fail; the window's own procedure must see the message regardless.
    GuardCallback(
        [&] {
            if (message == WM_SIZE && wParam == SIZE_MINIMIZED && MinimizeToTray)
                MinimizeToTrayNow();
            // There are no multiple-document frames here, the only kind of main window that
            // this first position change would hide; it only ends the waiting.
            if (message == WM_WINDOWPOSCHANGED && FFirstPositionChange && Application.MainForm())
                FFirstPositionChange = false;
            // Zero when the name could not be registered: it must not match WM_NULL.
            if (FTaskbarCreated != 0 && message == FTaskbarCreated && FIconVisible)
                ShowIcon();
            return 0;
        },
        0);
    return FApplicationHook.CallPrevious(window, message, wParam, lParam);
}

LRESULT TvobTrayIconOk::OwnerWindowHook(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    GuardCallback(
        [&] {
            if (message == WM_ACTIVATE &&
                (LOWORD(wParam) == WA_ACTIVE || LOWORD(wParam) == WA_CLICKACTIVE)) {
                if (HWND focused = Application.FocusedControl()) {
                    HWND parent = GetParent(focused);
                    if (!parent)
                        parent = focused;
                    if (parent != reinterpret_cast<HWND>(lParam))
                        SetFocus(focused);
                }
            }
            if (message == WM_SHOWWINDOW && wParam == 1 && lParam == 0) {
                ShowWindow(Application.Handle(), SW_RESTORE);
                SetForegroundWindow(Application.Handle());
                SetForegroundWindow(window);
            }
            return 0;
        },
        0);
    return FOwnerHook.CallPrevious(window, message, wParam, lParam);
}
