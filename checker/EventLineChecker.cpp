#include "checker/EventLineChecker.h"

#include <cmath>

#include "checker/CheckedShow.h"
#include "checker/FindingText.h"
#include "checker/ShowLines.h"
#include "checker/Suggestion.h"
#include "config/ScriptEvent.h"

namespace {

using Kind = ShowResources::Kind;

// Words of a script line as the reader splits them: the line break becomes a
// space, words are separated by spaces only.
std::vector<std::string> SplitScriptLine(const char* text) {
    std::string line(text);
    if (!line.empty()) {
        line.back() = ' ';
    }
    return ShowLines::SplitWords(line, " ");
}

Kind KindOf(int32_t target) {
    return target == TARGET_SCENE ? Kind::Scene : target == TARGET_LAYER ? Kind::Layer : Kind::Particles;
}

}  // namespace

void EventLineChecker::Check(const std::string& file, int line, const char* text) {
    const Words words = SplitScriptLine(text);
    if (words.empty()) {
        return;
    }
    CheckedShow::Script& script = show.script;
    if (script.eventCount + script.markerCount == Script::kCapacity) {
        show.findings.Add(true, file, line, "more than " + std::to_string(Script::kCapacity) +
                                                " events: the engine ignores this line and the ones after it");
    }
    ScriptEvent event = ScriptEvent::Empty();
    const Script::LineKind kind = Script::ParseLine(text, event);
    if (words.size() == 1 && ShowLines::IsNumber(words[0].c_str())) {
        ++script.markerCount;  // a sync marker recorded with the key l
        return;
    }
    ++script.eventCount;
    if (!CheckTime(file, line, text, words, kind, event) || !CheckTargetAndEffect(file, line, words, event)) {
        return;
    }
    const ScriptAction* action = ScriptKeywords::FindAction(event.target, event.effect);
    if (action == nullptr) {
        show.findings.Add(false, file, line, words[1] + " " + words[3] + " does nothing in this engine");
        return;
    }
    events.push_back({line, event.time, event.target, event.effect});
    if (CheckNumbers(file, line, words, event, *action) && CheckName(file, line, event)) {
        CheckParams(file, line, *action, event, static_cast<int>(words.size()) - 4);
    }
}

bool EventLineChecker::CheckTime(const std::string& file, int line, const char* text, const Words& words,
                                 Script::LineKind kind, const ScriptEvent& event) {
    if (ShowLines::ContainsTab(text)) {
        show.findings.Add(true, file, line, "a tab stands between words: the engine separates words by spaces only "
                                            "and reads the tab as part of a word");
        return false;
    }
    if (kind == Script::LineKind::NoTime) {
        show.findings.Add(true, file, line, "time " + FindingText::Quoted(words[0]) +
                                                " is not a number: the engine skips this line (write seconds like 12.5)");
        return false;
    }
    if (!ShowLines::IsNumber(words[0].c_str())) {
        show.findings.Add(true, file, line, "time " + FindingText::Quoted(words[0]) +
                                                " is not a number: the engine reads " +
                                                FindingText::Format("%g", event.time) + " (write seconds like 12.5)");
        return false;
    }
    return true;
}

bool EventLineChecker::CheckTargetAndEffect(const std::string& file, int line, const Words& words,
                                            const ScriptEvent& event) {
    if (event.target == TARGET_NONE) {
        int count = 0;
        const ScriptWord* targets = ScriptKeywords::Targets(count);
        const std::string target = words.size() > 1 ? words[1] : "";
        show.findings.Add(true, file, line, "unknown target " + FindingText::Quoted(target) +
                                                Suggestion::DidYouMean(target, Suggestion::Words(targets, count)) +
                                                ": write DEMO, SCENE, LAYER or PARTICLE; the event does nothing");
        return false;
    }
    if (words.size() < 4) {
        CheckMissingEffect(file, line, words);
        return false;
    }
    if (event.effect == FX_NONE) {
        int count = 0;
        const ScriptWord* effects = ScriptKeywords::Effects(count);
        show.findings.Add(true, file, line, "unknown effect " + FindingText::Quoted(words[3]) +
                                                Suggestion::DidYouMean(words[3], Suggestion::Words(effects, count)) +
                                                ": the event does nothing");
        return false;
    }
    return true;
}

// Three words or fewer: most often an effect written where the name goes.
void EventLineChecker::CheckMissingEffect(const std::string& file, int line, const Words& words) {
    const bool effectAsName = words.size() == 3 && ScriptKeywords::EffectCode(words[2].c_str()) != FX_NONE;
    show.script.misplacedStop =
        show.script.misplacedStop || (effectAsName && ScriptKeywords::EffectCode(words[2].c_str()) == FX_STOP);
    show.findings.Add(true, file, line,
                      effectAsName ? FindingText::Quoted(words[2]) + " stands where the name goes: write " + words[0] +
                                         " " + words[1] + " x " + words[2] +
                                         " (every event needs a name word before its effect)"
                                   : "no effect word: the event does nothing");
}

// Words after the numbers the effect uses change nothing it does.
bool EventLineChecker::CheckNumbers(const std::string& file, int line, const Words& words,
                                    const ScriptEvent& event, const ScriptAction& action) {
    for (size_t i = 4; i < words.size() && i - 4 < static_cast<size_t>(action.paramCount); ++i) {
        if (!ShowLines::IsNumber(words[i].c_str())) {
            show.findings.Add(true, file, line, FindingText::Quoted(words[i]) + " is not a number: the engine reads " +
                                                    FindingText::Format("%g", event.params[i - 4]));
            return false;
        }
    }
    return true;
}

bool EventLineChecker::CheckName(const std::string& file, int line, const ScriptEvent& event) {
    if (event.target == TARGET_DEMO) {
        return true;
    }
    const Kind kind = KindOf(event.target);
    if (show.resources.Find(kind, event.name) >= 0) {
        return true;
    }
    static const char* const kWhat[] = {"scene", "layer", "particle system"};
    show.findings.Add(true, file, line, std::string("no ") + kWhat[static_cast<int>(kind)] + " named " +
                                            FindingText::Quoted(event.name) + " is loaded" +
                                            Suggestion::DidYouMean(event.name, show.resources.Names(kind)) +
                                            ": the event does nothing");
    return false;
}

void EventLineChecker::CheckParams(const std::string& file, int line, const ScriptAction& action,
                                   const ScriptEvent& event, int numberCount) {
    const std::string effect = ScriptKeywords::EffectWord(event.effect);
    if (numberCount < action.paramCount) {
        show.findings.Add(false, file, line, effect + " takes " + std::to_string(action.paramCount) + " numbers (" +
                                                 action.usage + "): the missing ones read as 0");
    }
    const ShowResources::SceneInfo* scene = nullptr;
    if (event.target == TARGET_SCENE) {
        scene = &show.resources.scenes[show.resources.Find(Kind::Scene, event.name)];
    }
    for (int i = 0; i < action.paramCount; ++i) {
        CheckParam(file, line, action.params[i], event.params[i], scene, effect);
    }
    if (scene != nullptr) {
        CheckSceneEffect(file, line, action, event, *scene, numberCount);
    }
}

void EventLineChecker::CheckParam(const std::string& file, int line, ScriptParam param, float value,
                                  const ShowResources::SceneInfo* scene, const std::string& effect) {
    const double index = std::trunc(value);
    const bool known = scene != nullptr && scene->read;
    if (param == ScriptParam::Flag && value != 0.0f && value != 1.0f) {
        show.findings.Add(false, file, line,
                          FindingText::Format("%g", value) + " switches " + effect + " off: only exactly 1 is on");
    } else if (param == ScriptParam::ObjectIndex && known && (index < 0 || index >= scene->objectNames.size())) {
        show.findings.Add(true, file, line, "object " + FindingText::Format("%g", index) + " does not exist: scene " +
                                                FindingText::Quoted(scene->name) + " has objects " +
                                                FindingText::IndexRange(scene->objectNames.size()) +
                                                "; the event does nothing");
    } else if (param == ScriptParam::CameraIndex && known && (index < 0 || index >= scene->cameraCount)) {
        show.findings.Add(index != scene->cameraCount, file, line,
                          "camera " + FindingText::Format("%g", index) + " does not exist: scene " +
                              FindingText::Quoted(scene->name) + " has cameras " +
                              FindingText::IndexRange(scene->cameraCount) + "; the engine shows camera 0");
    }
}

// Effects that need what the scene lacks: a camera to move, a pixel buffer
// to draw into.
void EventLineChecker::CheckSceneEffect(const std::string& file, int line, const ScriptAction& action,
                                        const ScriptEvent& event, const ShowResources::SceneInfo& scene,
                                        int numberCount) {
    const std::string effect = ScriptKeywords::EffectWord(event.effect);
    if (scene.read && scene.cameraCount == 0 && (event.effect == FX_ROLL_CAM || event.effect == FX_CHANGE_CAM) &&
        action.paramCount <= numberCount) {
        show.findings.Add(false, file, line,
                          "scene " + FindingText::Quoted(scene.name) + " has no camera: " + effect + " does nothing");
    }
    if (event.effect == FX_PB_ACTIVE && event.params[0] == 1.0f && !scene.hasPixelBuffer) {
        show.findings.Add(false, file, line, "scene " + FindingText::Quoted(scene.name) +
                                                 " has no pixel buffer (SET ESCENA " + scene.name +
                                                 " PBUFFER name): FX_PB_ACTIVE has nowhere to draw");
    }
}
