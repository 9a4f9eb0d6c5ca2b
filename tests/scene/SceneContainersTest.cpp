// The checked scene and object containers: creation, stores, clamped reads,
// opacity placement and release, with the boxes they show.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/MessageBox.h"
#include "scene/Scene.h"
#include "scene/SceneObject.h"
#include "tests/support/TestBoxes.h"

namespace {

using TestSupport::Box;
using TestSupport::TakeBoxes;

const Box kOutOfRange{"Acceso fuera del vector IMPEDIDO", "Error de acceso"};
const Box kClampedRead{"Acceso fuera del vector IMPEDIDO.\nSe ha truncado el acceso.", "Error de acceso"};

Material MaterialWithOpacity(float opacity) {
    Material material;
    MaterialProps props = material.GetProps();
    props.ambient[3] = opacity;
    material.SetProps(props);
    return material;
}

SceneObject Named(const char* name, int32_t materialRef) {
    SceneObject object;
    object.SetName(name);
    object.SetMaterialRef(materialRef);
    return object;
}

std::vector<std::string> ObjectNames(const Scene& scene) {
    std::vector<std::string> names;
    for (uint32_t i = 0; i < scene.ObjectCount(); ++i) {
        names.push_back(scene.GetObject(i).name);
    }
    return names;
}

class SceneContainersTest : public ::testing::Test {
protected:
    void SetUp() override { Platform::ClearMessageBoxes(); }
};

TEST_F(SceneContainersTest, SecondCreationShowsItsWarningAndKeepsTheFirstArray) {
    Scene scene;
    scene.InitObjects(2);
    scene.InitMaterials(3);
    scene.InitCameras(1);
    scene.InitLights(4);
    Camera camera;
    camera.roll = 12.0f;
    scene.SetCamera(0, camera);
    ASSERT_TRUE(TakeBoxes().empty());

    scene.InitObjects(5);
    scene.InitMaterials(5);
    scene.InitCameras(5);
    scene.InitLights(5);
    const std::vector<Box> expected{
        {"Vector de objetos ya iniciado para esta escena.", "Atencion"},
        {"Vector de materiales ya iniciado para esta escena.", "Atencion"},
        {"Vector de camaras iniciado para esta escena.", "Atencion"},
        {"Vector de luces iniciado para esta escena.", "Atencion"},
    };
    EXPECT_EQ(TakeBoxes(), expected);
    EXPECT_EQ(scene.ObjectCount(), 2u);
    EXPECT_EQ(scene.MaterialCount(), 3u);
    EXPECT_EQ(scene.CameraCount(), 1u);
    EXPECT_EQ(scene.LightCount(), 4u);
    EXPECT_EQ(scene.backIndex, 2);
    EXPECT_FLOAT_EQ(scene.GetCamera(0).roll, 12.0f);
}

TEST_F(SceneContainersTest, StoresIntoMissingArraysShowTheirBoxesAndStoreNothing) {
    Scene scene;
    scene.SetObject(0, SceneObject());
    scene.SetMaterial(0, Material());
    scene.SetCamera(0, Camera());
    scene.SetLight(0, Light());
    const std::vector<Box> expected{
        {"No esta iniciado el vector de objetos", "Error de inicializacion"},
        {"No esta iniciado el vector de materiales", "Error de inicializacion"},
        {"No esta iniciado el vector de camaras", "Error de inicializacion"},
        {"No esta iniciado el vector de luces", "Error de inicializacion"},
    };
    EXPECT_EQ(TakeBoxes(), expected);
    EXPECT_EQ(scene.frontCount, 0);
    EXPECT_EQ(scene.backIndex, 0);
}

TEST_F(SceneContainersTest, StoresOutsideTheirArraysAreRefused) {
    Scene scene;
    scene.InitLights(0);
    scene.InitMaterials(2);
    scene.InitCameras(1);
    EXPECT_TRUE(scene.lightsCreated);
    EXPECT_EQ(scene.LightCount(), 0u);
    scene.SetLight(0, Light());
    scene.SetMaterial(2, MaterialWithOpacity(0.5f));
    scene.SetCamera(7, Camera());
    EXPECT_EQ(TakeBoxes(), std::vector<Box>(3, kOutOfRange));
    EXPECT_FLOAT_EQ(scene.GetMaterial(1).props.ambient[3], 0.0f);

    scene.SetMaterial(1, MaterialWithOpacity(0.5f));
    EXPECT_TRUE(TakeBoxes().empty());
    EXPECT_FLOAT_EQ(scene.GetMaterial(1).props.ambient[3], 0.5f);
}

TEST_F(SceneContainersTest, OpaqueObjectsFillFromTheFrontTranslucentOnesFromTheBack) {
    Scene scene;
    scene.InitMaterials(4);
    scene.SetMaterial(0, MaterialWithOpacity(1.0f));
    scene.SetMaterial(1, MaterialWithOpacity(0.999f));
    scene.SetMaterial(2, MaterialWithOpacity(0.25f));
    // Slot 3 keeps a default material: opacity 0, translucent.
    scene.InitObjects(4);
    scene.SetObject(0, Named("P", 0));
    scene.SetObject(1, Named("Q", 1));
    scene.SetObject(2, Named("R", 0));
    scene.SetObject(3, Named("S", 2));
    EXPECT_EQ(ObjectNames(scene), (std::vector<std::string>{"P", "R", "S", "Q"}));
    EXPECT_EQ(scene.frontCount, 2);
    EXPECT_EQ(scene.backIndex, 2);
    EXPECT_TRUE(TakeBoxes().empty());

    Scene defaults;
    defaults.InitMaterials(4);
    defaults.InitObjects(2);
    defaults.SetObject(0, Named("A", 3));
    defaults.SetObject(1, Named("B", 0));
    EXPECT_EQ(ObjectNames(defaults), (std::vector<std::string>{"B", "A"}));
}

TEST_F(SceneContainersTest, ObjectsWithoutAStoredMaterialAreOpaque) {
    Scene scene;
    scene.InitObjects(3);
    scene.SetObject(0, Named("none", -1));
    scene.InitMaterials(1);
    scene.SetMaterial(0, MaterialWithOpacity(0.5f));
    scene.SetObject(1, Named("beyond", 7));
    scene.SetObject(2, Named("glass", 0));
    EXPECT_EQ(ObjectNames(scene), (std::vector<std::string>{"none", "beyond", "glass"}));
    EXPECT_TRUE(TakeBoxes().empty());
}

TEST_F(SceneContainersTest, ObjectStoresThatWouldOverrunTheFillPositionsAreRefused) {
    Scene scene;
    scene.InitObjects(2);
    scene.SetObject(2, Named("past", -1));
    EXPECT_EQ(TakeBoxes(), std::vector<Box>{kOutOfRange});
    EXPECT_EQ(scene.frontCount, 0);
    EXPECT_EQ(scene.backIndex, 2);

    scene.SetObject(0, Named("a", -1));
    scene.SetObject(1, Named("b", -1));
    // Every slot is taken: a repeated index would make the positions cross.
    scene.SetObject(1, Named("again", -1));
    EXPECT_EQ(TakeBoxes(), std::vector<Box>{kOutOfRange});
    EXPECT_EQ(ObjectNames(scene), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(scene.frontCount, 2);
    EXPECT_EQ(scene.backIndex, 2);
}

TEST_F(SceneContainersTest, SelectCameraWrapsOnlyIndicesBeyondTheCount) {
    Scene scene;
    scene.InitCameras(2);
    scene.SelectCamera(1);
    EXPECT_EQ(scene.currentCamera, 1u);
    scene.SelectCamera(2);
    EXPECT_EQ(scene.currentCamera, 2u);
    scene.SelectCamera(3);
    EXPECT_EQ(scene.currentCamera, 0u);
}

TEST_F(SceneContainersTest, NamesAreCutToTheirBuffers) {
    Scene scene;
    SceneObject object;
    const std::string longName(400, 'n');
    scene.SetName(longName.c_str());
    object.SetName(longName.c_str());
    EXPECT_EQ(std::string(scene.Name()), longName.substr(0, SceneParams::kNameSize - 1));
    EXPECT_EQ(std::string(object.name), longName.substr(0, SceneObject::kNameSize - 1));
}

TEST_F(SceneContainersTest, ReleaseFreesEverythingOnceAndTheDestructorWarnsOnlyWithoutIt) {
    {
        Scene scene;
        scene.InitObjects(2);
        scene.InitMaterials(1);
        scene.InitCameras(2);
        scene.InitLights(2);
        SceneObject object;
        object.InitVertices(3);
        object.InitFaces(1);
        object.InitTexVertices(3);
        object.InitTexFaces(1);
        object.vertices[0].adjacentCount = 1;
        object.vertices[0].adjacentNormals = new float*[1]{object.faces[0].normal};
        object.restVertices = new Vertex[3];
        object.hasRestVertices = 1;
        // The same record twice shares its arrays between two slots.
        scene.SetObject(0, object);
        scene.SetObject(1, object);
        Camera camera;
        camera.CreateTrack(5);
        scene.SetCamera(0, camera);
        Light light;
        light.CreateTrack(5);
        scene.SetLight(1, light);

        EXPECT_TRUE(scene.Release());
        EXPECT_EQ(scene.objects, nullptr);
        EXPECT_EQ(scene.ObjectCount() + scene.MaterialCount() + scene.CameraCount() + scene.LightCount(), 0u);
        EXPECT_FALSE(scene.objectsCreated || scene.materialsCreated || scene.camerasCreated || scene.lightsCreated);
        EXPECT_FALSE(scene.Release());

        // Released arrays can be created again.
        scene.InitCameras(1);
        EXPECT_EQ(scene.CameraCount(), 1u);
        EXPECT_TRUE(scene.Release());
    }
    EXPECT_TRUE(TakeBoxes().empty());
    {
        Scene scene;
        scene.InitLights(1);
    }
    EXPECT_EQ(TakeBoxes(), (std::vector<Box>{{"Escena liberada por el destructor de la clase", "Atencion"}}));
}

TEST_F(SceneContainersTest, ObjectReleaseClearsCountsAndFlags) {
    SceneObject object;
    object.InitVertices(4);
    object.InitFaces(2);
    object.InitTexVertices(4);
    object.InitTexFaces(2);
    object.InitVertices(6);  // a second creation replaces the first array
    EXPECT_EQ(object.VertexCount(), 6u);
    object.Release();
    EXPECT_EQ(object.vertices, nullptr);
    EXPECT_EQ(object.faces, nullptr);
    EXPECT_EQ(object.VertexCount() + object.FaceCount() + object.TexVertexCount() + object.TexFaceCount(), 0u);
    EXPECT_FALSE(object.verticesCreated || object.facesCreated || object.texVerticesCreated || object.texFacesCreated);
}

TEST_F(SceneContainersTest, ElementsAreCreatedWithTheirDefaults) {
    SceneObject object;
    object.InitVertices(2);
    const Vertex vertex = object.GetVertex(1);
    EXPECT_FLOAT_EQ(vertex.reserved[3], 1.0f);
    EXPECT_FLOAT_EQ(vertex.reserved[0], 0.0f);
    EXPECT_EQ(vertex.adjacentCount, 0);
    EXPECT_EQ(vertex.adjacentNormals, nullptr);
    object.InitFaces(1);
    EXPECT_EQ(object.GetFace(0).va, nullptr);
    object.Release();
}

TEST_F(SceneContainersTest, ElementReadsPastTheEndAreClampedToTheLastElement) {
    SceneObject object;
    object.InitVertices(3);
    object.InitTexVertices(2);
    object.InitFaces(2);
    object.InitTexFaces(2);
    Vertex last = DefaultVertex();
    last.position[0] = 9.0f;
    object.SetVertex(2, last);
    TexVertex lastTex{0.5f, 0.25f, 0.0f, 0.0f};
    object.SetTexVertex(1, lastTex);
    Face lastFace{};
    lastFace.a = 4;
    object.SetFace(1, lastFace);
    TexFace lastTexFace{};
    lastTexFace.c = 6;
    object.SetTexFace(1, lastTexFace);
    ASSERT_TRUE(TakeBoxes().empty());

    EXPECT_FLOAT_EQ(object.GetVertex(3).position[0], 9.0f);
    EXPECT_FLOAT_EQ(object.GetTexVertex(100).v, 0.25f);
    EXPECT_EQ(object.GetFace(2).a, 4);
    EXPECT_EQ(object.GetTexFace(5).c, 6);
    EXPECT_EQ(TakeBoxes(), std::vector<Box>(4, kClampedRead));

    // An empty array has no last element: the box, then a default element.
    object.InitFaces(0);
    const Face empty = object.GetFace(0);
    EXPECT_EQ(TakeBoxes(), std::vector<Box>{kClampedRead});
    EXPECT_EQ(empty.a, 0);
    EXPECT_EQ(empty.va, nullptr);
    object.Release();
}

TEST_F(SceneContainersTest, ElementStoresAreChecked) {
    SceneObject object;
    object.SetVertex(0, DefaultVertex());
    object.SetFace(0, Face{});
    object.SetTexVertex(0, TexVertex{});
    object.SetTexFace(0, TexFace{});
    const std::vector<Box> missing{
        {"No esta iniciado el vector de vertices", "Error de inicializacion"},
        {"No esta iniciado el vector de caras", "Error de inicializacion"},
        {"No esta iniciado el vector de Tvertices", "Error de inicializacion"},
        {"No esta iniciado el vector de Tcaras", "Error de inicializacion"},
    };
    EXPECT_EQ(TakeBoxes(), missing);

    object.InitVertices(1);
    Vertex vertex = DefaultVertex();
    vertex.position[1] = 3.0f;
    object.SetVertex(1, vertex);
    EXPECT_EQ(TakeBoxes(), std::vector<Box>{kOutOfRange});
    EXPECT_FLOAT_EQ(object.GetVertex(0).position[1], 0.0f);
    object.SetVertex(0, vertex);
    EXPECT_FLOAT_EQ(object.GetVertex(0).position[1], 3.0f);
    object.Release();
}

using SceneContainersDeathTest = SceneContainersTest;

TEST_F(SceneContainersDeathTest, ReadsFromArraysNeverCreatedEndTheProcessWithStatus1) {
    const SceneObject object;
    EXPECT_EXIT(object.GetFace(0), ::testing::ExitedWithCode(1), "No esta iniciado el vector de caras");
    EXPECT_EXIT(object.GetVertex(0), ::testing::ExitedWithCode(1), "No esta iniciado el vector de vertices");
    EXPECT_EXIT(object.GetTexVertex(0), ::testing::ExitedWithCode(1), "No esta iniciado el vector de Tvertices");
    EXPECT_EXIT(object.GetTexFace(0), ::testing::ExitedWithCode(1), "No esta iniciado el vector de Tcaras");
}

}  // namespace
