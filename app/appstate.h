// The program-wide application record: the PLC description, the open
// interface and connection, and the variable table. Every command, dialog and
// file load works on the one instance TheAppState() returns; loading a file
// builds a second, temporary one.
#pragma once

#include <cstdint>

#include "s7lib/s7lib.h"
#include "vars/vars.h"

// The description of the PLC that a variable table file stores.
struct PlcSettings {
  std::int32_t kind;        // 0 TCP, 1 S7ONLINE, 2 CP_L2_1, 3 CP_L2_2
  std::uint32_t address;    // TCP: IPv4 in network byte order; else the station address 0-127
  std::int32_t timeoutMs;   // 100-30000
  std::int32_t rack;        // 0-31
  std::int32_t slot;        // 0-18
  char name[24];            // at most 23 characters
};

struct AppState {
  PlcSettings plc;
  S7Interface* iface;       // null when no interface is open
  S7Connection* conn;       // null when no connection exists
  VariableTable table;
};

// Clears the record and gives it the start-up PLC: TCP, 192.168.1.1,
// 1000 ms, rack 0, slot 2, no name; no handles, no variables. Frees nothing.
void AppState_Reset(AppState* app);

// Frees the value blocks of every variable and empties the table.
void AppState_ClearVariables(AppState* app);

AppState* TheAppState();

// The names of the interface kinds, as the user interface and the files use
// them ("TCP", "S7ONLINE", "CP_L2_1", "CP_L2_2"); null outside 0-3.
const char* InterfaceKindName(int kind);
