// The read-variables window: every element of the variable table with its
// value, read again at the chosen interval while refreshing is on. It runs on
// a thread of its own with its own message loop; the main window is disabled
// (and takes no commands) while it exists, so the connection is only ever
// used by one thread.
//
// Threads: the functions below belong to the user-interface thread; the
// window itself, its reads and its program-wide settings to its own thread.
#pragma once

#include <cstdint>

// Opens the window, reading the table once first when readBack is set and
// then cyclically when cyclic is set. The main window is disabled before the
// thread starts. false when a read window exists already or its thread
// cannot be started (the main window is then enabled again).
bool ReadWindow_Open(bool readBack, bool cyclic);

// Asks the window to close, also when it is still being created; the end
// message of its thread follows.
void ReadWindow_RequestClose();

// The thread starter's messages as the main window gets them. ThreadEnded is
// true when the thread was the read window's: its handle is closed, the main
// window is enabled and shown, and commands are taken again.
void ReadWindow_ThreadStarting(std::uint32_t sequence);
bool ReadWindow_ThreadEnded(std::uint32_t sequence);
