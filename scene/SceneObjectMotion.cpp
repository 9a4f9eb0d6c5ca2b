// Object preparation, the deformation's clock and owed shape, and triangle
// drawing.
//
// The deformation stages themselves run in FastDeformation, or in
// ReferenceDeformation when the fast path cannot vouch for its numbers; this
// file, like them, is built with the deformation's compile flags (see
// CMakeLists.txt), as preparation computes the vertex normals they start from.
#include "scene/SceneObject.h"

#include <cstring>

#include "glext/GlExtensions.h"
#include "scene/DeformParams.h"
#include "scene/FastDeformation.h"
#include "scene/Material.h"
#include "scene/MeshNormals.h"
#include "scene/ReferenceDeformation.h"

namespace {

// The centring box starts inside out so that the first vertex sets it.
constexpr float kBoxStart = 100000000.0f;

// Face corners that name a vertex of the object.
int64_t CornersInUse(const Face* faces, uint32_t faceCount, uint32_t vertexCount) {
    int64_t corners = 0;
    for (uint32_t f = 0; f < faceCount; ++f) {
        corners += (CornerInRange(faces[f].a, vertexCount) ? 1 : 0) +
                   (CornerInRange(faces[f].b, vertexCount) ? 1 : 0) +
                   (CornerInRange(faces[f].c, vertexCount) ? 1 : 0);
    }
    return corners;
}

// Whether the adjacency counts a binary file stored can size the adjacency
// lists: none below zero, and together exactly the corners the faces use.
// Counts that add up to anything else come from a broken file.
bool StoredCountsHold(const Vertex* vertices, uint32_t vCount, const Face* faces, uint32_t fCount) {
    int64_t stored = 0;
    for (uint32_t i = 0; i < vCount; ++i) {
        if (vertices[i].adjacentCount < 0) {
            return false;
        }
        stored += vertices[i].adjacentCount;
    }
    return stored == CornersInUse(faces, fCount, vCount);
}

// Empties every adjacency list, and counts afresh how many faces use each
// vertex when recount is set.
void CountAdjacentFaces(Vertex* vertices, uint32_t vCount, const Face* faces, uint32_t fCount, bool recount) {
    for (uint32_t i = 0; i < vCount; ++i) {
        if (recount) {
            vertices[i].adjacentCount = 0;
        }
        vertices[i].adjacentFilled = 0;
    }
    if (!recount) {
        return;
    }
    for (uint32_t f = fCount; f-- > 0;) {
        const Face& face = faces[f];
        const int32_t corners[3] = {face.a, face.b, face.c};
        for (const int32_t corner : corners) {
            if (CornerInRange(corner, vCount)) {
                ++vertices[corner].adjacentCount;
            }
        }
    }
}

void AppendAdjacentNormal(Vertex& vertex, float* faceNormal) {
    if (vertex.adjacentNormals == nullptr || vertex.adjacentFilled >= vertex.adjacentCount) {
        return;
    }
    vertex.adjacentNormals[vertex.adjacentFilled++] = faceNormal;
}

// Gives every vertex its list of the normals of the faces around it, last
// face first. The pointers a binary file carries are meaningless here: every
// list is allocated afresh.
void LinkAdjacentFaces(Vertex* vertices, uint32_t vCount, Face* faces, uint32_t fCount) {
    for (uint32_t i = 0; i < vCount; ++i) {
        const int32_t count = vertices[i].adjacentCount;
        vertices[i].adjacentNormals = count > 0 ? new float*[count] : nullptr;
    }
    for (uint32_t f = fCount; f-- > 0;) {
        Face& face = faces[f];
        const int32_t corners[3] = {face.a, face.b, face.c};
        for (const int32_t corner : corners) {
            if (CornerInRange(corner, vCount)) {
                AppendAdjacentNormal(vertices[corner], face.normal);
            }
        }
    }
}

void ApplyTiling(TexVertex& texVertex, const TextureMap& map) {
    texVertex.s = texVertex.u * map.uTiling + map.uOffset;
    texVertex.t = texVertex.v * map.vTiling + map.vOffset;
}

// The drawn texture coordinates of every corner the first fCount texture
// faces use, from the first map's tiling and offsets.
void TileTextureCorners(const SceneObject& object, uint32_t fCount, const TextureMap& map) {
    for (uint32_t f = fCount; f-- > 0;) {
        const TexFace& texFace = object.texFaces[f];
        const int32_t texCorners[3] = {texFace.a, texFace.b, texFace.c};
        for (const int32_t corner : texCorners) {
            if (CornerInRange(corner, object.texVertexCount)) {
                ApplyTiling(object.texVertices[corner], map);
            }
        }
    }
}

// How the drawn corners of an object take their texture coordinates.
struct CornerTexturing {
    bool withTexture;
    // The second unit's coordinates are the raw ones, tiled by its own map.
    bool twoMaps;
    float uTiling1;
    float vTiling1;
};

void DrawCorner(const Vertex& vertex, const TexVertex* tex, const CornerTexturing& texturing) {
    glNormal3fv(vertex.normal);
    if (tex != nullptr) {
        if (texturing.twoMaps) {
            glMultiTexCoord2fARB(GL_TEXTURE0_ARB, tex->s, tex->t);
            glMultiTexCoord2fARB(GL_TEXTURE1_ARB, tex->u * texturing.uTiling1, tex->v * texturing.vTiling1);
        } else {
            glTexCoord2f(tex->s, tex->t);
        }
    }
    glVertex3fv(vertex.position);
}

}  // namespace

void SceneObject::Centre() {
    float low[3] = {kBoxStart, kBoxStart, kBoxStart};
    float high[3] = {-kBoxStart, -kBoxStart, -kBoxStart};
    const uint32_t count = vertices != nullptr ? vertexCount : 0;
    for (uint32_t i = 0; i < count; ++i) {
        for (int axis = 0; axis < 3; ++axis) {
            const float value = vertices[i].position[axis];
            if (value < low[axis]) {
                low[axis] = value;
            }
            if (value > high[axis]) {
                high[axis] = value;
            }
        }
    }
    for (int axis = 0; axis < 3; ++axis) {
        position[axis] = (low[axis] + high[axis]) / 2.0f;
    }
    for (uint32_t i = 0; i < count; ++i) {
        for (int axis = 0; axis < 3; ++axis) {
            vertices[i].position[axis] -= position[axis];
        }
    }
}

void SceneObject::Prepare(bool binaryScene) {
    const uint32_t vCount = vertices != nullptr ? vertexCount : 0;
    const uint32_t fCount = faces != nullptr ? faceCount : 0;

    // Face i takes its coordinates from texture face i, so an object with
    // fewer texture faces than faces cannot be textured.
    textured = (texVertexCount != 0 && texFaceCount != 0 && material != nullptr && texVertices != nullptr &&
                texFaces != nullptr && texFaceCount >= fCount)
                   ? 1
                   : 0;

    // A binary scene's stored counts size the adjacency lists when they
    // hold; an ASE scene has none, and a broken file's are counted afresh.
    const bool recount = !binaryScene || !StoredCountsHold(vertices, vCount, faces, fCount);
    CountAdjacentFaces(vertices, vCount, faces, fCount, recount);
    LinkAdjacentFaces(vertices, vCount, faces, fCount);
    if (textured) {
        TileTextureCorners(*this, fCount, material->maps[0]);
    }
    for (uint32_t i = 0; i < vCount; ++i) {
        MeshNormals::AverageAdjacentNormals(vertices[i]);
    }
}

void SceneObject::Snapshot() {
    const uint32_t count = vertices != nullptr ? vertexCount : 0;
    // A second snapshot replaces the first rather than losing it.
    if (hasRestVertices != 0) {
        delete[] restVertices;
    }
    restVertices = new Vertex[count];
    if (count != 0) {
        std::memcpy(restVertices, vertices, sizeof(Vertex) * count);
    }
    hasRestVertices = 1;
}

void SceneObject::SetDeformation(int32_t flags, double frequency, double amplitude, double phase, double step) {
    deformFlags = flags;
    deformFrequency = frequency;
    deformAmplitude = amplitude;
    deformPhase = phase;
    deformStep = step;
}

void SceneObject::RecordShape() {
    shape = Shape{deformFlags, deformFrequency, deformAmplitude, deformPhase, deformTime};
}

void SceneObject::ApplyShape() {
    shapePending = 0;
    // Without a snapshot every draw would deform the last result again; the
    // object keeps its shape instead.
    const bool haveRest = hasRestVertices != 0 && restVertices != nullptr && vertices != nullptr;
    if (!haveRest) {
        return;
    }
    const DeformParams d{shape.time, shape.frequency, shape.amplitude, shape.phase};
    if (!FastDeformation::Apply(*this, shape.flags, d)) {
        ReferenceDeformation::Apply(*this, shape.flags, d);
    }
}

void SceneObject::Deform() {
    RecordShape();
    ApplyShape();
    deformTime = static_cast<float>(deformTime + deformStep);
}

void SceneObject::Advance() {
    if (deformFlags != 0) {
        RecordShape();
        shapePending = 1;
        deformTime = static_cast<float>(deformTime + deformStep);
    }
}

void SceneObject::RestoreShape(const Shape& kept) {
    shape = kept;
    shapePending = 1;
    if (shape.flags == 0) {
        ApplyShape();
    }
}

void SceneObject::Draw() {
    if (deformFlags != 0) {
        Deform();
    } else if (shapePending != 0) {
        // A shape owed since the object was last advanced without drawing.
        ApplyShape();
    }
    if (vertices == nullptr || faces == nullptr) {
        return;
    }
    const bool withTexture = textured != 0 && material != nullptr && texFaces != nullptr && texVertices != nullptr &&
                             texFaceCount >= faceCount;
    const bool twoMaps = withTexture && material->props.mapCount >= 2;
    const CornerTexturing texturing{withTexture, twoMaps, twoMaps ? material->maps[1].uTiling : 1.0f,
                                    twoMaps ? material->maps[1].vTiling : 1.0f};

    glBegin(GL_TRIANGLES);
    for (uint32_t f = 0; f < faceCount; ++f) {
        const Face& face = faces[f];
        const int32_t corners[3] = {face.a, face.b, face.c};
        if (!CornerInRange(corners[0], vertexCount) || !CornerInRange(corners[1], vertexCount) ||
            !CornerInRange(corners[2], vertexCount)) {
            continue;
        }
        const TexVertex* texCorners[3] = {nullptr, nullptr, nullptr};
        if (withTexture) {
            const TexFace& texFace = texFaces[f];
            const int32_t indices[3] = {texFace.a, texFace.b, texFace.c};
            for (int k = 0; k < 3; ++k) {
                texCorners[k] = CornerInRange(indices[k], texVertexCount) ? &texVertices[indices[k]] : nullptr;
            }
        }
        for (int k = 0; k < 3; ++k) {
            DrawCorner(vertices[corners[k]], texCorners[k], texturing);
        }
    }
    glEnd();
}
