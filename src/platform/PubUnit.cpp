#include "PubUnit.h"

#include "DataPaths.h"

#include <windows.h>

std::string ExecutablePath() {
    std::string buffer(MAX_PATH, '\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0)
            return {};
        // A full buffer may mean a truncated path.
        if (length < buffer.size()) {
            buffer.resize(length);
            return buffer;
        }
        buffer.resize(buffer.size() * 2);
    }
}

const std::string& GetProgramDir() {
    static const std::string programDir = FolderOf(ExecutablePath());
    return programDir;
}
