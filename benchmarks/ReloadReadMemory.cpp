// What the reading half of a live reload holds on to: the sample show read
// again and again in one process the way a reload reads it (the show
// checker, the reload plan, the script read again with its markers kept),
// with the heap in use and the resident size before and after. Flat figures
// mean a reload leaks nothing of what it reads.
//
//   ReloadReadMemory [SHOW_DIR] [RELOADS]
//
// Without SHOW_DIR the sample show is made in a temporary directory with
// MakeSampleAssets and the sample's preconfig.txt and guion.txt. glibc counts
// the blocks its per-thread cache keeps as in use, which makes the heap figure
// wander by a few hundred bytes; the program runs itself again with that
// cache off, so that the figure is exact.
#include <malloc.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>

#include "author/ReloadPlan.h"
#include "checker/ShowChecker.h"
#include "config/Script.h"
#include "core/Engine.h"
#include "core/Log.h"

namespace {

size_t HeapInUse() {
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

long ResidentKb() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0;
    long resident = 0;
    statm >> pages >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

std::string MakeSampleShow() {
    char pattern[] = "/tmp/halvenor-reload-XXXXXX";
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

}  // namespace

int main(int argc, char** argv) {
    if (std::getenv("GLIBC_TUNABLES") == nullptr) {
        setenv("GLIBC_TUNABLES", "glibc.malloc.tcache_count=0", 1);
        execv("/proc/self/exe", argv);
    }
    const std::string show = argc > 1 && argv[1][0] != '\0' ? argv[1] : MakeSampleShow();
    const int reloads = argc > 2 ? std::atoi(argv[2]) : 300;
    if (show.empty() || chdir(show.c_str()) != 0) {
        std::fprintf(stderr, "ReloadReadMemory: no show directory\n");
        return 2;
    }
    // The readers' log lines stay in memory instead of the show's error_log.txt.
    std::string log;
    Log::Capture(&log);

    auto playing = std::make_unique<ShowChecker>();
    playing->Check();
    if (playing->ErrorCount() > 0) {
        std::fprintf(stderr, "ReloadReadMemory: the show has errors:\n%s", playing->Report().c_str());
        return 1;
    }
    std::string script;
    for (const ShowFile& file : playing->Files()) {
        if (file.kind == ShowFile::Kind::Script) {
            script = file.path;
        }
    }
    Engine* engine = new Engine();
    engine->LoadScript(script.c_str());
    engine->AddMarker(1.0f);

    const auto reloadOnce = [&] {
        auto now = std::make_unique<ShowChecker>();
        now->Check();
        const ReloadPlan plan = ReloadPlan::For(*playing, *now, {script});
        if (plan.script) {
            engine->ReloadScript();
        }
        playing = std::move(now);
        log.clear();
    };
    // The first rounds fill the allocator's and the libraries' caches.
    for (int i = 0; i < 10; ++i) {
        reloadOnce();
    }
    const size_t heapBefore = HeapInUse();
    const long residentBefore = ResidentKb();
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < reloads; ++i) {
        reloadOnce();
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const long heapGrowth = static_cast<long>(HeapInUse()) - static_cast<long>(heapBefore);
    const long residentGrowth = ResidentKb() - residentBefore;
    std::printf("%d reloads of %s: heap %zu -> %zu bytes, resident %ld -> %ld KiB, %d marker(s) kept\n", reloads,
                show.c_str(), heapBefore, HeapInUse(), residentBefore, ResidentKb(), engine->script->MarkerCount());
    std::printf("metric: reload_read_heap_growth %ld bytes\n", heapGrowth);
    std::printf("metric: reload_read_resident_growth %ld KiB\n", residentGrowth);
    std::printf("metric: reload_read_time %.2f ms\n", 1000.0 * seconds / reloads);
    Log::Capture(nullptr);
    delete engine;
    if (argc <= 1) {
        const std::string remove = "rm -rf '" + show + "'";
        std::system(remove.c_str());
    }
    return 0;
}
