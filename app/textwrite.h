// The guard before a write of String and WString variables: the PLC's own
// maximum lengths are read first, a text longer than one is refused before
// anything is written, and what is written keeps the PLC's maximum field
// and the bytes beyond the text as they are.
//
// Threads: the thread that uses the application record's connection; the
// table must not change meanwhile.
#pragma once

#include "app/appstate.h"

// Reads the texts of the table's String and WString variables from the PLC
// (nothing is sent when the table has none). Each element's header gets the
// PLC's maximum and the slot past the text gets the PLC's bytes, so that a
// write changes only the current length and the letters. A text longer than
// the PLC's maximum, or a read that fails, is logged ("Nem írtam semmit")
// and the result is S7_ERR_DATA_SIZE or the read's code: write nothing then.
// S7_OK when the write may go ahead.
int Table_GuardTextWrites(AppState* app);
