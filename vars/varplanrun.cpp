// Running a plan through the library's request functions, one request after
// the other, and joining what comes back: a variable's own items fill its
// slots directly; a merged run is read into scratch bytes and handed out to
// its variables once all its pieces are in, or read again one variable at a
// time when the PLC refused a piece of it.
#include <cstring>

#include "runtime/runtime.h"
#include "vars/varmodel.h"
#include "vars/varplan.h"

namespace {

constexpr std::int32_t kItemOk = 0xFF;

// Per chunk: items still to be answered, and what the answered ones said.
struct ChunkState {
  std::int32_t left;
  std::int32_t error, ext;  // a request refused as a whole (merged runs)
  std::int32_t note;        // 29: answered, but the reply's length was not the one expected
  std::int32_t retry;       // a piece of a merged run was refused item by item
  std::int32_t lost;
};

struct Run {
  const VarPlan* plan;
  S7Connection* conn;
  PlcVariable* vars;
  VarTransferResult* results;
  std::uint8_t* scratch;
  ChunkState* chunks;
  std::int32_t* retry;
  std::int32_t retryCount;
  std::int32_t requests;
  std::int32_t lostLink, lostExt;
};

bool Write(const Run& r) { return r.plan->direction == PlanDirection::Write; }

// Codes after which no answer can be expected on the connection: sending the
// rest would only wait out the time-out again and again.
bool LinkLost(int rc) {
  return rc == S7_ERR_NO_MEMORY || rc == S7_ERR_NOT_CONNECTED || rc == S7_ERR_SCP || rc == S7_ERR_SOCKET ||
         rc == S7_ERR_TIMEOUT || rc == S7_ERR_REFUSED || rc == S7_ERR_BAD_CONNECTION;
}

// Results the library decoded item by item (the failed-variable mask says
// which failed); any other result is the whole request's.
bool AnsweredItems(int rc, bool write) {
  if (write) return rc == S7_OK || rc == S7_ERR_DATA;
  return rc == S7_OK || rc == S7_ERR_DATA || rc == S7_ERR_DATA_SIZE || rc == S7_ERR_REPLY_SIZE;
}

void SetError(VarTransferResult* result, int error, int ext, int itemCode) {
  if (result->error != S7_OK) return;  // the first failure is the variable's
  result->error = error;
  result->ext = ext;
  result->itemCode = itemCode;
}

// A merged run's variables take their bytes from the scratch run, each as
// its own read would have converted them.
void HandOut(Run* r, const PlanChunk& c, int note) {
  for (std::int32_t k = 0; k < c.partCount; ++k) {
    const PlanPart& part = r->plan->parts[c.firstPart + k];
    PlcVariable& v = r->vars[part.variable];
    const std::uint8_t* wire = r->scratch + c.scratch + part.offset;
    std::uint8_t bit = 0;
    int length = v.type == S7_TYPE_BIT && v.count > 1 ? v.count / 8 : v.count * v.wireSize;
    if (v.type == S7_TYPE_BIT && v.count == 1) {
      // A single bit reads as a byte holding 0 or 1.
      bit = static_cast<std::uint8_t>((wire[0] >> (v.bit & 7)) & 1);
      wire = &bit;
      length = 1;
    }
    VarTransferResult* result = &r->results[part.variable];
    const int rc = S7_DecodeValues(static_cast<unsigned>(v.type), Var_WireCount(&v), 1, wire, length, v.values);
    if (rc != S7_OK) SetError(result, rc, 0, kItemOk);
    else if (note != S7_OK) SetError(result, note, 0, kItemOk);
    if (rc == S7_OK) result->piecesDone = 1;
  }
}

void FinishMerged(Run* r, std::int32_t index) {
  const PlanChunk& c = r->plan->chunks[index];
  const ChunkState& s = r->chunks[index];
  if (s.retry && !s.lost) {
    for (std::int32_t k = 0; k < c.partCount; ++k) r->retry[r->retryCount++] = r->plan->parts[c.firstPart + k].variable;
    return;
  }
  if (s.error == S7_OK) {
    HandOut(r, c, s.note);
    return;
  }
  for (std::int32_t k = 0; k < c.partCount; ++k) {
    VarTransferResult* result = &r->results[r->plan->parts[c.firstPart + k].variable];
    SetError(result, s.error, s.ext, kItemOk);
    result->lost = s.lost;
  }
}

// One item's answer. done: the PLC took it (note 29: with a reply of
// another length than expected); else error says why not, and fromItem
// whether the PLC refused this item alone (a merged run is then read again
// split up) rather than the whole request.
struct Outcome {
  bool done;
  int error, ext, itemCode;
  bool fromItem, lost;
};

void Answer(Run* r, std::int32_t itemIndex, const Outcome& o) {
  const std::int32_t index = r->plan->items[itemIndex].chunk;
  const PlanChunk& c = r->plan->chunks[index];
  ChunkState& s = r->chunks[index];
  if (c.variable >= 0) {
    VarTransferResult* result = &r->results[c.variable];
    if (o.done) ++result->piecesDone;
    if (o.error != S7_OK) SetError(result, o.error, o.ext, o.itemCode);
    if (o.lost) result->lost = 1;
  } else if (o.done) {
    if (o.error != S7_OK) s.note = o.error;
  } else {
    if (o.fromItem) s.retry = 1;
    else if (s.error == S7_OK) s.error = o.error, s.ext = o.ext;
    if (o.lost) s.lost = 1;
  }
  if (--s.left == 0 && c.variable < 0) FinishMerged(r, index);
}

void RunRequest(Run* r, const PlanRequest& q) {
  const bool write = Write(*r);
  int rc = write ? S7_MultiWrite_Begin(r->conn) : S7_MultiRead_Begin(r->conn);
  std::int32_t slots[kPlanMaxItems];
  int added = 0;
  for (std::int32_t i = 0; i < q.itemCount && rc == S7_OK; ++i) {
    const std::int32_t itemIndex = q.firstItem + i;
    const PlanItemArgs p = VarPlan_ItemArgs(r->plan, itemIndex, r->vars, r->scratch);
    const int refused = S7_AddVar(r->conn, p.type, p.area, p.dbNumber, p.start, p.bit, p.count, p.convert, p.values);
    if (refused == S7_OK && added < kPlanMaxItems) slots[added++] = itemIndex;
    else Answer(r, itemIndex, {false, refused != S7_OK ? refused : S7_ERR_TOO_MANY_VARS, 0, kItemOk, false, false});
  }
  if (rc == S7_OK && added == 0) return;
  std::int32_t ext = 0;
  if (rc == S7_OK) {
    rc = write ? S7_MultiWrite(r->conn) : S7_MultiRead(r->conn);
    S7_GetLastError(&ext);
    ++r->requests;
  }
  const bool lost = LinkLost(rc);
  if (lost) r->lostLink = rc, r->lostExt = ext;
  if (rc == S7_OK || AnsweredItems(rc, write)) {
    for (int j = 0; j < added; ++j) {
      int code = kItemOk;
      S7_GetVarResult(r->conn, j, &code);
      if ((static_cast<std::uint32_t>(ext) >> j) & 1u)
        Answer(r, slots[j], {false, code != kItemOk ? S7_ERR_DATA : S7_ERR_DATA_SIZE, 0, code, true, false});
      else
        Answer(r, slots[j], {true, rc == S7_ERR_REPLY_SIZE ? rc : S7_OK, 0, kItemOk, false, false});
    }
    return;
  }
  // Begin refused, or the whole request failed: every item it was to carry.
  if (added == 0)
    for (std::int32_t i = 0; i < q.itemCount; ++i) slots[added++] = q.firstItem + i;
  for (int j = 0; j < added; ++j) Answer(r, slots[j], {false, rc, ext, kItemOk, false, lost});
}

// After a lost link: whatever had not been answered fails with its code.
void FailUnanswered(Run* r) {
  const VarPlan* plan = r->plan;
  for (std::int32_t i = 0; i < plan->chunkCount; ++i) {
    const PlanChunk& c = plan->chunks[i];
    ChunkState& s = r->chunks[i];
    if (s.left == 0 || c.refused) continue;
    s.left = 0;
    if (c.variable >= 0) {
      SetError(&r->results[c.variable], r->lostLink, r->lostExt, kItemOk);
      r->results[c.variable].lost = 1;
    } else {
      s.retry = 0;
      s.lost = 1;
      if (s.error == S7_OK) s.error = r->lostLink, s.ext = r->lostExt;
      FinishMerged(r, i);
    }
  }
  for (std::int32_t k = 0; k < r->retryCount; ++k) {
    SetError(&r->results[r->retry[k]], r->lostLink, r->lostExt, kItemOk);
    r->results[r->retry[k]].lost = 1;
  }
  r->retryCount = 0;
}

// The variables of refused merged runs, read again each on its own.
void ReadAgain(Run* r) {
  const int n = r->retryCount;
  auto* copies = static_cast<PlcVariable*>(Rt_Alloc(0, sizeof(PlcVariable) * static_cast<std::size_t>(n)));
  auto* again = static_cast<VarTransferResult*>(Rt_Alloc(0, sizeof(VarTransferResult) * static_cast<std::size_t>(n)));
  VarPlan plan{};
  VarTransferSummary summary{};
  // The copies share the blocks, so the values land in the variables.
  if (copies && again) {
    for (int k = 0; k < n; ++k) copies[k] = r->vars[r->retry[k]];
    if (VarPlan_Build(copies, n, r->plan->pduSize, {PlanDirection::Read, PlanMerge::Never}, &plan)) {
      VarPlan_Run(&plan, r->conn, copies, again, &summary);
      r->requests += summary.requests;
      if (summary.lostLink) r->lostLink = summary.lostLink, r->lostExt = summary.ext;
      for (int k = 0; k < n; ++k) r->results[r->retry[k]] = again[k];
      r->retryCount = 0;
    }
  }
  VarPlan_Free(&plan);
  Rt_Free(copies);
  Rt_Free(again);
  // Without memory for the second round the runs' own failure stands.
  for (int k = 0; k < r->retryCount; ++k) SetError(&r->results[r->retry[k]], S7_ERR_NO_MEMORY, 0, kItemOk);
}

void Summarise(const Run& r, VarTransferSummary* summary) {
  *summary = VarTransferSummary{};
  summary->requests = r.requests;
  summary->lostLink = r.lostLink;
  for (std::int32_t i = 0; i < r.plan->variableCount; ++i) {
    const VarTransferResult& result = r.results[i];
    if (result.error == S7_OK) continue;
    ++summary->failed;
    if (result.lost) ++summary->lostVariables;
    if (summary->result == S7_OK) summary->result = result.error, summary->ext = result.ext;
  }
  if (r.lostLink) summary->result = r.lostLink, summary->ext = r.lostExt;
  if (r.plan->variableCount == 0) summary->result = S7_ERR_NO_VARS;
}

bool Prepare(Run* r) {
  const VarPlan* plan = r->plan;
  for (std::int32_t i = 0; i < plan->variableCount; ++i) r->results[i] = {S7_OK, 0, kItemOk, 0, 0, 0};
  r->chunks = static_cast<ChunkState*>(Rt_Alloc(kRtZero, sizeof(ChunkState) * static_cast<std::size_t>(plan->chunkCount) + 1));
  r->retry = static_cast<std::int32_t*>(Rt_Alloc(0, sizeof(std::int32_t) * static_cast<std::size_t>(plan->partCount) + 1));
  r->scratch = static_cast<std::uint8_t*>(Rt_Alloc(kRtZero, static_cast<std::size_t>(plan->scratchBytes) + 1));
  if (!r->chunks || !r->retry || !r->scratch) return false;
  for (std::int32_t i = 0; i < plan->itemCount; ++i) {
    const PlanChunk& c = plan->chunks[plan->items[i].chunk];
    ++r->chunks[plan->items[i].chunk].left;
    if (c.variable >= 0) ++r->results[c.variable].pieces;
  }
  for (std::int32_t i = 0; i < plan->chunkCount; ++i) {
    const PlanChunk& c = plan->chunks[i];
    if (c.refused) SetError(&r->results[c.variable], c.refused, 0, kItemOk);
    for (std::int32_t k = 0; k < c.partCount; ++k) r->results[plan->parts[c.firstPart + k].variable].pieces = 1;
  }
  return true;
}

}  // namespace

PlanItemArgs VarPlan_ItemArgs(const VarPlan* plan, std::int32_t itemIndex, PlcVariable* vars, std::uint8_t* scratch) {
  const PlanItem& item = plan->items[itemIndex];
  const PlanChunk& c = plan->chunks[item.chunk];
  const auto type = static_cast<unsigned>(c.type), area = static_cast<unsigned>(c.area);
  if (c.variable < 0)
    return {type, area, c.dbNumber, c.start + item.first, 0, item.units, 0, scratch + c.scratch + item.first};
  const PlcVariable& v = vars[c.variable];
  const bool packed = v.type == S7_TYPE_BIT && v.count > 1;
  const bool timerLike = v.type == S7_TYPE_TIMER || v.type == S7_TYPE_COUNTER;
  // Texts are planned as their bytes, which their slots hold as they are.
  if (Var_IsTextType(v.type))
    return {type, area, c.dbNumber, c.start + item.first, 0, item.units, 1, v.values + item.first};
  // Timers and counters are addressed by number, everything else by byte.
  const int elementsPerUnit = packed ? 8 : 1;
  const int offset = timerLike ? item.first : item.first * c.unitBytes;
  std::uint8_t* values = v.values + static_cast<std::size_t>(item.first) * elementsPerUnit * v.slotSize;
  return {type, area, c.dbNumber, c.start + offset, item.first == 0 ? c.bit : 0, item.units * elementsPerUnit, 1,
          values};
}

int VarPlan_Run(const VarPlan* plan, S7Connection* conn, PlcVariable* vars, VarTransferResult* results,
                VarTransferSummary* summary) {
  VarTransferSummary ignored;
  if (!summary) summary = &ignored;
  *summary = VarTransferSummary{};
  if (!plan || !vars || !results) return summary->result = S7_ERR_PARAMETER;
  Run r{plan, conn, vars, results, nullptr, nullptr, nullptr, 0, 0, 0, 0};
  if (!Prepare(&r)) {
    for (std::int32_t i = 0; i < plan->variableCount; ++i) SetError(&results[i], S7_ERR_NO_MEMORY, 0, kItemOk);
    r.lostLink = S7_ERR_NO_MEMORY;
  } else {
    for (std::int32_t q = 0; q < plan->requestCount && !r.lostLink; ++q) RunRequest(&r, plan->requests[q]);
    if (!r.lostLink && r.retryCount > 0) ReadAgain(&r);
    if (r.lostLink) FailUnanswered(&r);
  }
  Summarise(r, summary);
  Rt_Free(r.chunks);
  Rt_Free(r.retry);
  Rt_Free(r.scratch);
  return summary->result;
}
