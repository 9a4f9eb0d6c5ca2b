#include "fx2d/LayerSum.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "fx2d/Layer2D.h"
#include "glext/GlExtensions.h"
#include "platform/Wgl.h"

namespace {

// The program of a sum adds the copies of the first texture, then those of
// the second, each moved about the pivot by its zoom and rounded to the
// target's 8 bits before it is added, as a blended pass would be: to the
// nearest level, a tie to the even one (a layer at alpha 0.5 makes a tie of
// every odd texel, and rounding those up would brighten the feedback trail
// a little more at every frame). Each count of copies has its own program
// written out copy by copy: a texture read inside a loop has the renderer
// work out its level of detail pixel by pixel, several times slower.
const char* const kSourceHead =
    "#version 110\n"
    "uniform sampler2D firstTexture;\n"
    "uniform sampler2D secondTexture;\n"
    "uniform vec2 pivot;\n"
    "vec4 Rounded(vec4 colour) {\n"
    "    vec4 level = clamp(colour, 0.0, 1.0) * 255.0;\n"
    "    vec4 below = floor(level);\n"
    "    vec4 part = level - below;\n"
    "    vec4 tie = vec4(equal(part, vec4(0.5)));\n"
    "    return (below + step(0.5, part) - tie * (1.0 - mod(below, 2.0))) / 255.0;\n"
    "}\n";

bool enabled = true;

// The shading-language entry points, resolved once for the process.
struct ShaderCalls {
    PFNGLCREATESHADERPROC createShader = nullptr;
    PFNGLSHADERSOURCEPROC shaderSource = nullptr;
    PFNGLCOMPILESHADERPROC compileShader = nullptr;
    PFNGLGETSHADERIVPROC getShaderiv = nullptr;
    PFNGLDELETESHADERPROC deleteShader = nullptr;
    PFNGLCREATEPROGRAMPROC createProgram = nullptr;
    PFNGLATTACHSHADERPROC attachShader = nullptr;
    PFNGLLINKPROGRAMPROC linkProgram = nullptr;
    PFNGLGETPROGRAMIVPROC getProgramiv = nullptr;
    PFNGLDELETEPROGRAMPROC deleteProgram = nullptr;
    PFNGLISPROGRAMPROC isProgram = nullptr;
    PFNGLUSEPROGRAMPROC useProgram = nullptr;
    PFNGLGETUNIFORMLOCATIONPROC getUniformLocation = nullptr;
    PFNGLUNIFORM1IPROC uniform1i = nullptr;
    PFNGLUNIFORM1FVPROC uniform1fv = nullptr;
    PFNGLUNIFORM2FPROC uniform2f = nullptr;

    bool resolved = false;
    bool complete = false;

    template <typename T>
    bool Resolve(T& call, const char* name) {
        call = reinterpret_cast<T>(Platform::GetProcAddress(name));
        return call != nullptr;
    }

    bool Ready() {
        if (!resolved) {
            resolved = true;
            complete = Resolve(createShader, "glCreateShader") && Resolve(shaderSource, "glShaderSource") &&
                       Resolve(compileShader, "glCompileShader") && Resolve(getShaderiv, "glGetShaderiv") &&
                       Resolve(deleteShader, "glDeleteShader") && Resolve(createProgram, "glCreateProgram") &&
                       Resolve(attachShader, "glAttachShader") && Resolve(linkProgram, "glLinkProgram") &&
                       Resolve(getProgramiv, "glGetProgramiv") && Resolve(deleteProgram, "glDeleteProgram") &&
                       Resolve(isProgram, "glIsProgram") && Resolve(useProgram, "glUseProgram") &&
                       Resolve(getUniformLocation, "glGetUniformLocation") && Resolve(uniform1i, "glUniform1i") &&
                       Resolve(uniform1fv, "glUniform1fv") && Resolve(uniform2f, "glUniform2f");
        }
        return complete;
    }
};

ShaderCalls gl;

// Sampler objects (OpenGL 3.3 or GL_ARB_sampler_objects), when the driver has
// them: a picture that every copy enlarges is read through one without
// mipmaps. Enlarged, the texture is filtered by its magnification filter
// alone, so the picture is the same; but a renderer that must be ready for
// the smaller levels works out a level of detail for every pixel, which on
// a software renderer costs about a quarter of each read.
struct SamplerCalls {
    PFNGLGENSAMPLERSPROC genSamplers = nullptr;
    PFNGLISSAMPLERPROC isSampler = nullptr;
    PFNGLBINDSAMPLERPROC bindSampler = nullptr;
    PFNGLSAMPLERPARAMETERIPROC samplerParameteri = nullptr;
    bool resolved = false;
    bool complete = false;
    // One per texture unit of the sum; rebuilt in a context that lacks it.
    GLuint names[LayerSum::kMaxTextures] = {};

    bool Ready() {
        if (!resolved) {
            resolved = true;
            complete = gl.Resolve(genSamplers, "glGenSamplers") && gl.Resolve(isSampler, "glIsSampler") &&
                       gl.Resolve(bindSampler, "glBindSampler") &&
                       gl.Resolve(samplerParameteri, "glSamplerParameteri");
        }
        return complete && DriverHasSamplers();
    }

    static bool DriverHasSamplers() {
        const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
        int major = 0;
        int minor = 0;
        if (version != nullptr && std::sscanf(version, "%d.%d", &major, &minor) == 2 &&
            (major > 3 || (major == 3 && minor >= 3))) {
            return true;
        }
        const char* extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
        return extensions != nullptr && std::strstr(extensions, "GL_ARB_sampler_objects") != nullptr;
    }
};

SamplerCalls samplers;

// The program of one shape of sum: how many copies, how many of them of
// the first texture. Its weights and zooms are uniform arrays whose name
// carries the shape, so that a program name the current context knows is
// recognised as this very program (a new window's context may give the
// same name to another); one it does not know is built anew.
struct SumProgram {
    GLuint program = 0;
    GLint weight = -1;
    GLint zoom = -1;
    GLint firstTexture = -1;
    GLint secondTexture = -1;
    GLint pivot = -1;
    // Set when this driver refused the program: no second try.
    bool refused = false;
};

SumProgram programs[LayerSum::kMaxCopies + 1][LayerSum::kMaxCopies + 1];

std::string WeightName(int firstCopies, int count) {
    return "weight" + std::to_string(firstCopies) + "of" + std::to_string(count);
}

std::string ZoomName(int firstCopies, int count) {
    return "zoom" + std::to_string(firstCopies) + "of" + std::to_string(count);
}

std::string SumSource(int firstCopies, int count) {
    const std::string weight = WeightName(firstCopies, count);
    const std::string zoom = ZoomName(firstCopies, count);
    const std::string size = std::to_string(count);
    std::string source = kSourceHead;
    source += "uniform float " + weight + "[" + size + "];\n";
    source += "uniform float " + zoom + "[" + size + "];\n";
    source += "void main() {\n    vec2 at = gl_TexCoord[0].st - pivot;\n    vec4 sum = vec4(0.0);\n";
    for (int k = 0; k < count; ++k) {
        const std::string index = "[" + std::to_string(k) + "]";
        source += std::string("    sum += Rounded(texture2D(") + (k < firstCopies ? "firstTexture" : "secondTexture") +
                  ", pivot + at * " + zoom + index + ") * " + weight + index + ");\n";
    }
    source += "    gl_FragColor = sum;\n}\n";
    return source;
}

// OpenGL 2.0 or later: the shading language and its calls are there.
bool DriverHasShaders() {
    const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    return version != nullptr && std::atoi(version) >= 2;
}

GLuint CompileFragmentShader(const std::string& source) {
    const GLuint shader = gl.createShader(GL_FRAGMENT_SHADER);
    if (shader == 0) {
        return 0;
    }
    const char* text = source.c_str();
    gl.shaderSource(shader, 1, &text, nullptr);
    gl.compileShader(shader);
    GLint compiled = GL_FALSE;
    gl.getShaderiv(shader, GL_COMPILE_STATUS, &compiled);
    if (compiled != GL_TRUE) {
        gl.deleteShader(shader);
        return 0;
    }
    return shader;
}

bool BuildProgram(SumProgram& sum, int firstCopies, int count) {
    const GLuint shader = CompileFragmentShader(SumSource(firstCopies, count));
    if (shader == 0) {
        return false;
    }
    const GLuint program = gl.createProgram();
    gl.attachShader(program, shader);
    gl.linkProgram(program);
    // The program keeps the shader for as long as it lives.
    gl.deleteShader(shader);
    GLint linked = GL_FALSE;
    gl.getProgramiv(program, GL_LINK_STATUS, &linked);
    if (linked != GL_TRUE) {
        gl.deleteProgram(program);
        return false;
    }
    sum.program = program;
    sum.weight = gl.getUniformLocation(program, WeightName(firstCopies, count).c_str());
    sum.zoom = gl.getUniformLocation(program, ZoomName(firstCopies, count).c_str());
    sum.firstTexture = gl.getUniformLocation(program, "firstTexture");
    sum.secondTexture = gl.getUniformLocation(program, "secondTexture");
    sum.pivot = gl.getUniformLocation(program, "pivot");
    return true;
}

bool IsBuiltHere(const SumProgram& sum, int firstCopies, int count) {
    return sum.program != 0 && gl.isProgram(sum.program) == GL_TRUE &&
           gl.getUniformLocation(sum.program, WeightName(firstCopies, count).c_str()) == sum.weight;
}

// The program of the shape, built on first use; null when the driver has
// no shading language or refuses it.
const SumProgram* ProgramFor(int firstCopies, int count) {
    if (!enabled || !DriverHasShaders() || !gl.Ready()) {
        return nullptr;
    }
    SumProgram& sum = programs[firstCopies][count];
    if (sum.refused) {
        return nullptr;
    }
    if (!IsBuiltHere(sum, firstCopies, count)) {
        sum.refused = !BuildProgram(sum, firstCopies, count);
    }
    return sum.refused ? nullptr : &sum;
}

bool SameGeometry(const Layer2D& a, const Layer2D& b) {
    bool same = a.x0 == b.x0 && a.x1 == b.x1 && a.y0 == b.y0 && a.y1 == b.y1 && a.centerX == b.centerX &&
                a.centerY == b.centerY;
    for (int corner = 0; corner < 4 && same; ++corner) {
        same = a.texCoords[corner][0] == b.texCoords[corner][0] && a.texCoords[corner][1] == b.texCoords[corner][1];
    }
    return same;
}

// A layer whose every copy is its rectangle zoomed about the rectangle's
// middle, with the texture spread evenly over it, and which covers the view
// unzoomed: then the zoomed copies, all at least as large, cover it too, and
// one quad reaches every pixel that any copy would.
bool IsPlainFullView(const Layer2D& layer, float viewWidth, float viewHeight) {
    const float(*const tc)[2] = layer.texCoords;
    const bool evenTexture = tc[0][0] + tc[3][0] == tc[1][0] + tc[2][0] && tc[0][1] + tc[3][1] == tc[1][1] + tc[2][1];
    const bool still = layer.angle == 0.0f && layer.rotationSpeed == 0.0f && layer.scaleSpeed == 0.0f &&
                       layer.shakeAmplitude == 0.0f;
    const bool pivotInMiddle =
        layer.centerX == (layer.x0 + layer.x1) / 2.0f && layer.centerY == (layer.y0 + layer.y1) / 2.0f;
    const bool coversView = std::fmin(layer.x0, layer.x1) <= 0.0f && std::fmax(layer.x0, layer.x1) >= viewWidth &&
                            std::fmin(layer.y0, layer.y1) <= 0.0f && std::fmax(layer.y0, layer.y1) >= viewHeight;
    return layer.texture.loaded != 0 && evenTexture && still && pivotInMiddle && coversView;
}

// The copies read at most two textures, the copies of each together, all
// over the same rectangle and none smaller than it.
bool CanSum(const LayerSum::Copy* copies, int count, float viewWidth, float viewHeight, int& firstCopies) {
    if (count < 1 || count > LayerSum::kMaxCopies) {
        return false;
    }
    const Layer2D& base = *copies[0].layer;
    if (!IsPlainFullView(base, viewWidth, viewHeight)) {
        return false;
    }
    firstCopies = count;
    for (int k = 0; k < count; ++k) {
        const Layer2D& layer = *copies[k].layer;
        if (!(copies[k].scale >= 1.0f) || !SameGeometry(layer, base) || !IsPlainFullView(layer, viewWidth, viewHeight)) {
            return false;
        }
        const bool firstTexture = layer.texture.texture == base.texture.texture;
        if (firstTexture && firstCopies < k) {
            return false;
        }
        if (!firstTexture) {
            if (firstCopies == count) {
                firstCopies = k;
            } else if (layer.texture.texture != copies[firstCopies].layer->texture.texture) {
                return false;
            }
        }
    }
    return true;
}

// The rounding of each copy is that of a target with 8 bits a colour. A
// deeper one (a pixel buffer may get 10) blends with arithmetic of its own,
// and is drawn pass by pass.
bool HasEightBitColour() {
    const GLenum channels[3] = {GL_RED_BITS, GL_GREEN_BITS, GL_BLUE_BITS};
    for (GLenum channel : channels) {
        GLint bits = 0;
        glGetIntegerv(channel, &bits);
        if (bits != 8) {
            return false;
        }
    }
    return true;
}

// Whether every copy on the active unit shows its bound texture enlarged
// (fewer than one texel a pixel in both directions, with a margin for the
// renderer's estimate): then no copy reads a smaller level.
bool EveryCopyEnlarges(const Layer2D& layer, float smallestScale, float viewWidth, float viewHeight) {
    const float(*const tc)[2] = layer.texCoords;
    if (tc[1][1] != tc[0][1] || tc[2][0] != tc[0][0]) {
        return false;
    }
    GLint size[2] = {};
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &size[0]);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &size[1]);
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    const float pixelsAcross = std::fabs(layer.x1 - layer.x0) * smallestScale * viewport[2] / viewWidth;
    const float pixelsUp = std::fabs(layer.y1 - layer.y0) * smallestScale * viewport[3] / viewHeight;
    const float texelsAcross = std::fabs(tc[1][0] - tc[0][0]) * static_cast<float>(size[0]);
    const float texelsUp = std::fabs(tc[2][1] - tc[0][1]) * static_cast<float>(size[1]);
    constexpr float kMargin = 0.98f;
    return size[0] > 0 && size[1] > 0 && texelsAcross <= kMargin * pixelsAcross && texelsUp <= kMargin * pixelsUp;
}

// For the texture bound on the active unit (number unit): a sampler with its
// magnification filter and wrapping when every copy enlarges it, otherwise
// none (the texture's own filtering).
void ChooseSampler(int unit, const Layer2D& layer, float smallestScale, float viewWidth, float viewHeight) {
    if (!samplers.Ready()) {
        return;
    }
    GLint wrap[2] = {};
    GLint magnification = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &wrap[0]);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, &wrap[1]);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &magnification);
    // A border colour belongs to the texture; such a texture keeps its own.
    const bool plainWrap = wrap[0] != GL_CLAMP && wrap[0] != GL_CLAMP_TO_BORDER && wrap[1] != GL_CLAMP &&
                           wrap[1] != GL_CLAMP_TO_BORDER;
    if (!plainWrap || !EveryCopyEnlarges(layer, smallestScale, viewWidth, viewHeight)) {
        samplers.bindSampler(unit, 0);
        return;
    }
    GLuint& name = samplers.names[unit];
    if (name == 0 || samplers.isSampler(name) != GL_TRUE) {
        samplers.genSamplers(1, &name);
    }
    samplers.samplerParameteri(name, GL_TEXTURE_MIN_FILTER, magnification);
    samplers.samplerParameteri(name, GL_TEXTURE_MAG_FILTER, magnification);
    samplers.samplerParameteri(name, GL_TEXTURE_WRAP_S, wrap[0]);
    samplers.samplerParameteri(name, GL_TEXTURE_WRAP_T, wrap[1]);
    samplers.bindSampler(unit, name);
}

void ReleaseSamplers() {
    if (samplers.Ready()) {
        for (int unit = 0; unit < LayerSum::kMaxTextures; ++unit) {
            samplers.bindSampler(unit, 0);
        }
    }
}

// Draws the layer's rectangle once, unzoomed, with the texture coordinates
// of its corners, in the order Layer2D::Draw uses.
void DrawQuad(const Layer2D& layer) {
    glLoadIdentity();
    glTranslatef(layer.centerX, layer.centerY, 0.0f);
    glBegin(GL_QUADS);
    glTexCoord2fv(layer.texCoords[0]);
    glVertex2f(layer.x0 - layer.centerX, layer.y0 - layer.centerY);
    glTexCoord2fv(layer.texCoords[2]);
    glVertex2f(layer.x0 - layer.centerX, layer.y1 - layer.centerY);
    glTexCoord2fv(layer.texCoords[3]);
    glVertex2f(layer.x1 - layer.centerX, layer.y1 - layer.centerY);
    glTexCoord2fv(layer.texCoords[1]);
    glVertex2f(layer.x1 - layer.centerX, layer.y0 - layer.centerY);
    glEnd();
}

}  // namespace

void LayerSum::SetEnabled(bool on) { enabled = on; }

bool LayerSum::IsEnabled() { return enabled; }

bool LayerSum::IsAvailable() { return ProgramFor(1, 2) != nullptr; }

bool LayerSum::Draw(const Copy* copies, int count, float viewWidth, float viewHeight) {
    int firstCopies = 0;
    if (!CanSum(copies, count, viewWidth, viewHeight, firstCopies) || !HasEightBitColour()) {
        return false;
    }
    const SumProgram* sum = ProgramFor(firstCopies, count);
    if (sum == nullptr) {
        return false;
    }
    const Layer2D& base = *copies[0].layer;
    GLfloat weights[kMaxCopies] = {};
    GLfloat zooms[kMaxCopies] = {};
    for (int k = 0; k < count; ++k) {
        // A drawing colour outside 0 to 1 is clamped, as glColor's is.
        weights[k] = std::fmin(std::fmax(copies[k].alpha, 0.0f), 1.0f);
        zooms[k] = 1.0f / copies[k].scale;
    }
    const Layer2D& second = *copies[firstCopies < count ? firstCopies : 0].layer;

    // The texture of unit 1 belongs to whoever drew before (a scene's second
    // map); it is given back as it was.
    GLint keptSecondUnitTexture = 0;
    float smallest[kMaxTextures] = {copies[0].scale, copies[firstCopies < count ? firstCopies : 0].scale};
    for (int k = 0; k < count; ++k) {
        float& scale = smallest[k < firstCopies ? 0 : 1];
        scale = std::fmin(scale, copies[k].scale);
    }
    glActiveTextureARB(GL_TEXTURE1_ARB);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &keptSecondUnitTexture);
    glDisable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, second.texture.texture);
    ChooseSampler(1, second, smallest[1], viewWidth, viewHeight);
    glActiveTextureARB(GL_TEXTURE0_ARB);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, base.texture.texture);
    ChooseSampler(0, base, smallest[0], viewWidth, viewHeight);

    gl.useProgram(sum->program);
    gl.uniform1i(sum->firstTexture, 0);
    gl.uniform1i(sum->secondTexture, 1);
    gl.uniform1fv(sum->weight, count, weights);
    gl.uniform1fv(sum->zoom, count, zooms);
    // The texture coordinate at the pivot, about which every copy zooms.
    gl.uniform2f(sum->pivot, (base.texCoords[0][0] + base.texCoords[3][0]) / 2.0f,
                 (base.texCoords[0][1] + base.texCoords[3][1]) / 2.0f);

    glEnable(GL_BLEND);
    Layer2D::SetBlendFactors(0);
    Layer2D::SetFlatState();
    DrawQuad(base);
    gl.useProgram(0);
    ReleaseSamplers();

    // What the last copy drawn by Layer2D::Draw would leave, its zoomed
    // view included.
    const LayerSum::Copy& last = copies[count - 1];
    glLoadIdentity();
    glTranslatef(last.layer->centerX, last.layer->centerY, 0.0f);
    glRotatef(last.layer->angle, 0.0f, 0.0f, 1.0f);
    glScalef(last.scale, last.scale, 1.0f);
    glActiveTextureARB(GL_TEXTURE1_ARB);
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(keptSecondUnitTexture));
    glActiveTextureARB(GL_TEXTURE0_ARB);
    glBindTexture(GL_TEXTURE_2D, last.layer->texture.texture);
    glColor4f(last.alpha, last.alpha, last.alpha, last.alpha);
    glEnable(GL_CULL_FACE);
    glEnable(GL_DEPTH_TEST);
    glDepthMask(GL_TRUE);
    return true;
}
