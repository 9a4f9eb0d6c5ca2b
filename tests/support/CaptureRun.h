// Runs of halvenor-capture in a show directory, and the PNG frames it writes,
// for whole-program tests and for comparing pictures of a show.
#ifndef HALVENOR_TESTS_SUPPORT_CAPTURERUN_H
#define HALVENOR_TESTS_SUPPORT_CAPTURERUN_H

#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/TempDir.h"

namespace TestSupport {

// Runs the capture tool in dir with the given arguments (each one word) and
// extra environment assignments ("NAME=value"); killed after 240 s.
RunResult RunCapture(const std::string& dir, const std::vector<std::string>& args,
                     const std::string& extraEnv = std::string());

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;  // rows from the top down
};

// Reads an 8-bit RGB or RGBA PNG file (alpha dropped); false when it cannot.
bool ReadPng(const std::string& path, Picture& picture);

// The show of dir as it looks at each music time: one capture at fps that
// writes the frames at those times (each rounded to the frame grid) to
// pictures. False when the capture failed.
bool CaptureStills(const std::string& dir, const std::vector<double>& times, double fps,
                   std::vector<Picture>& pictures);

// The picture made smaller by averaging blocks of block x block pixels, so
// that comparisons ignore the noise of single pixels and reference pictures
// stay small.
Picture Downsample(const Picture& picture, int block);
// The largest difference of any colour channel of any pixel between two
// pictures of the same size; 256 when the sizes differ.
int PictureDifference(const Picture& a, const Picture& b);
bool WritePng(const std::string& path, const Picture& picture);

// Copies the show in shows/sample, with its generated files, into dir.
bool CopySampleShow(const std::string& dir);

}  // namespace TestSupport

#endif
