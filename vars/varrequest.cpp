// Turning the variable table into one library read or write request. The
// library refuses variables that cannot be sent (bad definition, no room left
// in the PDU); those are dropped from the table with a log line, so that the
// rest can still be read or written. A table larger than one request drops
// only what no request could carry.
#include "res/strings.h"
#include "vars/format.h"
#include "vars/logsink.h"
#include "vars/varaddress.h"
#include "vars/varmodel.h"
#include "vars/varplan.h"

namespace {

// The variable's "Deleted" line, then out of the table: the next variable
// moves into its place.
void Drop(VariableTable* table, int index, int code) {
  char definition[kVarAddressTextMax];
  Var_FormatAddress({.withCount = true, .withType = true}, 0, &table->vars[index], definition, nullptr);
  char line[2 * kVarAddressTextMax + 128];
  const int n = FormatTextN(line, sizeof line, LoadText(IDS_LOG_VAR_DELETED), definition, TextId(IDS_ERR_OK + code));
  Vars_Log(line, static_cast<std::size_t>(n));
  VarTable_Remove(table, index);
}

}  // namespace

int VarTable_DropRefused(VariableTable* table) {
  int dropped = 0;
  for (int i = 0; i < VarTable_Count(table);) {
    const int code = VarPlan_Refusal(&table->vars[i]);
    if (code == S7_OK) {
      ++i;
    } else {
      Drop(table, i, code);
      ++dropped;
    }
  }
  return dropped;
}

int VarTable_PrepareRequest(VariableTable* table, S7Connection* conn, int write) {
  const int rc = write ? S7_MultiWrite_Begin(conn) : S7_MultiRead_Begin(conn);
  if (rc != S7_OK || !table) return rc;
  if (table->count < 0) table->count = 0;
  if (table->count > kVarTableSize) table->count = kVarTableSize;

  int i = 0;
  while (i < table->count) {
    PlcVariable& v = table->vars[i];
    const int refused = S7_AddVar(conn, static_cast<unsigned>(v.type), static_cast<unsigned>(v.area), v.dbNumber,
                                  v.start, v.bit, Var_WireCount(&v), 1, v.values);
    if (refused == S7_OK) {
      ++i;
      continue;
    }
    // The next variable moves into this place and is tried next.
    Drop(table, i, refused);
  }
  return S7_OK;
}
