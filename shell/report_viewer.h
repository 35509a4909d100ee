// TReportViewer: what the main window asks of the report window. The main
// window knows only this interface, so that its tests can script it; the
// program passes the real report window (TReportForm).
#pragma once

#include "analysis/analysis_state.h"
#include "analysis/report_listing.h"

class TReportViewer {
 public:
  virtual ~TReportViewer() = default;
  /// File > View Report...: the listing of the last run, text mode, modal.
  virtual void ShowListing(const talvex::TReportListing& listing) = 0;
  /// File > View Diagnostics...: the diagnostics report of the last run, in
  /// the same text mode under its own caption.
  virtual void ShowDiagnostics(const talvex::TReportListing& report) = 0;
  /// Display > Component Scores / Vector Coefficients / Scree Plot: the
  /// plots of the last completed run, chart mode, modal. The state's
  /// results and factor count are read, never changed.
  virtual void ShowScoresPlot(const talvex::TAnalysisState& state) = 0;
  virtual void ShowVectorsPlot(const talvex::TAnalysisState& state) = 0;
  virtual void ShowScreePlot(const talvex::TAnalysisState& state) = 0;
  /// At shut-down: the window writes its own settings (Label Points).
  virtual void SaveSettings() = 0;
};
