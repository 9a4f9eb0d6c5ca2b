// What a paused editing player does between its frames: nothing, until
// something would change the window. It looks every kLookNs for a key or a
// window event, and for what else may come (a remote command, a settled
// save: the caller's look), and lets the window be drawn again at least every
// kRedrawNs (the overlay's clock). Drawing an unchanged picture over and over
// would keep a core busy for nothing.
//
// Events the player never acts on (mouse motion, key releases) are thrown
// away while it waits, so that they neither wake it nor fill SDL's queue.
#ifndef HALVENOR_AUTHOR_PAUSEDWAIT_H
#define HALVENOR_AUTHOR_PAUSEDWAIT_H

#include <cstdint>
#include <functional>

class PausedWait {
public:
    static constexpr int64_t kLookNs = 20000000;
    static constexpr int64_t kRedrawNs = 1000000000;

    enum class Woken {
        Event,    // a key, a close or an uncovered window waits in SDL's queue
        Outside,  // the look found something and acted on it
        Clock,    // kRedrawNs passed
    };

    struct Hooks {
        std::function<int64_t()> now;            // real time, ns
        std::function<void(int64_t)> sleep;      // ns
        std::function<bool()> look;              // true when it changed something
    };

    static Woken Wait(const Hooks& hooks);
    // Whether SDL's queue holds an event the frame loop acts on (after
    // throwing the others away).
    static bool EventWaiting();
};

#endif
