// The cost of the diagnostics: a jackknife run with and without the
// collector. Without arguments it runs on generated data of the sizes the
// speed goal names (2000 x 200, 300 x 255); with --data=FILE (repeatable) on
// those data-matrix files, with --method=covariance|correlation and
// --factors=all|N (the components shown, whose axes are matched).
// bench/compare_diagnostics runs it alternately and tabulates the medians.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/analysis_state.h"
#include "diagnostics/diagnostics_run.h"
#include "input/data_reader.h"

namespace talvex {
namespace {

TDataMatrix Generated(TSize n, TSize p) {
  std::mt19937_64 random(7);
  std::normal_distribution<double> normal;
  TDataMatrix data;
  data.objectCount = n;
  data.variableCount = p;
  data.valueCount = n * p;
  data.values = TFloatVector(n * p);
  const TSize factors = std::max<TSize>(1, p / 5);
  std::vector<double> common(factors);
  for (TSize i = 0; i < n; ++i) {
    data.objectLabels.push_back("O" + std::to_string(i + 1));
    for (double& f : common) f = normal(random);
    for (TSize j = 0; j < p; ++j)
      data.values.SetValue(i * p + j + 1, 50 + 10 * common[j % factors] + 3 * normal(random));
  }
  for (TSize j = 0; j < p; ++j) data.variableLabels.push_back("V" + std::to_string(j + 1));
  return data;
}

struct TCase {
  TDataMatrix data;
  DispersionMethod method = DispersionMethod::Covariance;
  TSize factors = 0;  // 0: all
};

void Jackknife(benchmark::State& bench, const TCase& c, bool diagnostics) {
  TAnalysisState state;
  state.LoadData(c.data, "bench.nts");
  if (c.factors != 0 && !state.SetFactorCount(std::min(c.factors, c.data.variableCount))) {
    bench.SkipWithError("no such factor count");
    return;
  }
  TAnalysisOptions options;
  options.method = c.method;
  // The processor time of every thread of the process: on a shared machine
  // it varies less than the wall time, which the other programs stretch.
  const auto processorSeconds = [] {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           1e-6 * double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec);
  };
  const double started = processorSeconds();
  for (auto _ : bench) {
    TReportListing listing;
    if (diagnostics) {
      benchmark::DoNotOptimize(RunWithDiagnostics(state, options, listing));
    } else {
      state.Run(options, listing);
    }
  }
  bench.counters["cpu_s"] =
      benchmark::Counter(processorSeconds() - started, benchmark::Counter::kAvgIterations);
}

void Register(const std::string& name, const TCase& c, int repetitions) {
  for (const bool diagnostics : {false, true}) {
    benchmark::RegisterBenchmark(
        ((diagnostics ? "WithDiagnostics/" : "WithoutDiagnostics/") + name).c_str(),
        [c, diagnostics](benchmark::State& bench) { Jackknife(bench, c, diagnostics); })
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->Iterations(1)
        ->Repetitions(repetitions);
  }
}

int Usage(const char* program) {
  std::fprintf(stderr,
               "usage: %s [--data=FILE]... [--method=covariance|correlation] "
               "[--factors=all|N] [benchmark options]\n",
               program);
  return 2;
}

}  // namespace
}  // namespace talvex

int main(int argc, char** argv) {
  using namespace talvex;
  benchmark::Initialize(&argc, argv);
  std::vector<std::string> files;
  DispersionMethod method = DispersionMethod::Covariance;
  TSize factors = 0;
  for (int a = 1; a < argc; ++a) {
    const std::string_view arg = argv[a];
    const auto value = [&](std::string_view option) {
      return arg.substr(0, option.size()) == option ? arg.substr(option.size())
                                                    : std::string_view();
    };
    if (!value("--data=").empty()) {
      files.emplace_back(value("--data="));
    } else if (value("--method=") == "covariance" || value("--method=") == "correlation") {
      method = value("--method=") == "covariance" ? DispersionMethod::Covariance
                                                  : DispersionMethod::Correlation;
    } else if (value("--factors=") == "all") {
      factors = 0;
    } else if (!value("--factors=").empty()) {
      factors = TSize(std::strtoul(std::string(value("--factors=")).c_str(), nullptr, 10));
      if (factors == 0) return Usage(argv[0]);
    } else {
      return Usage(argv[0]);
    }
  }
  if (files.empty()) {
    for (const auto& [n, p] : {std::pair<TSize, TSize>{2000, 200}, {300, 255}})
      Register(std::to_string(n) + "x" + std::to_string(p), TCase{Generated(n, p), method, factors},
               3);
  }
  for (const std::string& file : files) {
    TCase c{{}, method, factors};
    try {
      ReadDataFile(file, c.data);
    } catch (const std::exception& e) {
      std::fprintf(stderr, "%s: %s\n", file.c_str(), e.what());
      return 1;
    }
    Register(file, c, 1);
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
