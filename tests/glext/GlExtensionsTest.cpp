// The extension check against the real driver: whole names only, GL and WGL
// strings together, entry points resolved.
#include "glext/GlExtensions.h"

#include <gtest/gtest.h>

#include "tests/support/GlTestContext.h"

using TestSupport::GlTestContext;

namespace {

class GlExtensionsTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(GlTestContext::Open(32, 32)); }
};

TEST_F(GlExtensionsTest, TheEnginesListIsOfferedAndItsEntryPointsResolved) {
    EXPECT_TRUE(InitExtensions("GL_ARB_multitexture WGL_ARB_pbuffer WGL_ARB_pixel_format WGL_ARB_render_texture "
                               "GL_SGIS_generate_mipmap "));
    ASSERT_NE(glActiveTextureARB, nullptr);
    ASSERT_NE(glMultiTexCoord2fARB, nullptr);
    glActiveTextureARB(GL_TEXTURE1_ARB);
    GLint unit = 0;
    glGetIntegerv(GL_ACTIVE_TEXTURE_ARB, &unit);
    EXPECT_EQ(unit, GL_TEXTURE1_ARB);
    glActiveTextureARB(GL_TEXTURE0_ARB);
}

TEST_F(GlExtensionsTest, OnlyWholeNamesCount) {
    EXPECT_FALSE(InitExtensions("GL_ARB_multi"));
    EXPECT_FALSE(InitExtensions("ARB_multitexture"));
    EXPECT_FALSE(InitExtensions("WGL_ARB_pbuf"));
    EXPECT_FALSE(InitExtensions("GL_ARB_multitexture GL_HALVENOR_nothing"));
    EXPECT_TRUE(InitExtensions("  GL_ARB_multitexture   WGL_ARB_pbuffer "));
}

}  // namespace
