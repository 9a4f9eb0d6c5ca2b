// Shader layers drawn into a real window and read back: the uniforms a
// shader reads (time, resolution), a channel image, the layer's own last
// picture, the music texture, and what a broken shader does (nothing drawn,
// its line named).
#include "fx2d/ShaderLayer.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "fx2d/Layer2D.h"
#include "glext/GlExtensions.h"
#include "tests/support/GlTestContext.h"
#include "tests/support/TempDir.h"

using TestSupport::GlTestContext;
using TestSupport::NearColour;
using TestSupport::TempDir;

namespace {

constexpr int kWidth = 160;
constexpr int kHeight = 120;

// Made-up music: a time the test sets and a spectrum that rises band by band.
class FakeInputs : public ShaderInputs {
public:
    FakeInputs() : bands(kBins), wave(kWaveformFrames), levels(kWaveformFrames) {
        for (int i = 0; i < kBins; ++i) {
            bands[i] = static_cast<float>(i) / kBins;
        }
        for (int i = 0; i < kWaveformFrames; ++i) {
            levels[i] = static_cast<float>(i) / kWaveformFrames;
        }
    }
    double PictureTime() override { return time; }
    Music MusicAtPicture(unsigned parts) override {
        askedParts = parts;
        return Music{bands.data(), bands.data(), bands.data(), wave.data(), levels.data(), 44100};
    }
    uint32_t SampleRate() override { return 44100; }

    double time = 0.0;
    unsigned askedParts = 0;
    std::vector<float> bands;
    std::vector<float> wave;
    std::vector<float> levels;
};

class ShaderLayerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(GlTestContext::OpenFlat(kWidth, kHeight));
        inputs = std::make_shared<FakeInputs>();
    }

    // A shown shader layer over the whole window from the file's text.
    std::unique_ptr<Layer2D> MakeLayer(const std::string& name, const std::string& text) {
        dir.Write(name, text);
        auto layer = std::make_unique<Layer2D>();
        layer->SetUp(Layer2D::kShader, name.c_str(), kWidth, kHeight);
        layer->shader = std::make_shared<ShaderLayer>(inputs);
        layer->shader->Load(name.c_str());
        layer->SetVisible(true);
        return layer;
    }

    static void Clear() {
        glClearColor(0.0f, 0.0f, 1.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
    }

    TempDir dir;
    std::shared_ptr<FakeInputs> inputs;
};

TEST_F(ShaderLayerTest, ShadertoyShaderSeesTimeAndResolution) {
    auto layer = MakeLayer("st.frag",
                           "// time in red, the position in green and blue\n"
                           "void mainImage(out vec4 fragColor, in vec2 fragCoord) {\n"
                           "    vec2 uv = fragCoord / iResolution.xy;\n"
                           "    fragColor = vec4(iTime * 0.1, uv.x, uv.y, 0.0);\n"
                           "}\n");
    ASSERT_TRUE(layer->shader->HasProgram()) << layer->shader->Errors()[0];
    inputs->time = 5.0;
    Clear();
    layer->Draw();
    // The pixel's middle: x + 0.5 of the width.
    EXPECT_TRUE(NearColour(GlTestContext::ReadPixel(0, 0), 128, 1, 1, 2));
    const int x = 100;
    const int y = 30;
    EXPECT_TRUE(NearColour(GlTestContext::ReadPixel(x, y), 128, (x + 0.5) * 255 / kWidth, (y + 0.5) * 255 / kHeight, 2));
    // The layer's alpha scales the colour (blending off, as for BACKGROUND).
    layer->alpha = 0.5f;
    inputs->time = 10.0;
    Clear();
    layer->Draw();
    EXPECT_TRUE(NearColour(GlTestContext::ReadPixel(x, y), 128, (x + 0.5) * 255 / kWidth / 2,
                           (y + 0.5) * 255 / kHeight / 2, 2));
}

TEST_F(ShaderLayerTest, LiveCodingShaderWithItsOwnHeaderReadsTheMusic) {
    auto layer = MakeLayer("live.frag",
                           "#version 410 core\n"
                           "uniform float fGlobalTime; // in seconds\n"
                           "uniform vec2 v2Resolution;\n"
                           "uniform sampler1D texFFT;\n"
                           "layout(location = 0) out vec4 out_color;\n"
                           "void main(void) {\n"
                           "    vec2 uv = gl_FragCoord.xy / v2Resolution;\n"
                           "    out_color = vec4(texture(texFFT, uv.x).r, fGlobalTime, 0.0, 1.0);\n"
                           "}\n");
    ASSERT_TRUE(layer->shader->HasProgram()) << layer->shader->Errors()[0];
    inputs->time = 0.25;
    Clear();
    layer->Draw();
    EXPECT_EQ(inputs->askedParts, unsigned{ShaderInputs::kSpectrum});
    // Band i of the made-up spectrum holds i / 1024: red follows x.
    EXPECT_TRUE(NearColour(GlTestContext::ReadPixel(80, 60), 128, 64, 0, 2));
    EXPECT_TRUE(NearColour(GlTestContext::ReadPixel(40, 60), 64, 64, 0, 2));
}

TEST_F(ShaderLayerTest, ChannelsShowAnImageTheMusicAndTheLastPicture) {
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    const uint8_t orange[4] = {255, 128, 0, 255};
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, orange);
    auto layer = MakeLayer("channels.frag",
                           "void mainImage(out vec4 c, in vec2 p) {\n"
                           "    vec2 uv = p / iResolution.xy;\n"
                           "    if (uv.y < 0.5) { c = texture(iChannel0, uv) * (iChannelResolution[0].x == 1.0 ? 1.0 : 0.0); }\n"
                           "    else { c = vec4(texture(iChannel1, vec2(uv.x, 0.25)).x, texture(iChannel1, vec2(uv.x, 0.75)).x, 0.0, 1.0); }\n"
                           "}\n");
    ASSERT_TRUE(layer->shader->HasProgram()) << layer->shader->Errors()[0];
    EXPECT_TRUE(layer->shader->SetChannel(0, ShaderLayer::Channel::Image, texture, 1, 1));
    EXPECT_TRUE(layer->shader->SetChannel(1, ShaderLayer::Channel::Music));
    EXPECT_FALSE(layer->shader->SetChannel(4, ShaderLayer::Channel::Music));
    Clear();
    layer->Draw();
    EXPECT_TRUE(NearColour(GlTestContext::ReadPixel(10, 10), 255, 128, 0, 2));
    // The music row holds the made-up levels, the waveform row silence (0.5).
    EXPECT_TRUE(NearColour(GlTestContext::ReadPixel(80, 100), 128, 128, 0, 3));

    auto feedback = MakeLayer("feedback.frag",
                              "void mainImage(out vec4 c, in vec2 p) {\n"
                              "    c = texture(iChannel0, p / iResolution.xy) + vec4(0.25, 0.0, 0.0, 0.0);\n"
                              "}\n");
    ASSERT_TRUE(feedback->shader->SetChannel(0, ShaderLayer::Channel::Previous));
    const int expected[] = {64, 128, 191};
    for (int picture = 0; picture < 3; ++picture) {
        inputs->time = 1.0 + picture * 0.02;
        Clear();
        feedback->Draw();
        // A second draw of the same picture (a shaking layer's ghost) does
        // not add another step.
        feedback->Draw();
        EXPECT_TRUE(NearColour(GlTestContext::ReadPixel(50, 50), expected[picture], 0, 0, 2)) << picture;
    }
    EXPECT_EQ(feedback->shaderClock.frames, 2u);
    glDeleteTextures(1, &texture);
}

TEST_F(ShaderLayerTest, BrokenShaderNamesItsLineAndDrawsNothing) {
    auto layer = MakeLayer("broken.frag",
                           "void mainImage(out vec4 fragColor, in vec2 fragCoord) {\n"
                           "    float a = 1.0;\n"
                           "    fragColor = vec4(a, b, 0.0, 1.0);\n"
                           "}\n");
    ASSERT_FALSE(layer->shader->HasProgram());
    ASSERT_FALSE(layer->shader->Errors().empty());
    EXPECT_EQ(layer->shader->Errors()[0].rfind("broken.frag:3: error: ", 0), 0u) << layer->shader->Errors()[0];
    Clear();
    layer->Draw();
    EXPECT_TRUE(NearColour(GlTestContext::ReadPixel(10, 10), 0, 0, 255, 0));

    // After its own header, the live-coding style counts the file's lines.
    auto live = MakeLayer("live.frag",
                          "#version 410 core\n"
                          "uniform float fGlobalTime;\n"
                          "layout(location = 0) out vec4 out_color;\n"
                          "void main(void)\n"
                          "{\n"
                          "    out_color = vec4(fGlobalTime) + undefinedThing;\n"
                          "}\n");
    ASSERT_FALSE(live->shader->Errors().empty());
    EXPECT_EQ(live->shader->Errors()[0].rfind("live.frag:6: error: ", 0), 0u) << live->shader->Errors()[0];

    // A shader that compiled keeps drawing while its file is broken; the fix
    // takes over.
    dir.Write("fix.frag", "void mainImage(out vec4 c, in vec2 p) { c = vec4(1.0, 0.0, 0.0, 1.0); }\n");
    auto fixed = MakeLayer("fix.frag", "void mainImage(out vec4 c, in vec2 p) { c = vec4(1.0, 0.0, 0.0, 1.0); }\n");
    dir.Write("fix.frag", "void mainImage(out vec4 c, in vec2 p) { c = vec4(0.0, 1.0, 0.0, 1.0) }\n");
    EXPECT_FALSE(fixed->shader->Reload());
    EXPECT_EQ(fixed->shader->Errors()[0].rfind("fix.frag:1: error: ", 0), 0u) << fixed->shader->Errors()[0];
    Clear();
    fixed->Draw();
    EXPECT_TRUE(NearColour(GlTestContext::ReadPixel(10, 10), 255, 0, 0, 0));
    dir.Write("fix.frag", "void mainImage(out vec4 c, in vec2 p) { c = vec4(0.0, 1.0, 0.0, 1.0); }\n");
    EXPECT_TRUE(fixed->shader->Reload());
    Clear();
    fixed->Draw();
    EXPECT_TRUE(NearColour(GlTestContext::ReadPixel(10, 10), 0, 255, 0, 0));
}

}  // namespace
