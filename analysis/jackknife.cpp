// The leave-one-out loop: decompositions on a pool of threads, pseudo-values
// accumulated in object order.
#include "analysis/jackknife.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <condition_variable>
#include <exception>
#include <functional>
#include <limits>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include "analysis/leave_one_out.h"
#include "numeric/float_faults.h"
#include "numeric/probability.h"
#include "numeric/wide_vectors.h"

namespace talvex {

namespace {

// The ring of finished decompositions is kept below this many doubles (64 MB)
// whatever p and k, with at most RingSlotsPerThread slots per worker.
constexpr std::size_t SlotBudget = std::size_t(8) << 20;
constexpr std::size_t RingSlotsPerThread = 8;
// The workers' own containers (about 2 p x p doubles each) stay below this
// many doubles (256 MB) whatever the thread count asked for.
constexpr std::size_t WorkspaceBudget = std::size_t(32) << 20;

// Beyond |t| = 1e100 every distribution function of the report is 0 or 1 to
// double precision; the limit is taken instead of squaring t into overflow.
constexpr double TLimit = 1e100;

// Means and sums of squared deviations of pseudo-values, updated one object
// at a time in object order (Welford): never negative, and no n x p x k
// store of pseudo-values. Two plain arrays, so that an update runs in lanes.
class TAccumulators {
 public:
  explicit TAccumulators(std::size_t size) : means_(size), squares_(size) {}

  /// Adds the pseudo-values n * full[j] - (n - 1) * reduced[j], j < length,
  /// of the count-th object to accumulators first.. first + length - 1.
  void Add(std::size_t first, TSize count, TSize n, const double* full, const double* reduced,
           std::size_t length) {
    AddPseudoValues(means_.data() + first, squares_.data() + first, double(count), double(n), full,
                    reduced, length);
  }

  std::size_t Size() const { return means_.size(); }
  double Mean(std::size_t i) const { return means_[i]; }
  double Squares(std::size_t i) const { return squares_[i]; }

 private:
  TALVEX_WIDE_VECTORS static void AddPseudoValues(double* __restrict means,
                                                  double* __restrict squares, double count,
                                                  double n, const double* __restrict full,
                                                  const double* __restrict reduced,
                                                  std::size_t length) {
    for (std::size_t j = 0; j < length; ++j) {
      const double x = n * full[j] - (n - 1.0) * reduced[j];
      const double delta = x - means[j];
      means[j] += delta / count;
      squares[j] += delta * (x - means[j]);
    }
  }

  std::vector<double> means_;
  std::vector<double> squares_;
};

enum class Tail {
  Upper,     // P = |1 - T(t)|, t = estimate / SE: small when the estimate is clearly above 0
  Absolute,  // P = |1 - T(|t|)|: the sign of an eigenvector is arbitrary
  BelowOne,  // P = |T(t)|, t = (estimate - 1) / SE: small when clearly below isometry
};

TJackknifeStatistic Finish(double mean, double squares, TSize n, Tail tail) {
  TJackknifeStatistic s;
  s.estimate = mean;
  s.standardError = std::sqrt(squares / ((double(n) - 1.0) * double(n)));
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
unsigned WorkerCount(unsigned asked, TSize n, TSize p) {
  unsigned threads = asked != 0 ? asked : std::max(1u, std::thread::hardware_concurrency());
  threads = unsigned(std::min<TSize>(threads, std::max<TSize>(n, 1)));
  const std::size_t perWorkspace = 2 * std::size_t(p) * p + 4 * std::size_t(p);
  const std::size_t byBudget = std::max<std::size_t>(1, WorkspaceBudget / perWorkspace);
  return unsigned(std::min<std::size_t>(threads, byBudget));
}

// What one leave-one-out decomposition leaves for the accumulation.
struct TSlot {
  std::vector<double> values;   // p
  std::vector<double> vectors;  // p x k, axis a at (a - 1) * p
  std::exception_ptr error;
  bool ready = false;  // guarded by the loop's mutex
};

}  // namespace

TJackknifeResults RunJackknife(const TJackknifeInput& in) {
  const TSize n = in.objectCount;
  const TSize p = in.variableCount;
  const TSize k = in.axisCount;
  const TFloatVector& fullValues = *in.eigenvalues;
  const TFloatMatrix& fullVectors = *in.eigenvectors;
  const bool allometry = in.macs != nullptr;

  const TLeaveOneOut leaveOneOut(*in.data, n, p, in.method);

  const unsigned threads = WorkerCount(in.threads, n, p);

  // The workers decompose objects into a ring of slots in whatever order they
  // finish; this thread takes the slots back in object order. A few slots per
  // worker keep every core busy without holding many pseudo-value sets.
  const std::size_t perSlot = std::size_t(p) * (std::size_t(k) + 1);
  const std::size_t bySlots = SlotBudget / std::max<std::size_t>(perSlot, 1);
  const TSize ringSize = TSize(std::max<std::size_t>(
      1, std::min<std::size_t>(
             std::clamp<std::size_t>(bySlots, 2 * threads, RingSlotsPerThread * threads), n)));
  std::vector<TSlot> ring(ringSize);
  for (TSlot& slot : ring) {
    slot.values.resize(p);
    slot.vectors.resize(std::size_t(p) * k);
  }

  std::mutex mutex;
  std::condition_variable slotDone, slotFreed;
  TSize consumed = 0;  // objects accumulated so far; guarded by mutex
  bool stop = false;   // guarded by mutex
  std::atomic<TSize> next{0};

  // Decomposes object index + 1 into its slot and hands the slot over.
  auto decompose = [&](TSize index, TLeaveOneOut::TWorkspace& ws) {
    TSlot& slot = ring[index % ringSize];
    try {
      leaveOneOut.Decompose(index + 1, ws);
      std::copy_n(ws.values.Data(), p, slot.values.begin());
      for (TSize a = 1; a <= k; ++a)
        std::copy_n(ws.vectors.Column(a), p, slot.vectors.begin() + std::size_t(a - 1) * p);
      slot.error = nullptr;
    } catch (...) {
      slot.error = std::current_exception();
      ClearFloatFaults();
    }
    {
      std::lock_guard lock(mutex);
      slot.ready = true;
    }
    slotDone.notify_all();
  };

  auto work = [&](TLeaveOneOut::TWorkspace& ws) {
    ClearFloatFaults();
    for (;;) {
      const TSize index = next++;
      if (index >= n) return;
      {
        std::unique_lock lock(mutex);
        slotFreed.wait(lock, [&] { return stop || index < consumed + ringSize; });
        if (stop) return;
      }
      decompose(index, ws);
    }
  };

  std::vector<TLeaveOneOut::TWorkspace> workspaces;
  workspaces.reserve(threads);
  for (unsigned t = 0; t < threads; ++t) workspaces.emplace_back(n, p);
  std::vector<std::jthread> pool;
  // However this thread leaves (a fault, a cancel, the end), the workers stop
  // before the pool joins them.
  struct TStopWorkers {
    std::mutex& mutex;
    bool& stop;
    std::condition_variable& freed;
    ~TStopWorkers() {
      {
        std::lock_guard lock(mutex);
        stop = true;
      }
      freed.notify_all();
    }
  } stopWorkers{mutex, stop, slotFreed};
  TThreadStarter& starter = in.threadStarter != nullptr ? *in.threadStarter : SystemThreadStarter();
  for (unsigned t = 0; t < threads; ++t) {
    try {
      pool.push_back(starter.Start([&work, &ws = workspaces[t]] { work(ws); }));
    } catch (const std::system_error&) {
      break;  // out of threads: the loop goes on with those it has
    }
  }
  // Without any worker this thread decomposes each object before taking it.
  const bool alone = pool.empty();

  TAccumulators valueSums(p), vectorSums(std::size_t(p) * k), macSums(allometry ? p : 0);
  const double macScale = std::sqrt(1.0 / p);
  std::vector<double> reducedMacs(allometry ? p : 0);

  for (TSize index = 0; index < n; ++index) {
    TSlot& slot = ring[index % ringSize];
    if (alone) decompose(index, workspaces[0]);
    {
      std::unique_lock lock(mutex);
      slotDone.wait(lock, [&] { return slot.ready; });
    }
    const TSize object = index + 1;
    if (in.observer != nullptr) in.observer->JackknifeIteration(object, n);
    if (slot.error) std::rethrow_exception(slot.error);

    valueSums.Add(0, object, n, fullValues.Data(), slot.values.data(), p);
    for (TSize a = 1; a <= k; ++a) {
      double* reduced = slot.vectors.data() + std::size_t(a - 1) * p;
      const double* full = fullVectors.Column(a);
      double dot = 0.0;
      for (TSize j = 0; j < p; ++j) dot += full[j] * reduced[j];
      if (dot < 0.0)  // a reduced sample's axis may come out pointing the other way
        for (TSize j = 0; j < p; ++j) reduced[j] = -reduced[j];
      vectorSums.Add(std::size_t(a - 1) * p, object, n, full, reduced, p);
    }
    if (allometry) {
      for (TSize j = 1; j <= p; ++j)
        reducedMacs[j - 1] = in.macOrientation * slot.vectors[j - 1] / macScale;
      macSums.Add(0, object, n, in.macs->Data(), reducedMacs.data(), p);
    }
    if (in.observer != nullptr && object < n && in.observer->CancelRequested())
      throw ERunCancelled();
    {
      std::lock_guard lock(mutex);
      slot.ready = false;
      ++consumed;
    }
    slotFreed.notify_all();
  }
  CheckFloatFaults();

  TJackknifeResults results;
  results.axisCount = k;
  auto finishAll = [n](const TAccumulators& sums, Tail tail,
                       std::vector<TJackknifeStatistic>& into) {
    for (std::size_t i = 0; i < sums.Size(); ++i)
      into.push_back(Finish(sums.Mean(i), sums.Squares(i), n, tail));
  };
  finishAll(valueSums, Tail::Upper, results.eigenvalues);
  finishAll(vectorSums, Tail::Absolute, results.vectors);
  finishAll(macSums, Tail::BelowOne, results.macs);
  CheckFloatFaults();
  return results;
}

}  // namespace talvex
