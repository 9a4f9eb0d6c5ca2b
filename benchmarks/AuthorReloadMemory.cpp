// What reloads of the sample show's script leave behind in the editing
// player: the script saved and reloaded by hand (as r does) every few frames
// while the show plays, with the heap in use, the resident size and the
// counts of OpenGL textures and display lists and of pixel buffers (each
// with its own rendering context) taken after a few warm-up reloads and
// after the last. The show's first pass allocates as its scenes, layers and
// particles first appear, so the steady figures are those of the second half
// of the run (300 reloads by default). Flat figures mean a reload leaks nothing.
//
//   AuthorReloadMemory [RELOADS] [--baseline]   (under Xvfb: xvfb-run -a build/AuthorReloadMemory)
//
// --baseline plays the same frames without reloading: what playing alone
// changes, to tell apart from what the reloads do. --whole saves
// preconfig.txt instead, so that every reload builds the whole show again
// (scenes, textures, particles, pixel buffers, music) in the open window.
//
// glibc counts the blocks its per-thread cache keeps as in use; the program
// runs itself again with that cache off, so that the heap figure is exact.
#include <GL/gl.h>
#include <malloc.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <chrono>

#include "core/Application.h"
#include "author/AuthorMode.h"
#include "core/Engine.h"
#include "core/FrameSink.h"
#include "platform/FileWatcher.h"
#include "platform/WglPbuffer.h"

namespace {

constexpr int kWarmUp = 10;
constexpr int kFramesBetween = 3;
// Names the engine's textures and lists are looked for among.
constexpr GLuint kNamesLooked = 20000;

struct Figures {
    size_t heap;
    long residentKb;
    int textures;
    int lists;
    int pixelBuffers;
    int livePbuffers;
    int contexts;
};

long ResidentKb() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0;
    long resident = 0;
    statm >> pages >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

Figures Measure(const Engine& engine) {
    Figures figures{};
    const struct mallinfo2 info = mallinfo2();
    figures.heap = info.uordblks + info.hblkhd;
    figures.residentKb = ResidentKb();
    for (GLuint name = 1; name < kNamesLooked; ++name) {
        figures.textures += glIsTexture(name) ? 1 : 0;
        figures.lists += glIsList(name) ? 1 : 0;
    }
    figures.pixelBuffers = engine.pixelBufferCount;
    figures.livePbuffers = Platform::LivePbufferCount();
    figures.contexts = Platform::LiveContextCount();
    return figures;
}

std::string ReadAll(const char* name) {
    std::ifstream in(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The editing player, saving and reloading its script every few frames.
class Reloader : public FrameSink {
public:
    Reloader(AuthorMode& mode, int reloads, bool baseline, bool whole)
        : mode(mode), reloads(reloads), baseline(baseline), whole(whole) {}

    bool ShowStarted(Engine& engine) override {
        script = ReadAll(whole ? "preconfig.txt" : "guion.txt");
        return mode.ShowStarted(engine);
    }
    FramePlan BeginFrame(Engine& engine) override { return mode.BeginFrame(engine); }
    void PictureComposed(Engine& engine) override { mode.PictureComposed(engine); }
    bool ShowEnded(Engine& engine) override { return mode.ShowEnded(engine); }
    void LoopEnded(Engine& engine) override { mode.LoopEnded(engine); }
    bool FrameComposed(Engine& engine) override {
        if (!mode.FrameComposed(engine)) {
            return false;
        }
        if (++frame % kFramesBetween != 0) {
            return true;
        }
        // A changed script each time: a blank line more or less.
        std::string error;
        if (!baseline) {
            std::ofstream(whole ? "preconfig.txt" : "guion.txt", std::ios::binary)
                << (done % 2 == 0 ? script + "\n" : script);
        }
        if (!baseline && whole) {
            // A reload by hand takes the saves that have settled.
            std::this_thread::sleep_for(std::chrono::milliseconds(FileWatcher::kDefaultQuietMs + 50));
        }
        if (!baseline && !mode.Reload(&error)) {
            std::fprintf(stderr, "AuthorReloadMemory: reload %d failed: %s\n", done, error.c_str());
            failed = true;
            return false;
        }
        ++done;
        if (done == kWarmUp) {
            before = Measure(engine);
        }
        if (done == kWarmUp + reloads / 2) {
            middle = Measure(engine);
        }
        if (done == kWarmUp + reloads) {
            after = Measure(engine);
            return false;
        }
        return true;
    }

    Figures before{};
    Figures middle{};
    Figures after{};
    bool failed = false;
    int done = 0;

private:
    AuthorMode& mode;
    int reloads;
    bool baseline;
    bool whole;
    int frame = 0;
    std::string script;
};

}  // namespace

int main(int argc, char** argv) {
    if (std::getenv("GLIBC_TUNABLES") == nullptr) {
        setenv("GLIBC_TUNABLES", "glibc.malloc.tcache_count=0", 1);
        execv("/proc/self/exe", argv);
    }
    const int reloads = argc > 1 ? std::atoi(argv[1]) : 600;
    const bool baseline = argc > 2 && std::string(argv[2]) == "--baseline";
    const bool whole = argc > 2 && std::string(argv[2]) == "--whole";
    char pattern[] = "/tmp/halvenor-reloads-XXXXXX";
    const char* dir = mkdtemp(pattern);
    const std::string show = dir != nullptr ? dir : "";
    const std::string make = std::string("'") + HALVENOR_BUILD_DIR + "/MakeSampleAssets' '" + show + "' >/dev/null && cp '" +
                             HALVENOR_SOURCE_DIR + "/shows/sample/preconfig.txt' '" + HALVENOR_SOURCE_DIR +
                             "/shows/sample/guion.txt' '" + show + "'";
    if (show.empty() || std::system(make.c_str()) != 0 || chdir(show.c_str()) != 0) {
        std::fprintf(stderr, "AuthorReloadMemory: cannot make the sample show\n");
        return 2;
    }
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    AuthorOptions options;
    options.overlay = false;
    AuthorMode::UseAuthorTime();
    AuthorMode mode(options);
    Reloader reloader(mode, reloads, baseline, whole);
    const int status = Application::Run(reloader);
    const std::string remove = "rm -rf '" + show + "'";
    std::system(remove.c_str());
    if (status != 0 || reloader.failed || reloader.done < kWarmUp + reloads) {
        std::fprintf(stderr, "AuthorReloadMemory: the run ended after %d reloads (status %d)\n", reloader.done, status);
        return 1;
    }
    const Figures& a = reloader.before;
    const Figures& b = reloader.after;
    std::printf("%d %s reloads%s while playing: heap %zu -> %zu bytes, resident %ld -> %ld KiB, textures %d -> %d, "
                "display lists %d -> %d, pixel buffers %d -> %d (live %d -> %d, contexts %d -> %d)\n",
                reloads, whole ? "whole-show" : "script", baseline ? " (baseline: none done)" : "", a.heap, b.heap, a.residentKb, b.residentKb, a.textures, b.textures, a.lists, b.lists,
                a.pixelBuffers, b.pixelBuffers, a.livePbuffers, b.livePbuffers, a.contexts, b.contexts);
    const Figures& m = reloader.middle;
    const char* const name = whole ? "author_whole_reload" : "author_reload";
    std::printf("metric: %s_heap_growth %ld bytes\n", name, static_cast<long>(b.heap) - static_cast<long>(a.heap));
    std::printf("metric: %s_heap_growth_second_half %ld bytes\n", name, static_cast<long>(b.heap) - static_cast<long>(m.heap));
    std::printf("metric: %s_resident_growth_second_half %ld KiB\n", name, b.residentKb - m.residentKb);
    std::printf("metric: %s_resident_growth %ld KiB\n", name, b.residentKb - a.residentKb);
    std::printf("metric: %s_texture_growth %d textures\n", name, b.textures - a.textures);
    std::printf("metric: %s_list_growth %d lists\n", name, b.lists - a.lists);
    std::printf("metric: %s_pixel_buffer_growth %d buffers\n", name, b.pixelBuffers - a.pixelBuffers);
    std::printf("metric: %s_live_pixel_buffer_growth %d buffers\n", name, b.livePbuffers - a.livePbuffers);
    std::printf("metric: %s_context_growth %d contexts\n", name, b.contexts - a.contexts);
    return 0;
}
