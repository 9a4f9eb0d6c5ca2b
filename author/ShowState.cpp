#include "author/ShowState.h"

#include "config/Script.h"
#include "core/Display.h"
#include "core/Engine.h"
#include "fx2d/PBuffer.h"
#include "fx2d/ParticleSystem.h"
#include "glext/GlExtensions.h"
#include "platform/Clock.h"
#include "platform/Random.h"
#include "scene/Scene.h"
#include "sound/SoundStream.h"

namespace {

bool HasMusic(const Engine& engine) { return engine.sound != nullptr && engine.sound->handle != 0; }

}  // namespace

void ShowState::Take(const Engine& engine, bool withPictures) {
    taken = true;
    clockNs = Platform::VirtualTimeNs();
    randState = Platform::RandState();
    hasMusic = HasMusic(engine);
    musicPosition = hasMusic ? engine.sound->BytePosition() : 0;
    blurEnabled = engine.blurEnabled;
    saturateEnabled = engine.saturateEnabled;
    currentScene = engine.currentScene;
    scriptCursor = engine.script != nullptr ? engine.script->cursor : 0;
    nextEvent = engine.nextEvent;
    fieldOfView = engine.display != nullptr ? engine.display->fieldOfView : 0.0f;

    scenes.clear();
    for (int32_t i = 0; i < engine.sceneCount; ++i) {
        const Scene& scene = *engine.scenes[i];
        SceneState state{scene.currentCamera, scene.currentFrame, scene.clockStarted, scene.clock,
                         scene.active,        scene.frameElapsed, scene.renderToPBuffer, {}, {}};
        const uint32_t cameraCount = scene.cameras != nullptr ? scene.cameraCount : 0;
        for (uint32_t c = 0; c < cameraCount; ++c) {
            state.cameraRolls.push_back(scene.cameras[c].roll);
        }
        const uint32_t objectCount = scene.objects != nullptr ? scene.objectCount : 0;
        for (uint32_t o = 0; o < objectCount; ++o) {
            const SceneObject& object = scene.objects[o];
            ObjectState kept{{object.rotationAxis[0], object.rotationAxis[1], object.rotationAxis[2]},
                             object.rotationAngle,
                             object.rotationSpeed,
                             object.deformTime,
                             object.deformFlags,
                             object.deformFrequency,
                             object.deformAmplitude,
                             object.deformPhase,
                             object.deformStep,
                             object.CurrentShape()};
            state.objects.push_back(kept);
        }
        scenes.push_back(std::move(state));
    }

    layers.clear();
    for (int32_t i = 0; i < engine.layerCount; ++i) {
        layers.push_back(*engine.layers[i]);
    }

    particleSystems.clear();
    for (int32_t i = 0; i < engine.particleSystemCount; ++i) {
        const ParticleSystem& system = *engine.particleSystems[i];
        ParticleState state{system.visible, {}};
        if (system.particles != nullptr) {
            state.particles.assign(system.particles, system.particles + system.particleCount);
        }
        particleSystems.push_back(std::move(state));
    }

    pictures.clear();
    if (withPictures) {
        TakePictures(engine);
    }
}

void ShowState::Restore(Engine& engine) const {
    if (!taken) {
        return;
    }
    // The clock goes back first: the timers and the music read it.
    Platform::UseVirtualClock(true);
    Platform::SetVirtualTimeNs(clockNs);
    Platform::SeedRand(randState);
    if (hasMusic && HasMusic(engine)) {
        engine.sound->SetBytePosition(musicPosition);
    }
    engine.blurEnabled = blurEnabled;
    engine.saturateEnabled = saturateEnabled;
    engine.currentScene = currentScene;
    if (engine.script != nullptr) {
        engine.script->cursor = scriptCursor;
    }
    engine.nextEvent = nextEvent;
    if (engine.display != nullptr) {
        engine.display->fieldOfView = fieldOfView;
    }

    for (int32_t i = 0; i < engine.sceneCount && static_cast<size_t>(i) < scenes.size(); ++i) {
        Scene& scene = *engine.scenes[i];
        const SceneState& state = scenes[i];
        scene.currentCamera = state.currentCamera;
        scene.currentFrame = state.currentFrame;
        scene.clockStarted = state.clockStarted;
        scene.clock = state.clock;
        scene.active = state.active;
        scene.frameElapsed = state.frameElapsed;
        scene.renderToPBuffer = state.renderToPBuffer;
        for (size_t c = 0; c < state.cameraRolls.size() && c < scene.cameraCount; ++c) {
            scene.cameras[c].roll = state.cameraRolls[c];
        }
        for (size_t o = 0; o < state.objects.size() && o < scene.objectCount; ++o) {
            SceneObject& object = scene.objects[o];
            const ObjectState& kept = state.objects[o];
            for (int axis = 0; axis < 3; ++axis) {
                object.rotationAxis[axis] = kept.rotationAxis[axis];
            }
            object.rotationAngle = kept.rotationAngle;
            object.rotationSpeed = kept.rotationSpeed;
            object.deformTime = kept.deformTime;
            object.SetDeformation(kept.deformFlags, kept.deformFrequency, kept.deformAmplitude, kept.deformPhase,
                                  kept.deformStep);
            object.RestoreShape(kept.shape);
        }
    }

    for (int32_t i = 0; i < engine.layerCount && static_cast<size_t>(i) < layers.size(); ++i) {
        *engine.layers[i] = layers[i];
    }

    for (int32_t i = 0; i < engine.particleSystemCount && static_cast<size_t>(i) < particleSystems.size(); ++i) {
        ParticleSystem& system = *engine.particleSystems[i];
        const ParticleState& state = particleSystems[i];
        system.visible = state.visible;
        if (system.particles != nullptr && state.particles.size() == system.particleCount) {
            std::copy(state.particles.begin(), state.particles.end(), system.particles);
        }
    }

    RestorePictures(engine);
}

// Each pixel buffer's texture is what layers show of it; the buffers redraw
// their own surfaces before copying into it.
void ShowState::TakePictures(const Engine& engine) {
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    for (int32_t i = 0; i < engine.pixelBufferCount; ++i) {
        const PBuffer& pbuffer = *engine.pixelBuffers[i];
        Picture picture{pbuffer.Width(), pbuffer.Height(), {}};
        picture.rgba.resize(static_cast<size_t>(picture.width) * picture.height * 4);
        glBindTexture(GL_TEXTURE_2D, pbuffer.Texture());
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, picture.rgba.data());
        pictures.push_back(std::move(picture));
    }
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
}

void ShowState::RestorePictures(const Engine& engine) const {
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    for (int32_t i = 0; i < engine.pixelBufferCount && static_cast<size_t>(i) < pictures.size(); ++i) {
        const PBuffer& pbuffer = *engine.pixelBuffers[i];
        const Picture& picture = pictures[i];
        if (picture.width != pbuffer.Width() || picture.height != pbuffer.Height()) {
            continue;
        }
        glBindTexture(GL_TEXTURE_2D, pbuffer.Texture());
        glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, picture.width, picture.height, GL_RGBA, GL_UNSIGNED_BYTE,
                        picture.rgba.data());
    }
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
}
