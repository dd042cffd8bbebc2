#include "app/Keyboard.h"
#include "tests/support/Fakes.h"

#include <gtest/gtest.h>

#include <vector>

TEST(Keyboard, PressAndReleaseBetweenPollsReportEachOnce)
{
    ManualClock clock;
    Keyboard keyboard;
    keyboard.KeyDown(65);
    keyboard.KeyUp(65);
    EXPECT_FALSE(keyboard.IsDown(65));
    EXPECT_TRUE(keyboard.IsUp(65));
    EXPECT_TRUE(keyboard.Pressed(65));
    EXPECT_FALSE(keyboard.Pressed(65));
    EXPECT_TRUE(keyboard.Released(65));
    EXPECT_FALSE(keyboard.Released(65));
}

TEST(Keyboard, KeyUpWithoutKeyDownRaisesNothing)
{
    Keyboard keyboard;
    keyboard.KeyUp(32);
    EXPECT_FALSE(keyboard.Released(32));
    EXPECT_FALSE(keyboard.Pressed(32));
    EXPECT_FALSE(keyboard.AnyKey());
}

TEST(Keyboard, KeysOutsideTheRangeChangeNothingAndAreNeverUp)
{
    Keyboard keyboard;
    for (int key : {-1, 256, 100000}) {
        keyboard.KeyDown(key);
        EXPECT_FALSE(keyboard.IsDown(key));
        EXPECT_FALSE(keyboard.IsUp(key));
        EXPECT_FALSE(keyboard.Pressed(key));
        keyboard.KeyUp(key);
        EXPECT_FALSE(keyboard.Released(key));
    }
    EXPECT_FALSE(keyboard.AnyKey());
}

TEST(Keyboard, HeldKeyPolledEveryTenMillisecondsRepeatsWithTheStrictComparison)
{
    ManualClock clock(0);
    Keyboard keyboard;
    keyboard.KeyDown(27);
    std::vector<uint32_t> reports;
    for (uint32_t t = 0; t <= 1000; t += 10) {
        clock.Set(t);
        if (keyboard.Pressed(27))
            reports.push_back(t);
    }
    EXPECT_EQ(reports, (std::vector<uint32_t>{0, 310, 420, 530, 640, 750, 860, 970}));
}

TEST(Keyboard, TypematicRepeatsRaiseAnyKeyButNotPressed)
{
    ManualClock clock(0);
    Keyboard keyboard;
    keyboard.KeyDown(40);
    EXPECT_TRUE(keyboard.AnyKey());
    EXPECT_TRUE(keyboard.Pressed(40));
    clock.Set(50);
    keyboard.KeyDown(40); // the system's repeat
    EXPECT_TRUE(keyboard.AnyKey());
    EXPECT_FALSE(keyboard.Pressed(40)); // deadline kept at 300
    clock.Set(301);
    EXPECT_TRUE(keyboard.Pressed(40));
}

TEST(Keyboard, ResetClearsEveryTable)
{
    Keyboard keyboard;
    keyboard.KeyDown(10);
    keyboard.Reset();
    EXPECT_FALSE(keyboard.IsDown(10));
    EXPECT_FALSE(keyboard.Pressed(10));
    EXPECT_FALSE(keyboard.AnyKey());
}
