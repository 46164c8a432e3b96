#include "AutoRun.h"

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
