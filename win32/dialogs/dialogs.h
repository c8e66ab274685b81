// The program's modal dialogs, one function each: it runs the dialog over
// the host's owner with the values it is given and says what the user
// chose; the caller (the main window's dispatcher) runs the command. Every
// dialog is centred over the main window and kept on the work area, shows the
// arrow cursor, and ends with 1 for OK and 0 for Cancel. What a dialog
// remembers for its next opening lives in the caller's DialogMemory; where a
// dialog remembers a choice also when cancelled, it writes it through the
// pointer it is given.
//
// Threads: the user-interface thread.
#pragma once

#include <windows.h>

#include "app/appstate.h"
#include "app/commands.h"      // Transfer, RestartMode
#include "app/cpuinfo.h"       // DiagList
#include "app/dialogmemory.h"  // ConnectionEntry
#include "app/frontend.h"      // PlcChoice, PlcPick
#include "app/vardefine.h"
#include "win32/toolkit/dialogbase.h"

// The about box.
void Dialog_About(const DialogHost& host);

// The interface to open: *kind in, the chosen kind out. true on OK.
bool Dialog_OpenInterface(const DialogHost& host, int* kind);

// The PLC behind the interface: the entry is edited; true on OK, and the
// entry then holds the user's values.
bool Dialog_Connection(const DialogHost& host, ConnectionEntry* entry);

// The restart mode: *mode in, and the user's last choice out, also when
// cancelled (it is remembered). true on OK.
bool Dialog_CpuStart(const DialogHost& host, RestartMode* mode);

// The password, at most 8 characters: password (kPasswordMax + 1 bytes) in,
// and the last valid text typed out, also when cancelled. true on OK.
bool Dialog_Login(const DialogHost& host, char* password);

// How the clock dialog reads the CPU's running clock, every 300 ms: read
// gives a library result; after a failed read the next waits the
// connection's time-out (timeoutMs) or as long as the read took.
struct CpuClockSource {
  int (*read)(void* context, CalendarRecord* clock);
  void* context;
  int timeoutMs;
};
// The time to set (the PC's, or one the user edits) beside the CPU's clock:
// *clock is the time set last and, on OK, the time to set; *followsPc is
// switched on at the opening and follows the check box. Both are kept also
// when cancelled. true on OK.
bool Dialog_SetClock(const DialogHost& host, const CpuClockSource& source, CalendarRecord* clock, bool* followsPc);

// The variable list of the read or write command with the elements of the
// selected variable, edited through the two dialogs below: the table is
// changed in place (each change prepares the request on the connection, and
// the library's refusals are dropped with a log line). On OK the caller
// transfers the whole list. definition is the state a new definition starts
// from (kept for the program's life).
struct VarListArgs {
  Transfer kind;
  AppState* app;
  VarDefineState* definition;
};
bool Dialog_VariableList(const DialogHost& host, const VarListArgs& args);

// One variable's definition for the list of that kind, on a new record
// (VarRecord::New, an empty record that gets its storage on OK) or on one
// taken out of the table so that its own room counts. The request is
// prepared for the list first (the selection kept on its variable). true
// when confirmed and the definition is new or changed; false leaves the
// record as it was.
struct DefineArgs {
  Transfer kind;
  AppState* app;
  VarListSelection* selection;
  VarDefineState* state;
  PlcVariable* var;
  VarRecord record;
};
bool Dialog_DefineVariable(const DialogHost& host, const DefineArgs& args);

// One element's name and display mode, and for the write list its value too.
// The element changes in place while the dialog is open; true when confirmed
// and anything changed (Cancel puts everything back).
bool Dialog_EditElement(const DialogHost& host, Transfer list, int element, PlcVariable* var);

// Which PLC a loaded file should use: *pick in (preselected) and the user's
// last choice out, also when cancelled. false when cancelled.
bool Dialog_ChoosePlc(const DialogHost& host, const PlcChoice& choice, PlcPick* pick);

// The diagnostic buffer's entries, newest first, one line each (time stamp,
// event id, text), in a window the user may resize. Lines are copied to the
// clipboard (the selected ones, else all) in the dialog itself; "Mentés"
// calls save, which asks for the file over owner (the window) and writes it,
// and the window stays open. The list is the caller's.
struct DiagWindowArgs {
  const DiagList* list;
  void (*save)(void* context, HWND owner);
  void* context;
};
void Dialog_DiagBuffer(const DialogHost& host, const DiagWindowArgs& args);
