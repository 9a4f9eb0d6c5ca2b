// The blur's feedback picture as a capture has it, kept every few pictures
// along the show's path, so that the editing player brings the show to any
// picture exactly as halvenor-capture composes it.
//
// Every blurred picture adds half of the feedback picture before it to the
// new one, each rounded to 8 bits: what came before fades, but the rounding
// leaves a picture that stays still more than one level it can rest on, and
// which one a pixel rests on depends on everything since the blur first came
// on. So no run-up of a few pictures reaches the capture's picture; one that
// starts from a feedback picture the capture had does. A run-up keeps the
// feedback pictures it draws after every kDrawnBetween blurred pictures and
// at the end of each stretch of blur: the first run-up to a blurred picture
// draws the blur before it once, later ones at most kDrawnBetween of its
// pictures. A run-up to a picture that does not show the feedback draws none
// of it.
//
// Every other pixel buffer is drawn anew by each picture that draws into it:
// the run-up draws the last picture that drew into it before each picture
// drawn that may show it.
#ifndef HALVENOR_AUTHOR_FEEDBACKHISTORY_H
#define HALVENOR_AUTHOR_FEEDBACKHISTORY_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class Engine;
class ShowTimeline;

class FeedbackHistory {
public:
    static constexpr int kDrawnBetween = 8;

    // The show changed from picture `first` of its timeline on: the kept
    // pictures of that picture and later ones are forgotten.
    void Forget(int64_t first = 0);

    // From the rewind point: the show brought to picture target of the
    // timeline, which is composed next. How many pictures were drawn on the
    // way goes to *drawn when given.
    void RunUpTo(Engine& engine, const ShowTimeline& timeline, int64_t target, int64_t* drawn = nullptr);

    size_t KeptCount() const { return kept.size(); }
    size_t KeptBytes() const;

private:
    struct Kept {
        int64_t picture;  // the feedback picture as this picture left it
        std::string png;
    };

    // Walking back from the target: each picture that draws into the
    // feedback after `feedersAfter`, and the last picture before each of
    // those (and before the target) that drew into any other pixel buffer.
    static std::vector<bool> PicturesToDraw(const ShowTimeline& timeline, int64_t target, int64_t feedersAfter,
                                            uint32_t feedback, uint32_t buffers);

    std::vector<Kept> kept;  // by picture
};

#endif
