// The one decoding of 8-bit text: valid UTF-8 kept, anything else read as
// Windows-1252 with U+FFFD for its five unassigned bytes.
#include "base/eight_bit_text.h"

#include <gtest/gtest.h>

namespace talvex {
namespace {

TEST(EightBitText, Utf8IsKeptAnythingElseIsWindows1252) {
  const struct {
    const char* bytes;
    const char* utf8;
  } cases[] = {
      {"", ""},
      {"plain ASCII", "plain ASCII"},
      {"Z\xC3\xBCrich \xE2\x82\xAC \xF0\x9F\x98\x80",
       "Z\xC3\xBCrich \xE2\x82\xAC \xF0\x9F\x98\x80"},
      {"\xE9t\xE9", "\xC3\xA9t\xC3\xA9"},
      // Whole-text decision: one stray byte makes every byte 8-bit.
      {"\xC3\xBC \xFC", "\xC3\x83\xC2\xBC \xC3\xBC"},
      // Not UTF-8: overlong, surrogate, beyond U+10FFFF, truncated, stray
      // continuation byte.
      {"\xC0\x80", "\xC3\x80\xE2\x82\xAC"},
      {"\xED\xA0\x80", "\xC3\xAD\xC2\xA0\xE2\x82\xAC"},
      {"\xF4\x90\x80\x80", "\xC3\xB4\xEF\xBF\xBD\xE2\x82\xAC\xE2\x82\xAC"},
      {"a\xE2\x82", "a\xC3\xA2\xE2\x80\x9A"},
      {"\x9F", "\xC5\xB8"},
      // The bytes Windows-1252 leaves unassigned.
      {"\x81\x8D\x8F\x90\x9D", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},
      {"\xA0\xFF", "\xC2\xA0\xC3\xBF"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Utf8FromEightBit(c.bytes), c.utf8) << c.bytes;
    EXPECT_EQ(IsUtf8(c.bytes), std::string(c.bytes) == c.utf8) << c.bytes;
  }
}

TEST(EightBitText, EveryHighByteIsOnePrintableCharacter) {
  // Above 0x9F Windows-1252 equals Unicode; below it nothing may be a C1
  // control, the fault of a Latin-1 reading.
  for (int b = 0x80; b <= 0xFF; ++b) {
    const std::string utf8 = Utf8FromEightBit(std::string(1, char(b)));
    ASSERT_TRUE(IsUtf8(utf8));
    ASSERT_GE(utf8.size(), 2u) << b;
    const char32_t code =
        utf8.size() == 2
            ? char32_t((utf8[0] & 0x1F) << 6 | (utf8[1] & 0x3F))
            : char32_t((utf8[0] & 0x0F) << 12 | (utf8[1] & 0x3F) << 6 | (utf8[2] & 0x3F));
    if (b >= 0xA0) {
      EXPECT_EQ(code, char32_t(b));
    } else {
      EXPECT_GT(code, 0x9Fu) << b;
    }
  }
}

}  // namespace
}  // namespace talvex
