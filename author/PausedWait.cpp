#include "author/PausedWait.h"

#include <SDL.h>

#include <algorithm>

namespace {

constexpr Uint32 kWakingEvents = SDL_KEYDOWNMASK | SDL_QUITMASK | SDL_VIDEOEXPOSEMASK | SDL_VIDEORESIZEMASK |
                                 SDL_ACTIVEEVENTMASK;
constexpr int kDropAtOnce = 64;

}  // namespace

bool PausedWait::EventWaiting() {
    SDL_PumpEvents();
    SDL_Event dropped[kDropAtOnce];
    while (SDL_PeepEvents(dropped, kDropAtOnce, SDL_GETEVENT, SDL_ALLEVENTS & ~kWakingEvents) == kDropAtOnce) {
    }
    SDL_Event waiting;
    return SDL_PeepEvents(&waiting, 1, SDL_PEEKEVENT, kWakingEvents) > 0;
}

PausedWait::Woken PausedWait::Wait(const Hooks& hooks) {
    const int64_t until = hooks.now() + kRedrawNs;
    for (;;) {
        if (EventWaiting()) {
            return Woken::Event;
        }
        if (hooks.look()) {
            return Woken::Outside;
        }
        const int64_t now = hooks.now();
        if (now >= until) {
            return Woken::Clock;
        }
        hooks.sleep(std::min(kLookNs, until - now));
    }
}
