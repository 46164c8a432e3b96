#include "Dialogs.h"

#include "Application.h"
#include "Forms.h"

#include <vector>

namespace {

struct OwnedDialog {
    HWND owner;
    HWND found;
};

BOOL CALLBACK MatchOwnedDialog(HWND window, LPARAM param) noexcept {
    auto* search = reinterpret_cast<OwnedDialog*>(param);
    char name[16] = {};
    GetClassNameA(window, name, sizeof name);
    if (GetWindow(window, GW_OWNER) == search->owner && IsWindowVisible(window) &&
        lstrcmpA(name, "#32770") == 0) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

// The system dialog of the thread that the window owns, or null.
HWND FindOwnedDialog(HWND owner) {
    OwnedDialog search{owner, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), &MatchOwnedDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

} // namespace

bool TOpenDialog::Execute() {
    // "Text|*.txt|All|*.*" becomes the platform's list of strings ending in an empty one.
    std::string filter = Filter;
    for (char& c : filter)
        if (c == '|')
            c = '\0';
    filter.append(2, '\0');
    std::vector<char> file(32768, '\0');
    FileName.copy(file.data(), file.size() - 1);

    HWND owner = nullptr;
    if (auto* form = dynamic_cast<TWinControl*>(Owner()); form && form->HandleAllocated())
        owner = form->Handle();
    else if (TForm* active = Application.ActiveForm(); active && active->HandleAllocated())
        owner = active->Handle();

    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = Filter.empty() ? nullptr : filter.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.lpstrInitialDir = InitialDir.empty() ? nullptr : InitialDir.c_str();
    ofn.lpstrTitle = Title.empty() ? nullptr : Title.c_str();
    ofn.Flags = Options | OFN_EXPLORER;
    // The dialog disables its owner itself; the rest of the program waits as for a form. When
    // the program must end the dialog is cancelled, as its Cancel button would.
    TModalScope modal(owner, [owner] {
        if (HWND dialog = FindOwnedDialog(owner))
            PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        return true;
    });
    if (!GetOpenFileNameA(&ofn))
        return false;
    // Several files come as their folder and their names, each ending in a NUL (the first name
    // is then preceded by one); one comes whole.
    Files.clear();
    const char* folder = file.data();
    if (!(Options & OFN_ALLOWMULTISELECT) || ofn.nFileOffset == 0 ||
        file[ofn.nFileOffset - 1] != '\0')
        Files.push_back(folder);
    else
        for (const char* name = file.data() + ofn.nFileOffset; *name != '\0';
             name += lstrlenA(name) + 1) {
            std::string path = folder;
            if (!path.empty() && path.back() != '\\')
                path += '\\';
            Files.push_back(path + name);
        }
    if (Files.empty())
        return false;
    FileName = Files.front();
    return true;
}
