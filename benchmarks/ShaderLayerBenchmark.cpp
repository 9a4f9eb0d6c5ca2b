// What a shader layer costs a frame at 800 x 600 against the layer it stands
// beside: a full-window BACKGROUND layer showing a 1024 x 1024 picture, and a
// shader layer whose shader reads the same picture through channel 0. Each
// frame is the window cleared and the layer drawn, the GL work finished;
// rounds of both are taken in turns and the best round of each kept, since
// the machine is shared. The layer's cost is its frame less a cleared frame.
//
// Usage: ShaderLayerBenchmark [FRAMES]   (under Xvfb on a headless machine)
#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <vector>

#include "fx2d/Layer2D.h"
#include "fx2d/ShaderLayer.h"
#include "glext/GlExtensions.h"

namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 600;
constexpr int kPictureSize = 1024;
constexpr int kRounds = 7;

class StillInputs : public ShaderInputs {
public:
    double PictureTime() override { return time += 1.0 / 60.0; }
    Music MusicAtPicture(unsigned) override { return Music{}; }
    uint32_t SampleRate() override { return 44100; }
    double time = 0.0;
};

double MillisecondsPer(int count, const std::function<void()>& step) {
    step();
    glFinish();
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < count; ++i) {
        step();
        glFinish();
    }
    const std::chrono::duration<double, std::milli> spent = std::chrono::steady_clock::now() - start;
    return spent.count() / count;
}

// A mipmapped picture as the texture loader makes one.
GLuint MakePicture() {
    std::vector<uint8_t> texels(static_cast<size_t>(kPictureSize) * kPictureSize * 3);
    for (size_t i = 0; i < texels.size(); ++i) {
        texels[i] = static_cast<uint8_t>((i * 2654435761u) >> 24);
    }
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_GENERATE_MIPMAP_SGIS, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, kPictureSize, kPictureSize, 0, GL_RGB, GL_UNSIGNED_BYTE, texels.data());
    return texture;
}

}  // namespace

int main(int argc, char** argv) {
    const int frames = argc > 1 ? std::max(1, std::atoi(argv[1])) : 60;
    if (SDL_Init(SDL_INIT_VIDEO) < 0 || SDL_SetVideoMode(kWidth, kHeight, 32, SDL_OPENGL) == nullptr) {
        std::fprintf(stderr, "ShaderLayerBenchmark: no window: %s\n", SDL_GetError());
        return 1;
    }
    InitExtensions("GL_ARB_multitexture");
    glViewport(0, 0, kWidth, kHeight);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluOrtho2D(0.0, kWidth, 0.0, kHeight);
    glMatrixMode(GL_MODELVIEW);
    const GLuint picture = MakePicture();

    Layer2D textured;
    textured.SetUp(Layer2D::kBackground, "-", kWidth, kHeight);
    textured.texture.loaded = 1;
    textured.texture.texture = picture;

    const char* const source =
        "void mainImage(out vec4 c, in vec2 p) { c = texture(iChannel0, vec2(p.x, iResolution.y - p.y) / "
        "iResolution.xy); }\n";
    FILE* file = std::fopen("ShaderLayerBenchmark.frag", "w");
    std::fputs(source, file);
    std::fclose(file);
    Layer2D shaded;
    shaded.SetUp(Layer2D::kShader, "ShaderLayerBenchmark.frag", kWidth, kHeight);
    shaded.shader = std::make_shared<ShaderLayer>(std::make_shared<StillInputs>());
    if (!shaded.shader->Load("ShaderLayerBenchmark.frag")) {
        std::fprintf(stderr, "ShaderLayerBenchmark: %s\n", shaded.shader->Errors()[0].c_str());
        return 1;
    }
    std::remove("ShaderLayerBenchmark.frag");
    shaded.shader->SetChannel(0, ShaderLayer::Channel::Image, picture, kPictureSize, kPictureSize);

    auto clear = [] { glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT); };
    double bestClear = 1e9;
    double bestTextured = 1e9;
    double bestShaded = 1e9;
    for (int round = 0; round < kRounds; ++round) {
        bestClear = std::min(bestClear, MillisecondsPer(frames, clear));
        bestTextured = std::min(bestTextured, MillisecondsPer(frames, [&] {
            clear();
            textured.Draw();
        }));
        bestShaded = std::min(bestShaded, MillisecondsPer(frames, [&] {
            clear();
            shaded.Draw();
        }));
    }
    const double texturedCost = bestTextured - bestClear;
    const double shadedCost = bestShaded - bestClear;
    std::printf("metric: layer_clear_ms %.3f ms\n", bestClear);
    std::printf("metric: textured_layer_ms %.3f ms\n", texturedCost);
    std::printf("metric: shader_layer_ms %.3f ms\n", shadedCost);
    std::printf("metric: shader_vs_textured_layer %.3f x\n", shadedCost / texturedCost);
    SDL_Quit();
    return 0;
}
