// The main menu's commands: each one is checked against the rule of its item
// first (a command posted to the window, or an accelerator racing a refresh,
// must not get past a greyed item), then runs its dialog with the values it
// needs and, on OK, the portable command with the user's choice.
#include <windows.h>

#include "app/commands.h"
#include "app/cpuinfo.h"
#include "app/maintexts.h"
#include "app/menustate.h"
#include "app/tracing.h"
#include "app/vatload.h"
#include "win32/dialogs/dialogs.h"
#include "win32/filecommands.h"
#include "win32/readhold.h"
#include "win32/shell.h"
#include "win32/toolkit/filedialog.h"

namespace {

bool Applies(int id) {
  // While the read window reads, the connection is its thread's.
  if (ReadHold_Holding()) return false;
  // A modal dialog has the main window disabled: a command posted now would
  // run inside the dialog's loop (a second dialog over it, the window
  // destroyed under it).
  if (!IsWindowEnabled(TheShell()->main)) return false;
  return Cmd_IsEnabled(TheAppState(), id);
}

DialogMemory& Memory() { return TheShell()->memory; }

int OpenInterface(AppState* app) {
  int kind = app->plc.kind;
  if (!Dialog_OpenInterface(Shell_DialogHost(), &kind)) return kCommandCancelled;
  return Cmd_OpenInterfaceOfKind(app, kind);
}

int OpenConnection(AppState* app, ConnectionOpen how) {
  const bool tcp = S7_GetInterfaceKind(app->iface) == static_cast<int>(S7_KIND_TCP);
  ConnectionEntry entry = Connection_Begin(&Memory(), app->plc, tcp);
  if (!Dialog_Connection(Shell_DialogHost(), &entry)) return kCommandCancelled;
  Connection_Take(&Memory(), entry, &app->plc);
  return Cmd_OpenConnection(app, how);
}

int CpuStart(AppState* app) {
  if (!Dialog_CpuStart(Shell_DialogHost(), &Memory().restart)) return kCommandCancelled;
  return Cmd_CpuStart(app, Memory().restart);
}

int ReadCpuClock(void* context, CalendarRecord* clock) {
  return S7_GetCpuClock(static_cast<AppState*>(context)->conn, clock);
}

int SetClock(AppState* app) {
  const CpuClockSource source{ReadCpuClock, app, app->plc.timeoutMs};
  if (!Dialog_SetClock(Shell_DialogHost(), source, &Memory().clock, &Memory().clockFollowsPc))
    return kCommandCancelled;
  return Cmd_SetClock(app, &Memory().clock);
}

int Login(AppState* app) {
  if (!Dialog_Login(Shell_DialogHost(), Memory().password)) return kCommandCancelled;
  return Cmd_Login(app, Memory().password);
}

// The read (519) or write (520) command: the variable list, and on OK the
// whole list transferred once (logged). The menu is refreshed whatever the
// user chose (the list may have changed), and after a transfer that
// succeeded the read window opens (reading back after a write).
int VariableList(AppState* app, Transfer kind) {
  const bool confirmed = Dialog_VariableList(Shell_DialogHost(), {kind, app, &Memory().definition});
  const int rc = confirmed ? Cmd_Transfer(app, kind) : kCommandCancelled;
  Shell_UpdateMenu(MenuState::Unchanged, MenuState::Unchanged, SaveItem::Refresh);
  // Last: from the window's start on, the connection is its thread's.
  if (rc == S7_OK) ReadHold_Open({.readBack = kind == Transfer::Write, .cyclic = false});
  return rc;
}

// "Mentés" of the diagnostic buffer window: the file is asked for over the
// window, and a name the program cannot use is logged there.
void SaveDiagnostics(void* context, HWND owner) {
  const std::wstring chosen =
      FileDialog_Ask({owner, FileDialogKind::Save, IDS_FILE_DIAG_SAVE_TITLE, IDS_FILE_DIAG_FILTER_NAME,
                      IDS_FILE_DIAG_FILTER_PATTERN, IDS_FILE_DIAG_DEFAULT_EXTENSION, ""});
  char path[kPathSize];
  if (!chosen.empty() && FileDialog_TakePath(chosen, IDS_FILE_DIAG_SAVE_TITLE, path))
    DiagList_Save(static_cast<const DiagList*>(context), path);
}

// The buffer is read (logged), then shown; nothing is read while it is open.
int DiagBuffer(AppState* app) {
  DiagList list{};
  const int rc = Cmd_ReadDiagnostics(app, 0, &list);
  if (rc == S7_OK) Dialog_DiagBuffer(Shell_DialogHost(), {&list, SaveDiagnostics, &list});
  DiagList_Free(&list);
  return rc;
}

// "Nyomkövetés": a running trace ends; otherwise the file is chosen and the
// trace starts. The item's check mark follows (also a trace that a failed
// write ended, when the menu opens next).
int Trace() {
  char* remembered = Memory().tracePath;
  if (Cmd_TraceIsOn()) {
    Cmd_TraceStop();
  } else {
    const std::wstring chosen =
        FileDialog_Ask({TheShell()->main, FileDialogKind::Save, IDS_FILE_TRACE_TITLE, IDS_FILE_TRACE_FILTER_NAME,
                        IDS_FILE_TRACE_FILTER_PATTERN, IDS_FILE_TRACE_DEFAULT_EXTENSION, remembered});
    char path[kPathSize];
    if (chosen.empty() || !FileDialog_TakePath(chosen, IDS_FILE_TRACE_TITLE, path)) return kCommandCancelled;
    lstrcpynA(remembered, path, kPathSize);
    if (Cmd_TraceStart(path) != 0) return kCommandFailed;
  }
  Shell_UpdateTraceCheck();
  return S7_OK;
}

int FileOpen() {
  if (!Vat_Open()) return kCommandCancelled;
  Shell_AfterLoad();
  return S7_OK;
}

int FileSave() {
  const VatSaveResult saved = Vat_Save();
  if (saved != VatSaveResult::Saved) return saved == VatSaveResult::Cancelled ? kCommandCancelled : kCommandFailed;
  TheShell()->fileNameFlag = true;
  Shell_UpdateTitle();
  return S7_OK;
}

}  // namespace

DialogHost Shell_DialogHost() {
  const Shell* shell = TheShell();
  return DialogHost{shell->main, shell->main, shell->invalidBrush, shell->listFont};
}

void Shell_AfterLoad() {
  Shell* shell = TheShell();
  AppState* app = TheAppState();
  Shell_UpdateMenu(MenuStateOf(app->iface), MenuStateOf(app->conn), SaveItem::Refresh);
  Shell_UpdateStatusText();
  shell->fileNameFlag = true;
  Shell_UpdateTitle();
  // Last: from the window's start on, the connection is its thread's.
  if (Vat_ReadWindowDue(app)) ReadHold_Open({.readBack = true, .cyclic = true});
}

int Shell_Command(int id) {
  if (!Applies(id)) return kCommandRefused;
  AppState* app = TheAppState();
  switch (id) {
    case IDM_FILE_OPEN: return FileOpen();
    case IDM_FILE_SAVE: return FileSave();
    case IDM_FILE_EXIT: ReadHold_CloseProgram(); return S7_OK;
    case IDM_INTERFACE_OPEN: return OpenInterface(app);
    case IDM_INTERFACE_CLOSE: return Cmd_CloseInterface(app);
    case IDM_CONNECTION_OPEN: return OpenConnection(app, ConnectionOpen::New);
    case IDM_CONNECTION_MODIFY: return OpenConnection(app, ConnectionOpen::Replace);
    case IDM_CONNECTION_CLOSE: return Cmd_CloseConnection(app);
    case IDM_CONNECT: return Cmd_Connect(app);
    case IDM_DISCONNECT: return Cmd_Disconnect(app);
    case IDM_PARTNERS: return Cmd_Partners(app);
    case IDM_BUS_PARAMETERS: return Cmd_BusParameters(app);
    case IDM_CPU_STATE: return Cmd_CpuState(app);
    case IDM_CPU_START: return CpuStart(app);
    case IDM_CPU_STOP: return Cmd_CpuStop(app);
    case IDM_CPU_INFO: return Cmd_CpuInfo(app);
    case IDM_DIAG_BUFFER: return DiagBuffer(app);
    case IDM_GET_CLOCK: return Cmd_GetClock(app);
    case IDM_SET_CLOCK: return SetClock(app);
    case IDM_LOGIN: return Login(app);
    case IDM_LOGOUT: return Cmd_Logout(app);
    case IDM_READ: return VariableList(app, Transfer::Read);
    case IDM_WRITE: return VariableList(app, Transfer::Write);
    case IDM_FONT_SMALL:
    case IDM_FONT_NORMAL:
    case IDM_FONT_LARGE: Shell_SelectLogFont(id - IDM_FONT_SMALL); return S7_OK;
    case IDM_ABOUT: Dialog_About(Shell_DialogHost()); return S7_OK;
    case IDM_TRACE: return Trace();
    default: return kCommandRefused;
  }
}
