#include "ExtCtrls.h"

#include "LastError.h"

#include <windowsx.h>

DWORD TPanel::Style() const {
    return SS_OWNERDRAW | SS_NOTIFY | WS_CLIPCHILDREN;
}

void TPanel::SetBevelOuter(TBevelCut value) {
    FBevelOuter = value;
    if (Window())
        InvalidateRect(Window(), nullptr, TRUE);
}

bool TPanel::Command(int code) {
    if (code != STN_CLICKED && code != STN_DBLCLK)
        return false;
    Click();
    return true;
}

void TPanel::DrawItem(const DRAWITEMSTRUCT& item) {
    HDC dc = item.hDC;
    RECT r = item.rcItem;
    FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
    bool sunken = Sunken();
    if (FBevelOuter != TBevelCut::bvNone || sunken)
        DrawEdge(dc, &r, sunken ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT | BF_ADJUST);
    if (sunken)
        OffsetRect(&r, 1, 1);
    std::string caption = Text();
    if (caption.empty())
        return;
    HGDIOBJ oldFont = nullptr;
    if (auto font = reinterpret_cast<HFONT>(SendMessageA(Window(), WM_GETFONT, 0, 0)))
        oldFont = SelectObject(dc, font);
    TColor color = Font().Color == clDefault ? GetSysColor(COLOR_BTNTEXT) : Font().Color;
    SetTextColor(dc, (item.itemState & ODS_DISABLED) ? GetSysColor(COLOR_GRAYTEXT) : color);
    SetBkMode(dc, TRANSPARENT);
    DrawTextA(dc, caption.c_str(), static_cast<int>(caption.size()), &r,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    if (oldFont)
        SelectObject(dc, oldFont);
}

LRESULT TSpeedButton::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        // Not passed on: the panel would report a click at once, and nothing here may take the
        // focus.
        FDown = FInside = true;
        SetCapture(Window());
        InvalidateRect(Window(), nullptr, TRUE);
        return 0;
    case WM_MOUSEMOVE:
        if (FDown) {
            RECT client;
            GetClientRect(Window(), &client);
            bool inside = PtInRect(&client, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
            if (inside != FInside) {
                FInside = inside;
                InvalidateRect(Window(), nullptr, TRUE);
            }
        }
        break;
    case WM_LBUTTONUP:
        if (FDown) {
            bool click = FInside;
            FDown = false;
            ReleaseCapture();
            InvalidateRect(Window(), nullptr, TRUE);
            if (click)
                Click();
        }
        return 0;
    case WM_CAPTURECHANGED:
        if (FDown) {
            FDown = false;
            InvalidateRect(Window(), nullptr, TRUE);
        }
        break;
    default:
        break;
    }
    return TPanel::WndProc(message, wParam, lParam);
}

TImage::~TImage() {
    // The window lets go of the icon before the icon goes.
    if (FOwnIcon && Window())
        SendMessageA(Window(), STM_SETICON, 0, 0);
}

void TImage::LoadIcon(const char* resourceName) {
    RECT r = BoundsRect();
    UniqueIcon icon(static_cast<HICON>(LoadImageA(MainInstance(), resourceName, IMAGE_ICON,
                                                  Scale(r.right - r.left), Scale(r.bottom - r.top),
                                                  LR_DEFAULTCOLOR)));
    ThrowLastErrorIf(!icon, std::string("Cannot load the icon ") + resourceName);
    SetIcon(icon.Get());
    FOwnIcon = std::move(icon);
}

void TImage::SetIcon(HICON icon) {
    FIcon = icon;
    if (Window())
        SendMessageA(Window(), STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
}

void TImage::Created() {
    if (FIcon)
        SendMessageA(Window(), STM_SETICON, reinterpret_cast<WPARAM>(FIcon), 0);
}
