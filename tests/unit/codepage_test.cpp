// Code page 1250 to and from UTF-8: the Hungarian letters the program's
// texts are full of, and what happens to characters the code page lacks.
#include <gtest/gtest.h>

#include "res/codepage.h"

namespace {

TEST(CodePage, HungarianLettersBothWays) {
  struct Case {
    const char* cp1250;
    const char* utf8;
  } cases[] = {
      {"\xE1\xE9\xED\xF3\xF6\xF5\xFA\xFC\xFB", "áéíóöőúüű"},
      {"\xC1\xC9\xCD\xD3\xD6\xD5\xDA\xDC\xDB", "ÁÉÍÓÖŐÚÜŰ"},
      {"Kieg\xE9sz\xEDt\xF5 hibak\xF3" "d", "Kiegészítő hibakód"},
      {"\x80 \x8A \x9E", "€ Š ž"},
      {"plain ASCII\r\n", "plain ASCII\r\n"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Utf8FromCp1250(c.cp1250), c.utf8);
    EXPECT_EQ(Cp1250FromUtf8(c.utf8), c.cp1250);
  }
}

TEST(CodePage, EveryByteSurvivesARoundTrip) {
  for (int b = 1; b < 256; ++b) {
    const std::string one(1, static_cast<char>(b));
    EXPECT_EQ(Cp1250FromUtf8(Utf8FromCp1250(one)), one) << b;
  }
}

TEST(CodePage, WhatTheCodePageCannotHold) {
  EXPECT_EQ(Cp1250FromUtf8("日本"), "??");
  EXPECT_EQ(Cp1250FromUtf8("a\xFF" "b"), "a\xFF" "b") << "bytes that are not UTF-8 pass as they are";
  EXPECT_EQ(Cp1250FromUtf8("\xC3"), "\xC3") << "a cut sequence";
}

TEST(CodePage, ExactConversionsRefuseWhatTheyCannotHold) {
  std::string out = "untouched";
  EXPECT_FALSE(Cp1250FromUtf8Exact("press-日.vat", &out));
  EXPECT_EQ(out, "untouched");
  ASSERT_TRUE(Cp1250FromUtf8Exact("prés-ő.vat", &out));
  EXPECT_EQ(out, "pr\xE9s-\xF5.vat");

  const std::u16string wide = Utf16FromCp1250("T\xE1" "bla \xF5\xFB\xC1 \x80");
  EXPECT_EQ(wide, u"Tábla őűÁ €");
  ASSERT_TRUE(Cp1250FromUtf16(wide.data(), wide.size(), &out));
  EXPECT_EQ(out, "T\xE1" "bla \xF5\xFB\xC1 \x80");
  struct Refused {
    std::u16string text;
    const char* why;
  } refused[] = {
      {u"日本", "not in the code page"},
      {u"a\xD83D\xDE00", "a surrogate pair (beyond the basic plane)"},
      {u"a\xDC00", "a lone surrogate"},
  };
  for (const Refused& r : refused) {
    out = "untouched";
    EXPECT_FALSE(Cp1250FromUtf16(r.text.data(), r.text.size(), &out)) << r.why;
    EXPECT_EQ(out, "untouched") << r.why;
  }
}

}  // namespace
