#pragma once
// The command line that imports packs instead of starting the tray program:
//   Tappolo.exe /import "<pack folder or its config.json>" ... [/quiet]
//   Tappolo.exe "<pack folder>" ...   (what dropping packs on Tappolo.exe gives)
#include <functional>
#include <string>
#include <string_view>
#include <vector>

struct ImportCommand {
    bool import = false;            // false: start the tray program as usual
    bool quiet = false;             // no message box about the result
    std::vector<std::string> paths; // imported one after the other
};

// The arguments of a command line, without the program's own name. Blanks outside quotes part
// the arguments and the quotes are dropped. A backslash is always itself: no path holds a
// quote, and the system's own rule (a backslash before a quote makes it a literal quote) would
// turn "C:\Packs\X\" /quiet into one argument.
std::vector<std::string> SplitCommandLine(std::string_view commandLine);

// `args` without the program's own name. Switches are matched ignoring case, with "/" or "-".
// Without /import the paths count only when `isPackPath` says each is a folder or a
// config.json; /import with no path is an import of nothing (it fails with a message).
ImportCommand ParseImportCommand(const std::vector<std::string>& args,
                                 const std::function<bool(const std::string&)>& isPackPath);
