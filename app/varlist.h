// The variable list dialog's portable half: its selection, the rules that keep the selection valid against the table, the button
// rules, and the table operations behind its buttons. The dialog shows what
// these leave: after every preparation of the request it rebuilds both lists
// from the table.
//
// A button's flow, with the definition dialog (app/vardefine.h) in between:
//   append/insert: define a new variable on a zeroed scratch record; on 1,
//     VarList_Add; then, whatever the result, VarList_PrepareRequest and
//     rebuild (the definition dialog's own preparation may have dropped
//     variables);
//   modify: VarList_TakeOut, define it, VarList_PutBack whatever the result,
//     VarList_PrepareRequest, rebuild;
//   delete: VarList_Delete, VarList_PrepareRequest, rebuild.
//
// Threads: the user-interface thread, like the application record.
#pragma once

#include <cstddef>

#include "app/appstate.h"
#include "app/commands.h"  // Transfer: the list kind

// The dialog's selection, which the definition dialog's preparation of the
// request also keeps on the right variable.
struct VarListSelection {
  int variable = -1;     // the selected variable (its line and table index), −1 none
  int element = -1;      // the selected element line of that variable, −1 none
  int lastElement = -1;  // the last element line selected, −1 none
};

// On opening: nothing selected.
void VarList_ClearSelection(VarListSelection* selection);
// Keeps the selection within the table: a variable past the end becomes the
// last one (none in an empty table), an element line outside the selected
// variable's elements (or with no variable) none.
void VarList_Clamp(VarListSelection* selection, const VariableTable* table);
// A new variable selection (−1: none), bounded by the table. The element
// list is rebuilt for it, so both element selections are cleared.
void VarList_SelectVariable(VarListSelection* selection, const VariableTable* table, int index);
// A new element line selection (−1: none), bounded by the selected
// variable's count; a line is also stored as the last one.
void VarList_SelectElement(VarListSelection* selection, const VariableTable* table, int line);
// What asks for the element editor: the "Szerkeszt" button, or a double
// click in the element list.
enum class EditAsk { Button, DoubleClick };
// The element the editor is to open: the selected line; for a double click
// with none selected (its first click may have just deselected the line),
// the last line selected, which is then selected again. −1: nothing to edit.
int VarList_ElementToEdit(VarListSelection* selection, const VariableTable* table, EditAsk ask);

struct VarListButtons {
  bool append;  // fewer than kVarTableSize variables
  bool insert;  // a variable selected and fewer than kVarTableSize
  bool modify;  // a variable selected
  bool remove;  // a variable selected
  bool edit;    // an element line selected
  bool ok;      // the list is not empty
};
VarListButtons VarList_Buttons(const VarListSelection* selection, const VariableTable* table);

// Where "Hozzáfűz" and "Beilleszt" put a new variable.
enum class AddPlace { Append, Insert };
// A confirmed new variable: appended, or put before the selected variable
// (Insert; appended when none is selected). It becomes the selected
// variable, with no element line selected. Returns its index; −1 when the
// table is full, and the variable's block is then freed.
int VarList_Add(VarListSelection* selection, VariableTable* table, PlcVariable* var, AddPlace place);

// The selected variable while its definition dialog runs: out of the table,
// so that the room it takes counts towards the capacity.
struct VarListHeld {
  PlcVariable var;
  int index;  // where it was
  bool held;
};
// Takes the selected variable out (false with none selected); the selection
// is none meanwhile.
bool VarList_TakeOut(VarListSelection* selection, VariableTable* table, VarListHeld* held);
// Puts the held variable back at min(its old index, count) and selects it.
// Returns the index; −1 when nothing was held (or the table is full, and its
// block is then freed).
int VarList_PutBack(VarListSelection* selection, VariableTable* table, VarListHeld* held);

// Deletes the selected variable with its element storage. The selection
// stays at the same index, moves to the new last variable when the last was
// deleted, or becomes none when the list is empty.
void VarList_Delete(VarListSelection* selection, VariableTable* table);

// Prepares the list's request (a read or write request by kind) on the
// record's connection with every variable of the table; the library's
// refusals are dropped from the table with their "Deleted" log lines. A
// table larger than one request is planned instead (Table_Prepare), and
// loses only the variables no request could carry. The selection then stays
// on the same variable when it survived, else is clamped; both element
// selections are cleared. *planned (if asked) gets the plan's figures (no
// requests for a table that went into the library's one request). Returns
// the library's result for opening the request (nothing is dropped when it
// is not 0).
int VarList_PrepareRequest(AppState* app, Transfer kind, VarListSelection* selection,
                           PlanTotals* planned = nullptr);

// The status bar's two parts after a preparation: "\tKérés mérete : %d" and
// "\tVálasz mérete : %d" with the request's and the expected reply's sizes;
// for a table planned over several requests (planned, from the preparation)
// "\t%d kérés, %d bájt" and "\t%d válasz, %d bájt": the requests and the
// replies of one read or write, and their bytes in all.
void VarList_StatusTexts(AppState* app, const PlanTotals& planned, char* request, char* reply, std::size_t size);

// How the element lines of the list kind end: the value for the write list,
// the display mode's name for the read list (Var_FormatElementLine).
inline VarLineEnd VarList_LineEnd(Transfer kind) {
  return kind == Transfer::Write ? VarLineEnd::Value : VarLineEnd::ViewName;
}
