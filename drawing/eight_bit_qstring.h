// Turning the core's 8-bit text (listing lines, labels) into QString with the
// core's one decoding (Utf8FromEightBit), so a label reads the same on screen
// as in an exported workbook.
#pragma once

#include <QString>
#include <string_view>

namespace talvex::drawing {

QString FromEightBit(std::string_view bytes);

}  // namespace talvex::drawing
