// The camera and light blocks of an ASE file: each one's static key and its
// track of one key per frame of the scene (whose length the scene header's
// last frame gives), stored as the scene's next camera or light.
//
// The two kinds find the end of their blocks differently, as exports lay them
// out: a camera counts its braces, a light counts the closing braces of its
// node and settings blocks and then ends at the next one.
#ifndef HALVENOR_SCENE_ASECAMERALIGHTREADER_H
#define HALVENOR_SCENE_ASECAMERALIGHTREADER_H

#include <cstdint>

#include "scene/AseScanner.h"

class AseImportBudget;
class Camera;
class Scene;
struct CameraKey;

class AseCameraLightReader {
public:
    AseCameraLightReader(AseScanner& scanner, AseImportBudget& budget, Scene& scene);
    AseCameraLightReader(const AseCameraLightReader&) = delete;
    AseCameraLightReader& operator=(const AseCameraLightReader&) = delete;

    // Entered just after *CAMERAOBJECT.
    void ReadCamera();
    // Entered just after *LIGHTOBJECT.
    void ReadLight();

private:
    struct CameraBlock;
    struct LightBlock;

    void ReadCameraValue(const AseScanner::Token& token, CameraBlock& block);
    void ReadCameraFov(CameraBlock& block);
    void ReadCameraPositionSample(CameraBlock& block);
    void StartCameraTrack(CameraBlock& block);
    void StoreCamera(Camera& camera, const CameraKey& staticKey);
    // Ends the block when the token is its last closing brace.
    bool ReadLightValue(const AseScanner::Token& token, LightBlock& block);
    void ReadLightPositionSample(LightBlock& block);
    void StoreLight(LightBlock& block);
    uint32_t TrackLength();

    AseScanner& scanner;
    AseImportBudget& budget;
    Scene& scene;
    int32_t camerasRead;
    int32_t lightsRead;
};

#endif
