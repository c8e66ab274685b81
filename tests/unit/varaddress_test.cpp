// Address texts and definition texts, both ways: what each variable and
// element is written as, which definitions are read and how they are written
// back, and which are refused.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tests/support/var_builder.h"
#include "vars/vars.h"

namespace {

std::string Definition(PlcVariable* v) {
  char out[kVarAddressTextMax];
  Var_FormatAddress({.withCount = true, .withType = true}, 0, v, out, nullptr);
  return out;
}

TEST(VarDefinition, AcceptedAndWrittenBack) {
  struct Case {
    const char* text;
    const char* written;
  } cases[] = {
      {"DB1.DBW2:3 (Int)", "DB1.DBW2:3 (Int)"},
      {"db1.dbw2 : 3 ( int )", "DB1.DBW2:3 (Int)"},
      {"DB5.DBX0.0:16 (Bit)", "DB5.DBX0.0:16 (Bit)"},
      {"MW10:1 (Word)", "MW10:1 (Word)"},
      {"E0.0:1 (Bit)", "E0.0:1 (Bit)"},
      {"AD4:2 (Real)", "AD4:2 (Real)"},
      {"T5:1 (Timer)", "T5:1 (Timer)"},
      {"Z3:4 (Counter)", "Z3:4 (Counter)"},
      {"Z3:2 (Counter)", "Z3:2 (Counter)"},
      {"MB0:10 (Char)", "MB0:10 (Char)"},
      {"M10.0:16 (Bit)", "M10.0:16 (Bit)"},
      {"M10.3:1 (Bit)", "M10.3:1 (Bit)"},
      {"MW10:1 (Int)", "MW10:1 (Int)"},
      {"\t DB32767.DBQ32767:512 (date&time) \t", "DB32767.DBQ32767:512 (Date&Time)"},
      {"DB1.DBB0:65535 (Byte)", "DB1.DBB0:65535 (Byte)"},   // up to 65,535 bytes
      {"MW10:32767 (Word)", "MW10:32767 (Word)"},
      {"DB2.DBQ0:8191 (Date&Time)", "DB2.DBQ0:8191 (Date&Time)"},
      {"M0.0:65528 (Bit)", "M0.0:65528 (Bit)"},
      {"EB0:1(Short)", "EB0:1 (Short)"},
      {"aw0 :1 (s5time)", "AW0:1 (S5Time)"},
      {"MD0:1 (TOD)", "MD0:1 (TOD)"},
      {"DB1.DBD0:1 (DInt)", "DB1.DBD0:1 (DInt)"},
      {"DB1.DBW0:1 (Date)", "DB1.DBW0:1 (Date)"},
      {"MW10:0 (Word)", "MW10:0 (Word)"},  // a count of 0 is the library's to refuse
      {"T5:1 (Word)", "T5:1 (Word)"},      // areas T and Z take every 2-byte type
      {"MB10:1 (Bit)", "M10.0:1 (Bit)"},   // B stands for any 1-byte type, Bit included
      // The newer types: by their first byte, texts with their maximum.
      {"DB1.DBB10:2 (String[20])", "DB1.DBB10:2 (String[20])"},
      {"db1.dbb10:2 ( string [ 20 ] )", "DB1.DBB10:2 (String[20])"},
      {"DB1.DBB0:1 (String)", "DB1.DBB0:1 (String[254])"},
      {"DB1.DBB0:1 (WString[16382])", "DB1.DBB0:1 (WString[16382])"},
      {"DB1.DBB0:255 (String[254])", "DB1.DBB0:255 (String[254])"},
      {"DB1.DBB0 :1 (LReal)", "DB1.DBB0:1 (LReal)"},
      {"DB2.DBB0:3 (DTL)", "DB2.DBB0:3 (DTL)"},
      {"MB0:1 (USInt)", "MB0:1 (USInt)"},
      {"MW0:1 (UInt)", "MW0:1 (UInt)"},
      {"MD0:1 (UDInt)", "MD0:1 (UDInt)"},
      {"DB1.DBB0:8191 (LInt)", "DB1.DBB0:8191 (LInt)"},
      {"MB8:1 (ULInt)", "MB8:1 (ULInt)"},
      {"MB8:1 (LWord)", "MB8:1 (LWord)"},
      {"MW2:1 (WChar)", "MW2:1 (WChar)"},
      {"MB0:1 (LTime)", "MB0:1 (LTime)"},
      {"MB0:1 (LTOD)", "MB0:1 (LTOD)"},
      {"MB0:1 (LDT)", "MB0:1 (LDT)"},
  };
  for (const Case& c : cases) {
    PlcVariable v{};
    ASSERT_EQ(Var_ParseDefinition(c.text, &v), 1) << c.text;
    EXPECT_EQ(Definition(&v), c.written) << c.text;
    EXPECT_NE(v.values, nullptr);
    EXPECT_EQ(Rt_BlockSize(v.values), std::max<std::size_t>(1, 2u * v.bufferSize + 25u * v.count));
    Var_FreeBlock(&v);
  }
}

TEST(VarDefinition, Refused) {
  const char* cases[] = {
      "", "   \t ",
      "DB0.DBW2:1 (Int)",       // no data block 0
      "DB32768.DBW0:1 (Int)",   // data blocks end at 32767
      "MW32768:1 (Word)",       // addresses end at 32767
      "E0.8:1 (Bit)",           // bits 0-7
      "MW10:32768 (Word)",      // at most 65,535 bytes
      "DB1.DBB0:65536 (Byte)", "DB1.DBQ0:8192 (Date&Time)", "M0.0:65536 (Bit)",
      "MD10:1 (Int)",           // size and type disagree
      "DB1.DBB0:1 (Word)", "DB1.DBX0.0:1 (Byte)", "DB1.DBQ0:1 (DWord)",
      "MX10.0:1 (Bit)",         // a bit address is written M10.0
      "M10.3:8 (Bit)",          // a bit array starts at bit 0
      "M10.0:12 (Bit)",         // and is whole bytes
      "T5:1 (Real)",            // timers and counters are words
      "DB1.DBW2 (Int)", "DB1.DBW2:3", "DB1.DBW2:3 Int", "DB1.DBW2:3 (Int", "DB1.DBW2:3 Int)",
      "DB1.DBW2:3 (Integer)", "DB1.DBW2:3 ()", "DB1.DBW2:3 (Int) x", "DB1.DBW2:3 (Int)(Int)",
      "X1:1 (Byte)", "DB1.W2:1 (Int)", "DB1DBW2:1 (Int)", "DB.DBW2:1 (Int)", "DBX1.DBW2:1 (Int)",
      "DB1.DBQ0:1 (LReal)", "DB1.DBW0:1 (USInt)", "MB0:1 (UInt)",  // each newer type has one size letter
      "DB1.DBB0:1 (String[0])", "DB1.DBB0:1 (String[255])", "DB1.DBB0:1 (WString[16383])",
      "DB1.DBB0:1 (String[])", "DB1.DBB0:1 (String[x])", "DB1.DBB0:1 (String[20)", "DB1.DBB0:1 (String20])",
      "DB1.DBB0:1 (Int[2])", "DB1.DBB0:1 (String[2][3])", "DB1.DBB0:1 ([2])",
      "DB1.DBB0:256 (String[254])",  // 256 × 256 bytes
      "DB1.DBB0:3 (WString[16382])", "DB1.DBB0:8192 (LReal)",
      "M10:1 (Bit)", "M10.:1 (Bit)", "M10.a:1 (Bit)", "M10.10:1 (Bit)", "M 10.0:1 (Bit)",
      "MW-1:1 (Word)", "MW+1:1 (Word)", "MW10:-1 (Word)", "MW10:+1 (Word)", "MW:1 (Word)",
      "MW99999999999999999999:1 (Word)", "MW10:99999999999999999999 (Word)", "MW10:1 (Word", "(Word)",
      "D", "DB", "DB1", "DB1.", "DB1.DB", "DB1.DBW", "M", "MW", "T", "TW5:1 (Timer)",
  };
  for (const char* text : cases) {
    PlcVariable v{};
    v.type = 99;  // a refused text leaves the record alone
    EXPECT_EQ(Var_ParseDefinition(text, &v), 0) << '"' << text << '"';
    EXPECT_EQ(v.type, 99) << text;
    EXPECT_EQ(v.values, nullptr) << text;
  }
  PlcVariable v{};
  EXPECT_EQ(Var_ParseDefinition(nullptr, &v), 0);
  EXPECT_EQ(Var_ParseDefinition("MW0:1 (Word)", nullptr), 0);
}

// Every type in every area the reader lets it into: the written definition
// reads back as the same variable.
TEST(VarDefinition, EveryTypeAndAreaRoundTrips) {
  int accepted = 0;
  for (int type = 0; type < kVarTypeCount; ++type) {
    for (int area = 0; area < kVarAreaCount; ++area) {
      for (int count : {1, 8, 512}) {
        PlcVariable v{};
        Var_Init(1, type, area, count, &v);
        v.dbNumber = area == S7_AREA_DB ? 32767 : 0;
        v.start = 32767;
        v.bit = type == S7_TYPE_BIT && count == 1 ? 7 : 0;
        const std::string text = Definition(&v);
        PlcVariable back{};
        const bool wordArea = area == S7_AREA_TIMERS || area == S7_AREA_COUNTERS;
        const bool expected =
            (!wordArea || v.wireSize == 2) && std::int64_t{count} * v.wireSize <= kVarBytesMax;
        ASSERT_EQ(Var_ParseDefinition(text.c_str(), &back), expected ? 1 : 0) << text;
        if (!expected) continue;
        ++accepted;
        EXPECT_EQ(back.type, v.type) << text;
        EXPECT_EQ(back.area, v.area) << text;
        EXPECT_EQ(back.dbNumber, v.dbNumber) << text;
        EXPECT_EQ(back.start, v.start) << text;
        EXPECT_EQ(back.bit, v.bit) << text;
        EXPECT_EQ(back.count, v.count) << text;
        EXPECT_EQ(back.bufferSize, v.bufferSize) << text;
        EXPECT_EQ(back.textMax, v.textMax) << text;
        Var_FreeBlock(&back);
      }
    }
  }
  // The classic types in E, A, M and DB, their six 2-byte types in T and Z;
  // the newer ones likewise (UInt and WChar in T and Z), less String and
  // WString 512 times, which pass 65,535 bytes.
  EXPECT_EQ(accepted, 3 * (16 * 4 + 2 * 6) + 3 * (14 * 4 + 2 * 2) - 2 * 4);
}

TEST(VarAddress, ElementsAndFlags) {
  struct Case {
    const char* definition;
    int element, blank, withCount, withType;
    const char* expected;
  } cases[] = {
      {"DB5.DBX0.0:16 (Bit)", 9, 0, 0, 0, "DB5.DBX1.1"},
      {"DB5.DBX0.0:16 (Bit)", 15, 1, 0, 0, " DB5.DBX1.7"},
      {"M10.3:1 (Bit)", 0, 0, 0, 0, "M10.3"},
      {"MW10:3 (Word)", 2, 0, 0, 0, "MW14"},
      {"MW10:3 (Word)", 2, 1, 1, 1, " MW14:3 (Word)"},
      {"DB1.DBQ0:3 (Date&Time)", 1, 0, 0, 0, "DB1.DBQ8"},
      {"AD4:2 (Real)", 1, 0, 1, 0, "AD8:2"},
      {"T5:3 (Timer)", 2, 0, 0, 0, "T7"},
      {"Z3:4 (Counter)", 3, 0, 0, 1, "Z6 (Counter)"},
      {"MW0:4 (Timer)", 3, 0, 0, 0, "MW3"},  // timer numbers, wherever they are
      {"T0:4 (Word)", 3, 0, 0, 0, "T6"},
      {"MB0:10 (Char)", 9, 0, 0, 0, "MB9"},
      {"E0.0:1 (Bit)", 0, 1, 1, 1, " E0.0:1 (Bit)"},
  };
  for (const Case& c : cases) {
    TestVar t(c.definition);
    EXPECT_EQ(t.Address(c.element, c.blank, c.withCount, c.withType), c.expected) << c.definition;
  }
}

TEST(VarAddress, WidthGrowsWithTheAddressOnly) {
  TestVar t("DB10.DBW100:3 (Word)");
  char out[kVarAddressTextMax];
  int width = 5;
  EXPECT_EQ(Var_FormatAddress({.leadingBlank = true, .withCount = true, .withType = true}, 2, t.get(), out, &width), 21);
  EXPECT_STREQ(out, " DB10.DBW104:3 (Word)");
  EXPECT_EQ(width, 12) << "the blank and the address, not count and type";
  width = 40;
  Var_FormatAddress({}, 0, t.get(), out, &width);
  EXPECT_EQ(width, 40);
}

TEST(VarAddress, FieldsBeyondThePlcStillGiveATextThatFits) {
  PlcVariable v{};
  Var_Init(1, S7_TYPE_DATETIME, S7_AREA_DB, 1, &v);
  v.dbNumber = INT32_MIN;
  v.start = INT32_MAX;
  v.count = INT32_MIN;
  char out[kVarAddressTextMax];
  const int n =
      Var_FormatAddress({.leadingBlank = true, .withCount = true, .withType = true}, INT32_MAX, &v, out, nullptr);
  EXPECT_STREQ(out, " DB-2147483648.DBQ19327352823:-2147483648 (Date&Time)");
  EXPECT_EQ(n, static_cast<int>(std::strlen(out)));
  v.type = 40;
  v.area = -3;
  Var_FormatAddress({.withCount = true, .withType = true}, 0, &v, out, nullptr);
  EXPECT_STREQ(out, "?Q2147483647:-2147483648 (?)");
}

}  // namespace
