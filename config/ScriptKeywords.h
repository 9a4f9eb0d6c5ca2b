// Every word a script line may hold, in one table: the target words, the
// effect words with their codes, and which target and effect pairs the demo
// driver acts on, with what their numbers mean. The script reader recognises
// words through it and halvenor-check checks events against it.
#ifndef HALVENOR_CONFIG_SCRIPTKEYWORDS_H
#define HALVENOR_CONFIG_SCRIPTKEYWORDS_H

#include <cstdint>

struct ScriptWord {
    const char* word;
    int32_t code;
};

// What one number of an event stands for.
enum class ScriptParam : uint8_t {
    Number,       // any value
    Flag,         // on exactly at 1
    ObjectIndex,  // an object of the scene, from 0
    CameraIndex,  // a camera of the scene, from 0
};

constexpr int kScriptMaxUsedParams = 6;

// A pair the demo driver acts on.
struct ScriptAction {
    int32_t target;
    int32_t effect;
    int paramCount;
    ScriptParam params[kScriptMaxUsedParams];
    // What the numbers mean, for messages.
    const char* usage;
};

class ScriptKeywords {
public:
    // TARGET_NONE or FX_NONE when the word (any letter case) is not listed.
    static int32_t TargetCode(const char* word);
    static int32_t EffectCode(const char* word);
    // The word of a code, or null.
    static const char* TargetWord(int32_t code);
    static const char* EffectWord(int32_t code);

    static const ScriptWord* Targets(int& count);
    static const ScriptWord* Effects(int& count);

    // The action of a pair, or null when the driver consumes such an event
    // without doing anything.
    static const ScriptAction* FindAction(int32_t target, int32_t effect);
    static const ScriptAction* Actions(int& count);
};

#endif
