// tbook_bench: the data core's speed beside references. Run through bench/run.sh, which keeps
// the JSON output and prints the ratios with bench/report.py.
#include "BenchData.h"
#include "Benchmarks.h"

#include <benchmark/benchmark.h>

#include <string>

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::AddCustomContext("tbook_seed", std::to_string(kBenchSeed));
    RegisterLoadBenchmarks();
    RegisterSaveBenchmarks();
    RegisterSortBenchmarks();
    RegisterSearchBenchmarks();
    RegisterHostileBenchmarks();
    RegisterInterchangeBenchmarks();
    RegisterDuplicatesBenchmarks();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
