// Stands in for BASS's tracker-module music (MOD, XM, S3M, IT and the other
// formats libopenmpt reads), which the engine reaches through the same stream
// calls as any other music (Bass.h): libopenmpt renders the module as 16-bit
// stereo at 44 100 Hz.
//
// Contract:
// - A file is a module when libopenmpt recognises its header (Probe): the kind
//   follows the content, never the name. Sound files (WAV, FLAC, Ogg, MP3) are
//   not modules.
// - Load answers null, with the reason, for what libopenmpt cannot read, for
//   a module larger than kMaxFileBytes and for one whose song lasts more than
//   30 minutes (or nothing). libopenmpt's own log is silenced: everything that
//   matters comes back as that reason.
// - FrameCount is libopenmpt's estimate of the song's length: what players
//   loop on. Render plays on from the current position and answers 0 at the
//   song's end (no fade-out); the loop is the caller's.
// - Seek lands on the exact frame asked for: libopenmpt seeks to the start of
//   a row with its samples' playback synchronised (seek.sync_samples, off by
//   default in some builds) and the frames from there on are rendered and
//   dropped, so what follows a seek to t is what playing from 0 to t renders.
// - Position answers the order and row of the last frame rendered.
// - Windows runs this same code on libopenmpt's DLL.
#ifndef HALVENOR_PLATFORM_MODULEMUSIC_H
#define HALVENOR_PLATFORM_MODULEMUSIC_H

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct openmpt_module;

class ModuleMusic {
public:
    static constexpr uint32_t kRate = 44100;
    static constexpr uint64_t kMaxFileBytes = 256ull * 1024ull * 1024ull;
    // A row mark is noted at most once per this many frames (RenderAll).
    static constexpr uint64_t kRowMarkFrames = 64;

    struct Info {
        std::string format;  // "ProTracker MOD (M.K.)"
        std::string title;
        int channels = 0;
        int orders = 0;
        int patterns = 0;
        int samples = 0;
        int instruments = 0;
        double seconds = 0.0;
    };

    // Where a row starts in a whole rendering.
    struct RowMark {
        uint64_t frame;
        int32_t order;
        int32_t row;
    };

    static const char* const kNotAModule;

    static bool Probe(const std::string& contents);
    static std::unique_ptr<ModuleMusic> Load(const std::string& contents, std::string* reason);
    // Reads a regular file by name (the path rules apply); null with a reason
    // when it is not a module (the reason is then kNotAModule) or cannot be
    // read.
    static std::unique_ptr<ModuleMusic> LoadFile(const char* name, std::string* reason);

    ~ModuleMusic();
    ModuleMusic(const ModuleMusic&) = delete;
    ModuleMusic& operator=(const ModuleMusic&) = delete;

    Info Describe() const;
    uint64_t FrameCount() const { return frameCount; }
    // Heap that libopenmpt took to load the module (its patterns, its samples
    // unpacked), as measured while it loaded.
    uint64_t HeldBytes() const { return heldBytes; }
    size_t Render(int16_t* interleaved, size_t frames);
    void Seek(uint64_t frame);
    void Position(int32_t* order, int32_t* row) const;

    // The whole song, from the start, into samples (interleaved left, right),
    // with a mark where each row begins. False, with the reason, when the song
    // is longer than maxFrames: nothing is rendered then.
    bool RenderAll(uint64_t maxFrames, std::vector<int16_t>& samples, std::vector<RowMark>& rows,
                   std::string* reason);
    // Frames [start, start + count) of the song played in a loop, as a 16-bit
    // stereo WAV file. False, with the reason, when it cannot be written.
    bool WriteWav(uint64_t start, uint64_t count, const std::string& path, std::string* reason);

private:
    explicit ModuleMusic(openmpt_module* module);
    void Skip(uint64_t frames);

    openmpt_module* module;
    uint64_t frameCount;
    uint64_t heldBytes;
};

#endif
