// The variable table: entries stay contiguous from 0 with free ones zero
// whether a variable is removed, taken out with its block, or put in before
// any entry; a full table takes nothing.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "vars/vars.h"

namespace {

struct Table {
  VariableTable t{};
  explicit Table(int count) {
    for (int i = 0; i < count; ++i) {
      char definition[32];
      FormatText(definition, "MW%d:1 (Word)", 2 * i);
      EXPECT_EQ(Var_ParseDefinition(definition, &t.vars[t.count++]), 1);
    }
  }
  ~Table() { VarTable_Clear(&t); }
  // The start addresses in table order: which variable is where.
  std::vector<int> Starts() const {
    std::vector<int> starts;
    for (int i = 0; i < t.count; ++i) starts.push_back(t.vars[i].start);
    return starts;
  }
  void ExpectFreeFrom(int first) const {
    const PlcVariable zero{};
    for (int i = first; i < kVarTableSize; ++i)
      EXPECT_EQ(std::memcmp(&t.vars[i], &zero, sizeof zero), 0) << "entry " << i;
  }
};

TEST(VarTable, RemoveClosesTheGapAndZeroesTheLastEntry) {
  Table table(3);
  VarTable_Remove(&table.t, 0);
  EXPECT_EQ(table.Starts(), (std::vector<int>{2, 4}));
  table.ExpectFreeFrom(2);
  VarTable_Remove(&table.t, 2);  // not in use: nothing happens
  EXPECT_EQ(table.t.count, 2);
  VarTable_Clear(&table.t);
  EXPECT_EQ(table.t.count, 0);
  table.ExpectFreeFrom(0);
}

TEST(VarTable, TakeOutHandsTheBlockOverAndInsertPutsItAnywhere) {
  Table table(4);
  const std::uint8_t* block = table.t.vars[1].values;
  PlcVariable out{};
  ASSERT_EQ(VarTable_TakeOut(&table.t, 1, &out), 1);
  EXPECT_EQ(out.start, 2);
  EXPECT_EQ(out.values, block) << "the block goes with the variable, still alive";
  EXPECT_EQ(table.Starts(), (std::vector<int>{0, 4, 6}));
  table.ExpectFreeFrom(3);

  struct Case {
    int index, expectedAt;
    std::vector<int> starts;
  } cases[] = {
      {0, 0, {2, 0, 4, 6}},
      {2, 2, {0, 4, 2, 6}},
      {3, 3, {0, 4, 6, 2}},
      {9, 3, {0, 4, 6, 2}},   // beyond the entries: appended
      {-1, 3, {0, 4, 6, 2}},  // none: appended
  };
  for (const Case& c : cases) {
    EXPECT_EQ(VarTable_Insert(&table.t, c.index, &out), c.expectedAt) << c.index;
    EXPECT_EQ(table.Starts(), c.starts) << c.index;
    ASSERT_EQ(VarTable_TakeOut(&table.t, c.expectedAt, &out), 1);
  }
  EXPECT_EQ(VarTable_TakeOut(&table.t, 3, &out), 0) << "not in use";
  EXPECT_EQ(VarTable_TakeOut(&table.t, -1, &out), 0);
  EXPECT_EQ(out.values, block);
  Var_FreeBlock(&out);
}

TEST(VarTable, AFullTableTakesNothing) {
  Table table(kVarTableSize);
  PlcVariable extra{};
  ASSERT_EQ(Var_ParseDefinition("MB100:1 (Byte)", &extra), 1);
  EXPECT_EQ(VarTable_Insert(&table.t, 0, &extra), -1);
  EXPECT_EQ(table.t.count, kVarTableSize);
  EXPECT_EQ(table.t.vars[0].start, 0);
  Var_FreeBlock(&extra);
  EXPECT_EQ(VarTable_Count(&table.t), kVarTableSize);
  table.t.count = kVarTableSize + 99;  // a count the table cannot hold is read as full
  EXPECT_EQ(VarTable_Count(&table.t), kVarTableSize);
  table.t.count = -3;
  EXPECT_EQ(VarTable_Count(&table.t), 0);
  table.t.count = kVarTableSize;
}

}  // namespace
