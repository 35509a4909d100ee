// The cost of placing point labels: 2,000 to 20,000 anchors in a plot area of
// 800 x 600 pixels, every label asked for (the worst case: a dense cloud
// where most labels find no free place), and only the 50 selected ones.
#include <benchmark/benchmark.h>

#include <numeric>
#include <random>

#include "figures/label_placement.h"

namespace talvex {
namespace {

struct TScene {
  std::vector<TPlotPoint> anchors, sizes;
  std::vector<std::size_t> order;
};

const TLabelBox Bounds{0, 0, 800, 600};

// A score cloud: normal in both directions, labels of 1 to 12 characters at
// 7 x 14 pixels each.
TScene Scene(std::size_t n) {
  std::mt19937_64 random(17);
  std::normal_distribution<double> normal;
  std::uniform_int_distribution<int> characters(1, 12);
  TScene scene;
  for (std::size_t i = 0; i < n; ++i) {
    scene.anchors.push_back({400 + 140 * normal(random), 300 + 100 * normal(random)});
    scene.sizes.push_back({7.0 * characters(random), 14.0});
  }
  scene.order.resize(n);
  std::iota(scene.order.begin(), scene.order.end(), std::size_t(0));
  return scene;
}

void AllLabels(benchmark::State& state) {
  const TScene scene = Scene(std::size_t(state.range(0)));
  std::size_t shown = 0;
  for (auto _ : state) {
    const auto placed = PlaceLabels(scene.anchors, scene.sizes, scene.order, Bounds, 3.0);
    shown = 0;
    for (const TPlacedLabel& label : placed) shown += label.shown;
    benchmark::DoNotOptimize(shown);
  }
  state.counters["shown"] = double(shown);
}
BENCHMARK(AllLabels)->Arg(2000)->Arg(5000)->Arg(20000)->Unit(benchmark::kMillisecond);

void SelectedLabels(benchmark::State& state) {
  TScene scene = Scene(std::size_t(state.range(0)));
  scene.order.resize(50);
  for (auto _ : state) {
    const auto placed = PlaceLabels(scene.anchors, scene.sizes, scene.order, Bounds, 3.0);
    benchmark::DoNotOptimize(placed.data());
  }
}
BENCHMARK(SelectedLabels)->Arg(20000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace talvex
