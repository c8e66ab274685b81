// The program's private window messages, every one numbered from the one
// base here: they travel between threads and layers (the runtime's thread
// starter, the log pane, the window code), and two of them sharing a number
// would be taken for each other without a word.
#pragma once

// WM_APP on Windows; on POSIX the message queues take the same numbers.
inline constexpr unsigned kWmApp = 0x8000;

// Posted by the thread starter to the main window around every thread it
// runs: wParam 0 / the exit code, lParam the thread's sequence number.
inline constexpr unsigned kWmThreadStarting = kWmApp + 3;
inline constexpr unsigned kWmThreadEnded = kWmApp + 4;
// A log text written on another thread: wParam the text (a heap block),
// lParam the log pane.
inline constexpr unsigned kWmLogText = kWmApp + 7;
// To a list's parent when a click changed the selection: wParam the list's
// control id, lParam the selected index or -1 for none.
inline constexpr unsigned kWmListSelection = kWmApp + 11;
// Sent by the read window's thread to the main window as the window closes.
inline constexpr unsigned kWmReadWindowClosing = kWmApp + 12;
