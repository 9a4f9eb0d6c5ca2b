#include "author/LiveReload.h"

#include <utility>

LiveReload::LiveReload(int quietMs) : watcher(quietMs), playing(new ShowChecker()), lastOk(true) {}

void LiveReload::Start() {
    playing.reset(new ShowChecker());
    playing->Check();
    read.reset();
    changed.clear();
    lastOk = playing->ErrorCount() == 0;
    WatchFilesOf(*playing, false);
}

LiveReload::Outcome LiveReload::Poll(ReloadPlan& plan) {
    const std::vector<std::string> settled = watcher.Poll();
    if (settled.empty()) {
        return Outcome::Nothing;
    }
    changed.insert(settled.begin(), settled.end());
    return Read(plan, false);
}

LiveReload::Outcome LiveReload::ReloadNow(ReloadPlan& plan) {
    const std::vector<std::string> settled = watcher.Poll();
    changed.insert(settled.begin(), settled.end());
    return Read(plan, true);
}

LiveReload::Outcome LiveReload::Read(ReloadPlan& plan, bool byHand) {
    std::unique_ptr<ShowChecker> now(new ShowChecker());
    now->Check();
    lastOk = now->ErrorCount() == 0;
    if (!lastOk) {
        // The show that plays stays, and so do its watches; the new show's
        // files are watched too, so that the fixing save is seen wherever
        // it lands.
        WatchFilesOf(*now, true);
        read = std::move(now);
        return Outcome::Refused;
    }
    const std::vector<std::string> paths(changed.begin(), changed.end());
    plan = ReloadPlan::For(*playing, *now, paths);
    plan.script = plan.script || (byHand && !plan.rebuild);
    read = std::move(now);
    if (plan.Empty()) {
        // Nothing of the show changed (a file it no longer names, a save of
        // the same bytes): what was read plays already.
        Taken();
        return Outcome::Nothing;
    }
    return Outcome::Reload;
}

void LiveReload::Taken() {
    if (read == nullptr || read->ErrorCount() > 0) {
        return;
    }
    playing = std::move(read);
    changed.clear();
    WatchFilesOf(*playing, false);
}

int LiveReload::FindingCount() const {
    const ShowChecker& last = read != nullptr ? *read : *playing;
    return static_cast<int>(last.Findings().size());
}

std::string LiveReload::Report() const { return read != nullptr ? read->Report() : playing->Report(); }

void LiveReload::WatchFilesOf(const ShowChecker& check, bool alsoPlaying) {
    std::vector<std::string> paths;
    const ShowChecker* const shows[] = {&check, alsoPlaying ? playing.get() : nullptr};
    for (const ShowChecker* show : shows) {
        if (show == nullptr) {
            continue;
        }
        for (const ShowFile& file : show->Files()) {
            paths.push_back(file.path);
        }
    }
    // A file whose directory is missing is seen once the show names one that
    // exists.
    watcher.WatchOnly(paths);
}
