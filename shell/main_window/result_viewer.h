// TResultViewer: what the main window asks of the result windows. The main
// window knows only this interface, so that its tests can script it; the
// program passes the real windows (TResultWindows).
#pragma once

#include <QString>
#include <memory>

#include "analysis/report_listing.h"
#include "drawing/plot_kinds.h"
#include "talvex/talvex.h"

namespace talvex::desktop {

class TResultViewer {
 public:
  virtual ~TResultViewer() = default;
  /// File > View Report...: the listing of the last run in its own window.
  /// `failure`, when not empty, says outside the listing's text that the
  /// listing is of a run that failed, and that the rest is of the run before.
  virtual void ShowListing(const talvex::TReportListing& listing, const QString& failure) = 0;
  /// File > View Diagnostics...: the diagnostics report of the last run, in
  /// a text window of its own.
  virtual void ShowDiagnostics(const talvex::TReportListing& report) = 0;
  /// Display > (a plot kind): the plot `kind` of the completed run
  /// `outcome` in its own window, showing `factorCount` components (the
  /// count asked for now, which may differ from the run's).
  virtual void ShowPlot(drawing::TPlotKind kind,
                        const std::shared_ptr<const talvex::TRunOutcome>& outcome,
                        talvex::TSize factorCount) = 0;
  /// A run completed: the windows that are open show its listing, report
  /// and plots from now on.
  virtual void RunCompleted(const std::shared_ptr<const talvex::TRunOutcome>& outcome) = 0;
  /// A run failed: an open listing window shows what it wrote, with
  /// `failure` beside it; the plots and the diagnostics stay as they were.
  virtual void RunFailed(const talvex::TReportListing& listing, const QString& failure) = 0;
  /// Other data were loaded: the windows of the old results close.
  virtual void DataReplaced() = 0;
  /// At shut-down: the windows write their own settings.
  virtual void SaveSettings() = 0;
};

}  // namespace talvex::desktop
