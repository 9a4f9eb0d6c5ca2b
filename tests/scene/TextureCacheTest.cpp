#include "scene/TextureCache.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <string>

#include "core/Engine.h"
#include "fx2d/Layer2D.h"
#include "fx2d/ParticleSystem.h"
#include "glext/GlExtensions.h"
#include "scene/Material.h"
#include "scene/Scene.h"
#include "scene/TextureLoader.h"
#include "scene/TextureMap.h"
#include "tests/support/GlTestContext.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestImages.h"

using TestSupport::GlTestContext;
using TestSupport::SolidRgbJpeg;
using TestSupport::TempDir;

namespace {

// An ASE scene of count materials that all name file (one per object, as
// exporters write them), each with its own tiling.
std::string MaterialsNaming(int count, const std::string& file, bool spherical) {
    std::string text = "*SCENE {\n\t*SCENE_LASTFRAME 10\n}\n*MATERIAL_LIST {\n\t*MATERIAL_COUNT " +
                       std::to_string(count) + "\n";
    for (int i = 0; i < count; ++i) {
        text += "\t*MATERIAL " + std::to_string(i) + " {\n\t\t*MATERIAL_TRANSPARENCY 0.0\n\t\t*MAP_DIFFUSE {\n" +
                "\t\t\t*BITMAP \"" + file + "\"\n\t\t\t*MAP_TYPE " + (spherical ? "Spherical" : "Screen") +
                "\n\t\t\t*UVW_U_TILING " + std::to_string(i + 1) + ".0\n\t\t}\n\t}\n";
    }
    return text + "}\n";
}

class TextureCacheTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(GlTestContext::Open());
        TextureCache::ReleaseAll();
    }
    void TearDown() override { TextureCache::ReleaseAll(); }

    TempDir dir;
};

TEST_F(TextureCacheTest, EveryOwnerOfOneFileAndSettingSharesOneTexture) {
    dir.Write("texturas/Wall.jpg", SolidRgbJpeg(8, 8, 200, 0, 0));
    dir.Write("scene.ase", MaterialsNaming(5, "texturas\\wall.JPG", false));
    Engine engine;
    engine.LoadSceneAse("scene.ase", "Walls");
    const Scene& scene = *engine.scenes[0];
    ASSERT_EQ(5u, scene.materialCount);
    const uint32_t texture = scene.materials[0].maps[0].texture;
    ASSERT_NE(0u, texture);
    for (uint32_t i = 0; i < scene.materialCount; ++i) {
        EXPECT_EQ(texture, scene.materials[i].maps[0].texture);
        EXPECT_EQ(1, scene.materials[i].maps[0].loaded);
        // Tiling belongs to the map, not to the shared texture.
        EXPECT_FLOAT_EQ(static_cast<float>(i + 1), scene.materials[i].maps[0].uTiling);
    }
    // A layer, a particle system's texture and another spelling of the path.
    Layer2D* layer = engine.CreateLayer("texturas/WALL.jpg", Layer2D::kBackground, "Fondo");
    ASSERT_NE(nullptr, layer);
    EXPECT_EQ(texture, layer->texture.texture);
    EXPECT_EQ(texture, LoadTexture("Texturas\\Wall.jpg"));
    EXPECT_EQ(1u, TextureCache::Count());

    // A sphere-mapped map of the same file and a TGA are other textures.
    TextureMap sphere;
    sphere.sphereMap = 1;
    const uint32_t sphereTexture = sphere.SetFileAndLoad("texturas\\wall.jpg");
    EXPECT_NE(0u, sphereTexture);
    EXPECT_NE(texture, sphereTexture);
    EXPECT_EQ(2u, TextureCache::Count());
    // Another file is another texture, and what it shows is its own.
    dir.Write("texturas/other.jpg", SolidRgbJpeg(8, 8, 0, 0, 200));
    const uint32_t other = LoadTexture("texturas\\other.jpg");
    EXPECT_NE(0u, other);
    EXPECT_NE(texture, other);
    EXPECT_EQ(static_cast<GLint>(other), [] {
        GLint bound = 0;
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
        return bound;
    }());
}

TEST_F(TextureCacheTest, ShutdownReleasesEachSharedTextureOnce) {
    dir.Write("texturas/a.jpg", SolidRgbJpeg(8, 8, 200, 0, 0));
    dir.Write("texturas/b.jpg", SolidRgbJpeg(8, 8, 0, 200, 0));
    dir.Write("scene.ase", MaterialsNaming(4, "texturas\\a.jpg", false));
    dir.Write("other.ase", MaterialsNaming(3, "texturas\\b.jpg", true));
    std::set<uint32_t> names;
    {
        Engine engine;
        engine.LoadSceneAse("scene.ase", "A");
        engine.LoadSceneAse("other.ase", "B");
        engine.CreateLayer("texturas\\b.jpg", Layer2D::kOverlay, "Encima");
        for (int s = 0; s < engine.sceneCount; ++s) {
            for (uint32_t i = 0; i < engine.scenes[s]->materialCount; ++i) {
                names.insert(engine.scenes[s]->materials[i].maps[0].texture);
            }
        }
        names.insert(engine.FindLayer("Encima")->texture.texture);
        // a.jpg, b.jpg sphere-mapped, b.jpg plain.
        ASSERT_EQ(3u, names.size());
        EXPECT_EQ(3u, TextureCache::Count());
        for (const uint32_t name : names) {
            EXPECT_EQ(GL_TRUE, glIsTexture(name));
        }
        engine.Shutdown();
    }
    EXPECT_EQ(0u, TextureCache::Count());
    for (const uint32_t name : names) {
        EXPECT_EQ(GL_FALSE, glIsTexture(name)) << name;
    }
    // Released once: nothing is left to release a second time, and a new
    // load makes a texture afresh.
    EXPECT_EQ(0u, TextureCache::ReleaseAll());
    const uint32_t again = LoadTexture("texturas\\a.jpg");
    EXPECT_NE(0u, again);
    EXPECT_EQ(GL_TRUE, glIsTexture(again));
}

TEST_F(TextureCacheTest, MissingFilesAreNotRememberedAndAFileRewrittenLoadsAnew) {
    EXPECT_EQ(0u, LoadTexture("texturas\\later.jpg"));
    EXPECT_EQ(0u, TextureCache::Count());
    dir.Write("texturas/later.jpg", SolidRgbJpeg(8, 8, 200, 0, 0));
    const uint32_t first = LoadTexture("texturas\\later.jpg");
    ASSERT_NE(0u, first);
    // A picture written over the old one (another size, so another identity
    // whatever the clock's resolution) is not the cached texture.
    dir.Write("texturas/later.jpg", SolidRgbJpeg(16, 16, 0, 200, 0));
    const uint32_t second = LoadTexture("texturas\\later.jpg");
    EXPECT_NE(0u, second);
    EXPECT_NE(first, second);
}

}  // namespace
