#include "WindowClass.h"

#include "LastError.h"
#include "ModuleInstance.h"

#include <string>

void RegisterWindowClass(WNDCLASSA windowClass) {
    windowClass.hInstance = MainInstance();
    WNDCLASSA existing{};
    if (GetClassInfoA(windowClass.hInstance, windowClass.lpszClassName, &existing))
        return;
    if (RegisterClassA(&windowClass) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        ThrowLastError(std::string("Cannot register the window class ") +
                       windowClass.lpszClassName);
}
