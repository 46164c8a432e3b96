// Typing into a password field of another program: the real Tappolo.exe sounds every character
// key as the same "Other Key" and speaks none of them, while editing keys and a plain field
// keep their own sounds and names.
#include "AppTestUtil.h"

using namespace std::chrono_literals;
using namespace app;

using PasswordKeys = app::SpeechTest;

namespace {

// A window of the test process (not the hook's) with a password edit and a plain edit.
class EditWindow {
public:
    EditWindow() {
        FWindow = CreateWindowExA(0, "STATIC", "password test", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                  50, 50, 300, 120, nullptr, nullptr, nullptr, nullptr);
        Password = CreateWindowExA(0, "Edit", "", WS_CHILD | WS_VISIBLE | ES_PASSWORD, 10, 10, 200,
                                   24, FWindow, nullptr, nullptr, nullptr);
        Plain = CreateWindowExA(0, "Edit", "", WS_CHILD | WS_VISIBLE, 10, 40, 200, 24, FWindow,
                                nullptr, nullptr, nullptr);
    }
    ~EditWindow() { DestroyWindow(FWindow); }
    EditWindow(const EditWindow&) = delete;
    EditWindow& operator=(const EditWindow&) = delete;

    // Focus on `edit`, with the window in front (the program may have taken it at start).
    bool Focus(HWND edit) {
        SetForegroundWindow(FWindow);
        wt::PumpMessages(50ms);
        SetFocus(edit);
        return GetForegroundWindow() == FWindow && GetFocus() == edit;
    }

    // One more field of class `className` with the password style.
    HWND AddPassword(const char* className) {
        const int y = 70 + 30 * static_cast<int>(FExtra++);
        return CreateWindowExA(0, className, "", WS_CHILD | WS_VISIBLE | ES_PASSWORD, 10, y, 200,
                               24, FWindow, nullptr, nullptr, nullptr);
    }

    HWND Password = nullptr;
    HWND Plain = nullptr;

private:
    HWND FWindow = nullptr;
    unsigned FExtra = 0;
};

// What frameworks do to give their edits a class name of their own: the system edit's class
// under another name, its window procedure unchanged.
bool RegisterEditSuperclass(const char* name) {
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    if (!GetClassInfoExA(nullptr, "Edit", &windowClass))
        return false;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = name;
    return RegisterClassExA(&windowClass) != 0;
}

// Letter, digit, keypad digit, Space and a punctuation key that speech names; then BackSpace
// and Enter.
const WORD kKeys[] = {'Q', '5', VK_NUMPAD7, VK_SPACE, VK_OEM_PERIOD, VK_BACK, VK_RETURN};

void Type() {
    for (WORD vk : kKeys)
        PressKey(vk);
}

} // namespace

TEST_F(PasswordKeys, CharacterKeysSoundAsOtherKeyInAPasswordEdit) {
    ProgramDir dir("password");
    dir.AddScheme("Alpha.tss", DistinctSounds(), "Alpha");
    dir.WriteSettings("Alpha");
    AppProcess tappolo;
    ASSERT_TRUE(tappolo.Start(dir));
    ASSERT_NE(tappolo.WaitTray(10s), nullptr);
    EditWindow window;
    auto sound = [](int type) { return "schemes\\Alpha\\" + DistinctSounds()[type]; };

    ASSERT_TRUE(window.Focus(window.Password));
    wt::PlaySoundTrace trace;
    Type();
    std::vector<std::string> expected(5, sound(15));
    expected.push_back(sound(9));
    expected.push_back(sound(7));
    EXPECT_EQ(Relative(trace.WaitNames(expected.size(), 5s), dir), expected);

    ASSERT_TRUE(window.Focus(window.Plain));
    trace.Skip();
    Type();
    expected = {sound(12), sound(2), sound(2), sound(13), sound(15), sound(9), sound(7)};
    EXPECT_EQ(Relative(trace.WaitNames(expected.size(), 5s), dir), expected);
}

TEST_F(PasswordKeys, EditsOfOtherFrameworksAndRichEditsWithThePasswordStyleCount) {
    ProgramDir dir("passwordclasses");
    dir.AddScheme("Alpha.tss", DistinctSounds(), "Alpha");
    dir.WriteSettings("Alpha");
    AppProcess tappolo;
    ASSERT_TRUE(tappolo.Start(dir));
    ASSERT_NE(tappolo.WaitTray(10s), nullptr);
    ASSERT_TRUE(RegisterEditSuperclass("WindowsForms10.EDIT.app.0.1"));
    ASSERT_TRUE(RegisterEditSuperclass("TEdit"));
    ASSERT_NE(LoadLibraryA("riched20.dll"), nullptr);
    EditWindow window;
    auto sound = [](int type) { return "schemes\\Alpha\\" + DistinctSounds()[type]; };

    for (const char* className : {"WindowsForms10.EDIT.app.0.1", "TEdit", "RichEdit20A"}) {
        HWND field = window.AddPassword(className);
        ASSERT_NE(field, nullptr) << className;
        ASSERT_TRUE(window.Focus(field)) << className;
        wt::PlaySoundTrace trace;
        PressKey('Q');
        PressKey(VK_BACK);
        EXPECT_EQ(Relative(trace.WaitNames(2, 5s), dir),
                  (std::vector<std::string>{sound(15), sound(9)}))
            << className;
    }
}

TEST_F(PasswordKeys, CharacterKeysAreSpokenAsABlankInAPasswordEdit) {
    std::string log = UseStub(2);
    ProgramDir dir("passwordspeech");
    AppProcess tappolo;
    ASSERT_TRUE(tappolo.Start(dir));
    ASSERT_NE(tappolo.WaitTray(10s), nullptr);
    EditWindow window;
    auto spoken = [](const char* text) {
        return "SAPI.Speak flags=3 text=\"" + std::string(text) + "\"";
    };

    ASSERT_TRUE(window.Focus(window.Password));
    speechstub::ClearCalls(log);
    Type();
    wt::PumpMessages(600ms);
    std::vector<std::string> expected(5, spoken(" "));
    expected.push_back(spoken(" Backspace "));
    expected.push_back(spoken(" Enter "));
    EXPECT_EQ(Calls(log, "SAPI.Speak"), expected);

    ASSERT_TRUE(window.Focus(window.Plain));
    speechstub::ClearCalls(log);
    Type();
    wt::PumpMessages(600ms);
    expected = {spoken("Q"), spoken("5"),           spoken(" num 7"), spoken(" space "),
                spoken("."), spoken(" Backspace "), spoken(" Enter ")};
    EXPECT_EQ(Calls(log, "SAPI.Speak"), expected);
}
