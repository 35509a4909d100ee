// Header-line parsing and the declared-size check of the data reader.
#include "input/data_header.h"

#include <charconv>
#include <limits>

#include "base/exception.h"
#include "base/text_format.h"
#include "input/data_refused.h"

namespace talvex {

namespace {

struct TCountField {
  TSize count = 0;
  bool labelled = false;
};

// Every L and l is a label marker, wherever it stands; the rest must be a
// signed decimal integer. A count that is syntactically an integer but zero,
// negative or too large for a count is refused like a zero count.
TCountField ReadCountField(const std::string& field, const char* refusal) {
  TCountField result;
  result.labelled = field.find_first_of("Ll") != std::string::npos;
  const std::string digits = RemoveChar('l', RemoveChar('L', field));

  const char* first = digits.data();
  const char* last = first + digits.size();
  bool negative = false;
  if (first != last && (*first == '+' || *first == '-')) {
    negative = *first == '-';
    ++first;
  }
  bool integer = first != last;
  for (const char* p = first; p != last; ++p) integer = integer && *p >= '0' && *p <= '9';
  if (!integer) throw EConvertError("'" + digits + "' is not a valid integer value");

  std::uint64_t value = 0;
  const auto conversion = std::from_chars(first, last, value);
  if (negative || conversion.ec != std::errc() || value == 0 ||
      value > std::numeric_limits<TSize>::max()) {
    throw EDataRefused(refusal);
  }
  result.count = static_cast<TSize>(value);
  return result;
}

}  // namespace

TDataHeader ParseHeaderLine(const std::string& line) {
  if (FieldOf(line, ' ', 1) != "1") throw EDataRefused("Invalid matrix type. Must be \"1\"");
  TDataHeader header;
  const TCountField objects =
      ReadCountField(FieldOf(line, ' ', 2), "Invalid row specification in file!");
  header.objectCount = objects.count;
  header.objectLabels = objects.labelled;
  const TCountField variables =
      ReadCountField(FieldOf(line, ' ', 3), "Invalid column specification in file!");
  header.variableCount = variables.count;
  header.variableLabels = variables.labelled;
  if (FieldOf(line, ' ', 4).find('0') == std::string::npos)
    throw EDataRefused("Missing data not allowed!");
  return header;
}

TSize CheckDeclaredSize(const TDataHeader& header, std::optional<std::uint64_t> bytesLeft) {
  // At most (2^32 - 1)^2 + 2 * (2^32 - 1) = 2^64 - 1 items: no overflow in 64 bits.
  const std::uint64_t valueCount = std::uint64_t{header.objectCount} * header.variableCount;
  std::uint64_t items = valueCount;
  if (header.objectLabels) items += header.objectCount;
  if (header.variableLabels) items += header.variableCount;
  // k items need at least 2k - 1 bytes: every item but the last is followed by a
  // separator or, for a value, is a full 64-character run.
  if (bytesLeft && items > *bytesLeft / 2 + *bytesLeft % 2)
    throw EDataRefused("Not enough data in file");
  if (valueCount > std::numeric_limits<TSize>::max()) throw EDataRefused("Too many values in file");
  return static_cast<TSize>(valueCount);
}

}  // namespace talvex
