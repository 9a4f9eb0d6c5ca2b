// What drives a show in author mode: the keys of `halvenor --edit`, and the
// remote-control protocol, both call these. Times are music seconds; every
// jump in time lands on the picture the show has at that time when played
// from 0 on the virtual clock.
#ifndef HALVENOR_AUTHOR_AUTHORCONTROL_H
#define HALVENOR_AUTHOR_AUTHORCONTROL_H

#include <string>

// One look at the player, for an overlay or a status answer.
struct AuthorStatus {
    double time = 0.0;        // music seconds
    bool paused = false;
    double speed = 1.0;
    bool loopSet = false;
    double loopStart = 0.0;
    double loopEnd = 0.0;
    double fps = 0.0;         // averaged over the last half second
    std::string show;         // the show's directory
    bool reloaded = false;    // a reload has run since the start
    bool reloadOk = true;     // the last reload read the show without errors
    int findings = 0;         // the show checker's errors and warnings
    long long row = -1;       // the sync tracks' row at time; -1 without tracks
    std::string rocket = "off";  // the Rocket editor: off, waiting or connected
};

class AuthorControl {
public:
    virtual ~AuthorControl() = default;

    // Each answers false with a reason in *error when it refuses (a time
    // outside the show, a speed it does not offer, …); nothing changes then.
    virtual bool Seek(double seconds, std::string* error) = 0;
    virtual void SetPaused(bool paused) = 0;
    // Frames forward (positive) or back (negative), pausing the show.
    virtual bool Step(int frames, std::string* error) = 0;
    virtual bool SetLoop(double start, double end, std::string* error) = 0;
    virtual void ClearLoop() = 0;
    virtual bool SetSpeed(double speed, std::string* error) = 0;
    virtual bool Reload(std::string* error) = 0;
    virtual AuthorStatus Status() const = 0;
    virtual void Quit() = 0;
};

#endif
