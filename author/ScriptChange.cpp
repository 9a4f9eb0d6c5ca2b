#include "author/ScriptChange.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "config/Script.h"

namespace {

bool SameAction(const ScriptEvent& a, const ScriptEvent& b) {
    return a.time == b.time && a.target == b.target && a.effect == b.effect &&
           std::strncmp(a.name, b.name, ScriptEvent::kNameSize) == 0 &&
           std::equal(a.params, a.params + ScriptEvent::kParamCount, b.params);
}

}  // namespace

std::vector<ScriptEvent> ScriptChange::Events(const Script* script) {
    std::vector<ScriptEvent> events;
    for (int32_t i = 0; script != nullptr && i < script->Count(); ++i) {
        events.push_back(script->EventAt(i));
    }
    return events;
}

double ScriptChange::FirstDifference(const std::vector<ScriptEvent>& before, const std::vector<ScriptEvent>& after) {
    const size_t common = std::min(before.size(), after.size());
    for (size_t i = 0; i < common; ++i) {
        if (!SameAction(before[i], after[i])) {
            return std::min(before[i].time, after[i].time);
        }
    }
    if (before.size() != after.size()) {
        return before.size() > common ? before[common].time : after[common].time;
    }
    return std::numeric_limits<double>::infinity();
}
