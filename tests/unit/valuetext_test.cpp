// Value texts: every type in every view it offers, and the cases of each view
// (reals around the form switch, durations, dates and times, characters).
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <map>
#include <set>
#include <string>
#include <utility>

#include "tests/support/var_builder.h"
#include "vars/vars.h"

namespace {

std::uint64_t RealBits(float f) {
  std::uint32_t bits;
  std::memcpy(&bits, &f, 4);
  return bits;
}

struct ViewCase {
  int type;
  std::uint64_t raw;
  int view;
  const char* text;
};

// One value per type, shown in each of the type's views.
const ViewCase kEveryView[] = {
    {S7_TYPE_BIT, 1, VAR_VIEW_BIN, "1"},
    {S7_TYPE_BYTE, 0xA5, VAR_VIEW_BIN, "0b10100101"},
    {S7_TYPE_BYTE, 0xA5, VAR_VIEW_HEX, "0xa5"},
    {S7_TYPE_BYTE, 0xA5, VAR_VIEW_DEC_SIGNED, "-91"},
    {S7_TYPE_BYTE, 0xA5, VAR_VIEW_DEC, "165"},
    {S7_TYPE_BYTE, 0xA5, VAR_VIEW_CHAR, "'\xA5' (#165)"},
    {S7_TYPE_SHORT, 0xFFFFFFFE, VAR_VIEW_BIN, "0b11111110"},
    {S7_TYPE_SHORT, 0xFFFFFFFE, VAR_VIEW_HEX, "0xfe"},
    {S7_TYPE_SHORT, 0xFFFFFFFE, VAR_VIEW_DEC_SIGNED, "-2"},
    {S7_TYPE_SHORT, 0xFFFFFFFE, VAR_VIEW_DEC, "254"},
    {S7_TYPE_SHORT, 0xFFFFFFFE, VAR_VIEW_CHAR, "'\xFE' (#254)"},
    {S7_TYPE_CHAR, 'Z', VAR_VIEW_BIN, "0b01011010"},
    {S7_TYPE_CHAR, 'Z', VAR_VIEW_HEX, "0x5a"},
    {S7_TYPE_CHAR, 'Z', VAR_VIEW_DEC_SIGNED, "90"},
    {S7_TYPE_CHAR, 'Z', VAR_VIEW_DEC, "90"},
    {S7_TYPE_CHAR, 'Z', VAR_VIEW_CHAR, "'Z' (#90)"},
    {S7_TYPE_WORD, 0xBEEF, VAR_VIEW_BIN, "0b10111110 11101111"},
    {S7_TYPE_WORD, 0xBEEF, VAR_VIEW_HEX, "0xbeef"},
    {S7_TYPE_WORD, 0xBEEF, VAR_VIEW_DEC_SIGNED, "-16 657"},
    {S7_TYPE_WORD, 0xBEEF, VAR_VIEW_DEC, "48 879"},
    {S7_TYPE_WORD, 0xBEEF, VAR_VIEW_DATE_TIME, "2123.10.30"},
    {S7_TYPE_INT, 0xFFFFFC18, VAR_VIEW_BIN, "0b11111100 00011000"},
    {S7_TYPE_INT, 0xFFFFFC18, VAR_VIEW_HEX, "0xfc18"},
    {S7_TYPE_INT, 0xFFFFFC18, VAR_VIEW_DEC_SIGNED, "-1 000"},
    {S7_TYPE_INT, 0xFFFFFC18, VAR_VIEW_DEC, "64 536"},
    {S7_TYPE_INT, 0xFFFFFC18, VAR_VIEW_DATE_TIME, "2166.09.11"},
    {S7_TYPE_DATE, 11385, VAR_VIEW_BIN, "0b00101100 01111001"},
    {S7_TYPE_DATE, 11385, VAR_VIEW_HEX, "0x2c79"},
    {S7_TYPE_DATE, 11385, VAR_VIEW_DEC_SIGNED, "11 385"},
    {S7_TYPE_DATE, 11385, VAR_VIEW_DEC, "11 385"},
    {S7_TYPE_DATE, 11385, VAR_VIEW_DATE_TIME, "2021.03.04"},
    {S7_TYPE_DWORD, 0x12345678, VAR_VIEW_BIN, "0b00010010 00110100 01010110 01111000"},
    {S7_TYPE_DWORD, 0x12345678, VAR_VIEW_HEX, "0x1234 5678"},
    {S7_TYPE_DWORD, 0x12345678, VAR_VIEW_DEC_SIGNED, "305 419 896"},
    {S7_TYPE_DWORD, 0x12345678, VAR_VIEW_DEC, "305 419 896"},
    {S7_TYPE_DWORD, 0x12345678, VAR_VIEW_TIME, "3d12h50m19s896ms"},
    {S7_TYPE_DWORD, 0x12345678, VAR_VIEW_DATE_TIME, "00:00:00.000"},
    {S7_TYPE_DINT, 0xFAA1C737, VAR_VIEW_BIN, "0b11111010 10100001 11000111 00110111"},
    {S7_TYPE_DINT, 0xFAA1C737, VAR_VIEW_HEX, "0xfaa1 c737"},
    {S7_TYPE_DINT, 0xFAA1C737, VAR_VIEW_DEC_SIGNED, "-90 061 001"},
    {S7_TYPE_DINT, 0xFAA1C737, VAR_VIEW_DEC, "4 204 906 295"},
    {S7_TYPE_DINT, 0xFAA1C737, VAR_VIEW_TIME, "-1d1h1m1s1ms"},
    {S7_TYPE_DINT, 0xFAA1C737, VAR_VIEW_DATE_TIME, "00:00:00.000"},
    {S7_TYPE_TIME, 1500, VAR_VIEW_BIN, "0b00000000 00000000 00000101 11011100"},
    {S7_TYPE_TIME, 1500, VAR_VIEW_HEX, "0x0000 05dc"},
    {S7_TYPE_TIME, 1500, VAR_VIEW_DEC_SIGNED, "1 500"},
    {S7_TYPE_TIME, 1500, VAR_VIEW_DEC, "1 500"},
    {S7_TYPE_TIME, 1500, VAR_VIEW_TIME, "1s500ms"},
    {S7_TYPE_TIME, 1500, VAR_VIEW_DATE_TIME, "00:00:01.500"},
    {S7_TYPE_TOD, 45296789, VAR_VIEW_BIN, "0b00000010 10110011 00101100 10010101"},
    {S7_TYPE_TOD, 45296789, VAR_VIEW_HEX, "0x02b3 2c95"},
    {S7_TYPE_TOD, 45296789, VAR_VIEW_DEC_SIGNED, "45 296 789"},
    {S7_TYPE_TOD, 45296789, VAR_VIEW_DEC, "45 296 789"},
    {S7_TYPE_TOD, 45296789, VAR_VIEW_TIME, "12h34m56s789ms"},
    {S7_TYPE_TOD, 45296789, VAR_VIEW_DATE_TIME, "12:34:56.789"},
    // S5 durations: milliseconds, at least the digits of the 2-byte wire word.
    {S7_TYPE_S5TIME, 127000, VAR_VIEW_BIN, "0b1 11110000 00011000"},
    {S7_TYPE_S5TIME, 127000, VAR_VIEW_HEX, "0x1 f018"},
    {S7_TYPE_S5TIME, 127000, VAR_VIEW_DEC_SIGNED, "127 000"},
    {S7_TYPE_S5TIME, 127000, VAR_VIEW_DEC, "127 000"},
    {S7_TYPE_S5TIME, 127000, VAR_VIEW_TIME, "2m7s"},
    {S7_TYPE_S5TIME, 127000, VAR_VIEW_DATE_TIME, "2337.09.19"},
    {S7_TYPE_REAL, 0x40200000, VAR_VIEW_BIN, "0b01000000 00100000 00000000 00000000"},
    {S7_TYPE_REAL, 0x40200000, VAR_VIEW_HEX, "0x4020 0000"},
    {S7_TYPE_REAL, 0x40200000, VAR_VIEW_DEC_SIGNED, "1 075 838 976"},
    {S7_TYPE_REAL, 0x40200000, VAR_VIEW_DEC, "1 075 838 976"},
    {S7_TYPE_REAL, 0x40200000, VAR_VIEW_REAL, "2.5"},
    {S7_TYPE_REAL, 0x40200000, VAR_VIEW_DATE_TIME, "00:00:00.000"},
    {S7_TYPE_DATETIME, 0x6345302010150621, VAR_VIEW_HEX, "0x6345 3020 1015 0621"},
    {S7_TYPE_DATETIME, 0x6345302010150621, VAR_VIEW_DATE_TIME, "2021.06.15.10:20:30.456"},
    {S7_TYPE_TIMER, 9990000, VAR_VIEW_BIN, "0b10011000 01101111 01110000"},
    {S7_TYPE_TIMER, 9990000, VAR_VIEW_HEX, "0x98 6f70"},
    {S7_TYPE_TIMER, 9990000, VAR_VIEW_DEC, "9 990 000"},
    {S7_TYPE_TIMER, 9990000, VAR_VIEW_TIME, "2h46m30s"},
    {S7_TYPE_COUNTER, 999, VAR_VIEW_BIN, "0b00000011 11100111"},
    {S7_TYPE_COUNTER, 999, VAR_VIEW_HEX, "0x03e7"},
    {S7_TYPE_COUNTER, 999, VAR_VIEW_DEC, "999"},
    // The newer types; String, WString and DTL have slots of their own
    // (ValueText.NewerTypes).
    {S7_TYPE_USINT, 200, VAR_VIEW_BIN, "0b11001000"},
    {S7_TYPE_USINT, 200, VAR_VIEW_HEX, "0xc8"},
    {S7_TYPE_USINT, 200, VAR_VIEW_DEC_SIGNED, "-56"},
    {S7_TYPE_USINT, 200, VAR_VIEW_DEC, "200"},
    {S7_TYPE_USINT, 65, VAR_VIEW_CHAR, "'A' (#65)"},
    {S7_TYPE_UINT, 65535, VAR_VIEW_BIN, "0b11111111 11111111"},
    {S7_TYPE_UINT, 65535, VAR_VIEW_HEX, "0xffff"},
    {S7_TYPE_UINT, 65535, VAR_VIEW_DEC_SIGNED, "-1"},
    {S7_TYPE_UINT, 65535, VAR_VIEW_DEC, "65 535"},
    {S7_TYPE_UDINT, 0xFFFFFFFF, VAR_VIEW_BIN, "0b11111111 11111111 11111111 11111111"},
    {S7_TYPE_UDINT, 0xFFFFFFFF, VAR_VIEW_HEX, "0xffff ffff"},
    {S7_TYPE_UDINT, 0xFFFFFFFF, VAR_VIEW_DEC_SIGNED, "-1"},
    {S7_TYPE_UDINT, 0xFFFFFFFF, VAR_VIEW_DEC, "4 294 967 295"},
    {S7_TYPE_LINT, 0x8000000000000000, VAR_VIEW_BIN,
     "0b10000000 00000000 00000000 00000000 00000000 00000000 00000000 00000000"},
    {S7_TYPE_LINT, 0x8000000000000000, VAR_VIEW_HEX, "0x8000 0000 0000 0000"},
    {S7_TYPE_LINT, 0x8000000000000000, VAR_VIEW_DEC_SIGNED, "-9 223 372 036 854 775 808"},
    {S7_TYPE_LINT, 0x8000000000000000, VAR_VIEW_DEC, "9 223 372 036 854 775 808"},
    {S7_TYPE_ULINT, 0xFFFFFFFFFFFFFFFF, VAR_VIEW_BIN, "0b11111111 11111111 11111111 11111111 11111111 11111111 11111111 11111111"},
    {S7_TYPE_ULINT, 0xFFFFFFFFFFFFFFFF, VAR_VIEW_HEX, "0xffff ffff ffff ffff"},
    {S7_TYPE_ULINT, 0xFFFFFFFFFFFFFFFF, VAR_VIEW_DEC_SIGNED, "-1"},
    {S7_TYPE_ULINT, 0xFFFFFFFFFFFFFFFF, VAR_VIEW_DEC, "18 446 744 073 709 551 615"},
    {S7_TYPE_LWORD, 0x0123456789ABCDEF, VAR_VIEW_BIN,
     "0b00000001 00100011 01000101 01100111 10001001 10101011 11001101 11101111"},
    {S7_TYPE_LWORD, 0x0123456789ABCDEF, VAR_VIEW_HEX, "0x0123 4567 89ab cdef"},
    {S7_TYPE_LWORD, 0x0123456789ABCDEF, VAR_VIEW_DEC_SIGNED, "81 985 529 216 486 895"},
    {S7_TYPE_LWORD, 0x0123456789ABCDEF, VAR_VIEW_DEC, "81 985 529 216 486 895"},
    {S7_TYPE_LREAL, 0x3FB999999999999A, VAR_VIEW_HEX, "0x3fb9 9999 9999 999a"},
    {S7_TYPE_LREAL, 0x3FB999999999999A, VAR_VIEW_REAL, "0.1"},
    {S7_TYPE_WCHAR, 0x0151, VAR_VIEW_HEX, "0x0151"},
    {S7_TYPE_WCHAR, 0x0151, VAR_VIEW_DEC, "337"},
    {S7_TYPE_WCHAR, 0x0151, VAR_VIEW_CHAR, "'\xF5' (#337)"},
    {S7_TYPE_LTIME, static_cast<std::uint64_t>(-1500000001), VAR_VIEW_HEX, "0xffff ffff a697 d0ff"},
    {S7_TYPE_LTIME, static_cast<std::uint64_t>(-1500000001), VAR_VIEW_DEC_SIGNED, "-1 500 000 001"},
    {S7_TYPE_LTIME, static_cast<std::uint64_t>(-1500000001), VAR_VIEW_TIME, "-1s500.000001ms"},
    {S7_TYPE_LTOD, 45296789000000, VAR_VIEW_HEX, "0x0000 2932 7b04 8f40"},
    {S7_TYPE_LTOD, 45296789000000, VAR_VIEW_DEC, "45 296 789 000 000"},
    {S7_TYPE_LTOD, 45296789000000, VAR_VIEW_DATE_TIME, "12:34:56.789"},
    {S7_TYPE_LDT, 1709208000000000001, VAR_VIEW_HEX, "0x17b8 539e c741 8001"},
    {S7_TYPE_LDT, 1709208000000000001, VAR_VIEW_DEC, "1 709 208 000 000 000 001"},
    {S7_TYPE_LDT, 1709208000000000001, VAR_VIEW_DATE_TIME, "2024.02.29.12:00:00.000000001"},
};

TEST(ValueText, EveryTypeInEveryViewItOffers) {
  std::set<std::pair<int, int>> covered;
  for (const ViewCase& c : kEveryView) {
    TestVar t(c.type, 2);
    t.SetRaw(1, c.raw);
    t.SetView(1, c.view);
    EXPECT_EQ(t.Text(1), c.text) << "type " << c.type << " view " << c.view;
    covered.insert({c.type, c.view});
  }
  for (int type = 0; type < kVarTypeCount; ++type)
    for (int view = 1; view < kVarViewCount; ++view)
      if (Var_AdmitsView(type, view) && !Var_IsTextType(type) && type != S7_TYPE_DTL) {
        EXPECT_TRUE(covered.count({type, view})) << type << "/" << view;
      }
}

TEST(ValueText, DefaultViews) {
  const ViewCase cases[] = {
      {S7_TYPE_BIT, 0, 0, "0"},           {S7_TYPE_BYTE, 0xFF, 0, "0xff"},
      {S7_TYPE_SHORT, 0xFFFFFF80, 0, "-128"}, {S7_TYPE_CHAR, 'A', 0, "'A' (#65)"},
      {S7_TYPE_WORD, 0x1234, 0, "0x1234"},    {S7_TYPE_INT, 0xFFFFFB2E, 0, "-1 234"},
      {S7_TYPE_DWORD, 0xCAFE, 0, "0x0000 cafe"}, {S7_TYPE_DINT, 1000000, 0, "1 000 000"},
      {S7_TYPE_TIME, 90061001, 0, "1d1h1m1s1ms"}, {S7_TYPE_TOD, 0, 0, "00:00:00.000"},
      {S7_TYPE_S5TIME, 10, 0, "10ms"},        {S7_TYPE_REAL, RealBits(-0.1f), 0, "-0.1"},
      {S7_TYPE_DATETIME, 0x0200000000010190, 0, "1990.01.01.00:00:00.000"},
      {S7_TYPE_DATE, 0, 0, "1990.01.01"},     {S7_TYPE_TIMER, 0, 0, "0ms"},
      {S7_TYPE_COUNTER, 42, 0, "42"},
  };
  for (const ViewCase& c : cases) {
    TestVar t(c.type, 1);
    t.SetRaw(0, c.raw);
    EXPECT_EQ(t.Text(0), c.text) << "type " << c.type;
  }
}

TEST(ValueText, Examples) {
  const ViewCase cases[] = {
      {S7_TYPE_WORD, 0x1234, VAR_VIEW_BIN, "0b00010010 00110100"},
      {S7_TYPE_BYTE, 10, VAR_VIEW_HEX, "0x0a"},
      {S7_TYPE_WORD, 65535, VAR_VIEW_DEC, "65 535"},
      {S7_TYPE_BYTE, 0xFF, VAR_VIEW_BIN, "0b11111111"},
      {S7_TYPE_BYTE, 0xFF, VAR_VIEW_DEC, "255"},
      {S7_TYPE_BYTE, 0xFF, VAR_VIEW_DEC_SIGNED, "-1"},
      {S7_TYPE_DINT, 1000000, VAR_VIEW_TIME, "16m40s"},
      {S7_TYPE_DATE, 11384, VAR_VIEW_DATE_TIME, "2021.03.03"},
      {S7_TYPE_DATE, 65535, VAR_VIEW_DATE_TIME, "2169.06.06"},
      {S7_TYPE_TOD, 86400000, VAR_VIEW_DATE_TIME, "00:00:00.000"},
      {S7_TYPE_TOD, 0xFFFFFFFF, VAR_VIEW_DATE_TIME, "00:00:00.000"},
      {S7_TYPE_CHAR, 0x0D, VAR_VIEW_CHAR, "#13"},
      {S7_TYPE_CHAR, 0x1F, VAR_VIEW_CHAR, "#31"},
      {S7_TYPE_CHAR, 0x20, VAR_VIEW_CHAR, "' ' (#32)"},
      {S7_TYPE_CHAR, 0x00, VAR_VIEW_CHAR, "#0"},
      // Bit shows a plain 0 or 1 in every integer view.
      {S7_TYPE_BIT, 1, VAR_VIEW_HEX, "1"},
      {S7_TYPE_BIT, 1, VAR_VIEW_DEC, "1"},
      {S7_TYPE_BIT, 0, VAR_VIEW_DEC_SIGNED, "0"},
      // Date&Time fields with bad digits are shown as decoded.
      {S7_TYPE_DATETIME, 0x630A302010150621, VAR_VIEW_DATE_TIME, "2021.06.15.10:20:30.006"},
  };
  for (const ViewCase& c : cases) {
    TestVar t(c.type, 1);
    t.SetRaw(0, c.raw);
    t.SetView(0, c.view);
    EXPECT_EQ(t.Text(0), c.text) << "type " << c.type << " view " << c.view;
  }
}

TEST(ValueText, Reals) {
  const float inf = std::numeric_limits<float>::infinity();
  const std::pair<float, const char*> cases[] = {
      {1.0e7f, "1.000 000e+07"},       {9999999.0f, "9 999 999.0"},   {12345678.0f, "1.234 568e+07"},
      {0.0000001234f, "1.234 000e-07"}, {3.14159274f, "3.141 593"},   {2.5f, "2.5"},
      {100.0f, "100.0"},                {0.0f, "0.0"},                {12345.678f, "12 345.678"},
      {1234567.0f, "1 234 567.0"},      {-0.1f, "-0.1"},              {1e-6f, "1.000 000e-06"},
      {2e-6f, "0.000 002"},             {-1e7f, "-1.000 000e+07"},   {0.5f, "0.5"},
      {999999.94f, "999 999.9"},        {3.4028235e38f, "3.402 823e+38"}, {1.4e-45f, "1.401 298e-45"},
      {inf, "+oo"},                     {-inf, "-oo"},
      {std::numeric_limits<float>::quiet_NaN(), "???"},
  };
  for (const auto& [value, text] : cases) {
    TestVar t(S7_TYPE_REAL, 1);
    t.SetRaw(0, RealBits(value));
    EXPECT_EQ(t.Text(0), text) << value;
  }
}

TEST(ValueText, Durations) {
  const std::pair<std::int32_t, const char*> cases[] = {
      {90061001, "1d1h1m1s1ms"}, {3600000, "1h"},     {0, "0ms"},   {1500, "1s500ms"},
      {-5000, "-5s"},            {-90000000, "-1d1h"}, {1, "1ms"},   {-1, "-1ms"},
      {INT32_MIN, "-24d20h31m23s648ms"}, {INT32_MAX, "24d20h31m23s647ms"}, {86400000, "1d"},
  };
  for (const auto& [ms, text] : cases) {
    TestVar t(S7_TYPE_TIME, 1);
    t.SetRaw(0, static_cast<std::uint32_t>(ms));
    EXPECT_EQ(t.Text(0), text) << ms;
  }
}

TEST(ValueText, BareCharacterAndTrailingBlank) {
  TestVar t(S7_TYPE_CHAR, 2);
  t.SetRaw(0, 'A');
  t.SetRaw(1, 0x0D);
  EXPECT_EQ(t.Text(0, 1), "A");
  EXPECT_EQ(t.Text(1, 1), "#13");
  EXPECT_EQ(t.Text(0, 0, 1), "'A' (#65) ");
  EXPECT_EQ(t.Text(0, 1, 1), "A ");
  TestVar b(S7_TYPE_BYTE, 1);
  b.SetRaw(0, 10);
  EXPECT_EQ(b.Text(0, 1, 1), "0x0a ") << "the bare flag is the Char view's only";
}

TEST(ValueText, NoElementGivesAnEmptyText) {
  TestVar t(S7_TYPE_WORD, 1);
  char out[kVarValueTextMax];
  std::memset(out, 'x', sizeof out);
  EXPECT_EQ(Var_FormatValue({.trailingBlank = true}, 1, t.get(), out), 0);
  EXPECT_STREQ(out, "");
}

// The longest texts any slot content gives in any view fit the buffer.
TEST(ValueText, LongestTextsFit) {
  for (int type = 0; type < kVarTypeCount; ++type) {
    for (int view = 0; view < kVarViewCount; ++view) {
      for (std::uint64_t raw : {0ull, ~0ull, 0x8000000000000000ull, 0x7FFFFFFF7FFFFFFFull, 0x80000000ull}) {
        TestVar t(type, 1);
        t.SetRaw(0, raw);
        t.SetView(0, view);
        char out[kVarValueTextMax + 16];
        std::memset(out, '#', sizeof out);
        const int n = Var_FormatValue({.trailingBlank = true}, 0, t.get(), out);
        ASSERT_LT(n, kVarValueTextMax);
        ASSERT_EQ(out[n], 0);
        ASSERT_EQ(out[kVarValueTextMax], '#');
      }
    }
  }
}

}  // namespace
