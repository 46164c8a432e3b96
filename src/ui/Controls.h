#pragma once
// The controls of a form: one object per child window, found again from the window's handle,
// with the events a dialog binds its handlers to. The windows are the platform's own classes;
// each is subclassed (comctl32's SetWindowSubclass) so the object sees its messages first.
#include "CallbackGuard.h"
#include "Component.h"
#include "ModuleInstance.h"
#include "UniqueHandle_win.h"

#include <functional>
#include <string>

class TForm;

// A component with a window; the window is created the first time its handle is asked for.
class TWinControl : public TComponent {
public:
    using TComponent::TComponent;
    HWND Handle();
    bool HandleAllocated() const { return static_cast<bool>(FHandle); }

protected:
    virtual void CreateHandle() = 0;
    // The window, or null; never creates it.
    HWND Window() const { return FHandle.Get(); }
    // Given up, not destroyed, when the window goes with its parent.
    UniqueWindow FHandle;
};

using TColor = COLORREF;
// The system's colour for the element (window text for captions).
constexpr TColor clDefault = 0xFF000000;
constexpr TColor clBlack = RGB(0, 0, 0), clMaroon = RGB(128, 0, 0), clGreen = RGB(0, 128, 0),
                 clBlue = RGB(0, 0, 255), clWhite = RGB(255, 255, 255);

// A control's font; an empty name or a zero height takes the form's.
struct TFont {
    std::string Name;
    int Height = 0; // character height in pixels at 96 dpi
    bool Bold = false;
    bool Underline = false;
    TColor Color = clDefault;
};

// `font` at the screen's size; an empty name or zero height takes `base`'s.
UniqueFont MakeFont(const TFont& font, const TFont& base);

// 96-dpi pixels to screen pixels at the system's DPI, read once: the program declares itself
// aware of the system DPI only, so it never changes while the program runs.
int ScaleToScreen(int pixels);

using TKeyPressEvent = std::function<void(TComponent* Sender, char& Key)>;

class TControl : public TWinControl {
public:
    // Owned by `AOwner`, freed with it; its window lies in `AParent` (a container control) or
    // else in the form's client area. Windows are made with the form's, in creation order,
    // which is also the tab order.
    explicit TControl(TForm* AOwner, TControl* AParent = nullptr);
    ~TControl() override;
    // The control object of a window, or null when the window is not one of ours.
    static TControl* FromHandle(HWND window);

    TForm* Form() const { return FForm; }
    TControl* Parent() const { return FParent; }
    // 96-dpi pixels in the parent's client area.
    void SetBounds(int left, int top, int width, int height);
    RECT BoundsRect() const { return FBounds; }
    int Id() const { return FId; }

    std::string Text() const;
    void SetText(const std::string& text);
    bool Enabled() const;
    void SetEnabled(bool value);
    bool Visible() const;
    void SetVisible(bool value);
    void SetFocus();
    bool Focused() const;

    const TFont& Font() const { return FFont; }
    void SetFont(const TFont& font);
    void SetFontColor(TColor color);
    // Shown in a tooltip while the pointer rests on the control; empty for none.
    const std::string& Hint() const { return FHint; }
    void SetHint(std::string hint);
    // A system cursor (IDC_HAND, ...) over the control; null for the class's own.
    LPCSTR Cursor = nullptr;
    // Draws the caption straight on the parent's background.
    bool Transparent = false;
    // Starts a group of the dialog navigation (WS_GROUP): the arrow keys move within a group
    // of radio buttons up to the next control that starts one.
    bool GroupStart = false;

    TNotifyEvent OnClick;
    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseLeave;
    // Runs OnClick when the control is enabled.
    virtual void Click();

    // Sends a message the parent window received about one of its controls (WM_COMMAND,
    // WM_NOTIFY, WM_HSCROLL, WM_VSCROLL, WM_CTLCOLOR*, WM_DRAWITEM) to that control's object. False
    // when the message is none of these, or the control is not ours or leaves it to the default
    // handling.
    static bool Reflect(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

protected:
    void CreateHandle() override;
    // The window class and styles; WS_CHILD, and WS_VISIBLE and WS_DISABLED as the state says,
    // are added.
    virtual const char* ClassName() const = 0;
    virtual DWORD Style() const { return 0; }
    virtual DWORD ExStyle() const { return 0; }
    // The 96-dpi rectangle the window is made with.
    virtual RECT CreationBounds() const { return FBounds; }
    // The window exists: apply what was set before.
    virtual void Created() {}
    // A notification code of WM_COMMAND; false leaves it to the form.
    virtual bool Command(int code);
    virtual bool Notify(NMHDR&, LRESULT&) { return false; }
    // A scroll code of WM_HSCROLL or WM_VSCROLL (trackbars send these); false leaves it.
    virtual bool Scroll(int) { return false; }
    // The brush for WM_CTLCOLOR*, or null for the default colours.
    virtual HBRUSH CtlColor(HDC dc);
    virtual void DrawItem(const DRAWITEMSTRUCT&) {}
    // The window's own messages, before its class procedure; pass on with Inherited.
    virtual LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Inherited(UINT message, WPARAM wParam, LPARAM lParam);
    int Scale(int pixels) const;
    void ApplyFont(bool redraw);
    void SetId(int id) { FId = id; }

private:
    static LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                         UINT_PTR id, DWORD_PTR data) noexcept;
    void DestroyHandle() noexcept;

    TForm* FForm;
    TControl* FParent;
    int FId;
    RECT FBounds{};
    std::string FText;
    bool FEnabled = true, FVisible = true;
    bool FMouseInside = false;
    TFont FFont;
    UniqueFont FOwnFont;
    std::string FHint;
};

// A control of a window class that no object type covers, made from a raw table row.
class TRawControl : public TControl {
public:
    TRawControl(TForm* AOwner, const char* className, DWORD style, DWORD exStyle, int id);

protected:
    const char* ClassName() const override { return FClassName.c_str(); }
    DWORD Style() const override { return FStyle; }
    DWORD ExStyle() const override { return FExStyle; }

private:
    std::string FClassName;
    DWORD FStyle, FExStyle;
};
