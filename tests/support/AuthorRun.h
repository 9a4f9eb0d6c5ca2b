// The editing player run inside a test: the author mode wrapped in a sink
// that hands every presented frame, read back from the window, to a callback
// that may act on the player (seek, pause, set a loop) before the next frame;
// and a wall clock that moves only when told to, so that pacing never waits.
#ifndef HALVENOR_TESTS_SUPPORT_AUTHORRUN_H
#define HALVENOR_TESTS_SUPPORT_AUTHORRUN_H

#include <cstdint>
#include <functional>

#include "author/AuthorMode.h"
#include "core/FrameSink.h"
#include "tests/support/CaptureRun.h"

namespace TestSupport {

class FakeWallClock : public AuthorMode::WallClock {
public:
    int64_t NowNs() override { return now; }
    void SleepNs(int64_t nanoseconds) override { now += nanoseconds; }
    int64_t now = 1000000000;
};

// Frame n is read back and given to onFrame(n, picture); false ends the show.
class AuthorRun : public FrameSink {
public:
    using OnFrame = std::function<bool(int frame, const Picture& picture)>;

    AuthorRun(AuthorMode& mode, OnFrame onFrame) : mode(mode), onFrame(std::move(onFrame)) {}

    bool ShowStarted(Engine& engine) override { return mode.ShowStarted(engine); }
    FramePlan BeginFrame(Engine& engine) override { return mode.BeginFrame(engine); }
    void PictureComposed(Engine& engine) override { mode.PictureComposed(engine); }
    bool ShowEnded(Engine& engine) override { return mode.ShowEnded(engine); }
    bool TakesKeys() const override { return mode.TakesKeys(); }
    bool KeyPressed(Engine& engine, int key, int modifiers) override {
        return mode.KeyPressed(engine, key, modifiers);
    }
    void LoopEnded(Engine& engine) override {
        shownEngine = &engine;
        mode.LoopEnded(engine);
    }
    bool FrameComposed(Engine& engine) override;

    // Runs the show of the working directory; answers Application::Run's
    // status. Switches the author's clock on before and off after, and frees
    // the display the show opened, so that a test may play several shows.
    int Run();

private:
    AuthorMode& mode;
    OnFrame onFrame;
    int frame = 0;
    Engine* shownEngine = nullptr;
};

// The window's back buffer, rows from the top down.
Picture ReadWindow();

}  // namespace TestSupport

#endif
