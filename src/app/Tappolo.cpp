// The program main: settings first, then one instance at a time, the main window and the
// message loop.
#include "MainFrm.h"
#include "PubFunction.h"
#include "PubUnit.h"

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
    MySetInfo = std::make_unique<TMySetInfo>();
    try {
        MySetInfo->LoadFromFile(SettingsPath(), false);
    } catch (...) {
        // The settings are read before the instance check: a damaged file always says so.
        ShowError("Load application data error, Please reinstall!");
        return 0;
    }
    Application.Initialize();
    HANDLE mutex = CreateMutexA(nullptr, FALSE, "TvobTplMainForm");
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
    if (mutex)
        ReleaseMutex(mutex);
    return 0;
}
