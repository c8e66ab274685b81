// The read-variables window's life as the user-interface thread keeps it,
// without a window: opening (the main window held before the window's thread
// starts), an opening that waits while the last window's thread is still
// ending, the end of that thread known by its sequence number, the window
// handing the main window back, and a close request of the program that
// waits for the thread. Each event says what the front end is to do; the
// Windows front end carries it out, the native tests check it.
//
// Threads: the user-interface thread only (the window's thread reports
// through messages that the user-interface thread turns into these events).
#pragma once

#include <cstdint>

// How a read window starts: reading the table once first (after a write, or
// a file load), and then cyclically.
struct ReadStart {
  bool readBack = false;
  bool cyclic = false;
};

struct ReadSession {
  bool holding = false;          // the main window is disabled and runs no command
  bool threadRunning = false;    // the window's thread is started and has not ended
  std::uint32_t sequence = 0;    // that thread's sequence number (the thread starter's)
  bool pending = false;          // an opening waits for that thread to end
  ReadStart pendingStart{};
  bool closing = false;          // the program's end waits for the thread
};

// What the front end does after an event, in this order: hold the main
// window (disable it), close the ended thread's handle, start a window
// thread with `start`, ask the window to close (also before it exists), give
// the main window back (enable and show it), end the program's close.
struct ReadSessionActions {
  bool holdMain = false;
  bool closeThreadHandle = false;
  bool startThread = false;
  ReadStart start{};
  bool askWindowToClose = false;
  bool giveMainBack = false;
  bool finishClose = false;
};

// An opening (a read or write that succeeded, a loaded file): refused (no
// action at all) while a read window exists or is about to; otherwise the
// main window is held and the thread starts now, or once the last window's
// thread has ended.
ReadSessionActions ReadSession_Open(ReadSession* session, ReadStart start);
// The thread start asked for has happened: its sequence number, or the
// failure (the main window is given back).
ReadSessionActions ReadSession_Started(ReadSession* session, bool started, std::uint32_t sequence);
// A thread of the program has ended: only the window's thread, known by its
// sequence number, counts. Its handle is closed, a waiting opening starts,
// and the main window is usable again however the thread ended.
ReadSessionActions ReadSession_ThreadEnded(ReadSession* session, std::uint32_t sequence);
// The window is closing: it gives the main window back before it goes.
ReadSessionActions ReadSession_WindowClosing(ReadSession* session);
// The program is to end: a waiting opening is dropped, the window is asked
// to close, and the close finishes once the thread has ended (at once when
// there is none).
ReadSessionActions ReadSession_RequestClose(ReadSession* session);

// Whether a read window exists, is about to, or its thread is still ending.
bool ReadSession_Running(const ReadSession* session);
