// The lines that show variables and their elements, as the read window, the
// variable list and the command line print them. Texts go into the caller's
// buffers.
#pragma once

#include "vars/valuetext.h"
#include "vars/varaddress.h"
#include "vars/varmodel.h"

// ================================================================ value and element lines
//
// The lines of the read-variables window, one per element of every variable:
// " DB1.DBW2  = 0x0001 ", or with element names " DB1.DBW2  : speed  = 12 ".
// The window and the command line both print them. The variable list dialog
// shows the same lines for the elements of one variable, with the value
// (write list) or the display mode's name (read list) after the "= ".

struct ValueLineWidths {
  int address;  // longest address text
  int name;     // longest element name
  int anyName;  // whether any element has a name
};
void VarTable_ValueLineWidths(const VariableTable* table, ValueLineWidths* widths);
// Widens the widths by the elements of one variable; from zeroed widths they
// are that variable's own, as the variable list's element lines use them.
void Var_AddLineWidths(const PlcVariable* var, ValueLineWidths* widths);
// Lines in the table (elements of all variables in use), and which element
// a line shows (0 when the line is outside the table).
int VarTable_LineCount(const VariableTable* table);
int VarTable_FindLine(const VariableTable* table, int line, int* varIndex, int* elementIndex);
// One line: " address", blanks up to the widest address and one more, then
// ": name" padded the same way when any element has a name, then "= " and
// the value text with a trailing blank (VarLineEnd::Value) or the name of
// the element's display mode and a blank (VarLineEnd::ViewName: "Default"
// unless the element has a mode of its own that its type offers). text
// needs kValueLineMax bytes; returns the length.
inline constexpr int kValueLineMax = kVarAddressTextMax + kVarNameSize + kVarValueTextMax + 16;
enum class VarLineEnd { Value, ViewName };
int Var_FormatElementLine(VarLineEnd end, const ValueLineWidths* widths, int elementIndex, const PlcVariable* var,
                          char* text);
// The read window's line: Var_FormatElementLine with the value.
int Var_FormatValueLine(const ValueLineWidths* widths, int elementIndex, const PlcVariable* var,
                        char* text);
// The variable list's line of a variable: " MW10:1 (Word)". text needs
// kVarAddressTextMax bytes; returns the length.
int Var_FormatVariableLine(const PlcVariable* var, char* text);
