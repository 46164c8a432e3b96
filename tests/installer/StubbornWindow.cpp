// Stands in for a Tappolo that does not close when asked: the main window's class and caption,
// and a WM_CLOSE that is answered with nothing (as while it waits for the user). It ends on
// WM_APP from the test, or after a minute.
#include "ProgramIdentity.h"

#include <windows.h>

namespace {

// A crash must end the process with a failure code, never as a clean exit.
LONG WINAPI TerminateOnCrash(EXCEPTION_POINTERS*) {
    TerminateProcess(GetCurrentProcess(), 3);
    return EXCEPTION_EXECUTE_HANDLER;
}

LRESULT CALLBACK StubbornProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CLOSE:
        return 0;
    case WM_APP:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    SetUnhandledExceptionFilter(TerminateOnCrash);
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = &StubbornProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kFormWindowClass;
    if (!RegisterClassA(&windowClass))
        return 1;
    HWND window = CreateWindowExA(0, kFormWindowClass, kMainWindowCaption, WS_OVERLAPPED, 0, 0, 100,
                                  100, nullptr, nullptr, instance, nullptr);
    if (!window)
        return 1;
    SetTimer(window, 1, 60000, nullptr);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (message.message == WM_TIMER)
            break;
        DispatchMessageA(&message);
    }
    DestroyWindow(window);
    return 0;
}
