// TScriptedResultViewer: a report window for the tests. It records which
// view was asked for and what it was given, and can be told to fail.
#pragma once

#include <QStringList>
#include <memory>
#include <optional>
#include <string>
#include <system_error>

#include "base/exception.h"
#include "shell/main_window/result_viewer.h"

namespace talvex::desktop {

class TScriptedResultViewer : public TResultViewer {
 public:
  void ShowListing(const talvex::TReportListing& listing, const QString& failure) override {
    Call(QStringLiteral("listing"));
    listingLines = listing.Lines().size();
    shownLines = listing.Lines();
    listingFailure = failure;
  }
  void ShowDiagnostics(const talvex::TReportListing& report) override {
    Call(QStringLiteral("diagnostics"));
    diagnosticsLines = report.Lines();
  }
  void ShowPlot(drawing::TPlotKind kind, const std::shared_ptr<const talvex::TRunOutcome>& outcome,
                talvex::TSize factors) override {
    // Named as the tests know the kinds.
    Call(QString::fromLatin1(PlotKindEntry(kind).name).toLower());
    factorCount = factors;
    plotted = outcome;
  }
  void RunCompleted(const std::shared_ptr<const talvex::TRunOutcome>& outcome) override {
    events.append(QStringLiteral("run completed"));
    completedWithDiagnostics = outcome->Diagnostics().available;
  }
  void RunFailed(const talvex::TReportListing& listing, const QString& failure) override {
    events.append(QStringLiteral("run failed"));
    shownLines = listing.Lines();
    listingFailure = failure;
  }
  void DataReplaced() override { events.append(QStringLiteral("data replaced")); }
  void SaveSettings() override { calls.append(QStringLiteral("save")); }

  QStringList calls;
  QStringList events;  // runs completed and data replaced, in order
  std::size_t listingLines = 0;
  std::vector<std::string> shownLines;  // the listing last shown or failed
  QString listingFailure;
  std::vector<std::string> diagnosticsLines;
  unsigned factorCount = 0;
  std::shared_ptr<const talvex::TRunOutcome> plotted;  // the run of the last plot shown
  bool completedWithDiagnostics = false;
  /// When set, the next view fails with this message.
  std::optional<std::string> failWith;
  /// With failWith: the failure is a std::system_error, not one of the program's own.
  bool failForeign = false;

 private:
  void Call(const QString& name) {
    calls.append(name);
    if (failWith) {
      const std::string message = *failWith;
      failWith.reset();
      if (failForeign) throw std::system_error(std::make_error_code(std::errc::io_error), message);
      throw talvex::Exception(message);
    }
  }
};

}  // namespace talvex::desktop
