// What a tracker module costs at load, where it is rendered whole: the
// seconds of song rendered per second of processor time, and the process's
// peak memory, for the tracker show's module (made as MakeSampleAssets
// makes it) and for a 4-channel module of about six minutes.
// Usage: ModuleLoadBenchmark [show directory with musica.mod]
#include <sys/resource.h>

#include <cstdio>
#include <string>

#include "platform/Bass.h"
#include "sound/ProTrackerModule.h"

namespace {

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// 90 patterns at speed 3, a square wave on every channel: 5.76 minutes.
bool WriteLongModule(const std::string& path) {
    ProTrackerModule module("benchmark");
    ProTrackerModule::Sample square{"square", {}, 64, 0, 0};
    for (int i = 0; i < 64; ++i) {
        square.data.push_back(static_cast<int8_t>(i < 32 ? 50 : -50));
    }
    square.loopLength = square.data.size();
    const int sample = module.AddSample(square);
    for (int order = 0; order < 90; ++order) {
        const int pattern = module.AddPattern();
        for (int row = 0; row < ProTrackerModule::kRows; row += 2) {
            for (int channel = 0; channel < ProTrackerModule::kChannels; ++channel) {
                module.At(pattern, row, channel) = {(row + channel * 5 + order) % 36, sample, 0xC, 20};
            }
        }
        if (order == 0) {
            module.At(pattern, 0, 3).effect = 0xF;
            module.At(pattern, 0, 3).param = 3;
        }
        module.AddOrder(pattern);
    }
    return module.Write(path);
}

bool Measure(const char* label, const std::string& path) {
    const double before = CpuSeconds();
    const HSTREAM handle = BASS_StreamCreateFile(FALSE, path.c_str(), 0, 0, 0);
    const double cpu = CpuSeconds() - before;
    if (handle == 0) {
        std::fprintf(stderr, "ModuleLoadBenchmark: %s: %s\n", path.c_str(), Platform::MusicError());
        return false;
    }
    const double seconds = BASS_ChannelBytes2Seconds(handle, BASS_StreamGetLength(handle));
    std::printf("%s: %.2f s of song rendered in %.3f s of processor time\n", label, seconds, cpu);
    std::printf("metric: %s_render_speed %.1f x\n", label, cpu > 0.0 ? seconds / cpu : 0.0);
    std::printf("metric: %s_load_time %.3f s\n", label, cpu);
    BASS_StreamFree(handle);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    Platform::UseSilentOutput(true);
    BASS_Init(-1, 44100, 0, nullptr);
    bool ok = true;
    if (argc > 1) {
        ok &= Measure("tracker_show", std::string(argv[1]) + "/musica.mod");
    }
    const std::string path = "/tmp/halvenor-module-benchmark.mod";
    ok &= WriteLongModule(path) && Measure("six_minute_module", path);
    std::remove(path.c_str());
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("metric: peak_rss %.1f MB\n", usage.ru_maxrss / 1024.0);
    BASS_Free();
    return ok ? 0 : 1;
}
