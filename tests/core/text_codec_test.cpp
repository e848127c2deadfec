#include <gtest/gtest.h>

#include <string>

#include "text/cp1250.h"

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
