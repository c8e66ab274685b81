// tolvane-cli's commands. Each one calls the library as the corresponding
// menu command of the main window does and writes the same log entry with
// LogOperation; read, write and monitor then print the value lines as the
// read-variables window shows them.
#include "cli/session.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/commands.h"
#include "app/cpuinfo.h"
#include "app/szltext.h"
#include "app/dialogrules.h"
#include "app/tracing.h"
#include "app/valuelog.h"
#include "app/vatload.h"
#include "res/codepage.h"
#include "runtime/runtime.h"

namespace {

std::atomic<bool> g_interrupted{false};

// The monitor's lines on the terminal: a block under the time of its read,
// stamped only when a line changed.
class PrintedLines : public LineSink {
 public:
  PrintedLines(ConsoleView* view, void (*stamp)(ConsoleView*)) : view_(view), stamp_(stamp) {}
  void Clear() override {}
  void Line(int, const char* text, int length) override {
    if (!stamped_) stamp_(view_);
    stamped_ = true;
    char line[kValueLineMax + 3];
    const std::size_t n = std::min(static_cast<std::size_t>(length), sizeof line - 3);
    std::memcpy(line, text, n);
    std::memcpy(line + n, "\r\n", 3);
    view_->Print(line);
  }

 private:
  ConsoleView* view_;
  void (*stamp_)(ConsoleView*);
  bool stamped_ = false;
};

void Stamp(ConsoleView* view) {
  char stamp[64];
  const int n = FormatTimeStamp({.withDate = true, .precision = 3}, nullptr, stamp);
  std::memcpy(stamp + n, "\r\n", 3);
  view->Print(stamp);
}

void NoStamp(ConsoleView*) {}

// "YYYY-MM-DD hh:mm:ss[.mmm]" or "now" as a calendar record with its weekday.
bool ParseClock(const std::string& text, CalendarRecord* out) {
  if (text == "now") {
    PlatCalendar now;
    Plat_LocalTime(&now);
    std::memcpy(out, &now, sizeof *out);
    return true;
  }
  unsigned y, mo, d, h, mi, s, ms = 0;
  char tail = 0;
  int n = std::sscanf(text.c_str(), "%4u-%2u-%2u %2u:%2u:%2u.%3u%c", &y, &mo, &d, &h, &mi, &s, &ms, &tail);
  if (n == 6) {
    n = std::sscanf(text.c_str(), "%4u-%2u-%2u %2u:%2u:%2u%c", &y, &mo, &d, &h, &mi, &s, &tail);
    if (n != 6) return false;
    ms = 0;
  } else if (n != 7) {
    return false;
  }
  CalendarRecord c{static_cast<std::uint16_t>(y), static_cast<std::uint16_t>(mo), 0,
                   static_cast<std::uint16_t>(d), static_cast<std::uint16_t>(h), static_cast<std::uint16_t>(mi),
                   static_cast<std::uint16_t>(s), static_cast<std::uint16_t>(ms)};
  if (!S7_CheckDateTime(&c)) return false;
  Cal_DateFromDayNumber(Cal_DayNumberFromDate(&c) - 1, &c);  // fills the weekday
  *out = c;
  return true;
}

// Splits "DEFINITION=VALUE,VALUE" at the last "=" (definitions hold none).
bool SplitWrite(const std::string& arg, std::string* definition, std::vector<std::string>* values) {
  const std::size_t eq = arg.rfind('=');
  if (eq == std::string::npos) return false;
  *definition = arg.substr(0, eq);
  values->clear();
  std::size_t start = eq + 1;
  for (;;) {
    const std::size_t comma = arg.find(',', start);
    values->push_back(arg.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
    if (comma == std::string::npos) return true;
    start = comma + 1;
  }
}

std::string AddressOf(const PlcVariable* var, int element) {
  char text[kVarAddressTextMax];
  Var_FormatAddress({}, element, var, text, nullptr);
  return text;
}

// Checks one write argument into a scratch variable: the definition, the
// number of values and each value by the element's display mode.
bool CheckWrite(const std::string& arg, PlcVariable* var, std::string* why) {
  std::string definition;
  std::vector<std::string> values;
  if (!SplitWrite(arg, &definition, &values)) return *why = "write takes DEFINITION=VALUE[,VALUE]...: " + arg, false;
  if (!Var_ParseDefinition(definition.c_str(), var)) return *why = "refused definition: " + definition, false;
  if (static_cast<int>(values.size()) != var->count) {
    *why = definition + " has " + std::to_string(var->count) + " element(s) but " + std::to_string(values.size()) +
           " value(s) were given";
    return false;
  }
  for (int j = 0; j < var->count; ++j) {
    const int code = Var_EnterValue(j, var, values[static_cast<std::size_t>(j)].c_str());
    if (code != VAR_VALUE_OK) {
      char complaint[256];
      Var_DescribeValueError(code, j, var, values[static_cast<std::size_t>(j)].c_str(), complaint, sizeof complaint);
      *why = Var_TypeName(var->type) + std::string(" ") + AddressOf(var, j) + ": " + complaint;
      return false;
    }
  }
  return true;
}

}  // namespace

bool ParseAddress(int kind, const std::string& text, std::uint32_t* address) {
  unsigned parts[4];
  int used = 0;
  char tail = 0;
  if (kind != S7_KIND_TCP) {
    if (std::sscanf(text.c_str(), "%3u%n%c", &parts[0], &used, &tail) != 1 || parts[0] > 127 ||
        used != static_cast<int>(text.size()))
      return false;
    *address = parts[0];
    return true;
  }
  if (std::sscanf(text.c_str(), "%3u.%3u.%3u.%3u%n%c", &parts[0], &parts[1], &parts[2], &parts[3], &used, &tail) != 4 ||
      used != static_cast<int>(text.size()))
    return false;
  std::uint8_t bytes[4];
  for (int i = 0; i < 4; ++i) {
    if (parts[i] > 255) return false;
    bytes[i] = static_cast<std::uint8_t>(parts[i]);
  }
  std::memcpy(address, bytes, 4);
  return true;
}

CliSession::CliSession(const CliOptions& options, std::FILE* out)
    : options_(options), view_(out, options.raw), app_(TheAppState()) {
  AppState_Reset(app_);
  pane_ = LogPane_Create(nullptr, &view_, 0, 0);
  SetMainLogPane(pane_);
  SetFrontEnd(&frontEnd_);
}

CliSession::~CliSession() {
  SetFrontEnd(nullptr);
  SetMainLogPane(nullptr);
  LogPane_Destroy(pane_);
  AppState_ClearVariables(app_);
}

void CliSession::Interrupt() { g_interrupted.store(true); }

bool CliSession::Validate(std::string* why) {
  for (const CliCommand& c : options_.commands) {
    PlcVariable scratch{};
    bool ok = true;
    if (c.kind == CommandKind::Read) {
      for (const std::string& d : c.args) {
        ok = Var_ParseDefinition(d.c_str(), &scratch);
        Var_FreeBlock(&scratch);
        if (!ok) return *why = "refused definition: " + Utf8FromCp1250(d), false;
      }
    } else if (c.kind == CommandKind::Write) {
      for (const std::string& a : c.args) {
        ok = CheckWrite(a, &scratch, why);
        Var_FreeBlock(&scratch);
        if (!ok) return *why = Utf8FromCp1250(*why), false;
      }
    } else if (c.kind == CommandKind::SetClock) {
      CalendarRecord clock{};
      if (!ParseClock(c.args[0], &clock))
        return *why = "set-clock takes now or \"YYYY-MM-DD hh:mm:ss[.mmm]\", not " + c.args[0], false;
    }
  }
  // With --vat and no --if the interface kind is the file's: Open checks then.
  std::uint32_t address = 0;
  const bool kindKnown = options_.kindGiven || options_.vat.empty();
  if (kindKnown && !options_.plc.empty() && !ParseAddress(options_.kind, options_.plc, &address))
    return *why = options_.kind == S7_KIND_TCP ? "--plc takes an IPv4 address for TCP, not " + options_.plc
                                               : "--plc takes a station address 0-127, not " + options_.plc,
           false;
  return true;
}

void CliSession::Note(int result) {
  if (result != S7_OK && exitCode_ == 0) exitCode_ = result;
}

void CliSession::NoteFailure(int exitCode) {
  if (exitCode_ == 0) exitCode_ = exitCode;
}

void CliSession::TakeFilePlc() {
  // A quiet look at the file: the load that follows reports a bad one.
  LogPane* log = MainLogPane();
  SetMainLogPane(nullptr);
  char* text = Vat_LoadText(options_.vat.c_str());
  PlcSettings filePlc{};
  VariableTable fileTable{};
  if (text && Vat_Read(text, &filePlc, &fileTable, options_.vat.c_str())) app_->plc = filePlc;
  VarTable_Clear(&fileTable);
  Rt_Free(text);
  SetMainLogPane(log);
}

void CliSession::Open() {
  PlcSettings& plc = app_->plc;
  const bool namesPlc = options_.kindGiven || !options_.plc.empty() || options_.rackGiven || options_.slotGiven ||
                        options_.timeoutGiven || options_.nameGiven || options_.familyGiven || options_.tsapGiven ||
                        options_.connTypeGiven;
  if (!options_.vat.empty() && !namesPlc) {
    if (!Vat_Load(options_.vat.c_str(), app_)) NoteFailure(kExitDataFile);
    return;
  }
  // The options name another PLC: they win over the file's description,
  // which completes it.
  if (!options_.vat.empty()) TakeFilePlc();
  if (options_.kindGiven) plc.kind = options_.kind;
  if (!options_.plc.empty()) {
    if (!ParseAddress(plc.kind, options_.plc, &plc.address)) {
      std::fprintf(stderr, "tolvane-cli: --plc %s does not fit the file's %s interface\n", options_.plc.c_str(),
                   InterfaceKindName(plc.kind));
      NoteFailure(kExitUsage);
      return;
    }
  } else if (plc.kind != S7_KIND_TCP && options_.vat.empty()) {
    plc.address = kDefaultStationAddress;  // the usual CPU station on an MPI bus
  }
  // The family's defaults first; the options that name its parts refine them.
  if (options_.familyGiven) Plc_SetFamily(&plc, options_.family);
  else if (options_.tsapGiven) Plc_SetFamily(&plc, static_cast<int>(S7Family::Custom));
  if (options_.tsapGiven) {
    plc.localTsap = options_.localTsap;
    plc.remoteTsap = options_.remoteTsap;
  }
  if (options_.connTypeGiven) plc.connType = options_.connType;
  if (options_.rackGiven) plc.rack = options_.rack;
  if (options_.slotGiven) plc.slot = options_.slot;
  if (options_.timeoutGiven) plc.timeoutMs = options_.timeoutMs;
  if (options_.nameGiven) Rt_StrCopyN(plc.name, options_.name.c_str(), sizeof plc.name);

  Note(Cmd_OpenInterface(app_));
  if (app_->iface) Note(Cmd_OpenConnection(app_, ConnectionOpen::New));
  if (!options_.vat.empty() && !Vat_Load(options_.vat.c_str(), app_)) NoteFailure(kExitDataFile);
}

int CliSession::Run() {
  // A trace asked for but impossible: nothing is sent without it.
  const bool tracing = !options_.trace.empty();
  if (tracing && Cmd_TraceStart(options_.trace.c_str()) != 0) return kExitCantSave;
  Open();
  if (exitCode_ != kExitDataFile && exitCode_ != kExitUsage)
    for (const CliCommand& c : options_.commands) RunCommand(c);
  if (app_->iface) app_->iface = S7_Interface_Done(app_->iface);
  app_->conn = nullptr;
  if (tracing && Cmd_TraceStop() != 0) NoteFailure(kExitCantSave);
  return exitCode_;
}

void CliSession::PrintAllLines() {
  PrintedLines printer(&view_, NoStamp);
  Monitor_BuildLines(&lines_, &app_->table, &printer);
}

bool CliSession::DefineTable(const std::vector<std::string>& args, bool withValues) {
  AppState_ClearVariables(app_);
  for (const std::string& a : args) {
    PlcVariable* v = &app_->table.vars[app_->table.count];
    std::string why;
    if (app_->table.count >= kVarTableSize) return false;
    if (withValues ? !CheckWrite(a, v, &why) : !Var_ParseDefinition(a.c_str(), v)) return false;
    ++app_->table.count;
  }
  return true;
}

void CliSession::RunCommand(const CliCommand& c) {
  switch (c.kind) {
    case CommandKind::Connect: Note(Cmd_Connect(app_)); break;
    case CommandKind::Disconnect: Note(Cmd_Disconnect(app_)); break;
    case CommandKind::Partners: Note(Cmd_Partners(app_)); break;
    case CommandKind::BusPars: Note(Cmd_BusParameters(app_)); break;
    case CommandKind::State: Note(Cmd_CpuState(app_)); break;
    case CommandKind::Start: Note(Cmd_CpuStart(app_, c.args[0] == "cold" ? RestartMode::Cold : RestartMode::Warm)); break;
    case CommandKind::Stop: Note(Cmd_CpuStop(app_)); break;
    case CommandKind::Clock: Note(Cmd_GetClock(app_)); break;
    case CommandKind::SetClock: {
      CalendarRecord clock{};
      ParseClock(c.args[0], &clock);
      Note(Cmd_SetClock(app_, &clock));
      break;
    }
    case CommandKind::Login: Note(Cmd_Login(app_, c.args[0].c_str())); break;
    case CommandKind::Logout: Note(Cmd_Logout(app_)); break;
    case CommandKind::Read: {
      if (!c.args.empty()) DefineTable(c.args, false);
      const int rc = Cmd_Transfer(app_, Transfer::Read);
      Note(rc);
      if (rc == S7_OK) PrintAllLines();
      break;
    }
    case CommandKind::Write: {
      DefineTable(c.args, true);
      const int rc = Cmd_Transfer(app_, Transfer::Write);
      Note(rc);
      // As the read window after a write: the values read back from the PLC.
      if (rc == S7_OK) {
        const int back = Cmd_ReadTable(app_);
        Note(back);
        if (back == S7_OK) PrintAllLines();
      }
      break;
    }
    case CommandKind::Monitor: Monitor(c); break;
    case CommandKind::Info: Note(Cmd_CpuInfo(app_)); break;
    case CommandKind::Diag: Diagnostics(c); break;
    case CommandKind::Szl: List(c); break;
    case CommandKind::Save:
      if (!Vat_Write(c.args[0].c_str(), &app_->plc, &app_->table)) NoteFailure(kExitCantSave);
      break;
  }
}

// The read window's step on a 50 ms tick (app/monitor.h). The first read
// shows every line, later ones the lines that changed, each block under the
// time it was read.
void CliSession::Monitor(const CliCommand& c) {
  g_interrupted.store(false);
  Reconnect reconnect;
  Reconnect_Reset(&reconnect);
  MonitorRun run{};
  run.cyclic = true;
  if (c.reconnect) run.reconnect = &reconnect;
  if (!c.csv.empty()) {
    std::uint32_t error = 0;
    const ValueLogRows rows = c.csvChangedOnly ? ValueLogRows::ChangedOnly : ValueLogRows::EveryCycle;
    run.log = ValueLog_Open(c.csv.c_str(), rows, &app_->table, &error);
    if (!run.log) return NoteFailure(kExitCantSave);  // logged; nothing is read without the file
  }
  Monitor_Restart(&run.schedule, static_cast<std::uint32_t>(c.intervalMs), Plat_TickCount());
  int reads = 0;
  while (!g_interrupted.load() && (c.count == 0 || reads < c.count)) {
    // A fresh printer per step: each block gets its own time stamp.
    PrintedLines printer(&view_, Stamp);
    const MonitorStepResult step = Monitor_Step(&run, app_, Plat_TickCount(), &printer);
    // Between reads, and through an outage's pauses: short sleeps, so that
    // Ctrl+C ends the wait at once (a signal cannot safely wake a waiter).
    if (step == MonitorStepResult::NotDue || step == MonitorStepResult::Down) {
      Plat_Sleep(50);
      continue;
    }
    if (step == MonitorStepResult::Lost) {
      Note(run.lastResult);  // the exit status still tells that a read failed
      continue;
    }
    if (step == MonitorStepResult::Failed) {
      Note(run.lastResult);
      break;  // logged; the window stops refreshing too
    }
    // What the read window's status bar says, once: only for a table that
    // takes more than one request, so a monitor of one prints as it did.
    if (reads == 0 && run.requests > 1) PrintRequests(run);
    ++reads;
  }
  if (ValueLog_Close(run.log) != 0) NoteFailure(kExitCantSave);
}

void CliSession::PrintRequests(const MonitorRun& run) {
  char text[64];
  const int n = Monitor_RequestsText(&run, text, sizeof text - 2);
  std::memcpy(text + n, "\r\n", 3);
  view_.Print(text);
}

// The diagnostic buffer's lines under its log entry, as the window lists them.
void CliSession::Diagnostics(const CliCommand& c) {
  DiagList list{};
  Note(Cmd_ReadDiagnostics(app_, c.count, &list));
  for (int i = 0; i < list.count; ++i) {
    char line[kDiagLineMax + 3];
    const int n = Diag_FormatLine(&list.entries[i], line, kDiagLineMax);
    std::memcpy(line + n, "\r\n", 3);
    view_.Print(line);
  }
  DiagList_Free(&list);
}

// Any list: its log entry, then each record as its bytes in hex.
void CliSession::List(const CliCommand& c) {
  constexpr int kCapacity = 65536;
  auto* records = static_cast<std::uint8_t*>(Rt_Alloc(0, kCapacity));
  S7SzlList list{};
  Note(Cmd_ReadSzl(app_, c.szlId, c.szlIndex, records, records ? kCapacity : 0, &list));
  const int length = list.recordLength;
  for (int r = 0; length > 0 && (r + 1) * length <= list.bytes; ++r) {
    char line[16];
    FormatTextN(line, sizeof line, "%4d:", r + 1);
    view_.Print(line);
    for (int b = 0; b < length; ++b) {
      FormatTextN(line, sizeof line, " %02x", list.records[r * length + b]);
      view_.Print(line);
    }
    view_.Print("\r\n");
  }
  Rt_Free(records);
}
