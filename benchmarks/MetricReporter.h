// The console reporter of Google Benchmark that also prints every counter of
// every run as a line of its own, "metric: <name> <value> <unit>", for
// scripts/bench.sh. The name is the run's name without "BM_", lower-cased,
// with the counter's name after it: "BM_Deform/flags:1023" and the counter
// "vertex_stages_per_s" give "deform_flags_1023_vertex_stages_per_s". Rates
// are given in millions a second.
#ifndef HALVENOR_BENCHMARKS_METRICREPORTER_H
#define HALVENOR_BENCHMARKS_METRICREPORTER_H

#include <benchmark/benchmark.h>

#include <cctype>
#include <cstdio>
#include <string>
#include <vector>

class MetricReporter : public benchmark::ConsoleReporter {
public:
    // Without colours, whose escapes would run into the metric lines.
    MetricReporter() : benchmark::ConsoleReporter(OO_Tabular) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        benchmark::ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.error_occurred || run.run_type != Run::RT_Iteration) {
                continue;
            }
            const std::string name = MetricName(run.benchmark_name());
            for (const auto& counter : run.counters) {
                const bool rate = (counter.second.flags & benchmark::Counter::kIsRate) != 0;
                std::printf("metric: %s_%s %.3f %s\n", name.c_str(), counter.first.c_str(),
                            rate ? counter.second.value / 1e6 : static_cast<double>(counter.second.value),
                            rate ? "M/s" : "-");
            }
        }
        std::fflush(stdout);
    }

    // Runs the benchmarks named on the command line with this reporter.
    static int Main(int argc, char** argv) {
        benchmark::Initialize(&argc, argv);
        if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
            return 1;
        }
        MetricReporter reporter;
        benchmark::RunSpecifiedBenchmarks(&reporter);
        benchmark::Shutdown();
        return 0;
    }

private:
    static std::string MetricName(const std::string& runName) {
        std::string name = runName.compare(0, 3, "BM_") == 0 ? runName.substr(3) : runName;
        for (char& c : name) {
            c = std::isalnum(static_cast<unsigned char>(c)) ? static_cast<char>(std::tolower(static_cast<unsigned char>(c)))
                                                             : '_';
        }
        return name;
    }
};

#endif
