// Time and heap allocations of each PowerClass operation beside the platform call it makes,
// in one run; the report ends with the library's overhead as a ratio.
#include "cases.h"

#include <calvoro/simulation.h>

#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <new>
#include <string>

namespace {

std::atomic<std::size_t> g_heapAllocations{0};

// Counts heap allocations per call: operator new, and the platform's zero-filled blocks.
void Measure(benchmark::State& state, void (*call)()) {
    calvoro_bench::Prepare();
    const std::size_t heapBefore = g_heapAllocations;
    const std::size_t blocksBefore = Calvoro::Simulation::Allocations().made;
    for (auto _ : state) {
        call();
    }
    const auto iterations = static_cast<double>(state.iterations());
    state.counters["new/call"] = static_cast<double>(g_heapAllocations - heapBefore) / iterations;
    state.counters["blocks/call"] =
        static_cast<double>(Calvoro::Simulation::Allocations().made - blocksBefore) / iterations;
}

// The console report, then each operation's time as a multiple of its direct call.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Iteration) {
                cpuTime_[run.benchmark_name()] = run.GetAdjustedCPUTime();
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void Finalize() override {
        ConsoleReporter::Finalize();
        std::printf("\n%-34s %12s\n", "operation", "library/direct");
        for (std::size_t i = 0; i < calvoro_bench::kPairCount; ++i) {
            const std::string name = calvoro_bench::kPairs[i].operation;
            const auto library = cpuTime_.find("Library/" + name);
            const auto direct = cpuTime_.find("Direct/" + name);
            if (library != cpuTime_.end() && direct != cpuTime_.end() && direct->second > 0) {
                std::printf("%-34s %12.3f\n", name.c_str(), library->second / direct->second);
            }
        }
    }

private:
    std::map<std::string, double> cpuTime_;
};

}  // namespace

void* operator new(std::size_t size) {
    ++g_heapAllocations;
    if (void* block = std::malloc(size == 0 ? 1 : size)) {
        return block;
    }
    throw std::bad_alloc();
}
void operator delete(void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }

int main(int argc, char** argv) {
    for (std::size_t i = 0; i < calvoro_bench::kPairCount; ++i) {
        const calvoro_bench::Pair& pair = calvoro_bench::kPairs[i];
        benchmark::RegisterBenchmark((std::string("Library/") + pair.operation).c_str(), Measure,
                                     pair.library);
        benchmark::RegisterBenchmark((std::string("Direct/") + pair.operation).c_str(), Measure,
                                     pair.direct);
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
