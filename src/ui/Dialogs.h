#pragma once
// The platform's file-open dialog.
#include "Component.h"

#include <windows.h>

#include <commdlg.h>

#include <string>
#include <vector>

class TOpenDialog : public TComponent {
public:
    using TComponent::TComponent;
    // "Sound Files(*.wav; *.mid)|*.wav;*.mid": description and pattern pairs.
    std::string Filter;
    // OFN_* flags.
    DWORD Options = OFN_HIDEREADONLY | OFN_ENABLESIZING;
    std::string Title;
    std::string InitialDir;
    // The chosen file's full path; also the name proposed when the dialog opens.
    std::string FileName;
    // Every chosen file's full path, FileName first: several with OFN_ALLOWMULTISELECT.
    std::vector<std::string> Files;
    // Runs the dialog over the owner's window; false when the user cancels.
    bool Execute();
};
