// RunOrderedParallelLoop: items 1..n computed on a pool of threads in any
// order, their results consumed on the calling thread strictly in item order.
// Whatever the consumer does with a result (sums in item order, for one) is
// therefore the same bit for bit for any number of threads.
//
// The results wait in a ring of slots that the caller owns: item i goes to
// slot (i - 1) % slotCount, and a worker does not start item i before item
// i - slotCount has been consumed, so memory stays bounded whatever n is.
#pragma once

#include <functional>
#include <memory>

#include "analysis/thread_starter.h"
#include "numeric/sizes.h"

namespace talvex {

struct TOrderedLoopShape {
  TSize itemCount = 0;       // items 1..itemCount
  unsigned workerCount = 1;  // worker threads to start; each owns workspace 0..workerCount - 1
  TSize slotCount = 1;       // results held between computing and consuming, at least 1
  TSize chunkLimit = 0;      // most items a worker takes at a time; 0: as the ring allows
  /// Workers started with a TOrderedParallelLoop; the others start when it
  /// begins to consume. 0: all of them.
  unsigned earlyWorkerCount = 0;
};

/// Computes `item` into `slot` with the workspace of `worker`; runs on any
/// thread, never on two items of the same worker or slot at once.
using TComputeItem = std::function<void(TSize item, unsigned worker, TSize slot)>;

/// Computes `first` and `first + 1` into their slots together with the
/// workspaces of `worker`, with the same results as two TComputeItem calls.
/// Where it raises, each item is computed alone, which tells whose failure
/// it is.
using TComputeTwo = std::function<void(TSize first, TSize firstSlot, TSize second, TSize secondSlot,
                                       unsigned worker)>;

/// Takes the result of `item` out of `slot`; runs on the calling thread, in
/// item order. The slot is reused once it returns.
using TConsumeItem = std::function<void(TSize item, TSize slot)>;

/// Optional calls on the calling thread as the loop goes.
struct TOrderedLoopHooks {
  /// Each item as the calling thread takes it up, before its result is
  /// consumed or its failure raised (progress).
  std::function<void(TSize item)> itemReached;
  /// Polled after each consumed item but the last, and every tenth of a
  /// second while the calling thread waits for an item but the last (a long
  /// one); true stops the loop with ERunCancelled.
  std::function<bool()> stopRequested;
};

/// Runs the loop and returns the number of workers that ran. Workers that
/// `starter` cannot start (std::system_error) are done without; when none
/// starts, the calling thread computes each item itself, with workspace 0,
/// just before consuming it.
///
/// A failure in `compute` for item k is raised on the calling thread when the
/// loop reaches item k: items before k have been consumed, items after k are
/// not, whichever failed first in time. A failure in `consume` or a stop ends
/// the loop the same way. Every worker has ended when this returns or raises.
/// Workers start with clear floating-point status flags, and a failed item
/// leaves its thread's flags clear for the next one.
unsigned RunOrderedParallelLoop(const TOrderedLoopShape& shape, TThreadStarter& starter,
                                const TComputeItem& compute, const TConsumeItem& consume,
                                const TOrderedLoopHooks& hooks = {});

/// The same, with the consecutive items of a worker's chunk computed two at
/// a time by computeTwo (a chunk of one, or its last item, by compute).
unsigned RunOrderedParallelLoop(const TOrderedLoopShape& shape, TThreadStarter& starter,
                                const TComputeItem& compute, const TComputeTwo& computeTwo,
                                const TConsumeItem& consume, const TOrderedLoopHooks& hooks);

/// The loop in two steps: the early workers start on construction and fill
/// the ring while the caller does other work; Consume starts the rest and
/// then runs the consumer as RunOrderedParallelLoop does. Destroying the loop
/// without consuming (or after a failure) stops the workers after their
/// current items and joins them.
class TOrderedParallelLoop {
 public:
  TOrderedParallelLoop(const TOrderedLoopShape& shape, TThreadStarter& starter,
                       TComputeItem compute, TComputeTwo computeTwo = {});
  ~TOrderedParallelLoop();
  TOrderedParallelLoop(const TOrderedParallelLoop&) = delete;
  TOrderedParallelLoop& operator=(const TOrderedParallelLoop&) = delete;

  /// Consumes items 1..n in order; returns the number of workers that ran.
  /// Call at most once.
  unsigned Consume(const TConsumeItem& consume, const TOrderedLoopHooks& hooks = {});

 private:
  struct TState;
  void StartWorkers(TThreadStarter& starter, unsigned until);
  void Stop() noexcept;
  std::unique_ptr<TState> state_;
};

}  // namespace talvex
