// The read-variables window: every element of the variable table with its
// value, read again at the chosen interval while refreshing is on. It runs on
// a thread of its own with its own message loop (ReadWindow_Thread is that
// thread's routine); the main window holds back every command while it
// exists (win32/readhold.h), so the connection is only ever used by one
// thread.
//
// Threads: ReadWindow_Thread runs on the window's thread and owns the window;
// ReadWindow_AskToClose may be called from any thread.
#pragma once

#include <windows.h>

#include <cstdint>

#include "app/appstate.h"
#include "app/dialogmemory.h"  // ValueLogChoice
#include "app/readsession.h"

// What the window needs from the program. Everything it points to outlives
// the window's thread; while the thread runs, the window alone uses app's
// connection and table and *intervalMs.
struct ReadWindowHost {
  HINSTANCE instance;
  HWND main;                // given back through kWmReadWindowClosing, hidden and shown on request
  HFONT listFont;
  AppState* app;
  std::uint32_t* intervalMs;  // the refresh interval, kept from one window to the next
  bool* reconnect;            // whether a lost connection is ridden out, kept likewise
  ValueLogChoice* valueLog;   // the value log's file and rows, kept likewise
  ReadStart start;
};

// The window's thread: host points to a ReadWindowHost. Makes the window,
// runs its message loop, and brings the main window to the front once the
// window has gone. -1 when the window cannot be made.
int ReadWindow_Thread(void* host);

// Asks the window to close, also when it is still being made (it closes as
// soon as it exists); the window's thread then ends.
void ReadWindow_AskToClose();
// A new window's thread is about to start: no close asked for yet.
void ReadWindow_ResetClose();
