// One element edit session without a window: which controls each mode
// uses, values typed (the whole text, code page 1250 bytes), stepped by the
// spinner or picked, the name and mode, and the verdict or the restore when
// the session ends.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "app/elementedit.h"
#include "res/codepage.h"
#include "tests/support/var_builder.h"

namespace {

enum { BIN = 1, HEX, SDEC, DEC, CHR, RL, TIME, DT };

struct Session {
  TestVar t;
  ElementEdit e{};
  Session(int type, int view, int count = 1) : t(type, count) {
    t.SetView(0, view);
    EXPECT_TRUE(ElementEdit_Open(&e, t.get(), 0, Transfer::Write));
  }
  std::string Field() {
    char text[kVarValueTextMax];
    ElementEdit_FieldText(&e, text);
    return text;
  }
};

std::string Cp1250(const char16_t* text) {
  std::string out;
  EXPECT_TRUE(Cp1250FromUtf16(text, std::char_traits<char16_t>::length(text), &out));
  return out;
}

TEST(ElementEdit, ControlsByMode) {
  struct Case {
    int type, view;
    bool valueField, spinner, pickers, datePicker, timePicker;
    int lastYear;
  } cases[] = {
      {S7_TYPE_WORD, HEX, true, true, false, false, false, 0},
      {S7_TYPE_CHAR, CHR, true, true, false, false, false, 0},
      {S7_TYPE_BIT, BIN, true, true, false, false, false, 0},
      {S7_TYPE_DATETIME, HEX, true, false, false, false, false, 0},  // 8 bytes: no spinner
      {S7_TYPE_REAL, RL, true, false, false, false, false, 0},
      {S7_TYPE_TIME, TIME, true, false, false, false, false, 0},
      {S7_TYPE_DATE, DT, false, false, true, true, false, 2168},     // a date only
      {S7_TYPE_TOD, DT, false, false, true, false, true, 2168},      // a time of day only
      {S7_TYPE_DATETIME, DT, false, false, true, true, true, 2089},
  };
  for (const Case& c : cases) {
    Session s(c.type, c.view);
    const ElementEditControls& k = s.e.controls;
    const auto what = ::testing::Message() << "type " << c.type << " view " << c.view;
    EXPECT_EQ(k.valueField, c.valueField) << what;
    EXPECT_EQ(k.spinner, c.spinner) << what;
    EXPECT_EQ(k.pickers, c.pickers) << what;
    EXPECT_EQ(k.datePicker, c.datePicker) << what;
    EXPECT_EQ(k.timePicker, c.timePicker) << what;
    if (c.pickers) {
      EXPECT_EQ(k.first.year * 10000 + k.first.month * 100 + k.first.day, 19900101) << what;
      EXPECT_EQ(k.first.hour + k.first.minute + k.first.second, 0) << what;
      EXPECT_EQ(k.last.year * 10000 + k.last.month * 100 + k.last.day, c.lastYear * 10000 + 1231) << what;
      EXPECT_EQ(k.last.hour * 10000 + k.last.minute * 100 + k.last.second, 235959) << what;
    }
  }
}

TEST(ElementEdit, TypedValues) {
  struct Case {
    int type, view;
    std::string text;
    int code;
    std::uint64_t raw;  // the slot afterwards (it starts at 0)
  } cases[] = {
      {S7_TYPE_WORD, HEX, "0x1F", VAR_VALUE_OK, 31},
      {S7_TYPE_WORD, HEX, "0X1F", VAR_VALUE_OK, 31},
      {S7_TYPE_WORD, HEX, "1f", VAR_VALUE_PREFIX, 0},
      {S7_TYPE_WORD, HEX, "0x10000", VAR_VALUE_ABOVE, 0},
      {S7_TYPE_INT, SDEC, "-32768", VAR_VALUE_OK, 0x8000},
      {S7_TYPE_INT, SDEC, "-32769", VAR_VALUE_BELOW, 0},
      {S7_TYPE_DWORD, DEC, "4294967295", VAR_VALUE_OK, 0xFFFFFFFF},
      {S7_TYPE_WORD, DEC, "1 000", VAR_VALUE_OK, 1000},
      {S7_TYPE_TIMER, TIME, "1m30s", VAR_VALUE_OK, 90000},
      {S7_TYPE_TIMER, TIME, "30s1m", VAR_VALUE_TIME_ORDER, 0},
      {S7_TYPE_TIMER, TIME, "2h47m", VAR_VALUE_ABOVE, 0},
      {S7_TYPE_CHAR, CHR, "A", VAR_VALUE_OK, 65},
      {S7_TYPE_CHAR, CHR, "#65", VAR_VALUE_OK, 65},
      {S7_TYPE_CHAR, CHR, "AB", VAR_VALUE_CHAR, 0},
      // The Char mode takes the byte as it came through the converter, never
      // folded: "ő" is 0xF5 and "Ő" stays 0xD5, on any system code page.
      {S7_TYPE_CHAR, CHR, Cp1250(u"ő"), VAR_VALUE_OK, 0xF5},
      {S7_TYPE_CHAR, CHR, Cp1250(u"Ő"), VAR_VALUE_OK, 0xD5},
      {S7_TYPE_BYTE, CHR, Cp1250(u"ű"), VAR_VALUE_OK, 0xFB},
      // The whole text is judged, however long: valid within its first 255
      // characters is not enough.
      {S7_TYPE_WORD, HEX, "0x1" + std::string(253, ' '), VAR_VALUE_TOO_LONG, 0},
      {S7_TYPE_WORD, HEX, "0x1" + std::string(252, ' '), VAR_VALUE_OK, 1},
      {S7_TYPE_WORD, DEC, std::string(300, '1'), VAR_VALUE_TOO_LONG, 0},
  };
  for (const Case& c : cases) {
    Session s(c.type, c.view);
    const auto what = ::testing::Message() << "type " << c.type << " view " << c.view << " \"" << c.text << "\"";
    EXPECT_EQ(ElementEdit_Typed(&s.e, c.text.c_str()), c.code) << what;
    EXPECT_EQ(s.e.invalid, c.code != VAR_VALUE_OK) << what;
    EXPECT_EQ(s.t.Raw(0), c.raw) << what;
  }
}

TEST(ElementEdit, AnInvalidTextKeepsTheLastValidValue) {
  Session s(S7_TYPE_INT, SDEC);
  ASSERT_EQ(ElementEdit_Typed(&s.e, "-5"), VAR_VALUE_OK);
  EXPECT_EQ(ElementEdit_Typed(&s.e, "-5x"), VAR_VALUE_NUMBER);
  EXPECT_EQ(s.t.Raw(0), 0xFFFBu);
  EXPECT_TRUE(s.e.invalid);
  EXPECT_EQ(s.Field(), "-5");
  EXPECT_FALSE(s.e.invalid) << "a field the dialog writes itself is valid";
  // A letter code page 1250 lacks reaches the session as no text at all.
  EXPECT_NE(ElementEdit_Typed(&s.e, nullptr), VAR_VALUE_OK);
  EXPECT_TRUE(s.e.invalid);
  EXPECT_EQ(s.t.Raw(0), 0xFFFBu);
}

TEST(ElementEdit, SpinnerSteps) {
  struct Case {
    int type, view;
    std::int64_t from;
    int delta;
    bool moved;
    std::int64_t to;
  } cases[] = {
      {S7_TYPE_INT, SDEC, -32768, -1, false, -32768},  // stops at both ends
      {S7_TYPE_INT, SDEC, 32767, 1, false, 32767},
      {S7_TYPE_INT, SDEC, 32700, 100, true, 32767},
      {S7_TYPE_DINT, SDEC, 0, -1, true, -1},           // below zero
      {S7_TYPE_DINT, SDEC, -5, -1000, true, -1005},
      {S7_TYPE_DWORD, DEC, 0, 1, true, 1},
      {S7_TYPE_DWORD, DEC, 1, 1000, true, 1001},       // held: steps of 1000
      {S7_TYPE_DWORD, DEC, 4294967295, 1, false, 4294967295},
      {S7_TYPE_DWORD, DEC, 4294967000, 1000000, true, 4294967295},
      {S7_TYPE_BYTE, SDEC, 127, 1, false, 127},
      {S7_TYPE_BIT, BIN, 0, 1, true, 1},
      {S7_TYPE_TIMER, DEC, 9989000, 100000, true, 9990000},
  };
  for (const Case& c : cases) {
    Session s(c.type, c.view);
    const auto what = ::testing::Message() << "type " << c.type << " from " << c.from << " by " << c.delta;
    ASSERT_EQ(Var_PutElement(0, s.t.get(), c.from, nullptr), 1);
    char text[kVarValueTextMax];
    Var_FormatValue({.bareCharacter = true}, 0, s.t.get(), text);
    ASSERT_EQ(ElementEdit_Typed(&s.e, text), VAR_VALUE_OK) << what;
    EXPECT_EQ(s.e.controls.position, Var_SpinnerPosition(&s.e.controls.spin, c.from)) << what;
    EXPECT_EQ(ElementEdit_Step(&s.e, c.delta), c.moved) << what;
    EXPECT_EQ(s.e.value, c.to) << what;
    std::int64_t stored = 0;
    Var_GetElement(0, s.t.get(), &stored, nullptr);
    EXPECT_EQ(stored, c.to) << what;
  }
  // The spinner of 0-4294967295 counts from -2^31.
  Session dword(S7_TYPE_DWORD, DEC);
  EXPECT_EQ(dword.e.controls.position, INT32_MIN);
  ASSERT_EQ(dword.e.controls.spin.accelCount, 3);
  EXPECT_EQ(dword.e.controls.spin.accel[1].seconds, 2);
  EXPECT_EQ(dword.e.controls.spin.accel[1].step, 1000);
  Session real(S7_TYPE_REAL, RL);
  EXPECT_FALSE(ElementEdit_Step(&real.e, 1)) << "no spinner in the Real mode";
}

// The number field's view of the spinner: the range in values (its 32-bit
// positions are the values moved by the offset) and the steps, 1 only where
// the element has no acceleration.
TEST(ElementEdit, SpinnerAsTheNumberFieldTakesIt) {
  struct Case {
    int type, view;
    std::int64_t min, max;
    std::vector<std::pair<int, int>> steps;  // seconds, step
  } cases[] = {
      {S7_TYPE_DWORD, DEC, 0, 4294967295, {{0, 1}, {2, 1000}, {10, 1000000}}},
      {S7_TYPE_DINT, SDEC, INT32_MIN, INT32_MAX, {{0, 1}, {2, 1000}, {10, 1000000}}},
      {S7_TYPE_INT, SDEC, -32768, 32767, {{0, 1}, {2, 100}}},
      {S7_TYPE_COUNTER, DEC, 0, 999, {{0, 1}, {2, 100}}},
      {S7_TYPE_TIMER, DEC, 0, 9990000, {{0, 1}, {2, 1000}, {10, 100000}}},
      {S7_TYPE_CHAR, CHR, 0, 255, {{0, 1}}},
      {S7_TYPE_BIT, BIN, 0, 1, {{0, 1}}},
  };
  for (const Case& c : cases) {
    Session s(c.type, c.view);
    const auto what = ::testing::Message() << "type " << c.type << " view " << c.view;
    ASSERT_TRUE(s.e.controls.spinner) << what;
    const NumberSpec spec = ElementEdit_SpinnerSpec(&s.e);
    EXPECT_EQ(spec.min, c.min) << what;
    EXPECT_EQ(spec.max, c.max) << what;
    std::vector<std::pair<int, int>> steps;
    for (int i = 0; i < spec.stepCount; ++i) steps.emplace_back(spec.steps[i].seconds, spec.steps[i].step);
    EXPECT_EQ(steps, c.steps) << what;
    EXPECT_EQ(spec.min - s.e.controls.spin.offset, s.e.controls.spin.low) << what;
    EXPECT_EQ(spec.max - s.e.controls.spin.offset, s.e.controls.spin.high) << what;
  }
}

TEST(ElementEdit, ChoosingAModeStoresItAtOnce) {
  Session s(S7_TYPE_WORD, 0);
  ASSERT_EQ(ElementEdit_Typed(&s.e, "0x1f"), VAR_VALUE_OK);
  int list[8], count = 0;
  EXPECT_EQ(ElementEdit_Modes(&s.e, list, &count), 0) << "Default";
  ASSERT_EQ(count, 6);
  EXPECT_EQ(list[0], IDS_VIEW_DEFAULT);
  int dec = -1, dateTime = -1;
  for (int i = 0; i < count; ++i) {
    if (list[i] == IDS_VIEW_DEC) dec = i;
    if (list[i] == IDS_VIEW_DATE_TIME) dateTime = i;
  }
  EXPECT_TRUE(ElementEdit_ChooseMode(&s.e, dec));
  EXPECT_EQ(s.t->views[0], VAR_VIEW_DEC);
  EXPECT_EQ(s.Field(), "31");
  EXPECT_TRUE(s.e.controls.spinner);
  EXPECT_FALSE(ElementEdit_ChooseMode(&s.e, dec)) << "the same mode again";
  EXPECT_TRUE(ElementEdit_ChooseMode(&s.e, dateTime));
  EXPECT_FALSE(s.e.controls.spinner);
  EXPECT_TRUE(s.e.controls.datePicker);
  EXPECT_EQ(s.Field(), "1990.02.01");
  EXPECT_FALSE(ElementEdit_ChooseMode(&s.e, 6)) << "not in the list";

  // The name-and-mode dialog stores the mode too, but has no value controls.
  TestVar t(S7_TYPE_WORD, 1);
  ElementEdit e;
  ASSERT_TRUE(ElementEdit_Open(&e, t.get(), 0, Transfer::Read));
  EXPECT_FALSE(ElementEdit_ChooseMode(&e, dec));
  EXPECT_EQ(t->views[0], VAR_VIEW_DEC);
}

// A Date's two bytes reach past the pickers' last day: the date picker could
// not show such a value and would stay on another, so the value field shows
// it and takes a new one. (A time of day past 24 hours shows as its time
// within the day, in the field as in the picker.)
TEST(ElementEdit, ValueBeyondThePickers) {
  const struct {
    int type;
    std::uint64_t raw;
    const char* field;
    bool beyond;
  } cases[] = {
      {S7_TYPE_DATE, 0xFF62, "2168.12.31", false},
      {S7_TYPE_DATE, 0xFF63, "2169.01.01", true},
      {S7_TYPE_DATE, 0xFFFF, "2169.06.06", true},
      {S7_TYPE_TOD, 86399999, "23:59:59.999", false},
  };
  for (const auto& c : cases) {
    TestVar t(c.type, 1);
    t.SetView(0, DT);
    t.SetRaw(0, c.raw);
    ElementEdit e;
    ASSERT_TRUE(ElementEdit_Open(&e, t.get(), 0, Transfer::Write));
    const ElementEditControls& k = e.controls;
    char text[kVarValueTextMax];
    ElementEdit_FieldText(&e, text);
    EXPECT_STREQ(text, c.field);
    EXPECT_TRUE(k.pickers) << c.field;
    EXPECT_EQ(k.valueField, c.beyond) << c.field;
    EXPECT_EQ(k.datePicker || k.timePicker, !c.beyond) << c.field;
    ElementEdit_Close(&e, DialogEnd::Cancel);
  }
}

TEST(ElementEdit, Pickers) {
  const CalendarRecord date = {2021, 3, 0, 4, 7, 7, 7, 0};     // the date picker: its time is stale
  const CalendarRecord time = {1999, 9, 0, 9, 13, 45, 7, 250};  // the time picker: its date is stale
  Session d(S7_TYPE_DATE, DT);
  ASSERT_TRUE(ElementEdit_PickersChanged(&d.e, &date, &time));
  EXPECT_EQ(d.t.Raw(0), 11385u);
  EXPECT_EQ(d.Field(), "2021.03.04");
  Session tod(S7_TYPE_TOD, DT);
  ASSERT_TRUE(ElementEdit_PickersChanged(&tod.e, &date, &time));
  EXPECT_EQ(tod.t.Raw(0), 49507000u) << "13:45:07, milliseconds 0";
  Session dt(S7_TYPE_DATETIME, DT);
  ASSERT_TRUE(ElementEdit_PickersChanged(&dt.e, &date, &time));
  EXPECT_EQ(dt.Field(), "2021.03.04.13:45:07.000") << "each picker answers for its own half";
  ASSERT_TRUE(ElementEdit_PickersChanged(&dt.e, nullptr, &time));
  EXPECT_EQ(dt.Field(), "2021.03.04.13:45:07.000");
  TestVar held(S7_TYPE_DATETIME, 1);
  held.SetView(0, DT);
  ASSERT_EQ(Var_EnterValue(0, held.get(), "2020.01.02.13:45:07.250"), VAR_VALUE_OK);
  ElementEdit e;
  ASSERT_TRUE(ElementEdit_Open(&e, held.get(), 0, Transfer::Write));
  ASSERT_TRUE(ElementEdit_PickersChanged(&e, &date, nullptr));
  char text[kVarValueTextMax];
  ElementEdit_FieldText(&e, text);
  EXPECT_STREQ(text, "2021.03.04.13:45:07.250") << "a new date alone keeps the milliseconds";
  ElementEdit_Close(&e, DialogEnd::Ok);

  // Outside the pickers' range nothing changes.
  const CalendarRecord late = {2090, 1, 0, 1, 0, 0, 0, 0};
  EXPECT_FALSE(ElementEdit_PickersChanged(&dt.e, &late, &time));
  EXPECT_EQ(dt.Field(), "2021.03.04.13:45:07.000");
  const CalendarRecord lastDay = {2168, 12, 0, 31, 0, 0, 0, 0}, tooLate = {2169, 1, 0, 1, 0, 0, 0, 0};
  EXPECT_TRUE(ElementEdit_PickersChanged(&d.e, &lastDay, nullptr));
  EXPECT_FALSE(ElementEdit_PickersChanged(&d.e, &tooLate, nullptr));
  EXPECT_EQ(d.Field(), "2168.12.31");
  Session word(S7_TYPE_WORD, HEX);
  EXPECT_FALSE(ElementEdit_PickersChanged(&word.e, &date, &time)) << "no pickers in the Hex mode";
}

TEST(ElementEdit, OkTellsWhetherAnythingChangedAndCancelPutsItBack) {
  struct Case {
    const char* what;
    const char* value;  // typed, or null
    const char* name;   // set, or null
    int mode;           // list index chosen, or -1
    int result;
  } cases[] = {
      {"nothing", nullptr, nullptr, -1, 0},
      {"the same value typed", "0x0007", nullptr, -1, 0},
      {"the same name with blanks", nullptr, "  pump ", -1, 0},
      {"a value", "0x8", nullptr, -1, 1},
      {"a name", nullptr, "valve", -1, 1},
      {"a mode", nullptr, nullptr, 2, 1},
      {"all three", "0x9", "valve", 3, 1},
  };
  for (const Case& c : cases) {
    for (bool ok : {true, false}) {
      TestVar t(S7_TYPE_WORD, 3);
      Var_PutElement(1, t.get(), 7, nullptr);
      Var_SetElementName(t.get(), 1, "pump");
      const PlcVariable before = t.v;
      std::uint8_t block[3 * 4 * 2 + 3 * 25];
      std::memcpy(block, t->values, sizeof block);
      ElementEdit e;
      ASSERT_TRUE(ElementEdit_Open(&e, t.get(), 1, Transfer::Write));
      if (c.value) {
        ASSERT_EQ(ElementEdit_Typed(&e, c.value), VAR_VALUE_OK) << c.what;
      }
      if (c.name) ElementEdit_SetName(&e, c.name);
      if (c.mode >= 0) ElementEdit_ChooseMode(&e, c.mode);
      EXPECT_EQ(ElementEdit_Close(&e, ok ? DialogEnd::Ok : DialogEnd::Cancel), ok ? c.result : 0) << c.what << (ok ? " OK" : " Cancel");
      if (!ok) {
        EXPECT_EQ(std::memcmp(block, t->values, sizeof block), 0) << c.what << ": Cancel restores all";
        EXPECT_EQ(std::memcmp(&t.v, &before, sizeof before), 0);
      }
    }
  }
}

TEST(ElementEdit, NoSessionOutsideTheVariable) {
  TestVar t(S7_TYPE_WORD, 2);
  ElementEdit e;
  EXPECT_FALSE(ElementEdit_Open(&e, t.get(), 2, Transfer::Write));
  EXPECT_FALSE(ElementEdit_Open(&e, t.get(), -1, Transfer::Write));
  EXPECT_FALSE(ElementEdit_Open(&e, nullptr, 0, Transfer::Write));
  EXPECT_EQ(ElementEdit_Typed(&e, "0x1"), VAR_VALUE_NO_ELEMENT);
  EXPECT_FALSE(ElementEdit_Step(&e, 1));
  EXPECT_EQ(ElementEdit_Close(&e, DialogEnd::Ok), 0);
  PlcVariable noBlock{};
  Var_Init(1, S7_TYPE_WORD, S7_AREA_FLAGS, 2, &noBlock);
  EXPECT_FALSE(ElementEdit_Open(&e, &noBlock, 0, Transfer::Write));
}

// The newer types: a text in the field alone (whole, however long), a
// 64-bit value without a spinner, a DTL with pickers and the field for its
// nanoseconds, which a picked date and time keep; Cancel puts a wide slot back.
TEST(ElementEdit, NewerTypes) {
  TestVar text("DB1.DBB0:1 (String[200])");
  ElementEdit e{};
  ASSERT_TRUE(ElementEdit_Open(&e, text.get(), 0, Transfer::Write));
  EXPECT_TRUE(e.controls.valueField);
  EXPECT_FALSE(e.controls.spinner);
  EXPECT_FALSE(e.controls.pickers);
  const std::string long150(150, 'y');
  ASSERT_EQ(ElementEdit_Typed(&e, long150.c_str()), VAR_VALUE_OK);
  EXPECT_EQ(ElementEdit_FieldString(&e), long150);
  EXPECT_EQ(ElementEdit_Close(&e, DialogEnd::Cancel), 0);
  EXPECT_EQ(Var_FormatValueString({}, 0, text.get()), "''") << "Cancel puts the text back";

  Session lint(S7_TYPE_LINT, SDEC);
  EXPECT_TRUE(lint.e.controls.valueField);
  EXPECT_FALSE(lint.e.controls.spinner) << "no 32-bit spinner for 64 bits";
  EXPECT_EQ(ElementEdit_Typed(&lint.e, "-9223372036854775808"), VAR_VALUE_OK);
  EXPECT_EQ(lint.Field(), "-9 223 372 036 854 775 808");
  ElementEdit_Close(&lint.e, DialogEnd::Ok);

  TestVar dtl("DB1.DBB0:1 (DTL)");
  ASSERT_TRUE(ElementEdit_Open(&e, dtl.get(), 0, Transfer::Write));
  EXPECT_TRUE(e.controls.pickers && e.controls.datePicker && e.controls.timePicker);
  EXPECT_TRUE(e.controls.valueField) << "the digits below the second";
  ASSERT_EQ(ElementEdit_Typed(&e, "2024.02.29.12:00:00.123456789"), VAR_VALUE_OK);
  CalendarRecord date = {2025, 3, 0, 1, 0, 0, 0, 0}, time = {2000, 1, 0, 1, 8, 30, 15, 0};
  ASSERT_TRUE(ElementEdit_PickersChanged(&e, &date, &time));
  EXPECT_EQ(ElementEdit_FieldString(&e), "2025.03.01.08:30:15.123456789");
  EXPECT_EQ(dtl.v.values[4], 7) << "1 March 2025 is a Saturday";
  CalendarRecord before1970 = {1969, 12, 0, 31, 0, 0, 0, 0};
  EXPECT_FALSE(ElementEdit_PickersChanged(&e, &before1970, nullptr));
  EXPECT_EQ(ElementEdit_Close(&e, DialogEnd::Ok), 1);
}

}  // namespace
