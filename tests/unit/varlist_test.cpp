// The variable list dialog's rules without a window: the buttons, a
// selection that never points past the table or past the selected
// variable's elements, and the table operations behind the buttons, which
// keep the list and the table in step.
#include <gtest/gtest.h>

#include <vector>

#include "app/varlist.h"

namespace {

// A table of one-word variables MW0, MW2, … and counts as given.
struct Table {
  VariableTable t{};
  explicit Table(std::vector<int> counts) {
    for (int count : counts) {
      char definition[40];
      FormatText(definition, "MW%d:%d (Word)", 2 * t.count, count);
      EXPECT_EQ(Var_ParseDefinition(definition, &t.vars[t.count++]), 1) << definition;
    }
  }
  ~Table() { VarTable_Clear(&t); }
  std::vector<int> Starts() const {
    std::vector<int> starts;
    for (int i = 0; i < t.count; ++i) starts.push_back(t.vars[i].start);
    return starts;
  }
};

TEST(VarListButtons, ByTableAndSelection) {
  struct Case {
    int variables, selected, element;
    VarListButtons expected;  // append, insert, modify, remove, edit, ok
  } cases[] = {
      {0, -1, -1, {true, false, false, false, false, false}},
      {3, -1, -1, {true, false, false, false, false, true}},
      {3, 1, -1, {true, true, true, true, false, true}},
      {3, 1, 0, {true, true, true, true, true, true}},
      {3, -1, 0, {true, false, false, false, false, true}},   // an element line needs its variable
      {3, 1, 4, {true, true, true, true, false, true}},      // past the variable's elements
      {3, 7, -1, {true, false, false, false, false, true}},  // past the table
      {kVarTableSize, kVarTableSize - 1, 0, {false, false, true, true, true, true}},
      {kVarTableSize, -1, -1, {false, false, false, false, false, true}},
  };
  for (const Case& c : cases) {
    Table table(std::vector<int>(static_cast<std::size_t>(c.variables), 2));
    const VarListSelection selection{c.selected, c.element, -1};
    const VarListButtons b = VarList_Buttons(&selection, &table.t);
    const VarListButtons& e = c.expected;
    const auto what = ::testing::Message() << c.variables << " variables, " << c.selected << "/" << c.element;
    EXPECT_EQ(b.append, e.append) << what;
    EXPECT_EQ(b.insert, e.insert) << what;
    EXPECT_EQ(b.modify, e.modify) << what;
    EXPECT_EQ(b.remove, e.remove) << what;
    EXPECT_EQ(b.edit, e.edit) << what;
    EXPECT_EQ(b.ok, e.ok) << what;
  }
}

TEST(VarListSelection, ElementLinesStayWithinTheSelectedVariable) {
  Table table({8, 2});
  VarListSelection s;
  VarList_SelectVariable(&s, &table.t, 0);
  VarList_SelectElement(&s, &table.t, 7);
  EXPECT_EQ(s.element, 7);
  EXPECT_EQ(s.lastElement, 7);
  // Another variable: its element list is built anew, and the old line
  // would lie beyond its two elements.
  VarList_SelectVariable(&s, &table.t, 1);
  EXPECT_EQ(s.element, -1);
  EXPECT_EQ(s.lastElement, -1);
  EXPECT_EQ(VarList_ElementToEdit(&s, &table.t, EditAsk::DoubleClick), -1) << "nothing to edit, never element 7 of two";
  VarList_SelectElement(&s, &table.t, 7);
  EXPECT_EQ(s.element, -1);
  VarList_SelectElement(&s, &table.t, 1);
  EXPECT_EQ(VarList_ElementToEdit(&s, &table.t, EditAsk::Button), 1);
  VarList_SelectVariable(&s, &table.t, 5);
  EXPECT_EQ(s.variable, -1) << "no such variable";
}

TEST(VarListSelection, DoubleClickAfterTheFirstClickDeselected) {
  Table table({4});
  VarListSelection s;
  VarList_SelectVariable(&s, &table.t, 0);
  VarList_SelectElement(&s, &table.t, 2);
  VarList_SelectElement(&s, &table.t, -1);  // the double click's first click toggled it off
  EXPECT_EQ(VarList_ElementToEdit(&s, &table.t, EditAsk::Button), -1) << "the button needs a selected line";
  EXPECT_EQ(VarList_ElementToEdit(&s, &table.t, EditAsk::DoubleClick), 2);
  EXPECT_EQ(s.element, 2) << "selected again";
  // The variable shrank behind the selection's back: the line is bounded again.
  ASSERT_EQ(Var_Resize(&table.t.vars[0], 2), 1);
  EXPECT_EQ(VarList_ElementToEdit(&s, &table.t, EditAsk::DoubleClick), -1);
}

TEST(VarListSelection, ClampedToTheTable) {
  Table table({3, 3, 3});
  VarListSelection s{5, 1, 2};
  VarList_Clamp(&s, &table.t);
  EXPECT_EQ(s.variable, 2);
  EXPECT_EQ(s.element, 1);
  EXPECT_EQ(s.lastElement, 2);
  Table empty({});
  VarList_Clamp(&s, &empty.t);
  EXPECT_EQ(s.variable, -1);
  EXPECT_EQ(s.element, -1);
  EXPECT_EQ(s.lastElement, -1);
}

TEST(VarListTable, DeleteKeepsTheIndexOrTakesTheNewLast) {
  Table table({1, 1, 1});
  VarListSelection s;
  VarList_SelectVariable(&s, &table.t, 1);
  VarList_Delete(&s, &table.t);
  EXPECT_EQ(table.Starts(), (std::vector<int>{0, 4}));
  EXPECT_EQ(s.variable, 1) << "the same index";
  VarList_Delete(&s, &table.t);
  EXPECT_EQ(table.Starts(), (std::vector<int>{0}));
  EXPECT_EQ(s.variable, 0) << "the new last one";
  VarList_Delete(&s, &table.t);
  EXPECT_EQ(table.t.count, 0);
  EXPECT_EQ(s.variable, -1) << "none left";
  VarList_Delete(&s, &table.t);  // nothing selected: nothing happens
  EXPECT_EQ(table.t.count, 0);
}

TEST(VarListTable, AddAppendsOrInsertsBeforeTheSelection) {
  Table table({1, 1, 1});
  VarListSelection s;
  auto scratch = [](int start) {
    PlcVariable v{};
    const VarDefinition d{S7_TYPE_BYTE, S7_AREA_FLAGS, 0, start, 0, 1};
    EXPECT_EQ(Var_ApplyDefinition(&v, &d, VarRecord::New), VAR_DEFINITION_CHANGED);
    return v;
  };
  PlcVariable v = scratch(100);
  EXPECT_EQ(VarList_Add(&s, &table.t, &v, AddPlace::Append), 3);
  EXPECT_EQ(v.values, nullptr) << "the table owns the block now";
  EXPECT_EQ(s.variable, 3);
  VarList_SelectVariable(&s, &table.t, 1);
  v = scratch(200);
  EXPECT_EQ(VarList_Add(&s, &table.t, &v, AddPlace::Insert), 1);
  EXPECT_EQ(table.Starts(), (std::vector<int>{0, 200, 2, 4, 100}));
  EXPECT_EQ(s.variable, 1);
  VarList_SelectVariable(&s, &table.t, -1);
  v = scratch(300);
  EXPECT_EQ(VarList_Add(&s, &table.t, &v, AddPlace::Insert), 5) << "inserting with none selected appends";

  Table full(std::vector<int>(kVarTableSize, 1));
  v = scratch(400);
  EXPECT_EQ(VarList_Add(&s, &full.t, &v, AddPlace::Append), -1);
  EXPECT_EQ(v.values, nullptr) << "a variable that found no place is freed";
  EXPECT_EQ(full.t.count, kVarTableSize);
}

// The variable being changed is out of the table while its definition
// dialog prepares the request, which may drop others: it goes back at
// min(old place, count), with no hole and no block lost.
TEST(VarListTable, PutBackIntoATableThatShrank) {
  Table table({1, 1, 1, 1});
  VarListSelection s;
  VarList_SelectVariable(&s, &table.t, 3);
  VarListHeld held;
  ASSERT_TRUE(VarList_TakeOut(&s, &table.t, &held));
  EXPECT_EQ(s.variable, -1);
  EXPECT_EQ(held.var.start, 6);
  VarTable_Remove(&table.t, 1);  // dropped by the preparation
  EXPECT_EQ(VarList_PutBack(&s, &table.t, &held), 2);
  EXPECT_EQ(table.Starts(), (std::vector<int>{0, 4, 6}));
  EXPECT_EQ(s.variable, 2);
  EXPECT_EQ(held.var.values, nullptr);
  EXPECT_EQ(VarList_PutBack(&s, &table.t, &held), -1) << "nothing held any more";
  EXPECT_EQ(table.t.count, 3);

  VarList_SelectVariable(&s, &table.t, 0);
  ASSERT_TRUE(VarList_TakeOut(&s, &table.t, &held));
  EXPECT_EQ(VarList_PutBack(&s, &table.t, &held), 0) << "an unchanged table: the old place";
  EXPECT_EQ(table.Starts(), (std::vector<int>{0, 4, 6}));
  VarList_SelectVariable(&s, &table.t, -1);
  EXPECT_FALSE(VarList_TakeOut(&s, &table.t, &held)) << "nothing selected";
}

}  // namespace
