// A variable's element storage when its definition changes: the block holds
// values, the last-shown copy, views and names at offsets that depend on the
// count, so a new count needs a new block with each region copied across.
// Applying a new definition decides what of the old elements survives.
#include <cstring>

#include "vars/longtypes.h"
#include "vars/varmodel.h"

namespace {

// 1990-01-01 00:00:00.000, a Monday, as the eight DATE_AND_TIME bytes.
constexpr std::uint8_t kDateTimeStart[8] = {0x90, 0x01, 0x01, 0x00, 0x00, 0x00, 0x00, 0x02};

int Min(int a, int b) { return a < b ? a : b; }

// Copies the first kept elements of each region from the old block to the
// new one, through the old record's own pointers. The value bytes are also
// bounded by the old block's size; modes and names trust its count.
void CopyRegions(const PlcVariable& from, PlcVariable* to, int kept) {
  if (!from.values || kept <= 0) return;
  const std::size_t slot = static_cast<std::size_t>(to->slotSize);
  std::size_t valueBytes = slot * static_cast<std::size_t>(kept);
  if (from.bufferSize >= 0 && valueBytes > static_cast<std::size_t>(from.bufferSize))
    valueBytes = static_cast<std::size_t>(from.bufferSize);
  std::memcpy(to->values, from.values, valueBytes);
  std::memcpy(Var_ShownValues(to), Var_ShownValues(&from), valueBytes);
  std::memcpy(to->views, from.views, static_cast<std::size_t>(kept));
  std::memcpy(to->names, from.names, static_cast<std::size_t>(kept) * kVarNameSize);
}

bool Valid(const VarDefinition& d) {
  if (!Var_TypeInfo(d.type) || d.area < 0 || d.area >= kVarAreaCount) return false;
  if (d.count < 1 || d.count > Var_MaxCount(d.type)) return false;
  if (Var_IsTextType(d.type)) {
    const int wire = Var_TextWireSize(d.type, d.textMax);
    if (!wire || std::int64_t{wire} * d.count > kVarBytesMax) return false;
  } else if (d.textMax != 0) {
    return false;
  }
  if (d.start < 0 || d.start > kVarAddressMax) return false;
  if (d.area == S7_AREA_DB && (d.dbNumber < 0 || d.dbNumber > kVarDbNumberMax)) return false;
  if (d.type != S7_TYPE_BIT) return d.bit == 0;
  if (d.bit < 0 || d.bit > 7) return false;
  return d.count == 1 || (d.bit == 0 && d.count % 8 == 0);
}

}  // namespace

int Var_Resize(PlcVariable* var, int newCount) {
  if (!var || newCount < 1 || newCount > kVarCountLimit || !Var_TypeInfo(var->type)) return 0;
  PlcVariable next = *var;
  Var_Init(0, -1, -1, newCount, &next);
  if (!Var_AllocBlock(&next)) return 0;
  CopyRegions(*var, &next, Min(var->count, newCount));
  Var_FreeBlock(var);
  *var = next;
  return 1;
}

void Var_GetDefinition(const PlcVariable* var, VarDefinition* definition) {
  if (!definition) return;
  *definition = {};
  if (!var) return;
  *definition = {var->type, var->area, var->dbNumber, var->start, var->bit, var->count,
                 Var_IsTextType(var->type) ? var->textMax : 0};
}

int Var_ApplyDefinition(PlcVariable* var, const VarDefinition* definition, VarRecord record) {
  const bool isNew = record == VarRecord::New;
  if (!var || !definition) return VAR_DEFINITION_REFUSED;
  VarDefinition d = *definition;
  if (Var_IsTextType(d.type) && d.textMax == 0) d.textMax = kVarTextMaxDefault;
  if (!Var_IsTextType(d.type)) d.textMax = 0;
  if (d.area == S7_AREA_DB) {
    if (d.dbNumber == 0) d.dbNumber = 1;
  } else {
    d.dbNumber = 0;
  }
  if (!Valid(d)) return VAR_DEFINITION_REFUSED;

  VarDefinition old;
  Var_GetDefinition(var, &old);
  const bool differs = isNew || std::memcmp(&old, &d, sizeof d) != 0;
  if (!differs) return VAR_DEFINITION_SAME;

  // Elements survive only where the type stays and there is storage to keep.
  const bool keep = !isNew && var->type == d.type && var->textMax == d.textMax && var->values;
  PlcVariable next;
  int firstNew;
  if (!keep) {
    Var_Init(1, d.type, d.area, d.count, &next);
    next.textMax = d.textMax;
    Var_Init(0, -1, -1, 0, &next);
    if (!Var_AllocBlock(&next)) return VAR_DEFINITION_REFUSED;
    // A new record's earlier content is not its own block: leave it alone.
    if (!isNew) Var_FreeBlock(var);
    firstNew = 0;
  } else {
    next = *var;
    firstNew = Min(var->count, d.count);
    // On success the old block is gone and next holds the new one.
    if (var->count != d.count && !Var_Resize(&next, d.count)) return VAR_DEFINITION_REFUSED;
  }
  next.area = d.area;
  next.dbNumber = d.dbNumber;
  next.start = d.start;
  next.bit = d.bit;
  if (d.type == S7_TYPE_DATETIME) {
    std::int64_t start;
    std::memcpy(&start, kDateTimeStart, 8);
    for (int i = firstNew; i < d.count; ++i) Var_PutElement(i, &next, start, nullptr);
  }
  // Fresh DTLs are 1970-01-01, fresh texts empty with their maximum in place.
  if (d.type == S7_TYPE_DTL)
    for (int i = firstNew; i < d.count; ++i) Var_PutElement(i, &next, 0, nullptr);
  if (Var_IsTextType(d.type))
    for (int i = firstNew; i < d.count; ++i) Var_PutTextUnits(i, &next, u"");
  *var = next;
  return VAR_DEFINITION_CHANGED;
}
