// Music files made by the tests: a sine tone (or silence, at amplitude 0)
// written as 16-bit PCM WAV.
#ifndef HALVENOR_TESTS_SUPPORT_TESTAUDIO_H
#define HALVENOR_TESTS_SUPPORT_TESTAUDIO_H

#include <string>

namespace TestSupport {

// amplitude is a fraction of full scale. False when the file cannot be written.
bool WriteTone(const std::string& path, double frequency, double seconds, int rate = 44100, int channels = 2,
               double amplitude = 0.5);

}  // namespace TestSupport

#endif
