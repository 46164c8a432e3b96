#include "AutoRun.h"

#include "NameRules.h"

#include <string>

namespace {

std::string TrimUpper(std::string_view path) {
    std::string out = TrimBlanks(path);
    for (char& c : out)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return out;
}

std::string LettersOnly(const std::string& text) {
    std::string out;
    for (char c : text)
        if (c >= 'A' && c <= 'Z')
            out += c;
    return out;
}

} // namespace

bool SamePathLoose(std::string_view pathA, std::string_view pathB) {
    const std::string a = TrimUpper(pathA), b = TrimUpper(pathB);
    return a == b || LettersOnly(a) == LettersOnly(b);
}

AutoRunPlan PlanAutoRun(bool enable, bool machineWritable, bool machineOn) {
    AutoRunPlan plan;
    // The per-user value is only ever the stand-in for a machine-wide one that cannot be
    // written, so it goes whenever the machine-wide key decides.
    plan.User = AutoRunStep::Remove;
    if (machineWritable) {
        plan.Machine = enable ? AutoRunStep::Write : AutoRunStep::Remove;
        return plan;
    }
    if (enable && !machineOn)
        plan.User = AutoRunStep::Write;
    plan.MachineStaysOn = !enable && machineOn;
    return plan;
}
