// The variable record: derived sizes, the block and its layout, the views a
// type offers, reading and writing element slots (signed or not by view, and
// through calendar records), and names.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "tests/support/var_builder.h"
#include "vars/vars.h"

namespace {

TEST(VarInit, DerivedSizesByType) {
  struct Case {
    int type, count, wire, slot, buffer;
  } cases[] = {
      {S7_TYPE_BIT, 16, 1, 4, 64},     {S7_TYPE_CHAR, 10, 1, 1, 11},  {S7_TYPE_WORD, 3, 2, 4, 12},
      {S7_TYPE_S5TIME, 2, 2, 4, 8},    {S7_TYPE_REAL, 2, 4, 4, 8},    {S7_TYPE_DATETIME, 3, 8, 8, 24},
      {S7_TYPE_COUNTER, 512, 2, 4, 2048},
      {S7_TYPE_USINT, 3, 1, 4, 12},    {S7_TYPE_UDINT, 1, 4, 4, 4},   {S7_TYPE_LINT, 2, 8, 8, 16},
      {S7_TYPE_LREAL, 1, 8, 8, 8},     {S7_TYPE_WCHAR, 2, 2, 4, 8},   {S7_TYPE_DTL, 2, 12, 12, 24},
      {S7_TYPE_LDT, 1, 8, 8, 8},
      // A text without a maximum gets the longest String: 254 letters.
      {S7_TYPE_STRING, 2, 256, 256, 512}, {S7_TYPE_WSTRING, 1, 512, 512, 512},
  };
  for (const Case& c : cases) {
    PlcVariable v;
    std::memset(&v, 0xAB, sizeof v);
    Var_Init(1, c.type, S7_AREA_FLAGS, c.count, &v);
    EXPECT_EQ(v.wireSize, c.wire) << c.type;
    EXPECT_EQ(v.slotSize, c.slot) << c.type;
    EXPECT_EQ(v.bufferSize, c.buffer) << c.type;
    EXPECT_EQ(v.values, nullptr) << "reset clears the pointers; Var_Init allocates nothing";
    EXPECT_EQ(v.start, 0);
  }
}

TEST(VarInit, KeepsWhatIsNotGivenAndFixesTheDataBlock) {
  PlcVariable v{};
  Var_Init(1, S7_TYPE_INT, S7_AREA_DB, 3, &v);
  EXPECT_EQ(v.dbNumber, 1) << "a DB variable never has data block 0";
  v.dbNumber = 7;
  v.start = 20;
  Var_Init(0, -1, -1, 0, &v);
  EXPECT_EQ(v.type, S7_TYPE_INT);
  EXPECT_EQ(v.count, 3);
  EXPECT_EQ(v.dbNumber, 7);
  EXPECT_EQ(v.start, 20);
  Var_Init(0, S7_TYPE_DATETIME, S7_AREA_FLAGS, -1, &v);
  EXPECT_EQ(v.dbNumber, 0) << "other areas have no data block";
  EXPECT_EQ(v.bufferSize, 24);
  // Codes outside the tables and counts that would overflow the sizes are
  // not taken.
  Var_Init(0, kVarTypeCount, 6, kVarCountLimit + 1, &v);
  EXPECT_EQ(v.type, S7_TYPE_DATETIME);
  EXPECT_EQ(v.area, S7_AREA_FLAGS);
  EXPECT_EQ(v.count, 3);
}

TEST(VarBlock, LayoutOfValuesShownCopyViewsAndNames) {
  TestVar t(S7_TYPE_CHAR, 10);
  PlcVariable& v = t.v;
  ASSERT_NE(v.values, nullptr);
  EXPECT_EQ(Rt_BlockSize(v.values), 2u * 11 + 25u * 10);
  EXPECT_EQ(Var_ShownValues(&v), v.values + 11);
  EXPECT_EQ(v.views, v.values + 22);
  EXPECT_EQ(reinterpret_cast<std::uint8_t*>(v.names), v.views + 10);
  for (int i = 0; i < 10; ++i) ASSERT_EQ(Var_PutElement(i, &v, 'a' + i, nullptr), 1);
  EXPECT_EQ(v.values[10], 0) << "the Char buffer stays a terminated text";
  EXPECT_STREQ(reinterpret_cast<const char*>(v.values), "abcdefghij");
  EXPECT_EQ(Var_ShownValues(&v)[0], 0) << "the shown copy is separate";
  Var_FreeBlock(&v);
  EXPECT_EQ(v.values, nullptr);
  EXPECT_EQ(v.views, nullptr);
  EXPECT_EQ(v.names, nullptr);
  Var_FreeBlock(&v);  // a second free is harmless
}

TEST(VarBlock, ZeroCountStillGetsABlock) {
  TestVar t(S7_TYPE_WORD, 1);
  Var_FreeBlock(t.get());
  Var_Init(0, -1, -1, 0, t.get());
  t->count = 0;
  Var_Init(0, -1, -1, 0, t.get());
  ASSERT_EQ(Var_AllocBlock(t.get()), 1);
  EXPECT_NE(t->values, nullptr);
  std::int64_t value = 5;
  EXPECT_EQ(Var_GetElement(0, t.get(), &value, nullptr), 0) << "no element to read";
  EXPECT_EQ(value, 0);
}

// The view lists each type offers (string ids, without "Default").
TEST(VarViews, ListsByType) {
  const std::vector<int> integers = {601, 602, 603, 604};
  struct Case {
    int type;
    std::vector<int> views;
  } cases[] = {
      {S7_TYPE_BIT, {601}},
      {S7_TYPE_BYTE, {601, 602, 603, 604, 605}},
      {S7_TYPE_SHORT, {601, 602, 603, 604, 605}},
      {S7_TYPE_CHAR, {601, 602, 603, 604, 605}},
      {S7_TYPE_WORD, {601, 602, 603, 604, 608}},
      {S7_TYPE_INT, {601, 602, 603, 604, 608}},
      {S7_TYPE_DATE, {601, 602, 603, 604, 608}},
      {S7_TYPE_DWORD, {601, 602, 603, 604, 607, 608}},
      {S7_TYPE_DINT, {601, 602, 603, 604, 607, 608}},
      {S7_TYPE_TIME, {601, 602, 603, 604, 607, 608}},
      {S7_TYPE_TOD, {601, 602, 603, 604, 607, 608}},
      {S7_TYPE_S5TIME, {601, 602, 603, 604, 607, 608}},
      {S7_TYPE_REAL, {601, 602, 603, 604, 606, 608}},
      {S7_TYPE_DATETIME, {602, 608}},
      {S7_TYPE_TIMER, {601, 602, 604, 607}},
      {S7_TYPE_COUNTER, {601, 602, 604}},
  };
  for (const Case& c : cases) {
    TestVar t(c.type, 1);
    int list[8], count = -1;
    Var_ListViews(VarViewList::Views, 0, t.get(), &count, list);
    EXPECT_EQ(std::vector<int>(list, list + count), c.views) << "type " << c.type;
    Var_ListViews(VarViewList::WithDefaultAndGap, 0, t.get(), &count, list);
    ASSERT_EQ(count, static_cast<int>(c.views.size()) + 2);
    EXPECT_EQ(list[0], 600);
    EXPECT_EQ(list[1], 0) << "the separator after Default";
    for (int view = 1; view < kVarViewCount; ++view) {
      const bool listed = std::find(c.views.begin(), c.views.end(), 600 + view) != c.views.end();
      EXPECT_EQ(Var_AdmitsView(c.type, view), listed ? 1 : 0) << "type " << c.type << " view " << view;
    }
  }
}

TEST(VarViews, PositionOfTheCurrentViewAndTheEffectiveView) {
  TestVar t(S7_TYPE_DWORD, 2);
  int list[8], count = 0;
  EXPECT_EQ(Var_ListViews(VarViewList::WithDefault, 0, t.get(), &count, list), 0) << "Default is first";
  t.SetView(0, VAR_VIEW_TIME);
  EXPECT_EQ(Var_ListViews(VarViewList::WithDefault, 0, t.get(), &count, list), 5);
  EXPECT_EQ(Var_ListViews(VarViewList::WithDefaultAndGap, 0, t.get(), &count, list), 6);
  EXPECT_EQ(Var_ListViews(VarViewList::Views, 0, t.get(), &count, list), 4);
  EXPECT_EQ(Var_EffectiveView(0, t.get()), VAR_VIEW_TIME);
  EXPECT_EQ(Var_EffectiveView(1, t.get()), VAR_VIEW_HEX) << "Default stands for the type's own view";
  // A view byte the type does not offer (a damaged record) shows the default.
  t.SetView(1, VAR_VIEW_CHAR);
  EXPECT_EQ(Var_ListViews(VarViewList::Views, 1, t.get(), &count, list), 0);
  EXPECT_EQ(Var_EffectiveView(1, t.get()), VAR_VIEW_HEX);
  t.SetView(1, 200);
  EXPECT_EQ(Var_EffectiveView(1, t.get()), VAR_VIEW_HEX);
}

TEST(VarViews, DefaultViews) {
  const int expected[kVarTypeCount] = {3, 2, 3, 5, 2, 3, 2, 3, 7, 8, 7, 6, 8, 8, 7, 3,
                                       4, 4, 4, 3, 4, 2, 6, 5, 5, 5, 8, 7, 8, 8};
  for (int type = 0; type < kVarTypeCount; ++type) {
    TestVar t(type, 1);
    EXPECT_EQ(Var_DefaultView(t.get()), expected[type]) << type;
  }
}

// Reading slots: signed in Dec+/- and Time, unsigned otherwise, each as wide
// as the element (S5Time and Timer slots hold 32-bit milliseconds).
TEST(VarElement, ReadsSignedOrUnsignedByView) {
  struct Case {
    int type;
    std::uint64_t raw;
    int view;
    std::int64_t expected;
  } cases[] = {
      {S7_TYPE_BYTE, 0xFFFFFFFF, VAR_VIEW_DEC_SIGNED, -1},
      {S7_TYPE_BYTE, 0xFFFFFFFF, VAR_VIEW_DEC, 255},
      {S7_TYPE_SHORT, 0xFFFFFF80, VAR_VIEW_DEFAULT, -128},
      {S7_TYPE_SHORT, 0xFFFFFF80, VAR_VIEW_HEX, 0x80},
      {S7_TYPE_WORD, 0x1FFFE, VAR_VIEW_DEFAULT, 65534},
      {S7_TYPE_WORD, 0x1FFFE, VAR_VIEW_DEC_SIGNED, -2},
      {S7_TYPE_INT, 0xFFFFFFFE, VAR_VIEW_DEC, 65534},
      {S7_TYPE_DWORD, 0xDEADBEEF, VAR_VIEW_DEFAULT, 0xDEADBEEF},
      {S7_TYPE_DWORD, 0xDEADBEEF, VAR_VIEW_TIME, -559038737},
      {S7_TYPE_TIMER, 9990000, VAR_VIEW_DEFAULT, 9990000},
      {S7_TYPE_TIMER, 9990000, VAR_VIEW_DEC, 9990000},
      {S7_TYPE_S5TIME, 0xFFFFFFFF, VAR_VIEW_DEC_SIGNED, -1},
      {S7_TYPE_COUNTER, 999, VAR_VIEW_DEFAULT, 999},
      {S7_TYPE_DATETIME, 0x8123456789ABCDEFull, VAR_VIEW_HEX, static_cast<std::int64_t>(0x8123456789ABCDEFull)},
      {S7_TYPE_CHAR, 0xE9, VAR_VIEW_DEC_SIGNED, -23},
      {S7_TYPE_CHAR, 0xE9, VAR_VIEW_DEFAULT, 0xE9},
  };
  for (const Case& c : cases) {
    TestVar t(c.type, 2);
    t.SetRaw(0, c.raw);
    t.SetView(0, c.view);
    std::int64_t value = 0;
    ASSERT_EQ(Var_GetElement(0, t.get(), &value, nullptr), 1);
    EXPECT_EQ(value, c.expected) << "type " << c.type << " view " << c.view;
  }
}

TEST(VarElement, WritesTheLowBytesAndZeroesTheRest) {
  struct Case {
    int type;
    std::int64_t value;
    std::uint64_t raw;
  } cases[] = {
      {S7_TYPE_BIT, 1, 1},
      {S7_TYPE_BYTE, -1, 0xFF},
      {S7_TYPE_SHORT, -128, 0x80},
      {S7_TYPE_WORD, 0x12345, 0x2345},
      {S7_TYPE_INT, -2, 0xFFFE},
      {S7_TYPE_S5TIME, 9990000, 9990000},
      {S7_TYPE_TIMER, 0x1234567890ll, 0x34567890},
      {S7_TYPE_DINT, -1, 0xFFFFFFFF},
      {S7_TYPE_DATETIME, -2, 0xFFFFFFFFFFFFFFFEull},
  };
  for (const Case& c : cases) {
    TestVar t(c.type, 2);
    t.SetRaw(0, 0xA5A5A5A5A5A5A5A5ull);
    ASSERT_EQ(Var_PutElement(0, t.get(), c.value, nullptr), 1);
    EXPECT_EQ(t.Raw(0), c.raw & (t->slotSize == 8 ? ~0ull : 0xFFFFFFFFull)) << "type " << c.type;
    EXPECT_EQ(t.Raw(1), 0u) << "the next slot is untouched";
  }
  TestVar chars(S7_TYPE_CHAR, 3);
  ASSERT_EQ(Var_PutElement(1, chars.get(), 0x141, nullptr), 1);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(chars->values), 4), std::string("\0A\0\0", 4))
      << "a Char slot is one byte";
}

TEST(VarElement, OutsideTheVariableNothingIsTouched) {
  TestVar t(S7_TYPE_INT, 2);
  std::int64_t value = 9;
  EXPECT_EQ(Var_GetElement(2, t.get(), &value, nullptr), 0);
  EXPECT_EQ(Var_GetElement(-1, t.get(), &value, nullptr), 0);
  EXPECT_EQ(Var_PutElement(2, t.get(), 1, nullptr), 0);
  EXPECT_EQ(Var_PutElement(0, nullptr, 1, nullptr), 0);
  // A count raised behind the block's back must not reach past it.
  t->count = 5;
  EXPECT_EQ(Var_PutElement(3, t.get(), 1, nullptr), 0);
  t->count = 2;
  t->slotSize = 2;  // and slots of a width no type has are not read at all
  EXPECT_EQ(Var_GetElement(1, t.get(), &value, nullptr), 0);
  t->slotSize = 4;
  PlcVariable empty{};
  Var_Init(1, S7_TYPE_INT, S7_AREA_FLAGS, 2, &empty);
  EXPECT_EQ(Var_GetElement(0, &empty, &value, nullptr), 0) << "no block";
}

TEST(VarElement, CalendarFromSlots) {
  struct Case {
    int type;
    std::uint64_t raw;
    CalendarRecord date;  // year, month, weekday, day; hour … ms
    bool checkDate;
  } cases[] = {
      {S7_TYPE_DATE, 0, {1990, 1, 1, 1, 0, 0, 0, 0}, true},
      {S7_TYPE_DATE, 65535, {2169, 6, 2, 6, 0, 0, 0, 0}, true},
      {S7_TYPE_WORD, 11384, {2021, 3, 3, 3, 0, 0, 0, 0}, true},
      {S7_TYPE_TOD, 45296789, {0, 0, 0, 0, 12, 34, 56, 789}, false},
      {S7_TYPE_TOD, 86400000, {0, 0, 0, 0, 0, 0, 0, 0}, false},
      {S7_TYPE_DATETIME, DateTimeBits({0x89, 0x12, 0x31, 0x23, 0x59, 0x59, 0x99, 0x97}),
       {2089, 12, 6, 31, 23, 59, 59, 999}, true},
  };
  for (const Case& c : cases) {
    TestVar t(c.type, 1);
    t.SetRaw(0, c.raw);
    CalendarRecord got;
    std::memset(&got, 0xEE, sizeof got);
    ASSERT_EQ(Var_GetElement(0, t.get(), nullptr, &got), 1);
    if (c.checkDate) {
      EXPECT_EQ(got.year, c.date.year) << c.type;
      EXPECT_EQ(got.month, c.date.month) << c.type;
      EXPECT_EQ(got.day, c.date.day) << c.type;
      EXPECT_EQ(got.weekday, c.date.weekday) << c.type;
    } else {
      EXPECT_GE(got.year, 2020) << "a time of day comes with today's date";
    }
    EXPECT_EQ(got.hour, c.date.hour) << c.type;
    EXPECT_EQ(got.minute, c.date.minute) << c.type;
    EXPECT_EQ(got.second, c.date.second) << c.type;
    EXPECT_EQ(got.milliseconds, c.date.milliseconds) << c.type;
  }
}

TEST(VarElement, CalendarIntoSlots) {
  TestVar date(S7_TYPE_DATE, 1), tod(S7_TYPE_TOD, 1), dt(S7_TYPE_DATETIME, 1);
  const CalendarRecord when = {2021, 6, 5 /* wrong weekday */, 15, 10, 20, 30, 456};
  ASSERT_EQ(Var_PutElement(0, date.get(), 0, &when), 1);
  EXPECT_EQ(date.Raw(0), 11488u);
  ASSERT_EQ(Var_PutElement(0, tod.get(), 0, &when), 1);
  EXPECT_EQ(tod.Raw(0), 37230456u);
  ASSERT_EQ(Var_PutElement(0, dt.get(), 0, &when), 1);
  EXPECT_EQ(dt.Raw(0), DateTimeBits({0x21, 0x06, 0x15, 0x10, 0x20, 0x30, 0x45, 0x63}))
      << "the weekday nibble follows the date (a Tuesday), not the record";

  // Records that are no date or time are refused and change nothing.
  dt.SetRaw(0, 7);
  date.SetRaw(0, 7);
  tod.SetRaw(0, 7);
  const CalendarRecord badMonth = {2021, 13, 0, 1, 0, 0, 0, 0};
  const CalendarRecord badDay = {2023, 2, 0, 29, 0, 0, 0, 0};
  const CalendarRecord badHour = {2021, 1, 0, 1, 24, 0, 0, 0};
  EXPECT_EQ(Var_PutElement(0, date.get(), 0, &badMonth), 0);
  EXPECT_EQ(Var_PutElement(0, date.get(), 0, &badDay), 0);
  EXPECT_EQ(Var_PutElement(0, tod.get(), 0, &badHour), 0);
  EXPECT_EQ(Var_PutElement(0, dt.get(), 0, &badDay), 0);
  EXPECT_EQ(date.Raw(0), 7u);
  EXPECT_EQ(tod.Raw(0), 7u);
  EXPECT_EQ(dt.Raw(0), 7u);
  TestVar byte(S7_TYPE_BYTE, 1);
  EXPECT_EQ(Var_PutElement(0, byte.get(), 0, &when), 0) << "a byte holds no date";
}

TEST(VarNames, SetTrimmedAndCut) {
  TestVar t(S7_TYPE_WORD, 2);
  EXPECT_STREQ(Var_ElementName(t.get(), 0), "");
  Var_SetElementName(t.get(), 0, "  \tspeed  ");
  EXPECT_STREQ(Var_ElementName(t.get(), 0), "speed");
  Var_SetElementName(t.get(), 1, "abcdefghijklmnopqrstuvwxyz");
  EXPECT_STREQ(Var_ElementName(t.get(), 1), "abcdefghijklmnopqrstuvw");
  EXPECT_STREQ(Var_ElementName(t.get(), 0), "speed") << "names do not run into each other";
  EXPECT_STREQ(Var_ElementName(t.get(), 2), "");
}

}  // namespace
