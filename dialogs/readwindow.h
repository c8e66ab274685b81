// The read-variables window: every element of the variable table with its
// value, read again at the chosen interval while refreshing is on. It runs on
// a thread of its own with its own message loop; the main window is disabled
// (and takes no commands) while it exists, so the connection is only ever
// used by one thread.
//
// Threads: the functions below belong to the user-interface thread; the
// window itself, its reads and its program-wide settings to its own thread.
#pragma once

#include <windows.h>

#include <cstdint>

// Sent by the window's thread to the main window as the window closes: the
// main window takes commands again and is enabled and shown, all before the
// window goes, so that the system activates the main window next.
inline constexpr UINT kWmReadWindowClosing = WM_APP + 12;

// Opens the window, reading the table once first when readBack is set and
// then cyclically when cyclic is set. The main window is disabled, and takes
// no commands, before the thread starts; when the last window's thread is
// still ending, the new one starts once it has. false when a read window
// exists already or its thread cannot be started (the main window is then
// enabled again).
bool ReadWindow_Open(bool readBack, bool cyclic);

// Whether a read window exists, is about to, or its thread is still ending:
// the program's end waits for that thread.
bool ReadWindow_Running();

// Asks the window to close, also when it is still being created; the end
// message of its thread follows.
void ReadWindow_RequestClose();

// The main window's handlers: kWmReadWindowClosing, and the thread starter's
// messages. ThreadEnded is true when the thread was the read window's: its
// handle is closed and the main window is usable again, however the thread
// ended.
void ReadWindow_Closing();
void ReadWindow_ThreadStarting(std::uint32_t sequence);
bool ReadWindow_ThreadEnded(std::uint32_t sequence);
