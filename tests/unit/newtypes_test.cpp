// The newer types end to end inside the program: a value typed for an element,
// the wire bytes the library sends for it, and those bytes read back into a
// fresh element and shown again; the texts each refuses; texts and DTLs in
// their slots; LReal's shortest text reading back bit for bit.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "s7lib/s7internal.h"
#include "tests/support/var_builder.h"
#include "vars/longtypes.h"
#include "vars/vars.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// The element's wire bytes as a write sends them.
Bytes Wire(PlcVariable* v) {
  const int count = Var_WireCount(v);
  Bytes wire(static_cast<std::size_t>(S7_WireBytes(static_cast<unsigned>(v->type), count)));
  S7_EncodeElements(static_cast<unsigned>(v->type), count, 1, v->values, wire.data());
  return wire;
}

// Wire bytes as a read hands them to the variable.
void Receive(PlcVariable* v, const Bytes& wire) {
  ASSERT_EQ(S7_DecodeValues(static_cast<unsigned>(v->type), Var_WireCount(v), 1, wire.data(),
                            static_cast<int>(wire.size()), v->values),
            S7_OK);
}

struct WireCase {
  const char* definition;
  const char* typed;   // in the type's default view
  Bytes wire;
  const char* shown;   // the wire bytes read back, in the edit field's form
};

TEST(NewerTypes, TypedValueToWireBytesAndBack) {
  std::string full254(254, 'x');
  const std::string shown254 = full254;
  const WireCase cases[] = {
      {"MB0:1 (USInt)", "255", {0xFF}, "255"},
      {"MW0:1 (UInt)", "65 535", {0xFF, 0xFF}, "65 535"},
      {"MD0:1 (UDInt)", "4294967295", {0xFF, 0xFF, 0xFF, 0xFF}, "4 294 967 295"},
      {"MB0:1 (LInt)", "-9223372036854775808", {0x80, 0, 0, 0, 0, 0, 0, 0}, "-9 223 372 036 854 775 808"},
      {"MB0:1 (LInt)", "9 223 372 036 854 775 807", {0x7F, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF},
       "9 223 372 036 854 775 807"},
      {"MB0:1 (ULInt)", "18446744073709551615", {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF},
       "18 446 744 073 709 551 615"},
      {"MB0:1 (LWord)", "0x0123 4567 89ab cdef", {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF},
       "0x0123 4567 89ab cdef"},
      {"MB0:1 (LReal)", "0.0", {0, 0, 0, 0, 0, 0, 0, 0}, "0.0"},
      {"MB0:1 (LReal)", "-0.0", {0x80, 0, 0, 0, 0, 0, 0, 0}, "-0.0"},
      {"MB0:1 (LReal)", "5e-324", {0, 0, 0, 0, 0, 0, 0, 1}, "5e-324"},
      {"MB0:1 (LReal)", "0.1", {0x3F, 0xB9, 0x99, 0x99, 0x99, 0x99, 0x99, 0x9A}, "0.1"},
      {"MB0:1 (LReal)", "1.7976931348623157e+308", {0x7F, 0xEF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF},
       "1.7976931348623157e+308"},
      {"MB0:1 (LReal)", "123456789012345680", {0x43, 0x7B, 0x69, 0xB4, 0xBA, 0x63, 0x0F, 0x35},
       "1.2345678901234568e+17"},
      {"MW0:1 (WChar)", "\xF5", {0x01, 0x51}, "\xF5"},
      {"MW0:1 (WChar)", "\\u0436", {0x04, 0x36}, "\\u0436"},
      {"MB0:1 (String[4])", "", {0x04, 0x00, 0, 0, 0, 0}, ""},
      {"MB0:1 (String[4])", "abcd", {0x04, 0x04, 'a', 'b', 'c', 'd'}, "abcd"},
      {"MB0:1 (String[4])", "\xF5\\\\", {0x04, 0x02, 0xF5, '\\', 0, 0}, "\xF5\\\\"},
      {"MB0:1 (WString[4])", "a\\u0436\\uD83D\\uDE00",
       {0x00, 0x04, 0x00, 0x04, 0x00, 'a', 0x04, 0x36, 0xD8, 0x3D, 0xDE, 0x00}, "a\\u0436\\uD83D\\uDE00"},
      {"MB0:1 (WString[2])", "\xF5", {0x00, 0x02, 0x00, 0x01, 0x01, 0x51, 0x00, 0x00}, "\xF5"},
      {"MB0:1 (DTL)", "1970.01.01.00:00:00.000", {0x07, 0xB2, 1, 1, 5, 0, 0, 0, 0, 0, 0, 0},
       "1970.01.01.00:00:00.000"},
      {"MB0:1 (DTL)", "2262.04.11.23:47:16.854775807", {0x08, 0xD6, 4, 11, 6, 23, 47, 16, 0x32, 0xF2, 0xD7, 0xFF},
       "2262.04.11.23:47:16.854775807"},
      {"MB0:1 (DTL)", "2024.02.29.12:00:00.5", {0x07, 0xE8, 2, 29, 5, 12, 0, 0, 0x1D, 0xCD, 0x65, 0x00},
       "2024.02.29.12:00:00.500"},
      {"MB0:1 (LTime)", "-1s500.000001ms", {0xFF, 0xFF, 0xFF, 0xFF, 0xA6, 0x97, 0xD0, 0xFF}, "-1s500.000001ms"},
      {"MB0:1 (LTime)", "0ms", {0, 0, 0, 0, 0, 0, 0, 0}, "0ms"},
      {"MB0:1 (LTOD)", "23:59:59.999999999", {0x00, 0x00, 0x4E, 0x94, 0x91, 0x4E, 0xFF, 0xFF}, "23:59:59.999999999"},
      {"MB0:1 (LDT)", "2024.02.29.12:00:00.000000001", {0x17, 0xB8, 0x53, 0x9E, 0xC7, 0x41, 0x80, 0x01},
       "2024.02.29.12:00:00.000000001"},
  };
  for (const WireCase& c : cases) {
    TestVar typed(c.definition);
    ASSERT_EQ(Var_EnterValue(0, typed.get(), c.typed), VAR_VALUE_OK) << c.definition << " " << c.typed;
    EXPECT_EQ(Wire(typed.get()), c.wire) << c.definition << " " << c.typed;
    TestVar back(c.definition);
    Receive(back.get(), c.wire);
    EXPECT_EQ(Var_FormatValueString({.bareCharacter = true}, 0, back.get()), c.shown) << c.definition;
  }
  // The longest String, full.
  TestVar text("DB1.DBB0:1 (String)");
  ASSERT_EQ(Var_EnterValue(0, text.get(), full254.c_str()), VAR_VALUE_OK);
  const Bytes wire = Wire(text.get());
  ASSERT_EQ(wire.size(), 256u);
  EXPECT_EQ(wire[0], 254);
  EXPECT_EQ(wire[1], 254);
  EXPECT_EQ(std::string(wire.begin() + 2, wire.end()), full254);
  EXPECT_EQ(Var_FormatValueString({}, 0, text.get()), "'" + shown254 + "'");
}

// What the PLC may hold that no typed value gives: infinities, NaNs with
// their payload, headers longer than their texts.
TEST(NewerTypes, WireBytesOnlyAPlcGives) {
  struct Case {
    const char* definition;
    Bytes wire;
    const char* shown;
  } cases[] = {
      {"MB0:1 (LReal)", {0x7F, 0xF0, 0, 0, 0, 0, 0, 0}, "+oo"},
      {"MB0:1 (LReal)", {0xFF, 0xF0, 0, 0, 0, 0, 0, 0}, "-oo"},
      {"MB0:1 (LReal)", {0x7F, 0xF0, 0, 0, 0, 0, 0, 1}, "???"},
      // A current length beyond the maximum, or beyond the declared text:
      // only what both allow is shown.
      {"MB0:1 (String[4])", {0x02, 0x04, 'a', 'b', 'c', 'd'}, "ab"},
      {"MB0:1 (String[2])", {0xFE, 0xFE, 'a', 'b'}, "ab"},
      {"MB0:1 (WString[1])", {0x00, 0x10, 0xFF, 0xFF, 0x00, 'a'}, "a"},
      {"MB0:1 (String[2])", {0x02, 0x02, 0x01, '\\'}, "\\u0001\\\\"},
      // A DTL no PLC would write still shows its fields.
      {"MB0:1 (DTL)", Bytes(12, 0), "0000.00.00.00:00:00.000"},
      {"MB0:1 (DTL)", {0x07, 0xE8, 13, 32, 9, 24, 60, 61, 0x3B, 0x9A, 0xCA, 0x00}, "2024.13.32.24:60:61.1000000000"},
      {"MB0:1 (LTime)", {0x80, 0, 0, 0, 0, 0, 0, 0}, "-106751d23h47m16s854.775808ms"},
      // An LDT before 1970 (no DTL reaches it) still shows as a date.
      {"MB0:1 (LDT)", {0x80, 0, 0, 0, 0, 0, 0, 0}, "1677.09.21.00:12:43.145224192"},
  };
  for (const Case& c : cases) {
    TestVar v(c.definition);
    Receive(v.get(), c.wire);
    EXPECT_EQ(Var_FormatValueString({.bareCharacter = true}, 0, v.get()), c.shown) << c.definition;
    // Bytes received go out again unchanged (a NaN keeps its payload).
    EXPECT_EQ(Wire(v.get()), c.wire) << c.definition;
  }
}

TEST(NewerTypes, RefusedBeforeAnythingIsStored) {
  struct Case {
    const char* definition;
    const char* text;
    int code;
  } cases[] = {
      {"MB0:1 (USInt)", "256", VAR_VALUE_ABOVE},
      {"MB0:1 (USInt)", "-1", VAR_VALUE_NUMBER},
      {"MB0:1 (LInt)", "9223372036854775808", VAR_VALUE_ABOVE},
      {"MB0:1 (ULInt)", "18446744073709551616", VAR_VALUE_NUMBER},
      {"MB0:1 (LWord)", "0x1 0000 0000 0000 0000", VAR_VALUE_NUMBER},
      {"MB0:1 (LReal)", "1e+309", VAR_VALUE_LREAL_RANGE},
      {"MB0:1 (LReal)", "1..5", VAR_VALUE_REAL},
      {"MW0:1 (WChar)", "ab", VAR_VALUE_CHAR},
      {"MW0:1 (WChar)", "#65536", VAR_VALUE_ABOVE},
      {"MB0:1 (String[4])", "abcde", VAR_VALUE_TEXT_LONG},
      {"MB0:1 (String[4])", "\\u0436", VAR_VALUE_ESCAPE},   // no such letter in code page 1250
      {"MB0:1 (String[4])", "a\\b", VAR_VALUE_ESCAPE},
      {"MB0:1 (WString[4])", "\\u12", VAR_VALUE_ESCAPE},
      {"MB0:1 (WString[2])", "\\uD83D\\uDE00a", VAR_VALUE_TEXT_LONG},
      {"MB0:1 (DTL)", "1969.12.31.23:59:59.999", VAR_VALUE_BELOW},
      {"MB0:1 (DTL)", "2262.04.11.23:47:16.854775808", VAR_VALUE_ABOVE},
      {"MB0:1 (DTL)", "2262.04.11.23:47:16.8575807", VAR_VALUE_ABOVE},
      {"MB0:1 (LDT)", "9999.12.31.23:59:59", VAR_VALUE_ABOVE},
      {"MB0:1 (DTL)", "2024.02.30.00:00:00", VAR_VALUE_DATE},
      {"MB0:1 (DTL)", "2024.02.29.00:00:00.1234567891", VAR_VALUE_TIME_OF_DAY},
      {"MB0:1 (LDT)", "1969.12.31.23:59:59", VAR_VALUE_BELOW},
      {"MB0:1 (LTOD)", "24:00:00", VAR_VALUE_TIME_OF_DAY},
      {"MB0:1 (LTime)", "1s2.5s", VAR_VALUE_TIME_UNIT},
      {"MB0:1 (LTime)", "106752d", VAR_VALUE_NUMBER},
      {"MB0:1 (LTime)", "1ms1.0000001ms", VAR_VALUE_NUMBER},
  };
  for (const Case& c : cases) {
    TestVar v(c.definition);
    const Bytes before = Wire(v.get());
    EXPECT_EQ(Var_EnterValue(0, v.get(), c.text), c.code) << c.definition << " " << c.text;
    EXPECT_EQ(Wire(v.get()), before) << c.definition << " " << c.text;
    char why[256];
    EXPECT_GT(Var_DescribeValueError(c.code, 0, v.get(), c.text, why, sizeof why), 0);
  }
}

// Shortest digits that read back to the very same double, across the range.
TEST(NewerTypes, LRealTextReadsBackBitForBit) {
  std::uint64_t seed = 0x2545F4914F6CDD1Dull;
  TestVar from("MB0:1 (LReal)"), to("MB0:1 (LReal)");
  for (int i = 0; i < 20000; ++i) {
    seed ^= seed << 13, seed ^= seed >> 7, seed ^= seed << 17;
    std::uint64_t bits = seed;
    if ((bits & 0x7FF0000000000000ull) == 0x7FF0000000000000ull) continue;  // no text types an infinity or NaN
    from.SetRaw(0, bits);
    const std::string text = Var_FormatValueString({.bareCharacter = true}, 0, from.get());
    ASSERT_EQ(Var_EnterValue(0, to.get(), text.c_str()), VAR_VALUE_OK) << text;
    ASSERT_EQ(to.Raw(0), bits) << text;
    ASSERT_LE(text.size(), 25u) << text;
  }
}

TEST(NewerTypes, DtlWeekdayComesFromTheDate) {
  std::uint8_t w[12];
  // 2000-01-01 was a Saturday; 2100-03-01 a Monday (2100 is no leap year).
  ASSERT_EQ(Var_DtlFromNanos(946684800ll * 1000000000, w), 1);
  EXPECT_EQ(w[4], 7);
  ASSERT_EQ(Var_DtlFromNanos(4107542400ll * 1000000000, w), 1);
  EXPECT_EQ(w[2], 3);
  EXPECT_EQ(w[3], 1);
  EXPECT_EQ(w[4], 2);
  EXPECT_EQ(Var_DtlFromNanos(-1, w), 0);
  // Bytes from a PLC are looked at before they are trusted.
  const std::uint8_t bad[][12] = {
      {0x07, 0xE8, 13, 1, 1, 0, 0, 0, 0, 0, 0, 0},             // month 13
      {0x07, 0xE8, 2, 30, 1, 0, 0, 0, 0, 0, 0, 0},             // 30 February
      {0x07, 0xE8, 1, 1, 1, 24, 0, 0, 0, 0, 0, 0},             // hour 24
      {0x07, 0xE8, 1, 1, 1, 0, 0, 0, 0x3B, 0x9A, 0xCA, 0x00},  // a whole second of nanoseconds
      {0x07, 0xB1, 12, 31, 1, 0, 0, 0, 0, 0, 0, 0},            // 1969
  };
  for (const auto& b : bad) EXPECT_EQ(Var_DtlValid(b), 0);
  const std::uint8_t good[12] = {0x07, 0xE8, 2, 29, 5, 12, 0, 0, 0, 0, 0, 1};
  EXPECT_EQ(Var_DtlValid(good), 1);
}

}  // namespace
