// The variable definition dialog's rules: which areas a type offers, the
// fields' ranges and enabling, the count bounded by the room left in the
// request, the OK rule, and the record's change on OK.
#include "app/vardefine.h"

#include <cstring>

#include "app/varlist.h"

namespace {

int Clamp(int v, int low, int high) { return v < low ? low : v > high ? high : v; }

bool ValidField(int field) { return field >= 0 && field < kDefineFieldCount; }

void SetRange(VarDefineField* f, int min, int max) {
  f->min = min;
  f->max = max;
  f->value = Clamp(f->value, min, max);
}

}  // namespace

void VarDefine_Reset(VarDefineState* state) {
  if (!state) return;
  *state = {};
  state->type = S7_TYPE_WORD;
  state->area = S7_AREA_FLAGS;
  state->field[kDefineDb] = {0, 0, kVarDbNumberMax, false, false};
  state->field[kDefineAddress] = {0, 0, kVarAddressMax, false, true};
  state->field[kDefineBit] = {0, 0, 7, false, false};
  state->field[kDefineCount] = {1, 1, 1, false, true};
  state->field[kDefineTextMax] = {kVarTextMaxDefault, 1, kVarStringMax, false, false};
}

void VarDefine_Open(VarDefineState* state, const PlcVariable* existing) {
  if (!state) return;
  if (existing) {
    state->type = existing->type;
    state->area = existing->area;
    state->field[kDefineDb].value = existing->dbNumber;
    state->field[kDefineAddress].value = existing->start;
    state->field[kDefineBit].value = existing->bit;
    state->field[kDefineCount].value = existing->count;
    if (Var_IsTextType(existing->type)) state->field[kDefineTextMax].value = existing->textMax;
  }
  for (VarDefineField& f : state->field) f.invalid = false;
}

void VarDefine_ApplyTypeAndArea(VarDefineState* state, VarCapacity capacity) {
  if (!state) return;
  if (!Var_TypeInfo(state->type)) state->type = S7_TYPE_WORD;
  if (state->type == S7_TYPE_TIMER) state->area = S7_AREA_TIMERS;
  else if (state->type == S7_TYPE_COUNTER) state->area = S7_AREA_COUNTERS;
  else if (state->area < 0 || state->area > static_cast<int>(S7_AREA_DB)) state->area = S7_AREA_FLAGS;

  const bool inDb = state->area == S7_AREA_DB;
  VarDefineField& db = state->field[kDefineDb];
  if (inDb) {
    SetRange(&db, 1, kVarDbNumberMax);
  } else {
    db.value = 0;
    SetRange(&db, 0, kVarDbNumberMax);
  }
  SetRange(&state->field[kDefineAddress], 0, kVarAddressMax);
  VarDefineField& bit = state->field[kDefineBit];
  if (state->type != S7_TYPE_BIT) bit.value = 0;
  SetRange(&bit, 0, 7);

  // The capacity counts a run of bits in bytes; no variable takes more than
  // its type's most.
  long long room = capacity.result == S7_OK && capacity.count > 0 ? capacity.count : 0;
  if (state->type == S7_TYPE_BIT) room *= 8;
  if (room > Var_MaxCount(state->type)) room = Var_MaxCount(state->type);
  state->capacityResult = capacity.result;
  state->capacity = static_cast<int>(room);
  VarDefineField& count = state->field[kDefineCount];
  if (room > 0) {
    SetRange(&count, 1, state->capacity);
  } else {
    count.value = 0;
    SetRange(&count, 0, 0);
  }

  for (VarDefineField& f : state->field) f.invalid = false;
  count.invalid = room == 0;
  db.enabled = inDb;
  state->field[kDefineAddress].enabled = true;
  bit.enabled = state->type == S7_TYPE_BIT;
  count.enabled = room > 0;
  // A text's maximum, within what its type allows; kept for the next text.
  VarDefineField& textMax = state->field[kDefineTextMax];
  const bool text = Var_IsTextType(state->type) != 0;
  SetRange(&textMax, 1, text ? Var_TextMaxLimit(state->type) : kVarStringMax);
  if (textMax.value > textMax.max) textMax.value = textMax.max;
  if (textMax.value < 1) textMax.value = kVarTextMaxDefault;
  textMax.enabled = text;
}

int VarDefine_Areas(const VarDefineState* state, int* areas, int* selected) {
  int n = 0;
  int at = 0;
  const int type = state ? state->type : static_cast<int>(S7_TYPE_WORD);
  if (type == S7_TYPE_TIMER) {
    if (areas) areas[n] = S7_AREA_TIMERS;
    ++n;
  } else if (type == S7_TYPE_COUNTER) {
    if (areas) areas[n] = S7_AREA_COUNTERS;
    ++n;
  } else {
    for (int area = S7_AREA_INPUTS; area <= static_cast<int>(S7_AREA_DB); ++area) {
      if (state && state->area == area) at = n;
      if (areas) areas[n] = area;
      ++n;
    }
  }
  if (selected) *selected = at;
  return n;
}

void VarDefine_SelectType(VarDefineState* state, int type) {
  if (!state || !Var_TypeInfo(type)) return;
  state->type = type;
  if (type != S7_TYPE_BIT) state->field[kDefineBit].value = 0;
}

void VarDefine_SelectArea(VarDefineState* state, int listIndex) {
  int areas[4];
  const int n = VarDefine_Areas(state, areas, nullptr);
  if (state && listIndex >= 0 && listIndex < n) state->area = areas[listIndex];
}

bool VarDefine_Typed(VarDefineState* state, int field, const char* text) {
  if (!state || !ValidField(field)) return false;
  VarDefineField& f = state->field[field];
  std::int64_t v = 0;
  const bool valid = text && Number_Read(text, std::strlen(text), f.min, f.max, &v);
  if (valid) f.value = static_cast<int>(v);
  f.invalid = !valid;
  return valid;
}

int VarDefine_Step(VarDefineState* state, int field, int delta) {
  if (!state || !ValidField(field)) return 0;
  VarDefineField& f = state->field[field];
  f.value = static_cast<int>(Number_Step(f.value, delta, f.min, f.max));
  f.invalid = false;
  return f.value;
}

int VarDefine_FastStep(int field) {
  switch (field) {
    case kDefineDb:
    case kDefineAddress: return 100;
    case kDefineCount:
    case kDefineTextMax: return 10;
    default: return 0;
  }
}

NumberSpec VarDefine_FieldSpec(const VarDefineState* state, int field) {
  if (!state || !ValidField(field)) return NumberSpec{0, 0, 1, {{0, 1}}};
  const VarDefineField& f = state->field[field];
  const int fast = VarDefine_FastStep(field);
  if (fast == 0) return NumberSpec{f.min, f.max, 1, {{0, 1}}};
  return NumberSpec{f.min, f.max, 2, {{0, 1}, {2, fast}}};
}

int VarDefine_Refusal(const VarDefineState* state) {
  if (!state) return IDS_DLG_DEFINE_INVALID;
  if (state->capacityResult != S7_OK) return IDS_ERR_OK + state->capacityResult;
  const int count = state->field[kDefineCount].value;
  if (state->capacity <= 0 || count < 1) return IDS_DLG_DEFINE_NO_ROOM;
  for (const VarDefineField& f : state->field)
    if (f.invalid) return IDS_DLG_DEFINE_INVALID;
  if (state->type == S7_TYPE_BIT && count > 1 && (state->field[kDefineBit].value != 0 || count % 8 != 0))
    return IDS_DLG_DEFINE_BIT_RULE;
  if (Var_IsTextType(state->type) &&
      static_cast<long long>(count) * Var_TextWireSize(state->type, state->field[kDefineTextMax].value) > kVarBytesMax)
    return IDS_DLG_DEFINE_TEXT_BYTES;
  return 0;
}

bool VarDefine_CanConfirm(const VarDefineState* state) { return VarDefine_Refusal(state) == 0; }

void VarDefine_Definition(const VarDefineState* state, VarDefinition* definition) {
  if (!definition) return;
  *definition = {};
  if (!state) return;
  const bool inDb = state->area == S7_AREA_DB;
  int db = state->field[kDefineDb].value;
  if (!inDb) db = 0;
  else if (db == 0) db = 1;
  *definition = {state->type, state->area, db, state->field[kDefineAddress].value, state->field[kDefineBit].value,
                 state->field[kDefineCount].value,
                 Var_IsTextType(state->type) ? state->field[kDefineTextMax].value : 0};
}

int VarDefine_Confirm(const VarDefineState* state, PlcVariable* var, VarRecord record) {
  if (!VarDefine_CanConfirm(state) || !var) return VAR_DEFINITION_REFUSED;
  VarDefinition d;
  VarDefine_Definition(state, &d);
  return Var_ApplyDefinition(var, &d, record);
}

int VarDefine_PrepareRequest(AppState* app, Transfer kind, VarListSelection* selection, VarDefineState* state) {
  const int rc = VarList_PrepareRequest(app, kind, selection);
  if (state) state->prepareResult = rc;
  return rc;
}

VarCapacity VarDefine_AskCapacity(AppState*, const VarDefineState* state) {
  if (!state) return {S7_ERR_PARAMETER, 0};
  if (state->prepareResult != S7_OK) return {state->prepareResult, 0};
  // However full the request, the table is read in as many as it needs:
  // a variable is bounded by its own size alone.
  const int most = Var_MaxCount(state->type);
  return {S7_OK, state->type == S7_TYPE_BIT ? most / 8 : most};
}
