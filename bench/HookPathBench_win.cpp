// The hook procedure's work for one key press, with and without the password check: the press
// filter, the check (only character keys ask it), and the post to the program's window. Run in
// the test environment, with the focus in a plain edit, then in a password edit:
//   cmake/wine-run.sh build/win64/winenv build/win64/bench/hook_path_bench.exe
#include "KeyPressFilter.h"
#include "PasswordFocus.h"
#include "PasswordKeys.h"

#include <windows.h>

#include <benchmark/benchmark.h>

namespace {

constexpr UINT kKeyMessage = WM_USER + 220;

struct Desk {
    HWND Window = nullptr;
    HWND Plain = nullptr;
    HWND Password = nullptr;
};

const Desk& TheDesk() {
    static const Desk desk = [] {
        Desk d;
        d.Window = CreateWindowExA(0, "STATIC", "hook path bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                   50, 50, 300, 120, nullptr, nullptr, nullptr, nullptr);
        d.Plain = CreateWindowExA(0, "Edit", "", WS_CHILD | WS_VISIBLE | WS_BORDER, 10, 10, 200, 24,
                                  d.Window, nullptr, nullptr, nullptr);
        d.Password = CreateWindowExA(0, "Edit", "", WS_CHILD | WS_VISIBLE | WS_BORDER | ES_PASSWORD,
                                     10, 40, 200, 24, d.Window, nullptr, nullptr, nullptr);
        SetForegroundWindow(d.Window);
        return d;
    }();
    return desk;
}

template <class Check> void KeyPath(benchmark::State& state, HWND focus, Check&& check) {
    const Desk& desk = TheDesk();
    SetFocus(focus);
    if (GetFocus() != focus) {
        state.SkipWithError("the edit did not get the focus");
        return;
    }
    TKeyPressFilter filter;
    std::uint32_t time = 0;
    MSG msg;
    for (auto _ : state) {
        if (filter.Press('A', ++time))
            PostMessageA(desk.Window, kKeyMessage, ReportedKey('A', check), 0);
        filter.Release('A');
        // The queue is emptied in the loop: the program does that on its side.
        PeekMessageA(&msg, desk.Window, kKeyMessage, kKeyMessage, PM_REMOVE);
        benchmark::DoNotOptimize(msg.wParam);
    }
}

void WithoutCheck(benchmark::State& state) {
    KeyPath(state, TheDesk().Plain, [] { return false; });
}
BENCHMARK(WithoutCheck);

void WithCheckInPlainEdit(benchmark::State& state) {
    KeyPath(state, TheDesk().Plain, FocusIsPassword);
}
BENCHMARK(WithCheckInPlainEdit);

void WithCheckInPasswordEdit(benchmark::State& state) {
    KeyPath(state, TheDesk().Password, FocusIsPassword);
}
BENCHMARK(WithCheckInPasswordEdit);

void CheckAlone(benchmark::State& state) {
    SetFocus(TheDesk().Password);
    for (auto _ : state)
        benchmark::DoNotOptimize(FocusIsPassword());
}
BENCHMARK(CheckAlone);

} // namespace

BENCHMARK_MAIN();
