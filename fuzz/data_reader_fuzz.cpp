// Fuzz target of the data-matrix reader: any bytes must either parse into a
// consistent TDataMatrix or raise one of the program's own exceptions, and a
// failed parse must leave the previous data untouched.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "input/data_reader.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  talvex::TDataMatrix matrix;
  matrix.title = "previous";
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  try {
    talvex::ParseDataMatrix(bytes, matrix);
  } catch (const talvex::Exception&) {
    Require(matrix.title == "previous" && matrix.objectCount == 0 && matrix.objectLabels.empty() &&
            matrix.values.Capacity() == 0);
    return 0;
  }
  Require(matrix.objectCount >= 1 && matrix.variableCount >= 1);
  Require(std::uint64_t{matrix.objectCount} * matrix.variableCount == matrix.valueCount);
  Require(matrix.objectLabels.size() == matrix.objectCount);
  Require(matrix.variableLabels.size() == matrix.variableCount);
  Require(matrix.values.Capacity() == matrix.valueCount &&
          matrix.values.Length() == matrix.valueCount);
  Require(matrix.valueCount <= size);  // nothing beyond what the bytes can hold
  for (const auto& label : matrix.objectLabels) Require(!label.empty());
  return 0;
}
