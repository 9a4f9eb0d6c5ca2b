// Draws one frame of the show in a fixed order: scenes, then (as they
// arrive) particle systems, layers, the blur pass and the overlays.
//
// The same walk without drawing (AdvanceFrame) moves every piece of state
// that drawing moves (deformation clocks, layer spins, shakes and animation
// ticks, camera wraps, the random sequence) exactly as drawing would, so a
// show run up to a time without its pictures is the show played to it.
#include "core/Engine.h"

#include "core/Display.h"
#include "fx2d/Layer2D.h"
#include "fx2d/LayerSum.h"
#include "fx2d/PBuffer.h"
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

void SetOrtho2D(Display* display) {
    if (display != nullptr) {
        display->SetOrtho2D();
    }
}

// A scene that renders into its pixel buffer reaches the screen only through
// a layer showing that buffer, never directly; afterwards drawing goes back
// to the target (the window, or the blur buffer while the blur is on). A
// scene switched to its pixel buffer without having one is drawn into the
// target as usual. Its camera is applied all the same, so that what follows
// shares the view of the last active scene.
void DrawScene(Scene& scene, PBuffer* blurTarget) {
    PBuffer* own = scene.RenderToPBuffer() ? scene.GetPBuffer() : nullptr;
    if (own == nullptr) {
        scene.Draw();
    } else {
        own->MakeCurrent();
        scene.Draw();
        own->CopyToTexture();
        own->MakeWindowCurrent();
        if (blurTarget != nullptr) {
            blurTarget->MakeCurrent();
        }
    }
    scene.ApplyCamera();
}

// The bit of a pixel buffer in the mask of those a frame draws into.
uint32_t PixelBufferBit(const Engine& engine, const PBuffer* pbuffer) {
    for (int32_t i = 0; i < engine.pixelBufferCount && i < 32; ++i) {
        if (engine.pixelBuffers[i] == pbuffer) {
            return 1u << i;
        }
    }
    return 0;
}

// What drawing the visible systems does to the state: a bound scene's camera
// is applied. Answers the pixel buffers they would draw into.
uint32_t AdvanceParticleSystems(const Engine& engine) {
    uint32_t written = 0;
    for (int32_t i = 0; i < engine.particleSystemCount; ++i) {
        ParticleSystem* system = engine.particleSystems[i];
        Scene* scene = system != nullptr && system->IsVisible() ? system->GetScene() : nullptr;
        if (scene != nullptr) {
            if (scene->RenderToPBuffer()) {
                written |= PixelBufferBit(engine, scene->GetPBuffer());
            }
            scene->AdvanceCamera();
        }
    }
    return written;
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

// With the 2D projection loaded: the visible layers of one pass, overlays
// (blend mode 7) or all the others, in registry order.
void DrawLayers(Layer2D* const* layers, int32_t count, bool overlays, bool render) {
    for (int32_t i = 0; i < count; ++i) {
        Layer2D& layer = *layers[i];
        if (!layer.IsVisible() || (layer.blendMode == Layer2D::kOverlayMode) != overlays) {
            continue;
        }
        if (layer.IsAnimated()) {
            layer.Animate(render);
        } else if (render) {
            layer.Draw();
        } else {
            layer.Advance();
        }
    }
}

// What the zoom passes leave, however they were drawn: the feedback layer at
// scale 1 (whatever size an event gave it before), with its own alpha, in
// blend mode 0.
void EndZoomPasses(Layer2D& trail, float keptAlpha) {
    trail.scaleX = 1.0f;
    trail.scaleY = 1.0f;
    trail.alpha = keptAlpha;
    trail.blendMode = 0;
}

// Seven passes of the feedback picture, each larger and fainter about the
// layer's centre: a radial smear.
void DrawZoomPasses(Layer2D& trail, bool render) {
    const float keptAlpha = trail.alpha;
    trail.blendMode = 0;
    for (float scale = 1.1f; scale < 1.6f; scale += 0.08f) {
        trail.scaleX = scale;
        trail.scaleY = scale;
        trail.alpha = scale / 10.0f + 0.1f;
        if (render) {
            trail.Draw();
        } else {
            trail.Advance();
        }
    }
    EndZoomPasses(trail, keptAlpha);
}

// The same seven copies for one summed pass, after the copies already there.
int AddZoomCopies(const Layer2D& trail, LayerSum::Copy* copies, int count) {
    for (float scale = 1.1f; scale < 1.6f; scale += 0.08f) {
        copies[count++] = LayerSum::Copy{&trail, scale / 10.0f + 0.1f, scale};
    }
    return count;
}

// A layer drawn with blend mode 0 at its own alpha and zoom, as a copy of a
// sum; false when its mode is another or its zoom uneven (then every
// layer of the pass is drawn on its own).
bool AddOwnCopy(const Layer2D& layer, LayerSum::Copy* copies, int& count) {
    if (layer.blendMode != 0 || layer.scaleX != layer.scaleY) {
        return false;
    }
    copies[count++] = LayerSum::Copy{&layer, layer.alpha, layer.scaleX};
    return true;
}

// The frame and the feedback picture (and, saturated, the zoomed feedback
// copies) added over the target in one pass where the driver can; otherwise
// one pass each, as the layers draw themselves.
void DrawBlurLayers(Layer2D& frame, Layer2D& trail, Display* display, bool saturate) {
    LayerSum::Copy copies[LayerSum::kMaxCopies];
    int count = 0;
    const bool summable = display != nullptr && AddOwnCopy(frame, copies, count) && AddOwnCopy(trail, copies, count);
    if (summable && saturate) {
        count = AddZoomCopies(trail, copies, count);
    }
    if (summable && LayerSum::Draw(copies, count, static_cast<float>(display->Width()),
                                   static_cast<float>(display->Height()))) {
        if (saturate) {
            EndZoomPasses(trail, trail.alpha);
        }
        return;
    }
    frame.Draw();
    trail.Draw();
    if (saturate) {
        DrawZoomPasses(trail, true);
    }
}

// The four resources of the blur pass, found by their fixed names.
struct BlurResources {
    PBuffer* frame;
    Layer2D* frameLayer;
    PBuffer* feedback;
    Layer2D* feedbackLayer;

    bool Complete() const {
        return frame != nullptr && frameLayer != nullptr && feedback != nullptr && feedbackLayer != nullptr;
    }
};

// The frame drawn into "PB_BLUR" reaches the window stretched, with the
// feedback picture over it; then the new feedback picture is made from both.
void RunBlurPass(const BlurResources& blur, Display* display, bool saturate) {
    blur.frame->MakeCurrent();
    blur.frame->CopyToTexture();
    blur.frame->MakeWindowCurrent();
    SetOrtho2D(display);
    DrawBlurLayers(*blur.frameLayer, *blur.feedbackLayer, display, saturate);

    blur.feedback->MakeCurrent();
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    SetOrtho2D(display);
    DrawBlurLayers(*blur.frameLayer, *blur.feedbackLayer, display, false);
    blur.feedback->CopyToTexture();
    blur.feedback->MakeWindowCurrent();
}

// The layers' share of the blur pass, without drawing.
void AdvanceBlurPass(const BlurResources& blur, bool saturate) {
    for (int pass = 0; pass < 2; ++pass) {
        blur.frameLayer->Advance();
        blur.feedbackLayer->Advance();
        if (pass == 0 && saturate) {
            DrawZoomPasses(*blur.feedbackLayer, false);
        }
    }
}

}  // namespace

void Engine::ComposeFrame() { Compose(true); }

uint32_t Engine::AdvanceFrame() { return Compose(false); }

// Drawing answers no mask: the player's frame costs what it always did.
uint32_t Engine::Compose(bool render) {
    // Tracks set their values over what events and animations set, on the
    // walk without drawing too, so that both leave the same state.
    ApplyTracks();
    if (render) {
        ClearTarget();
        SetPerspective(display);
    }

    // While the blur is on, the frame is drawn into "PB_BLUR" from here on.
    // With the blur off its resources are not even looked up.
    BlurResources blur{nullptr, nullptr, nullptr, nullptr};
    if (blurEnabled) {
        blur = BlurResources{FindPixelBuffer("PB_BLUR"), FindLayer("LAYER_BLUR"), FindPixelBuffer("PB_BLUR2"),
                             FindLayer("LAYER_BLUR2")};
    }
    PBuffer* const blurTarget = blur.Complete() ? blur.frame : nullptr;
    uint32_t written = 0;
    if (blurTarget != nullptr) {
        if (render) {
            blurTarget->MakeCurrent();
            ClearTarget();
            SetPerspective(display);
        } else {
            written |= PixelBufferBit(*this, blur.frame) | PixelBufferBit(*this, blur.feedback);
        }
    }

    for (int32_t i = 0; i < sceneCount; ++i) {
        Scene* scene = scenes[i];
        if (scene == nullptr || !scene->IsActive()) {
            continue;
        }
        if (render) {
            DrawScene(*scene, blurTarget);
        } else {
            if (scene->RenderToPBuffer()) {
                written |= PixelBufferBit(*this, scene->GetPBuffer());
            }
            scene->Advance();
        }
    }

    if (!render) {
        written |= AdvanceParticleSystems(*this);
        DrawLayers(layers, layerCount, false, false);
        if (blurTarget != nullptr) {
            AdvanceBlurPass(blur, saturateEnabled);
        }
        DrawLayers(layers, layerCount, true, false);
        return written;
    }

    // The field of view is the one the last applied camera left.
    SetPerspective(display);

    // A system bound to a scene that draws into its pixel buffer draws there
    // and ends with the window current, which then stays the target for the
    // rest of the frame, also while the blur is on.
    DrawParticleSystems(*this);

    SetOrtho2D(display);
    DrawLayers(layers, layerCount, false, true);

    if (blurTarget != nullptr) {
        RunBlurPass(blur, display, saturateEnabled);
    }

    // Overlays are never blurred.
    SetOrtho2D(display);
    DrawLayers(layers, layerCount, true, true);
    return written;
}
