// The program of a shader layer: a fragment shader from the show (Shadertoy's
// mainImage or the live-coding tool's main, see ShaderSource) drawn over the
// layer's rectangle, with the uniforms both conventions expect and four
// channels (an image, a pixel buffer's picture, the layer's own last picture
// or the music as Shadertoy's 512 x 2 texture).
//
// The layer itself (Layer2D) keeps its geometry, alpha, blend mode, fades and
// moves; its Draw asks this program to bind itself before the rectangle is
// drawn (BeginDraw) and to step aside after (EndDraw). A layer that reads
// its own last picture draws its shader into a picture of its own first and
// then shows that picture as a textured layer, so what it reads back is its
// shader's output, whatever it is blended with.
//
// Every input is a function of the picture's music time (ShaderInputs) and
// of the pictures counted in the layer's own state: a picture drawn at a
// music time is the same in the player, a capture and after a seek.
#ifndef HALVENOR_FX2D_SHADERLAYER_H
#define HALVENOR_FX2D_SHADERLAYER_H

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "fx2d/ShaderClock.h"
#include "fx2d/ShaderInputs.h"
#include "fx2d/ShaderSource.h"

class Layer2D;

class ShaderLayer {
public:
    static constexpr int kChannels = 4;
    // Shadertoy's music texture: spectrum row and waveform row.
    static constexpr int kMusicWidth = 512;

    enum class Channel { None, Image, PixelBuffer, Previous, Music };

    explicit ShaderLayer(std::shared_ptr<ShaderInputs> inputs);
    ~ShaderLayer();
    ShaderLayer(const ShaderLayer&) = delete;
    ShaderLayer& operator=(const ShaderLayer&) = delete;

    // Reads and compiles the file (the window's context current). On failure
    // Errors() holds "file:LINE: error: ..." lines and the program drawn so
    // far, if any, stays: a layer that never compiled is not drawn.
    bool Load(const char* fileName);
    // The same file again (edited and saved).
    bool Reload() { return Load(fileName.c_str()); }
    const std::vector<std::string>& Errors() const { return errors; }
    const std::string& FileName() const { return fileName; }
    bool HasProgram() const { return program != 0; }
    // What the layer asks for its inputs; shared by the show's shader layers.
    const std::shared_ptr<ShaderInputs>& Inputs() const { return inputs; }

    // Channel n (0 to 3) shows texture, of the size given, or the layer's
    // last picture, or the music. False when n is outside 0 to 3.
    bool SetChannel(int n, Channel kind, uint32_t texture = 0, int width = 0, int height = 0);
    Channel ChannelKind(int n) const;

    // The layer's texture coordinates made 0..1 from its lower left corner.
    static void SetPixelCoordinates(Layer2D& layer);

    // The value of a float uniform the shader's file declares itself
    // (ShaderSource::OwnFloatUniforms), which a sync track sets; sent with
    // the other inputs at every draw, 0 until something sets it. Null for a
    // name the file does not declare so. The value stays in one place for
    // the layer's life, through reloads of its file.
    float* FloatUniform(const std::string& name);
    // The names of those uniforms, in the file's order.
    const std::vector<std::string>& OwnFloatUniforms() const { return ownNames; }

    // Layer2D's hooks. BeginDraw answers false when there is nothing to draw.
    bool BeginDraw(Layer2D& layer);
    void EndDraw(Layer2D& layer);
    void Advance(Layer2D& layer);

    // Compiles and links a source into a program of the current context;
    // 0, with the author's lines in messages, when the driver refuses it.
    static uint32_t Compile(const ShaderSource& source, std::vector<std::string>& messages);

private:
    struct Locations;
    void FindLocations();
    bool NeedsOwnPicture() const;
    void DrawOwnPicture(const Layer2D& layer);
    void BindInputs(float width, float height, const ShaderClock& clock);
    void UploadMusic();
    void EnsurePictures(int width, int height);
    uint32_t ChannelTexture(int n) const;

    std::shared_ptr<ShaderInputs> inputs;
    std::string fileName;
    std::vector<std::string> errors;
    uint32_t program = 0;
    std::unique_ptr<Locations> at;
    Channel channelKinds[kChannels] = {};
    uint32_t channelTextures[kChannels] = {};
    float channelSizes[kChannels][3] = {};
    // The music's textures, the generated noise and checker, and the two
    // pictures a layer that reads its own last picture draws in turn.
    uint32_t fftTextures[3] = {};
    uint32_t musicTexture = 0;
    uint32_t noiseTexture = 0;
    uint32_t checkerTexture = 0;
    uint32_t pictures[2] = {};
    int pictureWidth = 0;
    int pictureHeight = 0;
    int current = 0;
    double ownPictureTime = -1.0;
    uint32_t ownPictureFrames = 0;
    // The file's own float uniforms: value and location (-1 when the program
    // has none, or no longer declares it).
    struct OwnUniform {
        float value = 0.0f;
        int32_t location = -1;
    };
    std::map<std::string, OwnUniform> ownUniforms;
    std::vector<std::string> ownNames;
};

#endif
