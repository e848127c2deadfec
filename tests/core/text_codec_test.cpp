// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <string>

#include "text/cp1250.h"
#include "text/utf8_check.h"

TEST(Cp1250, EveryByteSurvivesARoundTrip) {
  for (int b = 0; b < 256; ++b) {
    const std::string byte(1, static_cast<char>(b));
    EXPECT_EQ(text::to_cp1250(text::to_utf8(byte)), byte) << "byte " << b;
  }
}

TEST(Cp1250, PolishLettersMapToTheirCodePagePositions) {
  // ą ć ę ł ń ó ś ź ż and their capitals, as the code page places them.
  EXPECT_EQ(text::to_cp1250("ąćęłńóśźż"), "\xB9\xE6\xEA\xB3\xF1\xF3\x9C\x9F\xBF");
  EXPECT_EQ(text::to_cp1250("ĄĆĘŁŃÓŚŹŻ"), "\xA5\xC6\xCA\xA3\xD1\xD3\x8C\x8F\xAF");
  EXPECT_EQ(text::to_utf8("\xB3\xB9\x63\x7A"), "łącz");
}

TEST(Cp1250, UnmappableAndMalformedInputBecomesQuestionMarks) {
  EXPECT_EQ(text::to_cp1250("a€b"), "a\x80" "b");
  EXPECT_EQ(text::to_cp1250("日本"), "??");
  EXPECT_EQ(text::to_cp1250("x\xC3"), "x?");       // cut-off sequence
  EXPECT_EQ(text::to_cp1250("\xFF\xFEz"), "??z");  // bytes that lead nothing
}

TEST(Utf8Check, TellsWellFormedUtf8FromOtherBytes) {
  struct Case {
    const char* name;
    std::string bytes;
    bool utf8;
  };
  const Case cases[] = {
      {"ASCII", "adr 7. Alarm II;0;1", true},
      {"Polish letters", "Brak zdarzeń, Strata łączności", true},
      {"four-byte character", "\xF0\x9F\x98\x80", true},
      {"Windows-1250 letters", text::to_cp1250("Strata łączności"), false},
      {"cut short at the end", "zdarze\xC5", false},
      {"overlong slash", "\xC0\xAF", false},
      {"overlong three bytes", "\xE0\x80\xAF", false},
      {"surrogate", "\xED\xA0\x80", false},
      {"past U+10FFFF", "\xF4\x90\x80\x80", false},
      {"lone continuation byte", "a\x80z", false},
  };
  for (const Case& c : cases) EXPECT_EQ(text::is_utf8(c.bytes), c.utf8) << c.name;
}
