// The lines of the read-variables window: every element of every variable as
// its address, its name when any element has one, and its value text, with
// the "=" signs of all lines in one column; and the variable list dialog's
// lines, the same for one variable, ending in the value or the mode's name.
#include <cstring>

#include "res/strings.h"
#include "vars/format.h"
#include "vars/valuelines.h"
#include "vars/valuetext.h"
#include "vars/varaddress.h"
#include "vars/varmodel.h"

namespace {

int NameLength(const PlcVariable* var, int elementIndex) {
  const char* name = Var_ElementName(var, elementIndex);
  int n = 0;
  while (n < kVarNameSize - 1 && name[n]) ++n;
  return n;
}

int Clamp(int v, int low, int high) { return v < low ? low : v > high ? high : v; }

}  // namespace

void Var_AddLineWidths(const PlcVariable* var, ValueLineWidths* widths) {
  if (!var || !widths || var->count <= 0) return;
  // Addresses only grow along a variable, so its longest text is at one of
  // its ends (the first as well, should a start be negative).
  char text[kVarAddressTextMax];
  Var_FormatAddress({}, 0, var, text, &widths->address);
  Var_FormatAddress({}, var->count - 1, var, text, &widths->address);
  for (int e = 0; e < var->count; ++e) {
    const int n = NameLength(var, e);
    if (n > 0) widths->anyName = 1;
    if (n > widths->name) widths->name = n;
  }
}

void VarTable_ValueLineWidths(const VariableTable* table, ValueLineWidths* widths) {
  if (!widths) return;
  *widths = {};
  const int count = VarTable_Count(table);
  for (int i = 0; i < count; ++i) Var_AddLineWidths(&table->vars[i], widths);
}

int VarTable_LineCount(const VariableTable* table) {
  int lines = 0;
  const int count = VarTable_Count(table);
  for (int i = 0; i < count; ++i) lines += table->vars[i].count > 0 ? table->vars[i].count : 0;
  return lines;
}

int VarTable_FindLine(const VariableTable* table, int line, int* varIndex, int* elementIndex) {
  const int count = VarTable_Count(table);
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

int Var_FormatElementLine(VarLineEnd end, const ValueLineWidths* widths, int elementIndex, const PlcVariable* var,
                          char* text) {
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
  if (end == VarLineEnd::ViewName) {
    int view = var->views && elementIndex >= 0 && elementIndex < var->count ? var->views[elementIndex] : 0;
    if (!Var_AdmitsView(var->type, view)) view = VAR_VIEW_DEFAULT;
    return n + FormatTextN(text + n, kValueLineMax - static_cast<std::size_t>(n), "= %s ",
                           TextId(IDS_VIEW_DEFAULT + view));
  }
  char value[kVarValueTextMax];
  Var_FormatValue({.trailingBlank = true}, elementIndex, var, value);
  n += FormatTextN(text + n, kValueLineMax - static_cast<std::size_t>(n), "= %s", value);
  return n;
}

int Var_FormatValueLine(const ValueLineWidths* widths, int elementIndex, const PlcVariable* var, char* text) {
  return Var_FormatElementLine(VarLineEnd::Value, widths, elementIndex, var, text);
}

int Var_FormatVariableLine(const PlcVariable* var, char* text) {
  return Var_FormatAddress({.leadingBlank = true, .withCount = true, .withType = true}, 0, var, text, nullptr);
}
