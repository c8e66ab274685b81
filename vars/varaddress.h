// A variable's address as text, both ways: "DB1.DBW2:3 (Int)" written from a
// record and read into one. The texts stay in the caller's buffers.
#pragma once

#include "vars/varmodel.h"

// Address texts: "DB1.DBW2", "M10.3", "T5" …, with a leading blank, ":count"
// and " (Type)" as asked. With a width, a longer address (before count and
// type) raises it. text needs kVarAddressTextMax bytes; the length is
// returned.
//   Var_FormatAddress({.withCount = true, .withType = true}, 0, var, text, nullptr);
inline constexpr int kVarAddressTextMax = 96;
struct VarAddressForm {
  bool leadingBlank = false;
  bool withCount = false;
  bool withType = false;
};
int Var_FormatAddress(VarAddressForm form, int elementIndex, const PlcVariable* var, char* text,
                      int* width);

// Reads a definition text («DB1.DBW2:3 (Int)», blanks and case free) into
// the record and allocates its block: 1 on success; 0 when the text is
// refused or the block cannot be allocated, and the record is then left as
// it was. A block the record held before is not freed.
int Var_ParseDefinition(const char* text, PlcVariable* var);
