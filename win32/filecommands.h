// Loading and saving a variable table file through the system's file
// dialogs, starting from the current file name (or, before there is one, the
// program's own name with ".vat").
//
// Threads: the user-interface thread.
#pragma once

// true when a file was chosen and loaded; it is then the current file.
bool Vat_Open();

enum class VatSaveResult { Cancelled, Saved, Failed };
// Saved makes the chosen file the current one; Failed (logged) changes
// nothing but the log.
VatSaveResult Vat_Save();
