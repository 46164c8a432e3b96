#include "Exception.h"

#include <gtest/gtest.h>

TEST(Format, FillsEachPlaceholderInOrderAndKeepsTheRest) {
    EXPECT_EQ(Format("Cannot open file \"%s\". %s", {"C:\\a.tss", "Access is denied."}),
              "Cannot open file \"C:\\a.tss\". Access is denied.");
    EXPECT_EQ(Format("100%% of %s", {"keys"}), "100% of keys");
    EXPECT_EQ(Format("%s and %s", {"one"}), "one and ");
    EXPECT_EQ(Format("trailing %", {}), "trailing %");
}
