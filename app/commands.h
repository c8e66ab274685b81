// The program's commands, once for every front end: each calls its library
// operation with the handles and settings of the application record, writes
// the log entry right after the call (LogOperation: no library call between
// them), and tells the front end what changed (menu, status bar). The main
// window's menu, its dialogs and the command line all run these.
//
// Threads: a command runs on the thread that uses the record's connection at
// that moment, the user-interface thread (the read window's thread only reads
// the table, with Cmd_ReadTable), never on two threads at once. It blocks
// until the library returns, bounded by the connection's time-out (and 2 s of
// state polling after a CPU start). Results are library error codes (0 = OK).
#pragma once

#include "app/appstate.h"

// ---------------------------------------------------------------- single operations, no refresh
// The building blocks of the commands below and of a file load.

// S7_Interface_Init of the record's interface kind; the handle (also null)
// becomes the record's interface.
int Cmd_InitInterface(AppState* app);
// The connection on the record's interface from its PLC settings, asked
// for with the family's TSAPs (PDU size 240; logged as S7_Connection_Init);
// the handle (also null) becomes the record's connection.
int Cmd_InitConnection(AppState* app);
// S7_Connection_Done / S7_Interface_Done of what the record holds; nothing
// happens without a handle. The record's handle becomes null.
int Cmd_DoneConnection(AppState* app);
int Cmd_DoneInterface(AppState* app);

// ---------------------------------------------------------------- menu commands

// Opens the record's interface kind.
int Cmd_OpenInterface(AppState* app);
// After the interface dialog: the chosen kind goes into the PLC settings (a
// switch to or from TCP resets the address, Plc_AddressAfterSwitch) and the
// interface is opened.
int Cmd_OpenInterfaceOfKind(AppState* app, int kind);
// Closes the connection (if any) and then the interface.
int Cmd_CloseInterface(AppState* app);
// After the connection dialog: creates the connection from the record's PLC
// settings; Replace closes the current connection first ("Módosít").
enum class ConnectionOpen { New, Replace };
int Cmd_OpenConnection(AppState* app, ConnectionOpen how);
int Cmd_CloseConnection(AppState* app);
int Cmd_Connect(AppState* app);
int Cmd_Disconnect(AppState* app);
// The bus services (interfaces other than TCP): the station list and the bus
// parameters, each with a 1000 ms time-out.
int Cmd_Partners(AppState* app);
int Cmd_BusParameters(AppState* app);
int Cmd_CpuState(AppState* app);
// The restart the CPU start dialog offers; the library takes 0 and 1.
enum class RestartMode { Warm = 0, Cold = 1 };
int Cmd_CpuStart(AppState* app, RestartMode mode);
int Cmd_CpuStop(AppState* app);
int Cmd_GetClock(AppState* app);
int Cmd_SetClock(AppState* app, const CalendarRecord* clock);
int Cmd_Login(AppState* app, const char* password);
int Cmd_Logout(AppState* app);

// ---------------------------------------------------------------- the variable table

enum class Transfer { Read, Write };

// Reads or writes the whole table once, logged: one variable with the simple
// service, else a prepared request (refused variables are dropped, each with
// a log line) with the multi service; a table larger than one request in as
// many as it needs (app/tabletransfer.h). The caller refreshes the menu and,
// on success, opens the read window.
int Cmd_Transfer(AppState* app, Transfer direction);

// The read window's read, cyclic or after a write: as Cmd_Transfer reads,
// but only a failure is logged (a time-out also disconnects, logged).
// *requests (if asked) gets the number of requests the read took.
int Cmd_ReadTable(AppState* app, int* requests = nullptr);
