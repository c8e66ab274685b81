// The variable definition dialog's working state and rules, without a
// window: the type and its areas, the four number fields with their ranges,
// invalid flags and enabling, the count bounded by the most a variable of
// the type may have (the list's table goes in as many requests as it
// needs), the OK rule and what OK does to the record. The front end keeps
// one state for the program's life (app/dialogmemory.h), so a new variable
// starts from the last one defined.
//
// The dialog's flow: VarDefine_PrepareRequest; VarDefine_Open; ask
// VarDefine_AskCapacity for the type and VarDefine_ApplyTypeAndArea with it
// (again after every type or area choice); the number fields report through
// VarDefine_Typed and VarDefine_Step; OK is enabled by VarDefine_CanConfirm
// (VarDefine_Refusal says why not) and ends with VarDefine_Confirm.
//
// Threads: the user-interface thread, like the application record.
#pragma once

#include "app/appstate.h"
#include "app/commands.h"     // Transfer: the list kind
#include "app/dialogrules.h"  // NumberSpec: the number fields' ranges and steps
#include "app/varlist.h"      // VarListSelection

enum VarDefineFieldId : int {
  kDefineDb,
  kDefineAddress,
  kDefineBit,
  kDefineCount,
  kDefineTextMax,  // String[n] and WString[n]: n
  kDefineFieldCount
};

struct VarDefineField {
  int value;     // the last valid value
  int min, max;
  bool invalid;  // the text typed is not a valid value
  bool enabled;  // field and spinner
};

struct VarDefineState {
  int type;
  int area;
  VarDefineField field[kDefineFieldCount];
  int prepareResult;   // the library's result when the request was prepared
  int capacityResult;  // the library's result when the capacity was asked
  int capacity;        // elements of the type that may be asked for (bits for Bit; Var_MaxCount at most)
};

// The state to start from: "Word" in "Merker", DB 0, address 0, bit 0,
// count 1.
void VarDefine_Reset(VarDefineState* state);

// Opening: an existing variable's definition is loaded (null: a new one
// keeps the last values); every invalid flag is cleared.
void VarDefine_Open(VarDefineState* state, const PlcVariable* existing);

// The count of elements of a type that may be asked for, and the library's
// result when the request could not be opened (bytes for "Bit").
struct VarCapacity {
  int result;
  int count;
};

// Applies type and area: the areas the type offers (the area moved into
// them), the DB number's minimum and value, the count's range from the
// capacity ("Bit" ×8, at most Var_MaxCount; without room count, minimum and maximum
// 0, the field disabled and invalid), the bit number 0 for any type but
// "Bit", every other invalid flag cleared and each field enabled or not.
void VarDefine_ApplyTypeAndArea(VarDefineState* state, VarCapacity capacity);

// The area list for the type: area codes in list order (at most 4); the
// current area's place in it goes to *selected. Returns the count.
int VarDefine_Areas(const VarDefineState* state, int* areas, int* selected);
// Choices in the two lists; apply type and area again afterwards (a type
// asks its own capacity).
void VarDefine_SelectType(VarDefineState* state, int type);
void VarDefine_SelectArea(VarDefineState* state, int listIndex);

// Typing: the whole text a decimal integer within the field's range is
// stored and clears the invalid flag; anything else marks the field invalid
// and keeps its last valid value. Returns whether the text is valid. The
// reading and the stepping are the number field's (Number_Read,
// Number_Step), so a dialog whose number fields report the same values
// through NumberField keeps the state as these would.
bool VarDefine_Typed(VarDefineState* state, int field, const char* text);
// A spinner arrow: the value moved by delta within the range, the invalid
// flag cleared. Returns the new value.
int VarDefine_Step(VarDefineState* state, int field, int delta);
// The step after an arrow is held for 2 s (0: it stays 1).
int VarDefine_FastStep(int field);
// The field's number spec: its current range, a step of 1 and, for the
// fields that have one, the fast step from 2 s of holding on.
NumberSpec VarDefine_FieldSpec(const VarDefineState* state, int field);

// The OK rule: no field invalid, a count of at least 1, and for "Bit" with a
// count above 1 bit 0 and a count that is a multiple of 8.
bool VarDefine_CanConfirm(const VarDefineState* state);
// Why OK is disabled, as a string id (0: it is enabled): the library's error
// text when the capacity could not be asked, "no room left in the request"
// when nothing fits, an invalid value, or the rule for runs of bits.
int VarDefine_Refusal(const VarDefineState* state);

// The definition the state describes (the DB number 1 at least in area DB,
// 0 elsewhere).
void VarDefine_Definition(const VarDefineState* state, VarDefinition* definition);
// OK: applies the definition to the record (Var_ApplyDefinition; a new
// record is taken as empty). VAR_DEFINITION_CHANGED means the dialog returns
// 1; VAR_DEFINITION_REFUSED when OK is not allowed or no memory was left,
// with the record unchanged.
int VarDefine_Confirm(const VarDefineState* state, PlcVariable* var, VarRecord record);

// With the connection: prepares the list's request with the variables of
// the table (the one being changed is out of it, VarList_TakeOut), keeping
// the list's selection on its variable, and remembers the result in the
// state. Returns the library's result for opening the request.
int VarDefine_PrepareRequest(AppState* app, Transfer kind, VarListSelection* selection, VarDefineState* state);
// The capacity for the state's type: the most a variable of it may have;
// when the request could not be opened, that failure (no connection, not
// connected) with no room.
VarCapacity VarDefine_AskCapacity(AppState* app, const VarDefineState* state);
