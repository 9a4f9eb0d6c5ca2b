#include "scene/Scene.h"

#include <cstring>
#include <unordered_set>

#include "platform/MessageBox.h"

namespace {

const char* const kOutOfRange = "Acceso fuera del vector IMPEDIDO";
const char* const kAccessCaption = "Error de acceso";
const char* const kInitCaption = "Error de inicializacion";
const char* const kWarningCaption = "Atencion";

void ShowBox(const char* text, const char* caption) { MessageBoxA(nullptr, text, caption, MB_OK); }

// Copies of a record share its arrays, so the same array may sit in two slots
// when a caller stored one record twice; each array is freed once.
class FreedArrays {
public:
    // True the first time an address is offered (null is never freed).
    bool Claim(const void* address) { return address != nullptr && freed.insert(address).second; }

private:
    std::unordered_set<const void*> freed;
};

// An object without a stored material has nothing to blend with: opaque.
bool IsOpaque(const Scene& scene, const SceneObject& object) {
    const int32_t ref = object.materialRef;
    if (!scene.materialsCreated || ref < 0 || static_cast<uint32_t>(ref) >= scene.materialCount) {
        return true;
    }
    return scene.materials[ref].props.ambient[3] >= 1.0f;
}

void ReleaseObjects(Scene& scene) {
    FreedArrays freed;
    for (uint32_t i = 0; i < scene.objectCount; ++i) {
        SceneObject& object = scene.objects[i];
        // An array already freed through another slot is forgotten here, so
        // that Release frees only what this slot alone still holds.
        if (!freed.Claim(object.vertices)) {
            object.vertices = nullptr;
        }
        if (!freed.Claim(object.faces)) {
            object.faces = nullptr;
        }
        if (!freed.Claim(object.texVertices)) {
            object.texVertices = nullptr;
        }
        if (!freed.Claim(object.texFaces)) {
            object.texFaces = nullptr;
        }
        if (!freed.Claim(object.restVertices)) {
            object.restVertices = nullptr;
        }
        object.Release();
    }
    delete[] scene.objects;
    scene.objects = nullptr;
    scene.objectCount = 0;
    scene.objectsCreated = 0;
    // A new object array starts filling from both ends again.
    scene.frontCount = 0;
    scene.backIndex = 0;
}

template <typename Record>
void ReleaseTracks(Record* records, uint32_t count) {
    FreedArrays freed;
    for (uint32_t i = 0; i < count; ++i) {
        if (freed.Claim(records[i].track)) {
            delete[] records[i].track;
        }
        records[i].track = nullptr;
        records[i].sampleCount = 0;
    }
}

}  // namespace

Scene::Scene()
    : params(DefaultSceneParams()),
      display(nullptr),
      objects(nullptr),
      objectCount(0),
      objectsCreated(0),
      materials(nullptr),
      materialCount(0),
      materialsCreated(0),
      cameras(nullptr),
      cameraCount(0),
      camerasCreated(0),
      lights(nullptr),
      lightCount(0),
      lightsCreated(0),
      currentCamera(0),
      currentFrame(0.0f),
      clearBuffers(1),
      clockStarted(0),
      clock(),
      active(0),
      frameElapsed(0.0f),
      pbuffer(nullptr),
      renderToPBuffer(0),
      backIndex(0),
      frontCount(0) {}

Scene::~Scene() {
    if (Release()) {
        ShowBox("Escena liberada por el destructor de la clase", kWarningCaption);
    }
}

void Scene::InitObjects(uint32_t count) {
    if (objectsCreated) {
        ShowBox("Vector de objetos ya iniciado para esta escena.", kWarningCaption);
        return;
    }
    objects = new SceneObject[count];
    objectCount = count;
    objectsCreated = 1;
    backIndex = static_cast<int32_t>(count);
}

void Scene::InitMaterials(uint32_t count) {
    if (materialsCreated) {
        ShowBox("Vector de materiales ya iniciado para esta escena.", kWarningCaption);
        return;
    }
    materials = new Material[count];
    materialCount = count;
    materialsCreated = 1;
}

void Scene::InitCameras(uint32_t count) {
    if (camerasCreated) {
        ShowBox("Vector de camaras iniciado para esta escena.", kWarningCaption);
        return;
    }
    cameras = new Camera[count];
    cameraCount = count;
    camerasCreated = 1;
}

void Scene::InitLights(uint32_t count) {
    if (lightsCreated) {
        ShowBox("Vector de luces iniciado para esta escena.", kWarningCaption);
        return;
    }
    lights = new Light[count];
    lightCount = count;
    lightsCreated = 1;
}

void Scene::SetObject(uint32_t index, const SceneObject& object) {
    if (!objectsCreated) {
        ShowBox("No esta iniciado el vector de objetos", kInitCaption);
        return;
    }
    // The fill positions meet once every slot is taken; a repeated index must
    // not push them past each other.
    if (index >= objectCount || frontCount >= backIndex) {
        ShowBox(kOutOfRange, kAccessCaption);
        return;
    }
    // Opaque objects fill from the front in store order, translucent ones from
    // the back, so drawing in array order blends translucent objects last.
    if (IsOpaque(*this, object)) {
        objects[frontCount++] = object;
    } else {
        objects[--backIndex] = object;
    }
}

void Scene::SetMaterial(uint32_t index, const Material& material) {
    if (!materialsCreated) {
        ShowBox("No esta iniciado el vector de materiales", kInitCaption);
    } else if (index >= materialCount) {
        ShowBox(kOutOfRange, kAccessCaption);
    } else {
        materials[index] = material;
    }
}

void Scene::SetCamera(uint32_t index, const Camera& camera) {
    if (!camerasCreated) {
        ShowBox("No esta iniciado el vector de camaras", kInitCaption);
    } else if (index >= cameraCount) {
        ShowBox(kOutOfRange, kAccessCaption);
    } else {
        cameras[index] = camera;
    }
}

void Scene::SetLight(uint32_t index, const Light& light) {
    if (!lightsCreated) {
        ShowBox("No esta iniciado el vector de luces", kInitCaption);
    } else if (index >= lightCount) {
        ShowBox(kOutOfRange, kAccessCaption);
    } else {
        lights[index] = light;
    }
}

void Scene::SetName(const char* text) {
    if (text == nullptr) {
        text = "";
    }
    std::strncpy(params.name, text, SceneParams::kNameSize - 1);
    params.name[SceneParams::kNameSize - 1] = '\0';
}

void Scene::SelectCamera(uint32_t index) { currentCamera = index > cameraCount ? 0 : index; }

bool Scene::Release() {
    const bool anything = objectsCreated || materialsCreated || camerasCreated || lightsCreated;
    if (objectsCreated) {
        ReleaseObjects(*this);
    }
    if (materialsCreated) {
        delete[] materials;
        materials = nullptr;
        materialCount = 0;
        materialsCreated = 0;
    }
    if (camerasCreated) {
        ReleaseTracks(cameras, cameraCount);
        delete[] cameras;
        cameras = nullptr;
        cameraCount = 0;
        camerasCreated = 0;
    }
    if (lightsCreated) {
        ReleaseTracks(lights, lightCount);
        delete[] lights;
        lights = nullptr;
        lightCount = 0;
        lightsCreated = 0;
    }
    return anything;
}

