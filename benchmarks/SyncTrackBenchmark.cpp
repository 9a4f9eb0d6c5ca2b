// Sync tracks on the processor: one frame's Apply of 1 000 bound tracks of
// 64 keys each (every interpolation), the music moving on a 60th of a second
// a frame, bound to plain numbers and, through the registry, to the alpha,
// corner, scale and angle of 200 layers. Reports microseconds a frame
// (frame_us; the goal is 100 at most) of the best of the runs.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "benchmarks/MetricReporter.h"
#include "core/Engine.h"
#include "fx2d/Layer2D.h"
#include "sync/SyncTargetFinder.h"
#include "sync/SyncTracks.h"

namespace {

constexpr int kTracks = 1000;
constexpr int kKeys = 64;
constexpr int kLayers = 200;
constexpr double kFrameSeconds = 1.0 / 60.0;
// 120 bpm at 8 rows a beat: 16 rows a second, keys 32 rows apart: the
// tracks last a little over two minutes.
constexpr double kBpm = 120.0;
constexpr double kRowsPerBeat = 8.0;

void FillKeys(SyncTrack& track, int seed) {
    for (int k = 0; k < kKeys; ++k) {
        track.SetKey(SyncKey{static_cast<uint32_t>(k * 32 + seed % 7), static_cast<float>((k * 37 + seed) % 100),
                             static_cast<uint8_t>((k + seed) % SyncKey::kInterpolationCount)});
    }
}

class FloatTargets : public SyncTargetFinder {
public:
    explicit FloatTargets(std::vector<float>& values) : values(values) {}
    SyncTarget Find(const std::string& name) const override {
        SyncTarget target;
        target.object = &values[static_cast<size_t>(std::stoi(name.substr(1)))];
        target.set = [](const SyncTarget& t, float value) { *static_cast<float*>(t.object) = value; };
        return target;
    }

private:
    std::vector<float>& values;
};

// Frames played through a stretch of the tracks; microseconds a frame.
double Play(benchmark::State& state, const SyncTracks& tracks) {
    double seconds = 0.0;
    double bestUs = 1e30;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        for (int frame = 0; frame < 600; ++frame) {
            tracks.Apply(seconds);
            seconds = seconds > 120.0 ? 0.0 : seconds + kFrameSeconds;
        }
        benchmark::ClobberMemory();
        const double us = std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count();
        bestUs = std::min(bestUs, us / 600.0);
    }
    return bestUs;
}

void BM_SyncTracksOnFloats(benchmark::State& state) {
    std::vector<float> values(kTracks);
    SyncTracks tracks("bench", kBpm, kRowsPerBeat);
    for (int i = 0; i < kTracks; ++i) {
        FillKeys(*tracks.Want("v" + std::to_string(i)), i);
    }
    tracks.Bind(FloatTargets(values));
    if (tracks.BoundCount() != kTracks) {
        state.SkipWithError("not every track is bound");
        return;
    }
    state.counters["frame_us"] = Play(state, tracks);
}

void BM_SyncTracksOnLayers(benchmark::State& state) {
    Engine engine;
    for (int i = 0; i < kLayers; ++i) {
        Layer2D* layer = new Layer2D();
        layer->SetName(("Capa" + std::to_string(i)).c_str());
        engine.layers[engine.layerCount++] = layer;
    }
    engine.tracks = new SyncTracks("bench", kBpm, kRowsPerBeat);
    const char* const properties[] = {"alpha", "x", "y", "scale", "angle"};
    for (int i = 0; i < kTracks; ++i) {
        FillKeys(*engine.tracks->Want("Capa" + std::to_string(i / 5) + ":" + properties[i % 5]), i);
    }
    engine.BindTracks();
    if (engine.tracks->BoundCount() != kTracks) {
        state.SkipWithError("not every track is bound");
        return;
    }
    state.counters["frame_us"] = Play(state, *engine.tracks);
    for (int i = 0; i < engine.layerCount; ++i) {
        delete engine.layers[i];
    }
    engine.layerCount = 0;
}

}  // namespace

BENCHMARK(BM_SyncTracksOnFloats)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SyncTracksOnLayers)->Unit(benchmark::kMillisecond);

// Each counter also goes out as a metric line for scripts/bench.sh.
int main(int argc, char** argv) { return MetricReporter::Main(argc, argv); }
