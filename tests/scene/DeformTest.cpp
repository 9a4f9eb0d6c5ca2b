// Object preparation (centring, adjacency, normals, texture coordinates) and
// every deformation stage against values worked out by hand.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "scene/Material.h"
#include "scene/SceneObject.h"

namespace {

constexpr float kTolerance = 1e-4f;
const float kHalfRoot2 = std::sqrt(0.5f);

// Owns the arrays that a test object points into, and what preparation and
// the snapshot allocate for it.
struct Mesh {
    std::vector<Vertex> vertices;
    std::vector<Face> faces;
    std::vector<TexVertex> texVertices;
    std::vector<TexFace> texFaces;
    SceneObject object;

    void AddVertex(float x, float y, float z, float nx = 0.0f, float ny = 0.0f, float nz = 0.0f) {
        Vertex vertex = DefaultVertex();
        vertex.position[0] = x;
        vertex.position[1] = y;
        vertex.position[2] = z;
        vertex.normal[0] = nx;
        vertex.normal[1] = ny;
        vertex.normal[2] = nz;
        vertices.push_back(vertex);
    }
    void AddFace(int32_t a, int32_t b, int32_t c, float nx, float ny, float nz) {
        faces.push_back(Face{a, b, c, nullptr, nullptr, nullptr, {nx, ny, nz}});
    }
    void AddTexVertex(float u, float v) { texVertices.push_back(TexVertex{u, v, 0.0f, 0.0f}); }
    void AddTexFace(int32_t a, int32_t b, int32_t c) { texFaces.push_back(TexFace{a, b, c, nullptr, nullptr, nullptr}); }

    SceneObject& Bind() {
        object.vertices = vertices.data();
        object.vertexCount = static_cast<uint32_t>(vertices.size());
        object.faces = faces.data();
        object.faceCount = static_cast<uint32_t>(faces.size());
        object.texVertices = texVertices.empty() ? nullptr : texVertices.data();
        object.texVertexCount = static_cast<uint32_t>(texVertices.size());
        object.texFaces = texFaces.empty() ? nullptr : texFaces.data();
        object.texFaceCount = static_cast<uint32_t>(texFaces.size());
        return object;
    }
    // Prepared and snapshotted, ready to deform.
    SceneObject& Ready() {
        Bind();
        object.Prepare(false);
        object.Snapshot();
        return object;
    }

    ~Mesh() {
        for (Vertex& vertex : vertices) {
            delete[] vertex.adjacentNormals;
        }
        delete[] object.restVertices;
    }
};

void ExpectPosition(const Vertex& vertex, float x, float y, float z) {
    EXPECT_NEAR(vertex.position[0], x, kTolerance);
    EXPECT_NEAR(vertex.position[1], y, kTolerance);
    EXPECT_NEAR(vertex.position[2], z, kTolerance);
}

void ExpectNormal(const float* normal, float x, float y, float z) {
    EXPECT_NEAR(normal[0], x, kTolerance);
    EXPECT_NEAR(normal[1], y, kTolerance);
    EXPECT_NEAR(normal[2], z, kTolerance);
}

// One vertex with the given normal that deforms on its own (no faces).
void SingleVertex(Mesh& mesh, float x, float y, float z, float nx, float ny, float nz) {
    mesh.AddVertex(x, y, z, nx, ny, nz);
    mesh.Bind();
    mesh.object.Snapshot();
}

TEST(SceneObjectCentre, MovesTheBoxCentreIntoThePosition) {
    Mesh mesh;
    mesh.AddVertex(10.0f, -4.0f, 1.0f);
    mesh.AddVertex(20.0f, 6.0f, 3.0f);
    mesh.AddVertex(12.0f, 0.0f, 2.0f);
    mesh.Bind().Centre();
    ExpectNormal(mesh.object.position, 15.0f, 1.0f, 2.0f);
    ExpectPosition(mesh.vertices[0], -5.0f, -5.0f, -1.0f);
    ExpectPosition(mesh.vertices[1], 5.0f, 5.0f, 1.0f);
    ExpectPosition(mesh.vertices[2], -3.0f, -1.0f, 0.0f);
}

TEST(SceneObjectCentre, EmptyObjectSitsAtTheOrigin) {
    Mesh mesh;
    mesh.Bind().Centre();
    ExpectNormal(mesh.object.position, 0.0f, 0.0f, 0.0f);
}

// Four faces around vertex 0, with normals that do not cancel.
void Fan(Mesh& mesh) {
    for (int i = 0; i < 6; ++i) {
        mesh.AddVertex(static_cast<float>(i), 0.0f, 0.0f, 9.0f, 9.0f, 9.0f);
    }
    mesh.AddFace(0, 1, 2, 1.0f, 0.0f, 0.0f);
    mesh.AddFace(0, 2, 3, 0.0f, 1.0f, 0.0f);
    mesh.AddFace(0, 3, 4, 0.0f, 0.0f, 1.0f);
    mesh.AddFace(4, 1, 0, 0.0f, 1.0f, 0.0f);
    // Vertex 5 is on no face.
}

TEST(SceneObjectPrepare, VertexNormalIsTheMeanOfItsFaceNormals) {
    Mesh mesh;
    Fan(mesh);
    mesh.Bind().Prepare(false);
    EXPECT_EQ(mesh.vertices[0].adjacentCount, 4);
    EXPECT_EQ(mesh.vertices[0].adjacentFilled, 4);
    ExpectNormal(mesh.vertices[0].normal, 0.25f, 0.5f, 0.25f);  // length below 1, kept so
    EXPECT_EQ(mesh.vertices[1].adjacentCount, 2);
    ExpectNormal(mesh.vertices[1].normal, 0.5f, 0.5f, 0.0f);
    EXPECT_EQ(mesh.vertices[2].adjacentCount, 2);
    ExpectNormal(mesh.vertices[2].normal, 0.5f, 0.5f, 0.0f);
    ExpectNormal(mesh.vertices[3].normal, 0.0f, 0.5f, 0.5f);
    ExpectNormal(mesh.vertices[4].normal, 0.0f, 0.5f, 0.5f);
    EXPECT_EQ(mesh.vertices[5].adjacentCount, 0);
    ExpectNormal(mesh.vertices[5].normal, 0.0f, 0.0f, 0.0f);
    // Face order is last to first when the lists are filled.
    EXPECT_EQ(mesh.vertices[0].adjacentNormals[0], mesh.faces[3].normal);
    EXPECT_EQ(mesh.vertices[0].adjacentNormals[3], mesh.faces[0].normal);
}

TEST(SceneObjectPrepare, BinarySceneKeepsItsStoredCountsWhenTheyAddUpToTheCorners) {
    // Twelve corners, as the four faces have: the counts from the file stand,
    // and vertex 0's divides the sum of its four face normals.
    Mesh mesh;
    Fan(mesh);
    mesh.vertices[0].adjacentCount = 6;
    mesh.vertices[1].adjacentCount = 0;
    mesh.vertices[2].adjacentCount = 2;
    mesh.vertices[3].adjacentCount = 2;
    mesh.vertices[4].adjacentCount = 2;
    mesh.vertices[0].adjacentFilled = 77;
    mesh.Bind().Prepare(true);
    EXPECT_EQ(mesh.vertices[0].adjacentCount, 6);
    EXPECT_EQ(mesh.vertices[0].adjacentFilled, 4);
    ExpectNormal(mesh.vertices[0].normal, 1.0f / 6.0f, 1.0f / 3.0f, 1.0f / 6.0f);

    // Each count possible alone, sixteen together: counted again.
    Mesh overcounted;
    Fan(overcounted);
    overcounted.vertices[0].adjacentCount = 8;
    for (int v = 1; v <= 4; ++v) {
        overcounted.vertices[v].adjacentCount = 2;
    }
    overcounted.Bind().Prepare(true);
    EXPECT_EQ(overcounted.vertices[0].adjacentCount, 4);
    ExpectNormal(overcounted.vertices[0].normal, 0.25f, 0.5f, 0.25f);

    Mesh broken;
    Fan(broken);
    broken.vertices[2].adjacentCount = 2000000000;  // no allocation of that size
    broken.vertices[3].adjacentCount = -5;
    broken.Bind().Prepare(true);
    EXPECT_EQ(broken.vertices[2].adjacentCount, 2);
    EXPECT_EQ(broken.vertices[3].adjacentCount, 2);
    ExpectNormal(broken.vertices[0].normal, 0.25f, 0.5f, 0.25f);
}

TEST(SceneObjectPrepare, OutOfRangeCornersAreSkipped) {
    Mesh mesh;
    mesh.AddVertex(0.0f, 0.0f, 0.0f);
    mesh.AddVertex(1.0f, 0.0f, 0.0f);
    mesh.AddVertex(0.0f, 1.0f, 0.0f);
    mesh.AddFace(0, 1, 2, 0.0f, 0.0f, 1.0f);
    mesh.AddFace(0, 7, -1, 1.0f, 0.0f, 0.0f);
    mesh.Bind().Prepare(false);
    EXPECT_EQ(mesh.vertices[0].adjacentCount, 2);
    ExpectNormal(mesh.vertices[0].normal, 0.5f, 0.0f, 0.5f);
    ExpectNormal(mesh.vertices[1].normal, 0.0f, 0.0f, 1.0f);
}

TEST(SceneObjectPrepare, TexturedObjectGetsTiledAndOffsetCoordinates) {
    Material material;
    material.props.mapCount = 1;
    material.maps[0].uTiling = 2.0f;
    material.maps[0].vTiling = -3.0f;
    material.maps[0].uOffset = 0.25f;
    material.maps[0].vOffset = 1.0f;
    Mesh mesh;
    Fan(mesh);
    for (int i = 0; i < 5; ++i) {
        mesh.AddTexVertex(0.1f * static_cast<float>(i), 0.5f);
    }
    mesh.AddTexVertex(9.0f, 9.0f);  // named by no texture face: left alone
    for (int i = 0; i < 4; ++i) {
        mesh.AddTexFace(0, i + 1, 4);
    }
    mesh.object.material = &material;
    mesh.Bind().Prepare(false);
    EXPECT_EQ(mesh.object.textured, 1);
    for (int i = 0; i < 5; ++i) {
        EXPECT_NEAR(mesh.texVertices[i].s, 0.2f * static_cast<float>(i) + 0.25f, kTolerance);
        EXPECT_NEAR(mesh.texVertices[i].t, -0.5f, kTolerance);
    }
    EXPECT_EQ(mesh.texVertices[5].s, 0.0f);
}

TEST(SceneObjectPrepare, TexturedNeedsCoordinatesForEveryFaceAndAMaterial) {
    Material material;
    Mesh noMaterial;
    Fan(noMaterial);
    noMaterial.AddTexVertex(0.0f, 0.0f);
    for (int i = 0; i < 4; ++i) {
        noMaterial.AddTexFace(0, 0, 0);
    }
    noMaterial.Bind().Prepare(false);
    EXPECT_EQ(noMaterial.object.textured, 0);

    Mesh tooFewTexFaces;
    Fan(tooFewTexFaces);
    tooFewTexFaces.AddTexVertex(0.0f, 0.0f);
    tooFewTexFaces.AddTexFace(0, 0, 0);
    tooFewTexFaces.object.material = &material;
    tooFewTexFaces.Bind().Prepare(false);
    EXPECT_EQ(tooFewTexFaces.object.textured, 0);
}

TEST(SceneObjectSnapshot, CopiesEveryVertex) {
    Mesh mesh;
    Fan(mesh);
    SceneObject& object = mesh.Ready();
    ASSERT_NE(object.restVertices, nullptr);
    EXPECT_EQ(object.hasRestVertices, 1);
    for (size_t i = 0; i < mesh.vertices.size(); ++i) {
        EXPECT_EQ(object.restVertices[i].position[0], mesh.vertices[i].position[0]);
        EXPECT_EQ(object.restVertices[i].normal[1], mesh.vertices[i].normal[1]);
    }
}

TEST(SceneObjectDeform, WaveMovesAlongTheNormalByPhaseOfXPlusYPlusZ) {
    Mesh mesh;
    SingleVertex(mesh, 10.0f, 20.0f, 30.0f, 0.0f, 1.0f, 0.0f);
    mesh.object.deformTime = 5.0f;
    // (10 + 5 + 20 + 30 + 25) x 2 = 180 degrees: cos = -1.
    mesh.object.SetDeformation(DEFORM_WAVE, 2.0, 3.0, 25.0, 0.0);
    mesh.object.Deform();
    ExpectPosition(mesh.vertices[0], 10.0f, 17.0f, 30.0f);
}

TEST(SceneObjectDeform, RippleTakesItsPhaseFromTheDistanceToTheOrigin) {
    Mesh mesh;
    SingleVertex(mesh, 3.0f, 4.0f, 0.0f, 1.0f, 0.0f, 0.0f);
    mesh.object.deformTime = 10.0f;
    // (10 + 5 + 45) x 1 = 60 degrees: w = 0.5 x 2.
    mesh.object.SetDeformation(DEFORM_RIPPLE, 1.0, 2.0, 45.0, 0.0);
    mesh.object.Deform();
    ExpectPosition(mesh.vertices[0], 4.0f, 4.0f, 0.0f);
}

TEST(SceneObjectDeform, NormalWaveRecomputesNormalsFirst) {
    Mesh mesh;
    mesh.AddVertex(0.0f, 0.0f, 0.0f);
    mesh.AddVertex(1.0f, 0.0f, 0.0f);
    mesh.AddVertex(0.0f, 1.0f, 0.0f);
    mesh.AddVertex(0.0f, 0.0f, 1.0f);
    mesh.AddFace(0, 1, 2, 1.0f, 0.0f, 0.0f);  // stored normals are wrong on purpose
    mesh.AddFace(0, 3, 1, 1.0f, 0.0f, 0.0f);
    SceneObject& object = mesh.Ready();
    // Phase (nx + 0 + ny + nz + Ph): for vertex 2, normal (0, 0, 1) and
    // Ph 59 give 60 degrees, w = 0.5 x 2.
    object.SetDeformation(DEFORM_NORMAL_WAVE, 1.0, 2.0, 59.0, 0.0);
    object.Deform();
    ExpectNormal(mesh.faces[0].normal, 0.0f, 0.0f, 1.0f);
    ExpectNormal(mesh.faces[1].normal, 0.0f, 1.0f, 0.0f);
    ExpectNormal(mesh.vertices[2].normal, 0.0f, 0.0f, 1.0f);
    ExpectPosition(mesh.vertices[2], 0.0f, 1.0f, 1.0f);
    ExpectNormal(mesh.vertices[3].normal, 0.0f, 1.0f, 0.0f);
    ExpectPosition(mesh.vertices[3], 0.0f, 1.0f, 1.0f);
    // Vertex 0 is on both faces: normal (0, 0.5, 0.5), phase 60 again.
    ExpectNormal(mesh.vertices[0].normal, 0.0f, 0.5f, 0.5f);
    ExpectPosition(mesh.vertices[0], 0.0f, 0.5f, 0.5f);
}

TEST(SceneObjectDeform, CoincidentCornersGiveAZeroFaceNormal) {
    Mesh mesh;
    mesh.AddVertex(1.0f, 1.0f, 1.0f);
    mesh.AddVertex(1.0f, 1.0f, 1.0f);
    mesh.AddVertex(1.0f, 1.0f, 1.0f);
    mesh.AddFace(0, 1, 2, 0.0f, 1.0f, 0.0f);
    SceneObject& object = mesh.Ready();
    object.SetDeformation(DEFORM_NORMAL_WAVE, 1.0, 2.0, 0.0, 0.0);
    object.Deform();
    ExpectNormal(mesh.faces[0].normal, 0.0f, 0.0f, 0.0f);
    ExpectPosition(mesh.vertices[0], 1.0f, 1.0f, 1.0f);
    EXPECT_FALSE(std::isnan(mesh.vertices[0].normal[0]));
}

TEST(SceneObjectDeform, TwistsTurnAboutTheirAxis) {
    // Frequency 0: the angle is the amplitude in degrees, whatever the place.
    Mesh aboutX;
    SingleVertex(aboutX, 5.0f, 1.0f, 0.0f, 0.0f, 0.0f, 0.0f);
    aboutX.object.SetDeformation(DEFORM_TWIST_X, 0.0, 90.0, 0.0, 0.0);
    aboutX.object.Deform();
    ExpectPosition(aboutX.vertices[0], 5.0f, 0.0f, 1.0f);

    Mesh aboutY;
    SingleVertex(aboutY, 1.0f, 5.0f, 0.0f, 0.0f, 0.0f, 0.0f);
    aboutY.object.SetDeformation(DEFORM_TWIST_Y, 0.0, 90.0, 0.0, 0.0);
    aboutY.object.Deform();
    ExpectPosition(aboutY.vertices[0], 0.0f, 5.0f, 1.0f);

    Mesh aboutZ;
    SingleVertex(aboutZ, 1.0f, 0.0f, 5.0f, 0.0f, 0.0f, 0.0f);
    aboutZ.object.SetDeformation(DEFORM_TWIST_Z, 0.0, 90.0, 0.0, 0.0);
    aboutZ.object.Deform();
    ExpectPosition(aboutZ.vertices[0], 0.0f, 1.0f, 5.0f);
}

TEST(SceneObjectDeform, TwistAngleFollowsTheCoordinateAlongTheAxis) {
    Mesh mesh;
    SingleVertex(mesh, 30.0f, 1.0f, 0.0f, 0.0f, 0.0f, 0.0f);
    mesh.object.deformTime = 10.0f;
    // cos((30 + 10 + 20) degrees) x 90 = 45 degrees.
    mesh.object.SetDeformation(DEFORM_TWIST_X, 1.0, 90.0, 20.0, 0.0);
    mesh.object.Deform();
    ExpectPosition(mesh.vertices[0], 30.0f, kHalfRoot2, kHalfRoot2);
}

TEST(SceneObjectDeform, TwistAboutXRunsBeforeTwistAboutY) {
    Mesh mesh;
    SingleVertex(mesh, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f, 0.0f);
    mesh.object.SetDeformation(DEFORM_TWIST_X | DEFORM_TWIST_Y, 0.0, 90.0, 0.0, 0.0);
    mesh.object.Deform();
    // X first: (0, 1, 0) -> (0, 0, 1); then Y: -> (-1, 0, 0).
    ExpectPosition(mesh.vertices[0], -1.0f, 0.0f, 0.0f);
}

TEST(SceneObjectDeform, PushesMoveOneCoordinateByFrequencyAlongTheNormal) {
    const int32_t flags[3] = {DEFORM_PUSH_X, DEFORM_PUSH_Y, DEFORM_PUSH_Z};
    const float expected[3][3] = {{2.5f, 2.0f, 3.0f}, {1.0f, -1.0f, 3.0f}, {1.0f, 2.0f, 9.0f}};
    for (int i = 0; i < 3; ++i) {
        Mesh mesh;
        SingleVertex(mesh, 1.0f, 2.0f, 3.0f, 0.5f, -1.0f, 2.0f);
        mesh.object.SetDeformation(flags[i], 3.0, 0.0, 0.0, 0.0);
        mesh.object.Deform();
        ExpectPosition(mesh.vertices[0], expected[i][0], expected[i][1], expected[i][2]);
    }
}

TEST(SceneObjectDeform, FlagBendsOutsideTheBandAndBobsEverything) {
    Mesh mesh;
    mesh.AddVertex(0.05f, 0.0f, 0.0f);
    mesh.AddVertex(-0.069f, 0.0f, 0.0f);
    mesh.AddVertex(1.0f, 0.0f, 0.0f);
    mesh.AddVertex(-1.0f, 0.0f, 0.0f);
    mesh.Bind();
    mesh.object.Snapshot();
    // Time 0: the bob is (cos 0 + sin 0) / 5 = 0.2. Vertex x = 1 turns by
    // cos(1 + 59) x 90 = 45 degrees; x = -1 by -cos(58) x 90 degrees.
    mesh.object.SetDeformation(DEFORM_FLAG, 1.0, 90.0, 59.0, 0.0);
    mesh.object.Deform();
    ExpectPosition(mesh.vertices[0], 0.05f, 0.2f, 0.0f);
    ExpectPosition(mesh.vertices[1], -0.069f, 0.2f, 0.0f);
    ExpectPosition(mesh.vertices[2], kHalfRoot2, kHalfRoot2 + 0.2f, 0.0f);
    const double a = -std::cos(58.0 * M_PI / 180.0) * M_PI / 2.0;
    ExpectPosition(mesh.vertices[3], static_cast<float>(-std::cos(a)), static_cast<float>(-std::sin(a) + 0.2), 0.0f);
}

TEST(SceneObjectDeform, FlagBobFollowsTheTime) {
    Mesh mesh;
    SingleVertex(mesh, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f);
    mesh.object.deformTime = 22.5f;
    // cos(180) + sin(90) = 0.
    mesh.object.SetDeformation(DEFORM_FLAG, 1.0, 90.0, 0.0, 0.0);
    mesh.object.Deform();
    ExpectPosition(mesh.vertices[0], 0.0f, 0.0f, 0.0f);
}

TEST(SceneObjectDeform, EveryDeformStartsFromTheSnapshotAndAdvancesTime) {
    Mesh mesh;
    SingleVertex(mesh, 1.0f, 2.0f, 3.0f, 0.0f, 0.0f, 1.0f);
    mesh.object.deformTime = 1.0f;
    mesh.object.SetDeformation(DEFORM_PUSH_Z, 4.0, 0.0, 0.0, 0.5);
    for (int i = 0; i < 3; ++i) {
        mesh.object.Deform();
        ExpectPosition(mesh.vertices[0], 1.0f, 2.0f, 7.0f);
    }
    EXPECT_FLOAT_EQ(mesh.object.deformTime, 2.5f);
    // A new setting keeps the accumulated time.
    mesh.object.SetDeformation(DEFORM_WAVE, 1.0, 1.0, 0.0, 0.25);
    EXPECT_FLOAT_EQ(mesh.object.deformTime, 2.5f);
}

TEST(SceneObjectDeform, UnknownBitsOnlyRestoreTheSnapshot) {
    Mesh mesh;
    SingleVertex(mesh, 1.0f, 2.0f, 3.0f, 0.0f, 0.0f, 1.0f);
    mesh.vertices[0].position[0] = 50.0f;
    mesh.object.SetDeformation(1024, 4.0, 1.0, 0.0, 1.0);
    mesh.object.Deform();
    ExpectPosition(mesh.vertices[0], 1.0f, 2.0f, 3.0f);
    EXPECT_FLOAT_EQ(mesh.object.deformTime, 1.0f);
}

TEST(SceneObjectDeform, WithoutASnapshotTheShapeIsKept) {
    Mesh mesh;
    mesh.AddVertex(1.0f, 2.0f, 3.0f, 0.0f, 0.0f, 1.0f);
    mesh.Bind();
    mesh.object.SetDeformation(DEFORM_PUSH_Z, 4.0, 0.0, 0.0, 1.0);
    mesh.object.Deform();
    ExpectPosition(mesh.vertices[0], 1.0f, 2.0f, 3.0f);
    EXPECT_FLOAT_EQ(mesh.object.deformTime, 1.0f);
}

// Stepped without drawing, an object's deformation clock moves as drawn and
// the shape it owes its vertices is the drawn one; a shape without stages
// gives the snapshot back at once (a rewound show).
TEST(SceneObjectDeform, AdvancingOwesTheShapeDrawingGivesAndRestoringGivesTheSnapshotBack) {
    Mesh drawn;
    Fan(drawn);
    Mesh advanced;
    Fan(advanced);
    for (Mesh* mesh : {&drawn, &advanced}) {
        mesh->Ready().SetDeformation(DEFORM_WAVE | DEFORM_TWIST_Y, 0.5, 2.0, 10.0, 0.25);
    }
    for (int frame = 0; frame < 3; ++frame) {
        drawn.object.Deform();
        advanced.object.Advance();
    }
    EXPECT_FLOAT_EQ(advanced.object.deformTime, drawn.object.deformTime);
    const SceneObject::Shape owed = advanced.object.CurrentShape();
    const SceneObject::Shape held = drawn.object.CurrentShape();
    EXPECT_EQ(owed.flags, held.flags);
    EXPECT_FLOAT_EQ(owed.time, held.time);
    EXPECT_EQ(advanced.object.shapePending, 1);
    EXPECT_NE(drawn.vertices[1].position[1], drawn.object.restVertices[1].position[1]);

    drawn.object.RestoreShape(SceneObject::Shape{0, 0.0, 0.0, 0.0, 0.0f});
    for (size_t i = 0; i < drawn.vertices.size(); ++i) {
        EXPECT_EQ(drawn.vertices[i].position[1], drawn.object.restVertices[i].position[1]);
    }
}

}  // namespace
