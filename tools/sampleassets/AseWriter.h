// Writes the sample's scene as a 3ds Max-style ASCII scene file (ASE), block
// by block, indented with tabs as the modeller's exporter writes it.
#ifndef HALVENOR_TOOLS_SAMPLEASSETS_ASEWRITER_H
#define HALVENOR_TOOLS_SAMPLEASSETS_ASEWRITER_H

#include <cstdio>
#include <string>
#include <vector>

#include "tools/sampleassets/Mesh.h"
#include "tools/sampleassets/SampleMaths.h"

namespace SampleAssets {

class AseWriter {
public:
    explicit AseWriter(FILE* file) : file(file) {}

    void Header(int lastFrame);

    struct MaterialSpec {
        const char* name;
        Colour diffuse;
        double shine;
        double transparency;
        bool twoSided;
        const char* bitmap;
        bool spherical;
        double tiling;
    };

    void Materials(const std::vector<MaterialSpec>& materials);
    void GeomObject(const Mesh& mesh);
    // A target camera; a track gives one eye sample per frame.
    void CameraObject(const std::string& name, const Vec3& eye, const Vec3& target, double fov,
                      const std::vector<Vec3>& eyeTrack);
    void OmniLight(const std::string& name, const Vec3& position, const Colour& colour, bool flare,
                   const std::vector<Vec3>& track);

private:
    void Line(const std::string& text);
    void Open(const std::string& keyword);
    void Close();

    void Material(int index, const MaterialSpec& m);
    // rows: the node's X, Y and Z axes, or null for the world axes.
    void NodeTm(const std::string& name, const Vec3& position, const Vec3* rows);
    void PositionTrack(const std::string& name, const std::vector<Vec3>& track);
    void VertexList(const Mesh& mesh);
    void FaceList(const Mesh& mesh);
    void TexVertexList(const Mesh& mesh);
    void Normals(const Mesh& mesh);

    FILE* file;
    int depth = 0;
};

}  // namespace SampleAssets

#endif
