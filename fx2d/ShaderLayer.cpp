#include "fx2d/ShaderLayer.h"

#include <algorithm>
#include <cmath>

#include "fx2d/Layer2D.h"
#include "glext/GlShaderCalls.h"

namespace {

// Texture units: the engine's own drawing uses units 0 and 1, so the
// program's textures start above them and nothing has to be given back.
constexpr int kChannelUnit = 2;  // 2 to 5: iChannel0..3 (and texTex1..4)
constexpr int kFftUnit = 6;      // 6 to 8: texFFT, texFFTSmoothed, texFFTIntegrated
constexpr int kPreviousUnit = 9;
constexpr int kNoiseUnit = 10;
constexpr int kCheckerUnit = 11;
constexpr int kNoiseSize = 256;
constexpr int kCheckerSize = 8;
constexpr int kLargestPicture = 4096;
// What iFrameRate says before a second picture gives a step.
constexpr float kPictureRate = 60.0f;

const char* const kChannelNames[ShaderLayer::kChannels] = {"iChannel0", "iChannel1", "iChannel2", "iChannel3"};
const char* const kTexNames[ShaderLayer::kChannels] = {"texTex1", "texTex2", "texTex3", "texTex4"};
const char* const kFftNames[3] = {"texFFT", "texFFTSmoothed", "texFFTIntegrated"};

GLuint CompileStage(const GlShaderCalls& gl, GLenum type, const std::string& text, std::string& log) {
    const GLuint shader = gl.createShader(type);
    const GLchar* pointer = text.c_str();
    const GLint length = static_cast<GLint>(text.size());
    gl.shaderSource(shader, 1, &pointer, &length);
    gl.compileShader(shader);
    GLint compiled = GL_FALSE;
    gl.getShaderiv(shader, GL_COMPILE_STATUS, &compiled);
    GLint size = 0;
    gl.getShaderiv(shader, GL_INFO_LOG_LENGTH, &size);
    log.assign(static_cast<size_t>(std::max(size, 1)), '\0');
    gl.getShaderInfoLog(shader, static_cast<GLsizei>(log.size()), nullptr, &log[0]);
    log.resize(log.find('\0') == std::string::npos ? log.size() : log.find('\0'));
    if (compiled != GL_TRUE) {
        gl.deleteShader(shader);
        return 0;
    }
    return shader;
}

std::string ProgramLog(const GlShaderCalls& gl, GLuint program) {
    GLint size = 0;
    gl.getProgramiv(program, GL_INFO_LOG_LENGTH, &size);
    std::string log(static_cast<size_t>(std::max(size, 1)), '\0');
    gl.getProgramInfoLog(program, static_cast<GLsizei>(log.size()), nullptr, &log[0]);
    log.resize(log.find('\0') == std::string::npos ? log.size() : log.find('\0'));
    return log;
}

GLuint MakeTexture(GLenum target, GLint filter, GLint wrap) {
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(target, texture);
    glTexParameteri(target, GL_TEXTURE_MIN_FILTER, filter);
    glTexParameteri(target, GL_TEXTURE_MAG_FILTER, filter);
    glTexParameteri(target, GL_TEXTURE_WRAP_S, wrap);
    if (target == GL_TEXTURE_2D) {
        glTexParameteri(target, GL_TEXTURE_WRAP_T, wrap);
    }
    return texture;
}

// The same noise in every run: a fixed sequence, four independent channels.
GLuint MakeNoise() {
    std::vector<uint8_t> texels(static_cast<size_t>(kNoiseSize) * kNoiseSize * 4);
    uint32_t state = 0x2545F491u;
    for (uint8_t& texel : texels) {
        state = state * 1664525u + 1013904223u;
        texel = static_cast<uint8_t>(state >> 24);
    }
    const GLuint texture = MakeTexture(GL_TEXTURE_2D, GL_LINEAR, GL_REPEAT);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, kNoiseSize, kNoiseSize, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    return texture;
}

GLuint MakeChecker() {
    std::vector<uint8_t> texels(static_cast<size_t>(kCheckerSize) * kCheckerSize * 4);
    for (int y = 0; y < kCheckerSize; ++y) {
        for (int x = 0; x < kCheckerSize; ++x) {
            const uint8_t level = ((x + y) % 2) != 0 ? 255 : 0;
            uint8_t* texel = &texels[static_cast<size_t>(y * kCheckerSize + x) * 4];
            texel[0] = texel[1] = texel[2] = level;
            texel[3] = 255;
        }
    }
    const GLuint texture = MakeTexture(GL_TEXTURE_2D, GL_NEAREST, GL_REPEAT);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, kCheckerSize, kCheckerSize, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                 texels.data());
    return texture;
}

void BindUnit(const GlShaderCalls& gl, int unit, GLenum target, GLuint texture) {
    gl.activeTexture(static_cast<GLenum>(GL_TEXTURE0 + unit));
    glBindTexture(target, texture);
}

}  // namespace

struct ShaderLayer::Locations {
    GLint size = -1;
    GLint resolution = -1;
    GLint time = -1;
    GLint timeDelta = -1;
    GLint frameRate = -1;
    GLint frame = -1;
    GLint date = -1;
    GLint mouse = -1;
    GLint sampleRate = -1;
    GLint channelTime = -1;
    GLint channelResolution = -1;
    GLint channels[kChannels] = {-1, -1, -1, -1};
    GLint tex[kChannels] = {-1, -1, -1, -1};
    GLint globalTime = -1;
    GLint frameTime = -1;
    GLint viewSize = -1;
    GLint fft[3] = {-1, -1, -1};
    GLint previousFrame = -1;
    GLint noise = -1;
    GLint checker = -1;
};

ShaderLayer::ShaderLayer(std::shared_ptr<ShaderInputs> shaderInputs)
    : inputs(std::move(shaderInputs)), at(new Locations()) {}

ShaderLayer::~ShaderLayer() {
    const GlShaderCalls* gl = GlShaderCalls::Get();
    if (gl != nullptr && program != 0) {
        gl->deleteProgram(program);
    }
    GLuint textures[] = {fftTextures[0], fftTextures[1], fftTextures[2], musicTexture, noiseTexture,
                         checkerTexture, pictures[0], pictures[1]};
    for (GLuint texture : textures) {
        if (texture != 0) {
            glDeleteTextures(1, &texture);
        }
    }
}

uint32_t ShaderLayer::Compile(const ShaderSource& source, std::vector<std::string>& messages) {
    const GlShaderCalls* gl = GlShaderCalls::Get();
    if (gl == nullptr) {
        messages.push_back(source.FileName() + ": error: the OpenGL driver cannot run shaders (it lacks " +
                           GlShaderCalls::Missing() + ")");
        return 0;
    }
    std::string log;
    const GLuint vertex = CompileStage(*gl, GL_VERTEX_SHADER, ShaderSource::Vertex(), log);
    if (vertex == 0) {
        messages.push_back(source.FileName() + ": error: the driver refuses the engine's vertex stage: " + log);
        return 0;
    }
    const GLuint fragment = CompileStage(*gl, GL_FRAGMENT_SHADER, source.Fragment(), log);
    if (fragment == 0) {
        gl->deleteShader(vertex);
        messages = source.AuthorMessages(log);
        if (messages.empty()) {
            messages.push_back(source.FileName() + ": error: the driver refuses the shader and says nothing more");
        }
        return 0;
    }
    const GLuint program = gl->createProgram();
    gl->attachShader(program, vertex);
    gl->attachShader(program, fragment);
    gl->linkProgram(program);
    // The program keeps its stages for as long as it lives.
    gl->deleteShader(vertex);
    gl->deleteShader(fragment);
    GLint linked = GL_FALSE;
    gl->getProgramiv(program, GL_LINK_STATUS, &linked);
    if (linked != GL_TRUE) {
        messages = source.AuthorMessages(ProgramLog(*gl, program));
        if (messages.empty()) {
            messages.push_back(source.FileName() + ": error: the driver cannot link the shader");
        }
        gl->deleteProgram(program);
        return 0;
    }
    return program;
}

bool ShaderLayer::Load(const char* name) {
    fileName = name != nullptr ? name : "";
    errors.clear();
    ShaderSource source;
    if (!source.Load(fileName.c_str())) {
        errors = source.Errors();
        return false;
    }
    const GLuint fresh = Compile(source, errors);
    if (fresh == 0) {
        return false;
    }
    const GlShaderCalls* gl = GlShaderCalls::Get();
    if (program != 0) {
        gl->deleteProgram(program);
    }
    program = fresh;
    FindLocations();
    // A uniform the file no longer declares keeps its value for a later save
    // that declares it again.
    for (auto& own : ownUniforms) {
        own.second.location = -1;
    }
    ownNames = source.OwnFloats();
    for (const std::string& name : ownNames) {
        ownUniforms[name].location = gl->getUniformLocation(program, name.c_str());
    }
    return true;
}

float* ShaderLayer::FloatUniform(const std::string& name) {
    const auto found = ownUniforms.find(name);
    return found != ownUniforms.end() ? &found->second.value : nullptr;
}

void ShaderLayer::FindLocations() {
    const GlShaderCalls& gl = *GlShaderCalls::Get();
    auto find = [&](const char* name) { return gl.getUniformLocation(program, name); };
    Locations& l = *at;
    l.size = find("halvenorSize");
    l.resolution = find("iResolution");
    l.time = find("iTime");
    l.timeDelta = find("iTimeDelta");
    l.frameRate = find("iFrameRate");
    l.frame = find("iFrame");
    l.date = find("iDate");
    l.mouse = find("iMouse");
    l.sampleRate = find("iSampleRate");
    l.channelTime = find("iChannelTime");
    l.channelResolution = find("iChannelResolution");
    for (int n = 0; n < kChannels; ++n) {
        l.channels[n] = find(kChannelNames[n]);
        l.tex[n] = find(kTexNames[n]);
    }
    l.globalTime = find("fGlobalTime");
    l.frameTime = find("fFrameTime");
    l.viewSize = find("v2Resolution");
    for (int i = 0; i < 3; ++i) {
        l.fft[i] = find(kFftNames[i]);
    }
    l.previousFrame = find("texPreviousFrame");
    l.noise = find("texNoise");
    l.checker = find("texChecker");
    // Samplers read fixed units, set once.
    gl.useProgram(program);
    for (int n = 0; n < kChannels; ++n) {
        gl.uniform1i(l.channels[n], kChannelUnit + n);
        gl.uniform1i(l.tex[n], kChannelUnit + n);
    }
    for (int i = 0; i < 3; ++i) {
        gl.uniform1i(l.fft[i], kFftUnit + i);
    }
    gl.uniform1i(l.previousFrame, kPreviousUnit);
    gl.uniform1i(l.noise, kNoiseUnit);
    gl.uniform1i(l.checker, kCheckerUnit);
    gl.useProgram(0);
}

bool ShaderLayer::SetChannel(int n, Channel kind, uint32_t texture, int width, int height) {
    if (n < 0 || n >= kChannels) {
        return false;
    }
    channelKinds[n] = kind;
    channelTextures[n] = texture;
    channelSizes[n][0] = static_cast<float>(width);
    channelSizes[n][1] = static_cast<float>(height);
    channelSizes[n][2] = 1.0f;
    if (kind == Channel::Music) {
        channelSizes[n][0] = static_cast<float>(kMusicWidth);
        channelSizes[n][1] = 2.0f;
    }
    return true;
}

ShaderLayer::Channel ShaderLayer::ChannelKind(int n) const {
    return n >= 0 && n < kChannels ? channelKinds[n] : Channel::None;
}

void ShaderLayer::SetPixelCoordinates(Layer2D& layer) {
    // Corners (x0, y0), (x1, y0), (x0, y1), (x1, y1).
    const float corners[4][2] = {{0.0f, 0.0f}, {1.0f, 0.0f}, {0.0f, 1.0f}, {1.0f, 1.0f}};
    for (int corner = 0; corner < 4; ++corner) {
        layer.texCoords[corner][0] = corners[corner][0];
        layer.texCoords[corner][1] = corners[corner][1];
    }
}

bool ShaderLayer::NeedsOwnPicture() const {
    if (at->previousFrame != -1) {
        return true;
    }
    for (const Channel kind : channelKinds) {
        if (kind == Channel::Previous) {
            return true;
        }
    }
    return false;
}

void ShaderLayer::Advance(Layer2D& layer) { layer.shaderClock.Tick(inputs->PictureTime()); }

bool ShaderLayer::BeginDraw(Layer2D& layer) {
    const GlShaderCalls* gl = GlShaderCalls::Get();
    if (program == 0 || gl == nullptr) {
        return false;
    }
    layer.shaderClock.Tick(inputs->PictureTime());
    if (NeedsOwnPicture()) {
        DrawOwnPicture(layer);
        // Shown as the layer's texture, with the layer's alpha and blending.
        gl->activeTexture(GL_TEXTURE0);
        glBindTexture(GL_TEXTURE_2D, pictures[current]);
        return true;
    }
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    BindInputs(static_cast<float>(viewport[2]), static_cast<float>(viewport[3]), layer.shaderClock);
    return true;
}

void ShaderLayer::EndDraw(Layer2D& /*layer*/) {
    const GlShaderCalls* gl = GlShaderCalls::Get();
    if (gl != nullptr) {
        gl->useProgram(0);
        gl->activeTexture(GL_TEXTURE0);
    }
}

void ShaderLayer::EnsurePictures(int width, int height) {
    if (pictures[0] != 0 && width == pictureWidth && height == pictureHeight) {
        return;
    }
    // Both start black: the first picture reads a black last one.
    const std::vector<uint8_t> black(static_cast<size_t>(width) * height * 4, 0);
    for (GLuint& picture : pictures) {
        if (picture == 0) {
            picture = MakeTexture(GL_TEXTURE_2D, GL_LINEAR, GL_CLAMP_TO_EDGE);
        }
        glBindTexture(GL_TEXTURE_2D, picture);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, black.data());
    }
    pictureWidth = width;
    pictureHeight = height;
}

// The shader drawn into the next of the two pictures, reading the other as
// its last one; once a picture (a second draw of the same picture, as a
// shaking layer's ghost, shows it again). A framebuffer object belongs to
// one context, and the frame may be drawn in the window's or a pixel
// buffer's: one is made for the draw and deleted after it.
void ShaderLayer::DrawOwnPicture(const Layer2D& layer) {
    const GlShaderCalls& gl = *GlShaderCalls::Get();
    const int width = std::clamp(static_cast<int>(std::lround(std::fabs(layer.x1 - layer.x0))), 1, kLargestPicture);
    const int height = std::clamp(static_cast<int>(std::lround(std::fabs(layer.y1 - layer.y0))), 1, kLargestPicture);
    EnsurePictures(width, height);
    const ShaderClock& clock = layer.shaderClock;
    if (ownPictureTime == clock.lastTime && ownPictureFrames == clock.frames) {
        return;
    }
    ownPictureTime = clock.lastTime;
    ownPictureFrames = clock.frames;
    current = 1 - current;

    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    GLint keptFramebuffer = 0;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &keptFramebuffer);
    GLuint framebuffer = 0;
    gl.genFramebuffers(1, &framebuffer);
    gl.bindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    gl.framebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, pictures[current], 0);
    if (gl.checkFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE) {
        glViewport(0, 0, width, height);
        glMatrixMode(GL_PROJECTION);
        glPushMatrix();
        glLoadIdentity();
        glOrtho(0.0, width, 0.0, height, -1.0, 1.0);
        glMatrixMode(GL_MODELVIEW);
        glPushMatrix();
        glLoadIdentity();
        Layer2D::SetFlatState();
        glDisable(GL_BLEND);
        BindInputs(static_cast<float>(width), static_cast<float>(height), clock);
        glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
        glBegin(GL_QUADS);
        glTexCoord2f(0.0f, 0.0f);
        glVertex2f(0.0f, 0.0f);
        glTexCoord2f(1.0f, 0.0f);
        glVertex2f(static_cast<float>(width), 0.0f);
        glTexCoord2f(1.0f, 1.0f);
        glVertex2f(static_cast<float>(width), static_cast<float>(height));
        glTexCoord2f(0.0f, 1.0f);
        glVertex2f(0.0f, static_cast<float>(height));
        glEnd();
        gl.useProgram(0);
        glPopMatrix();
        glMatrixMode(GL_PROJECTION);
        glPopMatrix();
        glMatrixMode(GL_MODELVIEW);
    }
    gl.bindFramebuffer(GL_FRAMEBUFFER, static_cast<GLuint>(keptFramebuffer));
    gl.deleteFramebuffers(1, &framebuffer);
    glViewport(viewport[0], viewport[1], viewport[2], viewport[3]);
}

uint32_t ShaderLayer::ChannelTexture(int n) const {
    switch (channelKinds[n]) {
        case Channel::Image:
        case Channel::PixelBuffer:
            return channelTextures[n];
        case Channel::Previous:
            return pictures[1 - current];
        case Channel::Music:
            return musicTexture;
        default:
            return 0;
    }
}

void ShaderLayer::BindInputs(float width, float height, const ShaderClock& clock) {
    const GlShaderCalls& gl = *GlShaderCalls::Get();
    const Locations& l = *at;
    gl.useProgram(program);
    const float time = static_cast<float>(clock.lastTime);
    const float delta = static_cast<float>(clock.delta);
    gl.uniform2f(l.size, width, height);
    gl.uniform3f(l.resolution, width, height, 1.0f);
    gl.uniform2f(l.viewSize, width, height);
    gl.uniform1f(l.time, time);
    gl.uniform1f(l.globalTime, time);
    gl.uniform1f(l.timeDelta, delta);
    gl.uniform1f(l.frameTime, delta);
    gl.uniform1f(l.frameRate, delta > 0.0f ? 1.0f / delta : kPictureRate);
    gl.uniform1i(l.frame, static_cast<GLint>(clock.frames));
    // No calendar: the picture is a function of the music time alone, which
    // stands for the time of day.
    gl.uniform4f(l.date, 0.0f, 0.0f, 0.0f, time);
    gl.uniform4f(l.mouse, 0.0f, 0.0f, 0.0f, 0.0f);
    if (l.sampleRate != -1) {
        gl.uniform1f(l.sampleRate, static_cast<float>(inputs->SampleRate()));
    }
    const float times[kChannels] = {time, time, time, time};
    gl.uniform1fv(l.channelTime, kChannels, times);
    float sizes[kChannels][3];
    for (int n = 0; n < kChannels; ++n) {
        const bool previous = channelKinds[n] == Channel::Previous;
        sizes[n][0] = previous ? static_cast<float>(pictureWidth) : channelSizes[n][0];
        sizes[n][1] = previous ? static_cast<float>(pictureHeight) : channelSizes[n][1];
        sizes[n][2] = 1.0f;
    }
    gl.uniform3fv(l.channelResolution, kChannels, &sizes[0][0]);
    for (const auto& own : ownUniforms) {
        if (own.second.location != -1) {
            gl.uniform1f(own.second.location, own.second.value);
        }
    }

    UploadMusic();
    for (int n = 0; n < kChannels; ++n) {
        if (l.channels[n] != -1 || l.tex[n] != -1) {
            BindUnit(gl, kChannelUnit + n, GL_TEXTURE_2D, ChannelTexture(n));
        }
    }
    for (int i = 0; i < 3; ++i) {
        if (l.fft[i] != -1) {
            BindUnit(gl, kFftUnit + i, GL_TEXTURE_1D, fftTextures[i]);
        }
    }
    if (l.previousFrame != -1) {
        BindUnit(gl, kPreviousUnit, GL_TEXTURE_2D, pictures[1 - current]);
    }
    if (l.noise != -1) {
        if (noiseTexture == 0) {
            gl.activeTexture(GL_TEXTURE0 + kNoiseUnit);
            noiseTexture = MakeNoise();
        }
        BindUnit(gl, kNoiseUnit, GL_TEXTURE_2D, noiseTexture);
    }
    if (l.checker != -1) {
        if (checkerTexture == 0) {
            gl.activeTexture(GL_TEXTURE0 + kCheckerUnit);
            checkerTexture = MakeChecker();
        }
        BindUnit(gl, kCheckerUnit, GL_TEXTURE_2D, checkerTexture);
    }
    gl.activeTexture(GL_TEXTURE0);
}

// The music's textures, filled for this picture with the parts the program
// reads: nothing is analysed for a program that reads no music.
void ShaderLayer::UploadMusic() {
    const Locations& l = *at;
    bool musicChannel = false;
    for (const Channel kind : channelKinds) {
        musicChannel = musicChannel || kind == Channel::Music;
    }
    unsigned parts = 0;
    parts |= l.fft[0] != -1 ? ShaderInputs::kSpectrum : 0u;
    parts |= l.fft[1] != -1 || musicChannel ? ShaderInputs::kSmoothed : 0u;
    parts |= l.fft[2] != -1 ? ShaderInputs::kIntegrated : 0u;
    parts |= musicChannel ? ShaderInputs::kWaveform : 0u;
    if (parts == 0) {
        return;
    }
    const GlShaderCalls& gl = *GlShaderCalls::Get();
    const ShaderInputs::Music music = inputs->MusicAtPicture(parts);
    const float* rows[3] = {music.spectrum, music.smoothed, music.integrated};
    gl.activeTexture(GL_TEXTURE0 + kFftUnit);
    for (int i = 0; i < 3; ++i) {
        if (l.fft[i] == -1) {
            continue;
        }
        if (fftTextures[i] == 0) {
            fftTextures[i] = MakeTexture(GL_TEXTURE_1D, GL_LINEAR, GL_CLAMP_TO_EDGE);
            glTexImage1D(GL_TEXTURE_1D, 0, GL_R32F, ShaderInputs::kBins, 0, GL_RED, GL_FLOAT, nullptr);
        }
        glBindTexture(GL_TEXTURE_1D, fftTextures[i]);
        glTexSubImage1D(GL_TEXTURE_1D, 0, 0, ShaderInputs::kBins, GL_RED, GL_FLOAT, rows[i]);
    }
    if (musicChannel) {
        float texels[2][kMusicWidth];
        for (int x = 0; x < kMusicWidth; ++x) {
            texels[0][x] = music.shadertoy[x];
            texels[1][x] = std::clamp(0.5f + 0.5f * music.waveform[x], 0.0f, 1.0f);
        }
        if (musicTexture == 0) {
            musicTexture = MakeTexture(GL_TEXTURE_2D, GL_LINEAR, GL_CLAMP_TO_EDGE);
            glTexImage2D(GL_TEXTURE_2D, 0, GL_R32F, kMusicWidth, 2, 0, GL_RED, GL_FLOAT, nullptr);
        }
        glBindTexture(GL_TEXTURE_2D, musicTexture);
        glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, kMusicWidth, 2, GL_RED, GL_FLOAT, texels);
    }
}
