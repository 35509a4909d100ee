// TReportViewer: what the main window asks of the result windows. The main
// window knows only this interface, so that its tests can script it; the
// program passes the real windows (TResultWindows).
#pragma once

#include <QString>

#include "analysis/analysis_state.h"
#include "analysis/report_listing.h"
#include "diagnostics/diagnostics.h"
#include "supplementary/supplementary_results.h"

class TReportViewer {
 public:
  virtual ~TReportViewer() = default;
  /// File > View Report...: the listing of the last run in its own window.
  /// `failure`, when not empty, says outside the listing's text that the
  /// listing is of a run that failed, and that the rest is of the run before.
  virtual void ShowListing(const talvex::TReportListing& listing, const QString& failure) = 0;
  /// File > View Diagnostics...: the diagnostics report of the last run, in
  /// a text window of its own.
  virtual void ShowDiagnostics(const talvex::TReportListing& report) = 0;
  /// Display > Component Scores / Vector Coefficients / Scree Plot / Biplot /
  /// Influence Plot: each plot of the last completed run in its own window.
  /// The state's results and factor count are read, never changed.
  virtual void ShowScoresPlot(const talvex::TAnalysisState& state) = 0;
  virtual void ShowVectorsPlot(const talvex::TAnalysisState& state) = 0;
  virtual void ShowScreePlot(const talvex::TAnalysisState& state) = 0;
  virtual void ShowBiplot(const talvex::TAnalysisState& state) = 0;
  virtual void ShowInfluencePlot(const talvex::TAnalysisState& state) = 0;
  /// A run completed: the windows that are open show its listing, report
  /// and plots from now on.
  virtual void RunCompleted(const talvex::TAnalysisState& state,
                            const talvex::TReportListing& listing,
                            const talvex::TDiagnostics& diagnostics) = 0;
  /// A run completed with supplementary items (told just before
  /// RunCompleted): the plots of that run show them.
  virtual void SupplementaryPlaced(const talvex::TSupplementaryResults&) {}
  /// A run failed: an open listing window shows what it wrote, with
  /// `failure` beside it; the plots and the diagnostics stay as they were.
  virtual void RunFailed(const talvex::TReportListing& listing, const QString& failure) = 0;
  /// Other data were loaded: the windows of the old results close.
  virtual void DataReplaced() = 0;
  /// At shut-down: the windows write their own settings.
  virtual void SaveSettings() = 0;
};
