// One mesh vertex with its normal and the list of the face normals around it,
// from which the normal is recomputed when a deformation moves the mesh.
#ifndef HALVENOR_SCENE_VERTEX_H
#define HALVENOR_SCENE_VERTEX_H

#include <cstdint>

struct Vertex {
    float position[3];
    float reserved[4];
    float normal[3];
    int32_t adjacentCount;
    int32_t adjacentFilled;
    // Owned by the object's vertex array (not by a copy): adjacentCount
    // pointers to the normals of the faces that use the vertex.
    float** adjacentNormals;
};

inline Vertex DefaultVertex() {
    Vertex vertex{};
    vertex.reserved[3] = 1.0f;
    return vertex;
}

#endif
