// The benchmark groups of tbook_bench. Each registers the program's own code beside a reference
// measured in the same run, under names "group/side/..." that bench/report.py pairs up.
#pragma once

void RegisterLoadBenchmarks();
void RegisterSaveBenchmarks();
void RegisterSortBenchmarks();
void RegisterSearchBenchmarks();
void RegisterHostileBenchmarks();
void RegisterInterchangeBenchmarks();
void RegisterDuplicatesBenchmarks();
void RegisterValuesBenchmarks();

// The address book sizes measured.
const int kBenchSizes[] = {1000, 10000, 100000};
