// Face and vertex normals of a mesh: a face's from its corners, a vertex's as
// the mean of the face normals around it, through the adjacency lists that
// preparation builds (SceneObject::Prepare). Preparation and both ways of
// running the deformation stages share these, so that every path gives a
// vertex the same normal to the bit.
//
// Built only into sources compiled with the deformation's flags (see
// CMakeLists.txt), like everything the stages run.
#ifndef HALVENOR_SCENE_MESHNORMALS_H
#define HALVENOR_SCENE_MESHNORMALS_H

#include "scene/Vertex.h"

class SceneObject;

class MeshNormals {
public:
    // Cross product of the two edges from P0, made unit length. Coincident or
    // collinear corners give no direction: the normal is zero, so that the
    // face adds nothing to the vertex normals around it instead of spreading
    // NaN.
    static void ComputeFaceNormal(const float* p0, const float* p1, const float* p2, float* normal);

    // Mean of the face normals around the vertex, not renormalised. A vertex
    // on no face has no normal to take: it gets zero. Inline, as the fast
    // deformation path runs it once per vertex inside its own loops.
    static void AverageAdjacentNormals(Vertex& vertex) {
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

    // Face normals from the current positions, then the vertex normals from
    // them. Faces whose corners fall outside the vertex array keep theirs.
    static void Recompute(SceneObject& object);
};

#endif
