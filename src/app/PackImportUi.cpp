#include "PackImportUi.h"

#include "CodePage.h"
#include "Dialogs.h"
#include "Exception.h"
#include "PackImport.h"
#include "ProgramIdentity.h"
#include "PubFunction.h"
#include "PubUnit.h"

#include <shellapi.h>

#include <string>
#include <vector>

std::string ChooseSoundPack(TComponent* owner) {
    TOwned<TOpenDialog> dialog(new TOpenDialog(owner));
    dialog->Title = kImportDialogTitle;
    dialog->Filter = "Sound pack (config.json)|config.json";
    dialog->Options = OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST | OFN_HIDEREADONLY | OFN_ENABLESIZING;
    if (!dialog->Execute())
        return {};
    return dialog->FileName;
}

UINT SchemesChangedMessage() {
    static const UINT message = RegisterWindowMessageA(kSchemesChangedMessage);
    return message;
}

void NotifyRunningTappolo() {
    if (HWND main = FindWindowA(kFormWindowClass, kMainWindowCaption))
        PostMessageA(main, SchemesChangedMessage(), 0, 0);
}

std::vector<std::string> CommandLineArguments() {
    std::vector<std::string> args;
    int count = 0;
    LPWSTR* list = CommandLineToArgvW(GetCommandLineW(), &count);
    if (list == nullptr)
        return args;
    for (int i = 1; i < count; ++i) {
        std::wstring_view wide(list[i]);
        // "C:\Packs\Cream\" reaches us as C:\Packs\Cream": the backslash escaped the quote.
        if (!wide.empty() && wide.back() == L'"')
            wide.remove_suffix(1);
        args.push_back(Utf16ToAnsi(std::u16string(wide.begin(), wide.end())));
    }
    LocalFree(list);
    return args;
}

int RunImportCommand(const ImportCommand& command) {
    try {
        if (command.path.empty())
            throw Exception("Name the sound pack to import: Tappolo.exe /import \"<pack folder>\"");
        PackImportResult result = ImportPack(command.path, GetProgramDir());
        NotifyRunningTappolo();
        if (!command.quiet)
            ShowInfo(ImportSummary(result) + ".");
        return 0;
    } catch (const Exception& e) {
        if (!command.quiet)
            ShowError(ErrorBoxText(e.Message()));
        return 1;
    } catch (const std::exception& e) {
        if (!command.quiet)
            ShowError(ErrorBoxText(e.what()));
        return 1;
    }
}
