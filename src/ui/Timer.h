#pragma once
// A message-driven timer: ticks only while enabled, with an interval above 0 and a handler.
#include "Component.h"
#include "UtilWindow.h"

class TTimer : public TComponent {
public:
    explicit TTimer(TComponent* AOwner);
    ~TTimer() override;
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool value);
    unsigned Interval() const { return FInterval; }
    void SetInterval(unsigned value);
    void SetOnTimer(TNotifyEvent handler);

private:
    void UpdateTimer();
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam);
    TUtilWindow FWindow;
    bool FEnabled = true;
    unsigned FInterval = 1000;
    TNotifyEvent FOnTimer;
};
