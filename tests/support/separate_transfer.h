// What the request planner is checked against: each variable read or
// written on its own, one variable per request, in as many requests as its
// size needs. A planned transfer must leave the same values and codes.
#pragma once

#include <algorithm>
#include <cstdint>

#include "vars/vars.h"

namespace plantest {

struct SeparateResult {
  int error;
  int itemCode;  // the PLC's code for a refused item, 0xFF otherwise
};

// Reads (or writes) the variable with S7_SimpleRead (S7_SimpleWrite), cut at
// element boundaries into pieces that each fit one request of the PDU size;
// stops at the first piece that fails.
inline SeparateResult SeparateTransfer(S7Connection* conn, PlcVariable* v, int pdu, PlanDirection direction) {
  const bool write = direction == PlanDirection::Write;
  const bool packed = v->type == S7_TYPE_BIT && v->count > 1;
  const bool timerLike = v->type == S7_TYPE_TIMER || v->type == S7_TYPE_COUNTER;
  const int unitBytes = v->type == S7_TYPE_BIT ? 1 : v->wireSize;
  const int units = packed ? v->count / 8 : v->type == S7_TYPE_BIT ? 1 : v->count;
  // One item alone: a write carries its data in the request, a read in the reply.
  const int room = write ? pdu - kPlanRequestHeader - kPlanItemBytes - kPlanDataHeader
                         : pdu - kPlanReplyHeader - kPlanDataHeader;
  const int per = std::max(1, room / std::max(1, unitBytes));
  // A variable the library refuses outright goes once, whole, for its code.
  const bool refused = S7_CheckVar(static_cast<unsigned>(v->type), static_cast<unsigned>(v->area), v->bit, v->count);
  for (int first = 0; refused ? first == 0 : first < units; first += per) {
    const int n = std::min(per, units - first);
    const int start = v->start + (timerLike ? first : first * unitBytes);
    std::uint8_t* values = v->values + static_cast<std::size_t>(first) * (packed ? 8 : 1) * v->slotSize;
    const auto type = static_cast<unsigned>(v->type), area = static_cast<unsigned>(v->area);
    const int count = refused ? v->count : packed ? n * 8 : n;
    const int bit = first == 0 ? v->bit : 0;
    const int rc = write ? S7_SimpleWrite(conn, type, area, v->dbNumber, start, bit, count, 1, values)
                         : S7_SimpleRead(conn, type, area, v->dbNumber, start, bit, count, 1, values);
    if (rc != S7_OK) {
      int code = 0xFF;
      if (rc == S7_ERR_DATA || rc == S7_ERR_DATA_SIZE) S7_GetVarResult(conn, 0, &code);
      return {rc, code};
    }
  }
  return {S7_OK, 0xFF};
}

// The fewest requests any plan of the chunks could take: their reply (or,
// writing, request) bytes over what one request carries, their data when
// every request holds at least one item header, and their count over the
// items one request holds.
inline int LowerBound(const VarPlan& plan) {
  const std::int64_t pdu = plan.pduSize;
  std::int64_t bytes = 0, data = 0, items = 0;
  for (std::int32_t i = 0; i < plan.chunkCount; ++i) {
    const PlanChunk& c = plan.chunks[i];
    if (c.refused) continue;
    const std::int64_t length = static_cast<std::int64_t>(c.units) * c.unitBytes;
    data += length;
    bytes += length + (plan.direction == PlanDirection::Write ? kPlanItemBytes + kPlanDataHeader : kPlanDataHeader);
    ++items;
  }
  const bool write = plan.direction == PlanDirection::Write;
  const std::int64_t usable = write ? pdu - kPlanRequestHeader : pdu - kPlanReplyHeader;
  const std::int64_t perItem = write ? kPlanItemBytes + kPlanDataHeader : kPlanDataHeader;
  const std::int64_t maxItems =
      write ? kPlanMaxItems : std::min<std::int64_t>(kPlanMaxItems, (pdu - kPlanRequestHeader) / kPlanItemBytes);
  auto up = [](std::int64_t a, std::int64_t b) { return (a + b - 1) / b; };
  return static_cast<int>(std::max({up(bytes, usable), up(data, usable - perItem), up(items, maxItems)}));
}

}  // namespace plantest
