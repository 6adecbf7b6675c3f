// show_loop_test.cpp - the show's main loop over a scripted music source and event queue.
#include <gtest/gtest.h>

#include <deque>
#include <vector>

#include "data/scene_data.h"
#include "show/show_loop.h"

namespace {

// A music source that advances by a fixed step every time it is asked, an event queue, and a record of
// every frame drawn.
struct FakeShow {
    uint32_t position = 0;
    uint32_t step = 0;
    uint32_t musicEndMs = UINT32_MAX; // musicPlaying turns false once the position reaches it
    int escapeAfterChecks = -1;       // escapeHeld turns true at this check (-1 never)
    int escapeChecks = 0;
    std::deque<LoopEvent> events;
    std::vector<DemoClock> frames;
    int eventsTaken = 0;
};

FakeShow& fake(void* user) {
    return *static_cast<FakeShow*>(user);
}

MainLoopHooks hooksFor(FakeShow& show) {
    MainLoopHooks h = {};
    h.user = &show;
    h.escapeHeld = [](void* u) {
        return fake(u).escapeAfterChecks >= 0 && fake(u).escapeChecks++ >= fake(u).escapeAfterChecks;
    };
    h.musicPlaying = [](void* u) { return fake(u).position < fake(u).musicEndMs; };
    h.positionMs = [](void* u) {
        uint32_t p = fake(u).position;
        fake(u).position += fake(u).step;
        return p;
    };
    h.takeEvent = [](void* u) {
        FakeShow& s = fake(u);
        ++s.eventsTaken;
        if (s.events.empty()) return LoopEvent::none;
        LoopEvent e = s.events.front();
        s.events.pop_front();
        return e;
    };
    h.drawFrame = [](void* u, const DemoClock& c) { fake(u).frames.push_back(c); };
    return h;
}

} // namespace

TEST(MainLoop, ClockFollowsTheMusicToTheLastFrame) {
    FakeShow show;
    show.step = 1000; // one second per frame drawn
    EXPECT_EQ(runMainLoop(hooksFor(show), true, sceneTable), ShowEnd::lastFrame);
    ASSERT_EQ(show.frames.size(), 131u);   // 0 .. 130 s; 131 s is frame 7863, past the end
    EXPECT_EQ(show.frames[15].frame, 900); // 15000 ms
    EXPECT_EQ(show.frames[15].sceneIndex, 1);
    EXPECT_EQ(show.frames[15].localFrame, 0);
    EXPECT_EQ(show.frames[130].frame, 7803);
    EXPECT_EQ(show.frames[130].sceneIndex, kSceneCount - 1); // the last scene
    for (size_t i = 1; i < show.frames.size(); ++i) EXPECT_GT(show.frames[i].frame, show.frames[i - 1].frame);

    FakeShow exact;
    exact.position = 130481; // the last frame is drawn; 130482 ends the show without drawing
    exact.step = 1;
    EXPECT_EQ(runMainLoop(hooksFor(exact), true, sceneTable), ShowEnd::lastFrame);
    ASSERT_EQ(exact.frames.size(), 1u);
    EXPECT_EQ(exact.frames[0].frame, 7831);
    EXPECT_EQ(exact.frames[0].localFrame, 921);
}

TEST(MainLoop, EndOfMusicEscapeAndQuit) {
    FakeShow ended;
    ended.step = 20;
    ended.musicEndMs = 1000; // a module shorter than the show ends it
    EXPECT_EQ(runMainLoop(hooksFor(ended), true, sceneTable), ShowEnd::musicEnded);
    EXPECT_EQ(ended.frames.size(), 50u);

    FakeShow silent; // a module that never played: no frame at all
    silent.musicEndMs = 0;
    EXPECT_EQ(runMainLoop(hooksFor(silent), true, sceneTable), ShowEnd::musicEnded);
    EXPECT_TRUE(silent.frames.empty());

    FakeShow held; // Escape held when start-up finishes: nothing is drawn, no event is taken
    held.escapeAfterChecks = 0;
    EXPECT_EQ(runMainLoop(hooksFor(held), true, sceneTable), ShowEnd::escape);
    EXPECT_TRUE(held.frames.empty());
    EXPECT_EQ(held.eventsTaken, 0);

    FakeShow later; // Escape checked after every turn
    later.escapeAfterChecks = 4;
    EXPECT_EQ(runMainLoop(hooksFor(later), true, sceneTable), ShowEnd::escape);
    EXPECT_EQ(later.frames.size(), 4u);

    FakeShow pressed; // a press taken from the queue ends the show even if the key is up again
    pressed.events = {LoopEvent::other, LoopEvent::escape};
    EXPECT_EQ(runMainLoop(hooksFor(pressed), true, sceneTable), ShowEnd::escape);
    EXPECT_TRUE(pressed.frames.empty());

    FakeShow closed;
    closed.events = {LoopEvent::none, LoopEvent::quit};
    EXPECT_EQ(runMainLoop(hooksFor(closed), true, sceneTable), ShowEnd::quit);
    EXPECT_EQ(closed.frames.size(), 1u);
}

TEST(MainLoop, OneEventPerTurnAndMusicOffStandsStill) {
    FakeShow busy;
    busy.events = {LoopEvent::other, LoopEvent::other, LoopEvent::other, LoopEvent::none,
                   LoopEvent::other, LoopEvent::none,  LoopEvent::quit};
    EXPECT_EQ(runMainLoop(hooksFor(busy), true, sceneTable), ShowEnd::quit);
    EXPECT_EQ(busy.frames.size(), 2u); // only the two turns that found the queue empty
    EXPECT_EQ(busy.eventsTaken, 7);

    FakeShow off; // music off: never asked whether it plays; the position stays where it was put
    off.musicEndMs = 0;
    off.escapeAfterChecks = 100;
    EXPECT_EQ(runMainLoop(hooksFor(off), false, sceneTable), ShowEnd::escape);
    ASSERT_EQ(off.frames.size(), 100u);
    for (const DemoClock& c : off.frames) {
        EXPECT_EQ(c.frame, 0);
        EXPECT_EQ(c.sceneIndex, 0);
        EXPECT_EQ(c.localFrame, 0);
    }
}
