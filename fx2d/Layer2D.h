// One textured rectangle drawn in window pixels over the 3D picture: a
// background, a board, an overlay, a picture of a pixel buffer, the loading
// screen or a console panel. Each layer has its own alpha, blend mode, pivot,
// scale and texture coordinates, and a small animation program of move and
// fade steps advanced one tick at a time by its own timer, plus an optional
// horizontal scroll of its texture.
#ifndef HALVENOR_FX2D_LAYER2D_H
#define HALVENOR_FX2D_LAYER2D_H

#include <cstdint>
#include <memory>

#include "core/Timer.h"
#include "fx2d/LayerStep.h"
#include "fx2d/ShaderClock.h"
#include "scene/TextureMap.h"

class ShaderLayer;

class Layer2D {
public:
    static constexpr int kMaxSteps = 30;
    static constexpr int kNameSize = 255;
    // Blend mode of an overlay, drawn after the blur pass.
    static constexpr int kOverlayMode = 7;
    // From this mode on, blending is off.
    static constexpr int kOpaqueModes = 90;

    enum Type { kBoard = 1, kBackground = 2, kOverlay = 3, kPixelBuffer = 4, kShader = 5 };

    Layer2D();

    // Geometry, blend mode and alpha of a layer type on a display of the
    // given size; types 1 to 3 load their image from fileName. Any other
    // type keeps the defaults and loads nothing.
    void SetUp(int type, const char* fileName, uint32_t displayWidth, uint32_t displayHeight);

    void LoadTexture(const char* path);
    void SetTexture(const TextureMap& map) { texture = map; }
    void SetName(const char* text);
    const char* Name() const { return name; }

    void MoveTo(float x, float y);
    void Translate(float dx, float dy);
    // False, with nothing added, when the 30 steps of the kind are taken.
    bool AddMoveStep(float targetX, float targetY, float ticks);
    bool AddFadeStep(float from, float to, float ticks);
    void SetTickInterval(float milliseconds) { tickInterval = milliseconds; }
    void SetMapScroll(float amount) { mapScroll = amount; }
    void ScaleTexCoords(float su, float sv);
    void SetVisible(bool flag) { visible = flag; }
    bool IsVisible() const { return visible; }

    // The blend factors of a blend mode of the table layers and particle
    // systems share (0 to 10); any other mode keeps the factors in force.
    static void SetBlendFactors(int32_t mode);
    // What a 2D picture is drawn with, whatever a scene left on: no face
    // culling, depth test or depth writes, generated texture coordinates,
    // lighting or fog.
    static void SetFlatState();

    bool IsAnimated() const;
    void ResetAnimation();
    void Draw();
    // One tick of the animation program when its interval has passed, then
    // the layer drawn, unless the program has run out. Without render the
    // layer's state moves on exactly as drawn, with nothing drawn.
    void Animate(bool render = true);
    // What Draw does to the layer's state (shake, spin, growth), without
    // drawing.
    void Advance();

    TextureMap texture;
    LayerStep steps[kMaxSteps];
    uint32_t moveStepCount;
    uint32_t fadeStepCount;
    uint32_t moveStepIndex;
    uint32_t fadeStepIndex;
    float tickInterval;
    Timer timer;
    bool started;
    float moveTicksLeft;
    float fadeTicksLeft;
    char name[kNameSize];
    bool visible;
    float x0;
    float x1;
    float y0;
    float y1;
    float centerX;
    float centerY;
    float scaleX;
    float scaleY;
    float alpha;
    int8_t blendMode;
    float texCoords[4][2];
    float rotationSpeed;
    float scaleSpeed;
    float mapScroll;
    float angle;
    float shakeAmplitude;
    // A layer drawn by a fragment shader (type kShader): the program, shared
    // by the copies of the layer's state; null for every other layer.
    std::shared_ptr<ShaderLayer> shader;
    ShaderClock shaderClock;
    // What sync tracks hold the layer at (not a number: nothing holds it):
    // its alpha and its corner (x0, y1). Each tick of the fade and move
    // steps is followed by these, so a track wins over the steps.
    float heldAlpha;
    float heldLeft;
    float heldTop;

private:
    void SetRectangle(float left, float bottom, float right, float top);
    void Begin();
    void Tick();
    void StepMove();
    void StepFade();
    bool HasRunOut() const;
    void ApplyBlendMode() const;
    void ShakeOffsets(int& dx, int& dy) const;
    void MoveOn(int& dx, int& dy);
    void DrawGhost(bool render);
    void KeepHeld();
};

#endif
