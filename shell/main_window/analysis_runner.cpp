// The analysis run off the user-interface thread.
#include "shell/main_window/analysis_runner.h"

#include <utility>

TAnalysisRunner::TAnalysisRunner(QObject* parent) : QObject(parent) {}

TAnalysisRunner::~TAnalysisRunner() {
  if (thread_ != nullptr) {
    cancel_ = true;
    thread_->wait();
    delete thread_;
  }
}

void TAnalysisRunner::Start(talvex::TRunData data, const talvex::TRunOptions& options) {
  Q_ASSERT(thread_ == nullptr);
  listing_.Clear();
  outcome_.reset();
  failure_ = nullptr;
  cancel_ = false;
  auto input = std::make_shared<talvex::TRunData>(std::move(data));
  thread_ = QThread::create([this, input, options] {
    try {
      talvex::TAnalysis analysis;
      analysis.Compute(std::move(*input), options, {this, &listing_});
      outcome_ = analysis.Outcome();
    } catch (...) {
      failure_ = std::current_exception();
    }
  });
  // Queued: the handler runs on this object's (the user-interface) thread.
  connect(thread_, &QThread::finished, this, &TAnalysisRunner::ThreadFinished,
          Qt::QueuedConnection);
  thread_->start();
}

void TAnalysisRunner::JackknifeIteration(talvex::TSize objectNumber, talvex::TSize objectCount) {
  emit Iteration(objectNumber, objectCount);  // queued to the receiver's thread
}

void TAnalysisRunner::ThreadFinished() {
  thread_->wait();
  delete thread_;
  thread_ = nullptr;
  emit Finished();
}
