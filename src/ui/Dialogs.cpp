#include "Dialogs.h"

#include "Application.h"
#include "Forms.h"

#include <vector>

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
    if (!GetOpenFileNameA(&ofn))
        return false;
    FileName = file.data();
    return true;
}
