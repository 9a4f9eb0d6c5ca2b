// The paused player's wait: it sleeps in short steps until a key or a window
// event waits, the caller's look finds something, or a second has passed;
// events the player never acts on neither wake it nor stay queued.
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdint>

#include "author/PausedWait.h"

namespace {

struct FakeTime {
    int64_t now = 0;
    int sleeps = 0;
    int looks = 0;
};

PausedWait::Hooks HooksOn(FakeTime& time, int foundAtLook = -1) {
    return PausedWait::Hooks{[&time] { return time.now; },
                             [&time](int64_t ns) {
                                 time.now += ns;
                                 ++time.sleeps;
                             },
                             [&time, foundAtLook] { return ++time.looks == foundAtLook; }};
}

void Push(Uint8 type) {
    SDL_Event event{};
    event.type = type;
    if (type == SDL_KEYDOWN) {
        event.key.keysym.sym = SDLK_PERIOD;
    }
    ASSERT_EQ(SDL_PushEvent(&event), 0);
}

TEST(PausedWait, SleepsUntilAKeyALookOrTheRedrawSecond) {
    ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
    ASSERT_NE(SDL_SetVideoMode(64, 64, 0, 0), nullptr) << SDL_GetError();
    SDL_Event stale;
    while (SDL_PollEvent(&stale) != 0) {
    }

    // Nothing happens, not even a mouse moving over the window: one redraw a
    // second, in sleeps of kLookNs, and the motion is thrown away.
    FakeTime quiet;
    Push(SDL_MOUSEMOTION);
    EXPECT_EQ(PausedWait::Wait(HooksOn(quiet)), PausedWait::Woken::Clock);
    EXPECT_EQ(quiet.now, PausedWait::kRedrawNs);
    EXPECT_EQ(quiet.sleeps, static_cast<int>(PausedWait::kRedrawNs / PausedWait::kLookNs));
    EXPECT_EQ(SDL_PeepEvents(&stale, 1, SDL_PEEKEVENT, SDL_ALLEVENTS), 0);

    // A command or a save found by the look.
    FakeTime command;
    EXPECT_EQ(PausedWait::Wait(HooksOn(command, 3)), PausedWait::Woken::Outside);
    EXPECT_EQ(command.sleeps, 2);

    // A key wakes it at once and stays queued for the frame loop.
    FakeTime key;
    Push(SDL_KEYDOWN);
    EXPECT_EQ(PausedWait::Wait(HooksOn(key)), PausedWait::Woken::Event);
    EXPECT_EQ(key.sleeps, 0);
    SDL_Event waiting;
    ASSERT_EQ(SDL_PollEvent(&waiting), 1);
    EXPECT_EQ(waiting.type, SDL_KEYDOWN);
    SDL_Quit();
}

}  // namespace
