// TAnalysisRunner: one analysis run on a worker thread, so that the window
// stays responsive during the jackknife. The run works on its own copy of the
// program's state and listing; the main window takes them over when the run
// has finished, the results only when it completed.
#pragma once

#include <QObject>
#include <QThread>
#include <atomic>
#include <exception>
#include <memory>

#include "analysis/analysis_state.h"
#include "analysis/report_listing.h"
#include "analysis/run_observer.h"
#include "diagnostics/diagnostics.h"
#include "supplementary/supplementary_data.h"
#include "supplementary/supplementary_results.h"

class TAnalysisRunner : public QObject, private talvex::TRunObserver {
  Q_OBJECT
 public:
  explicit TAnalysisRunner(QObject* parent = nullptr);
  /// Cancels a run still going and waits for its thread.
  ~TAnalysisRunner() override;

  /// Starts a run on a copy of `state`. `threads` = 0 uses every core.
  /// The jackknife's reduced samples are collected into diagnostics, and
  /// into the `supplementary` items' placement (refused ones fail the run
  /// before it starts).
  void Start(const talvex::TAnalysisState& state, const talvex::TAnalysisOptions& options,
             const talvex::TDiagnosticsOptions& diagnosticsOptions, unsigned threads = 0,
             talvex::TSupplementaryData supplementary = {});
  bool Running() const { return thread_ != nullptr; }
  /// Asks the run to stop at its next check; it then ends like a failed run.
  void Cancel() { cancel_ = true; }

  /// After Finished: the state after the run (its results are new only when
  /// Failure() is null), the listing as far as it was written, the failure.
  talvex::TAnalysisState& State() { return state_; }
  talvex::TReportListing& Listing() { return listing_; }
  talvex::TDiagnostics& Diagnostics() { return diagnostics_; }
  talvex::TSupplementaryResults& Supplementary() { return supplementary_; }
  std::exception_ptr Failure() const { return failure_; }

 signals:
  /// Object `objectNumber` of `objectCount` is left out by the jackknife.
  void Iteration(unsigned objectNumber, unsigned objectCount);
  /// The run has ended; the thread is gone.
  void Finished();

 private:
  void JackknifeIteration(talvex::TSize objectNumber, talvex::TSize objectCount) override;
  bool CancelRequested() override { return cancel_; }
  void ThreadFinished();

  talvex::TAnalysisState state_;
  talvex::TReportListing listing_;
  talvex::TDiagnostics diagnostics_;
  talvex::TSupplementaryResults supplementary_;
  std::exception_ptr failure_;
  std::atomic<bool> cancel_ = false;
  QThread* thread_ = nullptr;
};
