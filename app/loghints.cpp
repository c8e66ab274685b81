// The hints after failed operations: two tables, one for what the whole
// operation ended with (connection refused, header errors) and one for the
// item codes of a read or write.
#include "app/loghints.h"

#include "platform/platform.h"
#include "res/strings.h"
#include "s7lib/s7lib.h"
#include "vars/format.h"
#include "vars/heaptext.h"

namespace {

enum class Ops { Connect, ReadWrite, Write, Any };

bool Covers(Ops ops, int op) {
  switch (ops) {
    case Ops::Connect: return op == S7_OP_CONNECTION_INIT || op == S7_OP_CONNECT;
    case Ops::ReadWrite: return op >= S7_OP_SIMPLE_READ && op <= S7_OP_MULTI_WRITE;
    case Ops::Write: return op == S7_OP_SIMPLE_WRITE || op == S7_OP_MULTI_WRITE;
    case Ops::Any: return true;
  }
  return false;
}

constexpr std::int32_t kAnyExtended = -1;

struct OperationHint {
  Ops ops;
  int error;
  std::int32_t extended;
  int id;
};

// First match wins.
constexpr OperationHint kOperationHints[] = {
    {Ops::Connect, S7_ERR_SOCKET, kWsaEConnRefused, IDS_HINT_NO_LISTENER},
    {Ops::Connect, S7_ERR_TIMEOUT, kAnyExtended, IDS_HINT_NO_ANSWER},
    {Ops::Connect, S7_ERR_REFUSED, kAnyExtended, IDS_HINT_REFUSED},
    {Ops::ReadWrite, S7_ERR_PDU, 0x8104, IDS_HINT_PUT_GET},
    {Ops::Write, S7_ERR_PDU, 0x8304, IDS_HINT_WRITE_REFUSED},
    {Ops::Any, S7_ERR_PDU, 0xD0A1, IDS_HINT_PROTECTION_LEVEL},
    {Ops::Any, S7_ERR_PARAMETER, 0xD0A1, IDS_HINT_PROTECTION_LEVEL},
};

struct ItemHint {
  std::uint8_t code;
  int id;
};

constexpr ItemHint kItemHints[] = {
    {0x03, IDS_HINT_ITEM_ACCESS}, {0x05, IDS_HINT_ITEM_ADDRESS}, {0x06, IDS_HINT_ITEM_TYPE},
    {0x07, IDS_HINT_ITEM_TYPE},   {0x0A, IDS_HINT_ITEM_NO_DB},
};

bool Holds(const int* ids, int count, int id) {
  for (int i = 0; i < count; ++i)
    if (ids[i] == id) return true;
  return false;
}

}  // namespace

int Log_Hints(const HintFacts& f, int* ids, int max) {
  int n = 0;
  if (f.error == S7_OK) return 0;
  for (const OperationHint& h : kOperationHints) {
    if (!Covers(h.ops, f.operation) || h.error != f.error) continue;
    if (h.extended != kAnyExtended && h.extended != f.extended) continue;
    if (n < max) ids[n++] = h.id;
    break;
  }
  if (!Covers(Ops::ReadWrite, f.operation) || !f.itemCodes) return n;
  for (int i = 0; i < f.itemCount && n < max; ++i)
    for (const ItemHint& h : kItemHints)
      if (h.code == f.itemCodes[i] && !Holds(ids, n, h.id)) ids[n++] = h.id;
  return n;
}

void Log_AppendHints(const HintFacts& facts, HeapText* text) {
  int ids[8];
  const int n = Log_Hints(facts, ids, 8);
  for (int i = 0; i < n; ++i) text->Format(LoadText(IDS_HINT_LINE), TextId(ids[i]));
}
