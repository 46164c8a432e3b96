#pragma once
// The tray icon component: one icon in the notification area, its mouse events and menu,
// balloons, icon cycling, and the hiding of the application's windows at start and on minimize.
#include "Application.h"
#include "Component.h"
#include "ImageList.h"
#include "Menus.h"
#include "Timer.h"
#include "UniqueHandle_win.h"
#include "UtilWindow.h"
#include "WindowHook.h"

#include <shellapi.h>

#include <cstdint>
#include <functional>
#include <string>

// The message through which the shell reports mouse actions on the icon.
constexpr UINT WM_TRAYNOTIFY = WM_USER + 1000;

class TWinControl;

enum class TMouseButton { mbLeft, mbRight, mbMiddle };
using TShiftState = uint8_t;
constexpr TShiftState ssShift = 1, ssAlt = 2, ssCtrl = 4, ssLeft = 8, ssRight = 16, ssMiddle = 32;

enum class TBalloonIconKind : uint8_t { bitNone = 0, bitInfo = 1, bitWarning = 2, bitError = 3 };

using TMouseEvent =
    std::function<void(TComponent* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = std::function<void(TComponent* Sender, TShiftState Shift, int X, int Y)>;
using TCycleEvent = std::function<void(TComponent* Sender, int NextIndex)>;

class TvobTrayIconOk : public TComponent {
public:
    explicit TvobTrayIconOk(TComponent* AOwner);
    ~TvobTrayIconOk() override;
    void Loaded() override;

    HICON Icon() const { return FIcon.Get(); }
    void SetIcon(HICON value);
    // Whether the icon is wanted in the notification area; IconShown: whether the shell took
    // it. A wanted icon that the shell refused (a shell starting up) is offered again every
    // few seconds until it is there.
    bool IconVisible() const { return FIconVisible; }
    bool IconShown() const { return FIconShown; }
    void SetIconVisible(bool value);
    const std::string& Hint() const { return FHint; }
    void SetHint(std::string value);
    bool ShowHint() const { return FShowHint; }
    void SetShowHint(bool value);
    // While false, mouse notifications are ignored and balloons are not shown.
    bool Enabled = true;
    TPopupMenu* PopupMenu() const { return FPopupMenu; }
    void SetPopupMenu(TPopupMenu* value);
    // The left button opens the menu too.
    bool LeftPopup = false;
    // Hide the application's windows when loading completes.
    bool StartMinimized = false;
    // Hide the application's windows whenever the application is minimized.
    bool MinimizeToTray = false;
    TImageList* IconList() const { return FIconList; }
    void SetIconList(TImageList* value);
    int IconIndex() const { return FIconIndex; }
    void SetIconIndex(int value);
    bool CycleIcons() const { return FCycleIcons; }
    void SetCycleIcons(bool value);
    int CycleInterval() const { return FCycleInterval; }
    void SetCycleInterval(int value);
    // Only meaningful in a form designer, which this program has not; kept as a stored value.
    bool DesignPreview = false;

    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    TMouseMoveEvent OnMouseMove;
    TCycleEvent OnCycle;

    virtual bool AddTrayIcon();
    virtual bool RemoveTrayIcon();
    virtual bool UpdateTrayIcon();
    // Texts longer than the shell record holds (255 and 63 bytes) are cut.
    bool ShowBalloon(const std::string& Title, const std::string& Text, TBalloonIconKind IconKind,
                     uint8_t TimeoutSeconds);
    void RestoreMainWindow();
    void HideMainWindow();
    virtual void MinimizeToTrayNow();

    // The hidden window that receives the shell's notifications.
    HWND Handle() const { return FWindow.Handle(); }
    const NOTIFYICONDATAA& IconData() const { return FIconData; }
    // The index the next cycle step moves to.
    int NextIndex() const;

protected:
    virtual void DoClick();
    virtual void DoDblClick();
    virtual void DoCycle();
    virtual void DoMouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
    virtual void DoMouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
    virtual void DoMouseMove(TShiftState Shift, int X, int Y);
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void BeforeDestruction() override;
    bool FillIconData();
    void ShowMenuAtCursor();

private:
    LRESULT TrayWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    void TrayNotify(UINT mouseMessage);
    LRESULT ApplicationWindowHook(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OwnerWindowHook(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void CycleStep();
    // Adds the wanted icon and records whether the shell has it; else tries again later.
    void ShowIcon();
    void LoadIconFromList();
    TWinControl* OwnerControl() const;

    UniqueIcon FIcon;
    bool FIconVisible = true;
    bool FIconShown = false;
    std::string FHint;
    bool FShowHint = true;
    TPopupMenu* FPopupMenu = nullptr;
    TImageList* FIconList = nullptr;
    int FIconIndex = 0;
    bool FCycleIcons = false;
    int FCycleInterval = 0;
    bool FLeftClickPending = false;
    bool FFirstPositionChange = true;
    UINT FTaskbarCreated = 0;
    NOTIFYICONDATAA FIconData{};
    TUtilWindow FWindow;
    TTimer* FCycleTimer = nullptr;
    TTimer* FRetryTimer = nullptr;
    TWindowHook FApplicationHook;
    TWindowHook FOwnerHook;
};
