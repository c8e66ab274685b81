// Reading typed values: the notation and range of each display mode, the
// refusals and their words, the spinner, and every value text read back into
// the value it shows.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstring>
#include <string>

#include "tests/support/var_builder.h"
#include "vars/vars.h"

namespace {

std::uint64_t RealBits(float f) {
  std::uint32_t bits;
  std::memcpy(&bits, &f, 4);
  return bits;
}

struct ReadCase {
  int type;
  int view;
  const char* text;
  int code;
  std::int64_t value;  // when the code is VAR_VALUE_OK
};

// VAR_VALUE_… codes, shorter.
enum {
  OK = VAR_VALUE_OK, EMPTY = VAR_VALUE_EMPTY, LONG = VAR_VALUE_TOO_LONG, PREFIX = VAR_VALUE_PREFIX,
  NUMBER = VAR_VALUE_NUMBER, BELOW = VAR_VALUE_BELOW, ABOVE = VAR_VALUE_ABOVE, CHAR = VAR_VALUE_CHAR,
  REAL = VAR_VALUE_REAL, REAL_RANGE = VAR_VALUE_REAL_RANGE, T_NUMBER = VAR_VALUE_TIME_NUMBER,
  T_UNIT = VAR_VALUE_TIME_UNIT, T_ORDER = VAR_VALUE_TIME_ORDER, T_SIGN = VAR_VALUE_TIME_SIGN,
  DATE = VAR_VALUE_DATE, TOD = VAR_VALUE_TIME_OF_DAY,
};
enum { BIN = 1, HEX, SDEC, DEC, CHR, RL, TIME, DT };

const ReadCase kCases[] = {
    // Bin: the 0b prefix and binary digits in groups of any size; Bit without prefix.
    {S7_TYPE_WORD, BIN, "0b0001 0010", OK, 0x12},
    {S7_TYPE_WORD, BIN, "0B11111111 11111111", OK, 65535},
    {S7_TYPE_WORD, BIN, "0b1 00000000 00000000", ABOVE, 0},
    {S7_TYPE_WORD, BIN, "101", PREFIX, 0},
    {S7_TYPE_WORD, BIN, "0b", NUMBER, 0},
    {S7_TYPE_WORD, BIN, "0b 1", NUMBER, 0},
    {S7_TYPE_WORD, BIN, "0b+1", NUMBER, 0},
    {S7_TYPE_WORD, BIN, "0b12", NUMBER, 0},
    {S7_TYPE_BYTE, BIN, "0b100000000", ABOVE, 0},
    {S7_TYPE_BIT, BIN, "1", OK, 1},
    {S7_TYPE_BIT, BIN, "0", OK, 0},
    {S7_TYPE_BIT, BIN, "10", ABOVE, 0},
    {S7_TYPE_BIT, BIN, "0b1", NUMBER, 0},
    {S7_TYPE_BIT, BIN, "2", NUMBER, 0},
    // Hex: the 0x prefix.
    {S7_TYPE_WORD, HEX, "0x1F", OK, 31},
    {S7_TYPE_WORD, HEX, "  0X1f\t", OK, 31},
    {S7_TYPE_WORD, HEX, "1f", PREFIX, 0},
    {S7_TYPE_WORD, HEX, "0x10000", ABOVE, 0},
    {S7_TYPE_WORD, HEX, "0x", NUMBER, 0},
    {S7_TYPE_WORD, HEX, "0x1g", NUMBER, 0},
    {S7_TYPE_DWORD, HEX, "0xffff ffff", OK, 0xFFFFFFFF},
    {S7_TYPE_DWORD, HEX, "0x1 0000 0000", ABOVE, 0},
    {S7_TYPE_DATETIME, HEX, "0xffff ffff ffff ffff", OK, -1},
    {S7_TYPE_DATETIME, HEX, "0x1 0000 0000 0000 0000", NUMBER, 0},
    {S7_TYPE_CHAR, HEX, "0xff", OK, 255},
    {S7_TYPE_CHAR, HEX, "0x100", ABOVE, 0},
    // Dec+/-: a sign and decimal digits, groups of any size.
    {S7_TYPE_INT, SDEC, "-32768", OK, -32768},
    {S7_TYPE_INT, SDEC, "-32769", BELOW, 0},
    {S7_TYPE_INT, SDEC, "32 767", OK, 32767},
    {S7_TYPE_INT, SDEC, "+32768", ABOVE, 0},
    {S7_TYPE_INT, SDEC, "- 5", NUMBER, 0},
    {S7_TYPE_INT, SDEC, "5-", NUMBER, 0},
    {S7_TYPE_INT, SDEC, "0x10", NUMBER, 0},
    {S7_TYPE_DINT, SDEC, "-5", OK, -5},
    {S7_TYPE_DINT, SDEC, "-2147483649", BELOW, 0},
    {S7_TYPE_DINT, SDEC, "9223372036854775808", ABOVE, 0},
    {S7_TYPE_SHORT, SDEC, "-128", OK, -128},
    {S7_TYPE_SHORT, SDEC, "128", ABOVE, 0},
    {S7_TYPE_BIT, SDEC, "-1", BELOW, 0},
    {S7_TYPE_BIT, SDEC, "1", OK, 1},
    // S5 durations and counters hold only what their wire words carry.
    {S7_TYPE_COUNTER, SDEC, "999", OK, 999},
    {S7_TYPE_COUNTER, SDEC, "-1", BELOW, 0},
    {S7_TYPE_COUNTER, SDEC, "1000", ABOVE, 0},
    {S7_TYPE_S5TIME, SDEC, "-10", BELOW, 0},
    {S7_TYPE_S5TIME, SDEC, "9990000", OK, 9990000},
    // Dec: no sign.
    {S7_TYPE_DWORD, DEC, "4294967295", OK, 4294967295},
    {S7_TYPE_DWORD, DEC, "4 294 967 296", ABOVE, 0},
    {S7_TYPE_DWORD, DEC, "18446744073709551615", ABOVE, 0},
    {S7_TYPE_DWORD, DEC, "18446744073709551616", NUMBER, 0},
    {S7_TYPE_WORD, DEC, "1 000", OK, 1000},
    {S7_TYPE_WORD, DEC, "1000 0", OK, 10000},
    {S7_TYPE_WORD, DEC, "-1", NUMBER, 0},
    {S7_TYPE_WORD, DEC, "1 ", OK, 1},
    {S7_TYPE_WORD, DEC, "1  0", NUMBER, 0},
    {S7_TYPE_S5TIME, DEC, "9990000", OK, 9990000},
    {S7_TYPE_S5TIME, DEC, "9990001", ABOVE, 0},
    {S7_TYPE_TIMER, DEC, "9990001", ABOVE, 0},
    {S7_TYPE_COUNTER, DEC, "1000", ABOVE, 0},
    {S7_TYPE_BYTE, DEC, "255", OK, 255},
    {S7_TYPE_BYTE, DEC, "256", ABOVE, 0},
    // Char: one character as it is, or # and its code.
    {S7_TYPE_CHAR, CHR, "A", OK, 65},
    {S7_TYPE_CHAR, CHR, "#65", OK, 65},
    {S7_TYPE_CHAR, CHR, "AB", CHAR, 0},
    {S7_TYPE_CHAR, CHR, " ", OK, 32},
    {S7_TYPE_CHAR, CHR, " A", CHAR, 0},
    {S7_TYPE_CHAR, CHR, "#", OK, 35},
    {S7_TYPE_CHAR, CHR, "\xE9", OK, 0xE9},
    {S7_TYPE_CHAR, CHR, "#0", OK, 0},
    {S7_TYPE_CHAR, CHR, "#255", OK, 255},
    {S7_TYPE_CHAR, CHR, "#256", ABOVE, 0},
    {S7_TYPE_CHAR, CHR, "#-1", CHAR, 0},
    {S7_TYPE_CHAR, CHR, "#6a", CHAR, 0},
    {S7_TYPE_CHAR, CHR, "", EMPTY, 0},
    {S7_TYPE_BYTE, CHR, "z", OK, 'z'},
    // Real: a decimal number; the slot takes its single-precision bits.
    {S7_TYPE_REAL, RL, "3.25", OK, static_cast<std::int64_t>(RealBits(3.25f))},
    {S7_TYPE_REAL, RL, "-1 234.5", OK, static_cast<std::int64_t>(RealBits(-1234.5f))},
    {S7_TYPE_REAL, RL, "1.5E+3", OK, static_cast<std::int64_t>(RealBits(1500.0f))},
    {S7_TYPE_REAL, RL, ".5", OK, static_cast<std::int64_t>(RealBits(0.5f))},
    {S7_TYPE_REAL, RL, "0.1", OK, static_cast<std::int64_t>(RealBits(0.1f))},
    {S7_TYPE_REAL, RL, "3.402823e+38", OK, static_cast<std::int64_t>(RealBits(3.402823e38f))},
    {S7_TYPE_REAL, RL, "1e-400", OK, 0},
    {S7_TYPE_REAL, RL, "1,5", REAL, 0},
    {S7_TYPE_REAL, RL, "1.5E3", REAL, 0},
    {S7_TYPE_REAL, RL, ".", REAL, 0},
    {S7_TYPE_REAL, RL, "1.5.", REAL, 0},
    {S7_TYPE_REAL, RL, "3.5e+38", REAL_RANGE, 0},
    {S7_TYPE_REAL, RL, "-1e+39", REAL_RANGE, 0},
    {S7_TYPE_REAL, RL, "1e+400", REAL_RANGE, 0},
    // The largest REAL as it is usually written, and what still rounds to
    // it: only what rounds past it (to infinity) is refused.
    {S7_TYPE_REAL, RL, "3.4028235e+38", OK, static_cast<std::int64_t>(RealBits(FLT_MAX))},
    {S7_TYPE_REAL, RL, "3.40282356e+38", OK, static_cast<std::int64_t>(RealBits(FLT_MAX))},
    {S7_TYPE_REAL, RL, "3.4028236e+38", REAL_RANGE, 0},
    {S7_TYPE_REAL, RL, "-3.4028235e+38", OK, static_cast<std::int64_t>(RealBits(-FLT_MAX))},
    {S7_TYPE_REAL, RL, "-3.40282356e+38", OK, static_cast<std::int64_t>(RealBits(-FLT_MAX))},
    {S7_TYPE_REAL, RL, "-3.4028236e+38", REAL_RANGE, 0},
    // Just below the midpoint between the largest REAL and infinity: through
    // a double it would land on the midpoint and round up to infinity.
    {S7_TYPE_REAL, RL, "340 282 356 779 733 661 637 539 395 458 142 568 447", OK,
     static_cast<std::int64_t>(RealBits(FLT_MAX))},
    {S7_TYPE_REAL, RL, "340 282 356 779 733 661 637 539 395 458 142 568 448", REAL_RANGE, 0},
    {S7_TYPE_REAL, RL, "340282360000000000000000000000000000000", REAL_RANGE, 0},
    // Time: numbers with units d h m s ms in that order.
    {S7_TYPE_TIMER, TIME, "1m30s", OK, 90000},
    {S7_TYPE_TIMER, TIME, "1M30S", OK, 90000},
    {S7_TYPE_TIMER, TIME, "30s1m", T_ORDER, 0},
    {S7_TYPE_TIMER, TIME, "2h47m", ABOVE, 0},
    {S7_TYPE_TIMER, TIME, "2h46m30s", OK, 9990000},
    {S7_TYPE_TIMER, TIME, "-1s", BELOW, 0},
    {S7_TYPE_S5TIME, TIME, "10ms", OK, 10},
    {S7_TYPE_TIME, TIME, "-1s", OK, -1000},
    {S7_TYPE_TIME, TIME, "1d1h1m1s1ms", OK, 90061001},
    {S7_TYPE_TIME, TIME, "-1m30s", OK, -90000},
    {S7_TYPE_TIME, TIME, "-1d1h", OK, -90000000},
    {S7_TYPE_TIME, TIME, "1h 30m", OK, 5400000},
    {S7_TYPE_TIME, TIME, "90m", OK, 5400000},
    {S7_TYPE_TIME, TIME, "0ms", OK, 0},
    {S7_TYPE_TIME, TIME, "-24d20h31m23s648ms", OK, INT32_MIN},
    {S7_TYPE_TIME, TIME, "-24d20h31m23s649ms", BELOW, 0},
    {S7_TYPE_TIME, TIME, "25d", ABOVE, 0},
    {S7_TYPE_DINT, TIME, "24d20h31m23s647ms", OK, INT32_MAX},
    {S7_TYPE_TIME, TIME, "5", T_UNIT, 0},
    {S7_TYPE_TIME, TIME, "1x", T_UNIT, 0},
    {S7_TYPE_TIME, TIME, "1 h", T_UNIT, 0},
    {S7_TYPE_TIME, TIME, "1h1h", T_ORDER, 0},
    {S7_TYPE_TIME, TIME, "1ms5s", T_ORDER, 0},
    {S7_TYPE_TIME, TIME, "1ms1ms", T_ORDER, 0},
    {S7_TYPE_TIME, TIME, "1h-5m", T_SIGN, 0},
    {S7_TYPE_TIME, TIME, "1h+5m", T_SIGN, 0},
    {S7_TYPE_TIME, TIME, "h", T_NUMBER, 0},
    {S7_TYPE_TIME, TIME, "1hx", T_NUMBER, 0},
    {S7_TYPE_TIME, TIME, "4294967296s", NUMBER, 0},
    {S7_TYPE_TIME, TIME, "4294967295d4294967295h", ABOVE, 0},
    // Date/Time: a date for 2-byte elements, a time of day for 4-byte ones, both for Date&Time.
    {S7_TYPE_DATE, DT, "2021.03.04", OK, 11385},
    {S7_TYPE_DATE, DT, "2021.3.4", OK, 11385},
    {S7_TYPE_DATE, DT, "1990.01.01", OK, 0},
    {S7_TYPE_DATE, DT, "1989.12.31", BELOW, 0},
    {S7_TYPE_DATE, DT, "2168.12.31", OK, 65378},
    {S7_TYPE_DATE, DT, "2169.01.01", ABOVE, 0},
    {S7_TYPE_DATE, DT, "2024.02.29", OK, 12477},
    {S7_TYPE_DATE, DT, "2023.02.29", DATE, 0},
    {S7_TYPE_DATE, DT, "2021.13.01", DATE, 0},
    {S7_TYPE_DATE, DT, "2021.00.01", DATE, 0},
    {S7_TYPE_DATE, DT, "2021-03-04", DATE, 0},
    {S7_TYPE_DATE, DT, "2021.03.04.", DATE, 0},
    {S7_TYPE_DATE, DT, "21.03.04", BELOW, 0},
    {S7_TYPE_DATE, DT, "02021.03.04", DATE, 0},
    {S7_TYPE_DATE, DT, "2021.003.04", DATE, 0},
    {S7_TYPE_WORD, DT, "2021.03.04", OK, 11385},
    {S7_TYPE_TOD, DT, "12:34:56.789", OK, 45296789},
    {S7_TYPE_TOD, DT, "12:34:56", OK, 45296000},
    {S7_TYPE_TOD, DT, "12:34:56.5", OK, 45296500},
    {S7_TYPE_TOD, DT, "0:0:0", OK, 0},
    {S7_TYPE_TOD, DT, "23:59:59.999", OK, 86399999},
    {S7_TYPE_TOD, DT, "24:00:00", TOD, 0},
    {S7_TYPE_TOD, DT, "12:60:00", TOD, 0},
    {S7_TYPE_TOD, DT, "12:34", TOD, 0},
    {S7_TYPE_TOD, DT, "12:34:56.1234", TOD, 0},
    {S7_TYPE_TOD, DT, "12:34:56.", TOD, 0},
    {S7_TYPE_TOD, DT, "2021.03.04", TOD, 0},
    {S7_TYPE_DATETIME, DT, "2021.06.15.10:20:30.456",
     OK, static_cast<std::int64_t>(DateTimeBits({0x21, 0x06, 0x15, 0x10, 0x20, 0x30, 0x45, 0x63}))},
    {S7_TYPE_DATETIME, DT, "1990.01.01.00:00:00",
     OK, static_cast<std::int64_t>(DateTimeBits({0x90, 0x01, 0x01, 0, 0, 0, 0, 0x02}))},
    {S7_TYPE_DATETIME, DT, "2089.12.31.23:59:59.999",
     OK, static_cast<std::int64_t>(DateTimeBits({0x89, 0x12, 0x31, 0x23, 0x59, 0x59, 0x99, 0x97}))},
    {S7_TYPE_DATETIME, DT, "1989.12.31.23:59:59", BELOW, 0},
    {S7_TYPE_DATETIME, DT, "2090.01.01.00:00:00", ABOVE, 0},
    {S7_TYPE_DATETIME, DT, "2021.06.15", DATE, 0},
    {S7_TYPE_DATETIME, DT, "2021.06.15 10:20:30", DATE, 0},
    {S7_TYPE_DATETIME, DT, "2021.06.15.10:20", TOD, 0},
    // Every mode: empty and overlong texts.
    {S7_TYPE_INT, SDEC, "", EMPTY, 0},
    {S7_TYPE_INT, SDEC, " \t ", EMPTY, 0},
    {S7_TYPE_TIME, TIME, "  ", EMPTY, 0},
};

TEST(ValueRead, ModesAndRanges) {
  for (const ReadCase& c : kCases) {
    TestVar t(c.type, 1);
    t.SetView(0, c.view);
    ASSERT_EQ(Var_EffectiveView(0, t.get()), c.view) << "the case must use a view the type offers";
    std::int64_t value = 12345;
    const int code = Var_ReadValue(0, t.get(), c.text, &value, nullptr);
    EXPECT_EQ(code, c.code) << "type " << c.type << " view " << c.view << " \"" << c.text << "\"";
    if (c.code == OK) {
      EXPECT_EQ(value, c.value) << "type " << c.type << " view " << c.view << " \"" << c.text << "\"";
    } else {
      EXPECT_EQ(value, 12345) << "a refused text leaves the value alone: " << c.text;
    }
  }
}

TEST(ValueRead, TooLongAndNoElement) {
  TestVar t(S7_TYPE_WORD, 1);
  std::string text(255, ' ');
  text.replace(100, 3, "0x7");
  std::int64_t value = 0;
  EXPECT_EQ(Var_ReadValue(0, t.get(), text.c_str(), &value, nullptr), VAR_VALUE_OK);
  text += ' ';
  EXPECT_EQ(Var_ReadValue(0, t.get(), text.c_str(), &value, nullptr), VAR_VALUE_TOO_LONG);
  EXPECT_EQ(Var_ReadValue(1, t.get(), "0x1", &value, nullptr), VAR_VALUE_NO_ELEMENT);
  EXPECT_EQ(Var_ReadValue(0, nullptr, "0x1", &value, nullptr), VAR_VALUE_NO_ELEMENT);
  EXPECT_EQ(Var_ReadValue(0, t.get(), nullptr, &value, nullptr), VAR_VALUE_EMPTY);
}

TEST(ValueRead, DateTimeFillsTheCalendar) {
  TestVar dt(S7_TYPE_DATETIME, 1), date(S7_TYPE_DATE, 1), tod(S7_TYPE_TOD, 1);
  CalendarRecord c{};
  std::int64_t value = 0;
  ASSERT_EQ(Var_ReadValue(0, dt.get(), "2021.06.15.10:20:30.456", &value, &c), VAR_VALUE_OK);
  const CalendarRecord expected = {2021, 6, 2, 15, 10, 20, 30, 456};
  EXPECT_EQ(std::memcmp(&c, &expected, sizeof c), 0);
  ASSERT_EQ(Var_ReadValue(0, date.get(), "2000.03.01", &value, &c), VAR_VALUE_OK);
  EXPECT_EQ(c.weekday, 3);
  EXPECT_EQ(c.hour + c.minute + c.second + c.milliseconds, 0);
  ASSERT_EQ(Var_ReadValue(0, tod.get(), "01:02:03.004", &value, &c), VAR_VALUE_OK);
  EXPECT_EQ(c.hour * 10000 + c.minute * 100 + c.second, 10203);
  EXPECT_EQ(c.milliseconds, 4);
  EXPECT_EQ(S7_CheckDateTime(&c), 1) << "a whole record, not only a time";
}

TEST(ValueRead, EnterStoresValidValuesOnly) {
  TestVar t(S7_TYPE_INT, 2);
  EXPECT_EQ(Var_EnterValue(0, t.get(), "-2"), VAR_VALUE_OK);
  EXPECT_EQ(t.Raw(0), 0xFFFEu);
  EXPECT_EQ(Var_EnterValue(0, t.get(), "-32769"), VAR_VALUE_BELOW);
  EXPECT_EQ(t.Raw(0), 0xFFFEu) << "the last valid value stays";
  TestVar dt(S7_TYPE_DATETIME, 1);
  ASSERT_EQ(Var_EnterValue(0, dt.get(), "2021.06.15.10:20:30.456"), VAR_VALUE_OK);
  EXPECT_EQ(dt.Raw(0), DateTimeBits({0x21, 0x06, 0x15, 0x10, 0x20, 0x30, 0x45, 0x63}));
  TestVar real(S7_TYPE_REAL, 1);
  ASSERT_EQ(Var_EnterValue(0, real.get(), "-2.5"), VAR_VALUE_OK);
  EXPECT_EQ(real.Raw(0), RealBits(-2.5f));
  TestVar timer(S7_TYPE_TIMER, 1);
  ASSERT_EQ(Var_EnterValue(0, timer.get(), "2h46m30s"), VAR_VALUE_OK);
  EXPECT_EQ(timer.Raw(0), 9990000u);
}

// Any value an element can show reads back from its text into the same slot
// bytes, in every view the type offers (Real in the Real view excepted: its
// text keeps eight digits, a single may need nine).
TEST(ValueRead, EveryValueTextReadsBack) {
  std::uint64_t seed = 0x9E3779B97F4A7C15ull;
  auto next = [&] {
    seed ^= seed << 13;
    seed ^= seed >> 7;
    seed ^= seed << 17;
    return seed;
  };
  int checked = 0;
  for (int type = 0; type < kVarTypeCount; ++type) {
    for (int view = 1; view < kVarViewCount; ++view) {
      // Texts and DTLs have their own round trips (newtypes_test.cpp).
      if (!Var_AdmitsView(type, view) || view == VAR_VIEW_REAL || Var_IsTextType(type) || type == S7_TYPE_DTL)
        continue;
      TestVar from(type, 1), to(type, 1);
      from.SetView(0, view);
      to.SetView(0, view);
      VarValueRange range;
      Var_ValueRange(0, from.get(), view, &range);
      for (int i = 0; i < 300; ++i) {
        if (type == S7_TYPE_DATETIME && view == VAR_VIEW_DATE_TIME) {
          const std::uint64_t r = next();
          CalendarRecord c = {static_cast<std::uint16_t>(1990 + r % 100), static_cast<std::uint16_t>(1 + r / 100 % 12),
                              0, static_cast<std::uint16_t>(1 + r / 1200 % 28), static_cast<std::uint16_t>(r / 40000 % 24),
                              static_cast<std::uint16_t>(r / 999 % 60), static_cast<std::uint16_t>(r / 77 % 60),
                              static_cast<std::uint16_t>(r / 13 % 1000)};
          ASSERT_EQ(Var_PutElement(0, from.get(), 0, &c), 1);
        } else {
          std::int64_t v;
          if (!range.checked) {
            v = static_cast<std::int64_t>(next());
          } else {
            const std::uint64_t span = static_cast<std::uint64_t>(range.max - range.min) + 1;
            v = i == 0 ? range.min : i == 1 ? range.max : range.min + static_cast<std::int64_t>(next() % span);
          }
          ASSERT_EQ(Var_PutElement(0, from.get(), v, nullptr), 1);
        }
        char shown[kVarValueTextMax];
        Var_FormatValue({.bareCharacter = true}, 0, from.get(), shown);
        to.SetRaw(0, 0);
        ASSERT_EQ(Var_EnterValue(0, to.get(), shown), VAR_VALUE_OK)
            << "type " << type << " view " << view << " \"" << shown << "\"";
        ASSERT_EQ(to.Raw(0), from.Raw(0)) << "type " << type << " view " << view << " \"" << shown << "\"";
        ++checked;
      }
    }
  }
  // 75 views of the classic types, 38 of the newer ones.
  EXPECT_EQ(checked, 300 * (75 + 38));
}

TEST(ValueRange, ByElementAndMode) {
  struct Case {
    int type, view, checked;
    std::int64_t min, max;
  } cases[] = {
      {S7_TYPE_BIT, BIN, 1, 0, 1},
      {S7_TYPE_BIT, 0, 1, 0, 1},
      {S7_TYPE_BYTE, SDEC, 1, -128, 127},
      {S7_TYPE_CHAR, CHR, 1, 0, 255},
      {S7_TYPE_SHORT, HEX, 1, 0, 255},
      {S7_TYPE_COUNTER, DEC, 1, 0, 999},
      {S7_TYPE_COUNTER, 0, 1, 0, 999},
      {S7_TYPE_WORD, SDEC, 1, -32768, 32767},
      {S7_TYPE_DATE, BIN, 1, 0, 65535},
      {S7_TYPE_TIMER, HEX, 1, 0, 9990000},
      {S7_TYPE_S5TIME, SDEC, 1, 0, 9990000},
      {S7_TYPE_REAL, SDEC, 1, INT32_MIN, INT32_MAX},
      {S7_TYPE_DWORD, DEC, 1, 0, UINT32_MAX},
      {S7_TYPE_DATETIME, HEX, 0, INT64_MIN, INT64_MAX},
      {S7_TYPE_REAL, RL, 0, INT64_MIN, INT64_MAX},
      {S7_TYPE_TIMER, TIME, 1, 0, 9990000},
      {S7_TYPE_TOD, TIME, 1, INT32_MIN, INT32_MAX},
      {S7_TYPE_DATE, DT, 1, 0, 65378},
      {S7_TYPE_TOD, DT, 1, 0, 86399999},
      {S7_TYPE_DATETIME, DT, 0, INT64_MIN, INT64_MAX},
  };
  for (const Case& c : cases) {
    TestVar t(c.type, 1);
    VarValueRange r;
    Var_ValueRange(0, t.get(), c.view, &r);
    EXPECT_EQ(r.checked, c.checked) << c.type << "/" << c.view;
    EXPECT_EQ(r.min, c.min) << c.type << "/" << c.view;
    EXPECT_EQ(r.max, c.max) << c.type << "/" << c.view;
  }
}

TEST(ValueSpinner, RangesOffsetsAndSteps) {
  struct Case {
    int type, view, used;
    std::int32_t low, high;
    std::int64_t offset;
    std::vector<std::pair<int, int>> accel;
  } cases[] = {
      {S7_TYPE_BIT, BIN, 1, 0, 1, 0, {}},
      {S7_TYPE_BYTE, DEC, 1, 0, 255, 0, {{0, 1}}},
      {S7_TYPE_CHAR, CHR, 1, 0, 255, 0, {{0, 1}}},
      {S7_TYPE_COUNTER, DEC, 1, 0, 999, 0, {{0, 1}, {2, 100}}},
      {S7_TYPE_INT, SDEC, 1, -32768, 32767, 0, {{0, 1}, {2, 100}}},
      {S7_TYPE_TIMER, DEC, 1, 0, 9990000, 0, {{0, 1}, {2, 1000}, {10, 100000}}},
      {S7_TYPE_S5TIME, HEX, 1, 0, 9990000, 0, {{0, 1}, {2, 1000}, {10, 100000}}},
      {S7_TYPE_DINT, SDEC, 1, INT32_MIN, INT32_MAX, 0, {{0, 1}, {2, 1000}, {10, 1000000}}},
      {S7_TYPE_DWORD, DEC, 1, INT32_MIN, INT32_MAX, std::int64_t{1} << 31, {{0, 1}, {2, 1000}, {10, 1000000}}},
      {S7_TYPE_REAL, BIN, 1, INT32_MIN, INT32_MAX, std::int64_t{1} << 31, {{0, 1}, {2, 1000}, {10, 1000000}}},
      {S7_TYPE_DATETIME, HEX, 0, 0, 0, 0, {}},
      {S7_TYPE_REAL, RL, 0, 0, 0, 0, {}},
      {S7_TYPE_TIME, TIME, 0, 0, 0, 0, {}},
      {S7_TYPE_DATE, DT, 0, 0, 0, 0, {}},
  };
  for (const Case& c : cases) {
    TestVar t(c.type, 1);
    VarSpinner s;
    Var_GetSpinner(0, t.get(), c.view, &s);
    EXPECT_EQ(s.used, c.used) << c.type << "/" << c.view;
    if (!c.used) continue;
    EXPECT_EQ(s.low, c.low) << c.type << "/" << c.view;
    EXPECT_EQ(s.high, c.high) << c.type << "/" << c.view;
    EXPECT_EQ(s.offset, c.offset) << c.type << "/" << c.view;
    std::vector<std::pair<int, int>> accel;
    for (int i = 0; i < s.accelCount; ++i) accel.push_back({s.accel[i].seconds, s.accel[i].step});
    EXPECT_EQ(accel, c.accel) << c.type << "/" << c.view;
  }
}

TEST(ValueSpinner, StepsClampAndCrossZero) {
  TestVar i(S7_TYPE_INT, 1), di(S7_TYPE_DINT, 1), dw(S7_TYPE_DWORD, 1);
  VarSpinner s;
  Var_GetSpinner(0, i.get(), SDEC, &s);
  EXPECT_EQ(Var_SpinnerStep(&s, Var_SpinnerPosition(&s, 32767), 1), 32767) << "stops at the top";
  EXPECT_EQ(Var_SpinnerStep(&s, Var_SpinnerPosition(&s, -32768), -100), -32768) << "and at the bottom";
  Var_GetSpinner(0, di.get(), SDEC, &s);
  EXPECT_EQ(Var_SpinnerStep(&s, Var_SpinnerPosition(&s, 0), -1), -1);
  EXPECT_EQ(Var_SpinnerStep(&s, Var_SpinnerPosition(&s, INT32_MAX), 1000000), INT32_MAX);
  Var_GetSpinner(0, dw.get(), DEC, &s);
  EXPECT_EQ(Var_SpinnerPosition(&s, 0), INT32_MIN);
  EXPECT_EQ(Var_SpinnerPosition(&s, 4294967295), INT32_MAX);
  EXPECT_EQ(Var_SpinnerStep(&s, Var_SpinnerPosition(&s, 0), 1), 1);
  EXPECT_EQ(Var_SpinnerStep(&s, Var_SpinnerPosition(&s, 1), 1000), 1001);
  EXPECT_EQ(Var_SpinnerStep(&s, Var_SpinnerPosition(&s, 0), -1), 0);
  EXPECT_EQ(Var_SpinnerStep(&s, Var_SpinnerPosition(&s, 4294967000), 1000000), 4294967295);
}

TEST(ValueError, WordsForEveryRefusal) {
  for (int code = 0; code < VAR_VALUE_CODE_COUNT; ++code) EXPECT_GT(std::strlen(Var_ValueErrorText(code)), 3u) << code;
  EXPECT_STREQ(Var_ValueErrorText(-1), "unknown refusal");
  struct Case {
    int type, view;
    const char* text;
    const char* message;
  } cases[] = {
      {S7_TYPE_INT, SDEC, "-32769", "-32769 is below -32768"},
      {S7_TYPE_WORD, HEX, "0x10000", "0x10000 is above 0xffff"},
      {S7_TYPE_BYTE, BIN, "0b100000000", "0b100000000 is above 0b11111111"},
      {S7_TYPE_WORD, HEX, "1f", "1f: a hexadecimal value starts with 0x"},
      {S7_TYPE_WORD, BIN, "11", "11: a binary value starts with 0b"},
      {S7_TYPE_WORD, DEC, "-1", "-1 is not a decimal number without a sign"},
      {S7_TYPE_TIMER, TIME, "2h47m", "2h47m is above 2h46m30s"},
      {S7_TYPE_TIMER, TIME, "30s1m", "30s1m: time units out of order (d h m s ms, each once)"},
      {S7_TYPE_TIMER, TIME, "90", "90: a number without a unit (d, h, m, s, ms)"},
      {S7_TYPE_TIME, TIME, "1h-5m", "1h-5m: a sign on a later time part"},
      {S7_TYPE_DATE, DT, "2169.01.01", "2169.01.01 is above 2168.12.31"},
      {S7_TYPE_DATE, DT, "1989.12.31", "1989.12.31 is below 1990.01.01"},
      {S7_TYPE_DATE, DT, "2021.02.30", "2021.02.30 is not a date YYYY.MM.DD"},
      {S7_TYPE_DATETIME, DT, "2090.01.01.00:00:00", "2090.01.01.00:00:00 is above 2089.12.31.23:59:59.999"},
      {S7_TYPE_DATETIME, DT, "x", "x is not a date YYYY.MM.DD.hh:mm:ss[.mmm]"},
      {S7_TYPE_TOD, DT, "25:00:00", "25:00:00 is not a time of day hh:mm:ss[.mmm]"},
      {S7_TYPE_CHAR, CHR, "ab", "ab: neither one character nor # and a code"},
      {S7_TYPE_CHAR, CHR, "#300", "#300 is above 255"},
      {S7_TYPE_REAL, RL, "1e+39", "1e+39 is beyond the range of a REAL (-3.402823e+38 to 3.402823e+38)"},
      {S7_TYPE_REAL, RL, "1,5", "1,5: not a real number"},
      {S7_TYPE_INT, SDEC, "", "no value given"},
  };
  for (const Case& c : cases) {
    TestVar t(c.type, 1);
    t.SetView(0, c.view);
    std::int64_t v;
    const int code = Var_ReadValue(0, t.get(), c.text, &v, nullptr);
    ASSERT_NE(code, VAR_VALUE_OK) << c.text;
    char out[160];
    const int n = Var_DescribeValueError(code, 0, t.get(), c.text, out, sizeof out);
    EXPECT_STREQ(out, c.message);
    EXPECT_EQ(n, static_cast<int>(std::strlen(out)));
  }
  char small[8];
  TestVar t(S7_TYPE_INT, 1);
  EXPECT_EQ(Var_DescribeValueError(VAR_VALUE_BELOW, 0, t.get(), "-99999", small, sizeof small), 7);
  EXPECT_STREQ(small, "-99999 ");
}

}  // namespace
