// The analysis run off the user-interface thread.
#include "shell/analysis_runner.h"

#include <optional>

#include "diagnostics/diagnostics_run.h"
#include "supplementary/supplementary_collector.h"
#include "supplementary/supplementary_run.h"

TAnalysisRunner::TAnalysisRunner(QObject* parent) : QObject(parent) {}

TAnalysisRunner::~TAnalysisRunner() {
  if (thread_ != nullptr) {
    cancel_ = true;
    thread_->wait();
    delete thread_;
  }
}

void TAnalysisRunner::Start(const talvex::TAnalysisState& state,
                            const talvex::TAnalysisOptions& options,
                            const talvex::TDiagnosticsOptions& diagnosticsOptions, unsigned threads,
                            talvex::TSupplementaryData supplementary) {
  Q_ASSERT(thread_ == nullptr);
  state_ = state;
  listing_.Clear();
  failure_ = nullptr;
  diagnostics_ = talvex::TDiagnostics();
  supplementary_ = talvex::TSupplementaryResults();
  cancel_ = false;
  thread_ = QThread::create([this, options, diagnosticsOptions, threads,
                             supplementary = std::move(supplementary)] {
    try {
      const talvex::TPreparedSupplementary items =
          talvex::PrepareSupplementary(state_.Data(), supplementary, options.transformation);
      std::optional<talvex::TSupplementaryCollector> collector;
      if (!items.Empty()) collector.emplace(items, diagnosticsOptions.matchAxes);
      diagnostics_ = talvex::RunWithDiagnostics(state_, options, listing_, diagnosticsOptions, this,
                                                threads, collector ? &*collector : nullptr);
      supplementary_ = talvex::PlaceSupplementary(items, state_.Data(), state_.Results(),
                                                  collector ? &*collector : nullptr);
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
