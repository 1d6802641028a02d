// tbook_bench: the data core's speed beside references. Run through bench/run.sh, which keeps
// the JSON output and prints the ratios with bench/report.py.
#include "BenchData.h"
#include "Benchmarks.h"

#include <benchmark/benchmark.h>

#include <string>

#ifdef __GLIBC__
#include <malloc.h>
#endif

int main(int argc, char** argv) {
#ifdef __GLIBC__
    // Every size from the heap, and the heap kept: glibc otherwise maps blocks above its
    // threshold (a few to 32 MB, moving as it goes) afresh for every run and gives them back
    // after it, so a large book pays for touching new pages on every run and a small one only
    // on the first, which reads as work growing faster than the book.
    mallopt(M_MMAP_MAX, 0);
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
#endif
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
    RegisterValuesBenchmarks();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
