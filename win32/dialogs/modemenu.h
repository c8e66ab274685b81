// The display-mode menu of a line of the read window: the modes the line's
// element offers (Default first, a separator after it), the current one
// checked. The choice comes back to the owner as WM_COMMAND with the mode's
// string id (IDS_VIEW_DEFAULT + mode).
//
// Threads: the thread that owns the window.
#pragma once

#include <windows.h>

#include "vars/vars.h"

inline constexpr int kModeMenuFirst = IDS_VIEW_DEFAULT;
inline constexpr int kModeMenuLast = IDS_VIEW_DEFAULT + kVarViewCount - 1;

// Shows the menu at screen point at for element of var.
void ModeMenu_Track(HWND owner, POINT at, const PlcVariable* var, int element);
