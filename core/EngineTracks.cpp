// The show's sync tracks in the registry: read at their LOAD TRACKS line,
// bound by name to what they drive, and applied at the start of every frame.
//
// A track named "NAME:property" drives the layer or scene called NAME (any
// letter case, as every lookup):
//   layer  alpha, x, y (its top-left corner as SET LAYER2D MOVE takes it),
//          scale (both ways, as FX_RESIZE), angle (degrees);
//          any other property: the layer's shader's `uniform float property`
//   scene  fov (the current camera's field of view, degrees), roll (the
//          current camera's, as FX_ROLL_CAM), fog_start, fog_end
// A layer's properties come before a scene's of the same name.
#include <cmath>
#include <string>

#include "core/Display.h"
#include "core/Engine.h"
#include "core/Log.h"
#include "fx2d/Layer2D.h"
#include "fx2d/ShaderLayer.h"
#include "scene/Scene.h"
#include "sync/SyncTargetFinder.h"
#include "sync/SyncTracks.h"
#include "sync/TrackName.h"

namespace {

Layer2D& LayerOf(const SyncTarget& target) { return *static_cast<Layer2D*>(target.object); }

Scene& SceneOf(const SyncTarget& target) { return *static_cast<Scene*>(target.object); }

void SetLayerAlpha(const SyncTarget& target, float value) {
    Layer2D& layer = LayerOf(target);
    layer.alpha = value;
    layer.heldAlpha = value;
}

void SetLayerX(const SyncTarget& target, float value) {
    Layer2D& layer = LayerOf(target);
    layer.Translate(value - layer.x0, 0.0f);
    layer.heldLeft = value;
}

// Measured from the top of the window, as preconfig.txt measures it; the
// parameter is the window's height.
void SetLayerY(const SyncTarget& target, float value) {
    Layer2D& layer = LayerOf(target);
    const float top = target.parameter - value;
    layer.Translate(0.0f, top - layer.y1);
    layer.heldTop = top;
}

void SetLayerScale(const SyncTarget& target, float value) {
    LayerOf(target).scaleX = value;
    LayerOf(target).scaleY = value;
}

void SetLayerAngle(const SyncTarget& target, float value) { LayerOf(target).angle = value; }

void SetFloat(const SyncTarget& target, float value) { *static_cast<float*>(target.object) = value; }

// The camera the scene draws through next (an index past the last wraps to
// 0 when it is drawn); null without cameras.
Camera* CurrentCamera(Scene& scene) {
    if (scene.cameras == nullptr || scene.cameraCount == 0) {
        return nullptr;
    }
    return &scene.cameras[scene.currentCamera < scene.cameraCount ? scene.currentCamera : 0];
}

void SetSceneFov(const SyncTarget& target, float value) {
    if (Camera* camera = CurrentCamera(SceneOf(target))) {
        camera->key.fov = value;
    }
}

void SetSceneRoll(const SyncTarget& target, float value) {
    if (Camera* camera = CurrentCamera(SceneOf(target))) {
        camera->roll = value;
    }
}

void SetFogStart(const SyncTarget& target, float value) { SceneOf(target).params.fogStart = value; }

void SetFogEnd(const SyncTarget& target, float value) { SceneOf(target).params.fogEnd = value; }

// By TrackName's property order.
const SyncTarget::Setter kLayerSetters[] = {SetLayerAlpha, SetLayerX, SetLayerY, SetLayerScale, SetLayerAngle};
const SyncTarget::Setter kSceneSetters[] = {SetSceneFov, SetSceneRoll, SetFogStart, SetFogEnd};

// The float a shader layer keeps for its uniform of that name; null when
// the layer draws no shader or its shader's file declares no such float.
float* ShaderUniform(Layer2D& layer, const std::string& uniform) {
    return layer.shader != nullptr ? layer.shader->FloatUniform(uniform) : nullptr;
}

class RegistryTargets : public SyncTargetFinder {
public:
    explicit RegistryTargets(const Engine& engine) : engine(engine) {}

    SyncTarget Find(const std::string& trackName) const override {
        SyncTarget target;
        std::string name;
        std::string property;
        if (!TrackName::Split(trackName, name, property)) {
            return target;
        }
        Layer2D* layer = engine.FindLayer(name.c_str());
        const TrackName::LayerProperty layerProperty = TrackName::ForLayer(property);
        if (layer != nullptr && layerProperty != TrackName::LayerProperty::None) {
            target.object = layer;
            target.parameter = engine.display != nullptr ? static_cast<float>(engine.display->Height()) : 0.0f;
            target.set = kLayerSetters[static_cast<int>(layerProperty)];
            return target;
        }
        Scene* scene = engine.FindScene(name.c_str());
        const TrackName::SceneProperty sceneProperty = TrackName::ForScene(property);
        if (scene != nullptr && sceneProperty != TrackName::SceneProperty::None) {
            target.object = scene;
            target.set = kSceneSetters[static_cast<int>(sceneProperty)];
            return target;
        }
        float* uniform = layer != nullptr ? ShaderUniform(*layer, property) : nullptr;
        if (uniform != nullptr) {
            target.object = uniform;
            target.set = SetFloat;
        }
        return target;
    }

private:
    const Engine& engine;
};

}  // namespace

void Engine::LoadTracks(const char* base, float bpm, float rowsPerBeat) {
    if (!(bpm > 0.0f && rowsPerBeat > 0.0f && std::isfinite(bpm) && std::isfinite(rowsPerBeat))) {
        Log::Format("-> Pistas: los bpm (%g) y las filas por pulso (%g) deben ser mayores que 0: se ignora la linea\n",
                    static_cast<double>(bpm), static_cast<double>(rowsPerBeat));
        return;
    }
    delete tracks;
    tracks = new SyncTracks(base, bpm, rowsPerBeat);
    std::vector<std::string> problems;
    tracks->Load(problems);
    for (const std::string& problem : problems) {
        Log::Format("-> Pistas: no se lee [ %s ]\n", problem.c_str());
    }
    Log::Format("-> Pistas: %zu leidas, %g filas por segundo\n", tracks->Count(), tracks->RowsPerSecond());
}

bool Engine::WantTrack(const std::string& name) {
    return tracks != nullptr && tracks->Want(name) != nullptr;
}

void Engine::BindTracks() {
    if (tracks == nullptr) {
        return;
    }
    // A shader's own float uniforms are names the show binds: the editor
    // offers them whether or not a file holds them yet.
    for (int32_t i = 0; i < layerCount; ++i) {
        if (layers[i]->shader != nullptr) {
            for (const std::string& uniform : layers[i]->shader->OwnFloatUniforms()) {
                tracks->Want(std::string(layers[i]->Name()) + ":" + uniform);
            }
        }
    }
    tracks->Bind(RegistryTargets(*this));
    for (const std::string& name : tracks->UnboundNames()) {
        Log::Format("-> Pistas: la pista [ %s ] no mueve nada: ningun layer ni escena tiene ese nombre y propiedad\n",
                    name.c_str());
    }
}

void Engine::ApplyTracks() {
    if (tracks != nullptr) {
        tracks->Apply(static_cast<double>(MusicTime()));
    }
}
