// The program-wide application record: the PLC description, the open
// interface and connection, and the variable table. Every command, dialog and
// file load works on the one instance TheAppState() returns.
//
// Threads: the record belongs to the thread that runs commands, the
// user-interface thread; while the read window exists, its thread reads the
// table through the connection and the main window takes no commands, so the
// record is never used by two threads at once. It is not locked.
#pragma once

#include <cstdint>

#include "s7lib/s7lib.h"
#include "vars/vars.h"

struct AppState {
  PlcSettings plc;
  S7Interface* iface;       // null when no interface is open; the library owns the object
  S7Connection* conn;       // null when no connection exists; owned by its interface
  VariableTable table;      // owns the variables' blocks
};

// Clears the record and gives it the start-up PLC: TCP, 192.168.1.1,
// 1000 ms, rack 0, slot 2, no name; no handles, no variables. Frees nothing.
void AppState_Reset(AppState* app);

// Frees the value blocks of every variable and empties the table.
void AppState_ClearVariables(AppState* app);

AppState* TheAppState();
