// The parallel analysis off the interface thread.
#include "shell/plots/parallel_analysis_job.h"

namespace talvex::desktop {

talvex::TParallelAnalysisInput PlotRunAnalysisInput(const drawing::TPlotRun& run) {
  return talvex::ParallelAnalysisInput(run.Data(), run.Results());
}

TParallelAnalysisJob::TParallelAnalysisJob(QObject* parent) : QObject(parent) {}

TParallelAnalysisJob::~TParallelAnalysisJob() {
  if (!thread_) return;
  cancel_ = true;
  thread_->wait();
  delete thread_;
}

void TParallelAnalysisJob::Start(const drawing::TPlotRun& run) {
  if (thread_) return;
  cancel_ = false;
  done_ = 0;
  result_.reset();
  failure_ = nullptr;
  // The input is made here, where a failure reaches the caller at once.
  auto input = std::make_shared<talvex::TParallelAnalysisInput>(PlotRunAnalysisInput(run));
  thread_ = QThread::create([this, input] {
    try {
      talvex::TParallelAnalysisSettings settings;
      settings.iterations = Iterations;
      result_ = talvex::ParallelAnalysis(
          *input, settings, [this](talvex::TSize done, talvex::TSize) { done_ = done; }, this);
    } catch (...) {
      failure_ = std::current_exception();
    }
  });
  connect(thread_, &QThread::finished, this, &TParallelAnalysisJob::ThreadFinished,
          Qt::QueuedConnection);
  thread_->start();
}

void TParallelAnalysisJob::ThreadFinished() {
  if (!thread_) return;
  thread_->wait();
  delete thread_;
  thread_ = nullptr;
  emit Finished();
}

}  // namespace talvex::desktop
