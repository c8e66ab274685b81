// The main window as the front end of the portable commands: the PLC choice
// is its dialog (preselected with the last choice), the read window its own,
// the menu and status bar are its own.
#include "win32/dialogs/dialogs.h"
#include "win32/readhold.h"
#include "win32/shell.h"

namespace {

class WindowFrontEnd : public FrontEnd {
 public:
  bool ChoosePlc(const PlcChoice& choice, PlcPick* pick) override {
    PlcPick& remembered = TheShell()->memory.plc;
    const bool confirmed = Dialog_ChoosePlc(Shell_DialogHost(), choice, &remembered);
    *pick = remembered;
    return confirmed;
  }
  void OpenReadWindow(ReadStart start) override { ReadHold_Open(start); }
  void UpdateMenu(MenuState interfaceState, MenuState connectionState, SaveItem save) override {
    Shell_UpdateMenu(interfaceState, connectionState, save);
  }
  void UpdateStatusText() override { Shell_UpdateStatusText(); }
};

WindowFrontEnd g_frontEnd;

}  // namespace

FrontEnd* Shell_FrontEnd() { return &g_frontEnd; }
