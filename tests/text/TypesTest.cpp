#include <gtest/gtest.h>

#include "Types.h"

namespace {

TEST(Types, MulDivRoundsToTheNearestWithHalvesAwayFromZero) {
    struct Case {
        int n, m, d, expected;
    };
    const Case cases[] = {{25, 120, 96, 31}, {10, 3, 4, 8}, {-10, 3, 4, -8}, {9, 3, 4, 7}, {7, 1, 0, -1}, {25, 96, 120, 20}};
    for (const auto& tc : cases) EXPECT_EQ(MulDiv(tc.n, tc.m, tc.d), tc.expected) << tc.n << "*" << tc.m << "/" << tc.d;
}

}  // namespace
