#include "config/ScriptKeywords.h"

#include "config/PreconfigLine.h"
#include "config/ScriptEvent.h"

namespace {

const ScriptWord kTargets[] = {
    {"DEMO", TARGET_DEMO},
    {"SCENE", TARGET_SCENE},
    {"LAYER", TARGET_LAYER},
    {"PARTICLE", TARGET_PARTICLE},
};

const ScriptWord kEffects[] = {
    {"FX_START", FX_START},           {"FX_STOP", FX_STOP},
    {"FX_SHOW", FX_SHOW},             {"FX_HIDE", FX_HIDE},
    {"FX_CHANGE_CAM", FX_CHANGE_CAM}, {"FX_PB_ACTIVE", FX_PB_ACTIVE},
    {"FX_ROTATE_OBJ", FX_ROTATE_OBJ}, {"FX_ROLL_CAM", FX_ROLL_CAM},
    {"FX_DINAMIC_OBJ", FX_DINAMIC_OBJ}, {"FX_SHAKE", FX_SHAKE},
    {"FX_SATURATE", FX_SATURATE},     {"FX_BLUR", FX_BLUR},
    {"FX_ALPHA", FX_ALPHA},           {"FX_MOVE", FX_MOVE},
    {"FX_RESIZE", FX_RESIZE},         {"FX_RESET_ANIM", FX_RESET_ANIM},
    {"FX_EXPLODE", FX_EXPLODE},
};

using P = ScriptParam;

// Every other pair (FX_START, FX_SHAKE, FX_ALPHA, FX_MOVE and FX_EXPLODE on
// any target, and the listed effects on other targets) is read and consumed
// without action.
const ScriptAction kActions[] = {
    {TARGET_DEMO, FX_STOP, 0, {}, ""},
    {TARGET_DEMO, FX_BLUR, 1, {P::Flag}, "on (1) or off"},
    {TARGET_DEMO, FX_SATURATE, 1, {P::Flag}, "on (1) or off"},
    {TARGET_SCENE, FX_SHOW, 0, {}, ""},
    {TARGET_SCENE, FX_HIDE, 0, {}, ""},
    {TARGET_SCENE, FX_CHANGE_CAM, 1, {P::CameraIndex}, "camera"},
    {TARGET_SCENE, FX_ROLL_CAM, 1, {P::Number}, "roll in degrees"},
    {TARGET_SCENE, FX_ROTATE_OBJ, 5, {P::ObjectIndex, P::Number, P::Number, P::Number, P::Number},
     "object speed axis-x axis-y axis-z"},
    {TARGET_SCENE, FX_DINAMIC_OBJ, 6, {P::ObjectIndex, P::Number, P::Number, P::Number, P::Number, P::Number},
     "object flags frequency amplitude phase step"},
    {TARGET_SCENE, FX_PB_ACTIVE, 1, {P::Flag}, "on (1) or off"},
    {TARGET_LAYER, FX_SHOW, 0, {}, ""},
    {TARGET_LAYER, FX_HIDE, 0, {}, ""},
    {TARGET_LAYER, FX_RESIZE, 2, {P::Number, P::Number}, "scale-x scale-y"},
    {TARGET_LAYER, FX_RESET_ANIM, 0, {}, ""},
    {TARGET_PARTICLE, FX_SHOW, 0, {}, ""},
    {TARGET_PARTICLE, FX_HIDE, 0, {}, ""},
};

template <typename T, int N>
constexpr int Count(const T (&)[N]) {
    return N;
}

template <int N>
int32_t CodeOf(const ScriptWord (&table)[N], const char* word, int32_t none) {
    for (const ScriptWord& entry : table) {
        if (EqualsIgnoringCase(entry.word, word)) {
            return entry.code;
        }
    }
    return none;
}

template <int N>
const char* WordOf(const ScriptWord (&table)[N], int32_t code) {
    for (const ScriptWord& entry : table) {
        if (entry.code == code) {
            return entry.word;
        }
    }
    return nullptr;
}

}  // namespace

int32_t ScriptKeywords::TargetCode(const char* word) { return CodeOf(kTargets, word, TARGET_NONE); }

int32_t ScriptKeywords::EffectCode(const char* word) { return CodeOf(kEffects, word, FX_NONE); }

const char* ScriptKeywords::TargetWord(int32_t code) { return WordOf(kTargets, code); }

const char* ScriptKeywords::EffectWord(int32_t code) { return WordOf(kEffects, code); }

const ScriptWord* ScriptKeywords::Targets(int& count) {
    count = Count(kTargets);
    return kTargets;
}

const ScriptWord* ScriptKeywords::Effects(int& count) {
    count = Count(kEffects);
    return kEffects;
}

const ScriptAction* ScriptKeywords::FindAction(int32_t target, int32_t effect) {
    for (const ScriptAction& action : kActions) {
        if (action.target == target && action.effect == effect) {
            return &action;
        }
    }
    return nullptr;
}

const ScriptAction* ScriptKeywords::Actions(int& count) {
    count = Count(kActions);
    return kActions;
}
