// Building a plan: which bytes each variable needs, which variables the
// library would refuse outright, and which neighbours are cheaper read as
// one run (fewer bytes, or, where the items and not the bytes bound the
// requests, fewer requests); the packing into requests is varplanpack.cpp's.
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

// Neighbours joined by the byte rule: extents [first, end) of the sorted
// list, bytes [lo, hi) of their area and block.
struct Group {
  std::int32_t first, end;
  std::int64_t lo, hi;
};

bool SameBlock(const PlcVariable& a, const PlcVariable& b) { return a.area == b.area && a.dbNumber == b.dbNumber; }

// The neighbours of one area and data block, in address order, joined while
// one item costs fewer bytes than two. Returns the number of groups.
std::int32_t FormGroups(const PlcVariable* vars, const Extent* extents, int n, Group* groups) {
  std::int32_t count = 0;
  int i = 0;
  while (i < n) {
    const PlcVariable& head = vars[extents[i].variable];
    std::int64_t lo = extents[i].lo, hi = extents[i].hi;
    int j = i + 1;
    for (; j < n; ++j) {
      if (!SameBlock(vars[extents[j].variable], head)) break;
      const std::int64_t joinedHi = std::max(hi, extents[j].hi);
      if (ItemCost(joinedHi - lo) >= ItemCost(hi - lo) + ItemCost(extents[j].hi - extents[j].lo)) break;
      hi = joinedHi;
    }
    groups[count++] = {i, j, lo, hi};
    i = j;
  }
  return count;
}

// What the table's other chunks (not in any group) add to a read: items
// and reply bytes.
struct Load {
  std::int64_t items, bytes;
};

// The reply bytes of a run of len bytes, and the items it is cut into.
std::int64_t ReplyCost(std::int64_t length) { return kPlanDataHeader + length + (length & 1); }
std::int64_t Pieces(std::int64_t length, std::int64_t alone) { return length > alone ? (length + alone - 1) / alone : 1; }

// A table whose requests are bound by their 20 items (or 19 at PDU 240)
// rather than by bytes: the narrowest gaps between groups are bridged, each
// saving an item for the bytes between, as long as that lowers the requests
// the items and bytes call for. A bridged run stays within one reply.
// bridged[g] is set for the gap after group g.
bool Bridge(const VarPlan& p, const PlcVariable* vars, const Extent* extents, const Group* groups, std::int32_t count,
            Load other, std::uint8_t* bridged) {
  const std::int64_t alone = p.pduSize - kPlanReplyHeader - kPlanDataHeader;
  const std::int64_t usable = p.pduSize - kPlanReplyHeader;
  const std::int64_t maxItems = std::min<std::int64_t>(kPlanMaxItems, (p.pduSize - kPlanRequestHeader) / kPlanItemBytes);
  if (alone < 1 || maxItems < 1) return true;
  auto* gaps = static_cast<std::int32_t*>(Rt_Alloc(0, sizeof(std::int32_t) * static_cast<std::size_t>(count) + 1));
  auto* ends = static_cast<std::int32_t*>(Rt_Alloc(0, sizeof(std::int32_t) * 2 * static_cast<std::size_t>(count) + 1));
  if (!gaps || !ends) {
    Rt_Free(gaps);
    Rt_Free(ends);
    return false;
  }
  std::int64_t items = other.items, bytes = other.bytes;
  std::int32_t gapCount = 0;
  for (std::int32_t g = 0; g < count; ++g) {
    const std::int64_t length = groups[g].hi - groups[g].lo;
    items += Pieces(length, alone);
    bytes += ReplyCost(length);
    ends[2 * g] = ends[2 * g + 1] = g;  // a chain's first group, kept at its last; its last, kept at its first
    if (g + 1 < count && SameBlock(vars[extents[groups[g].first].variable], vars[extents[groups[g + 1].first].variable]))
      gaps[gapCount++] = g;
  }
  std::stable_sort(gaps, gaps + gapCount, [&](std::int32_t x, std::int32_t y) {
    return groups[x + 1].lo - groups[x].hi < groups[y + 1].lo - groups[y].hi;
  });
  auto up = [](std::int64_t a, std::int64_t c) { return (a + c - 1) / c; };
  auto requests = [&] { return std::max(up(items, maxItems), up(bytes, usable)); };
  std::int64_t best = requests();
  std::int32_t taken = 0, keep = 0;
  for (std::int32_t k = 0; k < gapCount && up(items, maxItems) > up(bytes, usable); ++k) {
    const std::int32_t g = gaps[k];
    const std::int32_t first = ends[2 * g], last = ends[2 * (g + 1) + 1];
    const std::int64_t left = groups[g].hi - groups[first].lo, right = groups[last].hi - groups[g + 1].lo;
    const std::int64_t joined = groups[last].hi - groups[first].lo;
    if (joined > alone) continue;
    ends[2 * first + 1] = last;
    ends[2 * last] = first;
    --items;
    bytes += ReplyCost(joined) - ReplyCost(left) - ReplyCost(right);
    gaps[taken++] = g;  // the bridges in the order taken, over the gaps already passed
    if (requests() < best) best = requests(), keep = taken;
  }
  for (std::int32_t k = 0; k < keep; ++k) bridged[gaps[k]] = 1;
  Rt_Free(gaps);
  Rt_Free(ends);
  return true;
}

// The groups as chunks, bridged ones joined; a run of one variable stays
// the variable's own chunk. Chunks are made in the order of their first
// variable.
void AddMergedChunks(PlanBuilder* b, const PlcVariable* vars, const Extent* extents, const Group* groups,
                     std::int32_t count, const std::uint8_t* bridged, std::int32_t* firstOf) {
  VarPlan* p = b->plan;
  std::int32_t g = 0;
  while (g < count && !b->failed) {
    std::int32_t last = g;
    while (bridged[last]) ++last;
    const int i = groups[g].first, j = groups[last].end;
    const std::int64_t lo = groups[g].lo, hi = groups[last].hi;
    if (j - i == 1) {
      firstOf[extents[i].variable] = -2;  // made in table order by the caller
    } else {
      const PlcVariable& head = vars[extents[i].variable];
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
    g = last + 1;
  }
}

// Whether a read takes the run of bridges (Bridge) as well as the byte rule.
enum class Bridging { Off, On };

// The neighbours' groups, bridged where that saves requests: *count groups,
// bridged[g] for the gap after group g. False without memory.
bool Grouped(PlanBuilder* b, const PlcVariable* vars, int count, const Extent* extents, int n, Bridging bridging,
             Group* groups, std::int32_t* groupCount, std::uint8_t* bridged) {
  *groupCount = FormGroups(vars, extents, n, groups);
  std::memset(bridged, 0, static_cast<std::size_t>(*groupCount) + 1);
  if (bridging == Bridging::Off) return true;
  const std::int64_t alone = b->plan->pduSize - kPlanReplyHeader - kPlanDataHeader;
  Load other{0, 0};
  for (int i = 0; i < count; ++i) {
    if (Refusal(vars[i]) != S7_OK || Mergeable(vars[i])) continue;
    const std::int64_t length = WireBytes(vars[i]);
    other.items += alone > 0 ? Pieces(length, alone) : 1;
    other.bytes += ReplyCost(length);
  }
  return Bridge(*b->plan, vars, extents, groups, *groupCount, other, bridged);
}

// The chunks of every variable in table order, merged runs in the place of
// their first variable.
void MakeChunks(PlanBuilder* b, const PlcVariable* vars, int count, bool merge, Bridging bridging) {
  VarPlan* p = b->plan;
  if (!merge) {
    for (int i = 0; i < count && !b->failed; ++i) AddVariableChunk(b, vars, i);
    return;
  }
  const std::size_t n1 = static_cast<std::size_t>(count) + 1;
  auto* extents = static_cast<Extent*>(Rt_Alloc(0, sizeof(Extent) * n1));
  auto* firstOf = static_cast<std::int32_t*>(Rt_Alloc(0, sizeof(std::int32_t) * n1));
  auto* groups = static_cast<Group*>(Rt_Alloc(0, sizeof(Group) * n1));
  auto* bridged = static_cast<std::uint8_t*>(Rt_Alloc(0, n1));
  if (!extents || !firstOf || !groups || !bridged) {
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
    std::int32_t groupCount = 0;
    if (!Grouped(b, vars, count, extents, n, bridging, groups, &groupCount, bridged)) b->failed = true;
    else AddMergedChunks(b, vars, extents, groups, groupCount, bridged, firstOf);
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
  Rt_Free(groups);
  Rt_Free(bridged);
}

bool BuildWith(const PlcVariable* vars, int count, bool merge, bool balance, VarPlan* plan,
               Bridging bridging = Bridging::Off) {
  PlanBuilder b{plan};
  MakeChunks(&b, vars, count, merge, bridging);
  if (b.failed || !(balance ? Plan_PackBalanced(&b) : Plan_PackInOrder(&b))) {
    VarPlan_Free(plan);
    return false;
  }
  return true;
}

// A merged read of several requests planned again with gaps bridged; kept
// only when it takes fewer requests (the bytes it adds buy nothing else).
void TryBridging(const PlcVariable* vars, VarPlan* plan) {
  if (plan->requestCount <= 1) return;
  VarPlan bridged{};
  bridged.direction = plan->direction;
  bridged.pduSize = plan->pduSize;
  bridged.variableCount = plan->variableCount;
  if (!BuildWith(vars, plan->variableCount, true, true, &bridged, Bridging::On)) return;
  if (bridged.requestCount < plan->requestCount) {
    VarPlan_Free(plan);
    *plan = bridged;
  } else {
    VarPlan_Free(&bridged);
  }
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
    if (!BuildWith(vars, plan->variableCount, true, true, plan)) return 0;
    TryBridging(vars, plan);
  } else if (merge) {
    TryBridging(vars, plan);
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
