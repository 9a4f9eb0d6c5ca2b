// Live reload's bookkeeping for the editing player: it watches every file the
// playing show loads, reads the show again with the checker once a change
// has settled, and says what to reload, or that the new show has errors and
// the playing one goes on. Carrying a plan out is the player's.
//
// A reload is a transaction. The show on disk is read in-process with the
// checker's pieces (nothing it reads ends the process); with errors nothing
// is reloaded and the findings stay until a later save fixes them; without
// errors the plan covers every change since the last reload taken, so a save
// that fixes a broken script also brings the scene saved while it was broken.
// While a show with errors is on disk, the files the new show names are
// watched as well, so that creating a missing file is seen.
#ifndef HALVENOR_AUTHOR_LIVERELOAD_H
#define HALVENOR_AUTHOR_LIVERELOAD_H

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "author/ReloadPlan.h"
#include "checker/ShowChecker.h"
#include "platform/FileWatcher.h"

class LiveReload {
public:
    enum class Outcome {
        Nothing,  // no settled change
        Reload,   // the show on disk reads without errors: carry the plan out, then Taken
        Refused   // the show on disk has errors: Report says which; the show plays on
    };

    explicit LiveReload(int quietMs = FileWatcher::kDefaultQuietMs);

    // The show as it starts (in the working directory): checked and watched.
    void Start();
    // Once per frame; never waits for a change, only reads the show when one
    // has settled.
    Outcome Poll(ReloadPlan& plan);
    // A reload asked for by hand (the r key, the remote's reload): the show
    // is read now and, without errors, the plan covers the changes not yet
    // taken and the script, read again whatever changed.
    Outcome ReloadNow(ReloadPlan& plan);
    // The plan of the last Reload outcome was carried out: the show read
    // then is the one that plays, and its files are the ones watched.
    void Taken();

    // The last reading: without errors (or the start's), and its findings.
    bool LastReadOk() const { return lastOk; }
    int FindingCount() const;
    // "file:line: error: ..." lines of the last reading, errors first.
    std::string Report() const;
    const ShowChecker& Playing() const { return *playing; }
    // Changed files still waiting to be read, and files watched.
    size_t PendingCount() const { return changed.size(); }
    size_t WatchedCount() const { return watcher.WatchedCount(); }

private:
    Outcome Read(ReloadPlan& plan, bool byHand);
    void WatchFilesOf(const ShowChecker& check, bool alsoPlaying);

    FileWatcher watcher;
    std::unique_ptr<ShowChecker> playing;
    // The last reading, until it is taken (or a later one replaces it).
    std::unique_ptr<ShowChecker> read;
    // Paths changed since the show that plays was read.
    std::set<std::string> changed;
    bool lastOk;
};

#endif
