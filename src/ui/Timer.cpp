#include "Timer.h"

#include "Exception.h"

TTimer::TTimer(TComponent* AOwner)
    : TComponent(AOwner), FWindow([this](UINT m, WPARAM w, LPARAM l) { return WndProc(m, w, l); }) {
}

TTimer::~TTimer() {
    KillTimer(FWindow.Handle(), 1);
}

void TTimer::SetEnabled(bool value) {
    FEnabled = value;
    UpdateTimer();
}

void TTimer::SetInterval(unsigned value) {
    FInterval = value;
    UpdateTimer();
}

void TTimer::SetOnTimer(TNotifyEvent handler) {
    FOnTimer = std::move(handler);
    UpdateTimer();
}

void TTimer::UpdateTimer() {
    KillTimer(FWindow.Handle(), 1);
    if (FEnabled && FInterval > 0 && FOnTimer)
        if (!SetTimer(FWindow.Handle(), 1, FInterval, nullptr))
            throw Exception("Not enough timers available");
}

LRESULT TTimer::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_TIMER) {
        if (FOnTimer)
            FOnTimer(this);
        return 0;
    }
    return DefWindowProcA(FWindow.Handle(), message, wParam, lParam);
}
