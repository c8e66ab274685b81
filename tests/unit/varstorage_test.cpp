// A variable's storage when its definition changes: resizing keeps each
// region's first elements in place (values, last-shown copy, views, names),
// and applying a definition decides between keeping, cutting and starting
// afresh, refusing what the library could never take.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tests/support/var_builder.h"
#include "vars/vars.h"

namespace {

constexpr std::uint64_t kDateTime1990 = 0x0200000000010190ull;  // 90 01 01 00 00 00 00 02

// Every element i gets value 100 + i, shown copy 200 + i, view Dec and name "e<i>".
void Fill(PlcVariable* v) {
  for (int i = 0; i < v->count; ++i) {
    ASSERT_EQ(Var_PutElement(i, v, 100 + i, nullptr), 1);
    Var_ShownValues(v)[i * v->slotSize] = static_cast<std::uint8_t>(200 + i);
    v->views[i] = VAR_VIEW_DEC;
    Var_SetElementName(v, i, ("e" + std::to_string(i)).c_str());
  }
}

// Elements below kept hold what Fill gave them, the others are empty.
void ExpectKept(const PlcVariable* v, int kept) {
  for (int i = 0; i < v->count; ++i) {
    std::int64_t value = -1;
    Var_GetElement(i, v, &value, nullptr);
    const bool old = i < kept;
    EXPECT_EQ(value, old ? 100 + i : 0) << "element " << i;
    EXPECT_EQ(Var_ShownValues(v)[i * v->slotSize], old ? 200 + i : 0) << "element " << i;
    EXPECT_EQ(v->views[i], old ? VAR_VIEW_DEC : 0) << "element " << i;
    EXPECT_EQ(std::string(Var_ElementName(v, i)), old ? "e" + std::to_string(i) : "") << "element " << i;
  }
}

TEST(VarResize, EachRegionKeepsItsFirstElements) {
  for (int type : {S7_TYPE_WORD, S7_TYPE_CHAR, S7_TYPE_DATETIME}) {
    for (int newCount : {3, 5, 9, 1}) {
      TestVar t(type, 5);
      Fill(t.get());
      ASSERT_EQ(Var_Resize(t.get(), newCount), 1) << type << " to " << newCount;
      EXPECT_EQ(t->count, newCount);
      EXPECT_EQ(t->bufferSize, t->slotSize * newCount + (type == S7_TYPE_CHAR ? 1 : 0));
      EXPECT_EQ(t->views, t->values + 2 * t->bufferSize);
      EXPECT_EQ(reinterpret_cast<std::uint8_t*>(t->names), t->views + newCount);
      ExpectKept(t.get(), newCount < 5 ? newCount : 5);
      if (type == S7_TYPE_CHAR) {
        EXPECT_EQ(t->values[newCount], 0) << "a Char variable stays a terminated text";
      }
    }
  }
}

TEST(VarResize, RefusedCountsLeaveTheRecordAlone) {
  TestVar t(S7_TYPE_INT, 4);
  Fill(t.get());
  const PlcVariable before = t.v;
  for (int count : {0, -1, kVarCountLimit + 1}) {
    EXPECT_EQ(Var_Resize(t.get(), count), 0) << count;
    EXPECT_EQ(std::memcmp(&t.v, &before, sizeof before), 0) << count;
  }
  ExpectKept(t.get(), 4);
  PlcVariable empty{};
  Var_Init(1, S7_TYPE_WORD, S7_AREA_FLAGS, 2, &empty);
  ASSERT_EQ(Var_Resize(&empty, 3), 1) << "a record without a block gets one";
  ExpectKept(&empty, 0);
  Var_FreeBlock(&empty);
}

VarDefinition Def(int type, int area, int db, int start, int bit, int count) {
  return {type, area, db, start, bit, count};
}

TEST(VarDefinitionApply, ANewRecordStartsEmpty) {
  PlcVariable v{};
  VarDefinition d = Def(S7_TYPE_DATETIME, S7_AREA_DB, 0, 10, 0, 3);
  ASSERT_EQ(Var_ApplyDefinition(&v, &d, VarRecord::New), VAR_DEFINITION_CHANGED);
  EXPECT_EQ(v.dbNumber, 1) << "DB 0 becomes 1 in area DB";
  EXPECT_EQ(v.start, 10);
  EXPECT_EQ(v.count, 3);
  EXPECT_EQ(v.wireSize, 8);
  for (int i = 0; i < 3; ++i) {
    std::uint64_t slot;
    std::memcpy(&slot, v.values + 8 * i, 8);
    EXPECT_EQ(slot, kDateTime1990) << "element " << i << " is 1990-01-01 00:00:00.000, a Monday";
  }
  Var_FreeBlock(&v);

  d = Def(S7_TYPE_WORD, S7_AREA_FLAGS, 7, 0, 0, 1);
  ASSERT_EQ(Var_ApplyDefinition(&v, &d, VarRecord::New), VAR_DEFINITION_CHANGED);
  EXPECT_EQ(v.dbNumber, 0) << "no DB number outside area DB";
  Var_FreeBlock(&v);
}

TEST(VarDefinitionApply, WhatSurvivesAChange) {
  struct Case {
    const char* what;
    VarDefinition d;
    int result;
    bool sameBlock;
    int kept;  // elements that keep value, copy, view and name
  } cases[] = {
      {"nothing changed", Def(S7_TYPE_WORD, S7_AREA_FLAGS, 0, 10, 0, 5), VAR_DEFINITION_SAME, true, 5},
      {"DB number outside DB", Def(S7_TYPE_WORD, S7_AREA_FLAGS, 9, 10, 0, 5), VAR_DEFINITION_SAME, true, 5},
      {"address only", Def(S7_TYPE_WORD, S7_AREA_FLAGS, 0, 20, 0, 5), VAR_DEFINITION_CHANGED, true, 5},
      {"area only", Def(S7_TYPE_WORD, S7_AREA_DB, 4, 10, 0, 5), VAR_DEFINITION_CHANGED, true, 5},
      {"count 5 to 3", Def(S7_TYPE_WORD, S7_AREA_FLAGS, 0, 10, 0, 3), VAR_DEFINITION_CHANGED, false, 3},
      {"count 5 to 8", Def(S7_TYPE_WORD, S7_AREA_FLAGS, 0, 10, 0, 8), VAR_DEFINITION_CHANGED, false, 5},
      {"type Word to Int", Def(S7_TYPE_INT, S7_AREA_FLAGS, 0, 10, 0, 5), VAR_DEFINITION_CHANGED, false, 0},
      {"type and count", Def(S7_TYPE_DINT, S7_AREA_FLAGS, 0, 10, 0, 2), VAR_DEFINITION_CHANGED, false, 0},
  };
  for (const Case& c : cases) {
    TestVar t("MW10:5 (Word)");
    Fill(t.get());
    const std::uint8_t* block = t->values;
    EXPECT_EQ(Var_ApplyDefinition(t.get(), &c.d, VarRecord::Existing), c.result) << c.what;
    VarDefinition now;
    Var_GetDefinition(t.get(), &now);
    EXPECT_EQ(now.dbNumber, c.d.area == S7_AREA_DB ? c.d.dbNumber : 0) << c.what;
    EXPECT_EQ(now.type, c.d.type) << c.what;
    EXPECT_EQ(now.area, c.d.area) << c.what;
    EXPECT_EQ(now.start, c.d.start) << c.what;
    EXPECT_EQ(now.count, c.d.count) << c.what;
    EXPECT_EQ(t->values == block, c.sameBlock) << c.what;
    ExpectKept(t.get(), c.kept);
  }
}

TEST(VarDefinitionApply, DateAndTimeElementsStartIn1990) {
  TestVar t("MW0:4 (Word)");
  Fill(t.get());
  VarDefinition d = Def(S7_TYPE_DATETIME, S7_AREA_FLAGS, 0, 0, 0, 4);
  ASSERT_EQ(Var_ApplyDefinition(t.get(), &d, VarRecord::Existing), VAR_DEFINITION_CHANGED);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(t.Raw(i), kDateTime1990) << "element " << i;
    EXPECT_STREQ(Var_ElementName(t.get(), i), "");
    EXPECT_EQ(t->views[i], 0);
  }
  // Grown: the kept elements keep their value, the new ones start in 1990.
  t.SetRaw(0, 0x0300000000150621ull);
  d.count = 6;
  ASSERT_EQ(Var_ApplyDefinition(t.get(), &d, VarRecord::Existing), VAR_DEFINITION_CHANGED);
  EXPECT_EQ(t.Raw(0), 0x0300000000150621ull);
  EXPECT_EQ(t.Raw(4), kDateTime1990);
  EXPECT_EQ(t.Raw(5), kDateTime1990);
}

TEST(VarDefinitionApply, RefusedDefinitionsLeaveTheRecordAlone) {
  struct Case {
    const char* what;
    VarDefinition d;
  } cases[] = {
      {"count 0: no room left", Def(S7_TYPE_WORD, S7_AREA_FLAGS, 0, 0, 0, 0)},
      {"count above 65,535 bytes", Def(S7_TYPE_WORD, S7_AREA_FLAGS, 0, 0, 0, 32768)},
      {"bit 3, count 8", Def(S7_TYPE_BIT, S7_AREA_FLAGS, 0, 0, 3, 8)},
      {"bit 0, count 12", Def(S7_TYPE_BIT, S7_AREA_FLAGS, 0, 0, 0, 12)},
      {"bit 8", Def(S7_TYPE_BIT, S7_AREA_FLAGS, 0, 0, 8, 1)},
      {"a bit on a Word", Def(S7_TYPE_WORD, S7_AREA_FLAGS, 0, 0, 1, 1)},
      {"type 30", Def(kVarTypeCount, S7_AREA_FLAGS, 0, 0, 0, 1)},
      {"area 6", Def(S7_TYPE_WORD, 6, 0, 0, 0, 1)},
      {"address 32768", Def(S7_TYPE_WORD, S7_AREA_FLAGS, 0, 32768, 0, 1)},
      {"DB 32768", Def(S7_TYPE_WORD, S7_AREA_DB, 32768, 0, 0, 1)},
  };
  for (const Case& c : cases) {
    TestVar t("MW10:5 (Word)");
    Fill(t.get());
    const PlcVariable before = t.v;
    EXPECT_EQ(Var_ApplyDefinition(t.get(), &c.d, VarRecord::Existing), VAR_DEFINITION_REFUSED) << c.what;
    EXPECT_EQ(std::memcmp(&t.v, &before, sizeof before), 0) << c.what;
    PlcVariable fresh{};
    EXPECT_EQ(Var_ApplyDefinition(&fresh, &c.d, VarRecord::New), VAR_DEFINITION_REFUSED) << c.what;
    EXPECT_EQ(fresh.values, nullptr) << c.what;
  }
  // The bit rules' accepted side.
  for (VarDefinition d : {Def(S7_TYPE_BIT, S7_AREA_FLAGS, 0, 0, 0, 8), Def(S7_TYPE_BIT, S7_AREA_FLAGS, 0, 0, 3, 1),
                          Def(S7_TYPE_BIT, S7_AREA_FLAGS, 0, 0, 0, 512)}) {
    PlcVariable v{};
    EXPECT_EQ(Var_ApplyDefinition(&v, &d, VarRecord::New), VAR_DEFINITION_CHANGED) << d.bit << "/" << d.count;
    Var_FreeBlock(&v);
  }
}

TEST(VarDefinitionApply, AnExistingRecordWithoutStorageGetsIt) {
  PlcVariable v{};
  Var_Init(1, S7_TYPE_DATETIME, S7_AREA_FLAGS, 2, &v);
  VarDefinition d = Def(S7_TYPE_DATETIME, S7_AREA_FLAGS, 0, 8, 0, 2);
  ASSERT_EQ(Var_ApplyDefinition(&v, &d, VarRecord::Existing), VAR_DEFINITION_CHANGED);
  ASSERT_NE(v.values, nullptr);
  std::uint64_t slot;
  std::memcpy(&slot, v.values + 8, 8);
  EXPECT_EQ(slot, kDateTime1990);
  Var_FreeBlock(&v);
}

}  // namespace
