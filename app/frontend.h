// What the portable command code needs from whichever front end runs it: the
// PLC choice when a file names another PLC, the read-variables window, and
// the refresh of menus and status. The main window implements it with
// dialogs, the command line with its options and its own printing, tests
// with a script.
//
// Threads: the commands call it on the thread that runs them (the
// user-interface thread; UpdateMenu also from the read window's thread after
// an automatic disconnection). The front end object is the front end's: it
// must outlive every command, and SetFrontEnd(nullptr) before it goes.
#pragma once

#include <cstdint>

#include "app/readsession.h"  // ReadStart

// What the PLC choice is asked about: the open connection's PLC and the one a
// loaded file names.
struct PlcChoice {
  std::int32_t currentKind;
  std::int32_t loadedKind;
  std::uint32_t currentAddress;
  std::uint32_t loadedAddress;
  char currentName[24];
  char loadedName[24];
};

// How UpdateMenu is to set the interface or the connection items.
enum class MenuState {
  Closed = 0,     // no interface / no connection
  Open = 1,       // an interface / a connection exists
  Unchanged = 2,  // leave those items as they are
};
// Whether UpdateMenu refreshes the save item (enabled while the table holds
// a variable).
enum class SaveItem { Leave, Refresh };

// Which PLC a loaded file leaves: the current one, or the one saved in it.
enum class PlcPick { Current = 0, Saved = 1 };

class FrontEnd {
 public:
  virtual ~FrontEnd() = default;
  // Asks which PLC to keep. Returns false when the user cancels; otherwise
  // *pick says which.
  virtual bool ChoosePlc(const PlcChoice& choice, PlcPick* pick) = 0;
  // Shows the variables, reading them once first and then cyclically as
  // start asks.
  virtual void OpenReadWindow(ReadStart start) = 0;
  virtual void UpdateMenu(MenuState interfaceState, MenuState connectionState, SaveItem save) = 0;
  virtual void UpdateStatusText() = 0;
};

// The front end in charge; null while there is none (nothing is asked then,
// and the current PLC is kept).
FrontEnd* TheFrontEnd();
void SetFrontEnd(FrontEnd* frontEnd);

// The handle states UpdateMenu is told about: Open only for a handle that
// exists, so a failed open never offers what needs it.
inline MenuState MenuStateOf(const void* handle) { return handle ? MenuState::Open : MenuState::Closed; }
