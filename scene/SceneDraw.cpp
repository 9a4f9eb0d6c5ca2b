// Drawing a scene: clear, fog, camera, lights, objects in array order (opaque
// ones first, as the object array keeps them), then the lens flares over the
// finished geometry. Also the creation steps that load the scene's textures
// and link objects to their materials.
#include "scene/Scene.h"

#include <climits>
#include <cstdint>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "core/Display.h"
#include "glext/GlExtensions.h"
#include "scene/TextureLoader.h"

namespace {

// Every flare of every scene shows this picture.
const char* const FLARE_TEXTURE = "texturas\\Blue.jpg";

// Asking for the farthest depth; OpenGL clamps it to 1.0.
constexpr double kClearDepth = 1000000.0;

// Seen from here, looking at the origin, when a scene has no camera.
constexpr double kDefaultEye[3] = {0.0, 50.0, 80.0};

constexpr int kSceneLightCount = 7;

// The frame number that samples the light tracks: the frame truncated
// towards zero, kept inside the range of an int (and 0 for a frame that is
// not a number), so that no conversion overflows.
int FrameNumber(float frame) {
    if (std::isnan(frame)) {
        return 0;
    }
    if (frame >= static_cast<float>(INT_MAX)) {
        return INT_MAX;
    }
    if (frame <= static_cast<float>(INT_MIN)) {
        return INT_MIN;
    }
    return static_cast<int>(frame);
}

bool MaterialInRange(int32_t index, uint32_t count) {
    return index >= 0 && static_cast<uint32_t>(index) < count;
}

void SwitchOffSceneLights() {
    for (int i = 0; i < kSceneLightCount; ++i) {
        glDisable(static_cast<GLenum>(GL_LIGHT1 + i));
    }
}

// Flares take their coordinates from the quad on unit 0 alone: a second unit
// left on by a two-map material, or coordinates generated for a sphere map,
// would otherwise spread one texel over the whole flare.
void PrepareFlareState() {
    glActiveTextureARB(GL_TEXTURE1_ARB);
    glDisable(GL_TEXTURE_2D);
    glActiveTextureARB(GL_TEXTURE0_ARB);
    glDisable(GL_TEXTURE_GEN_S);
    glDisable(GL_TEXTURE_GEN_T);
    glEnable(GL_TEXTURE_2D);
    glDisable(GL_LIGHTING);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glDisable(GL_CULL_FACE);
}

// What an object whose material index is outside the material array is drawn
// with: opaque, one-sided, untextured, without emission. Without it such an
// object would take whatever state the drawing before it left, which changes
// from the first frame to the next.
const Material& DefaultMaterial() {
    static const Material material = [] {
        Material made;
        for (int i = 0; i < 4; ++i) {
            made.props.ambient[i] = 1.0f;
            made.props.diffuse[i] = 1.0f;
        }
        made.props.specular[3] = 1.0f;
        return made;
    }();
    return material;
}

// Marks the default material as the one last applied.
constexpr int32_t kDefaultMaterialIndex = INT32_MIN;

// Objects in array order, each at its place and, while it turns, its angle.
void DrawObjects(SceneObject* objects, uint32_t count, Material* materials, uint32_t materialsInUse) {
    // Neighbours that share a material set its state once.
    int32_t lastMaterial = -1;
    bool anyApplied = false;
    for (uint32_t i = 0; i < count; ++i) {
        SceneObject& object = objects[i];
        const bool inRange = MaterialInRange(object.materialRef, materialsInUse);
        const int32_t wanted = inRange ? object.materialRef : kDefaultMaterialIndex;
        if (!anyApplied || wanted != lastMaterial) {
            (inRange ? materials[wanted] : DefaultMaterial()).Apply();
            lastMaterial = wanted;
            anyApplied = true;
        }
        glPushMatrix();
        glTranslatef(object.position[0], object.position[1], object.position[2]);
        if (object.rotationSpeed > 0.0f) {
            glRotatef(object.rotationAngle, object.rotationAxis[0], object.rotationAxis[1], object.rotationAxis[2]);
        }
        object.Draw();
        glPopMatrix();
    }
}

}  // namespace

void Scene::Draw() {
    glDepthMask(GL_TRUE);
    glEnable(GL_DEPTH_TEST);
    if (clearBuffers != 0) {
        glClearColor(params.background[0], params.background[1], params.background[2], 1.0f);
        glClearDepth(kClearDepth);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    } else {
        // Drawn over what the frame already holds.
        glClear(GL_DEPTH_BUFFER_BIT);
    }
    ApplyFog();
    ApplyCamera();

    glEnable(GL_LIGHTING);
    SwitchOffSceneLights();
    const uint32_t lightsInUse = lights != nullptr ? lightCount : 0;
    if (lightsInUse == 0) {
        glEnable(GL_LIGHT0);
    } else {
        glDisable(GL_LIGHT0);
        // The camera may have restarted the animation: read the frame after it.
        const int frame = FrameNumber(currentFrame);
        for (uint32_t i = 0; i < lightsInUse; ++i) {
            lights[i].Apply(frame);
        }
    }

    DrawObjects(objects, objects != nullptr ? objectCount : 0, materials, materials != nullptr ? materialCount : 0);

    PrepareFlareState();
    for (uint32_t i = 0; i < lightsInUse; ++i) {
        lights[i].DrawFlare();
    }
    glEnable(GL_CULL_FACE);
    glDepthMask(GL_TRUE);
    glDisable(GL_TEXTURE_GEN_S);
    glDisable(GL_TEXTURE_GEN_T);
}

void Scene::ApplyCamera() {
    if (cameras == nullptr || cameraCount == 0) {
        glLoadIdentity();
        gluLookAt(kDefaultEye[0], kDefaultEye[1], kDefaultEye[2], 0.0, 0.0, 0.0, 0.0, 1.0, 0.0);
        return;
    }
    if (currentCamera >= cameraCount) {
        currentCamera = 0;
    }
    const Camera& camera = cameras[currentCamera];
    if (display != nullptr) {
        display->SetFieldOfView(camera.key.fov);
    }
    camera.Apply(currentFrame);
}

void Scene::AdvanceCamera() {
    if (cameras == nullptr || cameraCount == 0) {
        return;
    }
    if (currentCamera >= cameraCount) {
        currentCamera = 0;
    }
    const Camera& camera = cameras[currentCamera];
    if (display != nullptr) {
        display->fieldOfView = camera.key.fov;
    }
    camera.WrapFrame(currentFrame);
}

void Scene::Advance() {
    AdvanceCamera();
    const uint32_t count = objects != nullptr ? objectCount : 0;
    for (uint32_t i = 0; i < count; ++i) {
        objects[i].Advance();
    }
}

void Scene::ApplyFog() const {
    if (params.fogEnabled == 0) {
        glDisable(GL_FOG);
        return;
    }
    glFogi(GL_FOG_MODE, GL_LINEAR);
    glFogfv(GL_FOG_COLOR, params.fogColor);
    // Linear fog ignores the density; it is handed over all the same.
    glFogf(GL_FOG_DENSITY, params.fogDensity);
    glFogf(GL_FOG_START, params.fogStart);
    glFogf(GL_FOG_END, params.fogEnd);
    glEnable(GL_FOG);
}

void Scene::PrepareTextures() {
    const uint32_t materialsInUse = materials != nullptr ? materialCount : 0;
    for (uint32_t i = 0; i < materialsInUse; ++i) {
        Material& material = materials[i];
        for (int32_t slot = 0; slot < material.props.mapCount && slot < Material::kMapSlots; ++slot) {
            material.maps[slot].Load();
        }
    }
    const uint32_t lightsInUse = lights != nullptr ? lightCount : 0;
    for (uint32_t i = 0; i < lightsInUse; ++i) {
        Light& light = lights[i];
        if (light.flare == 0) {
            continue;
        }
        std::snprintf(light.flareFile, sizeof(light.flareFile), "%s", FLARE_TEXTURE);
        light.flareTexture = LoadTexture(light.flareFile);
    }
}

void Scene::LinkMaterials() {
    const uint32_t count = objects != nullptr ? objectCount : 0;
    const uint32_t materialsInUse = materials != nullptr ? materialCount : 0;
    for (uint32_t i = 0; i < count; ++i) {
        SceneObject& object = objects[i];
        object.material = MaterialInRange(object.materialRef, materialsInUse) ? &materials[object.materialRef] : nullptr;
    }
}
