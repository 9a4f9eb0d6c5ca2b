// Millisecond stopwatch on the high-resolution performance counter, with the
// system tick count as fallback when there is no counter.
#ifndef HALVENOR_CORE_TIMER_H
#define HALVENOR_CORE_TIMER_H

#include <cstdint>

class Timer {
public:
    Timer();

    void Start();
    void Restart();
    float ElapsedMs() const;

    bool IsHighResolution() const { return highResolution != 0; }

private:
    int32_t highResolution;
    int64_t start;
    float secondsPerTick;
};

#endif
