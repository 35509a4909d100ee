// The result windows: made on first request, kept, and redrawn by new runs.
#include "shell/result_windows.h"

#include "diagnostics/diagnostics_report.h"
#include "shell/plot_window.h"
#include "shell/qt_figure_interaction.h"
#include "shell/qt_report_interaction.h"
#include "shell/report_form.h"
#include "supplementary/supplementary_report.h"

TResultWindows::TResultWindows(TSettingsFile& settings)
    : settings_(settings),
      ownInteraction_(std::make_unique<TQtReportInteraction>()),
      ownFigureInteraction_(std::make_unique<TQtFigureInteraction>()),
      interaction_(*ownInteraction_),
      figureInteraction_(*ownFigureInteraction_) {}

TResultWindows::TResultWindows(TSettingsFile& settings, TReportInteraction& interaction,
                               TFigureInteraction& figureInteraction)
    : settings_(settings), interaction_(interaction), figureInteraction_(figureInteraction) {}

TResultWindows::~TResultWindows() = default;

TReportForm& TResultWindows::TextWindow(std::unique_ptr<TReportForm>& window, const QString& key) {
  if (!window) {
    const QString caption =
        key == QLatin1String("Listing") ? tr("Report Listing") : tr("Diagnostics");
    window = std::make_unique<TReportForm>(settings_, interaction_, caption, key);
  }
  return *window;
}

void TResultWindows::ShowListing(const talvex::TReportListing& listing, const QString& failure) {
  TReportForm& window = TextWindow(listing_, QStringLiteral("Listing"));
  window.SetLines(listing.Lines());
  window.SetFailure(failure);
  window.Present();
}

void TResultWindows::RunFailed(const talvex::TReportListing& listing, const QString& failure) {
  if (!listing_) return;
  listing_->SetLines(listing.Lines());
  listing_->SetFailure(failure);
}

void TResultWindows::ShowDiagnostics(const talvex::TReportListing& report) {
  TReportForm& window = TextWindow(diagnostics_, QStringLiteral("Diagnostics"));
  window.SetLines(report.Lines());
  window.Present();
}

void TResultWindows::ShowScoresPlot(const talvex::TAnalysisState& state) {
  ShowPlot(TPlotKind::Scores, state);
}
void TResultWindows::ShowVectorsPlot(const talvex::TAnalysisState& state) {
  ShowPlot(TPlotKind::Vectors, state);
}
void TResultWindows::ShowScreePlot(const talvex::TAnalysisState& state) {
  ShowPlot(TPlotKind::Scree, state);
}
void TResultWindows::ShowBiplot(const talvex::TAnalysisState& state) {
  ShowPlot(TPlotKind::Biplot, state);
}
void TResultWindows::ShowInfluencePlot(const talvex::TAnalysisState& state) {
  ShowPlot(TPlotKind::Influence, state);
}

void TResultWindows::ShowPlot(TPlotKind kind, const talvex::TAnalysisState& state) {
  // A plot shows the results with the number of components asked for now;
  // a changed number makes a new snapshot that keeps what was computed on
  // request (the parallel analysis).
  if (!snapshot_ || snapshot_->factorCount != state.FactorCount()) {
    auto snapshot = MakePlotSnapshot(state, runDiagnostics_ ? &*runDiagnostics_ : nullptr,
                                     runSupplementary_ ? &*runSupplementary_ : nullptr);
    if (snapshot_)
      snapshot->results.tables.parallelAnalysis = snapshot_->results.tables.parallelAnalysis;
    snapshot_ = std::move(snapshot);
    for (auto& [shownKind, window] : plots_)
      if (window->isVisible()) window->ShowSnapshot(snapshot_);
  }
  std::unique_ptr<TPlotWindow>& window = plots_[kind];
  if (!window) {
    window = std::make_unique<TPlotWindow>(kind, settings_, interaction_, figureInteraction_);
    window->ShowSnapshot(snapshot_);
  } else if (window->Snapshot() != snapshot_.get()) {
    window->ShowSnapshot(snapshot_);
  }
  window->show();
  window->raise();
  window->activateWindow();
}

void TResultWindows::RunCompleted(const talvex::TAnalysisState& state,
                                  const talvex::TReportListing& listing,
                                  const talvex::TDiagnostics& diagnostics) {
  runDiagnostics_.reset();
  if (diagnostics.available) runDiagnostics_ = diagnostics;
  snapshot_ = MakePlotSnapshot(state, runDiagnostics_ ? &*runDiagnostics_ : nullptr,
                               runSupplementary_ ? &*runSupplementary_ : nullptr);
  if (listing_) {
    listing_->SetLines(listing.Lines());
    listing_->SetFailure(QString());
  }
  if (diagnostics_) {
    if (diagnostics.available || runSupplementary_) {
      talvex::TReportListing report =
          talvex::DiagnosticsReport(diagnostics, state.Data(), &state.Record());
      if (runSupplementary_) talvex::AppendSupplementaryReport(report, *runSupplementary_);
      diagnostics_->SetLines(report.Lines());
    } else
      diagnostics_->close();
  }
  for (auto& [kind, window] : plots_) {
    if (!window->isVisible()) continue;
    if (kind == TPlotKind::Influence && !runDiagnostics_)
      window->close();
    else
      window->ShowSnapshot(snapshot_);
  }
}

void TResultWindows::SupplementaryPlaced(const talvex::TSupplementaryResults& supplementary) {
  runSupplementary_.reset();
  if (supplementary.available) runSupplementary_ = supplementary;
}

void TResultWindows::DataReplaced() {
  snapshot_.reset();
  runDiagnostics_.reset();
  runSupplementary_.reset();
  if (listing_) listing_->close();
  if (diagnostics_) diagnostics_->close();
  for (auto& [kind, window] : plots_) window->close();
}

void TResultWindows::SaveSettings() {
  if (listing_) listing_->SaveSettings();
  if (diagnostics_) diagnostics_->SaveSettings();
  for (auto& [kind, window] : plots_) window->SaveSettings();
}

TPlotWindow* TResultWindows::PlotWindow(TPlotKind kind) const {
  const auto found = plots_.find(kind);
  return found == plots_.end() ? nullptr : found->second.get();
}
