// The checker on shader layers: a shader that does not compile is an error on
// its own line of the shader file; channel lines are read as the engine reads
// them; a saved shader file plans the reload of its layer alone.
#include <gtest/gtest.h>

#include <string>

#include "author/ReloadPlan.h"
#include "checker/ShowChecker.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestImages.h"

using TestSupport::TempDir;

namespace {

const char* const kShader = "void mainImage(out vec4 c, in vec2 p) {\n    c = texture(iChannel0, p);\n}\n";

std::string CheckReport() {
    ShowChecker checker;
    checker.Check();
    return checker.Report();
}

TEST(ShaderLayerChecker, ShadersCompileAndChannelsReadAsTheEngineReadsThem) {
    TempDir dir;
    dir.Write("rojo.jpg", TestSupport::SolidRgbJpeg(8, 8, 255, 0, 0));
    dir.Write("ondas.frag", kShader);
    const std::string head =
        "LOAD DISPLAY 320 240 32 NO\n"
        "LOAD PBUFFER PB 64 64\n"
        "LOAD LAYER2D ondas.frag SHADER Ondas\n"
        "SET LAYER2D Ondas CHANNEL 0 rojo.jpg\n"
        "SET LAYER2D Ondas CHANNEL 1 MUSIC\n"
        "SET LAYER2D Ondas CHANNEL 2 PREVIOUS\n"
        "SET LAYER2D Ondas CHANNEL 3 PBUFFER PB\n";
    dir.Write("preconfig.txt", head);
    const std::string good = CheckReport();
    EXPECT_EQ(good.find(".frag"), std::string::npos) << good;
    for (int line = 2; line <= 7; ++line) {
        EXPECT_EQ(good.find("preconfig.txt:" + std::to_string(line) + ":"), std::string::npos) << good;
    }

    dir.Write("ondas.frag", "void mainImage(out vec4 c, in vec2 p) {\n    c = vec4(0.0);\n    c += nada;\n}\n");
    dir.Write("preconfig.txt", head +
                                   "SET LAYER2D Ondas CHANNEL 4 MUSIC\n"
                                   "SET LAYER2D Ondas CHANNEL 0 nube.jpg\n"
                                   "SET LAYER2D Ondas CHANNEL 1 PBUFFER\n"
                                   "LOAD LAYER2D falta.frag SHADER Falta\n");
    const std::string report = CheckReport();
    EXPECT_NE(report.find("ondas.frag:3: error: "), std::string::npos) << report;
    EXPECT_NE(report.find("(the layer is not drawn)\n"), std::string::npos) << report;
    EXPECT_NE(report.find("preconfig.txt:8: error: a shader layer has 4 channels, 0 to 3: '4' is none of them"),
              std::string::npos)
        << report;
    EXPECT_NE(report.find("preconfig.txt:9: error: channel image 'nube.jpg' not found: the channel stays black"),
              std::string::npos)
        << report;
    EXPECT_NE(report.find("preconfig.txt:10: error: CHANNEL 1 PBUFFER names no pixel buffer"), std::string::npos);
    EXPECT_NE(report.find("preconfig.txt:11: error: shader 'falta.frag' not found: the layer is not drawn"),
              std::string::npos)
        << report;
}

TEST(ShaderLayerChecker, ASavedShaderReloadsItsLayerAlone) {
    TempDir dir;
    dir.Write("ondas.frag", kShader);
    dir.Write("preconfig.txt", "LOAD DISPLAY 320 240 32 NO\nLOAD LAYER2D ondas.frag SHADER Ondas\n");
    ShowChecker before;
    before.Check();
    ShowChecker now;
    now.Check();
    EXPECT_EQ(ReloadPlan::For(before, now, {"ondas.frag"}).Describe(), "shader Ondas");
}

}  // namespace
