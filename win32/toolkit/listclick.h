// The click behaviour of the program's list boxes: a click on the selected
// line takes the selection away, a click below the last line too, and the
// owning window hears of every selection a click changes. The read window
// and the variable list dialog attach it to their lists.
//
// Threads: the thread that owns the list box.
#pragma once

#include <windows.h>

#include "platform/messages.h"  // kWmListSelection

// Wraps the list's window procedure, keeping the list's own in its
// GWLP_USERDATA, which must be free; false when that fails (the list then
// behaves as a plain list box).
bool ListClick_Attach(HWND list);
// Puts the list's own procedure back; a list without the behaviour is left
// alone.
void ListClick_Detach(HWND list);
