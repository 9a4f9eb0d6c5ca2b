// The editing player's link to the Rocket editor (halvenor --edit --rocket):
// once a frame it hands the editor session the show's tracks, its row and
// whether it plays, and carries out what the editor asks: SET_ROW seeks to
// the row's time (the picture at that time, as any seek; a row past the
// show's end goes to its last picture), PAUSE pauses and plays, and keys
// changed while the show is paused are shown at once (the picture on screen
// is composed again at its time). What happens to the session goes to
// stderr; status gains row= and rocket=.
#ifndef HALVENOR_AUTHOR_ROCKETLINK_H
#define HALVENOR_AUTHOR_ROCKETLINK_H

#include "author/AuthorControl.h"
#include "sync/RocketClient.h"

class Engine;
struct AuthorOptions;

class RocketLink {
public:
    explicit RocketLink(AuthorControl& control);
    RocketLink(const RocketLink&) = delete;
    RocketLink& operator=(const RocketLink&) = delete;

    // At the show's start: calls the editor when the options ask for it. A
    // host that cannot be found is said on stderr and the show plays on.
    void Start(Engine& engine, const AuthorOptions& options);
    // Between frames. True when the editor sent something that changes what
    // is shown (a row, keys, a pause), so that a paused player draws again.
    bool Poll();
    // row= (the tracks' row at the status's time; - without tracks) and
    // rocket= (off, waiting or connected).
    void Describe(AuthorStatus& status) const;

private:
    void SeekToRow(uint32_t row);

    AuthorControl& control;
    Engine* engine;
    RocketClient client;
};

#endif
