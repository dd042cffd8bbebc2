// On Windows the show's random sequence can be held against the system's own:
// the C library's rand, unseeded and seeded, gives the same numbers.
#include "platform/CrtRandom.h"

#include <gtest/gtest.h>

#include <cstdlib>

TEST(CrtRandomOnWindows, IsTheCLibrarysRand)
{
    CrtSeed(1);
    for (int i = 0; i < 100000; ++i)
        ASSERT_EQ(CrtRand(), std::rand()) << "draw " << i << " from the start";
    CrtSeed(987654321u);
    std::srand(987654321u);
    for (int i = 0; i < 100000; ++i)
        ASSERT_EQ(CrtRand(), std::rand()) << "draw " << i << " after seeding";
}
