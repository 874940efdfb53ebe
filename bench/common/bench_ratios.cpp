#include "bench/common/bench_ratios.h"

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

std::vector<BenchRatio>& Ratios() {
  static std::vector<BenchRatio> ratios;
  return ratios;
}

std::map<std::string, BenchTime>& Times() {
  static std::map<std::string, BenchTime> times;
  return times;
}

// Prints the results as usual and keeps each benchmark's median time per iteration, in seconds
// whatever unit it reports in.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.error_occurred) continue;
      const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
      const bool single = run.run_type == Run::RT_Iteration && run.repetitions <= 1;
      if (!median && !single) continue;
      const double unit = benchmark::GetTimeUnitMultiplier(run.time_unit);
      Times()[run.run_name.function_name] = {run.GetAdjustedRealTime() / unit, run.GetAdjustedCPUTime() / unit};
    }
  }
};

void PrintRatios() {
  bool heading = false;
  for (const BenchRatio& r : Ratios()) {
    const BenchTime* subject = MeasuredBenchTime(r.subject);
    const BenchTime* baseline = MeasuredBenchTime(r.baseline);
    if (!subject || !baseline || baseline->real <= 0 || baseline->cpu <= 0) continue;
    if (!heading) {
      std::printf("\nRatios, subject / baseline in the same run, of the median times per iteration:\n");
      heading = true;
    }
    const double real = subject->real / baseline->real, cpu = subject->cpu / baseline->cpu;
    std::printf("  %s (%s / %s)\n    real time %.3f, CPU time %.3f", r.what, r.subject, r.baseline, real, cpu);
    if (r.goal > 0) {
      // The machine is shared: processor time is the steadier of the two, and decides.
      std::printf("  (goal: at most %g, %s)", r.goal, cpu <= r.goal ? "met" : "NOT met");
    }
    std::printf("\n");
  }
}

}  // namespace

bool RegisterBenchRatio(const BenchRatio& ratio) {
  Ratios().push_back(ratio);
  return true;
}

const BenchTime* MeasuredBenchTime(const char* function) {
  const auto found = Times().find(function);
  return found == Times().end() ? nullptr : &found->second;
}

int RunBenchmarksWithRatios(int argc, char** argv) {
  // Interleaving first, so that a flag on the command line can still turn it off.
  std::vector<char*> args(argv, argv + argc);
  char interleave[] = "--benchmark_enable_random_interleaving=true";
  args.insert(args.begin() + (argc > 0 ? 1 : 0), interleave);
  int count = static_cast<int>(args.size());
  args.push_back(nullptr);
  benchmark::Initialize(&count, args.data());
  if (benchmark::ReportUnrecognizedArguments(count, args.data())) return 1;
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  PrintRatios();
  benchmark::Shutdown();
  return 0;
}
