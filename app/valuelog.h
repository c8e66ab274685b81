// Value logging ("Naplózás"): each cycle of a monitor, one row of a CSV file
// with every element's value as the read window shows it, for a spreadsheet
// to open as it is. Both the read window and `tolvane-cli monitor --csv`
// write it through the monitor step (app/monitor.h).
//
// The file is UTF-8 with a byte-order mark: every Excel since 2007 and
// LibreOffice read the Hungarian letters right from it whatever the system's
// code page, where a code page 1250 file shows them only on a Hungarian
// Windows. Cells are separated by ";" and reals have a decimal comma, as a
// Hungarian spreadsheet expects; lines end with CR LF. The first row names
// the columns: "Idő", each element's address (and " : name" when it has
// one), "Hiba". Each row: the PC's local date and time with milliseconds,
// the value texts, and an empty last cell; a read that failed leaves the
// values empty and puts the library's error text in the last cell. Should
// the table lose a variable (refused while a request was prepared), a new
// header row follows.
//
// Rows are queued to a writer thread (runtime/appender.h), so a slow disk
// delays the file, never the reads; each reaches the system as one whole
// write, so the file never ends in half a row. A full disk or a file that is
// removed stops the logging with one log line; the rows before stay.
//
// Threads: the thread that runs the monitor opens, logs and closes. Log
// lines go to the main log. Ownership: ValueLog_Open returns a record that
// ValueLog_Close frees.
#pragma once

#include <cstdint>

#include "vars/vars.h"

struct ValueLog;

enum class ValueLogRows {
  EveryCycle,   // a row for every read
  ChangedOnly,  // only when a value (or the read's success) differs from the last row
};

// Creates (or empties) the file and writes its header row for the table.
// Null when it cannot be made (logged, with *error the Windows code).
ValueLog* ValueLog_Open(const char* path, ValueLogRows rows, const VariableTable* table, std::uint32_t* error);

// One cycle: the table just read, with the read's library result (S7_OK or
// the error). at is the time of the row; null takes the local time now.
void ValueLog_Cycle(ValueLog* log, const VariableTable* table, int readResult, const CalendarRecord* at = nullptr);

// False once a failure has stopped the logging (and it has been logged).
bool ValueLog_Running(const ValueLog* log);
// Rows written to the file so far (header rows not counted).
std::uint64_t ValueLog_Rows(const ValueLog* log);

// Writes what is queued and closes the file: a log line that it ended, or
// the one report of a failure not yet told. Returns the failure that
// stopped the logging (told now or before), else 0. Null is allowed.
std::uint32_t ValueLog_Close(ValueLog* log);
