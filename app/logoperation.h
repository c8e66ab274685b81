// The log entry of a library operation: its name, result and error text, the
// extended code, and what the operation returned (PDU size, partner list,
// bus parameters, clock, CPU state, item results). After a time-out of a
// state, session, read or write operation the connection is disconnected,
// with an entry of its own.
//
// Threads: call it on the thread that made the library call, right after it
// (the result is read from that thread's error state), with the application
// record's connection not in use elsewhere. It may talk to the PLC itself:
// after a CPU start it polls the state for up to 2 s, after a stop it asks
// the state once, after setting the clock it reads the clock back, and after
// a time-out it disconnects. The entry goes to the main log (LogWrite), so
// any thread may log; the texts it returns are the string table's.
#pragma once

#include <cstdint>

// Operation ids: 2000 + the library's operation number (S7_OP_…), which is
// also the string id of the operation's name.
inline constexpr int kLogOperationBase = 2000;

// Writes the entry of the operation that has just returned on this thread
// (no other library call in between: the error state is read from it). value
// is the partner count for S7_OnLine_Partners and the CPU state for
// S7_GetCpuState, else 0; data the partner status list, the 242-byte bus
// parameter record or the CalendarRecord of S7_GetCpuClock, else null.
// Operation ids outside 2000-2018 write nothing.
void LogOperation(int operation, int value, const void* data);

// The entry of a command that runs several library calls under one name (the
// system status lists): the name's string id, the result and extended code
// it ended with, and its detail lines (each ending in CR LF). After a
// time-out the connection is disconnected, with its own entry, as after a
// state read.
void LogCommandEntry(int nameId, int error, std::int32_t ext, const char* detail, std::size_t length);

// The entry of the variable table read or written over several requests
// (app/tabletransfer.h): the operation (S7_MultiRead or S7_MultiWrite) with
// the transfer's result, the number of variables and requests, for a write
// how many went in and how many not, then one line per variable that
// failed (the PLC's code for a refused item, else the library's error
// text), a write's partly written variables with the parts that went in,
// and one line for all the variables a lost link failed; then the hints a
// refusal calls for (app/loghints.h), as after a single request. results
// holds one record per table entry (null: none to show). After a time-out the
// connection is disconnected, with its own entry, as after any read.
struct VarTransferSummary;
struct VarTransferResult;
struct VariableTable;
void LogTransfer(int operation, const VarTransferSummary* summary, const VarTransferResult* results,
                 const VariableTable* table);

// The texts the entries use, for whoever shows the same facts elsewhere.
const char* CpuStateText(int state);
const char* PartnerStatusText(std::uint8_t status);  // null: no line for this status
const char* BaudText(unsigned code);
const char* ItemResultText(int code);
