// Work arena: placement of reservations, the warning threshold, refusal past the region's end.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "base/arena.h"

static int warnings = 0;
static void countWarning(const char* text) {
    EXPECT_STREQ(text, "memory over!!!");
    warnings++;
}

class ArenaTest : public ::testing::Test {
  protected:
    WorkArena arena{};
    void SetUp() override {
        arenaInitOn(arena);
        warnings = 0;
        arenaSetWarningHandler(countWarning);
    }
    void TearDown() override {
        arenaSetWarningHandler(nullptr);
        arenaReleaseOn(arena);
    }
};

TEST_F(ArenaTest, ReservationsFollowEachOtherUnalignedAndZeroFilled) {
    uint8_t* first = static_cast<uint8_t*>(arenaReserveOn(arena, 8));
    EXPECT_EQ(first, arena.mainBase);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(first) % 32, 0u);
    uint8_t* second = static_cast<uint8_t*>(arenaReserveOn(arena, 14828));
    uint8_t* third = static_cast<uint8_t*>(arenaReserveOn(arena, 1));
    EXPECT_EQ(second, first + 8);
    EXPECT_EQ(third, first + 14836);
    // Zero bytes: the current position, cursor unchanged.
    uint8_t* none = static_cast<uint8_t*>(arenaReserveOn(arena, 0));
    EXPECT_EQ(none, third + 1);
    EXPECT_EQ(arenaReserveOn(arena, 4), none);
    for (uint32_t i = 0; i < 14828; i++) ASSERT_EQ(second[i], 0) << "byte " << i;
    EXPECT_EQ(warnings, 0);
}

TEST_F(ArenaTest, WarnsOnEveryReservationStartingPastTheThreshold) {
    arenaReserveOn(arena, kArenaWarnBytes); // cursor exactly at the threshold: no warning yet
    arenaReserveOn(arena, 0);
    EXPECT_EQ(warnings, 0);
    arenaReserveOn(arena, 1); // this one carries the cursor past it, silently
    EXPECT_EQ(warnings, 0);
    arenaReserveOn(arena, 16);
    arenaReserveOn(arena, 16);
    EXPECT_EQ(warnings, 2);
}

TEST_F(ArenaTest, FrameResetClearsTheFrameCursor) {
    arena.frameCursor = 1234;
    frameArenaResetOn(arena);
    EXPECT_EQ(arena.frameCursor, 0u);
}

TEST(ArenaDeathTest, ReservationPastTheRegionEndsTheProgram) {
    WorkArena arena{};
    arenaInitOn(arena);
    arenaSetWarningHandler([](const char*) {});
    arenaReserveOn(arena, kArenaRegionBytes - 64);
    EXPECT_EQ(arenaReserveOn(arena, 64), arena.mainBase + kArenaRegionBytes - 64); // exactly fills it
    EXPECT_EXIT(arenaReserveOn(arena, 1), ::testing::ExitedWithCode(1), "work arena exhausted");
    arenaSetWarningHandler(nullptr);
    arenaReleaseOn(arena);
}
