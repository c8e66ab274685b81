// The lines of the read-variables window: every element of every variable as
// its address, its name when any element has one, and its value text, with
// the "=" signs of all lines in one column. The window and the command line
// print the same lines.
#include <cstring>

#include "vars/vars.h"

namespace {

int TableCount(const VariableTable* table) {
  if (!table) return 0;
  return table->count < 0 ? 0 : table->count > kVarTableSize ? kVarTableSize : table->count;
}

int NameLength(const PlcVariable* var, int elementIndex) {
  const char* name = Var_ElementName(var, elementIndex);
  int n = 0;
  while (n < kVarNameSize - 1 && name[n]) ++n;
  return n;
}

int Clamp(int v, int low, int high) { return v < low ? low : v > high ? high : v; }

}  // namespace

void VarTable_ValueLineWidths(const VariableTable* table, ValueLineWidths* widths) {
  if (!widths) return;
  *widths = {};
  const int count = TableCount(table);
  for (int i = 0; i < count; ++i) {
    const PlcVariable& v = table->vars[i];
    if (v.count <= 0) continue;
    // Addresses only grow along a variable, so its longest text is at one of
    // its ends (the first as well, should a start be negative).
    char text[kVarAddressTextMax];
    Var_FormatAddress({}, 0, &v, text, &widths->address);
    Var_FormatAddress({}, v.count - 1, &v, text, &widths->address);
    for (int e = 0; e < v.count; ++e) {
      const int n = NameLength(&v, e);
      if (n > 0) widths->anyName = 1;
      if (n > widths->name) widths->name = n;
    }
  }
}

int VarTable_LineCount(const VariableTable* table) {
  int lines = 0;
  const int count = TableCount(table);
  for (int i = 0; i < count; ++i) lines += table->vars[i].count > 0 ? table->vars[i].count : 0;
  return lines;
}

int VarTable_FindLine(const VariableTable* table, int line, int* varIndex, int* elementIndex) {
  const int count = TableCount(table);
  if (line < 0) return 0;
  for (int i = 0; i < count; ++i) {
    const int elements = table->vars[i].count > 0 ? table->vars[i].count : 0;
    if (line < elements) {
      if (varIndex) *varIndex = i;
      if (elementIndex) *elementIndex = line;
      return 1;
    }
    line -= elements;
  }
  return 0;
}

int Var_FormatValueLine(const ValueLineWidths* widths, int elementIndex, const PlcVariable* var, char* text) {
  if (!text) return 0;
  text[0] = 0;
  if (!widths || !var) return 0;
  char address[kVarAddressTextMax];
  const int addressLength = Var_FormatAddress({}, elementIndex, var, address, nullptr);
  const int addressWidth = Clamp(widths->address, addressLength, kVarAddressTextMax - 1);
  int n = FormatTextN(text, kValueLineMax, " %s%*c", address, addressWidth - addressLength + 1, ' ');
  if (widths->anyName) {
    const int nameLength = NameLength(var, elementIndex);
    const int nameWidth = Clamp(widths->name, nameLength, kVarNameSize - 1);
    n += FormatTextN(text + n, kValueLineMax - static_cast<std::size_t>(n), ": %*s%*c", nameLength,
                     Var_ElementName(var, elementIndex), nameWidth - nameLength + 1, ' ');
  }
  char value[kVarValueTextMax];
  Var_FormatValue({.trailingBlank = true}, elementIndex, var, value);
  n += FormatTextN(text + n, kValueLineMax - static_cast<std::size_t>(n), "= %s", value);
  return n;
}
