// The read window's lines: "=" signs in one column over all variables, the
// name column when any element has a name, and finding the element of a line;
// and the variable list's lines: the variable's own line, and its element
// lines aligned within that variable, ending in the value or the mode's name.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/support/var_builder.h"
#include "vars/vars.h"

namespace {

struct Table {
  VariableTable t{};
  explicit Table(std::initializer_list<const char*> definitions) {
    for (const char* d : definitions) EXPECT_EQ(Var_ParseDefinition(d, &t.vars[t.count++]), 1) << d;
  }
  ~Table() { VarTable_Clear(&t); }
  PlcVariable& operator[](int i) { return t.vars[i]; }

  std::vector<std::string> Lines() {
    ValueLineWidths w;
    VarTable_ValueLineWidths(&t, &w);
    std::vector<std::string> lines;
    for (int line = 0; line < VarTable_LineCount(&t); ++line) {
      int v = -1, e = -1;
      EXPECT_EQ(VarTable_FindLine(&t, line, &v, &e), 1);
      char text[kValueLineMax];
      const int n = Var_FormatValueLine(&w, e, &t.vars[v], text);
      EXPECT_EQ(n, static_cast<int>(std::string(text).size()));
      lines.push_back(text);
    }
    return lines;
  }
};

TEST(ValueLines, AddressesPaddedToTheLongest) {
  Table table({"DB1.DBW8:2 (Int)", "MW10:1 (Word)", "T5:1 (Timer)"});
  Var_PutElement(0, &table[0], -1234, nullptr);
  Var_PutElement(1, &table[0], 5, nullptr);
  Var_PutElement(0, &table[1], 1, nullptr);
  Var_PutElement(0, &table[2], 1500, nullptr);
  const std::vector<std::string> expected = {
      " DB1.DBW8  = -1 234 ",
      " DB1.DBW10 = 5 ",
      " MW10      = 0x0001 ",
      " T5        = 1s500ms ",
  };
  EXPECT_EQ(table.Lines(), expected);
  ValueLineWidths w;
  VarTable_ValueLineWidths(&table.t, &w);
  EXPECT_EQ(w.address, 9);
  EXPECT_EQ(w.anyName, 0);
}

TEST(ValueLines, NamesMakeAColumnOfTheirOwn) {
  Table table({"DB1.DBW8:2 (Int)", "M0.0:8 (Bit)"});
  Var_SetElementName(&table[0], 0, "speed");
  Var_SetElementName(&table[1], 7, "door open");
  Var_PutElement(7, &table[1], 1, nullptr);
  const std::vector<std::string> lines = table.Lines();
  ASSERT_EQ(lines.size(), 10u);
  EXPECT_EQ(lines[0], " DB1.DBW8  : speed     = 0 ");
  EXPECT_EQ(lines[1], " DB1.DBW10 :           = 0 ");
  EXPECT_EQ(lines[2], " M0.0      :           = 0 ");
  EXPECT_EQ(lines[9], " M0.7      : door open = 1 ");
}

TEST(ValueLines, EmptyTableAndLinesOutside) {
  VariableTable empty{};
  ValueLineWidths w;
  VarTable_ValueLineWidths(&empty, &w);
  EXPECT_EQ(w.address, 0);
  EXPECT_EQ(VarTable_LineCount(&empty), 0);
  int v = 0, e = 0;
  EXPECT_EQ(VarTable_FindLine(&empty, 0, &v, &e), 0);
  Table table({"MW0:3 (Word)", "MW0:0 (Word)", "MB6:2 (Byte)"});
  EXPECT_EQ(VarTable_LineCount(&table.t), 5);
  EXPECT_EQ(VarTable_FindLine(&table.t, 3, &v, &e), 1);
  EXPECT_EQ(v, 2) << "a variable without elements has no line";
  EXPECT_EQ(e, 0);
  EXPECT_EQ(VarTable_FindLine(&table.t, 5, &v, &e), 0);
  EXPECT_EQ(VarTable_FindLine(&table.t, -1, &v, &e), 0);
}

// The longest possible parts still fit the line buffer, whatever widths the
// caller passes.
TEST(ValueLines, LongestLineFits) {
  Table table({"DB32767.DBQ32767:512 (Date&Time)"});
  table[0].views[511] = VAR_VIEW_HEX;
  Var_SetElementName(&table[0], 511, "abcdefghijklmnopqrstuvw");
  ValueLineWidths w = {1000, 1000, 1};
  char text[kValueLineMax + 8];
  std::memset(text, '#', sizeof text);
  const int n = Var_FormatValueLine(&w, 511, &table[0], text);
  ASSERT_LT(n, kValueLineMax);
  EXPECT_EQ(text[kValueLineMax], '#');
  EXPECT_EQ(std::string(text).substr(0, 20), " DB32767.DBQ36855   ");
  EXPECT_EQ(std::string(text).substr(n - 24), "= 0x0000 0000 0000 0000 ");
}

// The element lines of one variable, as the variable list shows them.
std::vector<std::string> ElementLines(const PlcVariable* v, VarLineEnd end) {
  ValueLineWidths w{};
  Var_AddLineWidths(v, &w);
  std::vector<std::string> lines;
  for (int e = 0; e < v->count; ++e) {
    char text[kValueLineMax];
    const int n = Var_FormatElementLine(end, &w, e, v, text);
    EXPECT_EQ(n, static_cast<int>(std::string(text).size()));
    lines.push_back(text);
  }
  return lines;
}

TEST(ElementLines, ValuesOrModeNamesAlignedWithinTheVariable) {
  // The first variable's long addresses must not widen the second's lines.
  Table table({"DB100.DBW8:1 (Int)", "MW8:2 (Word)", "M0.6:1 (Bit)"});
  Var_PutElement(0, &table[1], 0x1F, nullptr);
  table[1].views[1] = VAR_VIEW_DEC;
  EXPECT_EQ(ElementLines(&table[1], VarLineEnd::Value),
            (std::vector<std::string>{" MW8  = 0x001f ", " MW10 = 0 "}));
  EXPECT_EQ(ElementLines(&table[1], VarLineEnd::ViewName),
            (std::vector<std::string>{" MW8  = Default ", " MW10 = Dec "}));
  table[2].views[0] = VAR_VIEW_REAL;  // not a mode of a Bit: shown as what it means
  EXPECT_EQ(ElementLines(&table[2], VarLineEnd::ViewName), (std::vector<std::string>{" M0.6 = Default "}));
}

TEST(ElementLines, NamesPaddedToTheLongestOfTheVariable) {
  Table table({"DB1.DBW8:3 (Int)"});
  Var_SetElementName(&table[0], 0, "speed");
  Var_SetElementName(&table[0], 2, "set point");
  Var_PutElement(0, &table[0], -1234, nullptr);
  EXPECT_EQ(ElementLines(&table[0], VarLineEnd::Value), (std::vector<std::string>{
                                                            " DB1.DBW8  : speed     = -1 234 ",
                                                            " DB1.DBW10 :           = 0 ",
                                                            " DB1.DBW12 : set point = 0 ",
                                                        }));
  table[0].views[2] = VAR_VIEW_HEX;
  EXPECT_EQ(ElementLines(&table[0], VarLineEnd::ViewName)[2], " DB1.DBW12 : set point = Hex ");
}

TEST(ElementLines, TheVariableLine) {
  Table table({"MW10:1 (Word)", "DB5.DBX0.0:16 (Bit)", "T5:2 (Timer)"});
  const char* expected[] = {" MW10:1 (Word)", " DB5.DBX0.0:16 (Bit)", " T5:2 (Timer)"};
  for (int i = 0; i < 3; ++i) {
    char text[kVarAddressTextMax];
    EXPECT_EQ(Var_FormatVariableLine(&table[i], text), static_cast<int>(std::strlen(expected[i])));
    EXPECT_STREQ(text, expected[i]);
  }
}

}  // namespace
