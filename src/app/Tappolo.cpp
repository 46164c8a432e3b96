// The program main: settings first, then one instance at a time, the main window and the
// message loop.
#include "DataPaths.h"
#include "MainFrm.h"
#include "PackImport.h"
#include "PackImportUi.h"
#include "ProgramIdentity.h"
#include "PubFunction.h"
#include "PubUnit.h"
#include "ScopedCom.h"
#include "UniqueHandle_win.h"

#include <windows.h>

namespace {

// A crash must end the process with a failure code, never as a clean exit.
LONG WINAPI TerminateOnCrash(EXCEPTION_POINTERS*) {
    TerminateProcess(GetCurrentProcess(), 3);
    return EXCEPTION_EXECUTE_HANDLER;
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    SetUnhandledExceptionFilter(TerminateOnCrash);
    GetProgramDir();
    // A pack named on the command line (or dropped on the exe) is imported without starting the
    // tray program; the single-instance rule does not apply to it.
    const ImportCommand command = ParseImportCommand(CommandLineArguments(), &IsPackPath);
    if (command.import)
        return RunImportCommand(command);
    MySetInfo = std::make_unique<TMySetInfo>();
    try {
        MySetInfo->LoadFromFile(SettingsFilePath(GetProgramDir()), false);
    } catch (...) {
        // The settings are read before the instance check: a damaged file always says so.
        ShowError("Load application data error, Please reinstall!");
        return 0;
    }
    // Speech needs the component object model on this thread; it ends after the forms.
    TScopedCom com;
    Application.Initialize();
    UniqueKernelHandle mutex(CreateMutexA(nullptr, FALSE, kInstanceMutexName));
    const DWORD created = GetLastError();
    try {
        if (created == ERROR_ALREADY_EXISTS) {
            ShowInfo("Tappolo already run, click tray icon open options!");
        } else {
            Application.CreateForm<TMainForm>();
            Application.Run();
        }
    } catch (...) {
        Application.HandleException();
    }
    // Forms left over after an error hold speech objects: they must go while COM is up.
    Application.DestroyComponents();
    if (mutex)
        ReleaseMutex(mutex.Get());
    return 0;
}
