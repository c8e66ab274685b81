// The commands of the program over the application record: one library
// operation each, its log entry, and the refresh the command table asks of
// the front end.
#include "app/commands.h"

#include <cstdint>

#include "app/dialogrules.h"
#include "app/frontend.h"
#include "app/logoperation.h"
#include "app/tabletransfer.h"
#include "app/textwrite.h"

namespace {

constexpr int kFallbackPduSize = 240;
constexpr int kBusTimeoutMs = 1000;
constexpr int kPartnerListSize = 256;
constexpr int kBusParameterRecordSize = 242;

// Logs the operation that has just returned and gives its result, taken
// before anything else can touch the thread's error state.
int Logged(int operation, int value = 0, const void* data = nullptr) {
  const int rc = S7_GetLastError(nullptr);
  LogOperation(kLogOperationBase + operation, value, data);
  return rc;
}

void Refresh(MenuState interfaceState, MenuState connectionState, bool statusToo = false) {
  if (FrontEnd* fe = TheFrontEnd()) {
    fe->UpdateMenu(interfaceState, connectionState, SaveItem::Leave);
    if (statusToo) fe->UpdateStatusText();
  }
}

// A successful connect or disconnect changes which connection items apply.
int RefreshedOnSuccess(int rc) {
  if (rc == S7_OK) Refresh(MenuState::Unchanged, MenuState::Open);
  return rc;
}

// The table once: the simple service for one variable, else a request of
// all of them. *operation tells which service answered.
int TransferOnce(AppState* app, Transfer direction, int* operation) {
  const bool write = direction == Transfer::Write;
  VariableTable& table = app->table;
  if (table.count == 1) {
    PlcVariable& v = table.vars[0];
    *operation = write ? S7_OP_SIMPLE_WRITE : S7_OP_SIMPLE_READ;
    const auto type = static_cast<unsigned>(v.type);
    const auto area = static_cast<unsigned>(v.area);
    const int count = Var_WireCount(&v);
    return write ? S7_SimpleWrite(app->conn, type, area, v.dbNumber, v.start, v.bit, count, 1, v.values)
                 : S7_SimpleRead(app->conn, type, area, v.dbNumber, v.start, v.bit, count, 1, v.values);
  }
  *operation = write ? S7_OP_MULTI_WRITE : S7_OP_MULTI_READ;
  // With no variable left the multi service answers "no variables" itself.
  const int rc = VarTable_PrepareRequest(&table, app->conn, write ? 1 : 0);
  if (rc != S7_OK) return rc;
  return write ? S7_MultiWrite(app->conn) : S7_MultiRead(app->conn);
}

}  // namespace

int Cmd_InitInterface(AppState* app) {
  app->iface = S7_Interface_Init(static_cast<unsigned>(app->plc.kind));
  return Logged(S7_OP_INTERFACE_INIT);
}

int Cmd_InitConnection(AppState* app) {
  const PlcSettings& plc = app->plc;
  app->conn = S7_Connection_InitTsaps(app->iface, plc.name, plc.timeoutMs, plc.address, Plc_Tsaps(&plc),
                                      kFallbackPduSize);
  return Logged(S7_OP_CONNECTION_INIT);
}

int Cmd_DoneConnection(AppState* app) {
  if (!app->conn) return S7_OK;
  app->conn = S7_Connection_Done(app->conn);
  return Logged(S7_OP_CONNECTION_DONE);
}

int Cmd_DoneInterface(AppState* app) {
  if (!app->iface) return S7_OK;
  app->iface = S7_Interface_Done(app->iface);
  return Logged(S7_OP_INTERFACE_DONE);
}

int Cmd_OpenInterface(AppState* app) {
  const int rc = Cmd_InitInterface(app);
  Refresh(MenuStateOf(app->iface), MenuState::Unchanged, true);
  return rc;
}

int Cmd_OpenInterfaceOfKind(AppState* app, int kind) {
  app->plc.address = Plc_AddressAfterSwitch(app->plc.kind, kind, app->plc.address);
  app->plc.kind = kind;
  return Cmd_OpenInterface(app);
}

int Cmd_CloseInterface(AppState* app) {
  if (app->conn) {
    Cmd_DoneConnection(app);
    Refresh(MenuState::Unchanged, MenuState::Closed);
  }
  const int rc = Cmd_DoneInterface(app);
  Refresh(MenuState::Closed, MenuState::Unchanged, true);
  return rc;
}

int Cmd_OpenConnection(AppState* app, ConnectionOpen how) {
  if (how == ConnectionOpen::Replace) Cmd_DoneConnection(app);
  const int rc = Cmd_InitConnection(app);
  Refresh(MenuState::Unchanged, MenuStateOf(app->conn), true);
  return rc;
}

int Cmd_CloseConnection(AppState* app) {
  const int rc = Cmd_DoneConnection(app);
  Refresh(MenuState::Unchanged, MenuState::Closed, true);
  return rc;
}

int Cmd_Connect(AppState* app) {
  S7_Connect(app->conn);
  return RefreshedOnSuccess(Logged(S7_OP_CONNECT));
}

int Cmd_Disconnect(AppState* app) {
  S7_Disconnect(app->conn);
  return RefreshedOnSuccess(Logged(S7_OP_DISCONNECT));
}

int Cmd_Partners(AppState* app) {
  std::uint8_t list[kPartnerListSize] = {};
  int count = 0;
  S7_OnLine_Partners(app->iface, kBusTimeoutMs, kPartnerListSize, list, &count);
  return Logged(S7_OP_ONLINE_PARTNERS, count, list);
}

int Cmd_BusParameters(AppState* app) {
  std::uint8_t record[kBusParameterRecordSize] = {};
  S7_OnLine_BusPars(app->iface, kBusTimeoutMs, record);
  return Logged(S7_OP_ONLINE_BUSPARS, 0, record);
}

int Cmd_CpuState(AppState* app) {
  int state = 0;
  S7_GetCpuState(app->conn, &state);
  return Logged(S7_OP_GET_CPU_STATE, state);
}

int Cmd_CpuStart(AppState* app, RestartMode mode) {
  S7_CpuStart(app->conn, static_cast<int>(mode));
  return Logged(S7_OP_CPU_START);
}

int Cmd_CpuStop(AppState* app) {
  S7_CpuStop(app->conn);
  return Logged(S7_OP_CPU_STOP);
}

int Cmd_GetClock(AppState* app) {
  CalendarRecord clock{};
  S7_GetCpuClock(app->conn, &clock);
  return Logged(S7_OP_GET_CPU_CLOCK, 0, &clock);
}

int Cmd_SetClock(AppState* app, const CalendarRecord* clock) {
  S7_SetCpuClock(app->conn, clock);
  return Logged(S7_OP_SET_CPU_CLOCK);
}

int Cmd_Login(AppState* app, const char* password) {
  S7_SessionLogin(app->conn, password);
  return Logged(S7_OP_SESSION_LOGIN);
}

int Cmd_Logout(AppState* app) {
  S7_SessionLogout(app->conn);
  return Logged(S7_OP_SESSION_LOGOUT);
}

namespace {

// The table once, one request or the planner's several; logged always or
// only when it failed.
int TransferTable(AppState* app, Transfer direction, TransferLog log, int* requests) {
  // Texts are checked against the PLC's own maximum before anything is written.
  if (direction == Transfer::Write) {
    const int guard = Table_GuardTextWrites(app);
    if (guard != S7_OK) {
      if (requests) *requests = 0;
      return guard;
    }
  }
  VarPlan plan{};
  if (!Table_NeedsPlan(app, direction, &plan)) {
    if (requests) *requests = VarTable_Count(&app->table) > 0 ? 1 : 0;
    int operation = 0;
    const int rc = TransferOnce(app, direction, &operation);
    return rc == S7_OK && log == TransferLog::FailuresOnly ? rc : Logged(operation);
  }
  int rc = Table_PreparePlan(app, direction, &plan);
  if (rc == S7_OK) {
    rc = Table_RunPlan(app, &plan, log, requests);
  } else {
    if (requests) *requests = 0;
    // Logged as the request that could not be opened.
    rc = Logged(direction == Transfer::Write ? S7_OP_MULTI_WRITE : S7_OP_MULTI_READ);
  }
  VarPlan_Free(&plan);
  return rc;
}

}  // namespace

int Cmd_Transfer(AppState* app, Transfer direction) {
  return TransferTable(app, direction, TransferLog::Always, nullptr);
}

int Cmd_ReadTable(AppState* app, int* requests) { return TransferTable(app, Transfer::Read, TransferLog::FailuresOnly, requests); }
