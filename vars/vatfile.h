// Variable table files (*.vat): building, writing, loading and parsing the
// text that holds the PLC description and the variables. The records are the
// caller's; a text handed over is the caller's to Rt_Free.
#pragma once

#include <cstddef>

#include "vars/plcsettings.h"
#include "vars/varmodel.h"

// ================================================================ variable table files
//
// A *.vat file holds the PLC description and the variables with their element
// names and display modes (an INI-style text in code page 1250). Paths are
// code page 1250 texts too. What a load does to the open interface and
// connection is the application's (app/vatload.h).

// The file's text for a PLC and its table, built in linear time; a heap
// block the caller releases (Rt_Free), or null without memory.
char* Vat_BuildText(const PlcSettings* plc, const VariableTable* table, std::ptrdiff_t* length);
// Writes the file: 1 on success, else 0 with a "can't save" log line. A
// table without variables is not written (no reader could load the file).
int Vat_Write(const char* path, const PlcSettings* plc, const VariableTable* table);
// Loads a file's text for Vat_Read: a heap text (Rt_Free), empty for a file
// that does not exist; null, after a "can't load" log line, without memory.
char* Vat_LoadText(const char* path);
// Parses a loaded text into a zeroed PLC record and an empty table: 1 on
// success (the table then owns the variables' blocks), else 0 after the log
// line of the refused key, with what was parsed so far still in the table
// (VarTable_Clear releases it). A bad "Family", "ConnType" or "TSAP" is
// logged the same way but refuses nothing: its default is taken.
int Vat_Read(const char* text, PlcSettings* plc, VariableTable* table, const char* path);
// Logs "Invalid/Missing line in FILE at section S\r\nKEY = VALUE\r\n".
void Vat_ReportKey(const char* text, const char* section, const char* key, const char* path);
