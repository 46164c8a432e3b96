// The cost of a dialog with a keyboard picture: a form whose container holds 104 painted key
// panels, eleven of them with tooltips, made (window and every control) and freed; and the same
// form painted once. Run inside the test environment:
//   cmake/wine-run.sh build/win64/winenv build/win64/bench/form_bench.exe
#include "Application.h"
#include "ExtCtrls.h"

#include <benchmark/benchmark.h>

namespace {

class TKeyboardForm : public TForm {
public:
    TKeyboardForm(TComponent* owner, int keys) : TForm(owner) {
        Caption = "Keyboard";
        BorderStyle = TBorderStyle::bsDialog;
        ClientWidth = 505;
        ClientHeight = 243;
        Build({{&pnlKeyboard, "pnlKeyboard", "", 8, 37, 492, 158}});
        // Six rows of keys in the picture's extent, as many as the real keyboard has.
        for (int i = 0; i < keys; ++i) {
            auto* key = new TPanel(this, pnlKeyboard);
            key->SetBounds(5 + (i % 18) * 21, 6 + (i / 18) * 24, 20, 21);
            key->SetText(std::string(1, static_cast<char>('A' + i % 26)));
            key->Tag = i % 16;
            key->OnClick = Handler(&TKeyboardForm::Panel2Click);
            if (i % 10 == 0)
                key->SetHint("Key");
        }
    }
    TPanel* pnlKeyboard;
    int Clicks = 0;

private:
    void Panel2Click(TComponent*) { ++Clicks; }
};

void CreateAndFree(benchmark::State& state) {
    Application.Initialize();
    for (auto _ : state) {
        TOwned<TKeyboardForm> form(
            TForm::Create<TKeyboardForm>(nullptr, static_cast<int>(state.range(0))));
        benchmark::DoNotOptimize(form->pnlKeyboard->Handle());
    }
}
// Without keys: the form and its container alone.
BENCHMARK(CreateAndFree)->Arg(0)->Arg(104)->Unit(benchmark::kMillisecond);

// The platform's floor: the same windows made with bare calls, no objects, no subclassing.
void BareWindows(benchmark::State& state) {
    Application.Initialize();
    for (auto _ : state) {
        HWND form = CreateWindowExA(WS_EX_DLGMODALFRAME, "STATIC", "Keyboard",
                                    WS_POPUP | WS_CAPTION | WS_SYSMENU, 0, 0, 515, 270, nullptr,
                                    nullptr, nullptr, nullptr);
        HWND picture = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE | SS_OWNERDRAW, 8, 37,
                                       492, 158, form, nullptr, nullptr, nullptr);
        for (int i = 0; i < state.range(0); ++i)
            CreateWindowExA(0, "STATIC", "A", WS_CHILD | WS_VISIBLE | SS_OWNERDRAW | SS_NOTIFY,
                            5 + (i % 18) * 21, 6 + (i / 18) * 24, 20, 21, picture,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(1000 + i)), nullptr,
                            nullptr);
        DestroyWindow(form);
    }
}
BENCHMARK(BareWindows)->Arg(104)->Unit(benchmark::kMillisecond);

void Paint(benchmark::State& state) {
    Application.Initialize();
    TOwned<TKeyboardForm> form(TForm::Create<TKeyboardForm>(nullptr, 104));
    form->Show();
    for (auto _ : state) {
        RedrawWindow(form->Handle(), nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    }
}
BENCHMARK(Paint)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
