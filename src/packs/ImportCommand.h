#pragma once
// The command line that imports a pack instead of starting the tray program:
//   Tappolo.exe /import "<pack folder or its config.json>" [/quiet]
//   Tappolo.exe "<pack folder or its config.json>"   (what dropping a pack on the exe gives)
#include <functional>
#include <string>
#include <vector>

struct ImportCommand {
    bool import = false; // false: start the tray program as usual
    bool quiet = false;  // no message box about the result
    std::string path;
};

// `args` without the program's own name. Switches are matched ignoring case, with "/" or "-".
// Without /import a lone path counts only when `isPackPath` says it is a folder or a
// config.json; /import with no path is an import of nothing (it fails with a message).
ImportCommand ParseImportCommand(const std::vector<std::string>& args,
                                 const std::function<bool(const std::string&)>& isPackPath);
