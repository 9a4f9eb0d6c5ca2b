// The text of a shader layer without a driver: which style a file is, what is
// added to it, and the files refused before they reach the driver.
#include "fx2d/ShaderSource.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/TempDir.h"

using TestSupport::TempDir;

namespace {

bool StartsWith(const std::string& text, const std::string& head) { return text.rfind(head, 0) == 0; }

TEST(ShaderSourceTest, StylesAndTheDeclarationsTheFileLeavesOut) {
    ShaderSource shadertoy;
    ASSERT_TRUE(shadertoy.Parse("a.frag",
                                "uniform float iTime; // declared by the author\n"
                                "void mainImage( out vec4 c, in vec2 p ) { c = vec4(iTime); }\n"));
    EXPECT_EQ(shadertoy.GetStyle(), ShaderSource::Style::Shadertoy);
    EXPECT_TRUE(StartsWith(shadertoy.Fragment(), "#version 330 core\n"));
    EXPECT_EQ(shadertoy.Fragment().find("uniform float iTime;\n#"), std::string::npos);
    EXPECT_NE(shadertoy.Fragment().find("uniform vec3 iResolution;"), std::string::npos);
    EXPECT_NE(shadertoy.Fragment().find("#line 1\nuniform float iTime;"), std::string::npos);

    // The author's #version stays first; a comment naming mainImage is no entry.
    ShaderSource live;
    ASSERT_TRUE(live.Parse("b.frag",
                           "// not mainImage(\n"
                           "#version 410 core\n"
                           "uniform sampler1D texFFT;\n"
                           "void main(void) { out_color = texture(texFFT, 0.5); }\n"));
    EXPECT_EQ(live.GetStyle(), ShaderSource::Style::LiveCoding);
    EXPECT_TRUE(StartsWith(live.Fragment(), "// not mainImage(\n#version 410 core\n"));
    EXPECT_NE(live.Fragment().find("layout(location = 0) out vec4 out_color;"), std::string::npos);
    EXPECT_EQ(live.Fragment().find("uniform sampler1D texFFT;\nuniform"), std::string::npos);
    EXPECT_NE(live.Fragment().find("#line 3\nuniform sampler1D texFFT;"), std::string::npos);
}

TEST(ShaderSourceTest, RefusedFilesSayWhy) {
    TempDir dir;
    ShaderSource source;
    EXPECT_FALSE(source.Load("missing.frag"));
    EXPECT_TRUE(StartsWith(source.Errors().at(0), "missing.frag: error: the shader file cannot be read"));

    dir.Write("big.frag", "void mainImage(out vec4 c, in vec2 p) { c = vec4(1.0); }\n" +
                              std::string(ShaderSource::kMaxBytes, ' '));
    EXPECT_FALSE(source.Load("big.frag"));
    EXPECT_EQ(source.Errors().at(0), "big.frag: error: the shader file holds 1.0 MB; a shader may hold at most 1 MB");

    dir.Write("none.frag", "void image(out vec4 c) { c = vec4(1.0); }\n");
    EXPECT_FALSE(source.Load("none.frag"));
    EXPECT_TRUE(StartsWith(source.Errors().at(0), "none.frag:1: error: no entry point"));

    // Driver logs of several kinds come back as lines of the author's file.
    ASSERT_TRUE(source.Parse("s.frag", "void mainImage(out vec4 c, in vec2 p) { c = vec4(1.0); }\n"));
    const auto messages = source.AuthorMessages(
        "0:7(12): error: `b' undeclared\nERROR: 0:9: 'x' : undeclared identifier\n0(4) : error C1008: undefined "
        "variable \"y\"\nlinking failed\n");
    ASSERT_EQ(messages.size(), 4u);
    EXPECT_EQ(messages[0], "s.frag:7: error: `b' undeclared");
    EXPECT_EQ(messages[1], "s.frag:9: error: 'x' : undeclared identifier");
    EXPECT_EQ(messages[2], "s.frag:4: error: undefined variable \"y\"");
    EXPECT_EQ(messages[3], "s.frag: error: linking failed");
}

}  // namespace
