#pragma once
// Where the auto-run value goes. The machine-wide Run key needs administrator rights to open
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
