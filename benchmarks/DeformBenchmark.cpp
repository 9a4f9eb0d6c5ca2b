// Vertex deformation over a 100 000-vertex grid, one stage at a time and all
// stages together. Reports vertex-stages per second: vertices times the
// number of stages run, per second of processor time.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "benchmarks/MetricReporter.h"
#include "scene/SceneObject.h"

namespace {

// Rows of this many vertices; the last, partial row is left without faces.
constexpr int kGridSide = 317;
constexpr uint32_t kVertexCount = 100000;

// A gently curved grid of triangles with its adjacency built, ready to deform.
class Grid {
public:
    Grid() {
        vertices.resize(kVertexCount);
        for (uint32_t i = 0; i < kVertexCount; ++i) {
            Vertex vertex = DefaultVertex();
            const float x = static_cast<float>(i % kGridSide);
            const float z = static_cast<float>(i / kGridSide);
            vertex.position[0] = x;
            vertex.position[1] = std::sin(x * 0.1f) * std::cos(z * 0.1f) * 5.0f;
            vertex.position[2] = z;
            vertices[i] = vertex;
        }
        const int rows = static_cast<int>(kVertexCount / kGridSide);
        for (int row = 0; row + 1 < rows; ++row) {
            for (int column = 0; column + 1 < kGridSide; ++column) {
                const int32_t a = row * kGridSide + column;
                faces.push_back(Face{a, a + kGridSide, a + 1, nullptr, nullptr, nullptr, {0.0f, 1.0f, 0.0f}});
                faces.push_back(
                    Face{a + 1, a + kGridSide, a + kGridSide + 1, nullptr, nullptr, nullptr, {0.0f, 1.0f, 0.0f}});
            }
        }
        object.vertices = vertices.data();
        object.vertexCount = kVertexCount;
        object.faces = faces.data();
        object.faceCount = static_cast<uint32_t>(faces.size());
        object.Prepare(false);
        object.Snapshot();
    }
    ~Grid() {
        for (Vertex& vertex : vertices) {
            delete[] vertex.adjacentNormals;
        }
        delete[] object.restVertices;
    }

    SceneObject object;

private:
    std::vector<Vertex> vertices;
    std::vector<Face> faces;
};

Grid& SharedGrid() {
    static Grid grid;
    return grid;
}

int StageCount(int32_t flags) {
    int count = 0;
    for (const int32_t stage : {DEFORM_WAVE, DEFORM_RIPPLE, DEFORM_NORMAL_WAVE, DEFORM_TWIST_X, DEFORM_TWIST_Y,
                                DEFORM_TWIST_Z, DEFORM_PUSH_X, DEFORM_PUSH_Y, DEFORM_PUSH_Z, DEFORM_FLAG}) {
        if (flags & stage) {
            ++count;
        }
    }
    return count;
}

void BM_Deform(benchmark::State& state) {
    const auto flags = static_cast<int32_t>(state.range(0));
    SceneObject& object = SharedGrid().object;
    object.SetDeformation(flags, 2.0, 0.5, 10.0, 1.0);
    for (auto _ : state) {
        object.Deform();
        benchmark::DoNotOptimize(object.vertices[kVertexCount / 2].position[1]);
        benchmark::ClobberMemory();
    }
    const double vertexStages = static_cast<double>(kVertexCount) * StageCount(flags);
    state.counters["vertex_stages_per_s"] =
        benchmark::Counter(vertexStages, benchmark::Counter::kIsIterationInvariantRate);
}

constexpr int32_t kAllStages = DEFORM_WAVE | DEFORM_RIPPLE | DEFORM_NORMAL_WAVE | DEFORM_TWIST_X | DEFORM_TWIST_Y |
                               DEFORM_TWIST_Z | DEFORM_PUSH_X | DEFORM_PUSH_Y | DEFORM_PUSH_Z | DEFORM_FLAG;

}  // namespace

BENCHMARK(BM_Deform)
    ->ArgName("flags")
    ->Arg(DEFORM_WAVE)
    ->Arg(DEFORM_RIPPLE)
    ->Arg(DEFORM_NORMAL_WAVE)
    ->Arg(DEFORM_TWIST_X)
    ->Arg(DEFORM_TWIST_Y)
    ->Arg(DEFORM_TWIST_Z)
    ->Arg(DEFORM_PUSH_X)
    ->Arg(DEFORM_PUSH_Y)
    ->Arg(DEFORM_PUSH_Z)
    ->Arg(DEFORM_FLAG)
    ->Arg(kAllStages)
    ->Unit(benchmark::kMillisecond);

// Each counter also goes out as a metric line for scripts/bench.sh.
int main(int argc, char** argv) { return MetricReporter::Main(argc, argv); }
