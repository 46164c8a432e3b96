#pragma once
// No error may cross into the system through a Win32 callback: each callback body runs under
// a guard that hands the error to the program's error sink.

// The sink is called inside a catch block and must not throw. The application installs its
// top-level handler; until one is installed the error is shown in a plain error box.
using CallbackErrorSink = void (*)() noexcept;
void SetCallbackErrorSink(CallbackErrorSink sink);

// Shows the error that is being handled (call only inside a catch block) through the sink;
// never throws.
void HandleCallbackException() noexcept;

// Runs a callback body at a Win32 boundary: an error never crosses into the system, it goes to
// the sink and the callback answers `failed`.
template <class F> auto GuardCallback(F&& body, decltype(body()) failed) noexcept {
    try {
        return body();
    } catch (...) {
        HandleCallbackException();
        return failed;
    }
}
