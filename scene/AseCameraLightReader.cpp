#include "scene/AseCameraLightReader.h"

#include <algorithm>

#include "core/Log.h"
#include "scene/AseImportBudget.h"
#include "scene/Camera.h"
#include "scene/Light.h"
#include "scene/Scene.h"

namespace {

// A camera sample that no line has given values yet starts as the sample
// before it (or the static key for the first), so every sample carries
// forward what its own lines do not set.
void FillFrom(CameraKey& sample, const CameraKey& from) {
    std::copy(from.eye, from.eye + 3, sample.eye);
    std::copy(from.target, from.target + 3, sample.target);
    sample.fov = from.fov;
    sample.filled = 1;
}

void TakeCameraSample(const Camera& camera, uint32_t sample, const CameraKey& staticKey, CameraKey& key) {
    key = camera.GetSample(sample);
    if (!key.filled) {
        FillFrom(key, sample == 0 ? staticKey : camera.GetSample(sample - 1));
    }
}

}  // namespace

// What one camera block has given so far. The field of view a line reads
// stays for the next: a line whose number does not read repeats it.
struct AseCameraLightReader::CameraBlock {
    Camera camera;
    CameraKey staticKey{};
    // The sample the next track line writes.
    uint32_t sample = 0;
    // Position tracks begun: the first moves the eye, the second the target.
    int trackKind = 0;
    // Field-of-view lines after *CAMERA_ANIMATION are samples, not the key.
    bool fovAnimation = false;
    // The first node position is the camera, a second one its target.
    bool positionSeen = false;
    float fov = 0.0f;
    int depth = 0;
};

// What one light block has given so far; a track sample's coordinates that a
// line does not give stay those of the sample before.
struct AseCameraLightReader::LightBlock {
    Light light;
    LightKey key{};
    LightKey sample{};
    // The sample the next track line writes.
    uint32_t next = 0;
    // Lights end by counting closing braces: node block, settings block,
    // then either the object's own brace or the end of its position track.
    // The colour line means the settings are reached (1), the track line
    // the track (2), whose next closing brace ends the block.
    int state = 0;
    int32_t useGlobal = 0;
};

AseCameraLightReader::AseCameraLightReader(AseScanner& textScanner, AseImportBudget& importBudget, Scene& target)
    : scanner(textScanner), budget(importBudget), scene(target), camerasRead(0), lightsRead(0) {}

uint32_t AseCameraLightReader::TrackLength() { return budget.TrackLength(scene.GetParams().lastFrame); }

// ---------------------------------------------------------------------------
// Cameras

void AseCameraLightReader::ReadCamera() {
    Log::Write("]> - CARGANDO CAMARA.\n");
    CameraBlock block;
    AseScanner::Token token;
    while (scanner.NextToken(token)) {
        if (token.Is("{")) {
            ++block.depth;
        } else if (token.Is("}")) {
            if (--block.depth == 0) {
                break;
            }
        } else {
            ReadCameraValue(token, block);
        }
    }
    StoreCamera(block.camera, block.staticKey);
}

void AseCameraLightReader::ReadCameraValue(const AseScanner::Token& token, CameraBlock& block) {
    if (token.Is("*TM_POS")) {
        float read[3];
        AseScanner::StoreYUp(block.positionSeen ? block.staticKey.target : block.staticKey.eye, read,
                             scanner.ReadFloats(read, 3));
        block.positionSeen = true;
    } else if (token.Is("*CAMERA_FOV")) {
        ReadCameraFov(block);
    } else if (token.Is("*CAMERA_ANIMATION")) {
        block.sample = 0;
        block.fovAnimation = true;
        if (block.camera.track == nullptr) {
            block.camera.CreateTrack(TrackLength());
        }
    } else if (token.Is("*CONTROL_POS_TRACK")) {
        StartCameraTrack(block);
    } else if (token.Is("*CONTROL_POS_SAMPLE")) {
        ReadCameraPositionSample(block);
    }
}

void AseCameraLightReader::ReadCameraFov(CameraBlock& block) {
    scanner.ReadFloat(block.fov);
    const float degrees = block.fov * 180.0f / 3.1416f;
    if (!block.fovAnimation) {
        block.staticKey.fov = degrees;
        return;
    }
    if (block.sample < block.camera.SampleCount()) {
        CameraKey key;
        TakeCameraSample(block.camera, block.sample, block.staticKey, key);
        key.fov = degrees;
        block.camera.SetSample(block.sample, key);
    }
    ++block.sample;
}

void AseCameraLightReader::StartCameraTrack(CameraBlock& block) {
    Log::Write("]>   - LEYENDO ANIMACION DE CAMARA.\n");
    block.sample = 0;
    if (block.camera.track == nullptr) {
        block.camera.CreateTrack(TrackLength());
    }
    ++block.trackKind;
}

void AseCameraLightReader::ReadCameraPositionSample(CameraBlock& block) {
    // Samples of a third track, and past the end of the track, are dropped.
    if (block.trackKind == 1 || block.trackKind == 2) {
        int32_t tick = 0;
        float read[3];
        int matched = 0;
        if (scanner.ReadInt(tick)) {
            matched = scanner.ReadFloats(read, 3);
        }
        if (block.sample < block.camera.SampleCount()) {
            CameraKey key;
            TakeCameraSample(block.camera, block.sample, block.staticKey, key);
            AseScanner::StoreYUp(block.trackKind == 1 ? key.eye : key.target, read, matched);
            block.camera.SetSample(block.sample, key);
        }
    }
    ++block.sample;
}

void AseCameraLightReader::StoreCamera(Camera& camera, const CameraKey& staticKey) {
    camera.SetKey(staticKey);
    camera.CarryForwardSamples();
    const bool fits = scene.camerasCreated && static_cast<uint32_t>(camerasRead) < scene.cameraCount;
    scene.SetCamera(static_cast<uint32_t>(camerasRead), camera);
    if (!fits) {
        // The scene refused it, so its track is still the reader's.
        delete[] camera.track;
    }
    ++camerasRead;
}

// ---------------------------------------------------------------------------
// Lights

void AseCameraLightReader::ReadLight() {
    Log::Write("]> - CARGANDO LUZ.\n");
    LightBlock block;
    block.key.number = lightsRead;
    AseScanner::Token token;
    while (scanner.NextToken(token)) {
        if (!ReadLightValue(token, block)) {
            break;
        }
    }
    StoreLight(block);
}

bool AseCameraLightReader::ReadLightValue(const AseScanner::Token& token, LightBlock& block) {
    if (token.Is("}")) {
        if (block.state == 2) {
            return false;
        }
        ++block.state;
    } else if (token.Is("*TM_POS")) {
        float read[3];
        AseScanner::StoreYUp(block.key.position, read, scanner.ReadFloats(read, 3));
    } else if (token.Is("*LIGHT_COLOR")) {
        scanner.ReadFloats(block.key.colour, 3);
        block.state = 1;
    } else if (token.Is("*LIGHT_USEGLOBAL")) {
        scanner.ReadInt(block.useGlobal);
        block.light.flare = block.useGlobal == 1 ? 1 : 0;
    } else if (token.Is("*CONTROL_POS_TRACK")) {
        if (block.light.track == nullptr) {
            block.light.CreateTrack(TrackLength());
        }
        block.state = 2;
        block.next = 0;
        Log::Write("]>   - LEYENDO ANIMACION DE LUZ.\n");
    } else if (token.Is("*CONTROL_POS_SAMPLE")) {
        ReadLightPositionSample(block);
    } else {
        // Nothing else in a light block is used: its line goes whole.
        scanner.SkipLine(AseScanner::kSkippedLineSize);
    }
    return true;
}

void AseCameraLightReader::ReadLightPositionSample(LightBlock& block) {
    int32_t tick = 0;
    float read[3];
    int matched = 0;
    if (scanner.ReadInt(tick)) {
        matched = scanner.ReadFloats(read, 3);
    }
    AseScanner::StoreYUp(block.sample.position, read, matched);
    // Samples past the end of the track, or before any track, are dropped.
    if (block.next < block.light.SampleCount()) {
        block.light.SetSample(block.next, block.sample);
    }
    ++block.next;
}

void AseCameraLightReader::StoreLight(LightBlock& block) {
    Light& light = block.light;
    light.SetKey(block.key);
    light.CarryForwardSamples(block.next);
    const bool fits = scene.lightsCreated && static_cast<uint32_t>(lightsRead) < scene.lightCount;
    scene.SetLight(static_cast<uint32_t>(lightsRead), light);
    if (!fits) {
        // The scene refused it, so its track is still the reader's.
        delete[] light.track;
    }
    ++lightsRead;
}
