// The geometry object blocks of an ASE file: the object's name and material,
// its mesh counts and element lines (vertices, faces, texture vertices and
// faces, face normals). Each block becomes the next object of the scene.
//
// Element lines are the bulk of an export, so the reader acts on a token only
// when it is one of its keywords, and passes over whole lines that hold none.
#ifndef HALVENOR_SCENE_ASEOBJECTREADER_H
#define HALVENOR_SCENE_ASEOBJECTREADER_H

#include <cstdint>

#include "scene/AseScanner.h"

class AseImportBudget;
class Scene;
class SceneObject;

class AseObjectReader {
public:
    AseObjectReader(AseScanner& scanner, AseImportBudget& budget, Scene& scene);
    AseObjectReader(const AseObjectReader&) = delete;
    AseObjectReader& operator=(const AseObjectReader&) = delete;

    // Entered just after *GEOMOBJECT. An object the scene's array has no
    // place for is read all the same, then given back.
    void Read();

private:
    // The element lines; false for any other keyword.
    bool ReadElement(const AseScanner::Token& token, SceneObject& object);
    // Name, element counts, material and position; named tells whether the
    // object already has its name (the first node name of the block wins).
    void ReadObjectValue(const AseScanner::Token& token, SceneObject& object, bool& named);

    void ReadMeshVertex(SceneObject& object);
    void ReadMeshTexVertex(SceneObject& object);
    void ReadMeshFace(SceneObject& object);
    void ReadMeshTexFace(SceneObject& object);
    void ReadMeshFaceNormal(SceneObject& object);
    void StoreObject(SceneObject& object);
    static void ReleaseBeforeFatalRead(SceneObject& object, bool arrayCreated);

    AseScanner& scanner;
    AseImportBudget& budget;
    Scene& scene;
    int32_t objectsRead;
};

#endif
