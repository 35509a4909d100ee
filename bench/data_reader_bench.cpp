// Reading speed of the data-matrix reader: a file of 1,000,000 values (20,000
// labelled objects by 50 labelled variables, CR LF line ends), written to a
// temporary file once, read whole and parsed; reported in bytes per second.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "input/data_reader.h"
#include "input/file_bytes.h"

namespace {

constexpr int Objects = 20000;
constexpr int Variables = 50;

// Measurements with six significant digits and varied magnitudes, as field data has.
std::string GenerateFile() {
  std::mt19937_64 random(20240611);
  std::uniform_real_distribution<double> mantissa(1.0, 10.0);
  std::uniform_int_distribution<int> scale(-2, 3);
  std::string text = "'Generated benchmark data'\r\n1 " + std::to_string(Objects) + "L " +
                     std::to_string(Variables) + "L 0\r\n";
  for (int i = 1; i <= Objects; ++i)
    text += "obj" + std::to_string(i) + (i % 10 == 0 ? "\r\n" : " ");
  for (int j = 1; j <= Variables; ++j)
    text += "var" + std::to_string(j) + (j == Variables ? "\r\n" : " ");
  char number[32];
  for (int i = 0; i < Objects; ++i) {
    for (int j = 0; j < Variables; ++j) {
      const double value =
          mantissa(random) * std::pow(10.0, scale(random)) * (random() % 8 == 0 ? -1 : 1);
      std::snprintf(number, sizeof number, "%.6g", value);
      text += number;
      text += j + 1 == Variables ? "\r\n" : " ";
    }
  }
  return text;
}

const std::string& BenchmarkFile() {
  static const std::string path = [] {
    const auto file = std::filesystem::temp_directory_path() / "talvex_reader_bench.nts";
    std::ofstream(file, std::ios::binary) << GenerateFile();
    return file.string();
  }();
  return path;
}

void ReadDataFileBench(benchmark::State& state) {
  const std::string& path = BenchmarkFile();
  const auto bytes = static_cast<std::int64_t>(std::filesystem::file_size(path));
  for (auto _ : state) {
    talvex::TDataMatrix data;
    talvex::ReadDataFile(path, data);
    benchmark::DoNotOptimize(data.values.Data());
  }
  state.SetBytesProcessed(state.iterations() * bytes);
  state.counters["values"] = Objects * Variables;
}
BENCHMARK(ReadDataFileBench)->Unit(benchmark::kMillisecond);

// The parse alone, without the file system.
void ParseDataMatrixBench(benchmark::State& state) {
  const std::string bytes = talvex::ReadFileBytes(BenchmarkFile());
  for (auto _ : state) {
    talvex::TDataMatrix data;
    talvex::ParseDataMatrix(bytes, data);
    benchmark::DoNotOptimize(data.values.Data());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(bytes.size()));
}
BENCHMARK(ParseDataMatrixBench)->Unit(benchmark::kMillisecond);

}  // namespace
