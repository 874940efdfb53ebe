// The main of a benchmark program whose results are its registered ratios.
#include "bench/common/bench_ratios.h"

int main(int argc, char** argv) { return RunBenchmarksWithRatios(argc, argv); }
