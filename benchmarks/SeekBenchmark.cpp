// Seek speed of the editing player: a five-minute show made of the sample's
// effects repeated (its script ten times over, each pass stretched to 30 s,
// with five minutes of music), played by halvenor --edit's author mode in
// this process. Measures the start (one run of the whole show without
// drawing, to find its pictures), seeks to points across the show and back,
// where each one's time goes (rewind, run-up without drawing, the pictures
// drawn before the target, the first frame at the target), the same seeks
// again (the blur's feedback pictures kept by the first ones), and the jump
// back to a loop's start. The first seek to a blurred picture draws the blur
// before it once: its cost grows with the blur before the target. Needs a display: run under xvfb-run -a -s "-screen 0 1280x1024x24".
#include <SDL.h>
#include <sndfile.h>
#include <unistd.h>

#include <ctime>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "core/Application.h"
#include "author/AuthorMode.h"
#include "glext/GlExtensions.h"
#include "platform/Clock.h"

namespace {

constexpr int kPasses = 10;
constexpr double kStretch = 1.5;
constexpr double kPassSeconds = 30.0;
constexpr double kShowSeconds = kPasses * kPassSeconds;
constexpr int kMusicRate = 22050;

// Processor time of the whole process (the driver's threads included), which
// a busy machine does not stretch.
double CpuMs() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

double MsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// A quiet tone long enough for the whole show.
bool WriteMusic(const std::string& path) {
    SF_INFO info{};
    info.samplerate = kMusicRate;
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (file == nullptr) {
        return false;
    }
    const auto frames = static_cast<size_t>((kShowSeconds + 2.0) * kMusicRate);
    std::vector<short> samples(frames);
    for (size_t i = 0; i < frames; ++i) {
        samples[i] = static_cast<short>((i / 50) % 2 == 0 ? 500 : -500);
    }
    const bool ok = sf_write_short(file, samples.data(), static_cast<sf_count_t>(frames)) ==
                    static_cast<sf_count_t>(frames);
    sf_close(file);
    return ok;
}

// The sample's script, each pass's times stretched and shifted; one stop
// event at the end.
bool WriteScript(const std::string& sample, const std::string& path) {
    std::ifstream in(sample);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.find("FX_STOP") == std::string::npos) {
            lines.push_back(line);
        }
    }
    std::ofstream out(path);
    for (int pass = 0; pass < kPasses; ++pass) {
        for (const std::string& line : lines) {
            std::istringstream words(line);
            double time = 0.0;
            words >> time;
            std::string rest;
            std::getline(words, rest);
            out << time * kStretch + pass * kPassSeconds << rest << "\n";
        }
    }
    out << kShowSeconds << " DEMO Sala FX_STOP\n";
    return static_cast<bool>(out) && !lines.empty();
}

bool WritePreconfig(const std::string& sample, const std::string& path) {
    std::ifstream in(sample);
    std::ofstream out(path);
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("LOAD SOUND", 0) == 0) {
            line = "LOAD SOUND musica.wav";
        }
        out << line << "\n";
    }
    return static_cast<bool>(out);
}

struct Measured {
    std::string name;
    double value;
    const char* unit;
};

// Seeks between frames, each measured with the frame that shows it.
class SeekRun : public FrameSink {
public:
    SeekRun(AuthorMode& mode, std::vector<double> firstTargets) : mode(mode), targets(std::move(firstTargets)) {
        firstCount = targets.size();
        const std::vector<double> again = targets;
        targets.insert(targets.end(), again.begin(), again.end());
    }

    bool ShowStarted(Engine& engine) override {
        const auto start = std::chrono::steady_clock::now();
        const bool ok = mode.ShowStarted(engine);
        results.push_back({"start_ms", MsSince(start), "ms"});
        results.push_back({"show_pictures", static_cast<double>(mode.Timeline().PictureCount()), "pictures"});
        return ok;
    }
    FramePlan BeginFrame(Engine& engine) override { return mode.BeginFrame(engine); }
    void PictureComposed(Engine& engine) override { mode.PictureComposed(engine); }
    bool ShowEnded(Engine& engine) override { return mode.ShowEnded(engine); }
    bool FrameComposed(Engine& engine) override;

    AuthorMode& mode;
    std::vector<double> targets;
    std::vector<Measured> results;
    std::vector<double> seekMs;
    size_t firstCount = 0;
    size_t next = 0;
    bool measuring = false;
    double pendingMs = 0.0;
    std::chrono::steady_clock::time_point began;
    double cpuBegan = 0.0;
    int phase = 0;
};

bool SeekRun::FrameComposed(Engine& engine) {
    mode.FrameComposed(engine);
    glFinish();
    if (measuring) {
        // The seek and the frame that shows its picture.
        const double total = MsSince(began);
        const AuthorMode::SeekCost cost = mode.LastSeekCost();
        char name[64];
        std::snprintf(name, sizeof name, next < firstCount ? "seek_to_%.0fs" : "seek_again_to_%.0fs", targets[next]);
        results.push_back({std::string(name) + "_ms", total, "ms"});
        results.push_back({std::string(name) + "_cpu_ms", CpuMs() - cpuBegan, "ms"});
        results.push_back({std::string(name) + "_rewind_ms", cost.rewindMs, "ms"});
        results.push_back({std::string(name) + "_runup_ms", cost.runUpMs, "ms"});
        results.push_back({std::string(name) + "_walked", static_cast<double>(cost.walked), "pictures"});
        results.push_back({std::string(name) + "_drawn", static_cast<double>(cost.drawn), "pictures"});
        seekMs.push_back(total);
        measuring = false;
        ++next;
    }
    if (next < targets.size()) {
        began = std::chrono::steady_clock::now();
        cpuBegan = CpuMs();
        std::string error;
        if (!mode.Seek(targets[next], &error)) {
            std::fprintf(stderr, "SeekBenchmark: %s\n", error.c_str());
            return false;
        }
        measuring = true;
        return true;
    }
    if (phase == 0) {
        // A loop's jump back: its start is kept, so the jump is a restore.
        std::string error;
        const auto setStart = std::chrono::steady_clock::now();
        mode.SetLoop(200.0, 201.0, &error);
        results.push_back({"loop_set_ms", MsSince(setStart), "ms"});
        phase = 1;
        return true;
    }
    if (phase <= 5) {
        began = std::chrono::steady_clock::now();
        mode.KeyPressed(engine, SDLK_HOME, 0);
        results.push_back({"loop_jump_back_ms", MsSince(began), "ms"});
        ++phase;
        return true;
    }
    return false;
}

}  // namespace

int main() {
    char dirName[] = "/tmp/halvenor-seek-XXXXXX";
    if (mkdtemp(dirName) == nullptr) {
        return 1;
    }
    const std::string dir = dirName;
    const std::string build = HALVENOR_BUILD_DIR;
    const std::string sample = std::string(HALVENOR_SOURCE_DIR) + "/shows/sample";
    if (std::system((build + "/MakeSampleAssets " + dir + " >/dev/null").c_str()) != 0 ||
        !WriteMusic(dir + "/musica.wav") || !WriteScript(sample + "/guion.txt", dir + "/guion.txt") ||
        !WritePreconfig(sample + "/preconfig.txt", dir + "/preconfig.txt") || chdir(dir.c_str()) != 0) {
        std::fprintf(stderr, "SeekBenchmark: cannot make the five-minute show in %s\n", dir.c_str());
        return 1;
    }
    setenv("SDL_AUDIODRIVER", "dummy", 0);

    AuthorOptions options;
    options.pause = true;
    options.overlay = false;
    AuthorMode::UseAuthorTime();
    AuthorMode mode(options);
    SeekRun run(mode, {10.0, 100.0, 150.0, 240.0, 295.0, 30.0, 280.0, 5.0});
    const int status = Application::Run(run);
    std::system(("rm -rf " + dir).c_str());
    if (status != 0 || run.seekMs.size() != run.targets.size()) {
        std::fprintf(stderr, "SeekBenchmark: the show did not play through its seeks\n");
        return 1;
    }
    for (const Measured& m : run.results) {
        std::printf("metric: %s %.2f %s\n", m.name.c_str(), m.value, m.unit);
    }
    const auto again = run.seekMs.begin() + static_cast<std::ptrdiff_t>(run.firstCount);
    std::printf("metric: seek_worst_ms %.2f ms\n", *std::max_element(run.seekMs.begin(), run.seekMs.end()));
    std::printf("metric: seek_first_visit_worst_ms %.2f ms\n", *std::max_element(run.seekMs.begin(), again));
    std::printf("metric: seek_known_worst_ms %.2f ms\n", *std::max_element(again, run.seekMs.end()));
    std::printf("metric: seek_kept_feedback_pictures %zu pictures\n", mode.History().KeptCount());
    std::printf("metric: seek_kept_feedback_bytes %zu bytes\n", mode.History().KeptBytes());
    double sum = 0.0;
    for (const double ms : run.seekMs) {
        sum += ms;
    }
    std::printf("metric: seek_mean_ms %.2f ms\n", sum / static_cast<double>(run.seekMs.size()));
    return 0;
}
