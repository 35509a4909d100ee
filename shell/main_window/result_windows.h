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
#include "drawing/plot_run.h"
#include "shell/main_window/result_viewer.h"

namespace talvex::desktop {

class TPlotInteraction;
class TPlotWindow;
class TReportForm;
class TReportInteraction;
class TSettingsFile;

class TResultWindows : public QObject, public TResultViewer {
  Q_OBJECT

 public:
  /// With Qt's own dialogs.
  explicit TResultWindows(TSettingsFile& settings);
  /// With the dialogs of the two interactions (which must outlive this).
  TResultWindows(TSettingsFile& settings, TReportInteraction& interaction,
                 TPlotInteraction& figureInteraction);
  ~TResultWindows() override;

  void ShowListing(const talvex::TReportListing& listing, const QString& failure) override;
  void ShowDiagnostics(const talvex::TReportListing& report) override;
  void ShowPlot(drawing::TPlotKind kind, const std::shared_ptr<const talvex::TRunOutcome>& outcome,
                talvex::TSize factorCount) override;
  void RunCompleted(const std::shared_ptr<const talvex::TRunOutcome>& outcome) override;
  void RunFailed(const talvex::TReportListing& listing, const QString& failure) override;
  void DataReplaced() override;
  void SaveSettings() override;

  /// The windows made so far (null until first shown), for the tests.
  TReportForm* ListingWindow() const { return listing_.get(); }
  TReportForm* DiagnosticsWindow() const { return diagnostics_.get(); }
  TPlotWindow* PlotWindow(drawing::TPlotKind kind) const;

 private:
  TReportForm& TextWindow(std::unique_ptr<TReportForm>& window, const QString& key);

  TSettingsFile& settings_;
  std::unique_ptr<TReportInteraction> ownInteraction_;
  std::unique_ptr<TPlotInteraction> ownFigureInteraction_;
  TReportInteraction& interaction_;
  TPlotInteraction& figureInteraction_;
  // The last completed run as the plots draw it.
  std::shared_ptr<drawing::TPlotRun> run_;
  std::unique_ptr<TReportForm> listing_;
  std::unique_ptr<TReportForm> diagnostics_;
  std::map<drawing::TPlotKind, std::unique_ptr<TPlotWindow>> plots_;
};

}  // namespace talvex::desktop
