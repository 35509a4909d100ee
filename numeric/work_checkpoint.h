// How a long computation of the numerics lets its caller follow it and stop
// it. The computation calls the checkpoint on its own thread between pieces
// of work, each a fraction of a second at most, with the share of its work
// done so far (0 to 1, never decreasing); the checkpoint may throw to stop
// it, which leaves the computation's outputs with no meaning. Without a
// checkpoint (an empty function) nothing is called, and with one the
// results are the same bit for bit.
#pragma once

#include <functional>
#include <utility>

namespace talvex {

using TCheckpoint = std::function<void(double done)>;

/// A computation's stages, each with its cost (in any unit, the same for
/// all): the checkpoint of each stage reports its own share as the share of
/// the whole, after the stages before it.
class TStagedWork {
 public:
  TStagedWork(TCheckpoint whole, double totalCost)
      : whole_(std::move(whole)), total_(totalCost > 0.0 ? totalCost : 1.0) {}

  /// Reports `cost` more done (a stage without a checkpoint of its own).
  void Done(double cost) {
    done_ += cost;
    if (whole_) whole_(Share(done_));
  }

  /// The checkpoint of the next stage, of `cost`; call Done(cost) after it.
  /// Empty when the whole has none.
  TCheckpoint Stage(double cost) const {
    if (!whole_) return {};
    return [this, start = done_, cost](double share) { whole_(Share(start + share * cost)); };
  }

 private:
  double Share(double done) const { return done >= total_ ? 1.0 : done / total_; }

  TCheckpoint whole_;
  double total_;
  double done_ = 0.0;
};

}  // namespace talvex
