// The editing player (halvenor --edit): the frame loop's sink that plays the
// show on the virtual clock paced to real time, and the controller that
// seeks, pauses, steps, loops and changes speed through AuthorControl.
//
// "The show at time T" is one thing: what halvenor-capture shows at music
// time T. A seek rewinds the show to its just-loaded state and runs it up
// along the capture's path to the picture on screen at T (ShowTimeline), the
// blur's feedback from the capture's own (FeedbackHistory), then it plays on
// from there in real time, the music with it. The loop's start is kept as a
// whole state (pixel buffers included), so that jumping back costs one
// restore. Paused, it waits for something to change (PausedWait).
//
// Calls come from the frame loop's thread, between frames (keys, or a
// remote control polled there).
#ifndef HALVENOR_AUTHOR_AUTHORMODE_H
#define HALVENOR_AUTHOR_AUTHORMODE_H

#include <cstdint>
#include <string>
#include <vector>

#include "author/FeedbackHistory.h"
#include "author/LiveReload.h"
#include "author/AuthorControl.h"
#include "author/AuthorOptions.h"
#include "core/FrameSink.h"
#include "author/HeldFrame.h"
#include "author/PlayPace.h"
#include "author/ShowState.h"
#include "author/ShowTimeline.h"
#include "author/RemoteControl.h"
#include "author/AuthorOverlay.h"
#include "author/AuthorNotice.h"
#include "author/RocketLink.h"
#include "platform/ControlServer.h"

class AuthorMode : public FrameSink, public AuthorControl {
public:
    // Real time, for pacing the virtual clock; tests hand in their own.
    using WallClock = PlayPace::WallClock;

    explicit AuthorMode(const AuthorOptions& options, WallClock* wall = nullptr);
    ~AuthorMode() override;

    // Before the show loads: the virtual clock, the music keeping time on
    // it, and the capture's random seed.
    static void UseAuthorTime();

    // What the show checker found at start, for the overlay and Status.
    void SetFindings(int errors, int warnings, const std::vector<std::string>& lines);
    bool OverlayShown() const { return overlayShown; }
    AuthorOverlayInfo OverlayInfo() const;

    // 2 when the options ask for a time outside the show (Message says
    // which), else 0.
    int ExitCode() const { return exitCode; }
    const std::string& Message() const { return message; }
    const ShowTimeline& Timeline() const { return timeline; }
    const FeedbackHistory& History() const { return history; }
    // Where the last seek's time went: bringing the show back to its loaded
    // state, then running it up through `walked` pictures, `drawn` of them
    // drawn.
    struct SeekCost {
        double rewindMs;
        double runUpMs;
        int64_t walked;
        int64_t drawn;
    };
    SeekCost LastSeekCost() const { return lastSeek; }

    // FrameSink
    bool ShowStarted(Engine& engine) override;
    FramePlan BeginFrame(Engine& engine) override;
    void PictureComposed(Engine& engine) override;
    bool ShowEnded(Engine& engine) override;
    bool FrameComposed(Engine& engine) override;
    bool KeyPressed(Engine& engine, int key, int modifiers) override;
    void LoopEnded(Engine& engine) override;

    // AuthorControl
    bool Seek(double seconds, std::string* error) override;
    void SetPaused(bool paused) override;
    bool Step(int frames, std::string* error) override;
    bool SetLoop(double start, double end, std::string* error) override;
    void ClearLoop() override;
    bool SetSpeed(double speed, std::string* error) override;
    bool Reload(std::string* error) override;
    AuthorStatus Status() const override;
    void Quit() override;

    // The remote control's port once listening (--listen), else 0.
    int ListenPort() const { return server.Port(); }
    // Opens the port --listen asks for ahead of the show, so that a busy
    // port is said before anything is read or logged; ShowStarted opens it
    // otherwise. False with why in *error.
    bool OpenRemote(std::string* error);

    // Rewinds the show and runs it up to a picture of the timeline, which
    // the next frame composes.
    void SeekToPicture(int64_t picture);
    // The same, for a music time: the picture on screen then, with the
    // music and the clocks going on from that time.
    void SeekToTime(int64_t timeNs);

private:
    // Where the player is, besides the show's own state.
    struct Place {
        bool pendingStep;  // composed and held, not yet stepped
        bool needCompose;  // the next frame composes the show where it is
        bool atEnd;
        bool onTimeline;   // the picture composed next is a timeline picture
        int64_t shownNs;   // music time of the picture on screen
        int64_t targetNs;  // music time a seek asked for: the clock moves
                           // there once its picture is composed
    };

    double ShowEndSeconds() const;
    double Now() const;
    bool InsideShow(double seconds, std::string* error) const;
    void SeekClamped(double seconds);
    void JumpToLoopStart();
    void RunUpBegins();
    void RunUpEnds();
    void WaitWhilePaused();
    bool AnswerOutside();
    void LeaveLoopFor(double seconds);
    void ReadScriptLines();
    // What a settled save or a reload by hand found: findings shown, or the
    // plan carried out.
    bool TakeReload(LiveReload::Outcome outcome, const ReloadPlan& plan, std::string* error);
    void ReloadScript();
    // The whole show released and built again from preconfig.txt in the
    // open window, then brought to where it was.
    void RebuildShow();
    // Each changed picture loaded again into the textures made from it;
    // false when one of them has no texture to take it (the show is then
    // built again).
    bool ReloadTextures(const std::vector<std::string>& files);
    // The changed scenes read again in their places (with the changed
    // pictures and the script, when they changed too), the rest of the show
    // kept; false when one could not be, and the show is then built again.
    bool ReloadScenes(const ReloadPlan& plan);
    // The show just (re)built becomes the rewind point and its timeline;
    // the player then goes back to the loop's start or the time given.
    // What was kept of the pictures before changedFrom (music seconds)
    // stays.
    void Rewound(double at, double changedFrom = 0.0);
    void SpeedStep(int direction);
    void LoopKey(bool start);

    AuthorOptions options;
    PlayPace pace;
    Engine* engine;
    ShowTimeline timeline;
    FeedbackHistory history;
    ShowState loaded;
    ShowState loopStart;
    HeldFrame held;
    AuthorOverlay overlay;
    bool overlayReady;
    Place place;
    Place loopPlace;
    FramePlan lastPlan;
    bool paused;
    double speed;
    bool loopSet;
    double loopA;
    double loopB;
    bool haveMarkA;
    double markA;
    bool overlayShown;
    bool quit;
    int exitCode;
    std::string message;
    SeekCost lastSeek;
    int errorCount;
    int warningCount;
    bool reloaded;
    bool reloadOk;
    // A key woke the last paused wait: the next frame is drawn at once.
    bool drawAgain;
    std::vector<std::string> findingLines;
    std::vector<std::string> scriptLines;
    std::string showDirectory;
    ControlServer server;
    RemoteControl remote;
    LiveReload live;
    // "reloaded (what)" on the overlay for a moment after a reload.
    AuthorNotice notice;
    RocketLink rocket;
};

#endif
