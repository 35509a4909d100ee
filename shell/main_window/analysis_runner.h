// TAnalysisRunner: one analysis run on a worker thread, so that the window
// stays responsive during the jackknife. The run goes through the core's
// entry point (talvex/talvex.h) on its own copy of the data; the main
// window takes the outcome when the run has completed, and the listing as
// far as it was written when it failed.
#pragma once

#include <QObject>
#include <QThread>
#include <atomic>
#include <exception>
#include <memory>

#include "analysis/report_listing.h"
#include "analysis/run_observer.h"
#include "talvex/talvex.h"

class TAnalysisRunner : public QObject, private talvex::TRunObserver {
  Q_OBJECT
 public:
  explicit TAnalysisRunner(QObject* parent = nullptr);
  /// Cancels a run still going and waits for its thread.
  ~TAnalysisRunner() override;

  /// Starts a run of `data` with `options`.
  void Start(talvex::TRunData data, const talvex::TRunOptions& options);
  bool Running() const { return thread_ != nullptr; }
  /// Asks the run to stop at its next check; it then ends like a failed run.
  void Cancel() { cancel_ = true; }

  /// After Finished: the completed run's outcome (null when it failed), the
  /// listing as far as it was written, and the failure.
  const std::shared_ptr<const talvex::TRunOutcome>& Outcome() const { return outcome_; }
  talvex::TReportListing& Listing() { return listing_; }
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

  std::shared_ptr<const talvex::TRunOutcome> outcome_;
  talvex::TReportListing listing_;
  std::exception_ptr failure_;
  std::atomic<bool> cancel_ = false;
  QThread* thread_ = nullptr;
};
