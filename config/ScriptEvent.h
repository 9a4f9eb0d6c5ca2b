// One timed event of the show's timeline.
#ifndef HALVENOR_CONFIG_SCRIPTEVENT_H
#define HALVENOR_CONFIG_SCRIPTEVENT_H

#include <cstdint>

// Targets of an event. TARGET_NONE marks an event whose line named no known
// target: the driver gives it no action.
enum ScriptTarget : int32_t {
    TARGET_DEMO = 0,
    TARGET_SCENE = 1,
    TARGET_LAYER = 2,
    TARGET_PARTICLE = 3,
    TARGET_NONE = -1,
};

// Effect codes. FX_NONE marks an event whose line named no known effect.
enum ScriptEffect : int32_t {
    FX_NONE = -1,
    FX_SHAKE = 101,
    FX_SATURATE = 102,
    FX_BLUR = 103,
    FX_ALPHA = 201,
    FX_MOVE = 202,
    FX_RESIZE = 203,
    FX_RESET_ANIM = 204,
    FX_EXPLODE = 301,
    FX_START = 1001,
    FX_STOP = 1002,
    FX_SHOW = 1003,
    FX_HIDE = 1004,
    FX_CHANGE_CAM = 1005,
    FX_PB_ACTIVE = 1006,
    FX_ROTATE_OBJ = 1007,
    FX_ROLL_CAM = 1008,
    FX_DINAMIC_OBJ = 1009,
};

struct ScriptEvent {
    static constexpr int kNameSize = 256;
    static constexpr int kParamCount = 20;

    float time;
    int32_t target;
    char name[kNameSize];
    int32_t effect;
    float params[kParamCount];
    // Where the event was written in the script file (from 1); 0 for a
    // recorded marker.
    int32_t line;

    // Zero-filled, with target and effect outside both tables: no action.
    static ScriptEvent Empty();
};

inline ScriptEvent ScriptEvent::Empty() {
    ScriptEvent event{};
    event.target = TARGET_NONE;
    event.effect = FX_NONE;
    return event;
}

#endif
