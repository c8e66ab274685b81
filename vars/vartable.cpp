// The table of variables: entries in use from index 0 up, free ones all zero.
// Removing, taking out and inserting keep it that way, so that the variable
// list, the request built from the table and the file saved from it agree.
#include <cstring>

#include "vars/varmodel.h"

int VarTable_Count(const VariableTable* table) {
  if (!table) return 0;
  return table->count < 0 ? 0 : table->count > kVarTableSize ? kVarTableSize : table->count;
}

void VarTable_Clear(VariableTable* table) {
  if (!table) return;
  for (PlcVariable& v : table->vars) Var_FreeBlock(&v);
  std::memset(table, 0, sizeof *table);
}

int VarTable_TakeOut(VariableTable* table, int index, PlcVariable* out) {
  const int count = VarTable_Count(table);
  if (!out || index < 0 || index >= count) return 0;
  *out = table->vars[index];
  for (int i = index; i + 1 < count; ++i) table->vars[i] = table->vars[i + 1];
  std::memset(&table->vars[count - 1], 0, sizeof(PlcVariable));
  table->count = count - 1;
  return 1;
}

void VarTable_Remove(VariableTable* table, int index) {
  PlcVariable gone;
  if (VarTable_TakeOut(table, index, &gone)) Var_FreeBlock(&gone);
}

int VarTable_Insert(VariableTable* table, int index, const PlcVariable* var) {
  const int count = VarTable_Count(table);
  if (!table || !var || count >= kVarTableSize) return -1;
  if (index < 0 || index > count) index = count;
  for (int i = count; i > index; --i) table->vars[i] = table->vars[i - 1];
  table->vars[index] = *var;
  table->count = count + 1;
  return index;
}
