// Reading the String and WString headers that a write must respect: the
// PLC's maximum is the data block's declaration, which the program's own
// definition may not match, and a write past it would overwrite the next
// variable of the block.
#include "app/textwrite.h"

#include <cstring>

#include "res/strings.h"
#include "runtime/runtime.h"
#include "vars/format.h"
#include "vars/logsink.h"
#include "vars/longtypes.h"
#include "vars/varaddress.h"
#include "vars/varplan.h"

namespace {

struct TextHeader {
  int max;      // the PLC's maximum-length field
  int length;   // the current length the write is to set
  int textEnd;  // where the letters end in the slot
};

TextHeader HeaderOf(const PlcVariable& v, const std::uint8_t* slot) {
  if (v.type == S7_TYPE_STRING) return {slot[0], slot[1], 2 + slot[1]};
  const int length = slot[2] << 8 | slot[3];
  return {slot[0] << 8 | slot[1], length, 4 + 2 * length};
}

void Log(const char* line, int length) {
  if (length > 0) Vars_Log(line, static_cast<std::size_t>(length));
}

// The PLC's header into the slot that is to be written, and its bytes past
// the text; false (logged) when the text does not fit the PLC's maximum.
bool Merge(PlcVariable* v, const PlcVariable& plc) {
  for (int e = 0; e < v->count; ++e) {
    const std::size_t at = static_cast<std::size_t>(e) * static_cast<std::size_t>(v->slotSize);
    std::uint8_t* slot = v->values + at;
    const std::uint8_t* theirs = plc.values + at;
    const TextHeader mine = HeaderOf(*v, slot);
    const TextHeader held = HeaderOf(plc, theirs);
    if (mine.length > held.max || mine.textEnd > v->slotSize) {
      char definition[kVarAddressTextMax], element[kVarAddressTextMax], line[3 * kVarAddressTextMax];
      Var_FormatAddress({.withCount = true, .withType = true}, 0, v, definition, nullptr);
      Var_FormatAddress({}, e, v, element, nullptr);
      Log(line, FormatTextN(line, sizeof line, LoadText(IDS_LOG_TEXT_TOO_LONG), definition, element, mine.length,
                            held.max));
      return false;
    }
    std::memcpy(slot, theirs, v->type == S7_TYPE_STRING ? 1 : 2);
    std::memcpy(slot + mine.textEnd, theirs + mine.textEnd, static_cast<std::size_t>(v->slotSize - mine.textEnd));
  }
  return true;
}

// Copies of the text variables with blocks of their own, read in one go.
struct Copies {
  PlcVariable* vars = nullptr;
  int* from = nullptr;  // the table index of each copy
  int count = 0;
  ~Copies() {
    for (int i = 0; i < count; ++i) Var_FreeBlock(&vars[i]);
    Rt_Free(vars);
    Rt_Free(from);
  }
};

}  // namespace

int Table_GuardTextWrites(AppState* app) {
  VariableTable* table = &app->table;
  const int n = VarTable_Count(table);
  int texts = 0;
  for (int i = 0; i < n; ++i) texts += Var_IsTextType(table->vars[i].type);
  // Without a link the write fails on its own and says why; nothing can be
  // sent either way.
  if (texts == 0 || S7_GetPduSize(app->conn) <= 0) return S7_OK;

  Copies copies;
  copies.vars = static_cast<PlcVariable*>(Rt_Alloc(kRtZero, sizeof(PlcVariable) * static_cast<std::size_t>(texts)));
  copies.from = static_cast<int*>(Rt_Alloc(kRtZero, sizeof(int) * static_cast<std::size_t>(texts)));
  if (!copies.vars || !copies.from) return S7_ERR_NO_MEMORY;
  for (int i = 0; i < n; ++i) {
    if (!Var_IsTextType(table->vars[i].type)) continue;
    PlcVariable copy = table->vars[i];
    if (!Var_AllocBlock(&copy)) return S7_ERR_NO_MEMORY;
    copies.from[copies.count] = i;
    copies.vars[copies.count++] = copy;
  }

  VarPlan plan{};
  const PlanOptions options{PlanDirection::Read, PlanMerge::WhenSeveral};
  if (VarPlan_Build(copies.vars, copies.count, S7_GetPduSize(app->conn), options, &plan) != 1)
    return S7_ERR_NO_MEMORY;
  auto* results = static_cast<VarTransferResult*>(
      Rt_Alloc(0, sizeof(VarTransferResult) * static_cast<std::size_t>(copies.count)));
  VarTransferSummary summary{};
  if (results) VarPlan_Run(&plan, app->conn, copies.vars, results, &summary);
  VarPlan_Free(&plan);
  int rc = results ? S7_OK : S7_ERR_NO_MEMORY;
  for (int k = 0; k < copies.count && rc == S7_OK; ++k) {
    PlcVariable* v = &table->vars[copies.from[k]];
    if (results[k].error != S7_OK) {
      rc = results[k].error;
      char definition[kVarAddressTextMax], line[2 * kVarAddressTextMax + 128];
      Var_FormatAddress({.withCount = true, .withType = true}, 0, v, definition, nullptr);
      Log(line, FormatTextN(line, sizeof line, LoadText(IDS_LOG_TEXT_HEADER_UNREAD), definition,
                            TextId(IDS_ERR_OK + rc)));
    } else if (!Merge(v, copies.vars[k])) {
      rc = S7_ERR_DATA_SIZE;
    }
  }
  Rt_Free(results);
  return rc;
}
