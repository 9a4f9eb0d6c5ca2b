// Where a script read again first differs from the one it replaces: every
// picture before the first event that is not the same in both is the same
// picture in both shows, so what was kept of them (the blur's feedback) stays
// good. Events are compared by what they do, not by the line they were
// written on: a line added above moves the others without changing them.
#ifndef HALVENOR_AUTHOR_SCRIPTCHANGE_H
#define HALVENOR_AUTHOR_SCRIPTCHANGE_H

#include <vector>

#include "config/ScriptEvent.h"

class Script;

class ScriptChange {
public:
    // The script's events in order; none without a script.
    static std::vector<ScriptEvent> Events(const Script* script);
    // Music time of the first event that differs, or of the first event
    // only one of them has; infinity when they do the same.
    static double FirstDifference(const std::vector<ScriptEvent>& before, const std::vector<ScriptEvent>& after);
};

#endif
