// How the objects' groups look in a plot: a colour-blind-safe colour and a
// marker shape per group, and the groups of the objects as indices.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace talvex {

struct TRgb {
  unsigned char red = 0;
  unsigned char green = 0;
  unsigned char blue = 0;
  bool operator==(const TRgb&) const = default;
};

enum class TMarkerShape { Circle, Square, TriangleUp, Diamond, TriangleDown, Cross, Plus, Star };

/// The number of colours before GroupColour repeats, and of marker shapes.
constexpr std::size_t GroupColourCount = 8;
constexpr std::size_t MarkerShapeCount = 8;

/// The Okabe-Ito colour-blind-safe palette (orange, sky blue, bluish green,
/// yellow, blue, vermillion, reddish purple, black), cycling.
TRgb GroupColour(std::size_t group);

/// The marker shapes, in the order of TMarkerShape, shifted by one after each
/// full round of the colours: group g and g + 8 share a colour but not a
/// shape, and the first 64 groups all differ in colour or shape.
TMarkerShape GroupMarker(std::size_t group);

/// The objects' groups as indices.
struct TGrouping {
  std::vector<std::string> names;     // the legend, in order of first appearance
  std::vector<std::size_t> ofObject;  // one per object: an index into names
};

/// Objects' groups as indices: distinct non-empty names in order of first
/// appearance; objects with an empty name (missing group) get the index
/// names.size() and the name "(no group)" is appended when any exist. Empty
/// input (no groups) -> names empty, ofObject empty.
TGrouping GroupObjects(const std::vector<std::string>& groups);

/// The name given to the objects without a group.
inline constexpr const char* NoGroupName = "(no group)";

}  // namespace talvex
