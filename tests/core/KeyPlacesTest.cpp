// Which physical key a press is kept under: the hook's report, the virtual-key fallback and
// the keyboard picture must name the same places, the ones packs record (scan code set 1).
#include "KeyPlaces.h"

#include <gtest/gtest.h>

namespace {

KeyPlace P(uint16_t scan) {
    return {scan, false};
}
KeyPlace E(uint16_t scan) {
    return {scan, true};
}

} // namespace

TEST(KeyPlaces, ReportedKeysTakeTheirScanCodeWithNumLockAndPauseAsPacksRecordThem) {
    EXPECT_EQ(ReportedKeyPlace('A', 0x1E, false), P(0x1E));
    EXPECT_EQ(ReportedKeyPlace(0x0D, 0x1C, true), E(0x1C)) << "keypad Enter";
    EXPECT_EQ(ReportedKeyPlace(0x0D, 0x1C, false), P(0x1C));
    // The system reports Num Lock extended and Pause plain; packs say 69 and 3653.
    EXPECT_EQ(ReportedKeyPlace(0x90, 0x45, true), P(0x45));
    EXPECT_EQ(ReportedKeyPlace(0x13, 0x45, false), E(0x45));
    // Without a scan code (keys sent by programs may have none) the US place stands in.
    EXPECT_EQ(ReportedKeyPlace('Q', 0, false), P(0x10));
    EXPECT_EQ(ReportedKeyPlace(0x25, 0, false), E(0x4B)) << "Left arrow, pack code 57419";
    EXPECT_EQ(ReportedKeyPlace(0xA3, 0, false), E(0x1D)) << "Right Ctrl, pack code 3613";
    EXPECT_EQ(ReportedKeyPlace(0x10, 0, false), P(0x2A)) << "Shift, the left one";
    EXPECT_EQ(ReportedKeyPlace(0x6F, 0, false), E(0x35)) << "keypad /, 3637";
    EXPECT_EQ(ReportedKeyPlace(0x07, 0, false), std::nullopt) << "no key";
}
