// One mesh of a scene with its checked element arrays, its motion (rotation
// about its own axis) and its procedural vertex deformation.
//
// Records are copied by value: a copy shares the arrays of the object it was
// taken from, and storing it into a scene hands the arrays to the scene.
// Release frees them.
#ifndef HALVENOR_SCENE_SCENEOBJECT_H
#define HALVENOR_SCENE_SCENEOBJECT_H

#include <cstdint>

#include "scene/Face.h"
#include "scene/TexFace.h"
#include "scene/TexVertex.h"
#include "scene/Vertex.h"

class Material;

// Deformation stages selected by deformFlags, in the order they run.
enum DeformFlag : int32_t {
    DEFORM_WAVE = 1,
    DEFORM_RIPPLE = 2,
    DEFORM_NORMAL_WAVE = 256,
    DEFORM_TWIST_X = 4,
    DEFORM_TWIST_Y = 8,
    DEFORM_TWIST_Z = 16,
    DEFORM_PUSH_X = 32,
    DEFORM_PUSH_Y = 64,
    DEFORM_PUSH_Z = 128,
    DEFORM_FLAG = 512,
};

class SceneObject {
public:
    static constexpr int kNameSize = 256;

    SceneObject();

    // Element arrays. Init creates count default elements (a second call
    // replaces the array). Set stores with a check (message box and no store
    // when the array is missing or the index out of range). Get answers a copy,
    // clamped to the last element after a box; a read from a missing array
    // ends the process with status 1 after its box.
    void InitVertices(uint32_t count);
    void InitFaces(uint32_t count);
    void InitTexVertices(uint32_t count);
    void InitTexFaces(uint32_t count);
    void SetVertex(uint32_t index, const Vertex& vertex);
    void SetFace(uint32_t index, const Face& face);
    void SetTexVertex(uint32_t index, const TexVertex& texVertex);
    void SetTexFace(uint32_t index, const TexFace& texFace);
    Vertex GetVertex(uint32_t index) const;
    Face GetFace(uint32_t index) const;
    TexVertex GetTexVertex(uint32_t index) const;
    TexFace GetTexFace(uint32_t index) const;
    Vertex* VertexAddress(uint32_t index) const { return &vertices[index]; }
    TexVertex* TexVertexAddress(uint32_t index) const { return &texVertices[index]; }

    uint32_t VertexCount() const { return vertexCount; }
    uint32_t FaceCount() const { return faceCount; }
    uint32_t TexVertexCount() const { return texVertexCount; }
    uint32_t TexFaceCount() const { return texFaceCount; }
    int32_t MaterialRef() const { return materialRef; }
    void SetMaterialRef(int32_t index) { materialRef = index; }
    void SetName(const char* text);

    // Frees every array the object owns; the counts return to 0.
    void Release();

    // Creation steps: centre on the bounding box (ASE scenes), adjacency,
    // normals and processed texture coordinates, deformation snapshot.
    void Centre();
    void Prepare(bool binaryScene);
    void Snapshot();

    void SetDeformation(int32_t flags, double frequency, double amplitude, double phase, double step);
    // Rebuilds the vertices from the snapshot and runs the selected stages.
    void Deform();
    // Deforms (when deformFlags is set) and draws the triangles.
    void Draw();
    // What Draw does to the object's state, without the vertex work or any
    // drawing: the deformation's clock moves on and the shape it gives is
    // owed to the vertices until they are next needed.
    void Advance();

    // The deformation the vertices hold (or are owed): stages, values and
    // time. Flags 0: the vertices are the snapshot's.
    struct Shape {
        int32_t flags;
        double frequency;
        double amplitude;
        double phase;
        float time;
    };
    Shape CurrentShape() const { return shape; }
    // Gives the vertices the shape, at once from the snapshot when it has no
    // stages, else when they are next drawn.
    void RestoreShape(const Shape& kept);

    Vertex* vertices;
    uint8_t verticesCreated;
    uint32_t vertexCount;
    Face* faces;
    uint8_t facesCreated;
    uint32_t faceCount;
    TexVertex* texVertices;
    uint8_t texVerticesCreated;
    uint32_t texVertexCount;
    TexFace* texFaces;
    uint8_t texFacesCreated;
    uint32_t texFaceCount;
    int32_t materialRef;
    Material* material;
    char name[kNameSize];
    Vertex* restVertices;
    uint8_t hasRestVertices;
    float deformTime;
    uint8_t textured;
    int32_t deformFlags;
    double deformFrequency;
    double deformAmplitude;
    double deformPhase;
    double deformStep;
    float rotationAxis[3];
    float rotationAngle;
    float rotationSpeed;
    float position[3];
    Shape shape;
    uint8_t shapePending;

private:
    void RecordShape();
    void ApplyShape();
};

#endif
