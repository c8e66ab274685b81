// Which menu commands apply: the rule of each command (what the menu shows
// enabled, and what the main window re-checks before it runs a command that
// may have been posted past a greyed item), and the changes one refresh of
// the menu makes, worked out without a window so that both are tested
// natively. The window code applies the changes to its menu.
//
// Threads: the thread that owns the application record's handles; the rules
// ask the library whether the connection is connected (which sets that
// thread's error state, so ask after a command's entry is logged).
#pragma once

#include "app/appstate.h"
#include "app/frontend.h"
#include "res/resource.h"

// Whether the command applies to the record as it is now (an id outside
// IDM_FIRST-IDM_LAST never does).
bool Cmd_IsEnabled(const AppState* app, int command);

// One change of a menu refresh: a command's item, or the connection popup,
// which has no id of its own.
inline constexpr int kMenuConnectionPopup = -1;
struct MenuChange {
  int id;
  bool enabled;
};
inline constexpr int kMenuChangeMax = 32;

// The changes of one refresh, in the order they are made: the interface
// items (unless Unchanged), the connection items (unless Unchanged), and the
// save item when asked. changes needs kMenuChangeMax entries; returns how
// many were written.
int Menu_Changes(const AppState* app, MenuState interfaceState, MenuState connectionState, SaveItem save,
                 MenuChange* changes);
