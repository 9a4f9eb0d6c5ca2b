// Particle systems on the processor: one frame's update of 100 000 particles
// for each motion type, and reading a 100 000-particle definition file.
// Reports particles per second of processor time.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "benchmarks/MetricReporter.h"
#include "fx2d/ParticleFile.h"
#include "fx2d/ParticleSystem.h"

namespace {

constexpr uint32_t kParticleCount = 100000;

void Fill(ParticleSystem& system, int32_t type) {
    system.AllocateParticles(kParticleCount, 2.0f, 60.0f);
    system.type = type;
    for (uint32_t i = 0; i < kParticleCount; ++i) {
        Particle& p = system.particles[i];
        p.baseX = static_cast<float>(i % 100);
        p.posY = static_cast<float>(i % 150);
        p.phase = static_cast<float>(i % 60);
        p.step = 0.25f;
        p.halfSize = 1.0f;
        p.brightness = 1.0f;
    }
}

void BM_Update(benchmark::State& state) {
    ParticleSystem system;
    Fill(system, static_cast<int32_t>(state.range(0)));
    for (auto _ : state) {
        system.Update();
        benchmark::DoNotOptimize(system.particles[kParticleCount / 2].posY);
        benchmark::ClobberMemory();
    }
    state.counters["particles_per_s"] =
        benchmark::Counter(kParticleCount, benchmark::Counter::kIsIterationInvariantRate);
}

void BM_ReadFile(benchmark::State& state) {
    const std::string path = "/tmp/halvenor-particle-benchmark.bin";
    {
        ParticleSystem system;
        Fill(system, ParticleSystem::kFall);
        if (!system.Save(path.c_str())) {
            state.SkipWithError("cannot write the definition file");
            return;
        }
    }
    for (auto _ : state) {
        ParticleFile file;
        benchmark::DoNotOptimize(file.Read(path.c_str()));
        benchmark::DoNotOptimize(file.particles.data());
    }
    std::remove(path.c_str());
    state.counters["particles_per_s"] =
        benchmark::Counter(kParticleCount, benchmark::Counter::kIsIterationInvariantRate);
}

}  // namespace

BENCHMARK(BM_Update)->ArgName("type")->DenseRange(1, 4)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ReadFile)->Unit(benchmark::kMillisecond);

// Each counter also goes out as a metric line for scripts/bench.sh.
int main(int argc, char** argv) { return MetricReporter::Main(argc, argv); }
