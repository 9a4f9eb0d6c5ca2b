#include "checker/ScriptChecker.h"

#include <algorithm>

#include "checker/CheckedShow.h"
#include "checker/FindingText.h"
#include "checker/ShowLines.h"
#include "checker/ShowPath.h"
#include "config/ScriptEvent.h"

namespace {

// " (with 3 later events)" for the others of a list whose first one speaks.
std::string Others(size_t count) {
    return count > 1 ? " (with " + FindingText::Plural(count - 1, "later event", "later events") + ")" : "";
}

}  // namespace

void ScriptChecker::Take(const std::string& file, int line, const std::string& name) {
    CheckedShow::Script& script = show.script;
    if (!script.file.empty()) {
        show.findings.Add(false, file, line,
                          "a second SCRIPT line replaces the script of line " + std::to_string(script.line));
    }
    script.file = name;
    script.line = line;
    show.files.Add(ShowFile::Kind::Script, name, "");
}

void ScriptChecker::Check() {
    const std::string& name = show.script.file;
    if (name.empty() || !ShowPath::Found(name)) {
        return;  // a missing script is reported with its line's arguments
    }
    const std::string file = ShowPath::OnDisk(name);
    std::vector<Event> events;
    EventLineChecker lines(show, events);
    ShowLines::Read(
        name, Script::kLineLimit, [&](int line, const char* text) { lines.Check(file, line, text); },
        [&](int line, const std::string& message) { show.findings.Add(true, file, line, message); });
    CheckTimes(file, events);
}

void ScriptChecker::CheckTimes(const std::string& file, const std::vector<Event>& events) {
    const Event* stop = FindStop(events);
    KeepSpan(events);
    // A stop event without its name word has its own finding.
    if (stop == nullptr && !show.script.misplacedStop) {
        show.findings.Add(true, file, 0,
                          "no DEMO FX_STOP event: the show never ends by itself (write, say, 60.0 DEMO x FX_STOP)");
    }
    CheckNeverDue(file, events, stop);
}

const ScriptChecker::Event* ScriptChecker::FindStop(const std::vector<Event>& events) {
    const Event* stop = nullptr;
    for (const Event& event : events) {
        if (event.target == TARGET_DEMO && event.effect == FX_STOP && (stop == nullptr || event.time < stop->time)) {
            stop = &event;
        }
    }
    if (stop != nullptr) {
        show.script.stopTime = stop->time;
    }
    return stop;
}

void ScriptChecker::KeepSpan(const std::vector<Event>& events) {
    if (events.empty()) {
        return;
    }
    CheckedShow::Script& script = show.script;
    script.firstTime = script.lastTime = events.front().time;
    for (const Event& event : events) {
        script.firstTime = std::min(script.firstTime, event.time);
        script.lastTime = std::max(script.lastTime, event.time);
    }
}

void ScriptChecker::CheckNeverDue(const std::string& file, const std::vector<Event>& events, const Event* stop) {
    const CheckedShow::Music& music = show.music;
    const bool noMusic = music.file.empty();
    const bool clockStops = noMusic || music.length >= 0.0f;
    const float limit = noMusic ? 0.0f : music.length;
    const float stopTime = show.script.stopTime;
    std::vector<const Event*> late;
    std::vector<const Event*> afterStop;
    for (const Event& event : events) {
        if (clockStops && (noMusic ? event.time > 0.0f : event.time >= limit)) {
            late.push_back(&event);
        } else if (stop != nullptr && event.time > stopTime) {
            afterStop.push_back(&event);
        }
    }
    show.script.stopDue = stop != nullptr && !(clockStops && (noMusic ? stopTime > 0.0f : stopTime >= limit));
    if (!late.empty()) {
        show.findings.Add(true, file, late.front()->line,
                          noMusic ? "never due" + Others(late.size()) +
                                        ": without a LOAD SOUND line the music time stays at 0"
                                  : "never due" + Others(late.size()) + ": the music lasts " +
                                        FindingText::Seconds(music.length) + " and loops, so its time never reaches " +
                                        FindingText::Seconds(late.front()->time));
    }
    if (!afterStop.empty()) {
        show.findings.Add(false, file, afterStop.front()->line,
                          "never applied: the show ends at the FX_STOP of line " + std::to_string(stop->line) + " (" +
                              FindingText::Seconds(stopTime) + ")" + Others(afterStop.size()));
    }
}
