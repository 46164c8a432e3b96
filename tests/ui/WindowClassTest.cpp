// Win32 failures say why: the window-class helper's error carries the system's reason.
#include "Exception.h"
#include "UniqueHandle_win.h"
#include "WindowClass.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

TEST(WindowClass, RegistersOnceAndARefusalSaysWhy) {
    WNDCLASSA good{};
    good.lpfnWndProc = &DefWindowProcA;
    good.lpszClassName = "TappoloTestClass";
    RegisterWindowClass(good);
    RegisterWindowClass(good); // already there: no second registration, no error
    UniqueWindow window(CreateWindowExA(0, "TappoloTestClass", "", WS_POPUP, 0, 0, 0, 0, nullptr,
                                        nullptr, GetModuleHandleA(nullptr), nullptr));
    EXPECT_TRUE(window);

    // A negative extra size is refused with "The parameter is incorrect".
    WNDCLASSA bad = good;
    bad.lpszClassName = "TappoloBadClass";
    bad.cbClsExtra = -1;
    const std::string prefix = "Cannot register the window class TappoloBadClass. ";
    try {
        RegisterWindowClass(bad);
        FAIL() << "a class with a negative extra size was registered";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message().substr(0, prefix.size()), prefix);
        EXPECT_GT(e.Message().size(), prefix.size() + 5) << e.Message();
        EXPECT_NE(e.Message().back(), '\n');
    }
}
