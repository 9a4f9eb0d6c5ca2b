// One line of the script, as the engine reads it: a sync marker, or an event
// whose time, target, name, effect and numbers are each checked against the
// keyword tables and against what preconfig.txt created (the scene's
// objects and cameras for the effects that index them).
#ifndef HALVENOR_CHECKER_EVENTLINECHECKER_H
#define HALVENOR_CHECKER_EVENTLINECHECKER_H

#include <cstdint>
#include <string>
#include <vector>

#include "checker/ShowResources.h"
#include "config/Script.h"
#include "config/ScriptKeywords.h"

struct CheckedShow;
struct ScriptEvent;

class EventLineChecker {
public:
    // An event the engine applies when the music time reaches it.
    struct Event {
        int line;
        float time;
        int32_t target;
        int32_t effect;
    };

    // Events the engine applies are added to events.
    EventLineChecker(CheckedShow& show, std::vector<Event>& events) : show(show), events(events) {}

    void Check(const std::string& file, int line, const char* text);

private:
    using Words = std::vector<std::string>;

    // Each false after a finding that ends the line's check.
    bool CheckTime(const std::string& file, int line, const char* text, const Words& words, Script::LineKind kind,
                   const ScriptEvent& event);
    bool CheckTargetAndEffect(const std::string& file, int line, const Words& words, const ScriptEvent& event);
    bool CheckNumbers(const std::string& file, int line, const Words& words, const ScriptEvent& event,
                      const ScriptAction& action);
    bool CheckName(const std::string& file, int line, const ScriptEvent& event);
    void CheckMissingEffect(const std::string& file, int line, const Words& words);

    // The numbers against what the effect does with them.
    void CheckParams(const std::string& file, int line, const ScriptAction& action, const ScriptEvent& event,
                     int numberCount);
    void CheckParam(const std::string& file, int line, ScriptParam param, float value,
                    const ShowResources::SceneInfo* scene, const std::string& effect);
    void CheckSceneEffect(const std::string& file, int line, const ScriptAction& action, const ScriptEvent& event,
                          const ShowResources::SceneInfo& scene, int numberCount);

    CheckedShow& show;
    std::vector<Event>& events;
};

#endif
