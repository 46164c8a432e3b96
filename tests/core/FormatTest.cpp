#include "Exception.h"

#include <gtest/gtest.h>

TEST(Format, FillsEachPlaceholderInOrderAndKeepsTheRest) {
    EXPECT_EQ(Format("Cannot open file \"%s\". %s", {"C:\\a.tss", "Access is denied."}),
              "Cannot open file \"C:\\a.tss\". Access is denied.");
    EXPECT_EQ(Format("100%% of %s", {"keys"}), "100% of keys");
    EXPECT_EQ(Format("%s and %s", {"one"}), "one and ");
    EXPECT_EQ(Format("trailing %", {}), "trailing %");
}

TEST(ErrorBoxText, AddsAFullStopOnlyAfterBytesThatSortAfterIt) {
    EXPECT_EQ(ErrorBoxText("Cannot open the file"), "Cannot open the file.");
    EXPECT_EQ(ErrorBoxText("Done."), "Done.");
    EXPECT_EQ(ErrorBoxText("Create Mapping File Error!"), "Create Mapping File Error!");
    EXPECT_EQ(ErrorBoxText("ends in a blank "), "ends in a blank ");
    EXPECT_EQ(ErrorBoxText("a-b,"), "a-b,"); // ',' and '-' sort before '.'
    EXPECT_EQ(ErrorBoxText("path/"), "path/.");
    EXPECT_EQ(ErrorBoxText("code 12"), "code 12.");
    EXPECT_EQ(ErrorBoxText("caf\xE9"), "caf\xE9."); // compared as an unsigned byte
    EXPECT_EQ(ErrorBoxText(""), "");
}
