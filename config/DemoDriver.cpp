// The show's per-frame step: applies every script event the music has
// reached, then runs the clocks of what is on screen.
//
// The music position is the only clock of the timeline, so a long frame
// applies several events at once, in script order. Events whose resource or
// index does not exist are skipped: a script typo must not end the show.
#include <cmath>
#include <cstdint>
#include <limits>

#include "config/Script.h"
#include "config/ScriptKeywords.h"
#include "core/Engine.h"
#include "fx2d/Layer2D.h"
#include "fx2d/ParticleSystem.h"
#include "scene/Scene.h"

namespace {

// Script flags are on only at exactly 1, so 0.5 or 2 written by mistake
// reads as off.
bool IsOn(float value) { return value == 1.0f; }

// Truncates towards zero. A value beyond the 32-bit range (or not a number)
// gives the most negative one, as the processor's own conversion does, so it
// is never taken for a valid index.
int32_t ToInt32(float value) {
    const double wide = value;
    if (!(wide > -2147483649.0 && wide < 2147483648.0)) {
        return std::numeric_limits<int32_t>::min();
    }
    return static_cast<int32_t>(wide);
}

// The object at the index written in p1, or null when there is none.
SceneObject* ObjectAt(Scene& scene, float indexParam) {
    const int32_t index = ToInt32(indexParam);
    if (index < 0 || scene.objects == nullptr || static_cast<uint32_t>(index) >= scene.objectCount) {
        return nullptr;
    }
    return &scene.objects[index];
}

// The camera the scene draws through. An index equal to the count is
// accepted by SelectCamera and wraps to camera 0 at the next draw, so that is
// the camera to roll.
Camera* CurrentCamera(Scene& scene) {
    if (scene.cameras == nullptr || scene.cameraCount == 0) {
        return nullptr;
    }
    const uint32_t index = scene.currentCamera < scene.cameraCount ? scene.currentCamera : 0;
    return &scene.cameras[index];
}

void ApplyDemoEvent(Engine& engine, const ScriptEvent& event) {
    if (event.effect == FX_BLUR) {
        engine.blurEnabled = IsOn(event.params[0]);
    } else if (event.effect == FX_SATURATE) {
        engine.saturateEnabled = IsOn(event.params[0]);
    }
}

bool IsSceneEffect(int32_t effect) { return ScriptKeywords::FindAction(TARGET_SCENE, effect) != nullptr; }

void RotateObject(Scene& scene, const float* p) {
    if (SceneObject* object = ObjectAt(scene, p[0])) {
        object->rotationSpeed = p[1];
        object->rotationAxis[0] = p[2];
        object->rotationAxis[1] = p[3];
        object->rotationAxis[2] = p[4];
    }
}

void DeformObject(Scene& scene, const float* p) {
    if (SceneObject* object = ObjectAt(scene, p[0])) {
        object->SetDeformation(ToInt32(p[1]), p[2], p[3], p[4], p[5]);
    }
}

void ApplySceneEffect(Scene& scene, const ScriptEvent& event) {
    const float* p = event.params;
    switch (event.effect) {
        case FX_SHOW:
            scene.SetActive(true);
            break;
        case FX_HIDE:
            scene.SetActive(false);
            break;
        case FX_CHANGE_CAM:
            // Compared as unsigned: a negative index is out of range and
            // selects camera 0.
            scene.SelectCamera(static_cast<uint32_t>(ToInt32(p[0])));
            break;
        case FX_ROLL_CAM:
            if (Camera* camera = CurrentCamera(scene)) {
                camera->roll = p[0];
            }
            break;
        case FX_ROTATE_OBJ:
            RotateObject(scene, p);
            break;
        case FX_DINAMIC_OBJ:
            DeformObject(scene, p);
            break;
        case FX_PB_ACTIVE:
            scene.SetRenderToPBuffer(IsOn(p[0]));
            break;
        default:
            break;
    }
}

void ApplySceneEvent(Engine& engine, const ScriptEvent& event) {
    if (!IsSceneEffect(event.effect)) {
        return;
    }
    if (Scene* scene = engine.FindScene(event.name)) {
        ApplySceneEffect(*scene, event);
    }
}

void ApplyLayerEvent(Engine& engine, const ScriptEvent& event) {
    if (ScriptKeywords::FindAction(TARGET_LAYER, event.effect) == nullptr) {
        return;
    }
    Layer2D* layer = engine.FindLayer(event.name);
    if (layer == nullptr) {
        return;
    }
    switch (event.effect) {
        case FX_SHOW:
            layer->SetVisible(true);
            break;
        case FX_HIDE:
            layer->SetVisible(false);
            break;
        case FX_RESIZE:
            // Scaled about the layer's pivot.
            layer->scaleX = event.params[0];
            layer->scaleY = event.params[1];
            break;
        default:
            layer->ResetAnimation();
            break;
    }
}

void ApplyParticleEvent(Engine& engine, const ScriptEvent& event) {
    if (ScriptKeywords::FindAction(TARGET_PARTICLE, event.effect) == nullptr) {
        return;
    }
    if (ParticleSystem* system = engine.FindParticleSystem(event.name)) {
        system->SetVisible(event.effect == FX_SHOW);
    }
}

void ApplyEvent(Engine& engine, const ScriptEvent& event) {
    switch (event.target) {
        case TARGET_DEMO:
            ApplyDemoEvent(engine, event);
            break;
        case TARGET_SCENE:
            ApplySceneEvent(engine, event);
            break;
        case TARGET_LAYER:
            ApplyLayerEvent(engine, event);
            break;
        case TARGET_PARTICLE:
            ApplyParticleEvent(engine, event);
            break;
        default:
            break;  // markers and unknown targets carry no action
    }
}

bool IsEndOfShow(const ScriptEvent& event) { return event.target == TARGET_DEMO && event.effect == FX_STOP; }

// Stands in once the script is exhausted, so the last event is not applied
// again on every later frame.
ScriptEvent NeverDue() {
    ScriptEvent event = ScriptEvent::Empty();
    event.time = std::numeric_limits<float>::infinity();
    return event;
}

}  // namespace

int Engine::RunDemoStep() {
    if (script != nullptr) {
        // The position is read again for each event: applying one may take
        // a while, and the next may have become due meanwhile.
        while (MusicTime() >= nextEvent.time) {
            if (IsEndOfShow(nextEvent)) {
                return -1;
            }
            ApplyEvent(*this, nextEvent);
            if (!script->NextEvent(nextEvent)) {
                nextEvent = NeverDue();
                break;
            }
        }
    }
    for (int32_t i = 0; i < sceneCount; ++i) {
        if (scenes[i]->IsActive()) {
            scenes[i]->Update();
        }
    }
    // Hidden systems keep their phases until they are shown again.
    for (int32_t i = 0; i < particleSystemCount; ++i) {
        if (particleSystems[i]->IsVisible()) {
            particleSystems[i]->Update();
        }
    }
    return 1;
}
