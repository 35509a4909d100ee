// Drawing the command line's figures with Qt's offscreen platform.
#include "cli/figure_output.h"

#include <QFile>
#include <QGuiApplication>
#include <memory>

#include "cli/failure_report.h"
#include "drawing/figure_drawing.h"
#include "drawing/figure_export.h"
#include "drawing/plot_builders.h"
#include "drawing/plot_run.h"

namespace talvex {

namespace {

drawing::TFigureSize SizeOf(const TCliFigureOptions& options) {
  drawing::TFigureSize size;
  size.width = options.width;
  size.height = options.height;
  size.unit = options.unit == 'i'   ? drawing::TLengthUnit::Inches
              : options.unit == 'p' ? drawing::TLengthUnit::Pixels
                                    : drawing::TLengthUnit::Centimetres;
  size.dpi = int(options.dpi);
  return size;
}

drawing::TPlotKind PlotKindOfFigure(TCliFigureKind kind) {
  switch (kind) {
    case TCliFigureKind::Scores:
      return drawing::TPlotKind::Scores;
    case TCliFigureKind::Vectors:
      return drawing::TPlotKind::Vectors;
    case TCliFigureKind::Scree:
      return drawing::TPlotKind::Scree;
    case TCliFigureKind::Biplot:
    case TCliFigureKind::CorrelationCircle:
      return drawing::TPlotKind::Biplot;
    case TCliFigureKind::Influence:
      return drawing::TPlotKind::Influence;
  }
  return drawing::TPlotKind::Scores;
}

// The figures need QtGui's fonts and painters, not a display: Qt's
// offscreen platform, whatever the environment names.
std::unique_ptr<QGuiApplication> GuiWithoutDisplay() {
  if (QGuiApplication::instance()) return nullptr;
  qputenv("QT_QPA_PLATFORM", "offscreen");
  // Qt's notes on its own set-up (a missing runtime folder) are not the
  // program's messages: standard error keeps only those.
  qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
  static int argc = 1;
  static char name[] = "talvex-cli";
  static char* argv[] = {name, nullptr};
  return std::make_unique<QGuiApplication>(argc, argv);
}

}  // namespace

void CheckFigureSize(const TCliOptions& options) {
  if (!options.figures.empty()) RequireDrawableSize(SizeOf(options.figure));
}

void CheckFigureComponents(const TCliOptions& options, TSize factorCount, TSize variableCount) {
  if (options.figures.empty()) return;
  // As the plots will offer them: the factors, and the second one too.
  const TSize top = drawing::OfferedComponents(factorCount, variableCount);
  if (options.figure.x > top || options.figure.y > top)
    throw Exception("the figures' components must be between 1 and " + std::to_string(top));
}

bool WriteFigures(const TCliOptions& options, const std::shared_ptr<const TRunOutcome>& outcome,
                  std::ostream& err) {
  if (options.figures.empty()) return true;
  const std::unique_ptr<QGuiApplication> application = GuiWithoutDisplay();
  const drawing::TPlotRun run(outcome, outcome->FactorCount());
  const drawing::TFigureSize size = SizeOf(options.figure);
  bool allWritten = true;
  for (const TCliFigure& figure : options.figures) {
    drawing::TPlotChoices choices;
    choices.x = options.figure.x;
    choices.y = options.figure.y;
    choices.names = options.figure.labels != TCliFigureLabels::Values;
    choices.region = options.figure.regions == TCliFigureRegions::Concentration
                         ? drawing::TGroupRegion::ConcentrationEllipse
                     : options.figure.regions == TCliFigureRegions::Mean
                         ? drawing::TGroupRegion::MeanEllipse
                         : drawing::TGroupRegion::None;
    choices.hulls = options.figure.hulls;
    choices.correlationCircle = figure.kind == TCliFigureKind::CorrelationCircle;
    choices.supplementaryMarks = options.figure.supplementary == TCliSupplementaryMarks::Ellipses
                                     ? drawing::TSupplementaryMarks::Ellipses
                                 : options.figure.supplementary == TCliSupplementaryMarks::None
                                     ? drawing::TSupplementaryMarks::None
                                     : drawing::TSupplementaryMarks::ErrorBars;
    drawing::TFigureDrawing figureDrawing;
    figureDrawing.SetScene(BuildScene(PlotKindOfFigure(figure.kind), run, choices), false);
    figureDrawing.SetLabelAll(options.figure.labels != TCliFigureLabels::None);
    try {
      SaveFigure(QFile::decodeName(figure.path.c_str()), figureDrawing, size,
                 figureDrawing.Title());
    } catch (const std::exception& e) {
      ReportFailure(err, e);
      allWritten = false;
    }
  }
  return allWritten;
}

}  // namespace talvex
