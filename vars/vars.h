// Variables, values and files: the one header a program that links vars
// includes. It gathers the topic headers beside it, which the library's own
// sources include one by one as they need them.
//
// Texts are byte strings in code page 1250. Formatting and reading follow the
// calling thread's formatting settings (the locale word of its ThreadContext),
// so every thread that formats or reads must have been started by the runtime.
//
// Threads and ownership: nothing here takes a lock. Functions that work on a
// record (HeapText, PlcVariable, VariableTable, PlcSettings, IniIndex,
// IniBuilder, FileHandle) serve one thread at a time per record; the others
// may run on any runtime thread at once. Texts come back in the caller's
// buffers, except where a function hands over a runtime heap block: the
// caller then frees it with Rt_Free.
#pragma once

#include "vars/format.h"       // the formatting engine and the locale word
#include "vars/heaptext.h"     // a growing text in a heap block
#include "vars/readers.h"      // reading integers and reals
#include "vars/texthelp.h"     // trimming, case folding, comparing, finding
#include "vars/varmodel.h"     // the variable record and the table
#include "vars/varaddress.h"   // address texts, written and read
#include "vars/valuetext.h"    // an element's value text and its reading
#include "vars/calendar.h"     // the calendar arithmetic of dates and times
#include "vars/valuelines.h"   // the lines of the read window and the lists
#include "vars/ini.h"          // the INI-style text: find, get, set, index, build
#include "vars/files.h"        // the file layer and whole-file loading
#include "vars/logsink.h"      // where the library's log lines go
#include "vars/plcsettings.h"  // the PLC description
#include "vars/vatfile.h"      // variable table files
#include "vars/varplan.h"      // tables read and written over several requests
