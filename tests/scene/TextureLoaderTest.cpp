#include "scene/TextureLoader.h"

#include <gtest/gtest.h>

#include <jpeglib.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "glext/GlExtensions.h"
#include "scene/TextureMap.h"
#include "tests/support/GlTestContext.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestImages.h"

using TestSupport::GlTestContext;
using TestSupport::TempDir;

namespace {

using TestSupport::EncodeJpeg;
using TestSupport::SolidRgbJpeg;

const char* const kJpegFailure = "-> [JPG LOADER] Error cargando la textura [ %s ].\n";

std::string JpegFailureLine(const std::string& name) {
    char text[512];
    std::snprintf(text, sizeof text, kJpegFailure, name.c_str());
    return text;
}

size_t CountOf(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

// An uncompressed true-colour TGA; pixels are B, G, R(, A) in file order.
std::string Tga(int width, int height, int bits, const std::vector<uint8_t>& pixels) {
    std::string bytes(18, '\0');
    bytes[2] = 2;
    bytes[12] = static_cast<char>(width & 0xFF);
    bytes[13] = static_cast<char>(width >> 8);
    bytes[14] = static_cast<char>(height & 0xFF);
    bytes[15] = static_cast<char>(height >> 8);
    bytes[16] = static_cast<char>(bits);
    bytes.append(pixels.begin(), pixels.end());
    return bytes;
}

std::string SolidTga(int width, int height, uint8_t b, uint8_t g, uint8_t r) {
    std::vector<uint8_t> pixels(static_cast<size_t>(width) * height * 3);
    for (size_t i = 0; i < pixels.size(); i += 3) {
        pixels[i] = b;
        pixels[i + 1] = g;
        pixels[i + 2] = r;
    }
    return Tga(width, height, 24, pixels);
}


struct TexImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgba;
    const uint8_t* At(int x, int y) const { return &rgba[(static_cast<size_t>(y) * width + x) * 4]; }
};

// Level 0 of the texture bound on the active unit.
TexImage ReadBoundTexture(GLint level = 0) {
    TexImage image;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_WIDTH, &image.width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_HEIGHT, &image.height);
    image.rgba.assign(static_cast<size_t>(image.width) * image.height * 4, 0);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, level, GL_RGBA, GL_UNSIGNED_BYTE, image.rgba.data());
    return image;
}

GLint BoundTexture() {
    GLint name = -1;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &name);
    return name;
}

GLint InternalFormat() {
    GLint format = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &format);
    return format;
}

bool Near(const uint8_t* texel, int r, int g, int b, int tolerance) {
    return std::abs(texel[0] - r) <= tolerance && std::abs(texel[1] - g) <= tolerance &&
           std::abs(texel[2] - b) <= tolerance;
}

bool IsPowerOfTwo(int n) { return n > 0 && (n & (n - 1)) == 0; }

class TextureLoaderTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(GlTestContext::Open());
        glActiveTextureARB(GL_TEXTURE0_ARB);
        glBindTexture(GL_TEXTURE_2D, 0);
    }
    std::string LogText() const { return dir.Read("error_log.txt"); }

    TempDir dir;
};

TEST_F(TextureLoaderTest, ChooserLooksForTgaThenJpgAnywhereInTheName) {
    dir.Write("texturas/wall.tga", SolidTga(2, 2, 0, 0, 255));
    dir.Write("wall.tga.jpg", SolidTga(2, 2, 255, 0, 0));
    dir.Write("photo.jpeg", SolidRgbJpeg(4, 4, 0, 255, 0));

    for (const char* name : {"texturas\\wall.TGA", "Texturas\\wall.tga"}) {
        SCOPED_TRACE(name);
        const uint32_t texture = LoadTexture(name);
        ASSERT_NE(0u, texture);
        EXPECT_EQ(static_cast<GLint>(texture), BoundTexture());
        EXPECT_TRUE(Near(ReadBoundTexture().At(1, 1), 255, 0, 0, 0));
    }
    const uint32_t doubled = LoadTexture("wall.tga.jpg");
    ASSERT_NE(0u, doubled);
    EXPECT_TRUE(Near(ReadBoundTexture().At(0, 0), 0, 0, 255, 0));

    EXPECT_EQ(0u, LoadTexture("photo.jpeg"));
    EXPECT_EQ(0u, LoadTexture(""));
    TextureMap map;
    EXPECT_EQ(0u, map.SetFileAndLoad("photo.jpeg"));
    EXPECT_EQ(0, map.loaded);
    EXPECT_EQ(0u, map.SetFileAndLoad(""));
    EXPECT_EQ(0, map.loaded);
    EXPECT_EQ("", LogText());
}

TEST_F(TextureLoaderTest, SetFileAndLoadCutsOverlongNames) {
    const std::string name = std::string(300, 'a') + ".jpg";
    TextureMap map;
    EXPECT_EQ(0u, map.SetFileAndLoad(name.c_str()));
    EXPECT_EQ(std::string(255, 'a'), map.file);
    EXPECT_EQ(0, map.loaded);  // the cut name no longer says JPG
}

TEST_F(TextureLoaderTest, TgaHeadersOtherThanUncompressedTrueColourAreRejected) {
    const std::string good = SolidTga(2, 2, 1, 2, 3);
    struct Case {
        const char* what;
        size_t offset;
        char value;
    };
    const Case cases[] = {
        {"image ID length 1", 0, 1},    {"colour map", 1, 1},          {"run-length encoded", 2, 10},
        {"colour-mapped type", 2, 1},   {"colour-map spec", 5, 8},     {"x origin", 8, 1},
        {"zero width", 12, 0},          {"zero height", 14, 0},        {"16-bit", 16, 16},
        {"8-bit", 16, 8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string bytes = good;
        bytes[c.offset] = c.value;
        dir.Write("bad.tga", bytes);
        EXPECT_EQ(0u, LoadTgaTexture("bad.tga", false));
    }
    dir.Write("short.tga", good.substr(0, good.size() - 1));
    EXPECT_EQ(0u, LoadTgaTexture("short.tga", false));
    dir.Write("header.tga", good.substr(0, 15));
    EXPECT_EQ(0u, LoadTgaTexture("header.tga", false));
    // A header claiming 65535 x 65535 x 32 bits with no pixels behind it.
    dir.Write("huge.tga", Tga(0xFFFF, 0xFFFF, 32, {1, 2, 3, 4}));
    EXPECT_EQ(0u, LoadTgaTexture("huge.tga", false));
    EXPECT_EQ(0u, LoadTgaTexture("missing.tga", false));
    dir.Write("good.tga", good);
    EXPECT_NE(0u, LoadTgaTexture("good.tga", false));
    EXPECT_EQ("", LogText());
}

TEST_F(TextureLoaderTest, TgaPixelsAreSwappedToRgbInFileRowOrder) {
    // 3 x 2 with 9-byte rows: odd row lengths must not be read with padding.
    const std::vector<uint8_t> rgb = {10, 20, 30, 40, 50, 60, 70, 80, 90, 1, 2, 3, 4, 5, 6, 7, 8, 9};
    dir.Write("rgb.tga", Tga(3, 2, 24, rgb));
    ASSERT_NE(0u, LoadTgaTexture("rgb.tga", false));
    EXPECT_EQ(GL_RGB, InternalFormat());
    const TexImage image = ReadBoundTexture();
    ASSERT_EQ(3, image.width);
    ASSERT_EQ(2, image.height);
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE(i);
        const uint8_t* texel = image.At(i % 3, i / 3);
        EXPECT_TRUE(Near(texel, rgb[i * 3 + 2], rgb[i * 3 + 1], rgb[i * 3], 0));
        EXPECT_EQ(255, texel[3]);
    }
    GLint filter = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &filter);
    EXPECT_EQ(GL_LINEAR, filter);

    const std::vector<uint8_t> rgba = {0, 0, 255, 128, 0, 255, 0, 0, 255, 0, 0, 255, 9, 9, 9, 7};
    dir.Write("rgba.tga", Tga(2, 2, 32, rgba));
    ASSERT_NE(0u, LoadTgaTexture("rgba.tga", false));
    EXPECT_EQ(GL_RGBA, InternalFormat());
    const TexImage alpha = ReadBoundTexture();
    const uint8_t* first = alpha.At(0, 0);
    EXPECT_TRUE(Near(first, 255, 0, 0, 0));
    EXPECT_EQ(128, first[3]);
    EXPECT_EQ(0, alpha.At(1, 0)[3]);
    EXPECT_EQ(255, alpha.At(0, 1)[3]);
    EXPECT_EQ(7, alpha.At(1, 1)[3]);
}

TEST_F(TextureLoaderTest, OddSizedJpegBecomesAPowerOfTwoMipmappedRgbTexture) {
    dir.Write("small.jpg", SolidRgbJpeg(3, 5, 200, 40, 90));
    const uint32_t texture = LoadJpegTexture("small.jpg", false);
    ASSERT_NE(0u, texture);
    EXPECT_EQ(static_cast<GLint>(texture), BoundTexture());
    const TexImage image = ReadBoundTexture();
    EXPECT_TRUE(IsPowerOfTwo(image.width));
    EXPECT_TRUE(IsPowerOfTwo(image.height));
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            ASSERT_TRUE(Near(image.At(x, y), 200, 40, 90, 6)) << x << "," << y;
        }
    }
    GLint filter = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &filter);
    EXPECT_EQ(GL_LINEAR_MIPMAP_LINEAR, filter);
    const TexImage smaller = ReadBoundTexture(1);
    EXPECT_EQ(std::max(1, image.width / 2), smaller.width);
    EXPECT_EQ(std::max(1, image.height / 2), smaller.height);
}

TEST_F(TextureLoaderTest, FirstDecodedJpegRowIsTheFirstTextureRow) {
    std::vector<uint8_t> pixels;
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            const uint8_t level = y < 8 ? 255 : 0;
            pixels.insert(pixels.end(), {level, level, level});
        }
    }
    dir.Write("halves.jpg", EncodeJpeg(16, 16, JCS_RGB, 3, pixels));
    ASSERT_NE(0u, LoadJpegTexture("halves.jpg", false));
    const TexImage image = ReadBoundTexture();
    ASSERT_EQ(16, image.height);
    EXPECT_TRUE(Near(image.At(4, 1), 255, 255, 255, 8));
    EXPECT_TRUE(Near(image.At(4, 14), 0, 0, 0, 8));
}

TEST_F(TextureLoaderTest, GreyscaleAndCmykJpegsComeOutAsRgb) {
    dir.Write("grey.jpg", EncodeJpeg(8, 8, JCS_GRAYSCALE, 1, std::vector<uint8_t>(64, 128)));
    ASSERT_NE(0u, LoadJpegTexture("grey.jpg", false));
    EXPECT_TRUE(Near(ReadBoundTexture().At(3, 3), 128, 128, 128, 3));

    // Inverted inks, as Adobe writers store them: pure red is C=0 M=Y=100% K=0.
    std::vector<uint8_t> cmyk;
    for (int i = 0; i < 64; ++i) {
        cmyk.insert(cmyk.end(), {255, 0, 0, 255});
    }
    dir.Write("cmyk.jpg", EncodeJpeg(8, 8, JCS_CMYK, 4, cmyk));
    ASSERT_NE(0u, LoadJpegTexture("cmyk.jpg", false));
    EXPECT_TRUE(Near(ReadBoundTexture().At(3, 3), 255, 0, 0, 4));
    EXPECT_EQ("", LogText());
}

TEST_F(TextureLoaderTest, UndecodableJpegsAreLoggedAndGiveNoTexture) {
    dir.Write("garbage.jpg", "this is not a picture at all");
    const std::string good = SolidRgbJpeg(8, 8, 1, 2, 3);
    dir.Write("cut.jpg", good.substr(0, 20));
    // Frame header patched to claim 65000 x 65000 pixels.
    std::string huge = good;
    const size_t frame = huge.find("\xFF\xC0");
    ASSERT_NE(std::string::npos, frame);
    huge[frame + 5] = huge[frame + 7] = static_cast<char>(0xFD);
    huge[frame + 6] = huge[frame + 8] = static_cast<char>(0xE8);
    dir.Write("huge.jpg", huge);
    // 5000 x 5000 pixels decode to 75 MB, more than a file of a few hundred
    // bytes may make the engine hold (64 MB and 48 bytes per byte of file).
    std::string large = good;
    large[frame + 5] = large[frame + 7] = static_cast<char>(0x13);
    large[frame + 6] = large[frame + 8] = static_cast<char>(0x88);
    dir.Write("large.jpg", large);
    DecodedImage decoded;
    EXPECT_FALSE(DecodeJpegFile("large.jpg", decoded));
    EXPECT_EQ(decoded.pixels, nullptr);

    for (const char* name : {"garbage.jpg", "cut.jpg", "huge.jpg", "large.jpg", "missing.jpg"}) {
        SCOPED_TRACE(name);
        glBindTexture(GL_TEXTURE_2D, 0);
        EXPECT_EQ(0u, LoadJpegTexture(name, false));
        EXPECT_EQ(1u, CountOf(LogText(), JpegFailureLine(name)));
    }
    // The decoder is still usable afterwards.
    dir.Write("fine.jpg", good);
    EXPECT_NE(0u, LoadJpegTexture("fine.jpg", false));
}

TEST_F(TextureLoaderTest, SphereMappedMapLoadsOnceAndSetsBothUnits) {
    dir.Write("Texturas/Env.JPG", SolidRgbJpeg(8, 8, 0, 0, 200));
    TextureMap map;
    map.sphereMap = 1;
    const uint32_t texture = map.SetFileAndLoad("texturas\\env.jpg");
    ASSERT_NE(0u, texture);
    EXPECT_EQ(1, map.loaded);
    EXPECT_EQ(texture, map.Load());

    GLint active = 0;
    glGetIntegerv(GL_ACTIVE_TEXTURE_ARB, &active);
    EXPECT_EQ(GL_TEXTURE0_ARB, active);
    EXPECT_EQ(static_cast<GLint>(texture), BoundTexture());
    for (const GLenum unit : {GL_TEXTURE0_ARB, GL_TEXTURE1_ARB}) {
        glActiveTextureARB(unit);
        GLint mode = 0;
        glGetTexGeniv(GL_S, GL_TEXTURE_GEN_MODE, &mode);
        EXPECT_EQ(GL_SPHERE_MAP, mode);
        glGetTexGeniv(GL_T, GL_TEXTURE_GEN_MODE, &mode);
        EXPECT_EQ(GL_SPHERE_MAP, mode);
    }
    glActiveTextureARB(GL_TEXTURE0_ARB);
    // The second Load made no texture object: the next one made is the very next name.
    GLuint next = 0;
    glGenTextures(1, &next);
    EXPECT_EQ(texture + 1, next);
}

TEST_F(TextureLoaderTest, MissingJpegIsLoggedOnceAndBindsTextureZero) {
    dir.Write("there.tga", SolidTga(2, 2, 0, 0, 0));
    const uint32_t other = LoadTexture("there.tga");
    ASSERT_NE(0u, other);

    TextureMap missing;
    EXPECT_EQ(0u, missing.SetFileAndLoad("texturas\\nothing.jpg"));
    EXPECT_EQ(1, missing.loaded);
    EXPECT_EQ(0u, missing.Load());
    EXPECT_EQ(1u, CountOf(LogText(), JpegFailureLine("texturas\\nothing.jpg")));
    glBindTexture(GL_TEXTURE_2D, other);
    missing.Bind();
    EXPECT_EQ(0, BoundTexture());

    TextureMap unrecognised;
    unrecognised.SetFileAndLoad("texturas\\nothing.png");
    glBindTexture(GL_TEXTURE_2D, other);
    unrecognised.Bind();
    EXPECT_EQ(static_cast<GLint>(other), BoundTexture());
}

}  // namespace
