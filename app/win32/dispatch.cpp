// The main menu's commands: each one is checked against the rule of its item
// first (a command posted to the window, or an accelerator racing a refresh,
// must not get past a greyed item), then runs its portable command, dialog
// or window function.
#include <windows.h>

#include "app/commands.h"
#include "app/menustate.h"
#include "app/vatload.h"
#include "app/win32/filecommands.h"
#include "app/win32/shell.h"
#include "dialogs/dialogs.h"
#include "dialogs/readwindow.h"

namespace {

bool Applies(int id) {
  // While the read window reads, the connection is its thread's.
  if (TheShell()->readWindowOpen) return false;
  // A modal dialog has the main window disabled: a command posted now would
  // run inside the dialog's loop (a second dialog over it, the window
  // destroyed under it).
  if (!IsWindowEnabled(TheShell()->main)) return false;
  return Cmd_IsEnabled(TheAppState(), id);
}

}  // namespace

void Shell_AfterLoad() {
  Shell* shell = TheShell();
  AppState* app = TheAppState();
  Shell_UpdateMenu(MenuStateOf(app->iface), MenuStateOf(app->conn), SaveItem::Refresh);
  Shell_UpdateStatusText();
  shell->fileNameFlag = true;
  Shell_UpdateTitle();
  // Last: from the window's start on, the connection is its thread's.
  if (Vat_ReadWindowDue(app)) ReadWindow_Open(true, true);
}

void Shell_Command(int id) {
  if (!Applies(id)) return;
  AppState* app = TheAppState();
  switch (id) {
    case kCmdFileOpen:
      if (Vat_Open()) Shell_AfterLoad();
      break;
    case kCmdFileSave:
      if (Vat_Save() == VatSaveResult::Saved) {
        TheShell()->fileNameFlag = true;
        Shell_UpdateTitle();
      }
      break;
    case kCmdExit: Shell_Close(); break;
    case kCmdInterfaceOpen: Dialog_OpenInterface(TheShell()->main); break;
    case kCmdInterfaceClose: Cmd_CloseInterface(app); break;
    case kCmdConnectionOpen: Dialog_Connection(TheShell()->main, false); break;
    case kCmdConnectionModify: Dialog_Connection(TheShell()->main, true); break;
    case kCmdConnectionClose: Cmd_CloseConnection(app); break;
    case kCmdConnect: Cmd_Connect(app); break;
    case kCmdDisconnect: Cmd_Disconnect(app); break;
    case kCmdPartners: Cmd_Partners(app); break;
    case kCmdBusParameters: Cmd_BusParameters(app); break;
    case kCmdCpuState: Cmd_CpuState(app); break;
    case kCmdCpuStart: Dialog_CpuStart(TheShell()->main); break;
    case kCmdCpuStop: Cmd_CpuStop(app); break;
    case kCmdGetClock: Cmd_GetClock(app); break;
    case kCmdSetClock: Dialog_SetClock(TheShell()->main); break;
    case kCmdLogin: Dialog_Login(TheShell()->main); break;
    case kCmdLogout: Cmd_Logout(app); break;
    case kCmdRead: Dialog_VariableList(TheShell()->main, Transfer::Read); break;
    case kCmdWrite: Dialog_VariableList(TheShell()->main, Transfer::Write); break;
    case kCmdFontSmall:
    case kCmdFontNormal:
    case kCmdFontLarge: Shell_SelectLogFont(id - kCmdFontSmall); break;
    case kCmdAbout: Dialog_About(TheShell()->main); break;
    default: break;
  }
}
