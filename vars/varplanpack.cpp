// Packing a plan's chunks into requests within the library's limits: at
// most 20 items, and a request and an expected reply no larger than the
// PDU, counted byte for byte as the library counts them (fill bytes
// included). A chunk that does not fit whole is cut at an element boundary.
// Two constraints meet in a read: the items a request may hold and the reply
// bytes. Filled in table order, a run of large chunks fills requests by bytes
// with few items and a run of small ones by items with bytes to spare; the
// balanced packing mixes them so that both fill together.
#include <algorithm>

#include "vars/varplan_internal.h"

namespace {

// One request as it fills.
struct Fill {
  int items;
  std::int64_t request, reply, data;  // data: a write's data part so far
};

constexpr Fill kEmpty{0, kPlanRequestHeader, kPlanReplyHeader, 0};

// The request and reply sizes with one more item of length bytes.
Fill With(const Fill& f, bool write, std::int64_t length) {
  Fill next = f;
  ++next.items;
  if (write) {
    next.request += (f.data & 1) + kPlanItemBytes + kPlanDataHeader + length;
    next.data += (f.data & 1) + kPlanDataHeader + length;
    next.reply += 1;
  } else {
    next.request += kPlanItemBytes;
    next.reply = ((f.reply + 1) & ~std::int64_t{1}) + kPlanDataHeader + length;
  }
  return next;
}

// How many units of unitBytes still fit into the request as one item.
std::int64_t UnitsThatFit(const Fill& f, bool write, int pdu, std::int64_t unitBytes) {
  if (f.items >= kPlanMaxItems) return 0;
  const Fill empty = With(f, write, 0);
  if (empty.request > pdu || empty.reply > pdu) return 0;
  // The data goes into the request of a write, the reply of a read.
  return (pdu - (write ? empty.request : empty.reply)) / unitBytes;
}

bool AddRequest(PlanBuilder* b, std::int32_t firstItem, const Fill& f) {
  VarPlan* p = b->plan;
  if (!PlanReserve(&p->requests, &b->requestCap, p->requestCount + 1)) return false;
  p->requests[p->requestCount++] = {firstItem, f.items, static_cast<std::int32_t>(f.request),
                                    static_cast<std::int32_t>(f.reply)};
  return true;
}

bool AddItem(PlanBuilder* b, const PlanItem& item) {
  VarPlan* p = b->plan;
  if (!PlanReserve(&p->items, &b->itemCap, p->itemCount + 1)) return false;
  p->items[p->itemCount++] = item;
  return true;
}

std::int64_t Bytes(const PlanChunk& c, std::int64_t units) { return units * c.unitBytes; }

// A piece of a chunk still to be placed, and where it went.
struct Piece {
  std::int32_t chunk, first, units;
  std::int32_t request;
};

// Runs larger than what one request carries get whole requests of one item
// each; what is left of them, and every smaller chunk, goes to *rest.
bool TakeWholeRequests(PlanBuilder* b, Piece* rest, std::int32_t* restCount) {
  VarPlan* p = b->plan;
  const std::int64_t alone = p->pduSize - kPlanReplyHeader - kPlanDataHeader;
  for (std::int32_t i = 0; i < p->chunkCount; ++i) {
    const PlanChunk& c = p->chunks[i];
    if (c.refused) continue;
    const std::int32_t per = static_cast<std::int32_t>(alone / c.unitBytes);
    if (per < 1) return false;
    std::int32_t first = 0;
    while (Bytes(c, c.units - first) > alone) {
      if (!AddItem(b, {i, first, per}) ||
          !AddRequest(b, p->itemCount - 1, With(kEmpty, false, Bytes(c, per))))
        return false;
      first += per;
    }
    rest[(*restCount)++] = {i, first, c.units - first, -1};
  }
  return true;
}

// Spreads the pieces (largest first) over m requests, each into the request
// with the most reply room left that still takes an item, cut where it does
// not fit. 1 when it went, 0 when m requests are not enough, −1 without
// memory. The placed pieces go to *placed in the order they were put into
// each request.
struct Spreading {
  Fill* fills;
  Piece* placed;
  std::int32_t placedCount, placedCap;
};

int Spread(const VarPlan& p, const Piece* pieces, std::int32_t n, std::int32_t m, Spreading* s) {
  for (std::int32_t r = 0; r < m; ++r) s->fills[r] = kEmpty;
  s->placedCount = 0;
  for (std::int32_t i = 0; i < n; ++i) {
    const PlanChunk& c = p.chunks[pieces[i].chunk];
    std::int32_t first = pieces[i].first, left = pieces[i].units;
    while (left > 0) {
      std::int32_t best = -1;
      std::int64_t bestFit = 0;
      for (std::int32_t r = 0; r < m; ++r) {
        const std::int64_t fit = UnitsThatFit(s->fills[r], false, p.pduSize, c.unitBytes);
        if (fit > bestFit) best = r, bestFit = fit;
      }
      if (best < 0) return 0;
      if (!PlanReserve(&s->placed, &s->placedCap, s->placedCount + 1)) return -1;
      const std::int32_t units = static_cast<std::int32_t>(std::min<std::int64_t>(bestFit, left));
      s->fills[best] = With(s->fills[best], false, Bytes(c, units));
      s->placed[s->placedCount++] = {pieces[i].chunk, first, units, best};
      first += units;
      left -= units;
    }
  }
  return 1;
}

// The fewest requests the pieces could take: their bytes, their data with
// one item header per request, their count.
std::int32_t Fewest(const VarPlan& p, const Piece* pieces, std::int32_t n) {
  std::int64_t data = 0;
  for (std::int32_t i = 0; i < n; ++i) data += Bytes(p.chunks[pieces[i].chunk], pieces[i].units);
  const std::int64_t usable = p.pduSize - kPlanReplyHeader;
  const std::int64_t items = std::min<std::int64_t>(kPlanMaxItems, (p.pduSize - kPlanRequestHeader) / kPlanItemBytes);
  auto up = [](std::int64_t a, std::int64_t c) { return c > 0 ? (a + c - 1) / c : a; };
  const std::int64_t fewest =
      std::max({up(data + kPlanDataHeader * n, usable), up(data, usable - kPlanDataHeader), up(n, items)});
  return static_cast<std::int32_t>(std::max<std::int64_t>(fewest, 1));
}

// The spread requests into the plan, request after request.
bool EmitSpread(PlanBuilder* b, const Piece* placed, std::int32_t n, const Fill* fills, std::int32_t m) {
  for (std::int32_t r = 0; r < m; ++r) {
    if (fills[r].items == 0) continue;
    const std::int32_t firstItem = b->plan->itemCount;
    for (std::int32_t i = 0; i < n; ++i)
      if (placed[i].request == r && !AddItem(b, {placed[i].chunk, placed[i].first, placed[i].units})) return false;
    if (!AddRequest(b, firstItem, fills[r])) return false;
  }
  return true;
}

bool PackPieces(PlanBuilder* b, const VarPlan& p, const Piece* pieces, std::int32_t n, std::int32_t* requests);

// A few request counts from the fewest possible up, as long as they beat the
// pieces in order; else these go in order, which always succeeds. 1 when
// spread, 0 when not (nothing was added), −1 without memory.
constexpr std::int32_t kSpreadTries = 3;

int SpreadRest(PlanBuilder* b, Piece* rest, std::int32_t n) {
  const VarPlan& p = *b->plan;
  std::stable_sort(rest, rest + n, [&](const Piece& x, const Piece& y) {
    return Bytes(p.chunks[x.chunk], x.units) > Bytes(p.chunks[y.chunk], y.units);
  });
  const std::int32_t fewest = Fewest(p, rest, n);
  std::int32_t inOrder = 0;
  if (!PackPieces(nullptr, p, rest, n, &inOrder)) return 0;
  const std::int32_t last = std::min(fewest + kSpreadTries, inOrder);
  Spreading s{static_cast<Fill*>(Rt_Alloc(0, sizeof(Fill) * static_cast<std::size_t>(fewest + kSpreadTries))),
              nullptr, 0, 0};
  int result = s.fills ? 0 : -1;
  for (std::int32_t m = fewest; result == 0 && m < last; ++m) {
    result = Spread(p, rest, n, m, &s);
    if (result == 1 && !EmitSpread(b, s.placed, s.placedCount, s.fills, m)) result = -1;
  }
  Rt_Free(s.fills);
  Rt_Free(s.placed);
  return result;
}

// The pieces in order, each request filled before the next is opened, into
// the plan; with no builder they are only counted (*requests).
bool PackPieces(PlanBuilder* b, const VarPlan& p, const Piece* pieces, std::int32_t n, std::int32_t* requests) {
  const bool write = p.direction == PlanDirection::Write;
  Fill f = kEmpty;
  std::int32_t firstItem = p.itemCount;
  *requests = 0;
  auto close = [&] {
    ++*requests;
    if (b && !AddRequest(b, firstItem, f)) return false;
    f = kEmpty;
    firstItem = p.itemCount;
    return true;
  };
  for (std::int32_t i = 0; i < n; ++i) {
    const PlanChunk& c = p.chunks[pieces[i].chunk];
    std::int32_t first = pieces[i].first, left = pieces[i].units;
    while (left > 0) {
      const std::int64_t fit = UnitsThatFit(f, write, p.pduSize, c.unitBytes);
      if (fit == 0) {
        // A fresh request that cannot take one unit: no PDU would do.
        if (f.items == 0 || !close()) return false;
        continue;
      }
      const std::int32_t units = static_cast<std::int32_t>(std::min<std::int64_t>(fit, left));
      if (b && !AddItem(b, {pieces[i].chunk, first, units})) return false;
      f = With(f, write, Bytes(c, units));
      first += units;
      left -= units;
    }
  }
  return f.items == 0 || close();
}

}  // namespace

bool Plan_PackInOrder(PlanBuilder* b) {
  VarPlan* p = b->plan;
  auto* pieces = static_cast<Piece*>(Rt_Alloc(0, sizeof(Piece) * static_cast<std::size_t>(p->chunkCount) + 1));
  if (!pieces) return false;
  std::int32_t n = 0;
  for (std::int32_t i = 0; i < p->chunkCount; ++i)
    if (!p->chunks[i].refused) pieces[n++] = {i, 0, p->chunks[i].units, -1};
  std::int32_t requests = 0;
  const bool ok = PackPieces(b, *p, pieces, n, &requests);
  Rt_Free(pieces);
  return ok;
}

bool Plan_PackBalanced(PlanBuilder* b) {
  VarPlan* p = b->plan;
  auto* rest = static_cast<Piece*>(Rt_Alloc(0, sizeof(Piece) * static_cast<std::size_t>(p->chunkCount) + 1));
  std::int32_t n = 0;
  bool ok = rest && TakeWholeRequests(b, rest, &n);
  if (ok && n > 0) {
    const int spread = SpreadRest(b, rest, n);
    std::int32_t requests = 0;
    ok = spread == 1 || (spread == 0 && PackPieces(b, *p, rest, n, &requests));
  }
  Rt_Free(rest);
  return ok;
}
