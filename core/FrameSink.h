// Where the frames of the frame loop go besides the window. The player's sink
// does nothing: the window shows each frame and the keys act on the show. A
// capture reads every frame back and ends the show when it has enough.
#ifndef HALVENOR_CORE_FRAMESINK_H
#define HALVENOR_CORE_FRAMESINK_H

class Engine;

// What the frame loop does with the show in one frame.
enum class FramePlan {
    ComposeAndStep,  // compose the frame, then step the show (playing)
    ComposeOnly,     // compose it and leave the show where it is
    Hold,            // neither: the sink has put a picture in the window
};

class FrameSink {
public:
    virtual ~FrameSink();

    // The show has started (the music plays) and the first frame is next.
    // False ends the show before its first frame.
    virtual bool ShowStarted(Engine& engine);
    // The frame is composed and the show stepped (as the plan said); the
    // frame is presented next, and may still be drawn over. Not called for
    // the frame of the show's end, which is never seen, unless ShowEnded
    // kept the loop going. False ends the show after this frame.
    virtual bool FrameComposed(Engine& engine);
    // Before each frame; the player and a capture always compose and step.
    virtual FramePlan BeginFrame(Engine& engine);
    // The frame is composed, nothing drawn over it yet (nor the show
    // stepped): only in frames whose plan composes.
    virtual void PictureComposed(Engine& engine);
    // The show reached its end (its stop event); true keeps the loop going,
    // the show no longer stepped until the sink moves it.
    virtual bool ShowEnded(Engine& engine);
    // Whether keys act on the show. Closing the window always ends it.
    virtual bool TakesKeys() const;
    // A key pressed while the console is closed, before the player's own
    // keys: true when the sink acted on it (SDL key and modifier codes).
    virtual bool KeyPressed(Engine& engine, int key, int modifiers);
    // The loop has ended; the window and its rendering context still exist.
    virtual void LoopEnded(Engine& engine);
};

#endif
