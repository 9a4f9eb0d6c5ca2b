// Object preparation, procedural vertex deformation and triangle drawing.
//
// Deformation runs on the processor for every drawn frame, so each stage is
// one tight pass over the contiguous vertex array: no allocation, arithmetic
// in double precision stored back as float.
#include "scene/SceneObject.h"

#include <cmath>
#include <cstring>

#include "glext/GlExtensions.h"
#include "scene/Material.h"

namespace {

// Degrees to radians, to the ten decimals the deformation stages have
// always used (not M_PI / 180, which would shift the waves slightly).
constexpr double kDegToRad = 0.0174532925;

// Flag stage: the band of this half-width around x = 0 stays unbent.
constexpr double kFlagBand = 0.07;

// The centring box starts inside out so that the first vertex sets it.
constexpr float kBoxStart = 100000000.0f;

bool IndexInRange(int32_t index, uint32_t count) {
    return index >= 0 && static_cast<uint32_t>(index) < count;
}

// Cross product of the two edges from P0, made unit length. Coincident or
// collinear corners give no direction: the normal is zero, so that the face
// adds nothing to the vertex normals around it instead of spreading NaN.
void ComputeFaceNormal(const float* p0, const float* p1, const float* p2, float* normal) {
    const double e1x = static_cast<double>(p1[0]) - p0[0];
    const double e1y = static_cast<double>(p1[1]) - p0[1];
    const double e1z = static_cast<double>(p1[2]) - p0[2];
    const double e2x = static_cast<double>(p2[0]) - p0[0];
    const double e2y = static_cast<double>(p2[1]) - p0[1];
    const double e2z = static_cast<double>(p2[2]) - p0[2];
    const double nx = e1y * e2z - e1z * e2y;
    const double ny = e1z * e2x - e1x * e2z;
    const double nz = e1x * e2y - e1y * e2x;
    const double length = std::sqrt(nx * nx + ny * ny + nz * nz);
    if (!(length > 0.0) || !std::isfinite(length)) {
        normal[0] = normal[1] = normal[2] = 0.0f;
        return;
    }
    normal[0] = static_cast<float>(nx / length);
    normal[1] = static_cast<float>(ny / length);
    normal[2] = static_cast<float>(nz / length);
}

// Mean of the face normals around the vertex, not renormalised. A vertex on
// no face has no normal to take: it gets zero.
void AverageAdjacentNormals(Vertex& vertex) {
    double sum[3] = {0.0, 0.0, 0.0};
    const int32_t filled = vertex.adjacentNormals != nullptr ? vertex.adjacentFilled : 0;
    for (int32_t i = 0; i < filled; ++i) {
        const float* faceNormal = vertex.adjacentNormals[i];
        sum[0] += faceNormal[0];
        sum[1] += faceNormal[1];
        sum[2] += faceNormal[2];
    }
    if (vertex.adjacentCount <= 0) {
        vertex.normal[0] = vertex.normal[1] = vertex.normal[2] = 0.0f;
        return;
    }
    const float count = static_cast<float>(vertex.adjacentCount);
    vertex.normal[0] = static_cast<float>(sum[0]) / count;
    vertex.normal[1] = static_cast<float>(sum[1]) / count;
    vertex.normal[2] = static_cast<float>(sum[2]) / count;
}

// Face corners that name a vertex of the object.
int64_t CornersInUse(const Face* faces, uint32_t faceCount, uint32_t vertexCount) {
    int64_t corners = 0;
    for (uint32_t f = 0; f < faceCount; ++f) {
        corners += (IndexInRange(faces[f].a, vertexCount) ? 1 : 0) + (IndexInRange(faces[f].b, vertexCount) ? 1 : 0) +
                   (IndexInRange(faces[f].c, vertexCount) ? 1 : 0);
    }
    return corners;
}

void AppendAdjacentNormal(Vertex& vertex, float* faceNormal) {
    if (vertex.adjacentNormals == nullptr || vertex.adjacentFilled >= vertex.adjacentCount) {
        return;
    }
    vertex.adjacentNormals[vertex.adjacentFilled++] = faceNormal;
}

void ApplyTiling(TexVertex& texVertex, const TextureMap& map) {
    texVertex.s = texVertex.u * map.uTiling + map.uOffset;
    texVertex.t = texVertex.v * map.vTiling + map.vOffset;
}

// Moves the vertex along its normal by w.
inline void PushAlongNormal(Vertex& vertex, double w) {
    vertex.position[0] = static_cast<float>(vertex.position[0] + vertex.normal[0] * w);
    vertex.position[1] = static_cast<float>(vertex.position[1] + vertex.normal[1] * w);
    vertex.position[2] = static_cast<float>(vertex.position[2] + vertex.normal[2] * w);
}

// Rotates the pair (first, second) of a position by the angle a in radians.
inline void RotatePair(float& first, float& second, double a) {
    const double c = std::cos(a);
    const double s = std::sin(a);
    const double p = first;
    const double q = second;
    first = static_cast<float>(p * c - q * s);
    second = static_cast<float>(p * s + q * c);
}

struct DeformParams {
    double time;
    double frequency;
    double amplitude;
    double phase;
};

void WaveStage(Vertex* vertices, uint32_t count, const DeformParams& d) {
    for (uint32_t i = 0; i < count; ++i) {
        Vertex& v = vertices[i];
        const double w = std::cos((v.position[0] + d.time + v.position[1] + v.position[2] + d.phase) *
                                  d.frequency * kDegToRad) *
                         d.amplitude;
        PushAlongNormal(v, w);
    }
}

void RippleStage(Vertex* vertices, uint32_t count, const DeformParams& d) {
    for (uint32_t i = 0; i < count; ++i) {
        Vertex& v = vertices[i];
        const double x = v.position[0];
        const double y = v.position[1];
        const double z = v.position[2];
        const double distance = std::sqrt(x * x + y * y + z * z);
        const double w = std::cos((d.time + distance + d.phase) * d.frequency * kDegToRad) * d.amplitude;
        PushAlongNormal(v, w);
    }
}

void NormalWaveStage(Vertex* vertices, uint32_t count, const DeformParams& d) {
    for (uint32_t i = 0; i < count; ++i) {
        Vertex& v = vertices[i];
        const double w = std::cos((v.normal[0] + d.time + v.normal[1] + v.normal[2] + d.phase) * d.frequency *
                                  kDegToRad) *
                         d.amplitude;
        PushAlongNormal(v, w);
    }
}

// Twists about one axis: the angle comes from the coordinate along that axis
// and turns the pair of the other two.
void TwistStage(Vertex* vertices, uint32_t count, const DeformParams& d, int along, int first, int second) {
    for (uint32_t i = 0; i < count; ++i) {
        float* p = vertices[i].position;
        const double a = std::cos((p[along] + d.time + d.phase) * d.frequency * kDegToRad) * d.amplitude * kDegToRad;
        RotatePair(p[first], p[second], a);
    }
}

// In the pushes the frequency is a distance along the normal.
void PushStage(Vertex* vertices, uint32_t count, double distance, int axis) {
    for (uint32_t i = 0; i < count; ++i) {
        Vertex& v = vertices[i];
        v.position[axis] = static_cast<float>(v.position[axis] + v.normal[axis] * distance);
    }
}

// Bends both halves of the object away from the unbent band around x = 0,
// like cloth on a pole, and bobs the whole object.
void FlagStage(Vertex* vertices, uint32_t count, const DeformParams& d) {
    const double bob = (std::cos(8.0 * d.time * kDegToRad) + std::sin(4.0 * d.time * kDegToRad)) / 5.0;
    for (uint32_t i = 0; i < count; ++i) {
        float* p = vertices[i].position;
        const double x = p[0];
        double a = 0.0;
        if (x > kFlagBand) {
            a = std::cos((x + d.time + d.phase) * d.frequency * kDegToRad) * d.amplitude * kDegToRad;
        } else if (x < -kFlagBand) {
            a = -std::cos((x + d.time + d.phase) * d.frequency * kDegToRad) * d.amplitude * kDegToRad;
        }
        RotatePair(p[0], p[1], a);
        p[1] = static_cast<float>(p[1] + bob);
    }
}

// Face normals from the current positions, then the vertex normals from
// them through the adjacency lists built at preparation.
void RecomputeNormals(SceneObject& object) {
    Vertex* vertices = object.vertices;
    const uint32_t vCount = vertices != nullptr ? object.vertexCount : 0;
    const uint32_t fCount = object.faces != nullptr ? object.faceCount : 0;
    for (uint32_t f = 0; f < fCount; ++f) {
        Face& face = object.faces[f];
        if (!IndexInRange(face.a, vCount) || !IndexInRange(face.b, vCount) || !IndexInRange(face.c, vCount)) {
            continue;
        }
        ComputeFaceNormal(vertices[face.a].position, vertices[face.b].position, vertices[face.c].position,
                          face.normal);
    }
    for (uint32_t i = 0; i < vCount; ++i) {
        AverageAdjacentNormals(vertices[i]);
    }
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

    // Stored counts size the adjacency lists, so together they must be the
    // corners the faces actually use: counts that add up to anything else
    // (or one below zero) come from a broken file and are counted afresh.
    bool recount = !binaryScene;
    if (!recount) {
        int64_t stored = 0;
        for (uint32_t i = 0; i < vCount && !recount; ++i) {
            recount = vertices[i].adjacentCount < 0;
            stored += vertices[i].adjacentCount;
        }
        recount = recount || stored != CornersInUse(faces, fCount, vCount);
    }
    for (uint32_t i = 0; i < vCount; ++i) {
        if (recount) {
            vertices[i].adjacentCount = 0;
        }
        vertices[i].adjacentFilled = 0;
    }
    if (recount) {
        for (uint32_t f = fCount; f-- > 0;) {
            const Face& face = faces[f];
            const int32_t corners[3] = {face.a, face.b, face.c};
            for (const int32_t corner : corners) {
                if (IndexInRange(corner, vCount)) {
                    ++vertices[corner].adjacentCount;
                }
            }
        }
    }

    // The pointers a binary file carries are meaningless here: every list is
    // allocated afresh.
    for (uint32_t i = 0; i < vCount; ++i) {
        const int32_t count = vertices[i].adjacentCount;
        vertices[i].adjacentNormals = count > 0 ? new float*[count] : nullptr;
    }

    const TextureMap* map0 = textured ? &material->maps[0] : nullptr;
    for (uint32_t f = fCount; f-- > 0;) {
        Face& face = faces[f];
        const int32_t corners[3] = {face.a, face.b, face.c};
        for (const int32_t corner : corners) {
            if (IndexInRange(corner, vCount)) {
                AppendAdjacentNormal(vertices[corner], face.normal);
            }
        }
        if (map0 != nullptr) {
            const TexFace& texFace = texFaces[f];
            const int32_t texCorners[3] = {texFace.a, texFace.b, texFace.c};
            for (const int32_t corner : texCorners) {
                if (IndexInRange(corner, texVertexCount)) {
                    ApplyTiling(texVertices[corner], *map0);
                }
            }
        }
    }

    for (uint32_t i = 0; i < vCount; ++i) {
        AverageAdjacentNormals(vertices[i]);
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
    std::memcpy(vertices, restVertices, sizeof(Vertex) * vertexCount);
    const uint32_t count = vertexCount;
    const int32_t flags = shape.flags;
    const DeformParams d{shape.time, shape.frequency, shape.amplitude, shape.phase};
    if (flags & DEFORM_WAVE) {
        WaveStage(vertices, count, d);
    }
    if (flags & DEFORM_RIPPLE) {
        RippleStage(vertices, count, d);
    }
    if (flags & DEFORM_NORMAL_WAVE) {
        RecomputeNormals(*this);
        NormalWaveStage(vertices, count, d);
    }
    if (flags & DEFORM_TWIST_X) {
        TwistStage(vertices, count, d, 0, 1, 2);
    }
    if (flags & DEFORM_TWIST_Y) {
        TwistStage(vertices, count, d, 1, 0, 2);
    }
    if (flags & DEFORM_TWIST_Z) {
        TwistStage(vertices, count, d, 2, 0, 1);
    }
    if (flags & DEFORM_PUSH_X) {
        PushStage(vertices, count, d.frequency, 0);
    }
    if (flags & DEFORM_PUSH_Y) {
        PushStage(vertices, count, d.frequency, 1);
    }
    if (flags & DEFORM_PUSH_Z) {
        PushStage(vertices, count, d.frequency, 2);
    }
    if (flags & DEFORM_FLAG) {
        FlagStage(vertices, count, d);
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
    const float uTiling1 = twoMaps ? material->maps[1].uTiling : 1.0f;
    const float vTiling1 = twoMaps ? material->maps[1].vTiling : 1.0f;

    glBegin(GL_TRIANGLES);
    for (uint32_t f = 0; f < faceCount; ++f) {
        const Face& face = faces[f];
        const int32_t corners[3] = {face.a, face.b, face.c};
        if (!IndexInRange(corners[0], vertexCount) || !IndexInRange(corners[1], vertexCount) ||
            !IndexInRange(corners[2], vertexCount)) {
            continue;
        }
        const TexVertex* texCorners[3] = {nullptr, nullptr, nullptr};
        if (withTexture) {
            const TexFace& texFace = texFaces[f];
            const int32_t indices[3] = {texFace.a, texFace.b, texFace.c};
            for (int k = 0; k < 3; ++k) {
                texCorners[k] = IndexInRange(indices[k], texVertexCount) ? &texVertices[indices[k]] : nullptr;
            }
        }
        for (int k = 0; k < 3; ++k) {
            const Vertex& vertex = vertices[corners[k]];
            glNormal3fv(vertex.normal);
            const TexVertex* tex = texCorners[k];
            if (tex != nullptr) {
                if (twoMaps) {
                    glMultiTexCoord2fARB(GL_TEXTURE0_ARB, tex->s, tex->t);
                    glMultiTexCoord2fARB(GL_TEXTURE1_ARB, tex->u * uTiling1, tex->v * vTiling1);
                } else {
                    glTexCoord2f(tex->s, tex->t);
                }
            }
            glVertex3fv(vertex.position);
        }
    }
    glEnd();
}
