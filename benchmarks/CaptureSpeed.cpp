// Capture speed: the sample show captured at its own size by halvenor-capture,
// to a video and to PNG frames, timed from start to exit (loading included).
// Prints the ratio of wall time to show time (below 1: faster than real
// time), and the processor time the capture and ffmpeg used, which a busy
// machine does not stretch. Needs a display: run under xvfb-run -a -s "-screen 0 1280x1024x24".
// Usage: CaptureSpeed [fps] [seconds of show, default: all of it]
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

double ChildCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    const auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

double Run(const std::string& command) {
    const auto begin = std::chrono::steady_clock::now();
    const int status = std::system(command.c_str());
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
    return status == 0 ? seconds : -1.0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string fps = argc > 1 ? argv[1] : "30";
    const double seconds = argc > 2 ? std::atof(argv[2]) : 19.5;  // the sample ends at 19.5 s
    char dirName[] = "/tmp/halvenor-capture-speed-XXXXXX";
    if (mkdtemp(dirName) == nullptr) {
        return 1;
    }
    const std::string dir = dirName;
    const std::string build = HALVENOR_BUILD_DIR;
    const std::string sample = std::string(HALVENOR_SOURCE_DIR) + "/shows/sample";
    if (Run(build + "/MakeSampleAssets " + dir + " >/dev/null && cp " + sample + "/preconfig.txt " + sample +
            "/guion.txt " + dir) < 0) {
        std::fprintf(stderr, "CaptureSpeed: cannot make the sample show\n");
        return 1;
    }
    const std::string length = argc > 2 ? " -t " + std::string(argv[2]) : "";
    for (const char* output : {"capture.mp4", "capture.webm", "frames"}) {
        const double cpuBefore = ChildCpuSeconds();
        const double wall =
            Run("cd " + dir + " && " + build + "/halvenor-capture -r " + fps + length + " -o " + output + " 2>/dev/null");
        if (wall < 0.0) {
            std::printf("%-14s failed\n", output);
            continue;
        }
        const double cpu = ChildCpuSeconds() - cpuBefore;
        std::printf("%-14s %.1f s of show at %s fps in %.2f s: %.2f s a second of show (processor %.2f s: %.2f)\n",
                    output, seconds, fps.c_str(), wall, wall / seconds, cpu, cpu / seconds);
        const std::string kind = output == std::string("frames") ? "png" : std::string(output).substr(8);
        std::printf("metric: capture_%s_wall_per_show_second %.3f s\n", kind.c_str(), wall / seconds);
    }
    Run("rm -rf " + dir);
    return 0;
}
