#include "fx2d/Layer2D.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "fx2d/ShaderLayer.h"
#include "glext/GlExtensions.h"
#include "platform/Random.h"

namespace {

// Texture coordinates of the corners (x0, y0), (x1, y0), (x0, y1), (x1, y1):
// the picture upright when y0 is the lower edge.
constexpr float kDefaultTexCoords[4][2] = {{0.0f, 1.0f}, {1.0f, 1.0f}, {0.0f, 0.0f}, {1.0f, 0.0f}};

struct BlendFactors {
    GLenum source;
    GLenum destination;
};

// Blend modes 0 to 10, shared with the particle systems. A driver that
// refuses the destination factor of mode 5 keeps the previous pair.
constexpr BlendFactors kBlendModes[] = {
    {GL_ONE, GL_ONE},
    {GL_SRC_ALPHA, GL_ONE},
    {GL_SRC_ALPHA, GL_ONE_MINUS_DST_COLOR},
    {GL_ONE, GL_DST_COLOR},
    {GL_ONE_MINUS_DST_COLOR, GL_DST_COLOR},
    {GL_ONE, GL_SRC_ALPHA_SATURATE},
    {GL_ONE, GL_ONE_MINUS_SRC_ALPHA},
    {GL_DST_COLOR, GL_SRC_COLOR},
    {GL_DST_COLOR, GL_ZERO},
    {GL_SRC_COLOR, GL_ONE_MINUS_SRC_COLOR},
    {GL_SRC_ALPHA_SATURATE, GL_ZERO},
};
constexpr int kBlendModeCount = sizeof kBlendModes / sizeof kBlendModes[0];

// Fixed panel of a BOARD layer, in pixels from the left and from the top.
constexpr float kBoardLeft = 20.0f;
constexpr float kBoardRight = 532.0f;
constexpr float kBoardTopFromTop = 150.0f;
constexpr float kBoardBottomFromTop = 278.0f;

// The ghost of a shaking layer: larger and fainter.
constexpr float kGhostScale = 1.3f;
constexpr float kGhostAlphaDivisor = 4.0f;

}  // namespace

Layer2D::Layer2D()
    : texture(),
      steps(),
      moveStepCount(0),
      fadeStepCount(0),
      moveStepIndex(0),
      fadeStepIndex(0),
      tickInterval(0.0f),
      timer(),
      started(false),
      moveTicksLeft(0.0f),
      fadeTicksLeft(0.0f),
      name(),
      visible(false),
      x0(0.0f),
      x1(0.0f),
      y0(0.0f),
      y1(0.0f),
      centerX(0.0f),
      centerY(0.0f),
      scaleX(1.0f),
      scaleY(1.0f),
      alpha(1.0f),
      blendMode(1),
      texCoords(),
      rotationSpeed(0.0f),
      scaleSpeed(0.0f),
      mapScroll(0.0f),
      angle(0.0f),
      shakeAmplitude(0.0f),
      heldAlpha(NAN),
      heldLeft(NAN),
      heldTop(NAN) {
    for (int corner = 0; corner < 4; ++corner) {
        texCoords[corner][0] = kDefaultTexCoords[corner][0];
        texCoords[corner][1] = kDefaultTexCoords[corner][1];
    }
}

void Layer2D::SetUp(int type, const char* fileName, uint32_t displayWidth, uint32_t displayHeight) {
    const float w = static_cast<float>(displayWidth);
    const float h = static_cast<float>(displayHeight);
    switch (type) {
        case kBoard:
            LoadTexture(fileName);
            // A display lower than the board puts its lower part off screen.
            SetRectangle(kBoardLeft, h - kBoardBottomFromTop, kBoardRight, h - kBoardTopFromTop);
            blendMode = 0;
            break;
        case kBackground:
            LoadTexture(fileName);
            SetRectangle(0.0f, 0.0f, w + 1.0f, h + 1.0f);
            blendMode = 99;
            break;
        case kOverlay:
            LoadTexture(fileName);
            SetRectangle(0.0f, 0.0f, w + 1.0f, h + 1.0f);
            blendMode = kOverlayMode;
            break;
        case kPixelBuffer:
            // A pixel buffer's first row is the bottom of its picture: the
            // edges the other way round show it upright.
            SetRectangle(0.0f, h + 1.0f, w + 1.0f, 0.0f);
            blendMode = 0;
            break;
        case kShader:
            // Exactly the window, its texture coordinates 0 to 1 from the
            // bottom left, as a shader counts its pixels.
            SetRectangle(0.0f, 0.0f, w, h);
            blendMode = 99;
            ShaderLayer::SetPixelCoordinates(*this);
            break;
        default:
            return;
    }
    alpha = 1.0f;
}

void Layer2D::SetRectangle(float left, float bottom, float right, float top) {
    x0 = left;
    y0 = bottom;
    x1 = right;
    y1 = top;
    centerX = (x0 + x1) / 2.0f;
    centerY = (y0 + y1) / 2.0f;
}

void Layer2D::LoadTexture(const char* path) { texture.SetFileAndLoad(path); }

void Layer2D::SetName(const char* text) { std::snprintf(name, sizeof name, "%s", text != nullptr ? text : ""); }

void Layer2D::MoveTo(float x, float y) {
    SetRectangle(x, y - (y1 - y0), x + (x1 - x0), y);
}

void Layer2D::Translate(float dx, float dy) {
    x0 += dx;
    x1 += dx;
    centerX += dx;
    y0 += dy;
    y1 += dy;
    centerY += dy;
}

bool Layer2D::AddMoveStep(float targetX, float targetY, float ticks) {
    if (moveStepCount >= kMaxSteps) {
        return false;
    }
    LayerStep& step = steps[moveStepCount];
    step.moveTargetX = targetX;
    step.moveTargetY = targetY;
    // From where the layer is now, not from the previous step's target.
    step.moveDeltaX = (targetX - x0) / ticks;
    step.moveDeltaY = (targetY - y1) / ticks;
    step.moveTicks = ticks;
    moveStepCount += 1;
    return true;
}

bool Layer2D::AddFadeStep(float from, float to, float ticks) {
    if (fadeStepCount >= kMaxSteps) {
        return false;
    }
    LayerStep& step = steps[fadeStepCount];
    step.fadeFrom = from;
    step.fadeTo = to;
    step.fadeDelta = (to - from) / ticks;
    step.fadeTicks = ticks;
    fadeStepCount += 1;
    return true;
}

void Layer2D::ScaleTexCoords(float su, float sv) {
    for (auto& corner : texCoords) {
        corner[0] *= su;
        corner[1] *= sv;
    }
}

bool Layer2D::IsAnimated() const { return fadeStepCount != 0 || moveStepCount != 0 || mapScroll > 0.0f; }

void Layer2D::ResetAnimation() {
    moveStepIndex = 0;
    fadeStepIndex = 0;
    if (moveStepCount > 0) {
        moveTicksLeft = steps[0].moveTicks;
    }
    if (fadeStepCount > 0) {
        fadeTicksLeft = steps[0].fadeTicks;
        alpha = steps[0].fadeFrom;
    }
}

void Layer2D::SetFlatState() {
    glDisable(GL_CULL_FACE);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_TEXTURE_GEN_S);
    glDisable(GL_TEXTURE_GEN_T);
    glDisable(GL_LIGHTING);
    // A scene's fog is still on after it: the 2D picture is never fogged
    // (and a full-window layer draws about a fifth faster without it).
    glDisable(GL_FOG);
    glDepthMask(GL_FALSE);
}

void Layer2D::SetBlendFactors(int32_t mode) {
    if (mode >= 0 && mode < kBlendModeCount) {
        glBlendFunc(kBlendModes[mode].source, kBlendModes[mode].destination);
    }
}

void Layer2D::ApplyBlendMode() const {
    if (blendMode >= kOpaqueModes) {
        glDisable(GL_BLEND);
        return;
    }
    glEnable(GL_BLEND);
    SetBlendFactors(blendMode);
}

// Random jitter of the pivot. An amplitude whose whole part is 0 leaves
// nothing to draw from: no shake.
void Layer2D::ShakeOffsets(int& dx, int& dy) const {
    dx = 0;
    dy = 0;
    const int range = static_cast<int>(shakeAmplitude);
    if (range == 0) {
        return;
    }
    const float half = shakeAmplitude / 2.0f;
    dx = static_cast<int>(static_cast<float>(Platform::Rand() % range) - half);
    dy = static_cast<int>(static_cast<float>(Platform::Rand() % range) - half);
}

void Layer2D::MoveOn(int& dx, int& dy) {
    ShakeOffsets(dx, dy);
    angle += rotationSpeed;
    scaleY += scaleSpeed;
    scaleX += scaleSpeed;
}

void Layer2D::Advance() {
    if (shader != nullptr) {
        shader->Advance(*this);
    }
    int dx = 0;
    int dy = 0;
    MoveOn(dx, dy);
}

void Layer2D::Draw() {
    // A shader that cannot draw leaves the layer undrawn.
    if (shader != nullptr && !shader->BeginDraw(*this)) {
        Advance();
        return;
    }
    glActiveTextureARB(GL_TEXTURE1_ARB);
    glDisable(GL_TEXTURE_2D);
    glActiveTextureARB(GL_TEXTURE0_ARB);
    glEnable(GL_TEXTURE_2D);
    texture.Bind();
    ApplyBlendMode();
    SetFlatState();
    glLoadIdentity();

    int dx = 0;
    int dy = 0;
    MoveOn(dx, dy);
    glTranslatef(centerX + static_cast<float>(dx), centerY + static_cast<float>(dy), 0.0f);
    glRotatef(angle, 0.0f, 0.0f, 1.0f);
    glScalef(scaleX, scaleY, 1.0f);
    glColor4f(alpha, alpha, alpha, alpha);

    glBegin(GL_QUADS);
    glTexCoord2fv(texCoords[0]);
    glVertex2f(x0 - centerX, y0 - centerY);
    glTexCoord2fv(texCoords[2]);
    glVertex2f(x0 - centerX, y1 - centerY);
    glTexCoord2fv(texCoords[3]);
    glVertex2f(x1 - centerX, y1 - centerY);
    glTexCoord2fv(texCoords[1]);
    glVertex2f(x1 - centerX, y0 - centerY);
    glEnd();
    if (shader != nullptr) {
        shader->EndDraw(*this);
    }

    glEnable(GL_CULL_FACE);
    glEnable(GL_DEPTH_TEST);
    glDepthMask(GL_TRUE);
}

void Layer2D::Begin() {
    started = true;
    timer.Start();
    if (fadeStepIndex < fadeStepCount) {
        alpha = steps[fadeStepIndex].fadeFrom;
        fadeTicksLeft = steps[fadeStepIndex].fadeTicks;
    }
    if (moveStepIndex < moveStepCount) {
        moveTicksLeft = steps[moveStepIndex].moveTicks;
    }
}

// The next step's first movement comes at the tick after the one that
// enters it.
void Layer2D::StepMove() {
    if (moveStepIndex >= moveStepCount) {
        return;
    }
    if (moveTicksLeft > 0.0f) {
        Translate(steps[moveStepIndex].moveDeltaX, steps[moveStepIndex].moveDeltaY);
        moveTicksLeft -= 1.0f;
        return;
    }
    moveStepIndex += 1;
    if (moveStepIndex < moveStepCount) {
        moveTicksLeft = steps[moveStepIndex].moveTicks;
    }
}

// Alpha carries on from where it is when the next fade step begins.
void Layer2D::StepFade() {
    if (fadeStepIndex >= fadeStepCount) {
        return;
    }
    if (fadeTicksLeft > 0.0f) {
        alpha += steps[fadeStepIndex].fadeDelta;
        fadeTicksLeft -= 1.0f;
        return;
    }
    fadeStepIndex += 1;
    if (fadeStepIndex < fadeStepCount) {
        fadeTicksLeft = steps[fadeStepIndex].fadeTicks;
    }
}

void Layer2D::Tick() {
    timer.Restart();
    StepMove();
    StepFade();
    if (mapScroll > 0.0f) {
        for (auto& corner : texCoords) {
            corner[0] += mapScroll;
        }
    }
}

bool Layer2D::HasRunOut() const {
    return moveStepIndex >= moveStepCount && fadeStepIndex >= fadeStepCount && !(mapScroll > 0.0f);
}

void Layer2D::DrawGhost(bool render) {
    const float keptAlpha = alpha;
    const float keptScaleX = scaleX;
    const float keptScaleY = scaleY;
    if (alpha > 0.0f) {
        alpha /= kGhostAlphaDivisor;
    }
    scaleX = kGhostScale;
    scaleY = kGhostScale;
    if (render) {
        Draw();
    } else {
        Advance();
    }
    alpha = keptAlpha;
    scaleX = keptScaleX;
    scaleY = keptScaleY;
}

void Layer2D::KeepHeld() {
    if (!std::isnan(heldAlpha)) {
        alpha = heldAlpha;
    }
    if (!std::isnan(heldLeft)) {
        Translate(heldLeft - x0, 0.0f);
    }
    if (!std::isnan(heldTop)) {
        Translate(0.0f, heldTop - y1);
    }
}

void Layer2D::Animate(bool render) {
    if (!started) {
        Begin();
    }
    if (timer.ElapsedMs() >= tickInterval) {
        Tick();
    }
    KeepHeld();
    // A finished program leaves the layer undrawn until it is reset.
    if (HasRunOut()) {
        return;
    }
    if (render) {
        Draw();
    } else {
        Advance();
    }
    if (shakeAmplitude > 0.0f) {
        DrawGhost(render);
    }
}
