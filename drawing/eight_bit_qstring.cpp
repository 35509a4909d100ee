// Decoding of the core's 8-bit text for display.
#include "drawing/eight_bit_qstring.h"

#include "base/eight_bit_text.h"

namespace talvex::drawing {

QString FromEightBit(std::string_view bytes) {
  const std::string utf8 = talvex::Utf8FromEightBit(bytes);
  return QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
}

}  // namespace talvex::drawing
