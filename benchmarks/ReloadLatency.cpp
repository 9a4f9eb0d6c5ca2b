// How long a script save takes to become a reload plan in the editing
// player: the sample show's script saved the way editors save it (written
// beside, renamed over), then live reload polled like a frame loop until it
// answers. The figure holds the quiet time that guards against half-written
// files (FileWatcher::kDefaultQuietMs) and the in-process reading of the
// whole show; carrying the plan out comes on top.
//
//   ReloadLatency [SHOW_DIR] [SAVES]
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "author/LiveReload.h"
#include "core/Log.h"

namespace {

using Clock = std::chrono::steady_clock;

std::string MakeSampleShow() {
    char pattern[] = "/tmp/halvenor-latency-XXXXXX";
    const char* dir = mkdtemp(pattern);
    if (dir == nullptr) {
        return std::string();
    }
    const std::string show = dir;
    const std::string make = std::string("'") + HALVENOR_BUILD_DIR + "/MakeSampleAssets' '" + show + "' >/dev/null && cp '" +
                             HALVENOR_SOURCE_DIR + "/shows/sample/preconfig.txt' '" + HALVENOR_SOURCE_DIR +
                             "/shows/sample/guion.txt' '" + show + "'";
    return std::system(make.c_str()) == 0 ? show : std::string();
}

std::string ReadAll(const char* name) {
    std::ifstream in(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void SaveByRename(const char* name, const std::string& text) {
    const std::string temporary = std::string(name) + ".tmp";
    std::ofstream(temporary, std::ios::binary) << text;
    std::rename(temporary.c_str(), name);
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0.0 : values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    const std::string show = argc > 1 && argv[1][0] != '\0' ? argv[1] : MakeSampleShow();
    const int saves = argc > 2 ? std::atoi(argv[2]) : 20;
    if (show.empty() || chdir(show.c_str()) != 0) {
        std::fprintf(stderr, "ReloadLatency: no show directory\n");
        return 2;
    }
    std::string log;
    Log::Capture(&log);
    LiveReload live;
    live.Start();
    if (!live.LastReadOk()) {
        std::fprintf(stderr, "ReloadLatency: the show has errors:\n%s", live.Report().c_str());
        return 1;
    }
    const std::string script = ReadAll("guion.txt");
    std::vector<double> latencies;
    for (int i = 0; i < saves; ++i) {
        // Every other save puts the original back, so each one is a change.
        const Clock::time_point saved = Clock::now();
        SaveByRename("guion.txt", i % 2 == 0 ? script + "\n" : script);
        ReloadPlan plan;
        LiveReload::Outcome outcome = LiveReload::Outcome::Nothing;
        const Clock::time_point deadline = saved + std::chrono::seconds(10);
        while (outcome == LiveReload::Outcome::Nothing && Clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            outcome = live.Poll(plan);
        }
        if (outcome != LiveReload::Outcome::Reload || !plan.script) {
            std::fprintf(stderr, "ReloadLatency: save %d was not planned as a script reload\n", i);
            return 1;
        }
        latencies.push_back(std::chrono::duration<double, std::milli>(Clock::now() - saved).count());
        live.Taken();
        log.clear();
    }
    const double median = Median(latencies);
    std::printf("%d script saves of %s: median %.1f ms from the save to the plan, %d ms of it the quiet time\n",
                saves, show.c_str(), median, FileWatcher::kDefaultQuietMs);
    std::printf("metric: reload_save_to_plan %.1f ms\n", median);
    std::printf("metric: reload_read_after_quiet %.1f ms\n", median - FileWatcher::kDefaultQuietMs);
    Log::Capture(nullptr);
    if (argc <= 1) {
        const std::string remove = "rm -rf '" + show + "'";
        std::system(remove.c_str());
    }
    return 0;
}
