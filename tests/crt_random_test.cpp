#include "platform/CrtRandom.h"

#include <gtest/gtest.h>

TEST(CrtRandom, FollowsTheWindowsSequenceFromSeedOne)
{
    CrtSeed(1);
    EXPECT_EQ(CrtRand(), 41);
    EXPECT_EQ(CrtRand(), 18467);
    EXPECT_EQ(CrtRand(), 6334);
    EXPECT_EQ(CrtRand(), 26500);
    EXPECT_EQ(CrtRand(), 19169);
}

TEST(CrtRandom, StaysWithinFifteenBits)
{
    CrtSeed(12345);
    for (int i = 0; i < 100000; ++i) {
        const int32_t value = CrtRand();
        ASSERT_GE(value, 0);
        ASSERT_LE(value, 32767);
    }
}
