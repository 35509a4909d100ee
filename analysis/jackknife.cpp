// The leave-one-out loop: decompositions on the ordered parallel loop's
// workers, pseudo-values accumulated in object order on the calling thread.
#include "analysis/jackknife.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <exception>
#include <functional>
#include <limits>
#include <memory>
#include <optional>
#include <span>
#include <system_error>
#include <thread>
#include <vector>

#include "analysis/allometry.h"
#include "analysis/axis_alignment.h"
#include "analysis/leave_one_out.h"
#include "analysis/ordered_parallel_loop.h"
#include "analysis/pseudo_values.h"
#include "analysis/reimputed_samples.h"
#include "numeric/float_faults.h"
#include "numeric/probability.h"

namespace talvex {

namespace {

// The ring of finished decompositions is kept below this many doubles (8 MB)
// whatever p and k (but for a few slots per worker), with at most
// RingSlotsPerThread slots per worker: small samples then go to and from the
// workers in chunks of up to 16 (see RunOrderedParallelLoop), which keeps
// 20,000 samples of 20 variables from spending their time waking threads.
constexpr std::size_t SlotBudget = std::size_t(1) << 20;
constexpr std::size_t RingSlotsPerThread = 32;
// The workers' own containers (TLeaveOneOut::WorkspaceSize each) stay below this
// many doubles (256 MB) whatever the thread count asked for.
constexpr std::size_t WorkspaceBudget = std::size_t(32) << 20;

// From this many statistics, finishing them is split between two threads
// (starting one costs less than finishing a few thousand).
constexpr std::size_t SplitFinishingFrom = 4096;

// Beyond |t| = 1e100 every distribution function of the report is 0 or 1 to
// double precision; the limit is taken instead of squaring t into overflow.
constexpr double TLimit = 1e100;

// Means and sums of squared deviations of pseudo-values, updated one object
// at a time in object order (Welford): never negative, and no n x p x k
// store of pseudo-values. Two plain arrays, so that an update runs in lanes.
class TAccumulators {
 public:
  explicit TAccumulators(std::size_t size) : means_(size), squares_(size) {}

  /// Adds the pseudo-values n * full[j] - (n - 1) * sign * reduced[j],
  /// j < length, of the count-th object to accumulators first..first +
  /// length - 1. `sign` is +1 or -1, so sign * reduced[j] is exact.
  void Add(std::size_t first, TSize count, TSize n, const double* full, const double* reduced,
           double sign, std::size_t length) {
    AddPseudoValues(means_.data() + first, squares_.data() + first, double(count), double(n), full,
                    reduced, sign, length);
  }

  std::size_t Size() const { return means_.size(); }
  double Mean(std::size_t i) const { return means_[i]; }
  double Squares(std::size_t i) const { return squares_[i]; }

 private:
  std::vector<double> means_;
  std::vector<double> squares_;
};

using Tail = TJackknifeTail;

TJackknifeStatistic Finish(double mean, double squares, TSize n, Tail tail, double full) {
  TJackknifeStatistic s;
  s.estimate = mean;
  s.standardError = StandardErrorBeyondRounding(
      std::sqrt(squares / ((double(n) - 1.0) * double(n))), mean, full, n);
  const double tested = tail == Tail::BelowOne ? 1.0 : 0.0;
  const double difference = s.estimate - tested;
  const std::int32_t df = std::int32_t(n - 1);

  if (difference == 0.0 && s.standardError == 0.0) {
    s.probability = std::numeric_limits<double>::quiet_NaN();
  } else if (std::abs(difference) / TLimit >= s.standardError) {
    // t is infinite or beyond TLimit: the distribution function is 0 or 1.
    const double cdf = difference > 0.0 ? 1.0 : 0.0;
    switch (tail) {
      case Tail::Upper:
        s.probability = 1.0 - cdf;
        break;
      case Tail::Absolute:
        s.probability = 0.0;
        break;
      case Tail::BelowOne:
        s.probability = cdf;
        break;
    }
  } else {
    const double t = difference / s.standardError;
    switch (tail) {
      case Tail::Upper:
        s.probability = std::abs(1.0 - StudentTCdf(df, t));
        break;
      case Tail::Absolute:
        s.probability = std::abs(1.0 - StudentTCdf(df, std::abs(t)));
        break;
      case Tail::BelowOne:
        s.probability = std::abs(StudentTCdf(df, t));
        break;
    }
  }
  return s;
}

// The worker threads of a run: as asked (0: one per core), never more than
// the objects, and as many as the workspace budget allows (at least one).
unsigned WorkerCount(unsigned asked, TSize n, TSize p, TSize k, unsigned workspacesEach) {
  unsigned threads = asked != 0 ? asked : std::max(1u, std::thread::hardware_concurrency());
  threads = unsigned(std::min<TSize>(threads, std::max<TSize>(n, 1)));
  const std::size_t perWorkspace = TLeaveOneOut::WorkspaceSize(n, p, k) * workspacesEach;
  const std::size_t byBudget = std::max<std::size_t>(1, WorkspaceBudget / perWorkspace);
  return unsigned(std::min<std::size_t>(threads, byBudget));
}

// The workers that start before the calling thread consumes: while it
// decomposes the full sample and writes its tables, that thread keeps a core
// of its own. Sharing it with one worker more would only slow it down, and
// with it the consuming, until the ring is full and every worker waits.
unsigned EarlyWorkerCount(unsigned threads) {
  const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
  return std::min(threads, std::max(1u, cores - 1));
}

// The reduced samples waiting to be accumulated: a few per worker keep every
// core busy without holding many of them, and never more than SlotBudget.
// Where samples are decomposed in pairs, each worker needs room for two
// chunks of two.
TSize RingSize(unsigned threads, TSize n, TSize p, TSize k, bool inPairs) {
  const std::size_t perSlot = std::size_t(p) * (std::size_t(k) + 1);
  const std::size_t bySlots = SlotBudget / std::max<std::size_t>(perSlot, 1);
  const std::size_t least = (inPairs ? 4 : 2) * std::size_t(threads);
  return TSize(std::max<std::size_t>(
      1, std::min<std::size_t>(
             std::clamp<std::size_t>(bySlots, least, std::max(least, RingSlotsPerThread * threads)),
             n)));
}

// A chunk is handed over whole, so chunks of slow samples would leave a
// worker idle at the end of the loop while another finishes its last chunk:
// from about 256 variables a chunk is a pair, below that it grows with the
// square of 256 / p (the ring caps it), and samples of a few dozen variables
// still go in chunks of 16.
TSize ChunkLimit(TSize p) {
  const double ratio = 256.0 / double(std::max<TSize>(p, 1));
  return TSize(std::clamp(ratio * ratio, 2.0, 1024.0));
}

// One leave-one-out decomposition as it waits in the ring: the eigenvalues
// and the first k axes, as the decomposition returned them. A slot's storage
// is made by the worker that first fills it (Make), so that the calling
// thread does not spend the start of the run clearing memory for all of
// them while the workers wait to start.
// Where every axis is shown the slot's matrix is exchanged with the
// workspace's rather than copied: a p x p copy per sample is a pass over
// memory that the decomposition's own passes need.
struct TReducedSample {
  TReducedSample(TSize p, TSize k) : count(std::size_t(p) * k) {}
  void Make(TSize p, TSize k) {
    if (!values.empty()) return;
    matrix = TFloatMatrix(p, k);
    values.resize(p);
  }
  std::vector<double> values;  // p, descending
  TFloatMatrix matrix{0, 0};   // p x k, column a = axis a
  std::size_t count;
  TSize determined = 0;  // the axes past it have no meaning until accumulated
  std::span<const double> Axes() const { return {matrix.Column(1), count}; }
};

// The pseudo-values of every statistic, accumulated one reduced sample at a
// time in object order. Each reduced axis is aligned with the full-sample one
// (AxisAlignmentSign) just before its pseudo-values are added, while both
// axes are still in the cache.
class TPseudoValueSums {
 public:
  explicit TPseudoValueSums(const TJackknifeInput& input)
      : in_(input),
        values_(input.variableCount),
        vectors_(std::size_t(input.variableCount) * input.axisCount),
        macs_(input.allometry ? input.variableCount : 0),
        reducedMacs_(input.allometry ? input.variableCount : 0) {}

  /// Adds the sample's pseudo-values; signs and dots (k each) receive the
  /// alignment of its axes.
  void Add(TSize object, const TReducedSample& sample, std::span<double> signs,
           std::span<double> dots) {
    const TSize n = in_.objectCount;
    const TSize p = in_.variableCount;
    values_.Add(0, object, n, in_.eigenvalues.Data(), sample.values.data(), 1.0, p);
    for (TSize a = 1; a <= in_.axisCount; ++a) {
      const std::size_t first = std::size_t(a - 1) * p;
      const double* full = in_.eigenvectors.Column(a);
      const double* reduced = sample.Axes().data() + first;
      signs[a - 1] = AxisAlignmentSign(full, reduced, p, dots[a - 1]);
      vectors_.Add(first, object, n, full, reduced, signs[a - 1], p);
    }
    if (in_.allometry) {
      // The reduced size axis, turned towards the full-sample one, takes the
      // full sample's orientation.
      AllometricCoefficients(sample.Axes().first(p), signs[0] * in_.allometry->orientation,
                             reducedMacs_);
      macs_.Add(0, object, n, in_.allometry->macs.Data(), reducedMacs_.data(), 1.0, p);
    }
  }

  TJackknifeResults Results(TThreadStarter& starter) const {
    TJackknifeResults results;
    results.axisCount = in_.axisCount;
    const TSize p = in_.variableCount;
    FinishAll(values_, Tail::Upper, results.eigenvalues, starter,
              [this](std::size_t i) { return in_.eigenvalues.Data()[i]; });
    FinishAll(vectors_, Tail::Absolute, results.vectors, starter, [this, p](std::size_t i) {
      return in_.eigenvectors.Column(TSize(i / p) + 1)[i % p];
    });
    FinishAll(macs_, Tail::BelowOne, results.macs, starter,
              [this](std::size_t i) { return in_.allometry->macs.Data()[i]; });
    return results;
  }

 private:
  // full(i): the full-sample value of statistic i.
  using TFullValue = std::function<double(std::size_t)>;

  void FinishRange(const TAccumulators& sums, Tail tail, std::size_t first, std::size_t last,
                   TJackknifeStatistic* into, const TFullValue& full) const {
    for (std::size_t i = first; i < last; ++i)
      into[i] = Finish(sums.Mean(i), sums.Squares(i), in_.objectCount, tail, full(i));
  }

  // Each statistic is finished on its own, its distribution function being
  // the costly part, so where there are many the second half is finished on
  // another thread while the run's own core is the only one at work. A
  // failure in the first half is raised before one in the second, and the
  // fault flags the other thread leaves become this thread's, to be checked
  // as before.
  void FinishAll(const TAccumulators& sums, Tail tail, std::vector<TJackknifeStatistic>& into,
                 TThreadStarter& starter, const TFullValue& full) const {
    const std::size_t size = sums.Size();
    into.resize(size);
    std::size_t split = size;
    std::exception_ptr otherFault;
    int otherFlags = 0;
    std::jthread other;  // joined before anything it writes can go
    if (size >= SplitFinishingFrom) {
      split = size / 2;
      try {
        other = starter.Start([&, split] {
          ClearFloatFaults();
          try {
            FinishRange(sums, tail, split, size, into.data(), full);
          } catch (...) {
            otherFault = std::current_exception();
          }
          otherFlags = TakeFloatFaultFlags();
        });
      } catch (const std::system_error&) {
        split = size;  // no thread to be had: this one finishes them all
      }
    }
    FinishRange(sums, tail, 0, split, into.data(), full);
    if (other.joinable()) other.join();
    if (otherFault) std::rethrow_exception(otherFault);
    RaiseFloatFaultFlags(otherFlags);
  }

  const TJackknifeInput& in_;
  TAccumulators values_, vectors_, macs_;
  std::vector<double> reducedMacs_;  // p
};

}  // namespace

double StandardErrorBeyondRounding(double standardError, double estimate, double full, TSize n) {
  const double scale = std::max(std::fabs(estimate), std::fabs(full));
  return standardError <= double(n) * std::numeric_limits<double>::epsilon() * scale
             ? 0.0
             : standardError;
}

TJackknifeStatistic FinishJackknifeStatistic(double mean, double squares, TSize n,
                                             TJackknifeTail tail, double full) {
  return Finish(mean, squares, n, tail, full);
}

// Everything the run keeps from its start to its end; the loop is declared
// last, so that its workers are joined before what they use goes.
struct TJackknifeRun::TState {
  TState(const TJackknifeData& in, const TJackknifeSettings& runSettings)
      : n(in.objectCount),
        p(in.variableCount),
        k(in.axisCount),
        method(in.method),
        settings(runSettings),
        leaveOneOut(in.data, n, p, method, PreparationCheckpoint(p, runSettings.observer)),
        // Correlation matrices are decomposed as they stand, two samples at a
        // time on each worker (their eigenvalue iterations interleave); the
        // other paths gain nothing from pairs.
        inPairs(method == DispersionMethod::Correlation && !leaveOneOut.ThroughObjects() &&
                settings.reimputed == nullptr),
        perWorker(inPairs ? 2 : 1),
        threads(WorkerCount(settings.threads, n, p, k, perWorker)),
        ring(RingSize(threads, n, p, k, inPairs), TReducedSample(p, k)) {
    workspaces.resize(std::size_t(threads) * perWorker);
    if (settings.reimputed != nullptr) reimputeSpaces.resize(threads);
    leaveOneOut.StopWhen(stopping);
  }

  // However the run ends, the workers' long decompositions stop part way
  // before the loop (declared last, so destroyed first) joins them.
  ~TState() { stopping.store(true, std::memory_order_relaxed); }

  // Each worker makes its own workspaces as it starts, as it does ring slots.
  TLeaveOneOut::TWorkspace& Workspace(unsigned worker, unsigned which) {
    std::optional<TLeaveOneOut::TWorkspace>& ws =
        workspaces[std::size_t(worker) * perWorker + which];
    if (!ws) ws.emplace(n, p, k);
    return *ws;
  }

  TReimputedSamples::TWorkspace& ReimputeWorkspace(unsigned worker) {
    std::optional<TReimputedSamples::TWorkspace>& ws = reimputeSpaces[worker];
    if (!ws) ws.emplace(settings.reimputed->MakeWorkspace());
    return *ws;
  }

  // Only the determined axes are stored: the others are the full sample's,
  // which the consumer fills in.
  template <class TWork>
  void Store(TWork& ws, TSize determined, TSize slot) {
    TReducedSample& sample = ring[slot];
    sample.Make(p, k);
    std::copy_n(ws.values.Data(), p, sample.values.begin());
    sample.determined = std::min(determined, k);
    const bool exchange = k == p && ws.vectors.MaxRows() == p && ws.vectors.MaxCols() == p;
    if (exchange) {
      std::swap(ws.vectors, sample.matrix);
      return;
    }
    for (TSize a = 1; a <= sample.determined; ++a)
      std::copy_n(ws.vectors.Column(a), p, sample.matrix.Column(a));
  }

  void Start() {
    auto decompose = [this](TSize object, unsigned worker, TSize slot) {
      if (settings.reimputed != nullptr) {
        TReimputedSamples::TWorkspace& ws = ReimputeWorkspace(worker);
        Store(ws, settings.reimputed->Decompose(object, ws, k), slot);
        return;
      }
      TLeaveOneOut::TWorkspace& ws = Workspace(worker, 0);
      Store(ws, leaveOneOut.Decompose(object, ws, k), slot);
    };
    TComputeTwo decomposeTwo;
    if (inPairs) {
      decomposeTwo = [this](TSize first, TSize firstSlot, TSize second, TSize secondSlot,
                            unsigned worker) {
        TLeaveOneOut::TWorkspace& a = Workspace(worker, 0);
        TLeaveOneOut::TWorkspace& b = Workspace(worker, 1);
        const auto [determinedA, determinedB] = leaveOneOut.DecomposeTwo(first, a, second, b, k);
        Store(a, determinedA, firstSlot);
        Store(b, determinedB, secondSlot);
      };
    }
    loop.emplace(
        TOrderedLoopShape{n, threads, TSize(ring.size()), ChunkLimit(p), EarlyWorkerCount(threads)},
        settings.threadStarter, decompose, decomposeTwo);
  }

  TSize n, p, k;
  DispersionMethod method;
  TJackknifeSettings settings;
  std::atomic<bool> stopping{false};
  TLeaveOneOut leaveOneOut;
  bool inPairs;
  unsigned perWorker;
  unsigned threads;
  std::vector<TReducedSample> ring;
  std::vector<std::optional<TLeaveOneOut::TWorkspace>> workspaces;  // per worker, made by it
  std::vector<std::optional<TReimputedSamples::TWorkspace>> reimputeSpaces;  // the same, imputed
  std::optional<TOrderedParallelLoop> loop;
};

TJackknifeRun::TJackknifeRun(const TJackknifeData& data, const TJackknifeSettings& settings)
    : state_(std::make_unique<TState>(data, settings)) {
  // Correlation samples need nothing of the full sample to be decomposed.
  if (data.method == DispersionMethod::Correlation) state_->Start();
}

TJackknifeRun::~TJackknifeRun() = default;

TJackknifeResults TJackknifeRun::Finish(const TJackknifeInput& in) {
  TState& state = *state_;
  const TSize n = state.n, p = state.p, k = state.k;
  if (!state.loop) {
    state.leaveOneOut.UseFullSampleAxes(in.eigenvalues, in.eigenvectors);
    state.Start();
  }
  const TJackknifeSettings& settings = state.settings;
  if (settings.collector != nullptr) settings.collector->Start(in);
  TPseudoValueSums sums(in);
  std::vector<double> signs(k), dots(k);
  auto accumulate = [&](TSize object, TSize slot) {
    TReducedSample& sample = state.ring[slot];
    // An axis the reduced sample does not determine (past its rank, with
    // more variables than objects) is taken to be the full-sample one: its
    // pseudo-values are then the full-sample coefficients, with no spread.
    for (TSize a = sample.determined + 1; a <= k; ++a)
      std::copy_n(in.eigenvectors.Column(a), p, sample.matrix.Column(a));
    sums.Add(object, sample, signs, dots);
    if (settings.collector != nullptr)
      settings.collector->Collect({object, sample.values, sample.Axes(), signs, dots});
  };
  TOrderedLoopHooks hooks;
  if (settings.observer != nullptr) {
    TRunObserver& observer = *settings.observer;
    hooks.itemReached = [&observer, n](TSize object) { observer.JackknifeIteration(object, n); };
    hooks.stopRequested = [&observer] { return observer.CancelRequested(); };
  }
  state.loop->Consume(accumulate, hooks);
  CheckFloatFaults();

  TJackknifeResults results = sums.Results(settings.threadStarter);
  CheckFloatFaults();
  return results;
}

TJackknifeResults RunJackknife(const TJackknifeInput& in, const TJackknifeSettings& settings) {
  return TJackknifeRun({in.data, in.objectCount, in.variableCount, in.axisCount, in.method},
                       settings)
      .Finish(in);
}

}  // namespace talvex
