// The leave-one-out loop over a range of objects, and parts merged by
// replaying the loop's running sums in object order.
#include "analysis/jackknife_part.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <optional>
#include <thread>

#include "analysis/allometry.h"
#include "analysis/axis_alignment.h"
#include "analysis/leave_one_out.h"
#include "analysis/ordered_parallel_loop.h"
#include "analysis/pseudo_values.h"
#include "numeric/float_faults.h"

namespace talvex {

namespace {

// The workers' containers (about 2 p x p doubles each) stay below this many
// doubles (256 MB), as the one-piece loop's do.
constexpr std::size_t WorkspaceBudget = std::size_t(32) << 20;
// Finished decompositions waiting to be aligned, per worker.
constexpr TSize SlotsPerWorker = 4;

unsigned WorkerCount(unsigned asked, TSize objects, TSize p) {
  unsigned threads = asked != 0 ? asked : std::max(1u, std::thread::hardware_concurrency());
  threads = unsigned(std::min<TSize>(threads, std::max<TSize>(objects, 1)));
  const std::size_t perWorkspace = 2 * std::size_t(p) * p + 4 * std::size_t(p);
  return unsigned(
      std::min<std::size_t>(threads, std::max<std::size_t>(1, WorkspaceBudget / perWorkspace)));
}

struct TSlot {
  std::vector<double> values;  // p
  std::vector<double> axes;    // k x p
  TSize determined = 0;
};

[[noreturn]] void Mismatch(const char* message, std::string detail) {
  Exception error(message);
  error.SetDetail(std::move(detail));
  throw error;
}

bool SameBits(const std::vector<double>& a, const std::vector<double>& b) {
  // An empty vector may hold no storage at all, which memcmp must not be given.
  return a.size() == b.size() &&
         (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) == 0);
}

// A part of objects first..last with the full sample's results and room
// for each object's reduced sample.
TJackknifePart EmptyPart(const TJackknifeInput& in, TSize first, TSize last) {
  const TSize p = in.variableCount, k = in.axisCount;
  TJackknifePart part;
  part.objectCount = in.objectCount;
  part.variableCount = p;
  part.axisCount = k;
  part.first = first;
  part.last = last;
  part.eigenvalues.assign(in.eigenvalues.Data(), in.eigenvalues.Data() + p);
  for (TSize a = 1; a <= k; ++a)
    part.axes.insert(part.axes.end(), in.eigenvectors.Column(a), in.eigenvectors.Column(a) + p);
  if (in.allometry) part.macs.assign(in.allometry->macs.Data(), in.allometry->macs.Data() + p);
  part.samples.resize(std::size_t(last - first + 1) * part.SampleSize());
  return part;
}

}  // namespace

TJackknifePart RunJackknifePart(const TJackknifeInput& in, TSize first, TSize last,
                                const TJackknifeSettings& settings) {
  const TSize n = in.objectCount, p = in.variableCount, k = in.axisCount;
  if (first < 1 || last < first || last > n)
    Mismatch("The jackknife's parts do not cover every object once",
             "objects " + std::to_string(first) + " to " + std::to_string(last) + " of " +
                 std::to_string(n));
  ClearFloatFaults();
  TJackknifePart part = EmptyPart(in, first, last);
  const std::size_t size = part.SampleSize();
  const TSize objects = last - first + 1;

  // The loop's own decomposition, set up as the one-piece loop sets it up.
  TLeaveOneOut leaveOneOut(in.data, n, p, in.method, PreparationCheckpoint(p, settings.observer));
  // A stop ends the workers' long decompositions part way.
  std::atomic<bool> stopping{false};
  leaveOneOut.StopWhen(stopping);
  if (in.method != DispersionMethod::Correlation)
    leaveOneOut.UseFullSampleAxes(in.eigenvalues, in.eigenvectors);
  const unsigned threads = WorkerCount(settings.threads, objects, p);
  std::vector<std::optional<TLeaveOneOut::TWorkspace>> workspaces(threads);
  std::vector<TSlot> ring(std::min<TSize>(objects, SlotsPerWorker * threads));
  const auto compute = [&](TSize item, unsigned worker, TSize slot) {
    if (!workspaces[worker]) workspaces[worker].emplace(n, p);
    TLeaveOneOut::TWorkspace& ws = *workspaces[worker];
    TSlot& out = ring[slot];
    out.determined = std::min(leaveOneOut.Decompose(first + item - 1, ws, k), k);
    out.values.assign(ws.values.Data(), ws.values.Data() + p);
    out.axes.resize(std::size_t(p) * k);
    for (TSize a = 1; a <= out.determined; ++a)
      std::copy_n(ws.vectors.Column(a), p, out.axes.data() + std::size_t(a - 1) * p);
  };
  std::vector<double> reducedMacs(p);
  const auto consume = [&](TSize item, TSize slot) {
    TSlot& sample = ring[slot];
    double* into = part.samples.data() + std::size_t(item - 1) * size;
    std::copy_n(sample.values.data(), p, into);
    // Axes the reduced sample does not determine are the full sample's, as
    // in the one-piece loop.
    for (TSize a = sample.determined + 1; a <= k; ++a)
      std::copy_n(in.eigenvectors.Column(a), p, sample.axes.data() + std::size_t(a - 1) * p);
    double firstSign = 1.0;
    for (TSize a = 1; a <= k; ++a) {
      const double* reduced = sample.axes.data() + std::size_t(a - 1) * p;
      double dot = 0.0;
      const double sign = AxisAlignmentSign(in.eigenvectors.Column(a), reduced, p, dot);
      if (a == 1) firstSign = sign;
      double* aligned = into + std::size_t(a) * p;
      for (TSize j = 0; j < p; ++j) aligned[j] = sign * reduced[j];
    }
    if (in.allometry) {
      AllometricCoefficients(std::span<const double>(sample.axes.data(), p),
                             firstSign * in.allometry->orientation, reducedMacs);
      std::copy_n(reducedMacs.data(), p, into + std::size_t(k + 1) * p);
    }
  };
  TOrderedLoopHooks hooks;
  if (settings.observer != nullptr) {
    TRunObserver& observer = *settings.observer;
    hooks.itemReached = [&observer, objects](TSize item) {
      observer.JackknifeIteration(item, objects);
    };
    hooks.stopRequested = [&observer, &stopping] {
      if (!observer.CancelRequested()) return false;
      stopping.store(true, std::memory_order_relaxed);
      return true;
    };
  }
  RunOrderedParallelLoop({objects, threads, TSize(ring.size()), 0, 0}, settings.threadStarter,
                         compute, consume, hooks);
  CheckFloatFaults();
  return part;
}

namespace {

// The full sample as the one-piece loop's collector sees it, rebuilt from a
// part: eigenvalues, the k axes and the allometry with the orientation the
// run gave it (that of the size axis).
struct TFullSample {
  explicit TFullSample(const TJackknifePart& part)
      : eigenvalues(part.variableCount),
        axes(part.variableCount, part.axisCount),
        macs(TSize(part.macs.size())) {
    const TSize p = part.variableCount;
    std::copy_n(part.eigenvalues.data(), p, eigenvalues.Data());
    eigenvalues.Extend(p);
    for (TSize a = 1; a <= part.axisCount; ++a)
      std::copy_n(part.axes.data() + std::size_t(a - 1) * p, p, axes.Column(a));
    axes.Extend(p, part.axisCount);
    std::copy(part.macs.begin(), part.macs.end(), macs.Data());
    macs.Extend(TSize(part.macs.size()));
  }

  TJackknifeInput Input(const TJackknifePart& part) const {
    std::optional<TJackknifeAllometry> allometry;
    if (!part.macs.empty())
      allometry.emplace(TJackknifeAllometry{macs, SizeAxisOrientation(std::span<const double>(
                                                      part.axes.data(), part.variableCount))});
    return {{noData, part.objectCount, part.variableCount, part.axisCount,
             DispersionMethod::Correlation},
            eigenvalues,
            axes,
            allometry};
  }

  TFloatVector eigenvalues;
  TFloatMatrix axes;
  TFloatVector macs;
  TFloatMatrix noData{0, 0};
};

// The parts in object order, refused unless they fit together and cover
// every object once.
std::vector<const TJackknifePart*> OrderedParts(std::span<const TJackknifePart* const> parts) {
  if (parts.empty()) Mismatch("The jackknife's parts do not cover every object once", "no parts");
  std::vector<const TJackknifePart*> ordered(parts.begin(), parts.end());
  std::sort(ordered.begin(), ordered.end(),
            [](const TJackknifePart* a, const TJackknifePart* b) { return a->first < b->first; });
  const TJackknifePart& one = *ordered.front();
  const TSize n = one.objectCount, p = one.variableCount, k = one.axisCount;
  TSize next = 1;
  for (const TJackknifePart* part : ordered) {
    if (part->objectCount != n || part->variableCount != p || part->axisCount != k)
      Mismatch("The jackknife's parts do not fit together",
               "a part of " + std::to_string(part->objectCount) + " objects, " +
                   std::to_string(part->variableCount) + " variables and " +
                   std::to_string(part->axisCount) + " axes beside one of " + std::to_string(n) +
                   ", " + std::to_string(p) + " and " + std::to_string(k));
    if (!SameBits(part->eigenvalues, one.eigenvalues) || !SameBits(part->axes, one.axes) ||
        !SameBits(part->macs, one.macs))
      Mismatch("The jackknife's parts do not fit together",
               "their full samples differ: the parts come from different data or options");
    if (part->first != next || part->last < part->first || part->last > n ||
        part->samples.size() != std::size_t(part->last - part->first + 1) * one.SampleSize())
      Mismatch("The jackknife's parts do not cover every object once",
               "a part of objects " + std::to_string(part->first) + " to " +
                   std::to_string(part->last) + " where object " + std::to_string(next) +
                   " was due");
    next = part->last + 1;
  }
  if (next != n + 1)
    Mismatch("The jackknife's parts do not cover every object once",
             "objects " + std::to_string(next) + " to " + std::to_string(n) + " are missing");

  return ordered;
}

}  // namespace

TJackknifeResults MergeJackknifeParts(std::span<const TJackknifePart* const> parts,
                                      TJackknifeCollector* collector) {
  const std::vector<const TJackknifePart*> ordered = OrderedParts(parts);
  const TJackknifePart& one = *ordered.front();
  const TSize n = one.objectCount, p = one.variableCount, k = one.axisCount;
  ClearFloatFaults();
  const std::size_t size = one.SampleSize();
  const bool allometry = !one.macs.empty();
  std::vector<double> means(size), squares(size);
  std::optional<TFullSample> fullSample;
  const std::vector<double> plusOnes(k, 1.0);
  if (collector != nullptr) {
    fullSample.emplace(one);
    collector->Start(fullSample->Input(one));
  }
  // The samples are already aligned, so each is added with sign +1, which
  // gives the one-piece loop's pseudo-values bit for bit.
  for (const TJackknifePart* part : ordered) {
    for (TSize object = part->first; object <= part->last; ++object) {
      const double* sample = part->samples.data() + std::size_t(object - part->first) * size;
      AddPseudoValues(means.data(), squares.data(), double(object), double(n),
                      one.eigenvalues.data(), sample, 1.0, p);
      for (TSize a = 1; a <= k; ++a) {
        const std::size_t at = std::size_t(a) * p;
        AddPseudoValues(means.data() + at, squares.data() + at, double(object), double(n),
                        one.axes.data() + at - p, sample + at, 1.0, p);
      }
      if (allometry) {
        const std::size_t at = std::size_t(k + 1) * p;
        AddPseudoValues(means.data() + at, squares.data() + at, double(object), double(n),
                        one.macs.data(), sample + at, 1.0, p);
      }
      if (collector != nullptr)
        collector->Collect({object,
                            std::span<const double>(sample, p),
                            std::span<const double>(sample + p, std::size_t(p) * k),
                            plusOnes,
                            {}});
    }
  }
  CheckFloatFaults();
  TJackknifeResults results;
  results.axisCount = k;
  const auto finish = [&](std::size_t at, std::size_t count, TJackknifeTail tail,
                          const double* full, std::vector<TJackknifeStatistic>& into) {
    for (std::size_t i = 0; i < count; ++i)
      into.push_back(FinishJackknifeStatistic(means[at + i], squares[at + i], n, tail, full[i]));
  };
  finish(0, p, TJackknifeTail::Upper, one.eigenvalues.data(), results.eigenvalues);
  finish(p, std::size_t(p) * k, TJackknifeTail::Absolute, one.axes.data(), results.vectors);
  if (allometry)
    finish(std::size_t(k + 1) * p, p, TJackknifeTail::BelowOne, one.macs.data(), results.macs);
  CheckFloatFaults();
  return results;
}

}  // namespace talvex
