// KeyHook.dll with real key presses (SendInput), seen by a window the way the program sees
// them: through the shared memory, message 1244 and, in sound mode, PlayKeySound.
#include "KeyHook.h"
#include "KeyReport.h"
#include "KeySound.h"
#include "WineTest.h"

#include <windows.h>
#include <mmsystem.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <cstring>

using namespace std::chrono_literals;

namespace {

struct SoundMode {
    std::string ProgramDir;
    std::string CurrentScheme;
    TMySchemeInfo Scheme;
};

// The presses, and every report with what lParam tells of it.
std::vector<unsigned> Received;
std::vector<std::pair<unsigned, KeyReport>> Reports;
const SoundMode* ActiveSound = nullptr;

LRESULT CALLBACK TargetProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    if (message == KeyHookMessage) {
        try {
            const KeyReport report = ReadKeyReport(static_cast<uintptr_t>(lParam));
            Reports.emplace_back(static_cast<unsigned>(wParam), report);
            if (report.Release || report.Repeat)
                return 0;
            Received.push_back(static_cast<unsigned>(wParam));
            if (ActiveSound != nullptr)
                PlayKeySound(ActiveSound->ProgramDir, ActiveSound->CurrentScheme,
                             ActiveSound->Scheme, static_cast<unsigned>(wParam));
        } catch (...) {
            ADD_FAILURE() << "the key handler threw";
        }
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void SendKey(unsigned vk, bool up) {
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = static_cast<WORD>(vk);
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(vk, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    ASSERT_EQ(SendInput(1, &input, sizeof input), 1u);
}

void Press(unsigned vk) {
    SendKey(vk, false);
    SendKey(vk, true);
}

// Waits for `count` key messages, then a little longer so that an extra one would show.
std::vector<unsigned> WaitKeys(size_t count, std::chrono::milliseconds timeout = 3s) {
    auto end = std::chrono::steady_clock::now() + timeout;
    while (Received.size() < count && std::chrono::steady_clock::now() < end)
        wt::PumpMessages(10ms);
    wt::PumpMessages(150ms);
    return Received;
}

// The threads of this process that `match` accepts, or -1.
template <class Match> int CountThreads(Match&& match) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return -1;
    int count = 0;
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
        if (entry.th32OwnerProcessID == GetCurrentProcessId() && match(entry.th32ThreadID))
            ++count;
    CloseHandle(snapshot);
    return count;
}

// Another program's hook set after Tappolo's, on a thread of its own, as a remapper sets it:
// it swallows every event of one key and sends another key in its place.
class Remapper {
public:
    Remapper(unsigned from, unsigned to) {
        From = from;
        To = to;
        FReady = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        FThread = CreateThread(nullptr, 0, ThreadProc, this, 0, &FThreadId);
        if (FThread != nullptr)
            WaitForSingleObject(FReady, INFINITE);
    }
    ~Remapper() {
        if (FThread != nullptr) {
            PostThreadMessageA(FThreadId, WM_QUIT, 0, 0);
            WaitForSingleObject(FThread, INFINITE);
            CloseHandle(FThread);
        }
        CloseHandle(FReady);
    }
    Remapper(const Remapper&) = delete;
    Remapper& operator=(const Remapper&) = delete;

    bool Installed = false;

private:
    static constexpr UINT kSendMessage = WM_APP + 1;
    static inline unsigned From = 0, To = 0;
    static inline DWORD ThreadId = 0;

    static LRESULT CALLBACK Proc(int code, WPARAM wParam, LPARAM lParam) noexcept {
        const auto* info = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
        if (code != HC_ACTION || info->vkCode != From)
            return CallNextHookEx(nullptr, code, wParam, lParam);
        // The replacement is sent after the hook has answered, as remappers do.
        if (wParam == WM_KEYDOWN)
            PostThreadMessageA(ThreadId, kSendMessage, 0, 0);
        return 1;
    }

    static DWORD WINAPI ThreadProc(void* parameter) noexcept {
        auto* self = static_cast<Remapper*>(parameter);
        MSG msg;
        PeekMessageA(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
        ThreadId = GetCurrentThreadId();
        HHOOK hook = SetWindowsHookExA(WH_KEYBOARD_LL, Proc, GetModuleHandleA(nullptr), 0);
        self->Installed = hook != nullptr;
        SetEvent(self->FReady);
        while (hook != nullptr && GetMessageA(&msg, nullptr, 0, 0) > 0) {
            if (msg.message == kSendMessage) {
                INPUT input[2] = {};
                for (int i = 0; i < 2; ++i) {
                    input[i].type = INPUT_KEYBOARD;
                    input[i].ki.wVk = static_cast<WORD>(To);
                    input[i].ki.wScan = static_cast<WORD>(MapVirtualKeyA(To, MAPVK_VK_TO_VSC));
                }
                input[1].ki.dwFlags = KEYEVENTF_KEYUP;
                SendInput(2, input, sizeof input[0]);
            }
            DispatchMessageA(&msg);
        }
        if (hook != nullptr)
            UnhookWindowsHookEx(hook);
        return 0;
    }

    HANDLE FReady = nullptr;
    HANDLE FThread = nullptr;
    DWORD FThreadId = 0;
};

void MoveMouse(int dx) {
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dx = dx;
    input.mi.dwFlags = MOUSEEVENTF_MOVE;
    ASSERT_EQ(SendInput(1, &input, sizeof input), 1u);
}

int ThreadCount() {
    return CountThreads([](DWORD) { return true; });
}

int TimeCriticalThreadCount() {
    return CountThreads([](DWORD id) {
        HANDLE thread = OpenThread(THREAD_QUERY_INFORMATION, FALSE, id);
        const int priority = thread ? GetThreadPriority(thread) : THREAD_PRIORITY_ERROR_RETURN;
        if (thread)
            CloseHandle(thread);
        return priority == THREAD_PRIORITY_TIME_CRITICAL;
    });
}

// One key of every key type, none of which opens a menu or leaves a state behind. The lock
// keys are pressed twice so that their lights end as they began.
const unsigned TypeKeys[KeyTypeCount] = {
    VK_PRIOR, VK_CAPITAL, '5',       VK_NUMLOCK, VK_F2, VK_DELETE, VK_LEFT,   VK_RETURN,
    VK_NEXT,  VK_BACK,    VK_INSERT, VK_TAB,     'Q',   VK_SPACE,  VK_ESCAPE, VK_OEM_1,
};

bool IsLockKey(unsigned vk) {
    return vk == VK_CAPITAL || vk == VK_NUMLOCK;
}

class KeyHookTest : public testing::Test {
protected:
    void SetUp() override {
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = TargetProc;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "KeyHookTestTarget";
        RegisterClassA(&windowClass);
        // A visible foreground window, so that the desktop's keyboard focus is ours.
        FWindow = CreateWindowExA(0, "KeyHookTestTarget", "key hook target",
                                  WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50, 300, 200, nullptr,
                                  nullptr, windowClass.hInstance, nullptr);
        ASSERT_NE(FWindow, nullptr);
        SetForegroundWindow(FWindow);
        wt::PumpMessages(50ms);
        ASSERT_TRUE(CreateTarget());
        Received.clear();
        Reports.clear();
        ActiveSound = nullptr;
    }

    void TearDown() override {
        EndKeyHook();
        ActiveSound = nullptr;
        CloseTarget();
        DestroyWindow(FWindow);
        wt::PumpMessages(20ms);
    }

    // What the main window does at start: the handle as a 32-bit little-endian value.
    bool CreateTarget() {
        FMapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4,
                                      KeyHookMappingName);
        if (FMapping == nullptr)
            return false;
        FView = static_cast<unsigned char*>(MapViewOfFile(FMapping, FILE_MAP_WRITE, 0, 0, 4));
        if (FView == nullptr)
            return false;
        const auto value = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(FWindow));
        for (int i = 0; i < 4; ++i)
            FView[i] = static_cast<unsigned char>(value >> (8 * i));
        return true;
    }

    void CloseTarget() {
        if (FView != nullptr)
            UnmapViewOfFile(FView);
        if (FMapping != nullptr)
            CloseHandle(FMapping);
        FView = nullptr;
        FMapping = nullptr;
    }

    HWND FWindow = nullptr;
    HANDLE FMapping = nullptr;
    unsigned char* FView = nullptr;
};

} // namespace

TEST_F(KeyHookTest, EveryKeyTypeArrivesOncePerPress) {
    ASSERT_NE(SetKeyHook(), 0);
    std::vector<unsigned> expected;
    for (unsigned vk : TypeKeys) {
        for (int i = 0; i < (IsLockKey(vk) ? 2 : 1); ++i) {
            Press(vk);
            expected.push_back(vk);
        }
    }
    EXPECT_EQ(WaitKeys(expected.size()), expected);
    for (int type = 0; type < KeyTypeCount; ++type)
        EXPECT_EQ(KeyTypeOf(TypeKeys[type]), type) << "the test's key for type " << type;
}

TEST_F(KeyHookTest, AHeldKeySoundsOnceUntilItIsReleased) {
    ASSERT_NE(SetKeyHook(), 0);
    // A held key repeats its key-down; other keys pressed meanwhile still sound.
    for (int i = 0; i < 4; ++i)
        SendKey('B', false);
    Press('C');
    SendKey('B', false);
    SendKey('B', true);
    Press('B');
    EXPECT_EQ(WaitKeys(3), (std::vector<unsigned>{'B', 'C', 'B'}));
    // Repeats and releases come as reports of their own, with the key's place: B is scan
    // code 0x30, C 0x2E.
    std::vector<std::string> told;
    for (const auto& [vk, report] : Reports)
        told.push_back(std::string(1, static_cast<char>(vk)) + std::to_string(report.Scan) +
                       (report.Extended ? "e" : "") + (report.Release ? "^" : "") +
                       (report.Repeat ? "r" : ""));
    EXPECT_EQ(told, (std::vector<std::string>{"B48", "B48r", "B48r", "B48r", "C46", "C46^", "B48r",
                                              "B48^", "B48", "B48^"}));
}

TEST_F(KeyHookTest, AKeyWhoseReleaseWasMissedSoundsAgainOnItsNextPress) {
    ASSERT_NE(SetKeyHook(), 0);
    // No release reaches the hook (as when it happened on the secure desktop); a key-down long
    // after the last one cannot be a repeat.
    SendKey('J', false);
    EXPECT_EQ(WaitKeys(1), (std::vector<unsigned>{'J'}));
    wt::PumpMessages(2500ms);
    SendKey('J', false);
    SendKey('J', false);
    SendKey('J', true);
    EXPECT_EQ(WaitKeys(2), (std::vector<unsigned>{'J', 'J'}));
    std::vector<unsigned> repeats;
    for (const auto& [vk, report] : Reports)
        if (report.Repeat)
            repeats.push_back(vk);
    EXPECT_EQ(repeats, (std::vector<unsigned>{'J'}));
}

TEST_F(KeyHookTest, LeftAndRightShiftArriveAsShift) {
    ASSERT_NE(SetKeyHook(), 0);
    Press(VK_LSHIFT);
    Press(VK_RSHIFT);
    Press(VK_SHIFT);
    EXPECT_EQ(WaitKeys(3), (std::vector<unsigned>{VK_SHIFT, VK_SHIFT, VK_SHIFT}));
    // Their places tell them apart: scan codes 2A and 36.
    std::vector<unsigned> places;
    for (const auto& [vk, report] : Reports)
        if (!report.Release)
            places.push_back(report.Scan);
    EXPECT_EQ(places, (std::vector<unsigned>{0x2A, 0x36, 0x2A}));
}

TEST_F(KeyHookTest, EndKeyHookStopsMessagesAndIsHarmlessWithoutAHook) {
    EXPECT_NE(EndKeyHook(), 0);
    EXPECT_NE(EndKeyHook(), 0);
    ASSERT_NE(SetKeyHook(), 0);
    Press('D');
    EXPECT_EQ(WaitKeys(1), (std::vector<unsigned>{'D'}));
    EndKeyHook();
    Press('E');
    EXPECT_EQ(WaitKeys(2, 300ms), (std::vector<unsigned>{'D'}));
}

TEST_F(KeyHookTest, RepeatedCyclesLeaveNoThreadBehindAndASecondSetAddsNoHook) {
    const int threadsBefore = ThreadCount();
    ASSERT_GT(threadsBefore, 0);
    std::vector<unsigned> expected;
    for (int cycle = 0; cycle < 5; ++cycle) {
        ASSERT_NE(SetKeyHook(), 0);
        ASSERT_NE(SetKeyHook(), 0);
        Press('F');
        expected.push_back('F');
        EXPECT_EQ(WaitKeys(expected.size()), expected) << "cycle " << cycle;
        EndKeyHook();
    }
    EXPECT_EQ(ThreadCount(), threadsBefore);
}

TEST_F(KeyHookTest, TheHookThreadRunsAtTimeCriticalPriority) {
    EXPECT_EQ(TimeCriticalThreadCount(), 0);
    ASSERT_NE(SetKeyHook(), 0);
    EXPECT_EQ(TimeCriticalThreadCount(), 1);
}

TEST_F(KeyHookTest, AHookTheSystemDroppedIsSetAgain) {
    ASSERT_NE(SetKeyHook(), 0);
    Press('M');
    ASSERT_EQ(WaitKeys(1), (std::vector<unsigned>{'M'}));
    // The system's silent removal, played with Wine's handles: any thread may remove any hook,
    // and a handle whose upper half (the generation) is 0 matches its slot whatever the
    // generation. Nothing else in the test environment sets a hook.
    bool removed = false;
    for (UINT_PTR handle = 0x20; handle < 0x10000 && !removed; handle += 2)
        removed = UnhookWindowsHookEx(reinterpret_cast<HHOOK>(handle)) != FALSE;
    ASSERT_TRUE(removed);
    // The first key after the removal reaches no hook, but shows the hook dead: it is set
    // again within the next check, and the key after is heard.
    wt::PumpMessages(1500ms);
    Press('N');
    wt::PumpMessages(1500ms);
    Press('O');
    EXPECT_EQ(WaitKeys(2), (std::vector<unsigned>{'M', 'O'}));
}

TEST_F(KeyHookTest, AKeyThatAHookSetAfterOursSwallowsStaysSilentAndItsReplacementSoundsOnce) {
    ASSERT_NE(SetKeyHook(), 0);
    Remapper remapper('X', 'Z');
    ASSERT_TRUE(remapper.Installed);
    Press('X');
    EXPECT_EQ(WaitKeys(1), (std::vector<unsigned>{'Z'}));
    Press('Y');
    EXPECT_EQ(WaitKeys(2), (std::vector<unsigned>{'Z', 'Y'}));
    // Three seconds of mouse input, which the keyboard hook is not called for.
    for (int i = 0; i < 30; ++i) {
        MoveMouse(i % 2 == 0 ? 3 : -3);
        wt::PumpMessages(100ms);
    }
    Press('X');
    EXPECT_EQ(WaitKeys(3), (std::vector<unsigned>{'Z', 'Y', 'Z'}));
    Press('Y');
    EXPECT_EQ(WaitKeys(4), (std::vector<unsigned>{'Z', 'Y', 'Z', 'Y'}));
}

TEST_F(KeyHookTest, CharacterKeysInAPasswordEditArriveAsKeypadMultiply) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    HWND password = CreateWindowExA(0, "Edit", "", WS_CHILD | WS_VISIBLE | ES_PASSWORD, 10, 10, 200,
                                    24, FWindow, nullptr, instance, nullptr);
    HWND plain = CreateWindowExA(0, "Edit", "", WS_CHILD | WS_VISIBLE, 10, 40, 200, 24, FWindow,
                                 nullptr, instance, nullptr);
    ASSERT_NE(password, nullptr);
    ASSERT_NE(plain, nullptr);
    ASSERT_NE(SetKeyHook(), 0);
    const unsigned keys[] = {'Q',           '5',      VK_NUMPAD7, VK_ADD,    VK_SPACE,
                             VK_OEM_PERIOD, VK_OEM_4, VK_BACK,    VK_RETURN, VK_LEFT};
    const std::vector<unsigned> masked = {106, 106, 106,     106,       106,
                                          106, 106, VK_BACK, VK_RETURN, VK_LEFT};
    const std::vector<unsigned> own(std::begin(keys), std::end(keys));
    std::vector<unsigned> expected;
    for (HWND edit : {password, plain, password}) {
        SetFocus(edit);
        ASSERT_EQ(GetFocus(), edit);
        for (unsigned vk : keys)
            Press(vk);
        const auto& codes = edit == password ? masked : own;
        expected.insert(expected.end(), codes.begin(), codes.end());
        // The hook judges each key by the focus when the key comes: all must be in before it moves.
        ASSERT_EQ(WaitKeys(expected.size()), expected);
    }
    // A masked key takes the keypad multiply key's place, pressed or released, so that it
    // sounds, pans and pitches as that key; the others tell the scan code they were sent with.
    for (const auto& [vk, report] : Reports)
        EXPECT_EQ(report.Scan, vk == 106 ? kMaskedKeyScan : MapVirtualKeyA(vk, MAPVK_VK_TO_VSC))
            << vk;
}

TEST_F(KeyHookTest, TheSharedMemoryMayAppearAfterTheHook) {
    CloseTarget();
    ASSERT_NE(SetKeyHook(), 0);
    Press('G');
    wt::PumpMessages(200ms);
    EXPECT_TRUE(Received.empty());
    ASSERT_TRUE(CreateTarget());
    Press('H');
    EXPECT_EQ(WaitKeys(1), (std::vector<unsigned>{'H'}));
}

TEST_F(KeyHookTest, EachKeyTypeRequestsItsSchemeSound) {
    SoundMode sound;
    sound.ProgramDir = wt::MakeTempDir("keysound");
    // Lower case: only the exact "TTS" means speech, and that check is the caller's.
    sound.CurrentScheme = "tts";
    const std::string folder = sound.ProgramDir + "schemes\\tts\\";
    ASSERT_TRUE(CreateDirectoryA((sound.ProgramDir + "schemes").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    const std::string tone = wt::MakeToneWav(1000, 20, 2000);
    for (int type = 0; type < KeyTypeCount; ++type) {
        std::string name = "type" + std::to_string(type) + (type == 3 ? ".WAV" : ".wav");
        // The letter sound is named but missing: the key stays silent.
        if (type != KeyType::Letter) {
            ASSERT_TRUE(wt::WriteFileBytes(folder + name, tone));
        }
        sound.Scheme.SetSound(type, name);
    }
    ActiveSound = &sound;
    ASSERT_NE(SetKeyHook(), 0);

    wt::PlaySoundTrace trace;
    std::vector<std::string> expected;
    for (int type = 0; type < KeyTypeCount; ++type) {
        const unsigned vk = TypeKeys[type];
        for (int i = 0; i < (IsLockKey(vk) ? 2 : 1); ++i) {
            Press(vk);
            if (type != KeyType::Letter)
                expected.push_back(folder + sound.Scheme.GetSound(type));
            // One at a time: each request must be seen before the next one cuts it off.
            ASSERT_EQ(trace.WaitNames(expected.size(), 3s).size(), expected.size()) << "key " << vk;
        }
    }
    wt::PumpMessages(200ms);
    EXPECT_EQ(trace.Names(), expected);
    PlaySoundA(nullptr, nullptr, 0);
}

TEST_F(KeyHookTest, AKeyPressIsHeardAsItsTypesTone) {
    SoundMode sound;
    sound.ProgramDir = wt::MakeTempDir("heard");
    sound.CurrentScheme = "Tones";
    const std::string folder = sound.ProgramDir + "schemes\\Tones\\";
    ASSERT_TRUE(CreateDirectoryA((sound.ProgramDir + "schemes").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    ASSERT_TRUE(wt::WriteFileBytes(folder + "letter.wav", wt::MakeToneWav(660, 300)));
    ASSERT_TRUE(wt::WriteFileBytes(folder + "space.wav", wt::MakeToneWav(1480, 300)));
    sound.Scheme.SetSound(KeyType::Letter, "letter.wav");
    sound.Scheme.SetSound(KeyType::Space, "space.wav");
    ActiveSound = &sound;
    ASSERT_NE(SetKeyHook(), 0);

    const std::vector<double> candidates = {660, 1480};
    wt::AudioRecording letter;
    Press('K');
    auto letterSamples = letter.WaitForSound(5s, 200ms, 2000);
    ASSERT_GE(wt::OnsetIndex(letterSamples, 2000), 0) << "the letter key was not heard";
    EXPECT_EQ(wt::DominantOf(letterSamples, candidates), 660);
    wt::PumpMessages(200ms);

    wt::AudioRecording space;
    Press(VK_SPACE);
    auto spaceSamples = space.WaitForSound(5s, 200ms, 2000);
    ASSERT_GE(wt::OnsetIndex(spaceSamples, 2000), 0) << "the space key was not heard";
    EXPECT_EQ(wt::DominantOf(spaceSamples, candidates), 1480);
    PlaySoundA(nullptr, nullptr, 0);
}
