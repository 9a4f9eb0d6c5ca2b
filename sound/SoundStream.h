// The show's music: one file streamed through the audio library, looping, whose
// playing position is the clock of the timeline.
#ifndef HALVENOR_SOUND_SOUNDSTREAM_H
#define HALVENOR_SOUND_SOUNDSTREAM_H

#include <cstdint>
#include <string>

class SoundStream {
public:
    SoundStream();

    // Checks the library version, opens the default output and starts it.
    // False after a message box when any step fails.
    bool InitAudio(void* window);
    // Opens the music file; on failure shows a box, names the file on stderr
    // and in the log, and keeps handle 0, which the library plays as a clock
    // without sound. Answers whether a stream was opened.
    bool Open(const char* file);

    bool Play();
    bool Pause();
    bool Resume();
    // Mean of the left and right peaks while playing, else 0.
    int Level() const;
    float Position() const;
    float Length() const;
    bool SeekBack(float seconds);
    bool SeekForward(float seconds);
    // The position in the library's bytes, to come back to exactly.
    uint64_t BytePosition() const;
    bool SetBytePosition(uint64_t position);
    // To a time from the music's start, to the sample.
    bool SetPosition(double seconds);
    // Plays at speed times the music's own rate (1: as recorded), its pitch
    // following; false when the library refuses the rate.
    bool SetSpeed(double speed);
    // A tracker module's order and row at the current position, as trackers
    // show them ("03:12"); empty for any other music and without music.
    std::string ModulePositionText() const;
    // Stops the output and frees the stream and the library; safe to repeat.
    void Release();

    uint32_t handle;
    bool playing;
    // The music file as named in the show, for tools that use it again (a
    // capture puts it into the video as its sound track).
    std::string fileName;
};

#endif
