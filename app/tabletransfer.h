// The variable table read or written once, however many requests it takes:
// a table that fits one request goes as it always went (one variable with
// the simple service, more with one prepared request); a larger one goes
// through the request planner, with one log entry that says which
// variables failed and why. The commands, the variable list and the read
// window all take this way.
//
// Threads: the thread that uses the application record's connection (see
// app/commands.h); the table must not change meanwhile.
#pragma once

#include "app/appstate.h"
#include "app/commands.h"  // Transfer

// Whether the table needs more than one request at the connection's PDU
// size. When it does, *plan is its plan (VarPlan_Free it); else it is empty.
bool Table_NeedsPlan(AppState* app, Transfer direction, VarPlan* plan);

// Makes a table's plan (from Table_NeedsPlan) ready to run: checks that a
// request can be opened on the connection, then drops the variables no
// request could carry (each with its "Deleted" line) and plans again
// without them. Returns the library's result for opening the request (the
// plan is then left alone and nothing is dropped), or 1 without memory for
// the new plan.
int Table_PreparePlan(AppState* app, Transfer direction, VarPlan* plan);

// What the variable list prepares: a table that fits one request is
// prepared in the library as always (VarTable_PrepareRequest, refused
// variables dropped); a larger one checks that a request can be opened,
// drops only the variables no request could carry and is planned into
// *plan (VarPlan_Free it; empty for one request). Returns the library's
// result for opening a request; nothing is dropped when it is not 0.
int Table_Prepare(AppState* app, Transfer direction, VarPlan* plan);

// Runs a table's plan (from Table_NeedsPlan or Table_Prepare) and writes
// its log entry, as the operation S7_MultiRead or S7_MultiWrite; with
// TransferLog::FailuresOnly a transfer without a failure writes none.
// *requests (if asked) gets the number of requests sent. Returns the
// transfer's result: 0, or the first failure (a lost link's code when the
// link went).
enum class TransferLog { Always, FailuresOnly };
int Table_RunPlan(AppState* app, const VarPlan* plan, TransferLog log, int* requests);
