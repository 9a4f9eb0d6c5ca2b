// What playing a loaded show changes, at one moment: scene clocks, animation
// frames, cameras and their rolls, object motion and deformation, the layers'
// programs, spins and scrolls, particle positions, which events have fired,
// the blur switches, the random sequence, the music's position and the
// virtual clock, and (when asked for) the pictures the pixel buffers hold.
//
// Taken right after loading it is the show's rewind point: restoring it
// brings every resource back to its just-loaded state without reading a file
// again. Taken later it is a place the show can come back to at once.
// Restoring needs the window's rendering context current and the show's
// resources unchanged since it was taken.
#ifndef HALVENOR_AUTHOR_SHOWSTATE_H
#define HALVENOR_AUTHOR_SHOWSTATE_H

#include <cstdint>
#include <vector>

#include "config/ScriptEvent.h"
#include "core/Timer.h"
#include "fx2d/Layer2D.h"
#include "fx2d/Particle.h"
#include "scene/SceneObject.h"

class Engine;

class ShowState {
public:
    // The virtual clock must be on: its time is part of the state.
    void Take(const Engine& engine, bool withPictures);
    void Restore(Engine& engine) const;

    bool Taken() const { return taken; }
    int64_t ClockNs() const { return clockNs; }

private:
    struct ObjectState {
        float rotationAxis[3];
        float rotationAngle;
        float rotationSpeed;
        float deformTime;
        int32_t deformFlags;
        double deformFrequency;
        double deformAmplitude;
        double deformPhase;
        double deformStep;
        SceneObject::Shape shape;
    };
    struct SceneState {
        uint32_t currentCamera;
        float currentFrame;
        uint8_t clockStarted;
        Timer clock;
        uint8_t active;
        float frameElapsed;
        uint8_t renderToPBuffer;
        std::vector<float> cameraRolls;
        std::vector<ObjectState> objects;
    };
    struct ParticleState {
        bool visible;
        std::vector<Particle> particles;
    };
    struct Picture {
        int width;
        int height;
        std::vector<uint8_t> rgba;
    };

    void TakePictures(const Engine& engine);
    void RestorePictures(const Engine& engine) const;

    bool taken = false;
    int64_t clockNs = 0;
    uint32_t randState = 0;
    bool hasMusic = false;
    uint64_t musicPosition = 0;
    bool blurEnabled = false;
    bool saturateEnabled = false;
    int32_t currentScene = 0;
    int32_t scriptCursor = 0;
    ScriptEvent nextEvent = ScriptEvent::Empty();
    float fieldOfView = 0.0f;
    std::vector<SceneState> scenes;
    std::vector<Layer2D> layers;
    std::vector<ParticleState> particleSystems;
    std::vector<Picture> pictures;
};

#endif
