// What loading a variable table file does to the open interface and
// connection: kept when the file names the same PLC, replaced by the file's
// when none is open or the user chooses the file's, each step logged.
#include "app/vatload.h"

#include "app/commands.h"
#include "app/frontend.h"
#include "runtime/runtime.h"

namespace {

// Asks the front end whether to keep the current PLC. false: cancelled.
bool AskKeepOrSwitch(const AppState* app, const PlcSettings& loaded, bool* useSaved) {
  PlcChoice choice{};
  choice.currentKind = app->plc.kind;
  choice.loadedKind = loaded.kind;
  choice.currentAddress = app->plc.address;
  choice.loadedAddress = loaded.address;
  Rt_StrCopyN(choice.currentName, app->plc.name, sizeof choice.currentName);
  Rt_StrCopyN(choice.loadedName, loaded.name, sizeof choice.loadedName);
  PlcPick pick = PlcPick::Current;
  FrontEnd* frontEnd = TheFrontEnd();
  if (frontEnd && !frontEnd->ChoosePlc(choice, &pick)) return false;
  *useSaved = pick == PlcPick::Saved;
  return true;
}

// The file's PLC takes the place of the current one (what a connection is
// made from); a kept connection keeps its name.
void TakePlc(const PlcSettings& loaded, PlcSettings* plc) {
  Rt_StrCopyN(plc->name, loaded.name, sizeof plc->name);
  plc->address = loaded.address;
  plc->rack = loaded.rack;
  plc->slot = loaded.slot;
  plc->timeoutMs = loaded.timeoutMs;
  plc->family = loaded.family;
  plc->connType = loaded.connType;
  plc->localTsap = loaded.localTsap;
  plc->remoteTsap = loaded.remoteTsap;
}

}  // namespace

int Vat_Load(const char* path, AppState* app) {
  char* text = Vat_LoadText(path);
  if (!text) return 0;
  PlcSettings loaded{};
  VariableTable fresh{};
  const int parsed = Vat_Read(text, &loaded, &fresh, path);
  Rt_Free(text);
  if (!parsed) {
    VarTable_Clear(&fresh);
    return 0;
  }
  bool interfaceChange = app->iface && S7_GetInterfaceKind(app->iface) != loaded.kind;
  bool connectionChange = app->conn && (interfaceChange || app->plc.address != loaded.address);
  if (connectionChange) {
    bool useSaved = false;
    if (!AskKeepOrSwitch(app, loaded, &useSaved)) {
      VarTable_Clear(&fresh);
      return 0;
    }
    if (!useSaved) interfaceChange = connectionChange = false;
  }
  if (connectionChange) Cmd_DoneConnection(app);
  if (interfaceChange) Cmd_DoneInterface(app);
  VarTable_Clear(&app->table);
  if (!app->iface) {
    app->plc.kind = loaded.kind;
    Cmd_InitInterface(app);
  }
  if (app->iface && !app->conn) {
    TakePlc(loaded, &app->plc);
    Cmd_InitConnection(app);
  }
  app->table = fresh;  // the blocks now belong to the program's table
  return 1;
}
