// The benchmark program's main: runs every benchmark, then prints the registered ratios.
#include "bench/surface/bench_ratios.h"

#include <cstdio>
#include <map>

namespace {

std::vector<BenchRatio>& Ratios() {
  static std::vector<BenchRatio> ratios;
  return ratios;
}

// Keeps the mean processor time of every run, per benchmark name (the machine is shared, so
// processor time is steadier than wall time).
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Iteration || run.iterations == 0) continue;
      times_[run.run_name.function_name] = run.cpu_accumulated_time / static_cast<double>(run.iterations);
    }
    ConsoleReporter::ReportRuns(runs);
  }
  void PrintRatios() const {
    std::printf("\nRatios (time of the subject / time of the baseline, same run):\n");
    for (const BenchRatio& r : BenchRatios()) {
      const auto s = times_.find(r.subject), b = times_.find(r.baseline);
      if (s == times_.end() || b == times_.end() || b->second <= 0) continue;
      const double ratio = s->second / b->second;
      std::printf("  %-80s %6.2f  (goal <= %.1f: %s)\n", r.what, ratio, r.goal, ratio <= r.goal ? "met" : "NOT met");
    }
  }

 private:
  std::map<std::string, double> times_;
};

}  // namespace

bool RegisterBenchRatio(const BenchRatio& ratio) {
  Ratios().push_back(ratio);
  return true;
}

const std::vector<BenchRatio>& BenchRatios() { return Ratios(); }

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintRatios();
  benchmark::Shutdown();
  return 0;
}
