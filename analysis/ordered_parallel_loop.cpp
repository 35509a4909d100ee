// The ordered parallel loop: workers fill a ring of slots, the calling thread
// empties it in item order.
#include "analysis/ordered_parallel_loop.h"

#include <algorithm>
#include <atomic>
#include <cassert>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include "analysis/run_observer.h"
#include "numeric/float_faults.h"

namespace talvex {

namespace {

// How often a stop is polled while the calling thread waits for an item.
constexpr std::chrono::milliseconds StopPollInterval(100);

// What the workers and the calling thread share: which slots hold a finished
// item, its failure if it failed, and how far the consumer has got.
class TRing {
 public:
  TRing(TSize slotCount, TSize chunk)
      : ready_(slotCount, false), errors_(slotCount), chunk_(chunk) {}

  TSize SlotOf(TSize item) const { return (item - 1) % TSize(ready_.size()); }

  /// Blocks until `item` may be written (item - slotCount has been consumed);
  /// false when the loop has ended meanwhile.
  bool WaitForRoom(TSize item) {
    std::unique_lock lock(mutex_);
    freed_.wait(lock, [&] { return stop_ || item <= consumed_ + TSize(ready_.size()); });
    return !stop_;
  }

  /// Computes items first..last into their slots, two at a time where
  /// computeTwo is given, keeping each failure for the consumer, and hands
  /// them over together.
  void Fill(TSize first, TSize last, unsigned worker, const TComputeItem& compute,
            const TComputeTwo& computeTwo) {
    for (TSize item = first; item <= last;) {
      if (computeTwo && item < last) {
        const TSize slot = SlotOf(item), next = SlotOf(item + 1);
        try {
          computeTwo(item, slot, item + 1, next, worker);
          errors_[slot] = nullptr;
          errors_[next] = nullptr;
          item += 2;
          continue;
        } catch (...) {
          ClearFloatFaults();
        }
        ComputeOne(item++, worker, compute);
      }
      ComputeOne(item++, worker, compute);
    }
    {
      std::lock_guard lock(mutex_);
      for (TSize item = first; item <= last; ++item) ready_[SlotOf(item)] = true;
    }
    done_.notify_all();
  }

  /// Blocks until `item` is in its slot; raises its failure. Where it may
  /// stop, a stop is polled while it waits, so that a long item does not
  /// keep it waiting.
  void WaitFor(TSize item, const TOrderedLoopHooks& hooks, bool mayStop) {
    const TSize slot = SlotOf(item);
    {
      std::unique_lock lock(mutex_);
      const auto ready = [&] { return bool(ready_[slot]); };
      if (!mayStop || !hooks.stopRequested) {
        done_.wait(lock, ready);
      } else {
        while (!done_.wait_for(lock, StopPollInterval, ready)) {
          lock.unlock();
          const bool stop = hooks.stopRequested();
          lock.lock();
          if (stop) throw ERunCancelled();
        }
      }
    }
    if (hooks.itemReached) hooks.itemReached(item);
    if (errors_[slot]) std::rethrow_exception(errors_[slot]);
  }

  void ComputeOne(TSize item, unsigned worker, const TComputeItem& compute) {
    const TSize slot = SlotOf(item);
    try {
      compute(item, worker, slot);
      errors_[slot] = nullptr;
    } catch (...) {
      errors_[slot] = std::current_exception();
      ClearFloatFaults();
    }
  }

  void Release(TSize item) {
    {
      std::lock_guard lock(mutex_);
      ready_[SlotOf(item)] = false;
      ++consumed_;
    }
    // A worker waits for room for a whole chunk: waking it for less would
    // only cost a context switch.
    if (item % chunk_ == 0) freed_.notify_all();
  }

  /// Wakes and ends every waiting worker.
  void Stop() {
    {
      std::lock_guard lock(mutex_);
      stop_ = true;
    }
    freed_.notify_all();
  }

 private:
  std::mutex mutex_;
  std::condition_variable done_, freed_;
  std::vector<bool> ready_;                 // guarded by mutex_
  std::vector<std::exception_ptr> errors_;  // handed over with ready_
  TSize chunk_;                             // items a worker takes at a time
  TSize consumed_ = 0;                      // guarded by mutex_
  bool stop_ = false;                       // guarded by mutex_
};

}  // namespace

// What the loop keeps between starting its workers and consuming: the ring,
// the next item to hand out, and the pool, which is declared last so that
// it is joined before the rest goes.
struct TOrderedParallelLoop::TState {
  TState(const TOrderedLoopShape& loopShape, TComputeItem computeItem, TComputeTwo computePair)
      : shape(loopShape),
        // Each worker takes consecutive items a chunk at a time, at most half
        // the ring's share of a worker (and the caller's chunkLimit), so that
        // short items are handed over
        // (and the threads woken) a chunk at a time rather than one by one. A
        // chunk never exceeds the ring, so the worker holding the earliest
        // unfinished chunk always finds room.
        chunk(std::max<TSize>(
            1, std::min<TSize>(shape.slotCount / (2 * std::max<TSize>(1, shape.workerCount)),
                               shape.chunkLimit != 0 ? shape.chunkLimit : shape.slotCount))),
        ring(shape.slotCount, chunk),
        compute(std::move(computeItem)),
        computeTwo(std::move(computePair)) {}

  void Work(unsigned worker) {
    ClearFloatFaults();
    for (;;) {
      const TSize first = next.fetch_add(chunk);
      if (first > shape.itemCount) return;
      const TSize last = std::min(shape.itemCount, first + chunk - 1);
      if (!ring.WaitForRoom(last)) return;
      ring.Fill(first, last, worker, compute, computeTwo);
    }
  }

  TOrderedLoopShape shape;
  TSize chunk;
  TRing ring;
  TComputeItem compute;
  TComputeTwo computeTwo;
  std::atomic<TSize> next{1};
  TThreadStarter* starter = nullptr;  // for the workers that start late
  unsigned nextWorker = 0;            // the next worker to start
  bool outOfThreads = false;          // a start was refused: no more are tried
  std::vector<std::jthread> pool;
};

TOrderedParallelLoop::TOrderedParallelLoop(const TOrderedLoopShape& shape, TThreadStarter& starter,
                                           TComputeItem compute, TComputeTwo computeTwo)
    : state_(std::make_unique<TState>(shape, std::move(compute), std::move(computeTwo))) {
  assert(shape.slotCount >= 1);
  if (shape.itemCount == 0) return;
  TState& state = *state_;
  state.starter = &starter;
  state.pool.reserve(shape.workerCount);  // a started worker is never lost to a reallocation
  const unsigned early = shape.earlyWorkerCount != 0
                             ? std::min(shape.earlyWorkerCount, shape.workerCount)
                             : shape.workerCount;
  StartWorkers(starter, early);
}

void TOrderedParallelLoop::StartWorkers(TThreadStarter& starter, unsigned until) {
  TState& state = *state_;
  for (; state.nextWorker < until && !state.outOfThreads; ++state.nextWorker) {
    const unsigned worker = state.nextWorker;
    try {
      state.pool.push_back(starter.Start([&state, worker] { state.Work(worker); }));
    } catch (const std::system_error&) {
      state.outOfThreads = true;  // the loop goes on with those it has
    } catch (...) {
      Stop();
      throw;
    }
  }
}

TOrderedParallelLoop::~TOrderedParallelLoop() { Stop(); }

void TOrderedParallelLoop::Stop() noexcept {
  // However the loop ends (a failure, a stop, the end), the workers are
  // released before the pool joins them.
  state_->ring.Stop();
  state_->pool.clear();
}

unsigned TOrderedParallelLoop::Consume(const TConsumeItem& consume,
                                       const TOrderedLoopHooks& hooks) {
  TState& state = *state_;
  const TSize n = state.shape.itemCount;
  if (n != 0) StartWorkers(*state.starter, state.shape.workerCount);
  const bool alone = state.pool.empty();
  for (TSize item = 1; item <= n; ++item) {
    if (alone) state.ring.Fill(item, item, 0, state.compute, state.computeTwo);
    // As after a consumed item, a stop is not heard on the way to the last.
    state.ring.WaitFor(item, hooks, item < n);
    consume(item, state.ring.SlotOf(item));
    if (item < n && hooks.stopRequested && hooks.stopRequested()) throw ERunCancelled();
    state.ring.Release(item);
  }
  const unsigned workers = unsigned(state.pool.size());
  Stop();
  return workers;
}

unsigned RunOrderedParallelLoop(const TOrderedLoopShape& shape, TThreadStarter& starter,
                                const TComputeItem& compute, const TConsumeItem& consume,
                                const TOrderedLoopHooks& hooks) {
  return TOrderedParallelLoop(shape, starter, compute).Consume(consume, hooks);
}

unsigned RunOrderedParallelLoop(const TOrderedLoopShape& shape, TThreadStarter& starter,
                                const TComputeItem& compute, const TComputeTwo& computeTwo,
                                const TConsumeItem& consume, const TOrderedLoopHooks& hooks) {
  return TOrderedParallelLoop(shape, starter, compute, computeTwo).Consume(consume, hooks);
}

}  // namespace talvex
