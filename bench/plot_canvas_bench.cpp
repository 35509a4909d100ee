// How fast the plot windows draw a large scores plot: 20,000 objects in six
// groups, on an 800 x 600 canvas as the screen draws it. The scene is built
// once per run; the first drawing, a wheel-zoom step and a drag step each
// draw the whole canvas again, with and without every point labelled.
// Built with the desktop program (TALVEX_BUILD_SHELL and TALVEX_BUILD_BENCH);
// runs offscreen.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <random>

#include "drawing/plot_builders.h"
#include "drawing/plot_run.h"
#include "shell/plots/plot_canvas.h"

using talvex::desktop::TPlotCanvas;
using talvex::drawing::TGroupRegion;
using talvex::drawing::TPlotChoices;
using talvex::drawing::TPlotKind;
using talvex::drawing::TPlotRun;

namespace {

constexpr talvex::TSize Objects = 20000;
constexpr talvex::TSize Variables = 10;
constexpr int Groups = 6;

// A completed run on correlated random data with groups, as the program
// would hold it.
const TPlotRun& Snapshot() {
  static const std::shared_ptr<TPlotRun> snapshot = [] {
    talvex::TDataMatrix data;
    data.objectCount = Objects;
    data.variableCount = Variables;
    data.valueCount = Objects * Variables;
    data.values = talvex::TFloatVector(data.valueCount);
    std::mt19937_64 random(7);
    std::normal_distribution<double> normal;
    for (talvex::TSize i = 1; i <= Objects; ++i) {
      const int group = int(i % Groups);
      const double common = normal(random);
      for (talvex::TSize j = 1; j <= Variables; ++j)
        data.values.SetValue((i - 1) * Variables + j,
                             10 + common * double(j) / 4 + group * 0.8 + normal(random));
      data.objectLabels.push_back("obj" + std::to_string(i));
      data.groups.push_back("group " + std::to_string(group + 1));
    }
    for (talvex::TSize j = 1; j <= Variables; ++j)
      data.variableLabels.push_back("v" + std::to_string(j));
    talvex::TRunData run;
    run.matrix = std::move(data);
    run.path = "bench";
    talvex::TRunOptions options;
    options.analysis.jackknife = false;
    options.threads = 1;
    talvex::TAnalysis analysis;
    analysis.Compute(std::move(run), options);
    return std::make_shared<TPlotRun>(analysis.Outcome(), analysis.Outcome()->FactorCount());
  }();
  return *snapshot;
}

void Draw(TPlotCanvas& canvas, QImage& image) {
  canvas.render(&image);
  benchmark::DoNotOptimize(image.constBits());
}

void BM_BuildScoresScene(benchmark::State& state) {
  const TPlotRun& snapshot = Snapshot();
  TPlotChoices choices;
  choices.region = TGroupRegion(state.range(0));
  for (auto _ : state) benchmark::DoNotOptimize(BuildScene(TPlotKind::Scores, snapshot, choices));
}
BENCHMARK(BM_BuildScoresScene)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The window's first drawing: the scene handed over and drawn.
void BM_FirstDrawing(benchmark::State& state) {
  const TPlotRun& snapshot = Snapshot();
  TPlotCanvas canvas;
  canvas.resize(800, 600);
  canvas.SetLabelAll(state.range(0) != 0);
  QImage image(canvas.size(), QImage::Format_ARGB32_Premultiplied);
  for (auto _ : state) {
    canvas.SetScene(BuildScene(TPlotKind::Scores, snapshot, TPlotChoices()), false);
    Draw(canvas, image);
  }
}
BENCHMARK(BM_FirstDrawing)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// A canvas showing the scores plot, drawn once into `image`.
void ShowScores(TPlotCanvas& canvas, QImage& image, bool labelled) {
  canvas.resize(800, 600);
  canvas.SetLabelAll(labelled);
  canvas.SetScene(BuildScene(TPlotKind::Scores, Snapshot(), TPlotChoices()), false);
  image = QImage(canvas.size(), QImage::Format_ARGB32_Premultiplied);
  Draw(canvas, image);
}

// One wheel notch in and out again about a point, each drawn.
void BM_ZoomStep(benchmark::State& state) {
  TPlotCanvas canvas;
  QImage image;
  ShowScores(canvas, image, state.range(0) != 0);
  bool in = true;
  for (auto _ : state) {
    canvas.ZoomAt(QPointF(420, 280), in ? 1.2 : 1 / 1.2);
    in = !in;
    Draw(canvas, image);
  }
}
BENCHMARK(BM_ZoomStep)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// One step of a drag (10 pixels), drawn.
void BM_PanStep(benchmark::State& state) {
  TPlotCanvas canvas;
  QImage image;
  ShowScores(canvas, image, state.range(0) != 0);
  double step = 10;
  for (auto _ : state) {
    canvas.PanBy(QPointF(step, 0));
    step = -step;
    Draw(canvas, image);
  }
}
BENCHMARK(BM_PanStep)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
