// The large ASE export the scene benchmarks read: eight meshes of 20 000
// faces each with texture faces and face and vertex normals, about 60 MB of
// text, one textured material.
#ifndef HALVENOR_BENCHMARKS_LARGEASESCENE_H
#define HALVENOR_BENCHMARKS_LARGEASESCENE_H

#include <cstdio>
#include <string>

namespace LargeAseScene {

constexpr int kObjects = 8;
constexpr int kGridSide = 100;  // 100 x 100 quads: 20 000 faces per object
constexpr int kVerticesPerSide = kGridSide + 1;

inline void WriteHeader(FILE* file) {
    std::fprintf(file,
                 "*3DSMAX_ASCIIEXPORT\t200\n"
                 "*COMMENT \"AsciiExport Version  2,00 - Mon Mar 03 12:00:00 2003\"\n"
                 "*SCENE {\n\t*SCENE_FILENAME \"bench.max\"\n\t*SCENE_FIRSTFRAME 0\n\t*SCENE_LASTFRAME 100\n"
                 "\t*SCENE_FRAMESPEED 30\n\t*SCENE_TICKSPERFRAME 160\n"
                 "\t*SCENE_BACKGROUND_STATIC 0.0000\t0.0000\t0.0000\n"
                 "\t*SCENE_AMBIENT_STATIC 0.0000\t0.0000\t0.0000\n}\n"
                 "*MATERIAL_LIST {\n\t*MATERIAL_COUNT 1\n\t*MATERIAL 0 {\n"
                 "\t\t*MATERIAL_NAME \"Ground\"\n\t\t*MATERIAL_CLASS \"Standard\"\n"
                 "\t\t*MATERIAL_AMBIENT 0.1791\t0.0654\t0.0654\n\t\t*MATERIAL_DIFFUSE 0.5373\t0.1961\t0.1961\n"
                 "\t\t*MATERIAL_SPECULAR 0.9000\t0.9000\t0.9000\n\t\t*MATERIAL_SHINE 0.1000\n"
                 "\t\t*MATERIAL_TRANSPARENCY 0.0000\n\t\t*MATERIAL_SELFILLUM 0.0000\n"
                 "\t\t*MAP_DIFFUSE {\n\t\t\t*MAP_NAME \"Map #1\"\n\t\t\t*MAP_CLASS \"Bitmap\"\n"
                 "\t\t\t*BITMAP \"C:\\maps\\ground.jpg\"\n\t\t\t*MAP_TYPE Screen\n"
                 "\t\t\t*UVW_U_OFFSET 0.0000\n\t\t\t*UVW_V_OFFSET 0.0000\n"
                 "\t\t\t*UVW_U_TILING 1.0000\n\t\t\t*UVW_V_TILING 1.0000\n\t\t}\n\t}\n}\n");
}

inline int VertexIndex(int x, int y) { return y * kVerticesPerSide + x; }

inline void WriteObject(FILE* file, int number) {
    const int vertexCount = kVerticesPerSide * kVerticesPerSide;
    const int faceCount = kGridSide * kGridSide * 2;
    std::fprintf(file,
                 "*GEOMOBJECT {\n\t*NODE_NAME \"Plane%02d\"\n\t*NODE_TM {\n\t\t*NODE_NAME \"Plane%02d\"\n"
                 "\t\t*INHERIT_POS 0 0 0\n\t\t*TM_ROW0 1.0000\t0.0000\t0.0000\n\t\t*TM_ROW1 0.0000\t1.0000\t0.0000\n"
                 "\t\t*TM_ROW2 0.0000\t0.0000\t1.0000\n\t\t*TM_ROW3 0.0000\t0.0000\t%.4f\n"
                 "\t\t*TM_POS 0.0000\t0.0000\t%.4f\n\t\t*TM_ROTAXIS 0.0000\t0.0000\t0.0000\n"
                 "\t\t*TM_ROTANGLE 0.0000\n\t}\n\t*MESH {\n\t\t*TIMEVALUE 0\n"
                 "\t\t*MESH_NUMVERTEX %d\n\t\t*MESH_NUMFACES %d\n\t\t*MESH_VERTEX_LIST {\n",
                 number, number, number * 10.0, number * 10.0, vertexCount, faceCount);
    for (int y = 0; y < kVerticesPerSide; ++y) {
        for (int x = 0; x < kVerticesPerSide; ++x) {
            std::fprintf(file, "\t\t\t*MESH_VERTEX %5d\t%.4f\t%.4f\t%.4f\n", VertexIndex(x, y), x * 1.5 - 75.0,
                         y * 1.5 - 75.0, number * 10.0 + (x % 7) * 0.125);
        }
    }
    std::fprintf(file, "\t\t}\n\t\t*MESH_FACE_LIST {\n");
    int face = 0;
    for (int y = 0; y < kGridSide; ++y) {
        for (int x = 0; x < kGridSide; ++x) {
            const int a = VertexIndex(x, y), b = VertexIndex(x + 1, y);
            const int c = VertexIndex(x + 1, y + 1), d = VertexIndex(x, y + 1);
            std::fprintf(file,
                         "\t\t\t*MESH_FACE %5d:    A: %5d B: %5d C: %5d AB:    1 BC:    1 CA:    0\t "
                         "*MESH_SMOOTHING 1 \t*MESH_MTLID 0\n",
                         face++, a, b, c);
            std::fprintf(file,
                         "\t\t\t*MESH_FACE %5d:    A: %5d B: %5d C: %5d AB:    1 BC:    1 CA:    0\t "
                         "*MESH_SMOOTHING 1 \t*MESH_MTLID 0\n",
                         face++, c, d, a);
        }
    }
    std::fprintf(file, "\t\t}\n\t\t*MESH_NUMTVERTEX %d\n\t\t*MESH_TVERTLIST {\n", vertexCount);
    for (int y = 0; y < kVerticesPerSide; ++y) {
        for (int x = 0; x < kVerticesPerSide; ++x) {
            std::fprintf(file, "\t\t\t*MESH_TVERT %d\t%.4f\t%.4f\t0.0000\n", VertexIndex(x, y),
                         x / double(kGridSide), y / double(kGridSide));
        }
    }
    std::fprintf(file, "\t\t}\n\t\t*MESH_NUMTVFACES %d\n\t\t*MESH_TFACELIST {\n", faceCount);
    face = 0;
    for (int y = 0; y < kGridSide; ++y) {
        for (int x = 0; x < kGridSide; ++x) {
            const int a = VertexIndex(x, y), b = VertexIndex(x + 1, y);
            const int c = VertexIndex(x + 1, y + 1), d = VertexIndex(x, y + 1);
            std::fprintf(file, "\t\t\t*MESH_TFACE %d\t%d\t%d\t%d\n", face++, a, b, c);
            std::fprintf(file, "\t\t\t*MESH_TFACE %d\t%d\t%d\t%d\n", face++, c, d, a);
        }
    }
    std::fprintf(file, "\t\t}\n\t\t*MESH_NORMALS {\n");
    for (int i = 0; i < faceCount; ++i) {
        std::fprintf(file, "\t\t\t*MESH_FACENORMAL %d\t0.0000\t-0.0000\t1.0000\n", i);
        for (int corner = 0; corner < 3; ++corner) {
            std::fprintf(file, "\t\t\t\t*MESH_VERTEXNORMAL %d\t0.0000\t-0.0000\t1.0000\n", (i + corner) % vertexCount);
        }
    }
    std::fprintf(file,
                 "\t\t}\n\t}\n\t*PROP_MOTIONBLUR 0\n\t*PROP_CASTSHADOW 1\n\t*PROP_RECVSHADOW 1\n"
                 "\t*MATERIAL_REF 0\n}\n");
}

inline bool WriteScene(const std::string& path) {
    FILE* file = std::fopen(path.c_str(), "w");
    if (file == nullptr) {
        return false;
    }
    WriteHeader(file);
    for (int i = 0; i < kObjects; ++i) {
        WriteObject(file, i);
    }
    return std::fclose(file) == 0;
}

}  // namespace LargeAseScene

#endif
