// TParallelAnalysisJob: the scree plot's parallel analysis on a worker
// thread, so that the windows stay responsive for the seconds it takes on a
// large data set. The window shows its progress, can cancel it, and takes
// the lines when it has finished.
#pragma once

#include <QObject>
#include <QThread>
#include <atomic>
#include <exception>
#include <optional>
#include <vector>

#include "analysis/parallel_analysis.h"
#include "analysis/run_observer.h"
#include "drawing/plot_run.h"

namespace talvex::desktop {

class TParallelAnalysisJob : public QObject, private talvex::TRunObserver {
  Q_OBJECT

 public:
  /// Iterations of a job (the percentile lines settle well before this).
  static constexpr talvex::TSize Iterations = 100;

  explicit TParallelAnalysisJob(QObject* parent = nullptr);
  /// Cancels a job still going and waits for its thread.
  ~TParallelAnalysisJob() override;

  /// Starts on the data of `run`, as its run analysed them.
  void Start(const drawing::TPlotRun& run);
  bool Running() const { return thread_ != nullptr; }
  void Cancel() { cancel_ = true; }
  /// Iterations done so far (any thread may ask).
  talvex::TSize Done() const { return done_; }

  /// After Finished: the lines (none when it failed or was cancelled) and
  /// the failure (ERunCancelled when cancelled).
  const std::optional<std::vector<double>>& Result() const { return result_; }
  std::exception_ptr Failure() const { return failure_; }

 signals:
  /// The job has ended; its thread is gone.
  void Finished();

 private:
  bool CancelRequested() override { return cancel_; }
  void ThreadFinished();

  std::atomic<bool> cancel_ = false;
  std::atomic<talvex::TSize> done_ = 0;
  std::optional<std::vector<double>> result_;
  std::exception_ptr failure_;
  QThread* thread_ = nullptr;
};

/// The data of `run` as its run analysed them, for the parallel analysis.
talvex::TParallelAnalysisInput PlotRunAnalysisInput(const drawing::TPlotRun& run);

}  // namespace talvex::desktop
