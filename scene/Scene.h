// One 3D scene: header, objects, materials, cameras and lights in checked
// arrays created once at their final length, plus its drawing and clock state.
//
// Object storage puts opaque objects at the front of the array in the order
// stored and translucent ones at the back in reverse order, so that drawing
// in array order draws translucent objects last.
#ifndef HALVENOR_SCENE_SCENE_H
#define HALVENOR_SCENE_SCENE_H

#include <cstdint>

#include "core/Timer.h"
#include "scene/Camera.h"
#include "scene/Light.h"
#include "scene/Material.h"
#include "scene/SceneObject.h"
#include "scene/SceneParams.h"

class Display;
class PBuffer;

class Scene {
public:
    Scene();
    // Releases what an explicit Release left, with a warning box if anything was.
    ~Scene();
    Scene(const Scene&) = delete;
    Scene& operator=(const Scene&) = delete;

    // Array creation: a second call shows the array's already-created box and
    // changes nothing.
    void InitObjects(uint32_t count);
    void InitMaterials(uint32_t count);
    void InitCameras(uint32_t count);
    void InitLights(uint32_t count);

    // Checked stores (box and no store on a missing array or bad index).
    void SetObject(uint32_t index, const SceneObject& object);
    void SetMaterial(uint32_t index, const Material& material);
    void SetCamera(uint32_t index, const Camera& camera);
    void SetLight(uint32_t index, const Light& light);

    // Unchecked copies: the caller keeps index below the count.
    SceneObject GetObject(uint32_t index) const { return objects[index]; }
    Material GetMaterial(uint32_t index) const { return materials[index]; }
    Camera GetCamera(uint32_t index) const { return cameras[index]; }
    Light GetLight(uint32_t index) const { return lights[index]; }

    uint32_t ObjectCount() const { return objectCount; }
    uint32_t MaterialCount() const { return materialCount; }
    uint32_t CameraCount() const { return cameraCount; }
    uint32_t LightCount() const { return lightCount; }

    SceneParams GetParams() const { return params; }
    void SetParams(const SceneParams& newParams) { params = newParams; }
    void SetName(const char* text);
    const char* Name() const { return params.name; }
    void SetDisplay(Display* newDisplay) { display = newDisplay; }
    void SetClearBuffers(bool flag) { clearBuffers = flag ? 1 : 0; }
    void SetPBuffer(PBuffer* newPBuffer) { pbuffer = newPBuffer; }
    PBuffer* GetPBuffer() const { return pbuffer; }
    void SetRenderToPBuffer(bool flag) { renderToPBuffer = flag ? 1 : 0; }
    bool RenderToPBuffer() const { return renderToPBuffer != 0; }
    void SetActive(bool flag) { active = flag ? 1 : 0; }
    bool IsActive() const { return active != 0; }

    // Stores index, or 0 when it is greater than the camera count (an index
    // equal to the count wraps to 0 when the scene is next drawn).
    void SelectCamera(uint32_t index);

    // Drawing: clear, fog, camera, lights, objects in array order, flares.
    void Draw();
    void ApplyCamera();
    void ApplyFog() const;

    // Creation steps after reading: load every material map and flare
    // texture, then point every object at its material.
    void PrepareTextures();
    void LinkMaterials();

    // What Draw (and the ApplyCamera after it) does to the scene's state,
    // without drawing: the camera index and animation frame wrap, the field
    // of view becomes the camera's, every object's deformation moves on.
    void Advance();
    // ApplyCamera's part of it.
    void AdvanceCamera();

    // One clock step: advances the animation frame and object angles at the
    // scene's frame speed, waiting until its frame period has passed.
    void Update();

    // Frees the four arrays; true when anything was freed.
    bool Release();

    SceneParams params;
    Display* display;
    SceneObject* objects;
    uint32_t objectCount;
    uint8_t objectsCreated;
    Material* materials;
    uint32_t materialCount;
    uint8_t materialsCreated;
    Camera* cameras;
    uint32_t cameraCount;
    uint8_t camerasCreated;
    Light* lights;
    uint32_t lightCount;
    uint8_t lightsCreated;
    uint32_t currentCamera;
    float currentFrame;
    uint8_t clearBuffers;
    uint8_t clockStarted;
    Timer clock;
    uint8_t active;
    float frameElapsed;
    PBuffer* pbuffer;
    uint8_t renderToPBuffer;
    int32_t backIndex;
    int32_t frontCount;
};

#endif
