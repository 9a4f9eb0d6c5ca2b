// Draws one frame of the show in a fixed order: scenes, then (as they
// arrive) particle systems, layers, the blur pass and the overlays.
#include "core/Engine.h"

#include "core/Display.h"
#include "fx2d/ParticleSystem.h"
#include "glext/GlExtensions.h"
#include "scene/Scene.h"

namespace {

// Asking for the farthest depth; OpenGL clamps it to 1.0.
constexpr double kClearDepth = 1000000.0;

void ClearTarget() {
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClearDepth(kClearDepth);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

void SetPerspective(Display* display) {
    if (display != nullptr) {
        display->SetPerspective();
    }
}

// A scene that renders into its pixel buffer reaches the screen only through
// a layer showing that buffer, never directly. Its camera is applied all the
// same, so that what follows shares the view of the last active scene.
void DrawScene(Scene& scene) {
    if (!scene.RenderToPBuffer()) {
        scene.Draw();
    }
    // Drawing into the scene's pixel buffer arrives with pixel buffers.
    scene.ApplyCamera();
}

// Visible particle systems, in registry order. A system bound to a scene
// uses that scene's camera; the others draw with the view the last active
// scene left loaded.
void DrawParticleSystems(Engine& engine) {
    for (int32_t i = 0; i < engine.particleSystemCount; ++i) {
        ParticleSystem* system = engine.particleSystems[i];
        if (system != nullptr && system->IsVisible()) {
            system->Draw();
        }
    }
}

}  // namespace

void Engine::ComposeFrame() {
    ClearTarget();
    SetPerspective(display);
    // While the blur is on, the frame is drawn into "PB_BLUR" from here on.

    for (int32_t i = 0; i < sceneCount; ++i) {
        Scene* scene = scenes[i];
        if (scene != nullptr && scene->IsActive()) {
            DrawScene(*scene);
        }
    }

    // The field of view is the one the last applied camera left.
    SetPerspective(display);

    DrawParticleSystems(*this);
    // 2D projection, then the visible layers that are not overlays.
    // Blur pass: "PB_BLUR" to the window through "LAYER_BLUR" and the
    // "LAYER_BLUR2" feedback, with the zoom passes while saturating.
    // 2D projection, then the overlay layers (blend mode 7), never blurred.
}
