// Building a plan: which bytes each variable needs, which variables the
// library would refuse outright, and which neighbours are cheaper read as
// one run; the packing into requests is varplanpack.cpp's.
#include <algorithm>
#include <cstring>

#include "vars/varmodel.h"
#include "vars/varplan_internal.h"

namespace {

// Addresses travel as 24 bits of bit address: a run must end below this.
constexpr std::int64_t kAddressLimit = std::int64_t{1} << 21;

bool TimerLike(int type) { return type == S7_TYPE_TIMER || type == S7_TYPE_COUNTER; }
bool PackedBits(const PlcVariable& v) { return v.type == S7_TYPE_BIT && v.count > 1; }

// The variable's wire bytes; 0 for one that cannot be sent.
std::int64_t WireBytes(const PlcVariable& v) {
  if (v.type == S7_TYPE_BIT) return v.count > 1 ? v.count / 8 : 1;
  const VarTypeInfo* info = Var_TypeInfo(v.type);
  if (info && Var_IsTextType(v.type)) return static_cast<std::int64_t>(v.count) * Var_TextWireSize(v.type, v.textMax);
  return info ? static_cast<std::int64_t>(v.count) * info->wireSize : 0;
}

}  // namespace

// A record whose sizes do not match its type and count would have the
// library write past its block: refused as a bad request.
int VarPlan_Refusal(const PlcVariable* var) {
  if (!var) return S7_ERR_BAD_REQUEST;
  const PlcVariable& v = *var;
  // The type first: the byte count of a text needs a known type.
  if (!Var_TypeInfo(v.type)) return S7_ERR_BAD_TYPE;
  const int rc = S7_CheckVar(static_cast<unsigned>(v.type), static_cast<unsigned>(v.area), v.bit,
                             Var_IsTextType(v.type) ? (v.count < 1 ? v.count : static_cast<int>(WireBytes(v))) : v.count);
  if (rc != S7_OK) return rc;
  const VarTypeInfo* info = Var_TypeInfo(v.type);
  const int slot = Var_IsTextType(v.type) ? Var_TextWireSize(v.type, v.textMax) : info->slotSize;
  if (!v.values || slot == 0 || v.slotSize != slot || (Var_IsTextType(v.type) && v.wireSize != slot) ||
      static_cast<std::int64_t>(v.slotSize) * v.count > v.bufferSize)
    return S7_ERR_BAD_REQUEST;
  const std::int64_t reach = TimerLike(v.type) ? v.count : WireBytes(v);
  if (v.start < 0 || v.start + reach > kAddressLimit) return S7_ERR_BAD_ADDRESS;
  return S7_OK;
}

namespace {

int Refusal(const PlcVariable& v) { return VarPlan_Refusal(&v); }

bool Mergeable(const PlcVariable& v) { return v.area <= static_cast<int>(S7_AREA_DB) && !TimerLike(v.type); }

PlanChunk* NewChunk(PlanBuilder* b) {
  VarPlan* p = b->plan;
  if (!PlanReserve(&p->chunks, &b->chunkCap, p->chunkCount + 1)) {
    b->failed = true;
    return nullptr;
  }
  PlanChunk* c = &p->chunks[p->chunkCount++];
  *c = PlanChunk{};
  c->variable = -1;
  return c;
}

void AddVariableChunk(PlanBuilder* b, const PlcVariable* vars, int index) {
  const PlcVariable& v = vars[index];
  PlanChunk* c = NewChunk(b);
  if (!c) return;
  *c = {index, v.type, v.area, v.dbNumber, v.start, v.bit, 0, 1, 0, 0, 0, Refusal(v)};
  if (c->refused) return;
  if (PackedBits(v)) {
    c->units = v.count / 8;
  } else {
    c->units = v.type == S7_TYPE_BIT ? 1 : v.count;
    c->unitBytes = v.type == S7_TYPE_BIT ? 1 : Var_TypeInfo(v.type)->wireSize;
    if (Var_IsTextType(v.type)) c->units = static_cast<std::int32_t>(WireBytes(v)), c->unitBytes = 1;
  }
}

// Cost on the wire of a run of len bytes read as an item of its own: the
// request item, the reply item's header, its data and the fill byte.
std::int64_t ItemCost(std::int64_t length) { return kPlanItemBytes + kPlanDataHeader + length + (length & 1); }

struct Extent {
  std::int32_t variable;
  std::int64_t lo, hi;
};

// The neighbours of one area and data block, in address order, joined while
// one item costs fewer bytes than two; a group of one stays the variable's
// own chunk. Chunks are made in the order of their first variable.
void AddMergedChunks(PlanBuilder* b, const PlcVariable* vars, Extent* extents, int n, std::int32_t* firstOf) {
  VarPlan* p = b->plan;
  int i = 0;
  while (i < n && !b->failed) {
    const PlcVariable& head = vars[extents[i].variable];
    std::int64_t lo = extents[i].lo, hi = extents[i].hi;
    int j = i + 1;
    for (; j < n; ++j) {
      const PlcVariable& next = vars[extents[j].variable];
      if (next.area != head.area || next.dbNumber != head.dbNumber) break;
      const std::int64_t joinedHi = std::max(hi, extents[j].hi);
      if (ItemCost(joinedHi - lo) >= ItemCost(hi - lo) + ItemCost(extents[j].hi - extents[j].lo)) break;
      hi = joinedHi;
    }
    if (j - i == 1) {
      firstOf[extents[i].variable] = -2;  // made in table order by the caller
    } else {
      PlanChunk* c = NewChunk(b);
      if (!c || !PlanReserve(&p->parts, &b->partCap, p->partCount + (j - i))) {
        b->failed = true;
        return;
      }
      std::int32_t first = extents[i].variable;
      for (int k = i; k < j; ++k) first = std::min(first, extents[k].variable);
      *c = {-1, S7_TYPE_BYTE, head.area, head.dbNumber, static_cast<std::int32_t>(lo), 0,
            static_cast<std::int32_t>(hi - lo), 1, p->partCount, j - i, p->scratchBytes, 0};
      for (int k = i; k < j; ++k)
        p->parts[p->partCount++] = {extents[k].variable, static_cast<std::int32_t>(extents[k].lo - lo)};
      p->scratchBytes += c->units;
      p->merged = 1;
      firstOf[first] = p->chunkCount - 1;
    }
    i = j;
  }
}

// The chunks of every variable in table order, merged runs in the place of
// their first variable.
void MakeChunks(PlanBuilder* b, const PlcVariable* vars, int count, bool merge) {
  VarPlan* p = b->plan;
  if (!merge) {
    for (int i = 0; i < count && !b->failed; ++i) AddVariableChunk(b, vars, i);
    return;
  }
  auto* extents = static_cast<Extent*>(Rt_Alloc(0, sizeof(Extent) * static_cast<std::size_t>(count) + 1));
  auto* firstOf = static_cast<std::int32_t*>(Rt_Alloc(0, sizeof(std::int32_t) * static_cast<std::size_t>(count) + 1));
  if (!extents || !firstOf) {
    b->failed = true;
  } else {
    int n = 0;
    for (int i = 0; i < count; ++i) {
      firstOf[i] = -1;
      if (Refusal(vars[i]) == S7_OK && Mergeable(vars[i]))
        extents[n++] = {i, vars[i].start, vars[i].start + WireBytes(vars[i])};
    }
    std::sort(extents, extents + n, [&](const Extent& x, const Extent& y) {
      const PlcVariable &a = vars[x.variable], &c = vars[y.variable];
      if (a.area != c.area) return a.area < c.area;
      if (a.dbNumber != c.dbNumber) return a.dbNumber < c.dbNumber;
      if (x.lo != y.lo) return x.lo < y.lo;
      return x.variable < y.variable;
    });
    AddMergedChunks(b, vars, extents, n, firstOf);
    // The merged runs so far, then every chunk again in table order.
    const std::int32_t runs = p->chunkCount;
    for (int i = 0; i < count && !b->failed; ++i) {
      if (firstOf[i] >= 0) {
        PlanChunk* c = NewChunk(b);
        if (c) *c = p->chunks[firstOf[i]];
      } else if (firstOf[i] != -1 || Refusal(vars[i]) != S7_OK || !Mergeable(vars[i])) {
        AddVariableChunk(b, vars, i);
      }
    }
    if (!b->failed && runs > 0) {
      std::memmove(p->chunks, p->chunks + runs, sizeof(PlanChunk) * static_cast<std::size_t>(p->chunkCount - runs));
      p->chunkCount -= runs;
    }
  }
  Rt_Free(extents);
  Rt_Free(firstOf);
}

bool BuildWith(const PlcVariable* vars, int count, bool merge, bool balance, VarPlan* plan) {
  PlanBuilder b{plan};
  MakeChunks(&b, vars, count, merge);
  if (b.failed || !(balance ? Plan_PackBalanced(&b) : Plan_PackInOrder(&b))) {
    VarPlan_Free(plan);
    return false;
  }
  return true;
}

}  // namespace

int VarPlan_Build(const PlcVariable* vars, int count, int pduSize, PlanOptions options, VarPlan* plan) {
  if (!plan) return 0;
  *plan = VarPlan{};
  plan->direction = options.direction;
  plan->pduSize = std::min(pduSize, 512);
  plan->variableCount = count > 0 && vars ? count : 0;
  const bool read = options.direction == PlanDirection::Read;
  const bool merge = read && options.merge == PlanMerge::Always;
  // A table that fits one request as it always went keeps that request,
  // item for item in table order; anything larger is packed for the fewest.
  if (!BuildWith(vars, plan->variableCount, merge, read && options.merge != PlanMerge::WhenSeveral, plan)) return 0;
  if (read && options.merge == PlanMerge::WhenSeveral && plan->requestCount > 1) {
    VarPlan_Free(plan);
    return BuildWith(vars, plan->variableCount, true, true, plan) ? 1 : 0;
  }
  return 1;
}

void VarPlan_Free(VarPlan* plan) {
  if (!plan) return;
  Rt_Free(plan->chunks);
  Rt_Free(plan->parts);
  Rt_Free(plan->items);
  Rt_Free(plan->requests);
  const PlanDirection direction = plan->direction;
  const std::int32_t pdu = plan->pduSize, variables = plan->variableCount;
  *plan = VarPlan{};
  plan->direction = direction;
  plan->pduSize = pdu;
  plan->variableCount = variables;
}

PlanTotals VarPlan_Totals(const VarPlan* plan) {
  PlanTotals t{};
  if (!plan) return t;
  t.requests = plan->requestCount;
  for (std::int32_t i = 0; i < plan->requestCount; ++i) {
    t.requestBytes += plan->requests[i].requestBytes;
    t.replyBytes += plan->requests[i].replyBytes;
  }
  return t;
}
