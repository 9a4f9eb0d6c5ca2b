// The window's last composed picture, kept in a texture while the show
// stands still, and drawn again pixel for pixel in the frames that follow: a
// paused show is not composed again (composing moves its clocks on).
#ifndef HALVENOR_AUTHOR_HELDFRAME_H
#define HALVENOR_AUTHOR_HELDFRAME_H

#include <cstdint>

class HeldFrame {
public:
    // Copies the picture the window's back buffer holds now.
    void Keep(int width, int height);
    // Draws it over the whole window; nothing before the first Keep.
    void Draw() const;
    bool Held() const { return texture != 0; }
    void Release();

private:
    uint32_t texture = 0;
    int width = 0;
    int height = 0;
    int textureWidth = 0;
    int textureHeight = 0;
};

#endif
