#include "CallbackGuard.h"

#include <windows.h>

#include <exception>

namespace {

void ShowPlainError() noexcept {
    try {
        throw;
    } catch (const std::exception& e) {
        MessageBoxA(GetActiveWindow(), e.what(), nullptr, MB_OK | MB_ICONERROR);
    } catch (...) {
        MessageBoxA(GetActiveWindow(), "Unknown error", nullptr, MB_OK | MB_ICONERROR);
    }
}

CallbackErrorSink Sink = ShowPlainError;

} // namespace

void SetCallbackErrorSink(CallbackErrorSink sink) {
    Sink = sink != nullptr ? sink : ShowPlainError;
}

void HandleCallbackException() noexcept {
    Sink();
}
