// Shader files compiled for the checker in a process without a window: the
// driver's complaints as findings on the author's lines.
#include "fx2d/ShaderCheck.h"

#include <gtest/gtest.h>

#include "tests/support/TempDir.h"

using TestSupport::TempDir;

namespace {

TEST(ShaderCheckTest, CompilesWithoutAWindowAndNamesTheLines) {
    TempDir dir;
    dir.Write("good.frag", "void mainImage(out vec4 c, in vec2 p) { c = vec4(p / iResolution.xy, 0.0, 1.0); }\n");
    EXPECT_TRUE(ShaderCheck::Check("good.frag").empty());

    dir.Write("bad.frag",
              "#version 410 core\n"
              "uniform float fGlobalTime;\n"
              "out vec4 out_color;\n"
              "void main() {\n"
              "    out_color = vec4(fGlobalTime, nothing, 0.0, 1.0);\n"
              "}\n");
    const auto findings = ShaderCheck::Check("bad.frag");
    ASSERT_FALSE(findings.empty());
    EXPECT_TRUE(findings[0].error);
    EXPECT_EQ(findings[0].line, 5);
    EXPECT_NE(findings[0].text.find("nothing"), std::string::npos) << findings[0].text;

    const auto missing = ShaderCheck::Check("missing.frag");
    ASSERT_EQ(missing.size(), 1u);
    EXPECT_EQ(missing[0].line, 0);
    EXPECT_EQ(missing[0].text, "the shader file cannot be read (missing, or not a file)");
}

}  // namespace
