// The variable definition dialog's rules without a window or a PLC: areas by
// type, the DB number by area, the count bounded by the capacity the library
// reports, the rules for runs of bits, the OK rule with its reason, and what
// OK does to the record.
#include <gtest/gtest.h>

#include <vector>

#include "app/vardefine.h"
#include "tests/support/var_builder.h"

namespace {

constexpr VarCapacity kRoom = {S7_OK, 100};

// A fresh state with the start values, type and area applied with room.
VarDefineState Fresh(int type = S7_TYPE_WORD, VarCapacity capacity = kRoom) {
  VarDefineState s;
  VarDefine_Reset(&s);
  VarDefine_SelectType(&s, type);
  VarDefine_ApplyTypeAndArea(&s, capacity);
  return s;
}

std::vector<int> Areas(const VarDefineState& s, int* selected = nullptr) {
  int areas[4];
  int at = -1;
  const int n = VarDefine_Areas(&s, areas, &at);
  if (selected) *selected = at;
  return std::vector<int>(areas, areas + n);
}

TEST(VarDefine, StartValues) {
  VarDefineState s;
  VarDefine_Reset(&s);
  EXPECT_EQ(s.type, S7_TYPE_WORD);
  EXPECT_EQ(s.area, S7_AREA_FLAGS);
  EXPECT_EQ(s.field[kDefineDb].value, 0);
  EXPECT_EQ(s.field[kDefineAddress].value, 0);
  EXPECT_EQ(s.field[kDefineBit].value, 0);
  EXPECT_EQ(s.field[kDefineCount].value, 1);
}

TEST(VarDefine, AreasByType) {
  VarDefineState s = Fresh(S7_TYPE_TIMER);
  EXPECT_EQ(Areas(s), std::vector<int>{S7_AREA_TIMERS}) << "a Timer lives in \"S5 idő\" only";
  EXPECT_EQ(s.area, static_cast<int>(S7_AREA_TIMERS));
  VarDefine_SelectType(&s, S7_TYPE_WORD);
  VarDefine_ApplyTypeAndArea(&s, kRoom);
  int selected = -1;
  EXPECT_EQ(Areas(s, &selected), (std::vector<int>{0, 1, 2, 3}));
  EXPECT_EQ(s.area, static_cast<int>(S7_AREA_FLAGS)) << "back from the timers to \"Merker\"";
  EXPECT_EQ(selected, 2);
  VarDefine_SelectType(&s, S7_TYPE_COUNTER);
  VarDefine_ApplyTypeAndArea(&s, kRoom);
  EXPECT_EQ(Areas(s, &selected), std::vector<int>{S7_AREA_COUNTERS});
  EXPECT_EQ(selected, 0);
  VarDefine_SelectType(&s, S7_TYPE_REAL);
  VarDefine_SelectArea(&s, 3);
  VarDefine_ApplyTypeAndArea(&s, kRoom);
  EXPECT_EQ(s.area, static_cast<int>(S7_AREA_DB));
}

TEST(VarDefine, DataBlockByArea) {
  VarDefineState s = Fresh();
  EXPECT_FALSE(s.field[kDefineDb].enabled);
  VarDefine_SelectArea(&s, S7_AREA_DB);
  VarDefine_ApplyTypeAndArea(&s, kRoom);
  EXPECT_EQ(s.field[kDefineDb].value, 1) << "DB 0 shows as 1";
  EXPECT_EQ(s.field[kDefineDb].min, 1);
  EXPECT_TRUE(s.field[kDefineDb].enabled);
  EXPECT_FALSE(VarDefine_Typed(&s, kDefineDb, "0"));
  EXPECT_TRUE(VarDefine_Typed(&s, kDefineDb, "12"));
  VarDefine_SelectArea(&s, S7_AREA_FLAGS);
  VarDefine_ApplyTypeAndArea(&s, kRoom);
  EXPECT_EQ(s.field[kDefineDb].value, 0);
  EXPECT_EQ(s.field[kDefineDb].min, 0);
  EXPECT_FALSE(s.field[kDefineDb].enabled);
  EXPECT_FALSE(s.field[kDefineDb].invalid);
}

TEST(VarDefine, CountFromTheCapacity) {
  struct Case {
    int type;
    VarCapacity capacity;
    int count;  // asked for before applying
    int value, min, max;
    bool enabled;
    int refusal;
  } cases[] = {
      {S7_TYPE_WORD, {S7_OK, 10}, 50, 10, 1, 10, true, 0},
      {S7_TYPE_WORD, {S7_OK, 10}, 0, 1, 1, 10, true, 0},
      {S7_TYPE_BIT, {S7_OK, 10}, 80, 80, 1, 80, true, 0},         // bytes to bits
      {S7_TYPE_BIT, {S7_OK, 9000}, 1, 1, 1, 65528, true, 0},      // never above the type's most
      {S7_TYPE_BYTE, {S7_OK, 70000}, 942, 942, 1, 65535, true, 0},
      {S7_TYPE_WORD, {S7_OK, 70000}, 40000, 32767, 1, 32767, true, 0},
      {S7_TYPE_WORD, {S7_OK, 0}, 5, 0, 0, 0, false, IDS_DLG_DEFINE_NO_ROOM},
      {S7_TYPE_WORD, {S7_ERR_NOT_CONNECTED, 0}, 5, 0, 0, 0, false, IDS_ERR_OK + S7_ERR_NOT_CONNECTED},
      {S7_TYPE_WORD, {S7_ERR_BAD_REQUEST, 7}, 5, 0, 0, 0, false, IDS_ERR_OK + S7_ERR_BAD_REQUEST},
  };
  for (const Case& c : cases) {
    VarDefineState s = Fresh(c.type);
    s.field[kDefineCount].value = c.count;
    VarDefine_ApplyTypeAndArea(&s, c.capacity);
    const VarDefineField& f = s.field[kDefineCount];
    const auto what = ::testing::Message() << "type " << c.type << " capacity " << c.capacity.count;
    EXPECT_EQ(f.value, c.value) << what;
    EXPECT_EQ(f.min, c.min) << what;
    EXPECT_EQ(f.max, c.max) << what;
    EXPECT_EQ(f.enabled, c.enabled) << what;
    EXPECT_EQ(f.invalid, !c.enabled) << what << ": no room is an invalid count";
    EXPECT_EQ(VarDefine_Refusal(&s), c.refusal) << what;
    EXPECT_EQ(VarDefine_CanConfirm(&s), c.refusal == 0) << what;
  }
}

TEST(VarDefine, RunsOfBits) {
  struct Case {
    int bit, count;
    bool ok;
  } cases[] = {{3, 8, false}, {0, 8, true}, {3, 1, true}, {0, 12, false}, {0, 16, true}, {7, 2, false}};
  for (const Case& c : cases) {
    VarDefineState s = Fresh(S7_TYPE_BIT);
    EXPECT_TRUE(s.field[kDefineBit].enabled);
    s.field[kDefineBit].value = c.bit;
    s.field[kDefineCount].value = c.count;
    EXPECT_EQ(VarDefine_CanConfirm(&s), c.ok) << "bit " << c.bit << " count " << c.count;
    EXPECT_EQ(VarDefine_Refusal(&s), c.ok ? 0 : IDS_DLG_DEFINE_BIT_RULE) << "bit " << c.bit << " count " << c.count;
  }
  VarDefineState s = Fresh(S7_TYPE_BIT);
  s.field[kDefineBit].value = 5;
  VarDefine_SelectType(&s, S7_TYPE_BYTE);
  EXPECT_EQ(s.field[kDefineBit].value, 0) << "only a Bit has a bit number";
  VarDefine_ApplyTypeAndArea(&s, kRoom);
  EXPECT_FALSE(s.field[kDefineBit].enabled);
}

TEST(VarDefine, TypingAndStepping) {
  VarDefineState s = Fresh();
  struct Case {
    int field;
    const char* text;
    bool valid;
    int value;  // afterwards: the last valid one
  } cases[] = {
      {kDefineAddress, "12", true, 12},      {kDefineAddress, "12a", false, 12},
      {kDefineAddress, "", false, 12},       {kDefineAddress, "32768", false, 12},
      {kDefineAddress, "-1", false, 12},     {kDefineAddress, "32767", true, 32767},
      {kDefineCount, "100", true, 100},      {kDefineCount, "101", false, 100},
      {kDefineCount, "0", false, 100},       {kDefineCount, "1 0", false, 100},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(VarDefine_Typed(&s, c.field, c.text), c.valid) << c.text;
    EXPECT_EQ(s.field[c.field].invalid, !c.valid) << c.text;
    EXPECT_EQ(s.field[c.field].value, c.value) << c.text;
    EXPECT_EQ(VarDefine_CanConfirm(&s), c.valid) << c.text;
  }
  EXPECT_EQ(VarDefine_Refusal(&s), IDS_DLG_DEFINE_INVALID);
  EXPECT_EQ(VarDefine_Step(&s, kDefineCount, 10), 100) << "clamped at the capacity";
  EXPECT_FALSE(s.field[kDefineCount].invalid) << "an arrow writes a valid value";
  EXPECT_EQ(VarDefine_Step(&s, kDefineCount, -1000), 1);
  EXPECT_EQ(VarDefine_Step(&s, kDefineAddress, 100), 32767);
  EXPECT_EQ(VarDefine_FastStep(kDefineDb), 100);
  EXPECT_EQ(VarDefine_FastStep(kDefineAddress), 100);
  EXPECT_EQ(VarDefine_FastStep(kDefineBit), 0);
  EXPECT_EQ(VarDefine_FastStep(kDefineCount), 10);

  // What the dialog's number fields get: the range as it stands, 1 and,
  // held for 2 s, the fast step.
  const NumberSpec count = VarDefine_FieldSpec(&s, kDefineCount);
  EXPECT_EQ(count.min, 1);
  EXPECT_EQ(count.max, 100);
  ASSERT_EQ(count.stepCount, 2);
  EXPECT_EQ(count.steps[0].seconds * 1000 + count.steps[0].step, 1);
  EXPECT_EQ(count.steps[1].seconds * 1000 + count.steps[1].step, 2010);
  const NumberSpec bit = VarDefine_FieldSpec(&s, kDefineBit);
  EXPECT_EQ(bit.max, 7);
  ASSERT_EQ(bit.stepCount, 1) << "the bit number steps by 1 however long it is held";
  EXPECT_EQ(bit.steps[0].step, 1);
  EXPECT_EQ(VarDefine_FieldSpec(&s, kDefineAddress).steps[1].step, 100);
}

TEST(VarDefine, OpeningLoadsAnExistingVariableOrKeepsTheLast) {
  VarDefineState s = Fresh(S7_TYPE_INT);
  s.field[kDefineAddress].value = 40;
  s.field[kDefineAddress].invalid = true;
  VarDefine_Open(&s, nullptr);
  EXPECT_EQ(s.type, S7_TYPE_INT);
  EXPECT_EQ(s.field[kDefineAddress].value, 40);
  EXPECT_FALSE(s.field[kDefineAddress].invalid);
  TestVar v("DB7.DBX3.0:16 (Bit)");
  VarDefine_Open(&s, v.get());
  VarDefine_ApplyTypeAndArea(&s, kRoom);
  VarDefinition d;
  VarDefine_Definition(&s, &d);
  EXPECT_EQ(d.type, S7_TYPE_BIT);
  EXPECT_EQ(d.area, S7_AREA_DB);
  EXPECT_EQ(d.dbNumber, 7);
  EXPECT_EQ(d.start, 3);
  EXPECT_EQ(d.count, 16);
  EXPECT_EQ(VarDefine_Confirm(&s, v.get(), VarRecord::Existing), VAR_DEFINITION_SAME);
}

TEST(VarDefine, ConfirmChangesTheRecord) {
  // Only the count: the first elements keep their values and names.
  TestVar v("MW0:5 (Word)");
  for (int i = 0; i < 5; ++i) {
    Var_PutElement(i, v.get(), 10 + i, nullptr);
    Var_SetElementName(v.get(), i, i == 2 ? "third" : "x");
  }
  VarDefineState s = Fresh();
  VarDefine_Open(&s, v.get());
  VarDefine_ApplyTypeAndArea(&s, kRoom);
  ASSERT_TRUE(VarDefine_Typed(&s, kDefineCount, "3"));
  ASSERT_EQ(VarDefine_Confirm(&s, v.get(), VarRecord::Existing), VAR_DEFINITION_CHANGED);
  EXPECT_EQ(v->count, 3);
  EXPECT_EQ(v.Raw(2), 12u);
  EXPECT_STREQ(Var_ElementName(v.get(), 2), "third");

  // Word to Date&Time: every element starts at 1990-01-01 00:00:00.000.
  VarDefine_SelectType(&s, S7_TYPE_DATETIME);
  VarDefine_ApplyTypeAndArea(&s, kRoom);
  ASSERT_EQ(VarDefine_Confirm(&s, v.get(), VarRecord::Existing), VAR_DEFINITION_CHANGED);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(v.Raw(i), 0x0200000000010190ull) << i;
    EXPECT_EQ(v.Text(i), "1990.01.01.00:00:00.000") << i;
    EXPECT_STREQ(Var_ElementName(v.get(), i), "");
  }

  // No room: OK is refused and the record stays as it is.
  VarDefine_ApplyTypeAndArea(&s, {S7_OK, 0});
  const PlcVariable before = v.v;
  EXPECT_EQ(VarDefine_Confirm(&s, v.get(), VarRecord::Existing), VAR_DEFINITION_REFUSED);
  EXPECT_EQ(std::memcmp(&v.v, &before, sizeof before), 0);
  PlcVariable scratch{};
  EXPECT_EQ(VarDefine_Confirm(&s, &scratch, VarRecord::New), VAR_DEFINITION_REFUSED);
  EXPECT_EQ(scratch.values, nullptr) << "no variable with an empty element storage";
}

// A String's or WString's maximum: its own field, enabled for texts only,
// ranged by the type, held to 65,535 bytes with the count, and what OK
// defines; an existing text opens with its own.
TEST(VarDefine, TheMaximumOfATextAndWhatOkDefines) {
  VarDefineState s = Fresh();
  EXPECT_FALSE(s.field[kDefineTextMax].enabled);
  VarDefine_SelectType(&s, S7_TYPE_STRING);
  VarDefine_ApplyTypeAndArea(&s, {S7_OK, 1000});
  EXPECT_TRUE(s.field[kDefineTextMax].enabled);
  EXPECT_EQ(s.field[kDefineTextMax].value, 254);
  EXPECT_EQ(s.field[kDefineTextMax].max, 254);
  EXPECT_FALSE(VarDefine_Typed(&s, kDefineTextMax, "255"));
  ASSERT_TRUE(VarDefine_Typed(&s, kDefineTextMax, "20"));
  ASSERT_TRUE(VarDefine_Typed(&s, kDefineCount, "2"));
  EXPECT_EQ(VarDefine_Refusal(&s), 0);
  TestVar v("MW0:1 (Word)");
  ASSERT_EQ(VarDefine_Confirm(&s, v.get(), VarRecord::Existing), VAR_DEFINITION_CHANGED);
  EXPECT_EQ(v.Address(0, 0, 1, 1), "MB0:2 (String[20])");
  EXPECT_EQ(v.Text(1), "''") << "a fresh text is empty";

  // WString[16382] is 32,768 bytes: twice is too much.
  VarDefine_SelectType(&s, S7_TYPE_WSTRING);
  VarDefine_ApplyTypeAndArea(&s, {S7_OK, 1000});
  EXPECT_EQ(s.field[kDefineTextMax].max, 16382);
  ASSERT_TRUE(VarDefine_Typed(&s, kDefineTextMax, "16382"));
  EXPECT_EQ(VarDefine_Refusal(&s), IDS_DLG_DEFINE_TEXT_BYTES);
  ASSERT_TRUE(VarDefine_Typed(&s, kDefineCount, "1"));
  EXPECT_EQ(VarDefine_Refusal(&s), 0);

  // Back to a String: the maximum is held to its range.
  VarDefine_SelectType(&s, S7_TYPE_STRING);
  VarDefine_ApplyTypeAndArea(&s, {S7_OK, 1000});
  EXPECT_EQ(s.field[kDefineTextMax].value, 254);

  VarDefineState other = Fresh();
  VarDefine_Open(&other, v.get());
  VarDefine_ApplyTypeAndArea(&other, {S7_OK, 1000});
  EXPECT_EQ(other.field[kDefineTextMax].value, 20);
  EXPECT_TRUE(other.field[kDefineTextMax].enabled);
}

}  // namespace
