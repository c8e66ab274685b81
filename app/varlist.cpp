// The variable list dialog's selection, button rules and table operations,
// kept in step with the table after every change and every preparation of
// the request.
#include "app/varlist.h"

#include <cstring>

#include "app/tabletransfer.h"

namespace {

int Elements(const VariableTable* table, int index) {
  if (index < 0 || index >= VarTable_Count(table)) return 0;
  const int count = table->vars[index].count;
  return count > 0 ? count : 0;
}

int BoundLine(const VariableTable* table, int variable, int line) {
  return line >= 0 && line < Elements(table, variable) ? line : -1;
}

}  // namespace

void VarList_ClearSelection(VarListSelection* selection) {
  if (selection) *selection = VarListSelection{};
}

void VarList_Clamp(VarListSelection* selection, const VariableTable* table) {
  if (!selection) return;
  const int count = VarTable_Count(table);
  if (selection->variable >= count) selection->variable = count - 1;
  if (selection->variable < 0) selection->variable = -1;
  selection->element = BoundLine(table, selection->variable, selection->element);
  selection->lastElement = BoundLine(table, selection->variable, selection->lastElement);
}

void VarList_SelectVariable(VarListSelection* selection, const VariableTable* table, int index) {
  if (!selection) return;
  selection->variable = index >= 0 && index < VarTable_Count(table) ? index : -1;
  selection->element = -1;
  selection->lastElement = -1;
}

void VarList_SelectElement(VarListSelection* selection, const VariableTable* table, int line) {
  if (!selection) return;
  selection->element = BoundLine(table, selection->variable, line);
  if (selection->element >= 0) selection->lastElement = selection->element;
}

int VarList_ElementToEdit(VarListSelection* selection, const VariableTable* table, EditAsk ask) {
  if (!selection) return -1;
  VarList_Clamp(selection, table);
  if (selection->element < 0 && ask == EditAsk::DoubleClick) selection->element = selection->lastElement;
  return selection->element;
}

VarListButtons VarList_Buttons(const VarListSelection* selection, const VariableTable* table) {
  const int count = VarTable_Count(table);
  const bool room = count < kVarTableSize;
  const bool selected = selection && selection->variable >= 0 && selection->variable < count;
  const bool element = selected && BoundLine(table, selection->variable, selection->element) >= 0;
  return {room, selected && room, selected, selected, element, count > 0};
}

int VarList_Add(VarListSelection* selection, VariableTable* table, PlcVariable* var, AddPlace place) {
  if (!var) return -1;
  const int before = place == AddPlace::Insert && selection ? selection->variable : -1;
  const int index = VarTable_Insert(table, before, var);
  if (index < 0) {
    Var_FreeBlock(var);
    return -1;
  }
  // The table owns the block now.
  *var = PlcVariable{};
  VarList_SelectVariable(selection, table, index);
  return index;
}

bool VarList_TakeOut(VarListSelection* selection, VariableTable* table, VarListHeld* held) {
  if (!selection || !held) return false;
  *held = VarListHeld{};
  if (!VarTable_TakeOut(table, selection->variable, &held->var)) return false;
  held->index = selection->variable;
  held->held = true;
  VarList_SelectVariable(selection, table, -1);
  return true;
}

int VarList_PutBack(VarListSelection* selection, VariableTable* table, VarListHeld* held) {
  if (!held || !held->held) return -1;
  held->held = false;
  const int count = VarTable_Count(table);
  const int index = VarTable_Insert(table, held->index < count ? held->index : count, &held->var);
  if (index < 0) Var_FreeBlock(&held->var);
  held->var = PlcVariable{};
  VarList_SelectVariable(selection, table, index);
  return index;
}

void VarList_Delete(VarListSelection* selection, VariableTable* table) {
  if (!selection || selection->variable < 0 || selection->variable >= VarTable_Count(table)) return;
  VarTable_Remove(table, selection->variable);
  const int index = selection->variable;
  VarList_SelectVariable(selection, table, index < VarTable_Count(table) ? index : VarTable_Count(table) - 1);
}

int VarList_PrepareRequest(AppState* app, Transfer kind, VarListSelection* selection, PlanTotals* planned) {
  VariableTable* table = &app->table;
  // The selected variable is known by its block, which no other entry
  // shares; nothing is allocated while the request is prepared.
  const int before = selection ? selection->variable : -1;
  const void* block = before >= 0 && before < VarTable_Count(table) ? table->vars[before].values : nullptr;
  VarPlan plan{};
  const int rc = Table_Prepare(app, kind, &plan);
  if (planned) *planned = VarPlan_Totals(&plan);
  VarPlan_Free(&plan);
  if (!selection) return rc;
  int after = -1;
  if (before >= 0) {
    after = before;  // dropped: the variable now at its place, clamped below
    for (int i = 0; block && i < VarTable_Count(table); ++i)
      if (table->vars[i].values == block) after = i;
    if (after >= VarTable_Count(table)) after = VarTable_Count(table) - 1;
  }
  VarList_SelectVariable(selection, table, after);
  return rc;
}

void VarList_StatusTexts(AppState* app, const PlanTotals& planned, char* request, char* reply, std::size_t size) {
  if (planned.requests > 1) {
    if (request) FormatTextN(request, size, LoadText(IDS_STATUS_PLAN_REQUEST), planned.requests, planned.requestBytes);
    if (reply) FormatTextN(reply, size, LoadText(IDS_STATUS_PLAN_REPLY), planned.requests, planned.replyBytes);
    return;
  }
  if (request) FormatTextN(request, size, LoadText(IDS_STATUS_REQUEST_SIZE), S7_GetRequestSize(app->conn));
  if (reply) FormatTextN(reply, size, LoadText(IDS_STATUS_REPLY_SIZE), S7_GetReplySize(app->conn));
}
