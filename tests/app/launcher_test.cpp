// launcher_test.cpp - what the launcher's controls do to the settings, and where its windows go.
#include <gtest/gtest.h>

#include "app/launcher_logic.h"
#include "app/window.h"

static LaunchSettings closedAfter(std::initializer_list<int> clicks) {
    LaunchSettings s = launcherCreated();
    for (int control : clicks)
        if (launcherClick(s, control)) break;
    launcherDestroyed(s);
    return s;
}

TEST(Launcher, StartCancelAndClose) {
    LaunchSettings start = closedAfter({kControlStart});
    EXPECT_EQ(start.start, 1u);
    EXPECT_EQ(start.width, 1280);
    EXPECT_EQ(start.height, 720);
    EXPECT_TRUE(start.fullScreen && start.vsync && start.antialias && start.music);

    // Cancel, whatever else was changed; closing the window without a button is the same.
    EXPECT_EQ(closedAfter({kControlMusic, kControlAA, kControlCancel}).start, 0u);
    EXPECT_EQ(closedAfter({kControlVSync}).start, 0u);
    EXPECT_EQ(closedAfter({}).width, 1280);

    // Nothing after the start button counts: the launcher is closed.
    LaunchSettings s = launcherCreated();
    EXPECT_FALSE(launcherClick(s, kControlMusic));
    EXPECT_TRUE(launcherClick(s, kControlStart));
    EXPECT_EQ(s.music, 0);
}

TEST(Launcher, OptionsToggleEachTimeAndOnlyTheirOwn) {
    const int options[] = {kControlFullScreen, kControlVSync, kControlAA, kControlMusic};
    for (int option : options) {
        SCOPED_TRACE(option);
        LaunchSettings once = closedAfter({option, kControlStart});
        const uint8_t flags[] = {once.fullScreen, once.vsync, once.antialias, once.music};
        for (int k = 0; k < 4; ++k) EXPECT_EQ(flags[k], options[k] == option ? 0 : 1);
        LaunchSettings twice = closedAfter({option, option, kControlStart});
        EXPECT_TRUE(twice.fullScreen && twice.vsync && twice.antialias && twice.music);
    }
    // The one entry of the resolution list, or anything that is not a control, changes nothing.
    LaunchSettings s = closedAfter({kControlResolution, 0, 8, -1, kControlStart});
    EXPECT_EQ(s.start, 1u);
    EXPECT_TRUE(s.fullScreen && s.vsync && s.antialias && s.music);
    EXPECT_EQ(s.width, 1280);
}

TEST(Launcher, WindowsAreCentredBySignedHalving) {
    WindowPlacement big = centredPlacement(1920, 1080, 1280, 720);
    EXPECT_EQ(big.x, 320);
    EXPECT_EQ(big.y, 180);
    WindowPlacement small = centredPlacement(1024, 768, 1280, 720); // may start off screen
    EXPECT_EQ(small.x, -128);
    EXPECT_EQ(small.y, 24);
    WindowPlacement odd = centredPlacement(1023, 767, 190, 120); // halves round towards minus infinity
    EXPECT_EQ(odd.x, 416);
    EXPECT_EQ(odd.y, 323);
    EXPECT_EQ(centredPlacement(1279, 720, 1280, 720).x, -1);
}
