#include "ImportCommand.h"

#include "NameRules.h"

#include <algorithm>

namespace {

bool IsSwitch(const std::string& arg, const char* name) {
    return arg.size() > 1 && (arg[0] == '/' || arg[0] == '-') &&
           SameName(std::string_view(arg).substr(1), name);
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

} // namespace

std::vector<std::string> SplitCommandLine(std::string_view commandLine) {
    std::vector<std::string> args;
    size_t at = 0;
    while (true) {
        while (at < commandLine.size() && IsBlank(commandLine[at]))
            ++at;
        if (at == commandLine.size())
            break;
        std::string arg;
        bool quoted = false;
        for (; at < commandLine.size() && (quoted || !IsBlank(commandLine[at])); ++at) {
            if (commandLine[at] == '"')
                quoted = !quoted;
            else
                arg += commandLine[at];
        }
        args.push_back(std::move(arg));
    }
    if (!args.empty())
        args.erase(args.begin()); // the program
    return args;
}

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
    if (asked || (!paths.empty() && std::all_of(paths.begin(), paths.end(), isPackPath))) {
        command.import = true;
        command.paths = std::move(paths);
    }
    return command;
}
