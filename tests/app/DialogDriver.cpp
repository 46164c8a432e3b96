#include "DialogDriver.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace app {

namespace {

struct TopSearch {
    DWORD pid;
    const std::string* caption;
    HWND found;
};

BOOL CALLBACK MatchCaption(HWND window, LPARAM param) {
    auto* s = reinterpret_cast<TopSearch*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == s->pid && IsWindowVisible(window) && TextOf(window) == *s->caption) {
        s->found = window;
        return FALSE;
    }
    return TRUE;
}

struct ChildSearch {
    const std::string* text;
    const char* className;
    int skip;
    HWND found;
};

BOOL CALLBACK MatchChild(HWND window, LPARAM param) {
    auto* s = reinterpret_cast<ChildSearch*>(param);
    if (s->text) {
        if (TextOf(window) != *s->text)
            return TRUE;
    } else {
        char name[64] = {};
        GetClassNameA(window, name, sizeof name);
        if (lstrcmpiA(name, s->className) != 0 || s->skip-- > 0)
            return TRUE;
    }
    s->found = window;
    return FALSE;
}

int Brightness(COLORREF c) {
    return GetRValue(c) + GetGValue(c) + GetBValue(c);
}

} // namespace

HWND WaitWindow(DWORD processId, const std::string& caption, milliseconds timeout) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        TopSearch search{processId, &caption, nullptr};
        EnumWindows(&MatchCaption, reinterpret_cast<LPARAM>(&search));
        if (search.found || std::chrono::steady_clock::now() >= end) {
            // Let it finish showing itself before it is driven.
            std::this_thread::sleep_for(milliseconds(300));
            return search.found;
        }
        std::this_thread::sleep_for(milliseconds(30));
    }
}

bool WaitGone(HWND window, milliseconds timeout) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (IsWindow(window) && IsWindowVisible(window)) {
        if (std::chrono::steady_clock::now() >= end)
            return false;
        std::this_thread::sleep_for(milliseconds(30));
    }
    std::this_thread::sleep_for(milliseconds(100));
    return true;
}

void Sync(HWND window) {
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &ignored);
}

HWND ChildByText(HWND parent, const std::string& text) {
    ChildSearch search{&text, nullptr, 0, nullptr};
    EnumChildWindows(parent, &MatchChild, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND ChildOfClass(HWND parent, const char* className, int n) {
    ChildSearch search{nullptr, className, n, nullptr};
    EnumChildWindows(parent, &MatchChild, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::string TextOf(HWND window) {
    char text[512] = {};
    // WM_GETTEXT reaches the controls of another process as well.
    SendMessageA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    return text;
}

bool Enabled(HWND window) {
    return window && IsWindowEnabled(window);
}

void Click(HWND window) {
    RECT r;
    GetWindowRect(window, &r);
    ClickAt({(r.left + r.right) / 2, (r.top + r.bottom) / 2});
    std::this_thread::sleep_for(milliseconds(200));
    // A command the click started has finished, unless it waits for the user (a box).
    if (IsWindow(window))
        Sync(window);
}

void TypeText(const std::string& text) {
    for (char c : text) {
        const SHORT scan = VkKeyScanA(c);
        const WORD vk = LOBYTE(scan);
        if (HIBYTE(scan) & 1)
            PressCombo({VK_SHIFT, vk});
        else
            PressKey(vk);
    }
    std::this_thread::sleep_for(milliseconds(100));
}

void Paste(const std::string& text) {
    if (!OpenClipboard(nullptr))
        return;
    EmptyClipboard();
    if (HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1)) {
        char* bytes = static_cast<char*>(GlobalLock(memory));
        std::copy(text.begin(), text.end(), bytes);
        bytes[text.size()] = '\0';
        GlobalUnlock(memory);
        // The clipboard owns the memory from here on.
        if (!SetClipboardData(CF_TEXT, memory))
            GlobalFree(memory);
    }
    CloseClipboard();
    PressCombo({VK_CONTROL, 'V'});
    std::this_thread::sleep_for(milliseconds(100));
}

std::vector<std::string> ComboItems(HWND combo) {
    std::vector<std::string> items;
    const LRESULT count = SendMessageA(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        // Wine answers the ANSI request of another process in UTF-16: ask for that, and give
        // the items in the code page the program holds them in.
        wchar_t wide[512] = {};
        SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(wide));
        char text[1024] = {};
        WideCharToMultiByte(CP_ACP, 0, wide, -1, text, sizeof text, nullptr, nullptr);
        items.emplace_back(text);
    }
    return items;
}

int ComboIndex(HWND combo) {
    return static_cast<int>(SendMessageA(combo, CB_GETCURSEL, 0, 0));
}

void ChooseComboItem(HWND combo, int index) {
    SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    // What the list sends its parent when the user picks an item.
    SendMessageA(GetParent(combo), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(combo));
    std::this_thread::sleep_for(milliseconds(100));
}

bool ChooseFile(DWORD processId, const std::string& path, milliseconds timeout,
                const std::string& title) {
    HWND dialog = WaitWindow(processId, title, timeout);
    if (!dialog)
        return false;
    // The file name box (cmb13), or in the older layout the plain edit (edt1).
    HWND name = GetDlgItem(dialog, 0x47C);
    if (!name || !IsWindowVisible(name))
        name = GetDlgItem(dialog, 0x480);
    if (!name)
        return false;
    SendMessageA(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
    PostMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    return WaitGone(dialog, timeout);
}

bool ChooseFiles(DWORD processId, const std::string& folder, const std::vector<std::string>& names,
                 milliseconds timeout, const std::string& title) {
    HWND dialog = WaitWindow(processId, title, timeout);
    if (!dialog)
        return false;
    HWND name = GetDlgItem(dialog, 0x47C);
    if (!name || !IsWindowVisible(name))
        name = GetDlgItem(dialog, 0x480);
    if (!name)
        return false;
    // A folder's name opens that folder; the dialog stays.
    SendMessageA(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(folder.c_str()));
    SendMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    std::string quoted;
    for (const std::string& n : names)
        quoted += (quoted.empty() ? "\"" : " \"") + n + "\"";
    SendMessageA(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(quoted.c_str()));
    PostMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    return WaitGone(dialog, timeout);
}

bool ChooseContextItem(HWND control, int index) {
    auto menuOpen = [] {
        HWND menu = FindWindowA("#32768", nullptr);
        return menu && IsWindowVisible(menu);
    };
    RECT r;
    GetWindowRect(control, &r);
    ClickAt({(r.left + r.right) / 2, (r.top + r.bottom) / 2}, true);
    const auto end = std::chrono::steady_clock::now() + milliseconds(3000);
    while (!menuOpen()) {
        if (std::chrono::steady_clock::now() >= end)
            return false;
        std::this_thread::sleep_for(milliseconds(30));
    }
    std::this_thread::sleep_for(milliseconds(100));
    // The first press of the down arrow selects the first item.
    for (int i = 0; i <= index; ++i)
        PressKey(VK_DOWN);
    PressKey(VK_RETURN);
    const auto closing = std::chrono::steady_clock::now() + milliseconds(3000);
    while (menuOpen()) {
        if (std::chrono::steady_clock::now() >= closing)
            return false;
        std::this_thread::sleep_for(milliseconds(30));
    }
    // The command runs when the program's message loop delivers it.
    std::this_thread::sleep_for(milliseconds(300));
    return true;
}

PanelLook LookOf(HWND panel) {
    PanelLook look;
    RECT r;
    GetWindowRect(panel, &r);
    HDC screen = GetDC(nullptr);
    // The bevel: pressed in, the top left edge is the darker one.
    look.Lowered = Brightness(GetPixel(screen, r.left, r.top)) <
                   Brightness(GetPixel(screen, r.right - 1, r.bottom - 1));
    for (int y = r.top + 2; y < r.bottom - 2; ++y)
        for (int x = r.left + 2; x < r.right - 2; ++x) {
            const COLORREF c = GetPixel(screen, x, y);
            if (GetRValue(c) >= 100 && GetGValue(c) <= 40 && GetBValue(c) <= 40)
                look.Maroon = true;
            else if (GetBValue(c) >= 160 && GetRValue(c) <= 60 && GetGValue(c) <= 140)
                look.Marked = true;
            else if (Brightness(c) <= 60)
                look.Black = true;
        }
    ReleaseDC(nullptr, screen);
    return look;
}

} // namespace app
