#include "ImportCommand.h"

#include "NameRules.h"

namespace {

bool IsSwitch(const std::string& arg, const char* name) {
    return arg.size() > 1 && (arg[0] == '/' || arg[0] == '-') &&
           SameName(std::string_view(arg).substr(1), name);
}

} // namespace

ImportCommand ParseImportCommand(const std::vector<std::string>& args,
                                 const std::function<bool(const std::string&)>& isPackPath) {
    ImportCommand command;
    bool asked = false;
    std::vector<std::string> paths;
    for (const std::string& arg : args) {
        if (IsSwitch(arg, "import"))
            asked = true;
        else if (IsSwitch(arg, "quiet"))
            command.quiet = true;
        else if (!arg.empty())
            paths.push_back(arg);
    }
    if (asked) {
        command.import = true;
        command.path = paths.empty() ? std::string() : paths.front();
    } else if (paths.size() == 1 && isPackPath(paths.front())) {
        command.import = true;
        command.path = paths.front();
    }
    return command;
}
