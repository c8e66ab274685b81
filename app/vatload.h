// Loading a variable table file into the application record: the variables
// always, and the file's PLC when no connection is open or the user chooses
// it, which closes and reopens the interface and connection.
//
// Threads: the user-interface thread (it runs library operations and asks
// the front end which PLC to keep).
#pragma once

#include "app/appstate.h"

// Loads path (code page 1250): 1 on success; 0 when the file cannot be read,
// a key is refused (one log line, nothing changed) or the user cancels the
// PLC choice. Each library call is logged.
int Vat_Load(const char* path, AppState* app);

// After a successful load the read window opens, reading at once and then
// cyclically, when an interface and a connection are left. The front end
// opens it itself, after its menu, status and title show the loaded file, so
// that nothing on the user-interface thread uses the connection once the
// window's thread has started.
inline bool Vat_ReadWindowDue(const AppState* app) { return app->iface && app->conn; }
