#pragma once
// The rules of auto-run at logon: which stored path counts as the running program, and where
// the value goes.
#include <string_view>

// Whether two paths name the same program: equal once blanks and control characters are
// trimmed from both ends and a to z are upper-cased; failing that, equal in their letters A to
// Z alone. The second step lets the stored path, which is quoted, match the bare path of the
// running program; it also ignores digits and punctuation.
bool SamePathLoose(std::string_view pathA, std::string_view pathB);

// Where the value goes. The machine-wide Run key needs administrator rights to open
// for writing; for anybody else the same value under the current user's Run key does the same
// job at that user's logon. Windows starts every entry of both keys, so the program is kept in
// one of them only: a second entry would start a second instance at logon.

enum class AutoRunStep { Keep, Write, Remove };

struct AutoRunPlan {
    AutoRunStep Machine = AutoRunStep::Keep;
    AutoRunStep User = AutoRunStep::Keep;
    // The machine-wide value names the program and cannot be removed: auto-run stays on.
    bool MachineStaysOn = false;
};

// enable: the wanted state. machineWritable: the machine-wide Run key opened with full access.
// machineOn: the machine-wide value names the running program.
AutoRunPlan PlanAutoRun(bool enable, bool machineWritable, bool machineOn);
