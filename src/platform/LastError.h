#pragma once
// Failures of Win32 calls raised as our Exception, with the system's reason after our text.
#include <string_view>

// Raises "<message>. <the system's text for the calling thread's last error>". Call it right
// after the failed call, before anything else can change the last error.
[[noreturn]] void ThrowLastError(std::string_view message);

inline void ThrowLastErrorIf(bool failed, std::string_view message) {
    if (failed)
        ThrowLastError(message);
}
