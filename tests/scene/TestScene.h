// A scene built in memory from records a drawing test owns: quads, materials,
// cameras and lights, handed to a Scene without any file.
#ifndef HALVENOR_TESTS_SCENE_TESTSCENE_H
#define HALVENOR_TESTS_SCENE_TESTSCENE_H

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

#include "scene/Scene.h"

namespace TestSupport {

struct MeshData {
    std::vector<Vertex> vertices;
    std::vector<Face> faces;
    std::vector<TexVertex> texVertices;
    std::vector<TexFace> texFaces;
};

struct QuadSpec {
    float centre[3] = {0.0f, 0.0f, 0.0f};  // the object's position
    float offset[2] = {0.0f, 0.0f};        // of the quad's middle from the position
    float half = 20.0f;
    bool facingAway = false;  // wound clockwise as seen from +z
    int32_t material = 0;
};

// A scene built from records the test owns; the scene's created flags stay
// clear, so releasing it leaves these arrays alone.
class TestScene {
public:
    explicit TestScene(Display* display) { scene.display = display; }
    ~TestScene() {
        for (MeshData& mesh : meshes) {
            for (Vertex& vertex : mesh.vertices) {
                delete[] vertex.adjacentNormals;
            }
        }
        for (SceneObject& object : objects) {
            delete[] object.restVertices;
        }
        scene.objects = nullptr;
        scene.materials = nullptr;
        scene.cameras = nullptr;
        scene.lights = nullptr;
    }

    // An opaque material showing the given emission (lit by the black light).
    int32_t AddMaterial(float r, float g, float b, float opacity = 1.0f) {
        Material material;
        material.props.ambient[0] = material.props.ambient[1] = material.props.ambient[2] = 1.0f;
        material.props.ambient[3] = opacity;
        material.props.emission[0] = r;
        material.props.emission[1] = g;
        material.props.emission[2] = b;
        materials.push_back(material);
        return static_cast<int32_t>(materials.size() - 1);
    }
    // A surface showing (r, g, b). Emission reaches the surface only when its
    // red is above 0: a red of 0 is drawn as a red too small to see.
    int32_t AddShowing(float r, float g, float b, float opacity = 1.0f) {
        return AddMaterial(std::fmax(r, 0.001f), g, b, opacity);
    }
    Material& MaterialAt(int32_t index) { return materials[index]; }

    SceneObject& AddQuad(const QuadSpec& spec) {
        meshes.emplace_back();
        MeshData& mesh = meshes.back();
        const float corners[4][2] = {{-1.0f, -1.0f}, {1.0f, -1.0f}, {1.0f, 1.0f}, {-1.0f, 1.0f}};
        for (const auto& corner : corners) {
            Vertex vertex = DefaultVertex();
            vertex.position[0] = spec.offset[0] + corner[0] * spec.half;
            vertex.position[1] = spec.offset[1] + corner[1] * spec.half;
            mesh.vertices.push_back(vertex);
            mesh.texVertices.push_back(TexVertex{(corner[0] + 1.0f) / 2.0f, (corner[1] + 1.0f) / 2.0f, 0.0f, 0.0f});
        }
        const float nz = spec.facingAway ? -1.0f : 1.0f;
        if (spec.facingAway) {
            mesh.faces.push_back(Face{0, 2, 1, nullptr, nullptr, nullptr, {0.0f, 0.0f, nz}});
            mesh.faces.push_back(Face{0, 3, 2, nullptr, nullptr, nullptr, {0.0f, 0.0f, nz}});
            mesh.texFaces.push_back(TexFace{0, 2, 1, nullptr, nullptr, nullptr});
            mesh.texFaces.push_back(TexFace{0, 3, 2, nullptr, nullptr, nullptr});
        } else {
            mesh.faces.push_back(Face{0, 1, 2, nullptr, nullptr, nullptr, {0.0f, 0.0f, nz}});
            mesh.faces.push_back(Face{0, 2, 3, nullptr, nullptr, nullptr, {0.0f, 0.0f, nz}});
            mesh.texFaces.push_back(TexFace{0, 1, 2, nullptr, nullptr, nullptr});
            mesh.texFaces.push_back(TexFace{0, 2, 3, nullptr, nullptr, nullptr});
        }
        SceneObject object;
        object.materialRef = spec.material;
        for (int axis = 0; axis < 3; ++axis) {
            object.position[axis] = spec.centre[axis];
        }
        objects.push_back(object);
        meshOf.push_back(meshes.size() - 1);
        return objects.back();
    }
    MeshData& MeshOf(size_t objectIndex) { return meshes[meshOf[objectIndex]]; }

    Camera& AddCamera(float ex, float ey, float ez, float tx, float ty, float tz, float fov = 45.0f) {
        Camera camera;
        camera.key = CameraKey{{ex, ey, ez}, {tx, ty, tz}, fov, 1};
        cameras.push_back(camera);
        return cameras.back();
    }
    Camera& AddStandardCamera() { return AddCamera(0.0f, 0.0f, 100.0f, 0.0f, 0.0f, 0.0f); }

    Light& AddLight(int32_t number, float r, float g, float b, float x, float y, float z) {
        Light light;
        light.key = LightKey{number, {r, g, b, 1.0f}, {x, y, z, 1.0f}};
        lights.push_back(light);
        return lights.back();
    }
    Light& AddBlackLight() { return AddLight(0, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 1000.0f); }

    // Hands the arrays to the scene and runs the creation steps that need no
    // files: material links, preparation, snapshot.
    Scene& Finish() {
        scene.objects = objects.empty() ? nullptr : objects.data();
        scene.objectCount = static_cast<uint32_t>(objects.size());
        scene.materials = materials.empty() ? nullptr : materials.data();
        scene.materialCount = static_cast<uint32_t>(materials.size());
        scene.cameras = cameras.empty() ? nullptr : cameras.data();
        scene.cameraCount = static_cast<uint32_t>(cameras.size());
        scene.lights = lights.empty() ? nullptr : lights.data();
        scene.lightCount = static_cast<uint32_t>(lights.size());
        for (size_t i = 0; i < objects.size(); ++i) {
            MeshData& mesh = MeshOf(i);
            SceneObject& object = objects[i];
            object.vertices = mesh.vertices.data();
            object.vertexCount = static_cast<uint32_t>(mesh.vertices.size());
            object.faces = mesh.faces.data();
            object.faceCount = static_cast<uint32_t>(mesh.faces.size());
            object.texVertices = mesh.texVertices.data();
            object.texVertexCount = static_cast<uint32_t>(mesh.texVertices.size());
            object.texFaces = mesh.texFaces.data();
            object.texFaceCount = static_cast<uint32_t>(mesh.texFaces.size());
        }
        scene.LinkMaterials();
        for (SceneObject& object : objects) {
            object.Prepare(false);
            object.Snapshot();
        }
        return scene;
    }

    Scene scene;
    std::vector<SceneObject> objects;
    std::vector<Material> materials;
    std::vector<Camera> cameras;
    std::vector<Light> lights;

private:
    std::deque<MeshData> meshes;
    std::vector<size_t> meshOf;
};

}  // namespace TestSupport

#endif
