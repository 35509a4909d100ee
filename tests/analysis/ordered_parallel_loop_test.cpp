// The ordered parallel loop on its own: results consumed in item order
// whatever order the workers finish in, a bounded ring, stops and failures
// raised at their item, and threads that cannot start.
#include "analysis/ordered_parallel_loop.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <numeric>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "analysis/run_observer.h"
#include "refusing_thread_starter.h"

namespace talvex {
namespace {

using testing::TRefusingStarter;

// An item's result: a value that depends on the item alone.
double ResultOf(TSize item) { return 1.0 / (3.0 + item) + item * 1e-3; }

std::vector<TSize> OneTo(TSize n) {
  std::vector<TSize> items(n);
  std::iota(items.begin(), items.end(), 1u);
  return items;
}

// A loop whose consumer records the order and sums the results in it (a sum
// of doubles depends on that order).
struct TRecordingLoop {
  explicit TRecordingLoop(TSize slotCount) : slots(slotCount) {}

  TComputeItem Compute() {
    return [this](TSize item, unsigned worker, TSize slot) {
      // The ring bound: item i - slotCount has been consumed before item i starts.
      EXPECT_LE(item, consumedCount.load() + slots.size()) << item;
      slots[slot] = ResultOf(item);
      std::lock_guard lock(mutex);
      computed.push_back(item);
      workers.insert(worker);
    };
  }
  TConsumeItem Consume() {
    return [this](TSize item, TSize slot) {
      consumed.push_back(item);
      EXPECT_EQ(slots[slot], ResultOf(item)) << item;
      sum += slots[slot];
      ++consumedCount;
    };
  }
  TOrderedLoopHooks Hooks() {
    TOrderedLoopHooks hooks;
    hooks.itemReached = [this](TSize item) { reached.push_back(item); };
    return hooks;
  }

  std::vector<double> slots;
  std::mutex mutex;
  std::vector<TSize> computed;  // guarded by mutex
  std::set<unsigned> workers;   // guarded by mutex
  std::vector<TSize> consumed, reached;
  std::atomic<TSize> consumedCount{0};
  double sum = 0.0;
};

bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// The sum of items 1..n as one worker and a ring of `slots` give it.
double SumOfOneWorker(TSize n, TSize slots) {
  TRecordingLoop loop(slots);
  RunOrderedParallelLoop({n, 1, slots}, SystemThreadStarter(), loop.Compute(), loop.Consume());
  return loop.sum;
}

// Items finish in a scripted order: within each run of `workers` items the
// order is shuffled, so later items are finished before earlier ones while
// every item whose turn it is has a worker.
TEST(OrderedParallelLoop, ConsumesInItemOrderWhateverTheCompletionOrder) {
  const TSize n = 30;
  const unsigned workers = 4;
  std::vector<TSize> script;
  std::mt19937 random(7);
  for (TSize first = 1; first <= n; first += workers) {
    std::vector<TSize> run;
    for (TSize item = first; item < first + workers && item <= n; ++item) run.push_back(item);
    std::shuffle(run.begin(), run.end(), random);
    script.insert(script.end(), run.begin(), run.end());
  }
  for (TSize slotCount : {TSize(workers), TSize(2 * workers)}) {
    SCOPED_TRACE(slotCount);
    TRecordingLoop loop(slotCount);
    std::mutex mutex;
    std::condition_variable turnChanged;
    std::size_t turn = 0;
    const TComputeItem record = loop.Compute();
    auto inScriptedOrder = [&](TSize item, unsigned worker, TSize slot) {
      std::unique_lock lock(mutex);
      turnChanged.wait(lock, [&] { return script[turn] == item; });
      record(item, worker, slot);
      ++turn;
      turnChanged.notify_all();
    };
    EXPECT_EQ(RunOrderedParallelLoop({n, workers, slotCount}, SystemThreadStarter(),
                                     inScriptedOrder, loop.Consume(), loop.Hooks()),
              workers);
    EXPECT_EQ(loop.computed, script);  // the completion order really was shuffled
    EXPECT_EQ(loop.consumed, OneTo(n));
    EXPECT_EQ(loop.reached, OneTo(n));
  }
}

TEST(OrderedParallelLoop, SameSumForOneWorkerAndMany) {
  const TSize n = 200;
  TRecordingLoop single(1);
  ASSERT_EQ(
      RunOrderedParallelLoop({n, 1, 1}, SystemThreadStarter(), single.Compute(), single.Consume()),
      1u);
  for (unsigned workers : {2u, 3u, 7u}) {
    // 61 slots: workers take items in chunks (15, 10 and 4) that do not
    // divide the items.
    for (TSize slotCount : {1u, 2u, 16u, 61u}) {
      SCOPED_TRACE(std::to_string(workers) + " workers, " + std::to_string(slotCount) + " slots");
      TRecordingLoop loop(slotCount);
      EXPECT_EQ(RunOrderedParallelLoop({n, workers, slotCount}, SystemThreadStarter(),
                                       loop.Compute(), loop.Consume()),
                workers);
      EXPECT_EQ(loop.consumed, OneTo(n));
      EXPECT_TRUE(SameBits(loop.sum, single.sum));
      for (unsigned worker : loop.workers) EXPECT_LT(worker, workers);
    }
  }
}

TEST(OrderedParallelLoop, StopRequestEndsTheLoopAfterTheConsumedItem) {
  const TSize slotCount = 4;
  for (unsigned workers : {0u, 1u, 3u}) {
    SCOPED_TRACE(workers);
    TRefusingStarter starter(workers);
    TRecordingLoop loop(slotCount);
    TOrderedLoopHooks hooks = loop.Hooks();
    hooks.stopRequested = [&] { return loop.consumed.size() == 3; };
    EXPECT_THROW(
        RunOrderedParallelLoop({100, 3, slotCount}, starter, loop.Compute(), loop.Consume(), hooks),
        ERunCancelled);
    EXPECT_EQ(loop.consumed, OneTo(3));
    EXPECT_EQ(loop.reached, OneTo(3));
    // The ring holds the workers back: nothing beyond the free slots was computed.
    for (TSize item : loop.computed) EXPECT_LE(item, 3 + slotCount);
  }
}

TEST(OrderedParallelLoop, StopIsNotPolledAfterTheLastItem) {
  for (TSize n : {1u, 3u}) {
    SCOPED_TRACE(n);
    TRecordingLoop loop(2);
    TOrderedLoopHooks hooks = loop.Hooks();
    hooks.stopRequested = [] { return true; };
    if (n == 1) {
      EXPECT_NO_THROW(RunOrderedParallelLoop({n, 2, 2}, SystemThreadStarter(), loop.Compute(),
                                             loop.Consume(), hooks));
    } else {
      EXPECT_THROW(RunOrderedParallelLoop({n, 2, 2}, SystemThreadStarter(), loop.Compute(),
                                          loop.Consume(), hooks),
                   ERunCancelled);
    }
    EXPECT_EQ(loop.consumed, OneTo(1));
  }
}

TEST(OrderedParallelLoop, FailureAtItemKIsRaisedWhenTheLoopReachesIt) {
  const TSize failing = 5;
  for (unsigned workers : {0u, 1u, 3u}) {
    SCOPED_TRACE(workers);
    TRefusingStarter starter(workers);
    TRecordingLoop loop(4);
    const TComputeItem record = loop.Compute();
    auto compute = [&](TSize item, unsigned worker, TSize slot) {
      if (item == failing) throw Exception("item " + std::to_string(item));
      record(item, worker, slot);
    };
    try {
      RunOrderedParallelLoop({20, 3, 4}, starter, compute, loop.Consume(), loop.Hooks());
      ADD_FAILURE() << "no failure raised";
    } catch (const Exception& e) {
      EXPECT_STREQ(e.what(), "item 5");
    }
    EXPECT_EQ(loop.consumed, OneTo(failing - 1));
    EXPECT_EQ(loop.reached, OneTo(failing));
    // The calling thread alone computes each item just before taking it up.
    if (workers == 0) {
      EXPECT_EQ(loop.computed, OneTo(failing - 1));
    }
  }
}

TEST(OrderedParallelLoop, FailureInTheConsumerEndsTheLoop) {
  TRecordingLoop loop(3);
  const TConsumeItem record = loop.Consume();
  auto consume = [&](TSize item, TSize slot) {
    record(item, slot);
    if (item == 4) throw Exception("consumer");
  };
  EXPECT_THROW(RunOrderedParallelLoop({50, 2, 3}, SystemThreadStarter(), loop.Compute(), consume),
               Exception);
  EXPECT_EQ(loop.consumed, OneTo(4));
}

// Item 7 fails first in time, item 5 afterwards: the loop raises item 5's
// failure, the first in item order.
TEST(OrderedParallelLoop, OnlyTheFirstFailureInItemOrderIsRaised) {
  std::mutex mutex;
  std::condition_variable failed;
  std::vector<TSize> failures;
  TRecordingLoop loop(8);
  const TComputeItem record = loop.Compute();
  auto compute = [&](TSize item, unsigned worker, TSize slot) {
    if (item == 5 || item == 7) {
      std::unique_lock lock(mutex);
      if (item == 5) failed.wait(lock, [&] { return !failures.empty(); });
      failures.push_back(item);
      failed.notify_all();
      throw Exception("item " + std::to_string(item));
    }
    record(item, worker, slot);
  };
  try {
    RunOrderedParallelLoop({20, 2, 8}, SystemThreadStarter(), compute, loop.Consume());
    ADD_FAILURE() << "no failure raised";
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), "item 5");
  }
  EXPECT_EQ(failures, (std::vector<TSize>{7, 5}));
  EXPECT_EQ(loop.consumed, OneTo(4));
}

TEST(OrderedParallelLoop, ThreadsThatCannotStartAreDoneWithout) {
  const TSize n = 40;
  const double expected = SumOfOneWorker(n, 2);

  {
    SCOPED_TRACE("none starts");
    TRefusingStarter starter(0);
    TRecordingLoop loop(2);
    const std::thread::id caller = std::this_thread::get_id();
    const TComputeItem record = loop.Compute();
    auto compute = [&](TSize item, unsigned worker, TSize slot) {
      EXPECT_EQ(std::this_thread::get_id(), caller);
      record(item, worker, slot);
    };
    EXPECT_EQ(RunOrderedParallelLoop({n, 4, 2}, starter, compute, loop.Consume()), 0u);
    EXPECT_EQ(starter.asked, 1u);
    EXPECT_EQ(loop.workers, std::set<unsigned>{0});
    EXPECT_EQ(loop.computed, OneTo(n));
    EXPECT_EQ(loop.consumed, OneTo(n));
    EXPECT_TRUE(SameBits(loop.sum, expected));
  }
  {
    SCOPED_TRACE("two of four start");
    TRefusingStarter starter(2);
    TRecordingLoop loop(2);
    EXPECT_EQ(RunOrderedParallelLoop({n, 4, 2}, starter, loop.Compute(), loop.Consume()), 2u);
    EXPECT_EQ(starter.asked, 3u);  // the first refusal ends the starting
    for (unsigned worker : loop.workers) EXPECT_LT(worker, 2u);
    EXPECT_EQ(loop.consumed, OneTo(n));
    EXPECT_TRUE(SameBits(loop.sum, expected));
  }
}

// Workers that start late: only the early ones run before consuming begins
// (they fill the ring, no further); the rest join when it does, with the
// same results. A late start that is refused leaves the loop to those
// running, or to the caller.
TEST(OrderedParallelLoop, LateWorkersStartWhenConsumingBegins) {
  const TSize n = 40;
  const double expected = SumOfOneWorker(n, 8);

  {
    SCOPED_TRACE("one of three early");
    TRefusingStarter starter(3);
    TRecordingLoop loop(8);
    TOrderedParallelLoop early({n, 3, 8, 0, 1}, starter, loop.Compute());
    EXPECT_EQ(starter.asked, 1u);
    // The early worker fills the ring and waits: every slot, and no more.
    for (int i = 0; i < 2000; ++i) {
      {
        std::lock_guard lock(loop.mutex);
        if (loop.computed.size() == 8) break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    {
      std::lock_guard lock(loop.mutex);
      EXPECT_EQ(loop.computed, OneTo(8));
      EXPECT_EQ(loop.workers, std::set<unsigned>{0});
    }
    EXPECT_EQ(early.Consume(loop.Consume()), 3u);
    EXPECT_EQ(starter.asked, 3u);
    EXPECT_EQ(loop.consumed, OneTo(n));
    EXPECT_TRUE(SameBits(loop.sum, expected));
  }
  for (unsigned allowed : {0u, 1u}) {
    SCOPED_TRACE(std::to_string(allowed) + " may start");
    TRefusingStarter starter(allowed);
    TRecordingLoop loop(8);
    TOrderedParallelLoop early({n, 3, 8, 0, 1}, starter, loop.Compute());
    EXPECT_EQ(early.Consume(loop.Consume()), allowed);
    EXPECT_EQ(starter.asked, allowed + 1);  // the first refusal ends the starting
    EXPECT_EQ(loop.consumed, OneTo(n));
    EXPECT_TRUE(SameBits(loop.sum, expected));
  }
}

TEST(OrderedParallelLoop, OneItemOrNone) {
  for (unsigned workers : {0u, 4u}) {
    SCOPED_TRACE(workers);
    TRefusingStarter starter(workers);
    TRecordingLoop loop(3);
    RunOrderedParallelLoop({1, 4, 3}, starter, loop.Compute(), loop.Consume(), loop.Hooks());
    EXPECT_EQ(loop.computed, OneTo(1));
    EXPECT_EQ(loop.consumed, OneTo(1));
    EXPECT_EQ(loop.reached, OneTo(1));
  }
  TRefusingStarter starter(4);
  TRecordingLoop loop(3);
  EXPECT_EQ(RunOrderedParallelLoop({0, 4, 3}, starter, loop.Compute(), loop.Consume()), 0u);
  EXPECT_EQ(starter.asked, 0u);
  EXPECT_TRUE(loop.computed.empty());
  EXPECT_TRUE(loop.consumed.empty());
}

// Items computed two at a time: consumed in order with the same results, the
// pairs made of consecutive items of one chunk; a pair that raises is
// computed again item by item, so that only the failing item's failure is
// raised, at its turn.
TEST(OrderedParallelLoop, PairsOfItemsAndTheirFailures) {
  for (TSize failing : {TSize(0), TSize(6), TSize(7)}) {
    SCOPED_TRACE(failing);
    TRefusingStarter starter(2);
    TRecordingLoop loop(8);  // chunks of 8 / (2 x 2) = 2 items
    const TComputeItem record = loop.Compute();
    std::mutex pairsMutex;
    std::vector<TSize> pairs;
    auto compute = [&](TSize item, unsigned worker, TSize slot) {
      if (item == failing) throw Exception("item " + std::to_string(item));
      record(item, worker, slot);
    };
    auto computeTwo = [&](TSize first, TSize firstSlot, TSize second, TSize secondSlot,
                          unsigned worker) {
      EXPECT_EQ(second, first + 1);
      {
        std::lock_guard lock(pairsMutex);
        pairs.push_back(first);
      }
      // A pair's failure does not say whose it is.
      if (first == failing || second == failing) throw Exception("one of the pair");
      record(first, worker, firstSlot);
      record(second, worker, secondSlot);
    };
    try {
      RunOrderedParallelLoop({20, 2, 8}, starter, compute, computeTwo, loop.Consume(),
                             loop.Hooks());
      EXPECT_EQ(failing, 0u) << "no failure raised";
      EXPECT_EQ(loop.consumed, OneTo(20));
    } catch (const Exception& e) {
      EXPECT_EQ(e.what(), "item " + std::to_string(failing));
      EXPECT_EQ(loop.consumed, OneTo(failing - 1));
    }
    // Every pair starts at an odd item (chunks of two from item 1).
    std::lock_guard lock(pairsMutex);
    EXPECT_FALSE(pairs.empty());
    for (TSize first : pairs) EXPECT_EQ(first % 2, 1u) << first;
  }

  // A chunk limit of one item leaves no pairs to make, however large the ring.
  TRefusingStarter starter(2);
  TRecordingLoop loop(64);
  auto never = [](TSize, TSize, TSize, TSize, unsigned) { ADD_FAILURE() << "a pair was made"; };
  RunOrderedParallelLoop({20, 2, 64, 1}, starter, loop.Compute(), never, loop.Consume(),
                         loop.Hooks());
  EXPECT_EQ(loop.consumed, OneTo(20));
}

}  // namespace
}  // namespace talvex
