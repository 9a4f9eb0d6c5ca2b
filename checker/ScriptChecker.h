// The timeline script: each line by EventLineChecker, then the events'
// times against the music, which is the show's clock: events the music time
// never reaches, events after the show's stop, a show that never stops.
#ifndef HALVENOR_CHECKER_SCRIPTCHECKER_H
#define HALVENOR_CHECKER_SCRIPTCHECKER_H

#include <string>
#include <vector>

#include "checker/EventLineChecker.h"

struct CheckedShow;

class ScriptChecker {
public:
    explicit ScriptChecker(CheckedShow& show) : show(show) {}

    // A LOAD SCRIPT line whose words are right: the last one is the script.
    void Take(const std::string& file, int line, const std::string& name);
    // The script the show names, after preconfig.txt has been checked.
    void Check();

private:
    using Event = EventLineChecker::Event;

    void CheckTimes(const std::string& file, const std::vector<Event>& events);
    // The earliest DEMO FX_STOP into the script's stop time; null without one.
    const Event* FindStop(const std::vector<Event>& events);
    void KeepSpan(const std::vector<Event>& events);
    // Events that are never due: the first one says it for the others.
    void CheckNeverDue(const std::string& file, const std::vector<Event>& events, const Event* stop);

    CheckedShow& show;
};

#endif
