// Log entries of library operations. An entry is built in a HeapText, so a
// long partner list or many item results are never cut and nothing is
// written past a buffer; the block is handed to the log.
#include "app/logoperation.h"

#include <cstdarg>
#include <cstring>

#include "app/appstate.h"
#include "app/frontend.h"
#include "app/loghints.h"
#include "app/logpane.h"
#include "res/strings.h"

namespace {

// A request holds at most 20 items.
constexpr int kMaxHintItems = 20;

std::uint16_t Le16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }

std::uint32_t Le32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

void BusParameterBlock(HeapText* detail, const std::uint8_t* r) {
  // The ident is the record's own text; bounded by the record, whatever it holds.
  char ident[242 - 43 + 1];
  std::size_t n = 0;
  while (n < sizeof ident - 1 && r[43 + n]) {
    ident[n] = static_cast<char>(r[43 + n]);
    ++n;
  }
  ident[n] = '\0';
  detail->Format(LoadText(IDS_LOG_BUS_PARAMETERS_1), r[0], r[1], Le16(r + 2), BaudText(Le16(r + 4)), Le16(r + 6));
  detail->Format(LoadText(IDS_LOG_BUS_PARAMETERS_2), Le16(r + 8), r[10], r[11], Le16(r + 12));
  detail->Format(LoadText(IDS_LOG_BUS_PARAMETERS_3), Le16(r + 14), Le16(r + 16), Le16(r + 18), Le16(r + 20));
  detail->Format(LoadText(IDS_LOG_BUS_PARAMETERS_4), static_cast<int>(Le32(r + 22)), r[26],
                 static_cast<std::int16_t>(Le16(r + 27)), static_cast<std::int16_t>(Le16(r + 29)), ident);
}

// After a start, the CPU is asked for its state until it runs, for at most
// 2 s. The pause between questions spares the PLC a flood of requests.
int PollAfterStart(S7Connection* conn, int* state) {
  const std::uint32_t t0 = Plat_TickCount();
  int rc;
  *state = 0;
  for (;;) {
    rc = S7_GetCpuState(conn, state);
    if (*state == S7_CPU_RUN || Plat_TickCount() - t0 >= 2000) return rc;
    Plat_Sleep(50);
  }
}

bool HasName(int op) {
  return op != S7_OP_INTERFACE_INIT && op != S7_OP_INTERFACE_DONE && op != S7_OP_ONLINE_PARTNERS &&
         op != S7_OP_ONLINE_BUSPARS;
}

bool DisconnectsOnTimeout(int op) {
  return op == S7_OP_GET_CPU_STATE || op == S7_OP_SESSION_LOGIN || op == S7_OP_SESSION_LOGOUT ||
         (op >= S7_OP_SIMPLE_READ && op <= S7_OP_MULTI_WRITE);
}

void Details(int op, int value, const void* data, S7Connection* conn, HeapText* detail) {
  switch (op) {
    case S7_OP_CONNECTION_INIT:
    case S7_OP_CONNECT: detail->Format(LoadText(IDS_LOG_PDU_SIZE), S7_GetPduSize(conn)); break;
    case S7_OP_ONLINE_PARTNERS: {
      const auto* list = static_cast<const std::uint8_t*>(data);
      for (int i = 0; list && i < value; ++i)
        if (const char* text = PartnerStatusText(list[i])) detail->Format(LoadText(IDS_LOG_PARTNER), i, text);
      break;
    }
    case S7_OP_ONLINE_BUSPARS:
      if (data) BusParameterBlock(detail, static_cast<const std::uint8_t*>(data));
      break;
    case S7_OP_GET_CPU_CLOCK:
      if (data) {
        const auto* clock = static_cast<const CalendarRecord*>(data);
        detail->Format(LoadText(IDS_LOG_CPU_CLOCK), clock, clock);
      }
      break;
    case S7_OP_SET_CPU_CLOCK: {
      CalendarRecord cpu{};
      if (S7_GetCpuClock(conn, &cpu) == S7_OK) {
        PlatCalendar now;
        Plat_LocalTime(&now);
        CalendarRecord pc;
        std::memcpy(&pc, &now, sizeof pc);
        detail->Format(LoadText(IDS_LOG_CPU_AND_PC_CLOCK), &cpu, &cpu, &pc, &pc);
      }
      break;
    }
    case S7_OP_GET_CPU_STATE: detail->Format(LoadText(IDS_LOG_CPU_STATE), CpuStateText(value)); break;
    case S7_OP_CPU_START: {
      int state = 0;
      if (PollAfterStart(conn, &state) == S7_OK) detail->Format(LoadText(IDS_LOG_CPU_STATE), CpuStateText(state));
      break;
    }
    case S7_OP_CPU_STOP: {
      int state = 0;
      if (S7_GetCpuState(conn, &state) == S7_OK) detail->Format(LoadText(IDS_LOG_CPU_STATE), CpuStateText(state));
      break;
    }
    default: break;
  }
}

// The entry's first line: connection name (where the operation has one),
// operation, error text and extended code.
void AppendHeader(HeapText* entry, S7Connection* conn, bool named, int nameId, int error, std::int32_t ext) {
  char name[24] = "";
  if (named) S7_GetConnectionName(conn, name);
  entry->Format(LoadText(IDS_LOG_ENTRY), name, name[0] != '\0', TextId(nameId), TextId(IDS_ERR_OK + error), ext,
                ext, ext, "");
}

void Hand(HeapText* entry) {
  std::size_t length = 0;
  char* text = entry->Take(&length);
  if (text) LogWrite(MainLogPane(), text, length, LogOwnership::LogReleases);
}

// A PLC that did not answer in time is cut off: a late answer must not be
// taken for the answer to the next request.
void DisconnectAfterTimeout(AppState* app) {
  const int rc = S7_Disconnect(app->conn);
  LogOperation(kLogOperationBase + S7_OP_DISCONNECT, 0, nullptr);
  if (rc == S7_OK)
    if (FrontEnd* fe = TheFrontEnd()) fe->UpdateMenu(MenuState::Unchanged, MenuState::Open, SaveItem::Leave);
}

}  // namespace

const char* CpuStateText(int state) {
  return LoadText(state == S7_CPU_STOP ? IDS_CPU_STOP : state == S7_CPU_RUN ? IDS_CPU_RUN : IDS_CPU_UNKNOWN);
}

const char* PartnerStatusText(std::uint8_t status) {
  switch (status) {
    case 0x00: return LoadText(IDS_PARTNER_PASSIVE);
    case 0x20: return LoadText(IDS_PARTNER_ACTIVE_READY);
    case 0x30: return LoadText(IDS_PARTNER_ACTIVE);
    default: return nullptr;
  }
}

const char* BaudText(unsigned code) {
  // Codes past the table have no name of their own: "???" as for code 10.
  return LoadText(code <= 11 ? IDS_BAUD_9K6 + static_cast<int>(code) : IDS_BAUD_UNKNOWN);
}

const char* ItemResultText(int code) {
  struct Row {
    int code, id;
  };
  static constexpr Row kRows[] = {
      {0x00, IDS_ITEM_RESERVED},      {0x01, IDS_ITEM_HARDWARE_FAULT},       {0x03, IDS_ITEM_ACCESS_DENIED},
      {0x05, IDS_ITEM_ADDRESS_OUT_OF_RANGE}, {0x06, IDS_ITEM_TYPE_NOT_SUPPORTED}, {0x07, IDS_ITEM_TYPE_INCONSISTENT},
      {0x0A, IDS_ITEM_NO_OBJECT},     {0xFF, IDS_ITEM_SUCCESS},
  };
  for (const Row& r : kRows)
    if (r.code == code) return LoadText(r.id);
  return LoadText(IDS_ITEM_UNKNOWN);
}

void LogOperation(int operation, int value, const void* data) {
  const int op = operation - kLogOperationBase;
  if (op < S7_OP_INTERFACE_INIT || op > S7_OP_MULTI_WRITE) return;
  std::int32_t ext = 0;
  const int error = S7_GetLastError(&ext);
  AppState* app = TheAppState();
  S7Connection* conn = app->conn;

  HeapText detail;
  if (error == S7_OK) Details(op, value, data, conn, &detail);
  HeapText entry;
  AppendHeader(&entry, conn, HasName(op), operation, error, ext);
  entry.Append(detail.Text(), detail.Length());
  // Item results belong to the read or write that produced them: an
  // unrelated failure (a bus service, an interface) must not show the
  // results a connection kept from its last request.
  const bool readOrWrite = op >= S7_OP_SIMPLE_READ && op <= S7_OP_MULTI_WRITE;
  const int items = error != S7_OK && readOrWrite ? S7_GetVarCount(conn) : 0;
  std::uint8_t codes[kMaxHintItems];
  for (int i = 0; i < items; ++i) {
    int code = 0;
    S7_GetVarResult(conn, i, &code);
    if (i < kMaxHintItems) codes[i] = static_cast<std::uint8_t>(code);
    char address[kVarAddressTextMax] = "?";
    if (i < app->table.count) Var_FormatAddress({.withCount = true, .withType = true}, 0, &app->table.vars[i], address, nullptr);
    entry.Format(LoadText(IDS_LOG_ITEM_RESULT), address, ItemResultText(code));
  }
  // What the refusal most likely means, after the entry as it always was.
  const int hinted = items < kMaxHintItems ? items : kMaxHintItems;
  Log_AppendHints({op, error, ext, codes, hinted}, &entry);
  Hand(&entry);
  if (error == S7_ERR_TIMEOUT && DisconnectsOnTimeout(op)) DisconnectAfterTimeout(app);
}

void LogCommandEntry(int nameId, int error, std::int32_t ext, const char* detail, std::size_t length) {
  AppState* app = TheAppState();
  HeapText entry;
  AppendHeader(&entry, app->conn, true, nameId, error, ext);
  if (detail) entry.Append(detail, length);
  Hand(&entry);
  if (error == S7_ERR_TIMEOUT) DisconnectAfterTimeout(app);
}

namespace {

// What one failed variable's line says: the PLC's code for an item it
// refused, else the library's error text.
const char* FailureText(const VarTransferResult& r) {
  if (r.error == S7_ERR_DATA && r.itemCode != 0xFF) return ItemResultText(r.itemCode);
  return LoadText(IDS_ERR_OK + r.error);
}

void FailureLines(HeapText* entry, const VarTransferSummary& summary, const VarTransferResult* results,
                  const VariableTable* table, bool write) {
  const int count = VarTable_Count(table);
  int lost = 0;
  for (int i = 0; i < count; ++i) {
    const VarTransferResult& r = results[i];
    if (r.error == S7_OK) continue;
    const bool partly = write && r.piecesDone > 0;
    if (r.lost && !partly) {
      ++lost;
      continue;
    }
    char address[kVarAddressTextMax];
    Var_FormatAddress({.withCount = true, .withType = true}, 0, &table->vars[i], address, nullptr);
    if (partly)
      entry->Format(LoadText(IDS_LOG_PLAN_PARTIAL), address, FailureText(r), r.piecesDone, r.pieces);
    else
      entry->Format(LoadText(IDS_LOG_PLAN_VARIABLE), address, FailureText(r), r.ext, r.ext);
  }
  if (lost > 0) entry->Format(LoadText(IDS_LOG_PLAN_REST), lost, TextId(IDS_ERR_OK + summary.lostLink));
}

// The codes of the first items the PLC refused, for the hints: as many as
// one request's entry would weigh.
int RefusedItemCodes(const VarTransferResult* results, int count, std::uint8_t* codes) {
  int n = 0;
  for (int i = 0; results && i < count && n < kMaxHintItems; ++i)
    if (results[i].error == S7_ERR_DATA && results[i].itemCode != 0xFF)
      codes[n++] = static_cast<std::uint8_t>(results[i].itemCode);
  return n;
}

}  // namespace

void LogTransfer(int operation, const VarTransferSummary* summary, const VarTransferResult* results,
                 const VariableTable* table) {
  const int op = operation - kLogOperationBase;
  if (!summary || (op != S7_OP_MULTI_READ && op != S7_OP_MULTI_WRITE)) return;
  const bool write = op == S7_OP_MULTI_WRITE;
  AppState* app = TheAppState();
  HeapText entry;
  AppendHeader(&entry, app->conn, HasName(op), operation, summary->result, summary->ext);
  const int count = VarTable_Count(table);
  entry.Format(LoadText(IDS_LOG_PLAN_SUMMARY), count, summary->requests);
  if (write && summary->failed > 0) entry.Format(LoadText(IDS_LOG_PLAN_WRITTEN), count - summary->failed, summary->failed);
  if (results && table) FailureLines(&entry, *summary, results, table, write);
  std::uint8_t codes[kMaxHintItems];
  const int refused = table ? RefusedItemCodes(results, count, codes) : 0;
  Log_AppendHints({op, summary->result, summary->ext, codes, refused}, &entry);
  Hand(&entry);
  if (summary->result == S7_ERR_TIMEOUT && DisconnectsOnTimeout(op)) DisconnectAfterTimeout(app);
}
