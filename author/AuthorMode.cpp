#include "author/AuthorMode.h"

#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cmath>
#include <cstdio>

#include "author/PausedWait.h"
#include "author/ScriptChange.h"
#include "capture/CaptureSink.h"
#include "config/Script.h"
#include "core/Application.h"
#include "core/Display.h"
#include "core/Engine.h"
#include "core/ShaderLayerLoader.h"
#include "platform/Bass.h"
#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "platform/Random.h"
#include "scene/Scene.h"
#include "scene/TextureCache.h"
#include "sound/SoundStream.h"

namespace {

constexpr double kNsPerSecond = 1e9;
constexpr double kSpeeds[] = {0.25, 0.5, 1.0, 2.0};
constexpr int kSpeedCount = sizeof kSpeeds / sizeof kSpeeds[0];
constexpr size_t kOverlayEvents = 5;
constexpr size_t kOverlayFindings = 3;
constexpr double kKeptMargin = 0.001;
constexpr double kShortSeek = 1.0;
constexpr double kLongSeek = 10.0;
const char* const kPreconfigFile = "preconfig.txt";

int64_t ToNs(double seconds) { return static_cast<int64_t>(std::llround(seconds * kNsPerSecond)); }

bool HasMusic(const Engine& engine) { return engine.sound != nullptr && engine.sound->handle != 0; }

// Events the driver has applied: the one it holds is still due, unless the
// script has run out.
int32_t FiredCount(const Engine& engine) {
    if (engine.script == nullptr) {
        return 0;
    }
    const int32_t cursor = std::min(engine.script->cursor, engine.script->Count());
    if (std::isinf(engine.nextEvent.time)) {
        return cursor;
    }
    return std::max(cursor - 1, 0);
}

std::string WorkingDirectory() {
    const std::string path = Platform::CurrentDirectory();
    return !path.empty() ? path : std::string(".");
}

}  // namespace

AuthorMode::AuthorMode(const AuthorOptions& options_, WallClock* wall_)
    : options(options_),
      pace(wall_),
      engine(nullptr),
      overlayReady(false),
      place{false, false, false, false, 0, 0},
      loopPlace{false, false, false, false, 0, 0},
      lastPlan(FramePlan::ComposeAndStep),
      paused(false),
      speed(1.0),
      loopSet(false),
      loopA(0.0),
      loopB(0.0),
      haveMarkA(false),
      markA(0.0),
      overlayShown(options_.overlay),
      quit(false),
      exitCode(0),
      lastSeek{0.0, 0.0, 0, 0},
      errorCount(0),
      warningCount(0),
      reloaded(false),
      reloadOk(true),
      drawAgain(false),
      remote(*this),
      rocket(*this) {}

AuthorMode::~AuthorMode() = default;

void AuthorMode::UseAuthorTime() {
    Platform::UseVirtualClock(true);
    Platform::UseClockPosition(true);
    Platform::SeedRand(Platform::kCaptureRandomSeed);
}

void AuthorMode::SetFindings(int errors, int warnings, const std::vector<std::string>& lines) {
    errorCount = errors;
    warningCount = warnings;
    findingLines = lines;
}

double AuthorMode::ShowEndSeconds() const { return engine != nullptr ? CaptureSink::ShowEnd(*engine) : -1.0; }

double AuthorMode::Now() const { return static_cast<double>(place.shownNs) / kNsPerSecond; }

bool AuthorMode::ShowStarted(Engine& engine_) {
    engine = &engine_;
    showDirectory = WorkingDirectory();
    ReadScriptLines();
    const double end = ShowEndSeconds();
    if (!AuthorOptions::CheckTimes(options, end, message)) {
        exitCode = 2;
        return false;
    }
    // The show plays without the overlay when no font can be read.
    std::string fontProblem;
    overlayReady = overlay.Init("", &fontProblem);
    if (!overlayReady) {
        std::fprintf(stderr, "halvenor: the author overlay cannot be drawn: %s\n", fontProblem.c_str());
    }
    // The show as loaded is the rewind point; one run without drawing finds
    // the time of every picture.
    RunUpBegins();
    loaded.Take(*engine, true);
    timeline.Build(*engine, end > 0.0 ? ToNs(end) : 0);
    RunUpEnds();
    speed = options.speed;
    if (HasMusic(*engine)) {
        engine->sound->SetSpeed(speed);
    }
    SeekToTime(ToNs(options.at));
    if (options.loopSet) {
        SetLoop(options.loopStart, options.loopEnd, nullptr);
    }
    SetPaused(options.pause);
    // What the show loads is watched from now on; a save is read once it
    // has settled.
    live.Start();
    if (options.listen && !server.Listening() && !OpenRemote(&message)) {
        exitCode = 2;
        return false;
    }
    rocket.Start(*engine, options);
    pace.Anchor();
    return true;
}

bool AuthorMode::OpenRemote(std::string* error) {
    return !options.listen || server.Listen(options.listenHost, options.listenPort, error);
}

void AuthorMode::ReadScriptLines() {
    scriptLines.clear();
    if (engine->script == nullptr) {
        return;
    }
    FILE* file = Platform::OpenFile(engine->scriptFileName, "r");
    if (file == nullptr) {
        return;
    }
    char line[Script::kLineLimit + 1];
    while (Platform::ReadTextLine(line, sizeof line, file) != nullptr) {
        std::string text(line);
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) {
            text.pop_back();
        }
        scriptLines.push_back(text);
    }
    std::fclose(file);
}

// The music keeps time on the clock only while it plays, and the run-up
// moves the clock in bursts nobody should hear.
void AuthorMode::RunUpBegins() {
    if (!HasMusic(*engine)) {
        return;
    }
    BASS_Stop();
    if (paused) {
        engine->sound->Resume();
    }
}

void AuthorMode::RunUpEnds() {
    if (!HasMusic(*engine)) {
        return;
    }
    if (paused) {
        engine->sound->Pause();
    }
    BASS_Start();
}

void AuthorMode::SeekToPicture(int64_t picture) { SeekToTime(timeline.LabelNs(picture)); }

void AuthorMode::SeekToTime(int64_t timeNs) {
    if (engine == nullptr) {
        return;
    }
    const int64_t picture = timeline.PictureAt(timeNs);
    const auto began = std::chrono::steady_clock::now();
    RunUpBegins();
    loaded.Restore(*engine);
    const auto rewound = std::chrono::steady_clock::now();
    history.RunUpTo(*engine, timeline, picture, &lastSeek.drawn);
    RunUpEnds();
    const auto ran = std::chrono::steady_clock::now();
    lastSeek.rewindMs = std::chrono::duration<double, std::milli>(rewound - began).count();
    lastSeek.runUpMs = std::chrono::duration<double, std::milli>(ran - rewound).count();
    lastSeek.walked = picture;
    const int64_t target = std::max(timeNs, timeline.TimeNs(picture));
    place = Place{false, true, false, true, target, target};
    pace.Anchor();
}

FramePlan AuthorMode::BeginFrame(Engine& /*engine*/) {
    lastPlan = FramePlan::ComposeAndStep;
    if (paused && !place.needCompose) {
        WaitWhilePaused();
    }
    if (place.needCompose) {
        place.needCompose = false;
        // The key that woke the wait is shown by this picture.
        drawAgain = false;
        if (paused) {
            // Composed once and held: the show steps when it plays again.
            place.pendingStep = true;
            lastPlan = FramePlan::ComposeOnly;
        }
        return lastPlan;
    }
    if (paused) {
        held.Draw();
        lastPlan = FramePlan::Hold;
        return lastPlan;
    }
    if (place.pendingStep) {
        place.pendingStep = false;
        if (engine->RunDemoStep() == -1) {
            ShowEnded(*engine);
            held.Draw();
            lastPlan = FramePlan::Hold;
            return lastPlan;
        }
        pace.Pace(speed);
    }
    return lastPlan;
}

void AuthorMode::PictureComposed(Engine& engine_) {
    held.Keep(static_cast<int>(engine_.display->Width()), static_cast<int>(engine_.display->Height()));
    // A picture of the timeline keeps its exact time; a picture played in
    // real time is where the music is.
    if (place.onTimeline) {
        // Composed at its own time, as in a capture; the clocks then go on
        // from the time asked for.
        place.onTimeline = false;
        Platform::SetVirtualTimeNs(timeline.OriginNs() + place.targetNs);
        if (HasMusic(engine_)) {
            engine_.sound->SetPosition(static_cast<double>(place.targetNs) / kNsPerSecond);
        }
        pace.Anchor();
    } else {
        place.shownNs = ToNs(engine_.MusicTime());
    }
}

bool AuthorMode::ShowEnded(Engine& /*engine*/) {
    // A loop that reaches the end goes round; otherwise the author stays at
    // the end to look at it, rather than losing the show.
    if (loopSet && !paused) {
        JumpToLoopStart();
        return true;
    }
    place.atEnd = true;
    if (!paused) {
        paused = true;
        if (HasMusic(*engine)) {
            engine->sound->Pause();
        }
    }
    return true;
}

// A key that woke the last wait is acted on after that frame: the frame
// after it shows what the key did.
void AuthorMode::WaitWhilePaused() {
    if (drawAgain) {
        drawAgain = false;
        return;
    }
    const PausedWait::Hooks hooks{[this] { return pace.Wall().NowNs(); }, [this](int64_t ns) { pace.Wall().SleepNs(ns); },
                                  [this] { return AnswerOutside(); }};
    drawAgain = PausedWait::Wait(hooks) == PausedWait::Woken::Event;
}

// Between frames, like the keys: commands of the remote control, then saves
// that have settled. True when either came.
bool AuthorMode::AnswerOutside() {
    bool came = false;
    server.Poll([this, &came](const std::string& line) {
        came = true;
        return remote.Answer(line);
    });
    if (rocket.Poll()) {
        came = true;
    }
    ReloadPlan plan;
    const LiveReload::Outcome outcome = live.Poll(plan);
    if (outcome != LiveReload::Outcome::Nothing) {
        TakeReload(outcome, plan, nullptr);
        came = true;
    }
    return came;
}

bool AuthorMode::FrameComposed(Engine& engine_) {
    pace.CountFrame();
    AnswerOutside();
    if (lastPlan == FramePlan::ComposeAndStep && !paused) {
        pace.Pace(speed);
        if (loopSet && static_cast<double>(engine_.MusicTime()) >= loopB) {
            JumpToLoopStart();
        }
    }
    if (overlayShown && overlayReady) {
        overlay.Draw(OverlayInfo(), static_cast<int>(engine_.display->Width()),
                     static_cast<int>(engine_.display->Height()));
    }
    return !quit;
}

void AuthorMode::LoopEnded(Engine& /*engine*/) {
    // The answer to a quit still goes out.
    server.Close();
    held.Release();
    overlay.Release();
}

bool AuthorMode::InsideShow(double seconds, std::string* error) const {
    const double end = ShowEndSeconds();
    const bool inside = end < 0.0 ? seconds == 0.0 : seconds >= 0.0 && seconds < end;
    if (!inside && error != nullptr) {
        char text[128];
        std::snprintf(text, sizeof text, "%.3f s is outside the show, which ends at %.3f s", seconds,
                      std::max(end, 0.0));
        *error = text;
    }
    return inside;
}

bool AuthorMode::Seek(double seconds, std::string* error) {
    if (!std::isfinite(seconds) || !InsideShow(seconds, error)) {
        return false;
    }
    LeaveLoopFor(seconds);
    SeekToTime(ToNs(seconds));
    return true;
}

void AuthorMode::SeekClamped(double seconds) {
    const double last = static_cast<double>(timeline.LabelNs(timeline.PictureCount() - 1)) / kNsPerSecond;
    const double to = std::clamp(seconds, 0.0, last);
    LeaveLoopFor(to);
    SeekToTime(ToNs(to));
}

// The author went elsewhere: a loop that would take the show back ends.
void AuthorMode::LeaveLoopFor(double seconds) {
    if (loopSet && (seconds < loopA || seconds >= loopB)) {
        loopSet = false;
    }
}

void AuthorMode::SetPaused(bool pause) {
    if (engine == nullptr || pause == paused) {
        return;
    }
    if (pause) {
        paused = true;
        if (HasMusic(*engine)) {
            engine->sound->Pause();
        }
        return;
    }
    paused = false;
    if (HasMusic(*engine)) {
        engine->sound->Resume();
    }
    if (place.atEnd) {
        // Playing on from the end starts the show (or its loop) again.
        if (loopSet) {
            JumpToLoopStart();
        } else {
            SeekToPicture(0);
        }
    }
    pace.Anchor();
}

bool AuthorMode::Step(int frames, std::string* error) {
    if (engine == nullptr || timeline.Empty()) {
        if (error != nullptr) {
            *error = "the show has no pictures to step through";
        }
        return false;
    }
    SetPaused(true);
    const int64_t current = timeline.PictureAt(place.shownNs);
    const int64_t target = std::clamp<int64_t>(current + frames, 0, timeline.PictureCount() - 1);
    LeaveLoopFor(static_cast<double>(timeline.LabelNs(target)) / kNsPerSecond);
    SeekToPicture(target);
    return true;
}

bool AuthorMode::SetLoop(double start, double end, std::string* error) {
    if (!std::isfinite(start) || !std::isfinite(end) || !InsideShow(start, error)) {
        return false;
    }
    const double showEnd = ShowEndSeconds();
    if (!(end > start) || (showEnd >= 0.0 && end > showEnd)) {
        if (error != nullptr) {
            *error = "a loop ends after its start and no later than the show";
        }
        return false;
    }
    // The loop's start is kept whole, so that every jump back is a restore.
    ShowState current;
    current.Take(*engine, true);
    const Place kept = place;
    SeekToTime(ToNs(start));
    loopStart.Take(*engine, true);
    loopPlace = place;
    RunUpBegins();
    current.Restore(*engine);
    RunUpEnds();
    place = kept;
    loopSet = true;
    loopA = start;
    loopB = end;
    pace.Anchor();
    return true;
}

void AuthorMode::JumpToLoopStart() {
    loopStart.Restore(*engine);
    place = loopPlace;
    pace.Anchor();
}

void AuthorMode::ClearLoop() { loopSet = false; }

bool AuthorMode::SetSpeed(double newSpeed, std::string* error) {
    if (!AuthorOptions::IsOfferedSpeed(newSpeed)) {
        if (error != nullptr) {
            *error = "the speeds are 0.25, 0.5, 1 and 2";
        }
        return false;
    }
    speed = newSpeed;
    if (engine != nullptr && HasMusic(*engine)) {
        engine->sound->SetSpeed(speed);
    }
    pace.Anchor();
    return true;
}

void AuthorMode::SpeedStep(int direction) {
    int index = 0;
    for (int i = 0; i < kSpeedCount; ++i) {
        if (kSpeeds[i] == speed) {
            index = i;
        }
    }
    index = std::clamp(index + direction, 0, kSpeedCount - 1);
    SetSpeed(kSpeeds[index], nullptr);
}

bool AuthorMode::Reload(std::string* error) {
    ReloadPlan plan;
    const LiveReload::Outcome outcome = live.ReloadNow(plan);
    return TakeReload(outcome, plan, error);
}

bool AuthorMode::TakeReload(LiveReload::Outcome outcome, const ReloadPlan& plan, std::string* error) {
    const std::string report = live.Report();
    reloaded = true;
    reloadOk = outcome != LiveReload::Outcome::Refused;
    if (outcome == LiveReload::Outcome::Refused) {
        // The show that plays goes on; the findings stay in view until a
        // save fixes them.
        std::fputs(report.c_str(), stderr);
        int errors = 0;
        std::vector<std::string> lines;
        for (size_t start = 0; start < report.size();) {
            const size_t end = report.find('\n', start);
            lines.push_back(report.substr(start, end == std::string::npos ? std::string::npos : end - start));
            errors += lines.back().find(": error: ") != std::string::npos ? 1 : 0;
            start = end == std::string::npos ? report.size() : end + 1;
        }
        SetFindings(errors, static_cast<int>(lines.size()) - errors, lines);
        if (error != nullptr) {
            *error = lines.empty() ? std::string("the show has errors") : lines.front();
        }
        return false;
    }
    SetFindings(0, live.FindingCount(), std::vector<std::string>());
    if (outcome == LiveReload::Outcome::Nothing) {
        return true;
    }
    if (plan.reopenWindow) {
        // The window stays: the old show plays on until the player starts
        // again. The change stays pending, so the next save says it again.
        const std::string notYet = "the LOAD DISPLAY line changed; restart halvenor --edit to see it";
        std::fprintf(stderr, "halvenor: %s\n", notYet.c_str());
        findingLines.push_back(notYet);
        reloadOk = false;
        if (error != nullptr) {
            *error = notYet;
        }
        return false;
    }
    ShaderLayerLoader::ReloadNamed(*engine, plan.shaders);
    if (plan.rebuild || !plan.particleSystems.empty()) {
        RebuildShow();
    } else if (!plan.scenes.empty()) {
        if (!ReloadScenes(plan)) {
            RebuildShow();
        }
    } else if (!ReloadTextures(plan.textures)) {
        RebuildShow();
    } else if (plan.script) {
        ReloadScript();
    } else if (!plan.textures.empty()) {
        // The pictures the pixel buffers hold were drawn with the old
        // textures: the show runs up to where it is again.
        history.Forget();
        if (loopSet && !SetLoop(loopA, loopB, nullptr)) {
            loopSet = false;
        }
        if (loopSet) {
            JumpToLoopStart();
        } else {
            SeekClamped(Now());
        }
    }
    live.Taken();
    notice.Show("reloaded (" + plan.Describe() + ")", pace.Wall().NowNs());
    return true;
}

// The script read again and its events run up to where the show is: the
// show is rewound to its loaded state, takes the new script there (the
// markers recorded so far kept), and becomes the new rewind point, so that
// scenes and textures are never read again.
void AuthorMode::ReloadScript() {
    const double at = Now();
    const std::vector<ScriptEvent> before = ScriptChange::Events(engine->script);
    RunUpBegins();
    loaded.Restore(*engine);
    engine->ReloadScript();
    engine->script->NextEvent(engine->nextEvent);
    RunUpEnds();
    Rewound(at, ScriptChange::FirstDifference(before, ScriptChange::Events(engine->script)));
}

// Scenes, layers, particle systems, pixel buffers, music and script go and
// come back from the files; the window, its font, the console and the
// overlay stay, and so do the markers recorded.
void AuthorMode::RebuildShow() {
    const double at = Now();
    unsigned status = 0;
    if (!engine->ReloadShow(kPreconfigFile, &status)) {
        // The checker read the same files without errors, so this is rare:
        // the show plays as far as it was read.
        char text[160];
        std::snprintf(text, sizeof text, "%s could not be read again completely (it would have ended with %u)",
                      kPreconfigFile, status);
        std::fprintf(stderr, "halvenor: %s\n", text);
        findingLines.push_back(text);
    }
    // The start steps, as at start-up.
    Application::AdjustLandScene(*engine);
    engine->currentScene = 0;
    engine->Start();
    if (HasMusic(*engine)) {
        engine->sound->SetSpeed(speed);
        if (paused) {
            engine->sound->Pause();
        }
    }
    Rewound(at);
}

bool AuthorMode::ReloadTextures(const std::vector<std::string>& files) {
    for (const std::string& file : files) {
        if (TextureCache::Reload(file.c_str()) == 0) {
            return false;
        }
    }
    return true;
}

bool AuthorMode::ReloadScenes(const ReloadPlan& plan) {
    const double at = Now();
    // Back to the loaded state first: the new scenes take their places in it.
    RunUpBegins();
    loaded.Restore(*engine);
    // Pictures first, so that the new scenes find them loaded.
    bool done = ReloadTextures(plan.textures);
    for (const std::string& name : plan.scenes) {
        done = done && engine->ReloadScene(name.c_str(), kPreconfigFile);
    }
    Application::AdjustLandScene(*engine);
    if (done && plan.script) {
        engine->ReloadScript();
        engine->script->NextEvent(engine->nextEvent);
    }
    RunUpEnds();
    if (done) {
        Rewound(at);
    }
    return done;
}

void AuthorMode::Rewound(double at, double changedFrom) {
    RunUpBegins();
    loaded.Take(*engine, true);
    const double end = ShowEndSeconds();
    timeline.Build(*engine, end > 0.0 ? ToNs(end) : 0);
    RunUpEnds();
    // What came before the change is kept; a picture just before it may
    // already have stepped through it.
    if (std::isfinite(changedFrom)) {
        history.Forget(changedFrom > kKeptMargin ? timeline.PictureAt(ToNs(changedFrom - kKeptMargin)) : 0);
    }
    ReadScriptLines();
    // The loop's start is a whole state of the old show: taken again.
    if (loopSet && !SetLoop(loopA, loopB, nullptr)) {
        loopSet = false;
    }
    if (loopSet) {
        JumpToLoopStart();
    } else {
        SeekClamped(at);
    }
}

AuthorStatus AuthorMode::Status() const {
    AuthorStatus status;
    status.time = Now();
    status.paused = paused;
    status.speed = speed;
    status.loopSet = loopSet;
    status.loopStart = loopA;
    status.loopEnd = loopB;
    status.fps = pace.Fps();
    status.show = showDirectory;
    status.reloaded = reloaded;
    status.reloadOk = reloadOk;
    status.findings = errorCount + warningCount;
    rocket.Describe(status);
    return status;
}

void AuthorMode::Quit() { quit = true; }

AuthorOverlayInfo AuthorMode::OverlayInfo() const {
    AuthorOverlayInfo info;
    info.status = Status();
    info.frameMs = info.status.fps > 0.0 ? 1000.0 / info.status.fps : 0.0;
    if (engine != nullptr && engine->currentScene >= 0 && engine->currentScene < engine->sceneCount) {
        const Scene& scene = *engine->scenes[engine->currentScene];
        info.scene = scene.Name();
        info.camera = static_cast<int>(scene.currentCamera);
    }
    if (engine != nullptr && HasMusic(*engine)) {
        info.musicPosition = engine->sound->ModulePositionText();
    }
    if (engine != nullptr && engine->script != nullptr) {
        const int32_t fired = FiredCount(*engine);
        for (int32_t i = std::max<int32_t>(fired - static_cast<int32_t>(kOverlayEvents), 0); i < fired; ++i) {
            const ScriptEvent& event = engine->script->EventAt(i);
            AuthorOverlayEvent shown;
            shown.line = event.line;
            if (event.line > 0 && static_cast<size_t>(event.line) <= scriptLines.size()) {
                shown.text = scriptLines[static_cast<size_t>(event.line) - 1];
            } else {
                char text[64];
                std::snprintf(text, sizeof text, "marker %.3f", static_cast<double>(event.time));
                shown.text = text;
            }
            info.events.push_back(shown);
        }
    }
    for (size_t i = 0; i < findingLines.size() && i < kOverlayFindings; ++i) {
        info.findings.push_back(findingLines[i]);
    }
    info.notice = notice.Text(pace.Wall().NowNs());
    return info;
}

void AuthorMode::LoopKey(bool start) {
    const double now = Now();
    if (start) {
        markA = now;
        haveMarkA = true;
        if (loopSet) {
            if (loopB > now) {
                SetLoop(now, loopB, nullptr);
            } else {
                loopSet = false;
            }
        }
        return;
    }
    const double from = haveMarkA ? markA : (loopSet ? loopA : 0.0);
    if (now > from) {
        SetLoop(from, now, nullptr);
    }
}

bool AuthorMode::KeyPressed(Engine& /*engine*/, int key, int modifiers) {
    const double seek = (modifiers & KMOD_SHIFT) != 0 ? kLongSeek : kShortSeek;
    switch (key) {
        case SDLK_p:
            SetPaused(!paused);
            return true;
        case SDLK_LEFT:
            SeekClamped(Now() - seek);
            return true;
        case SDLK_RIGHT:
            SeekClamped(Now() + seek);
            return true;
        case SDLK_HOME:
            if (loopSet) {
                JumpToLoopStart();
            } else {
                SeekToPicture(0);
            }
            return true;
        case SDLK_COMMA:
            Step(-1, nullptr);
            return true;
        case SDLK_PERIOD:
            Step(1, nullptr);
            return true;
        case SDLK_LEFTBRACKET:
            LoopKey(true);
            return true;
        case SDLK_RIGHTBRACKET:
            LoopKey(false);
            return true;
        case SDLK_BACKSLASH:
            ClearLoop();
            haveMarkA = false;
            return true;
        case SDLK_MINUS:
            SpeedStep(-1);
            return true;
        case SDLK_EQUALS:
            SpeedStep(1);
            return true;
        case SDLK_t:
            overlayShown = !overlayShown;
            return true;
        case SDLK_r:
            Reload(nullptr);
            return true;
        default:
            return false;
    }
}
