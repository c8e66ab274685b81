// The program's modal dialogs, one function each: it runs the dialog over its
// owner and says what the user chose. Every dialog is centred over the main
// window and kept on the work area, shows the arrow cursor, and ends with 1
// for OK and 0 for Cancel; choices are remembered for the next opening.
//
// Threads: the user-interface thread.
#pragma once

#include <windows.h>

#include "app/commands.h"  // Transfer: the list kind
#include "app/frontend.h"

// The about box.
void Dialog_About(HWND owner);

// The menu's dialog commands: each runs its dialog and, on OK, the command
// (library call, log entry, menu and status refresh). 1 when the user
// confirmed, 0 when cancelled.
//
// The interface to open: the kind goes into the PLC settings (a switch to or
// from TCP resets the address) and the interface is opened.
int Dialog_OpenInterface(HWND owner);
// The PLC behind the interface: creates the connection from the settings;
// modify closes the current connection first.
int Dialog_Connection(HWND owner, bool modify);
// The restart mode (remembered) and the CPU start.
int Dialog_CpuStart(HWND owner);
// The time to set (the PC's, or one the user edits) beside the CPU's running
// clock, and the setting of the CPU's clock.
int Dialog_SetClock(HWND owner);
// The password (remembered, at most 8 characters) and the login.
int Dialog_Login(HWND owner);

// The read (519) or write (520) command: the variable list with the
// elements of the selected variable, edited through the two dialogs below;
// on OK the whole list is read or written once (logged). The menu is
// refreshed whatever the user chose, and after a transfer that succeeded the
// read window opens (reading back after a write). 1 when the user confirmed.
int Dialog_VariableList(HWND owner, Transfer kind);
// One variable's definition for the list of that kind: a new one (an empty
// record, which gets its storage on OK) or one taken out of the table, so
// that its own room counts. 1 when confirmed and the definition is new or
// changed; 0 leaves the record as it was.
int Dialog_DefineVariable(HWND owner, Transfer kind, PlcVariable* var, bool isNew);
// One element's name and display mode, and with withValue its value too. The
// element changes in place while the dialog is open; 1 when confirmed and
// anything changed, 0 otherwise (Cancel puts all three back).
int Dialog_EditElement(HWND owner, bool withValue, int element, PlcVariable* var);

// Which PLC a loaded file should use: false when cancelled; otherwise
// *useSaved is 1 for the file's PLC and 0 for the current one. The choice is
// preselected the next time.
bool Dialog_ChoosePlc(HWND owner, const PlcChoice& choice, int* useSaved);
