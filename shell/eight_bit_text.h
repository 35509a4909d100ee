// Turning the core's 8-bit text (listing lines, labels) into QString: data
// files written on Linux are usually UTF-8, older ones a Windows code page,
// so valid UTF-8 is read as such and anything else byte for byte (Latin-1).
#pragma once

#include <QString>
#include <string_view>

QString FromEightBit(std::string_view bytes);
