// The commands that ask the CPU about itself through its system status
// lists: "CPU adatai" (identity, mode, LEDs, protection, communication
// limits as one log entry) and "Diagnosztikai puffer" (the buffer's entries
// for a window or the console, newest first). Each runs only when the user
// asks: some small PLCs (LOGO!) stop answering when asked for a list.
//
// Threads: as every command (app/commands.h): the thread that uses the
// application record's connection, blocking until the CPU has answered or
// the connection's time-out has passed for one of the lists.
#pragma once

#include <cstddef>

#include "app/appstate.h"

// Reads the lists and writes one entry named "S7_ReadSzl": its result is the
// module identification's; a list the CPU does not give is a line of the
// entry with the CPU's code, and the others still follow. A communication
// failure ends the command with its error (a time-out also disconnects).
int Cmd_CpuInfo(AppState* app);

// Any list, for a look at its records: one entry with the list's id, index,
// record length and count. records and list as S7_ReadSzl takes them.
int Cmd_ReadSzl(AppState* app, unsigned id, unsigned index, std::uint8_t* records, int capacity, S7SzlList* list);

// The entries of a diagnostic buffer, on the runtime heap; DiagList_Free
// releases them and leaves the record empty.
struct DiagList {
  S7DiagEntry* entries;
  int count;
};
void DiagList_Free(DiagList* list);

// Reads the whole buffer (newest = 0) or its newest entries, logs an entry
// with their number, and fills *out (empty on failure). Returns the result.
int Cmd_ReadDiagnostics(AppState* app, int newest, DiagList* out);

// The list as text, one line per entry with CR LF, in a runtime heap block
// (Rt_Free it; null without memory).
char* DiagList_Text(const DiagList* list, std::size_t* length);

// Writes the text to a file (code page 1250, CR LF). Returns 0, or the
// file's error code, and logs a line either way.
std::uint32_t DiagList_Save(const DiagList* list, const char* path);
