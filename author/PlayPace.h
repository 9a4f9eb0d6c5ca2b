// Real time in the editing player: the virtual clock follows it at the
// chosen speed while the show plays, and the frames of the last half second
// give the frame rate. The wall clock is the system's steady clock unless one
// is handed in (tests move their own).
#ifndef HALVENOR_AUTHOR_PLAYPACE_H
#define HALVENOR_AUTHOR_PLAYPACE_H

#include <cstdint>
#include <deque>

class PlayPace {
public:
    class WallClock {
    public:
        virtual ~WallClock() = default;
        virtual int64_t NowNs() = 0;
        virtual void SleepNs(int64_t nanoseconds) = 0;
    };

    explicit PlayPace(WallClock* wall);
    ~PlayPace();
    PlayPace(const PlayPace&) = delete;
    PlayPace& operator=(const PlayPace&) = delete;

    // The clock itself is not part of the pace's state: reading it is no change.
    WallClock& Wall() const { return *wall; }
    // The virtual clock's time now goes with the wall clock's now.
    void Anchor();
    // The virtual clock brought to real time at the speed: moved on when a
    // step took longer, waited for when a scene's wait put it ahead.
    void Pace(double speed);
    void CountFrame();
    // Frames a second over the last half second; 0 before two frames.
    double Fps() const;

private:
    WallClock* wall;
    WallClock* ownWall;
    int64_t anchorWallNs = 0;
    int64_t anchorClockNs = 0;
    std::deque<int64_t> frameTimes;
};

#endif
