// The value log's rows: cells in the program's code page 1250 as the read
// window formats them, turned into UTF-8 and quoted where a cell holds the
// separator, a quote or a line break, then queued whole to the appender.
#include "app/valuelog.h"

#include <cstring>
#include <new>
#include <vector>

#include "app/recordlog.h"
#include "res/codepage.h"
#include "runtime/appender.h"
#include "runtime/runtime.h"
#include "vars/heaptext.h"

namespace {

// Rows of a 200-variable table are some kilobytes: minutes of a stalled
// disk at the fastest interval before the queue is full.
constexpr AppenderOptions kLogWriting = {.capacity = 4u << 20, .wakeAfterMs = 0};
constexpr char kSeparator = ';';

// What each element's cell held in the last row that was read: a cell whose
// slot and display mode are as they were is copied rather than formatted
// again, since most values of a table stand still from one read to the next.
struct CellCache {
  bool valid = false;
  std::vector<std::uint8_t> slots;             // every element's slot, in line order
  std::vector<std::uint8_t> views;             // every element's effective view
  std::vector<std::uint32_t> starts, ends;     // each cell within cells
  std::vector<std::uint32_t> nextStarts, nextEnds;
  HeapText cells{4096};                        // the value cells of that row
};

}  // namespace

struct ValueLog {
  Appender* out = nullptr;
  char* path = nullptr;
  ValueLogRows rows = ValueLogRows::EveryCycle;
  int variableCount = 0;  // the table the header row was made for
  int lineCount = 0;
  bool wroteRow = false;
  std::uint64_t rowCount = 0;
  std::uint32_t failure = 0;  // what stopped the logging
  HeapText row{4096};
  HeapText lastValues{4096};
  CellCache cache;
};

namespace {

void AppendUtf8(HeapText* out, const char* text, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i) {
    // Value texts are ASCII but for names and the odd letter: runs of it go
    // in one piece.
    std::size_t run = i;
    while (run < n && static_cast<std::uint8_t>(text[run]) < 0x80) ++run;
    if (run > i) {
      out->Append(text + i, run - i);
      i = run - 1;
      continue;
    }
    const auto b = static_cast<std::uint8_t>(text[i]);
    const char32_t c = Cp1250ToUnicode(b);
    char u[3];
    int k;
    if (c < 0x800) {
      u[0] = static_cast<char>(0xC0 | (c >> 6));
      u[1] = static_cast<char>(0x80 | (c & 0x3F));
      k = 2;
    } else {
      u[0] = static_cast<char>(0xE0 | (c >> 12));
      u[1] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      u[2] = static_cast<char>(0x80 | (c & 0x3F));
      k = 3;
    }
    out->Append(u, static_cast<std::size_t>(k));
  }
}

// One cell; quoted (quotes doubled) when it holds what would end it early.
void AppendCell(HeapText* out, const char* text, std::size_t n) {
  bool quote = false;
  for (std::size_t i = 0; i < n && !quote; ++i)
    quote = text[i] == kSeparator || text[i] == '"' || text[i] == '\r' || text[i] == '\n';
  if (!quote) {
    AppendUtf8(out, text, n);
    return;
  }
  out->Append("\"", 1);
  for (std::size_t i = 0, from = 0; i <= n; ++i) {
    if (i == n || text[i] == '"') {
      AppendUtf8(out, text + from, i - from);
      if (i < n) out->Append("\"\"", 2);
      from = i + 1;
    }
  }
  out->Append("\"", 1);
}

void AppendCell(HeapText* out, const char* text) { AppendCell(out, text, std::strlen(text)); }

void HeaderRow(HeapText* out, const VariableTable* table) {
  AppendCell(out, LoadText(IDS_CSV_TIME));
  char address[kVarAddressTextMax];
  char cell[kVarAddressTextMax + kVarNameSize + 4];
  for (int i = 0, count = VarTable_Count(table); i < count; ++i) {
    const PlcVariable* v = &table->vars[i];
    for (int e = 0; e < v->count; ++e) {
      Var_FormatAddress({}, e, v, address, nullptr);
      const char* name = Var_ElementName(v, e);
      const int n = name[0] ? FormatTextN(cell, sizeof cell, "%s : %s", address, name)
                            : FormatTextN(cell, sizeof cell, "%s", address);
      out->Append(&kSeparator, 1);
      AppendCell(out, cell, static_cast<std::size_t>(n));
    }
  }
  out->Append(&kSeparator, 1);
  AppendCell(out, LoadText(IDS_CSV_ERROR));
  out->Append("\r\n", 2);
}

// One element's cell: the last row's when its slot and view are as they
// were, else formatted. Notes where the cell lies and what it showed.
void ValueCell(HeapText* out, std::size_t base, const PlcVariable* v, int e, std::size_t k, std::size_t slotAt,
               CellCache* c) {
  const std::size_t size = static_cast<std::size_t>(v->slotSize);
  const std::uint8_t* slot = v->values + static_cast<std::size_t>(e) * size;
  const auto view = static_cast<std::uint8_t>(Var_EffectiveView(e, v));
  const std::size_t start = out->Length() - base;
  if (c->valid && k < c->views.size() && slotAt + size <= c->slots.size() && c->views[k] == view &&
      std::memcmp(&c->slots[slotAt], slot, size) == 0) {
    out->Append(c->cells.Text() + c->starts[k], c->ends[k] - c->starts[k]);
  } else {
    char text[kVarValueTextMax];
    const int n = Var_FormatValue({}, e, v, text);
    AppendCell(out, text, static_cast<std::size_t>(n));
  }
  c->nextStarts.push_back(static_cast<std::uint32_t>(start));
  c->nextEnds.push_back(static_cast<std::uint32_t>(out->Length() - base));
}

// The row's slots, views and cells become the cache for the next row.
void KeepCells(const HeapText& out, std::size_t base, const VariableTable* table, CellCache* c) {
  c->slots.clear();
  c->views.clear();
  for (int i = 0, count = VarTable_Count(table); i < count; ++i) {
    const PlcVariable* v = &table->vars[i];
    const std::size_t bytes = static_cast<std::size_t>(v->slotSize) * static_cast<std::size_t>(v->count);
    c->slots.insert(c->slots.end(), v->values, v->values + bytes);
    for (int e = 0; e < v->count; ++e) c->views.push_back(static_cast<std::uint8_t>(Var_EffectiveView(e, v)));
  }
  c->starts.swap(c->nextStarts);
  c->ends.swap(c->nextEnds);
  c->cells.Clear();
  c->cells.Append(out.Text() + base, out.Length() - base);
  c->valid = !c->cells.Failed();
}

// The values (or the empty cells of a failed read) and the error cell, each
// after a separator, as the read window shows them but with a decimal comma.
void ValueCells(HeapText* out, const VariableTable* table, int readResult, CellCache* c) {
  const std::size_t base = out->Length();
  c->nextStarts.clear();
  c->nextEnds.clear();
  std::size_t k = 0, slotAt = 0;
  for (int i = 0, count = VarTable_Count(table); i < count; ++i) {
    const PlcVariable* v = &table->vars[i];
    for (int e = 0; e < v->count; ++e, ++k, slotAt += static_cast<std::size_t>(v->slotSize)) {
      out->Append(&kSeparator, 1);
      if (readResult == S7_OK && v->values) ValueCell(out, base, v, e, k, slotAt, c);
    }
  }
  if (readResult == S7_OK && c->nextEnds.size() == k)
    KeepCells(*out, base, table, c);
  else
    c->valid = false;
  out->Append(&kSeparator, 1);
  if (readResult != S7_OK) AppendCell(out, LoadText(IDS_ERR_OK + readResult));
  out->Append("\r\n", 2);
}

bool Queue(ValueLog* log, const HeapText& text) {
  // A row cut short by a failed growth is never written as if it were whole.
  if (!text.Failed() && Appender_Append(log->out, text.Text(), text.Length())) return true;
  const std::uint32_t failure = text.Failed() ? 0 : Appender_Failure(log->out);
  Appender_Close(log->out);
  log->out = nullptr;
  log->failure = failure ? failure : kWinErrNotEnoughMemory;
  RecordLog_Stopped(Recording::ValueLog, log->path, log->failure);
  return false;
}

void NoteShape(ValueLog* log, const VariableTable* table) {
  log->variableCount = VarTable_Count(table);
  log->lineCount = VarTable_LineCount(table);
}

// The thread's formatting settings with a comma for the decimal point, for
// the time of one row.
class DecimalComma {
 public:
  DecimalComma() : context_(CurrentThreadContext()), saved_(context_->localeWord) {
    context_->localeWord = (saved_ & ~0xFFu) | static_cast<std::uint8_t>(',');
  }
  ~DecimalComma() { context_->localeWord = saved_; }

 private:
  ThreadContext* context_;
  std::uint32_t saved_;
};

}  // namespace

ValueLog* ValueLog_Open(const char* path, ValueLogRows rows, const VariableTable* table, std::uint32_t* error) {
  auto* log = new (std::nothrow) ValueLog;
  const std::size_t length = std::strlen(path);
  if (log) log->path = static_cast<char*>(Rt_Alloc(0, length + 1));
  if (!log || !log->path) {
    *error = kWinErrNotEnoughMemory;
    RecordLog_CantOpen(Recording::ValueLog, path, *error);
    delete log;
    return nullptr;
  }
  std::memcpy(log->path, path, length + 1);
  log->rows = rows;
  log->out = Appender_Open(path, kLogWriting, error);
  if (!log->out) {
    RecordLog_CantOpen(Recording::ValueLog, path, *error);
    Rt_Free(log->path);
    delete log;
    return nullptr;
  }
  RecordLog_Started(Recording::ValueLog, path);
  log->row.Append("\xEF\xBB\xBF", 3);  // the byte-order mark that tells a spreadsheet it is UTF-8
  HeaderRow(&log->row, table);
  NoteShape(log, table);
  Queue(log, log->row);
  return log;
}

void ValueLog_Cycle(ValueLog* log, const VariableTable* table, int readResult, const CalendarRecord* at) {
  if (!log || !log->out) return;
  HeapText& row = log->row;
  row.Clear();
  if (VarTable_Count(table) != log->variableCount || VarTable_LineCount(table) != log->lineCount) {
    HeaderRow(&row, table);
    NoteShape(log, table);
    log->wroteRow = false;  // the columns moved: the next row is not comparable
    log->cache.valid = false;
  }
  const DecimalComma comma;
  CalendarRecord now{};
  if (!at) {
    PlatCalendar local;
    Plat_LocalTime(&local);
    std::memcpy(&now, &local, sizeof now);
    at = &now;
  }
  char stamp[64];
  const int n = FormatTimeStamp({.withDate = true, .precision = 3}, const_cast<CalendarRecord*>(at), stamp);
  // The milliseconds are a fraction of the second: a Hungarian spreadsheet
  // reads "12:30:00,123" as a time, "12:30:00.123" as text.
  if (n > 4 && stamp[n - 4] == '.') stamp[n - 4] = ',';
  row.Append(stamp, static_cast<std::size_t>(n));
  const std::size_t valuesAt = row.Length();
  ValueCells(&row, table, readResult, &log->cache);
  const std::size_t valuesLength = row.Length() - valuesAt;
  if (log->rows == ValueLogRows::ChangedOnly && log->wroteRow && valuesLength == log->lastValues.Length() &&
      std::memcmp(row.Text() + valuesAt, log->lastValues.Text(), valuesLength) == 0)
    return;
  if (!Queue(log, row)) return;
  log->lastValues.Clear();
  log->lastValues.Append(row.Text() + valuesAt, valuesLength);
  log->wroteRow = true;
  ++log->rowCount;
}

bool ValueLog_Running(const ValueLog* log) { return log && log->out; }

std::uint64_t ValueLog_Rows(const ValueLog* log) { return log ? log->rowCount : 0; }

std::uint32_t ValueLog_Close(ValueLog* log) {
  if (!log) return 0;
  if (log->out) {
    log->failure = Appender_Close(log->out);
    if (log->failure)
      RecordLog_Stopped(Recording::ValueLog, log->path, log->failure);
    else
      RecordLog_Ended(Recording::ValueLog, log->path);
  }
  const std::uint32_t failure = log->failure;
  Rt_Free(log->path);
  delete log;
  return failure;
}
