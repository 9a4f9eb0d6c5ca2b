// The ASCII scene file in the layout of 3ds Max's ASE export: the header,
// materials, meshes with their normals, target cameras and omni lights.
#include "tools/sampleassets/AseWriter.h"

#include <cmath>
#include <cstddef>

namespace SampleAssets {

namespace {

// Four decimals, and never a negative zero.
std::string Number(double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%.4f", std::fabs(v) < 0.00005 ? 0.0 : v);
    return text;
}

std::string Triple(double x, double y, double z) { return Number(x) + "\t" + Number(y) + "\t" + Number(z); }

std::string Triple(const Vec3& v) { return Triple(v.x, v.y, v.z); }

std::string Indexed(const char* keyword, size_t index) {
    char text[64];
    std::snprintf(text, sizeof text, "%s %4zu", keyword, index);
    return text;
}

}  // namespace

void AseWriter::Header(int lastFrame) {
    Line("*3DSMAX_ASCIIEXPORT\t200");
    Line("*COMMENT \"Halvenor sample scene, written by MakeSampleAssets\"");
    Open("*SCENE");
    Line("*SCENE_FILENAME \"escena.max\"");
    Line("*SCENE_FIRSTFRAME 0");
    Line("*SCENE_LASTFRAME " + std::to_string(lastFrame));
    Line("*SCENE_FRAMESPEED 25");
    Line("*SCENE_TICKSPERFRAME 160");
    Line("*SCENE_BACKGROUND_STATIC " + Triple(0.0, 0.02, 0.06));
    Line("*SCENE_AMBIENT_STATIC " + Triple(0.1, 0.1, 0.1));
    Close();
}

void AseWriter::Materials(const std::vector<MaterialSpec>& materials) {
    Open("*MATERIAL_LIST");
    Line("*MATERIAL_COUNT " + std::to_string(materials.size()));
    for (size_t i = 0; i < materials.size(); ++i) {
        Material(static_cast<int>(i), materials[i]);
    }
    Close();
}

void AseWriter::GeomObject(const Mesh& mesh) {
    Open("*GEOMOBJECT");
    Line("*NODE_NAME \"" + mesh.name + "\"");
    NodeTm(mesh.name, mesh.Centre(), nullptr);
    Open("*MESH");
    Line("*TIMEVALUE 0");
    Line("*MESH_NUMVERTEX " + std::to_string(mesh.vertices.size()));
    Line("*MESH_NUMFACES " + std::to_string(mesh.FaceCount()));
    VertexList(mesh);
    FaceList(mesh);
    TexVertexList(mesh);
    Line("*MESH_NUMCVERTEX 0");
    Normals(mesh);
    Close();
    Line("*PROP_MOTIONBLUR 0");
    Line("*PROP_CASTSHADOW 1");
    Line("*PROP_RECVSHADOW 1");
    Line("*MATERIAL_REF " + std::to_string(mesh.materialRef));
    Close();
}

void AseWriter::CameraObject(const std::string& name, const Vec3& eye, const Vec3& target, double fov,
                             const std::vector<Vec3>& eyeTrack) {
    Open("*CAMERAOBJECT");
    Line("*NODE_NAME \"" + name + "\"");
    Line("*CAMERA_TYPE Target");
    const Vec3 back = Normalised(eye - target);
    const Vec3 side = Normalised(Cross(Vec3{0, 0, 1}, back));
    const Vec3 rows[3] = {side, Cross(back, side), back};
    NodeTm(name, eye, rows);
    NodeTm(name + ".Target", target, nullptr);
    Open("*CAMERA_SETTINGS");
    Line("*TIMEVALUE 0");
    Line("*CAMERA_NEAR 0.0000");
    Line("*CAMERA_FAR 1000.0000");
    Line("*CAMERA_FOV " + Number(fov));
    Line("*CAMERA_TDIST " + Number(std::sqrt(Dot(eye - target, eye - target))));
    Close();
    PositionTrack(name, eyeTrack);
    Close();
}

void AseWriter::OmniLight(const std::string& name, const Vec3& position, const Colour& colour, bool flare,
                          const std::vector<Vec3>& track) {
    Open("*LIGHTOBJECT");
    Line("*NODE_NAME \"" + name + "\"");
    Line("*LIGHT_TYPE Omni");
    NodeTm(name, position, nullptr);
    Line("*LIGHT_SHADOWS Off");
    Line("*LIGHT_USELIGHT 1");
    Line("*LIGHT_SPOTSHAPE Circle");
    Line(std::string("*LIGHT_USEGLOBAL ") + (flare ? "1" : "0"));
    Line("*LIGHT_ABSMAPBIAS 0");
    Line("*LIGHT_OVERSHOOT 0");
    Open("*LIGHT_SETTINGS");
    Line("*TIMEVALUE 0");
    Line("*LIGHT_COLOR " + Triple(colour.r, colour.g, colour.b));
    Line("*LIGHT_INTENS 1.0000");
    Line("*LIGHT_ASPECT -1.0000");
    Line("*LIGHT_TDIST -1.0000");
    Line("*LIGHT_MAPBIAS 1.0000");
    Line("*LIGHT_MAPRANGE 4.0000");
    Line("*LIGHT_MAPSIZE 512");
    Line("*LIGHT_RAYBIAS 0.0000");
    Close();
    PositionTrack(name, track);
    Close();
}

void AseWriter::Line(const std::string& text) {
    std::fputs(std::string(depth, '\t').c_str(), file);
    std::fputs(text.c_str(), file);
    std::fputc('\n', file);
}

void AseWriter::Open(const std::string& keyword) {
    Line(keyword + " {");
    ++depth;
}

void AseWriter::Close() {
    --depth;
    Line("}");
}

void AseWriter::Material(int index, const MaterialSpec& m) {
    Open("*MATERIAL " + std::to_string(index));
    Line(std::string("*MATERIAL_NAME \"") + m.name + "\"");
    Line("*MATERIAL_CLASS \"Standard\"");
    Line("*MATERIAL_AMBIENT " + Triple(m.diffuse.r * 0.2, m.diffuse.g * 0.2, m.diffuse.b * 0.2));
    Line("*MATERIAL_DIFFUSE " + Triple(m.diffuse.r, m.diffuse.g, m.diffuse.b));
    Line("*MATERIAL_SPECULAR " + Triple(0.9, 0.9, 0.9));
    Line("*MATERIAL_SHINE " + Number(m.shine));
    Line("*MATERIAL_SHINESTRENGTH 0.2000");
    Line("*MATERIAL_TRANSPARENCY " + Number(m.transparency));
    Line("*MATERIAL_WIRESIZE 1.0000");
    if (m.twoSided) {
        Line("*MATERIAL_TWOSIDED");
    }
    Line("*MATERIAL_SHADING Blinn");
    Line("*MATERIAL_XP_FALLOFF 0.0000");
    Line("*MATERIAL_SELFILLUM 0.0000");
    Line("*MATERIAL_FALLOFF In");
    Line("*MATERIAL_XP_TYPE Filter");
    Open("*MAP_DIFFUSE");
    Line("*MAP_NAME \"Map #" + std::to_string(index + 1) + "\"");
    Line("*MAP_CLASS \"Bitmap\"");
    Line("*MAP_SUBNO 1");
    Line("*MAP_AMOUNT 1.0000");
    Line(std::string("*BITMAP \"") + m.bitmap + "\"");
    Line(std::string("*MAP_TYPE ") + (m.spherical ? "Spherical" : "Screen"));
    Line("*UVW_U_OFFSET 0.0000");
    Line("*UVW_V_OFFSET 0.0000");
    Line("*UVW_U_TILING " + Number(m.tiling));
    Line("*UVW_V_TILING " + Number(m.tiling));
    Line("*UVW_ANGLE 0.0000");
    Line("*UVW_BLUR 1.0000");
    Line("*UVW_BLUR_OFFSET 0.0000");
    Line("*UVW_NOUSE_AMT 1.0000");
    Line("*UVW_NOISE_SIZE 1.0000");
    Line("*UVW_NOISE_LEVEL 1");
    Line("*UVW_NOISE_PHASE 0.0000");
    Line("*BITMAP_FILTER Pyramidal");
    Close();
    Close();
}

void AseWriter::NodeTm(const std::string& name, const Vec3& position, const Vec3* rows) {
    static const Vec3 kWorld[3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    const Vec3* const axes = rows != nullptr ? rows : kWorld;
    Open("*NODE_TM");
    Line("*NODE_NAME \"" + name + "\"");
    Line("*INHERIT_POS 0 0 0");
    Line("*INHERIT_ROT 0 0 0");
    Line("*INHERIT_SCL 0 0 0");
    Line("*TM_ROW0 " + Triple(axes[0]));
    Line("*TM_ROW1 " + Triple(axes[1]));
    Line("*TM_ROW2 " + Triple(axes[2]));
    Line("*TM_ROW3 " + Triple(position));
    Line("*TM_POS " + Triple(position));
    Line("*TM_ROTAXIS " + Triple(0.0, 0.0, 0.0));
    Line("*TM_ROTANGLE 0.0000");
    Line("*TM_SCALE " + Triple(1.0, 1.0, 1.0));
    Line("*TM_SCALEAXIS " + Triple(0.0, 0.0, 0.0));
    Line("*TM_SCALEAXISANG 0.0000");
    Close();
}

void AseWriter::PositionTrack(const std::string& name, const std::vector<Vec3>& track) {
    if (track.empty()) {
        return;
    }
    Open("*TM_ANIMATION");
    Line("*NODE_NAME \"" + name + "\"");
    Open("*CONTROL_POS_TRACK");
    for (size_t frame = 0; frame < track.size(); ++frame) {
        Line("*CONTROL_POS_SAMPLE " + std::to_string(frame * 160) + "\t" + Triple(track[frame]));
    }
    Close();
    Close();
}

void AseWriter::VertexList(const Mesh& mesh) {
    Open("*MESH_VERTEX_LIST");
    for (size_t i = 0; i < mesh.vertices.size(); ++i) {
        Line(Indexed("*MESH_VERTEX", i) + "\t" + Triple(mesh.vertices[i]));
    }
    Close();
}

void AseWriter::FaceList(const Mesh& mesh) {
    Open("*MESH_FACE_LIST");
    for (size_t f = 0; f < mesh.FaceCount(); ++f) {
        char text[200];
        std::snprintf(text, sizeof text,
                      "*MESH_FACE %4zu:    A: %4d B: %4d C: %4d AB:    1 BC:    1 CA:    0\t *MESH_SMOOTHING %d \t*MESH_MTLID 0",
                      f, mesh.faces[f * 3], mesh.faces[f * 3 + 1], mesh.faces[f * 3 + 2],
                      mesh.smoothing != 0 ? mesh.faceSmoothing[f] : 0);
        Line(text);
    }
    Close();
}

void AseWriter::TexVertexList(const Mesh& mesh) {
    Line("*MESH_NUMTVERTEX " + std::to_string(mesh.texVertices.size()));
    Open("*MESH_TVERTLIST");
    for (size_t i = 0; i < mesh.texVertices.size(); ++i) {
        Line("*MESH_TVERT " + std::to_string(i) + "\t" + Triple(mesh.texVertices[i]));
    }
    Close();
    Line("*MESH_NUMTVFACES " + std::to_string(mesh.FaceCount()));
    Open("*MESH_TFACELIST");
    for (size_t f = 0; f < mesh.FaceCount(); ++f) {
        Line("*MESH_TFACE " + std::to_string(f) + "\t" + std::to_string(mesh.texFaces[f * 3]) + "\t" +
             std::to_string(mesh.texFaces[f * 3 + 1]) + "\t" + std::to_string(mesh.texFaces[f * 3 + 2]));
    }
    Close();
}

// Vertex normals as the modeller writes them: per face corner, the mean
// of the normals of the faces that share the vertex.
void AseWriter::Normals(const Mesh& mesh) {
    std::vector<Vec3> vertexNormals(mesh.vertices.size(), Vec3{0, 0, 0});
    for (size_t f = 0; f < mesh.FaceCount(); ++f) {
        for (int corner = 0; corner < 3; ++corner) {
            Vec3& n = vertexNormals[mesh.faces[f * 3 + corner]];
            n = n + mesh.FaceNormal(f);
        }
    }
    Open("*MESH_NORMALS");
    for (size_t f = 0; f < mesh.FaceCount(); ++f) {
        Line(Indexed("*MESH_FACENORMAL", f) + "\t" + Triple(mesh.FaceNormal(f)));
        for (int corner = 0; corner < 3; ++corner) {
            const int v = mesh.faces[f * 3 + corner];
            Line("\t*MESH_VERTEXNORMAL " + std::to_string(v) + "\t" + Triple(Normalised(vertexNormals[v])));
        }
    }
    Close();
}

}  // namespace SampleAssets
