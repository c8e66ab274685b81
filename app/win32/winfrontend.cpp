// The main window as the front end of the portable commands: the PLC choice
// is its dialog, the menu and status bar are its own.
#include "app/win32/shell.h"
#include "dialogs/dialogs.h"
#include "dialogs/readwindow.h"

namespace {

class WindowFrontEnd : public FrontEnd {
 public:
  bool ChoosePlc(const PlcChoice& choice, int* useSaved) override {
    return Dialog_ChoosePlc(TheShell()->main, choice, useSaved);
  }
  void OpenReadWindow(bool readBack, bool cyclic) override { ReadWindow_Open(readBack, cyclic); }
  void UpdateMenu(MenuState interfaceState, MenuState connectionState, SaveItem save) override {
    Shell_UpdateMenu(interfaceState, connectionState, save);
  }
  void UpdateStatusText() override { Shell_UpdateStatusText(); }
};

WindowFrontEnd g_frontEnd;

}  // namespace

FrontEnd* Shell_FrontEnd() { return &g_frontEnd; }
