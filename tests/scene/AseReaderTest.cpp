// ASE import: a realistic export with every conversion, the block readers
// (materials and their maps, cameras and lights with their tracks) and their
// end conditions, and the log texts.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "scene/Scene.h"
#include "tests/scene/AseReaderTest.h"
#include "tests/support/TestBoxes.h"

namespace {

using TestSupport::AseReaderTest;
using TestSupport::Box;
using TestSupport::GeomObject;
using TestSupport::RealExport;
using TestSupport::TakeBoxes;

// The reader's log for a file with the given blocks, in order.
std::string ExpectedLog(const std::string& name, const std::string& blocks, const std::string& counts) {
    return "\nLECTOR DE FICHEROS ASE v0.5 by Dralven / Brassmoor Team\n]> Comenzada la lectura del fichero .ASE\n"
           "]> LEYENDO FICHERO ASE: [ " + name + " ]\n" + blocks + "\n Leidos: " + counts +
           "\n FINALIZADA LA CARGA DEL FICHERO ASE.\n\n";
}

const char* const kSceneBlock = "*SCENE {\n\t*SCENE_LASTFRAME 9\n\t*SCENE_FRAMESPEED 30\n}\n";

// A material list of one entry with the given lines inside its block.
std::string OneMaterial(const std::string& lines, int count = 1, int number = 0) {
    return "*MATERIAL_LIST {\n\t*MATERIAL_COUNT " + std::to_string(count) + "\n\t*MATERIAL " +
           std::to_string(number) + " {\n" + lines + "\t}\n}\n";
}

// ---------------------------------------------------------------------------

TEST_F(AseReaderTest, RealExportLoadsWithEveryConversion) {
    Scene scene;
    Load(RealExport(), scene, "realistic.ase");
    EXPECT_TRUE(TakeBoxes().empty());

    const SceneParams params = scene.GetParams();
    EXPECT_EQ(params.lastFrame, 4);
    EXPECT_EQ(params.frameSpeed, 30);
    EXPECT_EQ(params.ticksPerFrame, 160);
    EXPECT_FLOAT_EQ(params.background[2], 0.3f);
    EXPECT_FLOAT_EQ(params.ambient[1], 0.06f);
    EXPECT_STREQ(params.name, "");

    ASSERT_EQ(scene.MaterialCount(), 3u);
    const MaterialProps floor = scene.materials[0].props;
    EXPECT_STREQ(floor.name, "Suelo");
    EXPECT_FLOAT_EQ(floor.ambient[3], 1.0f);
    EXPECT_FLOAT_EQ(floor.diffuse[0], 0.6f);
    EXPECT_FLOAT_EQ(floor.shininess, 0.1f);
    EXPECT_EQ(floor.mapCount, 1);
    const TextureMap floorMap = scene.materials[0].GetMap(0);
    EXPECT_STREQ(floorMap.file, "C:\\3dsmax\\maps\\suelo.jpg");
    EXPECT_EQ(floorMap.sphereMap, 0);
    EXPECT_FLOAT_EQ(floorMap.uOffset, 0.5f);
    EXPECT_FLOAT_EQ(floorMap.vOffset, -0.25f);
    EXPECT_FLOAT_EQ(floorMap.uTiling, 2.0f);
    EXPECT_FLOAT_EQ(floorMap.vTiling, 3.0f);
    const MaterialProps glass = scene.materials[1].props;
    EXPECT_FLOAT_EQ(glass.ambient[3], 0.5f);
    EXPECT_FLOAT_EQ(glass.diffuse[3], 0.5f);
    EXPECT_FLOAT_EQ(glass.specular[3], 0.5f);
    EXPECT_EQ(glass.mapCount, 2);
    EXPECT_STREQ(scene.materials[1].maps[0].file, "texturas\\cristal.tga");
    EXPECT_STREQ(scene.materials[1].maps[1].file, "texturas\\entorno.jpg");
    EXPECT_EQ(scene.materials[1].maps[1].sphereMap, 1);
    const MaterialProps metal = scene.materials[2].props;
    EXPECT_EQ(metal.twoSided, 1);
    EXPECT_FLOAT_EQ(metal.emission[1], 0.3f);
    EXPECT_EQ(metal.mapCount, 0);
    EXPECT_EQ(metal.index, 2);

    // Opaque objects first in file order, then the translucent one.
    ASSERT_EQ(scene.ObjectCount(), 4u);
    EXPECT_STREQ(scene.objects[0].name, "Suelo01");
    EXPECT_STREQ(scene.objects[1].name, "Caja01");
    EXPECT_STREQ(scene.objects[2].name, "Esfera01");
    EXPECT_STREQ(scene.objects[3].name, "Cristal01");
    EXPECT_EQ(scene.objects[3].MaterialRef(), 1);
    const SceneObject& ground = scene.objects[0];
    ASSERT_EQ(ground.VertexCount(), 4u);
    EXPECT_FLOAT_EQ(ground.vertices[0].position[0], -50.0f);
    EXPECT_FLOAT_EQ(ground.vertices[0].position[1], 0.0f);
    EXPECT_FLOAT_EQ(ground.vertices[0].position[2], 50.0f);
    EXPECT_FLOAT_EQ(ground.vertices[3].position[2], -50.0f);
    ASSERT_EQ(ground.FaceCount(), 2u);
    EXPECT_EQ(ground.faces[0].a, 2);
    EXPECT_EQ(ground.faces[0].b, 0);
    EXPECT_EQ(ground.faces[0].c, 3);
    EXPECT_EQ(ground.faces[0].va, &ground.vertices[2]);
    EXPECT_EQ(ground.faces[0].vc, &ground.vertices[3]);
    EXPECT_FLOAT_EQ(ground.faces[1].normal[1], 0.0f);
    EXPECT_FLOAT_EQ(ground.faces[1].normal[2], 1.0f);
    EXPECT_FLOAT_EQ(ground.texVertices[2].v, -1.0f);
    EXPECT_FLOAT_EQ(ground.texVertices[1].u, 1.0f);
    EXPECT_EQ(ground.texFaces[1].ta, &ground.texVertices[1]);
    EXPECT_EQ(ground.texFaces[1].tc, &ground.texVertices[0]);
    EXPECT_EQ(ground.vertices[0].adjacentNormals, nullptr);

    ASSERT_EQ(scene.CameraCount(), 2u);
    const Camera& animated = scene.cameras[0];
    EXPECT_FLOAT_EQ(animated.key.eye[1], 20.0f);
    EXPECT_FLOAT_EQ(animated.key.eye[2], 100.0f);
    EXPECT_FLOAT_EQ(animated.key.target[1], 5.0f);
    EXPECT_FLOAT_EQ(animated.key.fov, 45.0f);
    ASSERT_EQ(animated.SampleCount(), 5u);
    for (uint32_t i = 0; i < 5; ++i) {
        const CameraKey sample = animated.GetSample(i);
        EXPECT_EQ(sample.filled, 1);
        EXPECT_FLOAT_EQ(sample.eye[0], 10.0f * i) << i;
        EXPECT_FLOAT_EQ(sample.eye[2], 100.0f) << i;
        // The target track has three samples; later samples keep what they
        // were filled with when the eye track reached them.
        EXPECT_FLOAT_EQ(sample.target[0], i < 3 ? float(i) : 0.0f) << i;
        EXPECT_FLOAT_EQ(sample.target[1], 5.0f) << i;
        EXPECT_NEAR(sample.fov, i == 0 ? 45.0f : 60.0f, 1e-3f) << i;
    }
    const Camera& still = scene.cameras[1];
    EXPECT_EQ(still.SampleCount(), 0u);
    EXPECT_EQ(still.track, nullptr);
    EXPECT_FLOAT_EQ(still.key.eye[2], -50.0f);
    EXPECT_NEAR(still.key.fov, 30.0f, 1e-3f);
    EXPECT_EQ(still.key.filled, 0);

    ASSERT_EQ(scene.LightCount(), 3u);
    const Light& omni = scene.lights[0];
    EXPECT_EQ(omni.key.number, 0);
    EXPECT_EQ(omni.flare, 0);
    EXPECT_EQ(omni.SampleCount(), 0u);
    EXPECT_FLOAT_EQ(omni.key.position[1], 30.0f);
    EXPECT_FLOAT_EQ(omni.key.position[2], -20.0f);
    EXPECT_FLOAT_EQ(omni.key.position[3], 0.0f);
    EXPECT_FLOAT_EQ(omni.key.colour[1], 0.5f);
    EXPECT_FLOAT_EQ(omni.key.colour[3], 0.0f);
    const Light& spot = scene.lights[1];
    EXPECT_EQ(spot.key.number, 1);
    EXPECT_EQ(spot.flare, 1);
    EXPECT_FLOAT_EQ(spot.key.position[1], 0.0f);  // the target node's position is kept
    EXPECT_FLOAT_EQ(spot.key.position[2], 10.0f);
    const Light& moving = scene.lights[2];
    EXPECT_EQ(moving.key.number, 2);
    ASSERT_EQ(moving.SampleCount(), 5u);
    for (uint32_t i = 0; i < 5; ++i) {
        EXPECT_FLOAT_EQ(moving.track[i].position[0], float(i));
        EXPECT_FLOAT_EQ(moving.track[i].position[1], 10.0f);
        EXPECT_EQ(moving.track[i].number, 0);
    }

    const std::string blocks =
        "]> - CARGANDO PARAMETROS ESCENA.\n]> - CARGANDO MATERIALES.\n]> - CARGANDO OBJETO.\n"
        "]> - CARGANDO OBJETO.\n]> - CARGANDO OBJETO.\n]> - CARGANDO CAMARA.\n"
        "]>   - LEYENDO ANIMACION DE CAMARA.\n]>   - LEYENDO ANIMACION DE CAMARA.\n]> - CARGANDO CAMARA.\n"
        "]> - CARGANDO LUZ.\n]> - CARGANDO LUZ.\n]> - CARGANDO LUZ.\n]>   - LEYENDO ANIMACION DE LUZ.\n"
        "]> - CARGANDO OBJETO.\n";
    EXPECT_EQ(LogText(), ExpectedLog("realistic.ase", blocks, "4 Objetos - 3 Materiales - 2 Camaras - 3 Luces."));
}

TEST_F(AseReaderTest, MaterialKeywordsAndMapSlots) {
    const std::string longName(120, 'm');
    const std::string lines =
        "\t\t*MAP_TYPE Spherical\n\t\t*UVW_U_TILING 9.0\n"  // no map yet: ignored
        "\t\t*MATERIAL_NAME \"" + longName + "\"\n"
        "\t\t*MATERIAL_TRANSPARENCY 0.2500\n"
        "\t\t*MAP_DIFFUSE {\n\t\t\t*BITMAP \"uno.jpg\"\n\t\t\t*MAP_TYPE spherical\n"
        "\t\t\t*UVW_U_OFFSET 0.5000\n\t\t\t*UVW_V_OFFSET 0.5000\n\t\t}\n"
        "\t\t*MAP_BUMP {\n\t\t\t*BITMAP \"dos.jpg\"\n\t\t\t*MAP_TYPE Screen\n\t\t}\n"
        "\t\t*MAP_REFLECT {\n\t\t\t*BITMAP \"tres.jpg\"\n\t\t\t*MAP_TYPE SPHERICAL\n\t\t\t*UVW_V_TILING 4.0\n\t\t}\n"
        "\t\t*SUBMATERIAL 0 {\n\t\t\t*MATERIAL_SHINE 0.7500\n\t\t}\n"
        "\t\t*MATERIAL_SHINE 0.2500\n";
    Scene scene;
    Load(OneMaterial(lines, 2, 1), scene);
    EXPECT_TRUE(TakeBoxes().empty());
    ASSERT_EQ(scene.MaterialCount(), 2u);
    EXPECT_EQ(scene.materials[0].props.mapCount, 0);  // a slot no material fills stays default
    const Material& material = scene.materials[1];
    EXPECT_EQ(material.props.index, 1);
    EXPECT_EQ(std::string(material.props.name), longName.substr(0, 79));
    EXPECT_FLOAT_EQ(material.props.ambient[3], 0.75f);
    EXPECT_FLOAT_EQ(material.props.shininess, 0.25f);
    EXPECT_EQ(material.props.mapCount, 2);
    EXPECT_STREQ(material.maps[0].file, "uno.jpg");
    EXPECT_EQ(material.maps[0].sphereMap, 1);
    EXPECT_FLOAT_EQ(material.maps[0].uOffset, 0.5f);
    EXPECT_FLOAT_EQ(material.maps[0].vOffset, -0.5f);
    EXPECT_FLOAT_EQ(material.maps[0].uTiling, 1.0f);
    EXPECT_STREQ(material.maps[1].file, "dos.jpg");
    EXPECT_EQ(material.maps[1].sphereMap, 0);  // the third map touches nothing
    EXPECT_FLOAT_EQ(material.maps[1].vTiling, 1.0f);
}

TEST_F(AseReaderTest, MaterialsGoToTheSlotOfTheirNumberAndDecidePlacement) {
    const std::string text = "*MATERIAL_LIST {\n\t*MATERIAL_COUNT 2\n"
                             "\t*MATERIAL 5 {\n\t\t*MATERIAL_NAME \"fuera\"\n\t}\n"
                             "\t*MATERIAL 0 {\n\t\t*MATERIAL_NAME \"sin transparencia\"\n\t}\n}\n" +
                             GeomObject("\t*MATERIAL_REF 0\n") + GeomObject("\t*MATERIAL_REF 9\n");
    Scene scene;
    Load(text, scene);
    EXPECT_EQ(TakeBoxes(), (std::vector<Box>{{"Acceso fuera del vector IMPEDIDO", "Error de acceso"}}));
    EXPECT_STREQ(scene.materials[0].props.name, "sin transparencia");
    EXPECT_FLOAT_EQ(scene.materials[0].props.ambient[3], 0.0f);
    // Opacity 0 is translucent; a reference to no stored material is opaque.
    EXPECT_EQ(scene.objects[0].MaterialRef(), 9);
    EXPECT_EQ(scene.objects[1].MaterialRef(), 0);
}

TEST_F(AseReaderTest, CameraTracksFillForward) {
    std::string animation = "\t*CAMERA_ANIMATION {\n";
    for (const char* fov : {"0.5236", "0.7854", "1.0472"}) {
        animation += std::string("\t\t*CAMERA_SETTINGS {\n\t\t\t*CAMERA_FOV ") + fov + "\n\t\t}\n";
    }
    animation += "\t}\n\t*TM_ANIMATION {\n\t\t*CONTROL_POS_TRACK {\n";
    for (int i = 0; i < 12; ++i) {  // two more than the scene's ten frames
        animation += "\t\t\t*CONTROL_POS_SAMPLE " + std::to_string(i * 160) + "\t" + std::to_string(i) + " 0 0\n";
    }
    animation += "\t\t}\n\t}\n";
    const std::string camera = "*CAMERAOBJECT {\n\t*NODE_TM {\n\t\t*TM_POS 1.0 2.0 3.0\n\t}\n"
                               "\t*NODE_TM {\n\t\t*TM_POS 4.0 5.0 6.0\n\t}\n"
                               "\t*CAMERA_SETTINGS {\n\t\t*CAMERA_FOV 0.7854\n\t}\n" + animation + "}\n";
    Scene scene;
    Load(kSceneBlock + camera, scene);
    ASSERT_EQ(scene.CameraCount(), 1u);
    const Camera& result = scene.cameras[0];
    EXPECT_FLOAT_EQ(result.key.fov, 45.0f);
    EXPECT_FLOAT_EQ(result.key.eye[1], 3.0f);
    EXPECT_FLOAT_EQ(result.key.target[2], -5.0f);
    ASSERT_EQ(result.SampleCount(), 10u);
    const float fovs[3] = {30.0f, 45.0f, 60.0f};
    for (uint32_t i = 0; i < 10; ++i) {
        EXPECT_FLOAT_EQ(result.track[i].eye[0], float(i)) << i;
        EXPECT_NEAR(result.track[i].fov, fovs[i < 3 ? i : 2], 1e-3f) << i;
        EXPECT_FLOAT_EQ(result.track[i].target[1], 6.0f) << i;
    }
    EXPECT_EQ(LogText(), ExpectedLog("escena.ase",
                                     "]> - CARGANDO PARAMETROS ESCENA.\n]> - CARGANDO CAMARA.\n"
                                     "]>   - LEYENDO ANIMACION DE CAMARA.\n",
                                     "0 Objetos - 0 Materiales - 1 Camaras - 0 Luces."));
}

// An exporter that samples every 4 frames gives a quarter of the samples: the
// rest hold the last given one instead of a camera at the origin with no
// field of view, which showed nothing from there on.
TEST_F(AseReaderTest, SamplesATrackDoesNotGiveHoldTheLastGivenOne) {
    std::string camera = "*CAMERAOBJECT {\n\t*NODE_TM {\n\t\t*TM_POS 1.0 2.0 3.0\n\t}\n"
                         "\t*NODE_TM {\n\t\t*TM_POS 4.0 5.0 6.0\n\t}\n"
                         "\t*CAMERA_SETTINGS {\n\t\t*CAMERA_FOV 0.7854\n\t}\n"
                         "\t*TM_ANIMATION {\n\t\t*CONTROL_POS_TRACK {\n";
    std::string light = "*LIGHTOBJECT {\n\t*NODE_TM {\n\t\t*TM_POS 7 8 9\n\t}\n"
                        "\t*LIGHT_SETTINGS {\n\t\t*LIGHT_COLOR 1 1 1\n\t}\n"
                        "\t*TM_ANIMATION {\n\t\t*CONTROL_POS_TRACK {\n";
    for (int i = 0; i < 3; ++i) {  // frames 0, 4 and 8 of ten
        const std::string sample = "\t\t\t*CONTROL_POS_SAMPLE " + std::to_string(i * 640) + "\t" +
                                   std::to_string(10 + i) + " 0 0\n";
        camera += sample;
        light += sample;
    }
    camera += "\t\t}\n\t}\n}\n";
    light += "\t\t}\n\t}\n}\n";
    // A light whose track gives no sample at all stays where its node is.
    const std::string empty = "*LIGHTOBJECT {\n\t*NODE_TM {\n\t\t*TM_POS 1 2 3\n\t}\n"
                              "\t*LIGHT_SETTINGS {\n\t\t*LIGHT_COLOR 1 1 1\n\t}\n"
                              "\t*TM_ANIMATION {\n\t\t*CONTROL_POS_TRACK {\n\t\t}\n\t}\n}\n";
    Scene scene;
    Load(kSceneBlock + camera + light + empty, scene);
    const Camera& view = scene.cameras[0];
    ASSERT_EQ(view.SampleCount(), 10u);
    for (uint32_t i = 0; i < 10; ++i) {
        SCOPED_TRACE(i);
        EXPECT_FLOAT_EQ(view.track[i].eye[0], i < 2 ? 10.0f + i : 12.0f);
        EXPECT_FLOAT_EQ(view.track[i].target[1], 6.0f);
        EXPECT_NEAR(view.track[i].fov, 45.0f, 1e-3f);
        EXPECT_EQ(view.track[i].filled, 1);
        EXPECT_FLOAT_EQ(scene.lights[0].track[i].position[0], i < 2 ? 10.0f + i : 12.0f);
        EXPECT_FLOAT_EQ(scene.lights[1].track[i].position[1], 3.0f);
    }
}

TEST_F(AseReaderTest, WithoutASceneHeaderTracksHoldOneSample) {
    const std::string text =
        "*CAMERAOBJECT {\n\t*TM_ANIMATION {\n\t\t*CONTROL_POS_TRACK {\n"
        "\t\t\t*CONTROL_POS_SAMPLE 0\t1 2 3\n\t\t\t*CONTROL_POS_SAMPLE 160\t4 5 6\n\t\t}\n\t}\n}\n"
        "*LIGHTOBJECT {\n\t*CONTROL_POS_SAMPLE 0\t9 9 9\n"  // before any track: dropped
        "\t*LIGHT_SETTINGS {\n\t\t*LIGHT_COLOR 1 1 1\n\t}\n"
        "\t*TM_ANIMATION {\n\t\t*CONTROL_POS_TRACK {\n"
        "\t\t\t*CONTROL_POS_SAMPLE 0\t1 2 3\n\t\t\t*CONTROL_POS_SAMPLE 160\t4 5 6\n\t\t}\n\t}\n}\n";
    Scene scene;
    Load(text, scene);
    EXPECT_EQ(scene.GetParams().frameSpeed, 0);
    ASSERT_EQ(scene.cameras[0].SampleCount(), 1u);
    EXPECT_FLOAT_EQ(scene.cameras[0].track[0].eye[2], -2.0f);
    ASSERT_EQ(scene.lights[0].SampleCount(), 1u);
    EXPECT_FLOAT_EQ(scene.lights[0].track[0].position[0], 1.0f);
    EXPECT_EQ(scene.materialsCreated, 0);
}

TEST_F(AseReaderTest, LightsEndByTheirBraceCounter) {
    // Without a track the light ends at its own brace; with one at the end of
    // the track. Either way the object after it is read by the top level.
    const std::string still = "*LIGHTOBJECT {\n\t*NODE_NAME \"A\"\n\t*NODE_TM {\n\t\t*TM_POS 1 2 3\n\t}\n"
                              "\t*LIGHT_USEGLOBAL 1\n\t*LIGHT_SETTINGS {\n\t\t*LIGHT_COLOR 0.5 0.5 0.5\n\t}\n}\n";
    const std::string moving = "*LIGHTOBJECT {\n\t*NODE_TM {\n\t\t*TM_POS 0 0 0\n\t}\n\t*LIGHT_USEGLOBAL 0\n"
                               "\t*LIGHT_SETTINGS {\n\t\t*LIGHT_COLOR 1 0 0\n\t}\n"
                               "\t*TM_ANIMATION {\n\t\t*CONTROL_POS_TRACK {\n"
                               "\t\t\t*CONTROL_POS_SAMPLE 0 1 2 3\n\t\t}\n\t}\n}\n";
    Scene scene;
    Load(std::string(kSceneBlock) + still + moving + still + GeomObject("\t*MATERIAL_REF 3\n"), scene);
    ASSERT_EQ(scene.LightCount(), 3u);
    for (int32_t i = 0; i < 3; ++i) {
        EXPECT_EQ(scene.lights[i].key.number, i);
    }
    EXPECT_EQ(scene.lights[0].flare, 1);
    EXPECT_EQ(scene.lights[1].flare, 0);
    EXPECT_EQ(scene.lights[2].flare, 1);
    EXPECT_FLOAT_EQ(scene.lights[2].key.colour[0], 0.5f);
    ASSERT_EQ(scene.lights[1].SampleCount(), 10u);
    EXPECT_FLOAT_EQ(scene.lights[1].track[0].position[1], 3.0f);
    // Samples the track does not give hold the last given one.
    EXPECT_FLOAT_EQ(scene.lights[1].track[9].position[1], 3.0f);
    EXPECT_EQ(scene.objects[0].MaterialRef(), 3);
    EXPECT_TRUE(TakeBoxes().empty());
}

TEST_F(AseReaderTest, FilesWithoutBlocksGiveEmptyArrays) {
    Scene scene;
    Load("*3DSMAX_ASCIIEXPORT\t200\n*COMMENT \"vacio\"\n", scene);
    EXPECT_TRUE(scene.objectsCreated && scene.camerasCreated && scene.lightsCreated);
    EXPECT_EQ(scene.ObjectCount() + scene.CameraCount() + scene.LightCount(), 0u);
    EXPECT_FALSE(scene.materialsCreated);
    EXPECT_EQ(LogText(), ExpectedLog("escena.ase", "", "0 Objetos - 0 Materiales - 0 Camaras - 0 Luces."));
}

}  // namespace
