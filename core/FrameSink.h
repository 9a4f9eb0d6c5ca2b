// Where the frames of the frame loop go besides the window. The player's sink
// does nothing: the window shows each frame and the keys act on the show. A
// capture reads every frame back and ends the show when it has enough.
#ifndef HALVENOR_CORE_FRAMESINK_H
#define HALVENOR_CORE_FRAMESINK_H

class Engine;

class FrameSink {
public:
    virtual ~FrameSink();

    // The show has started (the music plays) and the first frame is next.
    // False ends the show before its first frame.
    virtual bool ShowStarted(Engine& engine);
    // The frame is composed and the show stepped; the frame is presented
    // next. Not called for the frame of the show's end, which is never seen.
    // False ends the show after this frame.
    virtual bool FrameComposed(Engine& engine);
    // Whether keys act on the show. Closing the window always ends it.
    virtual bool TakesKeys() const;
    // The loop has ended; the window and its rendering context still exist.
    virtual void LoopEnded(Engine& engine);
};

#endif
