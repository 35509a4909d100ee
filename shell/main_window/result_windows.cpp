// The result windows: made on first request, kept, and redrawn by new runs.
#include "shell/main_window/result_windows.h"

#include "shell/plots/plot_window.h"
#include "shell/plots/qt_plot_interaction.h"
#include "shell/report/qt_report_interaction.h"
#include "shell/report/report_form.h"
#include "talvex/outcome_report.h"

namespace talvex::desktop {

TResultWindows::TResultWindows(TSettingsFile& settings)
    : settings_(settings),
      ownInteraction_(std::make_unique<TQtReportInteraction>()),
      ownFigureInteraction_(std::make_unique<TQtPlotInteraction>()),
      interaction_(*ownInteraction_),
      figureInteraction_(*ownFigureInteraction_) {}

TResultWindows::TResultWindows(TSettingsFile& settings, TReportInteraction& interaction,
                               TPlotInteraction& figureInteraction)
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

void TResultWindows::ShowPlot(drawing::TPlotKind kind,
                              const std::shared_ptr<const talvex::TRunOutcome>& outcome,
                              talvex::TSize factorCount) {
  // A plot shows the results with the number of components asked for now;
  // a changed number makes a new plot run that keeps what was computed on
  // request for the same outcome (the parallel analysis).
  if (!run_ || run_->Outcome() != outcome || run_->FactorCount() != factorCount) {
    auto run = std::make_shared<drawing::TPlotRun>(outcome, factorCount);
    if (run_ && run_->Outcome() == outcome) run->SetParallelAnalysis(run_->ParallelAnalysis());
    run_ = std::move(run);
    for (auto& [shownKind, window] : plots_)
      if (window->isVisible()) window->ShowRun(run_);
  }
  std::unique_ptr<TPlotWindow>& window = plots_[kind];
  if (!window) {
    window = std::make_unique<TPlotWindow>(kind, settings_, interaction_, figureInteraction_);
    window->ShowRun(run_);
  } else if (window->ShownRun() != run_.get()) {
    window->ShowRun(run_);
  }
  window->show();
  window->raise();
  window->activateWindow();
}

void TResultWindows::RunCompleted(const std::shared_ptr<const talvex::TRunOutcome>& outcome) {
  run_ = std::make_shared<drawing::TPlotRun>(outcome, outcome->FactorCount());
  if (listing_) {
    listing_->SetLines(outcome->Listing().Lines());
    listing_->SetFailure(QString());
  }
  if (diagnostics_) {
    if (talvex::HasDiagnosticsReport(*outcome))
      diagnostics_->SetLines(talvex::OutcomeDiagnosticsReport(*outcome).Lines());
    else
      diagnostics_->close();
  }
  for (auto& [kind, window] : plots_) {
    if (!window->isVisible()) continue;
    if (!PlotAvailable(kind, outcome->Diagnostics().available))
      window->close();
    else
      window->ShowRun(run_);
  }
}

void TResultWindows::DataReplaced() {
  run_.reset();
  if (listing_) listing_->close();
  if (diagnostics_) diagnostics_->close();
  for (auto& [kind, window] : plots_) window->close();
}

void TResultWindows::SaveSettings() {
  if (listing_) listing_->SaveSettings();
  if (diagnostics_) diagnostics_->SaveSettings();
  for (auto& [kind, window] : plots_) window->SaveSettings();
}

TPlotWindow* TResultWindows::PlotWindow(drawing::TPlotKind kind) const {
  const auto found = plots_.find(kind);
  return found == plots_.end() ? nullptr : found->second.get();
}

}  // namespace talvex::desktop
