#include "LastError.h"

#include "Exception.h"
#include "FileSystem.h"

#include <windows.h>

void ThrowLastError(std::string_view message) {
    const DWORD error = GetLastError();
    // Some calls fail without saying why; "The operation completed successfully" would mislead.
    const std::string reason = error != 0 ? SystemErrorText(static_cast<int>(error)) : "";
    throw Exception(reason.empty() ? std::string(message) : Format("%s. %s", {message, reason}));
}
