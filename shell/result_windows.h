// TResultWindows: the windows of a run's results, each opened on request and
// then kept: the report listing, the diagnostics report and one window per
// plot. None is modal, so the user can see a plot beside the report or two
// plots side by side; a new run redraws those that are open, and loading
// other data closes them.
#pragma once

#include <QObject>
#include <QPointer>
#include <map>
#include <memory>

#include "drawing/plot_builders.h"
#include "drawing/plot_snapshot.h"
#include "shell/report_viewer.h"

class TFigureInteraction;
class TPlotWindow;
class TReportForm;
class TReportInteraction;
class TSettingsFile;

class TResultWindows : public QObject, public TReportViewer {
  Q_OBJECT

 public:
  /// With Qt's own dialogs.
  explicit TResultWindows(TSettingsFile& settings);
  /// With the dialogs of the two interactions (which must outlive this).
  TResultWindows(TSettingsFile& settings, TReportInteraction& interaction,
                 TFigureInteraction& figureInteraction);
  ~TResultWindows() override;

  void ShowListing(const talvex::TReportListing& listing, const QString& failure) override;
  void ShowDiagnostics(const talvex::TReportListing& report) override;
  void ShowScoresPlot(const talvex::TAnalysisState& state) override;
  void ShowVectorsPlot(const talvex::TAnalysisState& state) override;
  void ShowScreePlot(const talvex::TAnalysisState& state) override;
  void ShowBiplot(const talvex::TAnalysisState& state) override;
  void ShowInfluencePlot(const talvex::TAnalysisState& state) override;
  void RunCompleted(const talvex::TAnalysisState& state, const talvex::TReportListing& listing,
                    const talvex::TDiagnostics& diagnostics) override;
  void SupplementaryPlaced(const talvex::TSupplementaryResults& supplementary) override;
  void RunFailed(const talvex::TReportListing& listing, const QString& failure) override;
  void DataReplaced() override;
  void SaveSettings() override;

  /// The windows made so far (null until first shown), for the tests.
  TReportForm* ListingWindow() const { return listing_.get(); }
  TReportForm* DiagnosticsWindow() const { return diagnostics_.get(); }
  TPlotWindow* PlotWindow(TPlotKind kind) const;

 private:
  void ShowPlot(TPlotKind kind, const talvex::TAnalysisState& state);
  TReportForm& TextWindow(std::unique_ptr<TReportForm>& window, const QString& key);

  TSettingsFile& settings_;
  std::unique_ptr<TReportInteraction> ownInteraction_;
  std::unique_ptr<TFigureInteraction> ownFigureInteraction_;
  TReportInteraction& interaction_;
  TFigureInteraction& figureInteraction_;
  // The last completed run's results as the plots draw them, and its diagnostics.
  std::shared_ptr<TPlotSnapshot> snapshot_;
  std::optional<talvex::TDiagnostics> runDiagnostics_;
  // The supplementary items of the next completed run, then of the last.
  std::optional<talvex::TSupplementaryResults> runSupplementary_;
  std::unique_ptr<TReportForm> listing_;
  std::unique_ptr<TReportForm> diagnostics_;
  std::map<TPlotKind, std::unique_ptr<TPlotWindow>> plots_;
};
