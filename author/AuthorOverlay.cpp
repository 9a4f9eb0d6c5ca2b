#include "author/AuthorOverlay.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "author/AuthorOverlayText.h"
#include "glext/GlExtensions.h"
#include "platform/SystemFont.h"

namespace {

// 13-pixel text keeps about 75 columns and 28 lines readable in a 640 x 480
// window while the panel covers only its top-left corner.
constexpr int kPixelSize = 13;
constexpr int kPadding = 5;
constexpr float kPanelAlpha = 0.75f;
constexpr int kAtlasWidth = 256;
constexpr int kLargestAtlas = 2048;
// A glyph many times the size asked for comes only from a broken font: it
// keeps its advance and draws nothing.
constexpr int kLargestGlyph = 4 * kPixelSize;
constexpr uint32_t kFirstAscii = 32;
constexpr uint32_t kLastAscii = 126;
// The signs the overlay's own lines use beyond ASCII: – × ¼ ½ … ·
constexpr uint32_t kExtraCodes[] = {0x2013, 0x00D7, 0x00BC, 0x00BD, 0x2026, 0x00B7};
constexpr GLbitfield kSavedAttributes = GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT | GL_CURRENT_BIT | GL_DEPTH_BUFFER_BIT |
                                        GL_TEXTURE_BIT | GL_TRANSFORM_BIT | GL_VIEWPORT_BIT | GL_POLYGON_BIT;

struct Colour {
    float r, g, b;
};

Colour ToneColour(AuthorOverlayTone tone) {
    switch (tone) {
    case AuthorOverlayTone::kBright:
        return {1.0f, 1.0f, 1.0f};
    case AuthorOverlayTone::kDim:
        return {0.72f, 0.78f, 0.84f};
    case AuthorOverlayTone::kWarning:
        return {1.0f, 0.66f, 0.25f};
    case AuthorOverlayTone::kPlain:
        break;
    }
    return {0.92f, 0.92f, 0.92f};
}

int RoundUpPowerOfTwo(int value) {
    int size = 1;
    while (size < value) {
        size *= 2;
    }
    return size;
}

std::string FreeTypeProblem(FT_Error code) {
    const char* text = FT_Error_String(code);
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "FreeType error %d", static_cast<int>(code));
    return text != nullptr ? std::string(text) : std::string(buffer);
}

// The matrices the frame was using; the attribute stack keeps the rest.
struct SavedMatrices {
    GLdouble projection[16];
    GLdouble modelview[16];
    GLdouble texture[16];
};

void DisableTexturing() {
    glDisable(GL_TEXTURE_1D);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_TEXTURE_3D);
    glDisable(GL_TEXTURE_CUBE_MAP);
    for (const GLenum coordinate : {GL_TEXTURE_GEN_S, GL_TEXTURE_GEN_T, GL_TEXTURE_GEN_R, GL_TEXTURE_GEN_Q}) {
        glDisable(coordinate);
    }
}

// Only unit 0 textures the overlay: a sphere map or a second layer left on
// another unit would otherwise tint the text.
void QuietOtherTextureUnits() {
    if (glActiveTextureARB == nullptr) {
        return;
    }
    GLint units = 1;
    glGetIntegerv(GL_MAX_TEXTURE_UNITS_ARB, &units);
    for (GLint unit = std::min(units, 32) - 1; unit > 0; --unit) {
        glActiveTextureARB(GL_TEXTURE0_ARB + static_cast<GLenum>(unit));
        DisableTexturing();
    }
    glActiveTextureARB(GL_TEXTURE0_ARB);
}

// Window pixels with y down, blending over the frame, nothing of the 3D
// state (depth, light, fog, culling) taking part.
void EnterOverlayState(SavedMatrices& saved, int width, int height) {
    glPushAttrib(kSavedAttributes);
    QuietOtherTextureUnits();
    glGetDoublev(GL_PROJECTION_MATRIX, saved.projection);
    glGetDoublev(GL_MODELVIEW_MATRIX, saved.modelview);
    glGetDoublev(GL_TEXTURE_MATRIX, saved.texture);
    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0.0, width, height, 0.0, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glViewport(0, 0, width, height);

    // Colour material first: with it on, every glColor below would rewrite
    // the scene's material.
    for (const GLenum cap : {GL_COLOR_MATERIAL, GL_LIGHTING, GL_DEPTH_TEST, GL_FOG, GL_CULL_FACE, GL_ALPHA_TEST,
                             GL_STENCIL_TEST, GL_SCISSOR_TEST, GL_COLOR_LOGIC_OP, GL_POLYGON_STIPPLE,
                             GL_CLIP_PLANE0, GL_CLIP_PLANE1, GL_CLIP_PLANE2, GL_CLIP_PLANE3, GL_CLIP_PLANE4,
                             GL_CLIP_PLANE5}) {
        glDisable(cap);
    }
    DisableTexturing();
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
}

void LeaveOverlayState(const SavedMatrices& saved) {
    glMatrixMode(GL_TEXTURE);
    glLoadMatrixd(saved.texture);
    glMatrixMode(GL_PROJECTION);
    glLoadMatrixd(saved.projection);
    glMatrixMode(GL_MODELVIEW);
    glLoadMatrixd(saved.modelview);
    glPopAttrib();
}

void DrawPanel(int width, int height) {
    glColor4f(0.0f, 0.0f, 0.0f, kPanelAlpha);
    glBegin(GL_QUADS);
    glVertex2i(0, 0);
    glVertex2i(0, height);
    glVertex2i(width, height);
    glVertex2i(width, 0);
    glEnd();
}

}  // namespace

struct AuthorOverlay::Font {
    struct Glyph {
        uint32_t code = 0;
        int left = 0;    // from the pen to the bitmap's left edge
        int top = 0;     // from the baseline up to the bitmap's top edge
        int width = 0;
        int height = 0;
        int advance = 0;
        std::vector<uint8_t> coverage;  // rows from the top, only until packed
        float u0 = 0.0f, v0 = 0.0f, u1 = 0.0f, v1 = 0.0f;
    };
    struct Line {
        std::vector<uint32_t> codes;
        AuthorOverlayTone tone;
    };

    GLuint texture = 0;
    int atlasHeight = 0;
    int ascent = 0;
    int lineHeight = 0;
    int widestAdvance = 1;
    std::vector<Glyph> glyphs;  // ASCII from the space, then kExtraCodes

    bool Load(const std::string& path, std::string* error);
    bool Render(FT_Face face, uint32_t code);
    bool Pack(std::string* error);
    bool Upload(std::string* error);
    const Glyph& Find(uint32_t code) const;
    int Width(const std::vector<uint32_t>& codes) const;
    void DrawLine(const Line& line, int top) const;
};

bool AuthorOverlay::Font::Load(const std::string& path, std::string* error) {
    FT_Library library = nullptr;
    FT_Error problem = FT_Init_FreeType(&library);
    if (problem != 0) {
        *error = "cannot start FreeType: " + FreeTypeProblem(problem);
        return false;
    }
    FT_Face face = nullptr;
    problem = FT_New_Face(library, path.c_str(), 0, &face);
    if (problem == 0) {
        problem = FT_Set_Pixel_Sizes(face, 0, kPixelSize);
    }
    if (problem != 0) {
        *error = "cannot read the font " + path + ": " + FreeTypeProblem(problem);
    } else {
        const FT_Size_Metrics& metrics = face->size->metrics;
        ascent = static_cast<int>((metrics.ascender + 63) >> 6);
        const int descent = static_cast<int>((-metrics.descender + 63) >> 6);
        lineHeight = std::max(static_cast<int>((metrics.height + 32) >> 6), ascent + descent);
        for (uint32_t code = kFirstAscii; code <= kLastAscii; ++code) {
            Render(face, code);
        }
        for (const uint32_t code : kExtraCodes) {
            Render(face, code);
        }
    }
    if (face != nullptr) {
        FT_Done_Face(face);
    }
    FT_Done_FreeType(library);
    return problem == 0;
}

// A character the face lacks is left out (drawn as '?'); ASCII keeps its
// place even then, so that it can be found by its code.
bool AuthorOverlay::Font::Render(FT_Face face, uint32_t code) {
    Glyph glyph;
    glyph.code = code;
    const FT_UInt index = FT_Get_Char_Index(face, code);
    const bool ascii = code <= kLastAscii;
    if ((index == 0 && !ascii) || FT_Load_Glyph(face, index, FT_LOAD_RENDER) != 0) {
        if (ascii) {
            glyph.advance = std::max(1, kPixelSize / 2);
            glyphs.push_back(glyph);
        }
        return false;
    }
    const FT_GlyphSlot slot = face->glyph;
    const FT_Bitmap& bitmap = slot->bitmap;
    glyph.advance = std::max(1, static_cast<int>((slot->advance.x + 32) >> 6));
    glyph.left = slot->bitmap_left;
    glyph.top = slot->bitmap_top;
    const int w = static_cast<int>(bitmap.width);
    const int h = static_cast<int>(bitmap.rows);
    const bool usable = bitmap.pixel_mode == FT_PIXEL_MODE_GRAY || bitmap.pixel_mode == FT_PIXEL_MODE_MONO;
    if (usable && w > 0 && h > 0 && w <= kLargestGlyph && h <= kLargestGlyph && bitmap.buffer != nullptr) {
        glyph.width = w;
        glyph.height = h;
        glyph.coverage.resize(static_cast<size_t>(w) * static_cast<size_t>(h));
        const int pitch = bitmap.pitch;
        for (int y = 0; y < h; ++y) {
            // A negative pitch stores the rows from the bottom up.
            const uint8_t* row = bitmap.buffer + (pitch >= 0 ? y * pitch : (h - 1 - y) * -pitch);
            for (int x = 0; x < w; ++x) {
                const bool mono = bitmap.pixel_mode == FT_PIXEL_MODE_MONO;
                const uint8_t value = mono ? ((row[x >> 3] >> (7 - (x & 7))) & 1) * 255 : row[x];
                glyph.coverage[static_cast<size_t>(y * w + x)] = value;
            }
        }
    }
    widestAdvance = std::max(widestAdvance, glyph.advance);
    glyphs.push_back(std::move(glyph));
    return true;
}

// Shelves of glyphs left to right, a pixel apart so that no neighbour bleeds.
bool AuthorOverlay::Font::Pack(std::string* error) {
    int x = 1;
    int y = 1;
    int shelf = 0;
    for (Glyph& glyph : glyphs) {
        if (glyph.width == 0) {
            continue;
        }
        if (x + glyph.width + 1 > kAtlasWidth) {
            x = 1;
            y += shelf + 1;
            shelf = 0;
        }
        glyph.u0 = static_cast<float>(x);
        glyph.v0 = static_cast<float>(y);
        x += glyph.width + 1;
        shelf = std::max(shelf, glyph.height);
    }
    atlasHeight = RoundUpPowerOfTwo(y + shelf + 1);
    if (atlasHeight > kLargestAtlas) {
        *error = "the font's glyphs do not fit one texture";
        return false;
    }
    return true;
}

bool AuthorOverlay::Font::Upload(std::string* error) {
    std::vector<uint8_t> atlas(static_cast<size_t>(kAtlasWidth) * static_cast<size_t>(atlasHeight), 0);
    for (Glyph& glyph : glyphs) {
        const int x0 = static_cast<int>(glyph.u0);
        const int y0 = static_cast<int>(glyph.v0);
        for (int y = 0; y < glyph.height; ++y) {
            std::copy_n(glyph.coverage.begin() + y * glyph.width, glyph.width,
                        atlas.begin() + (y0 + y) * kAtlasWidth + x0);
        }
        glyph.coverage = std::vector<uint8_t>();
        glyph.u0 = static_cast<float>(x0) / kAtlasWidth;
        glyph.v0 = static_cast<float>(y0) / static_cast<float>(atlasHeight);
        glyph.u1 = static_cast<float>(x0 + glyph.width) / kAtlasWidth;
        glyph.v1 = static_cast<float>(y0 + glyph.height) / static_cast<float>(atlasHeight);
    }

    // Errors left over from the frame's drawing are not the texture's.
    for (int i = 0; i < 16 && glGetError() != GL_NO_ERROR; ++i) {
    }
    GLint previous = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &previous);
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    // Glyphs are drawn at their own size on whole pixels: each texel is one pixel.
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_ALPHA8, kAtlasWidth, atlasHeight, 0, GL_ALPHA, GL_UNSIGNED_BYTE, atlas.data());
    const GLenum problem = glGetError();
    glPopClientAttrib();
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(previous));
    if (texture == 0 || problem != GL_NO_ERROR) {
        char text[96];
        std::snprintf(text, sizeof text, "OpenGL refused the font texture (error 0x%X; is a window open?)", problem);
        *error = text;
        if (texture != 0) {
            glDeleteTextures(1, &texture);
            texture = 0;
        }
        return false;
    }
    return true;
}

const AuthorOverlay::Font::Glyph& AuthorOverlay::Font::Find(uint32_t code) const {
    if (code >= kFirstAscii && code <= kLastAscii) {
        return glyphs[code - kFirstAscii];
    }
    for (size_t i = kLastAscii - kFirstAscii + 1; i < glyphs.size(); ++i) {
        if (glyphs[i].code == code) {
            return glyphs[i];
        }
    }
    return glyphs['?' - kFirstAscii];
}

int AuthorOverlay::Font::Width(const std::vector<uint32_t>& codes) const {
    int width = 0;
    for (const uint32_t code : codes) {
        width += Find(code).advance;
    }
    return width;
}

// Inside glBegin(GL_QUADS): whole pixels, texel for pixel.
void AuthorOverlay::Font::DrawLine(const Line& line, int top) const {
    const Colour colour = ToneColour(line.tone);
    glColor4f(colour.r, colour.g, colour.b, 1.0f);
    const int baseline = top + ascent;
    int pen = kPadding;
    for (const uint32_t code : line.codes) {
        const Glyph& glyph = Find(code);
        if (glyph.width > 0) {
            const int x0 = pen + glyph.left;
            const int y0 = baseline - glyph.top;
            glTexCoord2f(glyph.u0, glyph.v0);
            glVertex2i(x0, y0);
            glTexCoord2f(glyph.u0, glyph.v1);
            glVertex2i(x0, y0 + glyph.height);
            glTexCoord2f(glyph.u1, glyph.v1);
            glVertex2i(x0 + glyph.width, y0 + glyph.height);
            glTexCoord2f(glyph.u1, glyph.v0);
            glVertex2i(x0 + glyph.width, y0);
        }
        pen += glyph.advance;
    }
}

AuthorOverlay::AuthorOverlay() : font(nullptr) {}

// The texture belongs to the window's context, which may be gone by now:
// Release frees it while the window is open.
AuthorOverlay::~AuthorOverlay() { delete font; }

bool AuthorOverlay::Init(const std::string& fontFile, std::string* error) {
    Release();
    std::string reason;
    std::string path = fontFile.empty() ? Platform::DefaultMonospacedFont() : fontFile;
    Font* loaded = new Font();
    bool ok = false;
    if (path.empty()) {
        reason = "no monospaced font found (" + Platform::DefaultFontHint() + "); looked for";
        for (const std::string& place : Platform::DefaultFontPlaces()) {
            reason += " " + place;
        }
    } else {
        ok = loaded->Load(path, &reason) && loaded->Pack(&reason) && loaded->Upload(&reason);
    }
    if (!ok) {
        delete loaded;
        if (error != nullptr) {
            *error = reason;
        }
        return false;
    }
    font = loaded;
    return true;
}

void AuthorOverlay::Draw(const AuthorOverlayInfo& info, int windowWidth, int windowHeight) {
    if (font == nullptr || windowWidth <= 0 || windowHeight <= 0) {
        return;
    }
    const int columns = (windowWidth - 2 * kPadding) / font->widestAdvance;
    const int room = std::max(0, (windowHeight - 2 * kPadding) / font->lineHeight);
    std::vector<Font::Line> lines;
    int widest = 0;
    for (const AuthorOverlayLine& line : AuthorOverlayText::Lines(info)) {
        // A long line (an error message, mostly) goes on below rather than
        // losing its end at the window's edge.
        for (const std::string& row : AuthorOverlayText::Wrap(line.text, columns)) {
            if (static_cast<int>(lines.size()) >= room) {
                break;
            }
            Font::Line fitted{AuthorOverlayText::CodePoints(row), line.tone};
            widest = std::max(widest, font->Width(fitted.codes));
            lines.push_back(std::move(fitted));
        }
    }
    const int panelWidth = std::min(windowWidth, widest + 2 * kPadding);
    const int panelHeight = std::min(windowHeight, static_cast<int>(lines.size()) * font->lineHeight + 2 * kPadding);

    SavedMatrices saved;
    EnterOverlayState(saved, windowWidth, windowHeight);
    DrawPanel(panelWidth, panelHeight);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, font->texture);
    glBegin(GL_QUADS);
    for (size_t i = 0; i < lines.size(); ++i) {
        font->DrawLine(lines[i], kPadding + static_cast<int>(i) * font->lineHeight);
    }
    glEnd();
    LeaveOverlayState(saved);
}

void AuthorOverlay::Release() {
    if (font == nullptr) {
        return;
    }
    if (font->texture != 0) {
        glDeleteTextures(1, &font->texture);
    }
    delete font;
    font = nullptr;
}
