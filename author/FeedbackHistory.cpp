#include "author/FeedbackHistory.h"

#include <png.h>

#include <algorithm>

#include "author/ShowTimeline.h"
#include "capture/PngOutput.h"
#include "core/Engine.h"
#include "fx2d/Layer2D.h"
#include "fx2d/PBuffer.h"
#include "glext/GlExtensions.h"

namespace {

constexpr int kMaskBits = 32;

const PBuffer* FeedbackBuffer(const Engine& engine, uint32_t* bit) {
    const PBuffer* feedback = engine.FindPixelBuffer("PB_BLUR2");
    *bit = 0;
    for (int32_t i = 0; feedback != nullptr && i < engine.pixelBufferCount && i < kMaskBits; ++i) {
        if (engine.pixelBuffers[i] == feedback) {
            *bit = 1u << i;
        }
    }
    return *bit != 0 ? feedback : nullptr;
}

// Whether a layer other than the blur's own shows the feedback picture.
bool ShownByALayer(const Engine& engine, const PBuffer& feedback) {
    const Layer2D* trail = engine.FindLayer("LAYER_BLUR2");
    for (int32_t i = 0; i < engine.layerCount; ++i) {
        if (engine.layers[i] != trail && engine.layers[i]->texture.texture == feedback.Texture()) {
            return true;
        }
    }
    return false;
}

uint32_t AllBuffers(const Engine& engine) {
    return engine.pixelBufferCount >= kMaskBits ? ~0u : (1u << engine.pixelBufferCount) - 1u;
}

size_t PictureBytes(const PBuffer& buffer) {
    return static_cast<size_t>(buffer.Width()) * static_cast<size_t>(buffer.Height()) * 3;
}

// The buffer's texture is what the blur pass draws the feedback from; the
// buffer's own surface is cleared before each pass. Kept as PNG: a feedback
// picture is smooth, and a long show keeps hundreds of them.
std::string TakePicture(const PBuffer& buffer) {
    std::vector<uint8_t> rgb(PictureBytes(buffer));
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glBindTexture(GL_TEXTURE_2D, buffer.Texture());
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    return PngOutput::Encode(rgb.data(), buffer.Width(), buffer.Height());
}

std::vector<uint8_t> Decoded(const std::string& png) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    std::vector<uint8_t> rgb;
    if (png_image_begin_read_from_memory(&image, png.data(), png.size()) != 0) {
        image.format = PNG_FORMAT_RGB;
        rgb.assign(PNG_IMAGE_SIZE(image), 0);
        if (png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr) == 0) {
            rgb.clear();
        }
    }
    png_image_free(&image);
    return rgb;
}

void PutPicture(const PBuffer& buffer, const std::string& png) {
    const std::vector<uint8_t> rgb = Decoded(png);
    if (rgb.size() != PictureBytes(buffer)) {
        return;
    }
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glBindTexture(GL_TEXTURE_2D, buffer.Texture());
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, buffer.Width(), buffer.Height(), GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
}

}  // namespace

void FeedbackHistory::Forget(int64_t first) {
    kept.erase(std::remove_if(kept.begin(), kept.end(), [first](const Kept& k) { return k.picture >= first; }),
               kept.end());
}

size_t FeedbackHistory::KeptBytes() const {
    size_t bytes = 0;
    for (const Kept& k : kept) {
        bytes += k.png.size();
    }
    return bytes;
}

std::vector<bool> FeedbackHistory::PicturesToDraw(const ShowTimeline& timeline, int64_t target, int64_t feedersAfter,
                                                  uint32_t feedback, uint32_t buffers) {
    std::vector<bool> draw(static_cast<size_t>(std::max<int64_t>(target, 0)), false);
    // What the target may show.
    uint32_t needed = buffers & ~feedback;
    for (int64_t j = target - 1; j >= 0; --j) {
        const uint32_t written = timeline.Written(j);
        const bool feeds = (written & feedback) != 0 && j > feedersAfter;
        if (!feeds && (written & needed) == 0) {
            if (j <= feedersAfter && needed == 0) {
                break;
            }
            continue;
        }
        draw[static_cast<size_t>(j)] = true;
        needed &= ~written;
        if (feeds) {
            // It may show any other buffer (the scene's, through a layer).
            needed |= buffers & ~feedback & ~written;
        }
    }
    return draw;
}

void FeedbackHistory::RunUpTo(Engine& engine, const ShowTimeline& timeline, int64_t target, int64_t* drawn) {
    uint32_t feedbackBit = 0;
    const PBuffer* feedback = FeedbackBuffer(engine, &feedbackBit);
    // The latest kept picture before the target; without one the feedback
    // starts as the rewind point has it. A target that does not show the
    // feedback picture has the blur drawn up to it only as far as kept
    // (playing on, the blur may show it later).
    const Kept* from = nullptr;
    for (const Kept& k : kept) {
        if (k.picture < target) {
            from = &k;
        }
    }
    const bool shown = feedback != nullptr &&
                       ((timeline.Written(target) & feedbackBit) != 0 || ShownByALayer(engine, *feedback));
    const int64_t start = from != nullptr ? from->picture : -1;
    const std::vector<bool> draw =
        PicturesToDraw(timeline, target, shown ? start : target, feedbackBit, AllBuffers(engine));
    std::vector<Kept> taken;
    int sinceKept = 0;
    timeline.RunUp(engine, target, draw, [&](int64_t j) {
        if (j == start && feedback != nullptr) {
            PutPicture(*feedback, from->png);
        }
        if (!shown || j <= start || !draw[static_cast<size_t>(j)] || (timeline.Written(j) & feedbackBit) == 0) {
            return;
        }
        const bool stretchEnds = (timeline.Written(j + 1) & feedbackBit) == 0;
        if (++sinceKept >= kDrawnBetween || stretchEnds) {
            taken.push_back(Kept{j, TakePicture(*feedback)});
            sinceKept = 0;
        }
    });
    if (drawn != nullptr) {
        *drawn = std::count(draw.begin(), draw.end(), true);
    }
    for (Kept& k : taken) {
        kept.push_back(std::move(k));
    }
    std::sort(kept.begin(), kept.end(), [](const Kept& a, const Kept& b) { return a.picture < b.picture; });
}
