// Captured frames as numbered PNG files in a directory: 000000.png is the
// first frame, each file an 8-bit RGB picture of the window.
//
// Encoding is the slow part, so it runs on a thread of its own while the show
// draws the next frames, a few frames behind at most; a picture shown by
// several frames is encoded once.
#ifndef HALVENOR_CAPTURE_PNGOUTPUT_H
#define HALVENOR_CAPTURE_PNGOUTPUT_H

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include "capture/FrameOutput.h"

class PngOutput : public FrameOutput {
public:
    explicit PngOutput(const std::string& directory);
    ~PngOutput() override;

    // Creates the directory (and its parents) when missing.
    bool Open(int width, int height) override;
    bool Write(const uint8_t* rgb, int64_t first, int64_t repeat) override;
    bool Close() override;

    static std::string FileName(int64_t index);
    // One picture as PNG bytes.
    static std::string Encode(const uint8_t* rgb, int width, int height);

private:
    struct Job {
        std::vector<uint8_t> rgb;
        int64_t first;
        int64_t repeat;
    };

    void Work();
    bool WriteFiles(const std::string& png, int64_t first, int64_t repeat);

    std::string directory;
    int width;
    int height;
    std::thread worker;
    std::mutex lock;
    std::condition_variable changed;
    std::deque<Job> jobs;
    bool closing;
    std::string workerError;
};

#endif
