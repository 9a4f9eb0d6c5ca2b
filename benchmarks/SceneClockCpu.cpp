// Processor time that the scene clock's pacing uses: a 25 fps scene is
// updated for a few seconds of wall time and the process's user and system
// time is compared with it. Usage: SceneClockCpu [seconds] [frame rate]
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "scene/Scene.h"

namespace {

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

}  // namespace

int main(int argc, char** argv) {
    const double runSeconds = argc > 1 ? std::atof(argv[1]) : 4.0;
    const int frameRate = argc > 2 ? std::atoi(argv[2]) : 25;

    Scene scene;
    scene.params.frameSpeed = frameRate;
    scene.Update();

    const auto start = std::chrono::steady_clock::now();
    const double cpuStart = CpuSeconds();
    int updates = 0;
    double wall = 0.0;
    while (wall < runSeconds) {
        scene.Update();
        ++updates;
        wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    const double cpu = CpuSeconds() - cpuStart;
    std::printf("frame rate %d: %d updates in %.3f s (%.2f per s), frame %.2f, cpu %.4f s = %.2f%% of one core\n",
                frameRate, updates, wall, updates / wall, scene.currentFrame, cpu, 100.0 * cpu / wall);
    std::printf("metric: scene_clock_cpu %.2f %%\n", 100.0 * cpu / wall);
    return 0;
}
