#include "UniqueHandle.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<int> closed;

// Like a file handle: -1 means none, 0 is a real handle.
struct CloseFake {
    static int None() noexcept { return -1; }
    void operator()(int handle) const noexcept { closed.push_back(handle); }
};
using Fake = UniqueHandle<int, CloseFake>;

struct ClosePointer {
    void operator()(int* handle) const noexcept { closed.push_back(*handle); }
};

} // namespace

TEST(UniqueHandle, ClosesEachHandleOnceWhateverPathItTakes) {
    closed.clear();
    {
        Fake none;
        Fake zero(0);
        EXPECT_FALSE(none);
        EXPECT_TRUE(zero) << "only the kind's own none value means no handle";
        Fake moved(std::move(zero));
        EXPECT_FALSE(zero);
        EXPECT_EQ(moved.Get(), 0);
        Fake target(1);
        target = std::move(moved); // 1 closes now, 0 moves in
        EXPECT_EQ(closed, (std::vector<int>{1}));
        target.Reset(2); // 0 closes
        int kept = Fake(3).Release();
        EXPECT_EQ(kept, 3);
        *target.Put() = 4; // 2 closes, 4 is taken over
        EXPECT_EQ(closed, (std::vector<int>{1, 0, 2}));
    }
    EXPECT_EQ(closed, (std::vector<int>{1, 0, 2, 4}));
}

TEST(UniqueHandle, NullIsNoneWhenTheKindNamesNoOther) {
    closed.clear();
    int value = 7;
    {
        UniqueHandle<int*, ClosePointer> empty, held(&value);
        EXPECT_FALSE(empty);
        EXPECT_TRUE(held);
    }
    EXPECT_EQ(closed, (std::vector<int>{7}));
}
