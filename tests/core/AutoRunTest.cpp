#include "AutoRun.h"

#include <gtest/gtest.h>

TEST(SamePathLoose, QuotesCaseAndBlanksDoNotMatter) {
    EXPECT_TRUE(SamePathLoose("C:\\Tools\\Tappolo.exe", "\"C:\\Tools\\Tappolo.exe\""));
    EXPECT_TRUE(SamePathLoose("C:\\Tools\\Tappolo.exe", "c:\\tools\\TAPPOLO.EXE"));
    EXPECT_TRUE(SamePathLoose("C:\\Tools\\Tappolo.exe", " \t\"C:\\Tools\\Tappolo.exe\"\r\n"));
    EXPECT_TRUE(SamePathLoose("", "  "));
}

TEST(SamePathLoose, DigitsAndPunctuationAreIgnoredButEveryLetterCounts) {
    EXPECT_TRUE(SamePathLoose("C:\\Tools1\\App.exe", "C:\\Tools2\\App.exe"));
    EXPECT_TRUE(SamePathLoose("C:\\Tools\\App.exe", "C;/Tools/App-exe"));
    EXPECT_FALSE(SamePathLoose("C:\\Tools\\App.exe", "D:\\Tools\\App.exe"));
    EXPECT_FALSE(SamePathLoose("C:\\Tools\\App.exe", "C:\\Tool\\App.exe"));
    EXPECT_FALSE(SamePathLoose("C:\\Tools\\App.exe", ""));
}

namespace {

constexpr AutoRunStep Keep = AutoRunStep::Keep, Write = AutoRunStep::Write,
                      Remove = AutoRunStep::Remove;

void ExpectPlan(bool enable, bool writable, bool machineOn, AutoRunStep machine, AutoRunStep user,
                bool staysOn) {
    const AutoRunPlan plan = PlanAutoRun(enable, writable, machineOn);
    EXPECT_EQ(plan.Machine, machine) << enable << writable << machineOn;
    EXPECT_EQ(plan.User, user) << enable << writable << machineOn;
    EXPECT_EQ(plan.MachineStaysOn, staysOn) << enable << writable << machineOn;
}

} // namespace

TEST(AutoRun, MachineWideWhereWritableOtherwiseTheUsersOwnAndNeverBoth) {
    //         enable writable machineOn  machine  user    stays on
    ExpectPlan(true, true, false, Write, Remove, false);
    ExpectPlan(true, true, true, Write, Remove, false);
    ExpectPlan(false, true, true, Remove, Remove, false);
    ExpectPlan(false, true, false, Remove, Remove, false);
    ExpectPlan(true, false, false, Keep, Write, false);
    ExpectPlan(true, false, true, Keep, Remove, false);
    ExpectPlan(false, false, false, Keep, Remove, false);
    ExpectPlan(false, false, true, Keep, Remove, true);
}
