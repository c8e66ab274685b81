// The read window as the main window holds it: the session's actions carried
// out on the main window and the window's thread.
#include "win32/readhold.h"

#include <windows.h>

#include "app/watchdog.h"
#include "win32/dialogs/readwindow.h"
#include "win32/shell.h"
#include "runtime/runtime.h"

namespace {

ReadSession g_session;
PlatThread g_thread = nullptr;
ReadWindowHost g_host{};  // read by the window's thread while it runs

// The main window enabled and shown, commands taken again.
void GiveMainBack() {
  HWND main = TheShell()->main;
  EnableWindow(main, TRUE);
  if (!IsWindowVisible(main)) ShowWindow(main, SW_SHOW);
}

void Carry(ReadSessionActions a);

void StartWindowThread(ReadStart start) {
  Shell* shell = TheShell();
  g_host = ReadWindowHost{shell->instance, shell->main, shell->listFont, TheAppState(), &shell->memory.readIntervalMs,
                          &shell->memory.readReconnect, &shell->memory.valueLog, start};
  ReadWindow_ResetClose();
  std::uint32_t sequence = 0;
  g_thread = StartThread(ReadWindow_Thread, &g_host, {.sequence = &sequence});
  Carry(ReadSession_Started(&g_session, g_thread != nullptr, sequence));
}

void Carry(ReadSessionActions a) {
  if (a.holdMain) EnableWindow(TheShell()->main, FALSE);
  if (a.closeThreadHandle && g_thread) {
    Rt_CloseThread(g_thread);
    g_thread = nullptr;
  }
  if (a.startThread) StartWindowThread(a.start);
  if (a.askWindowToClose) ReadWindow_AskToClose();
  if (a.giveMainBack) GiveMainBack();
  if (a.finishClose) DestroyWindow(TheShell()->main);
}

}  // namespace

bool ReadHold_Open(ReadStart start) {
  const ReadSessionActions a = ReadSession_Open(&g_session, start);
  if (!a.holdMain) return false;
  Carry(a);
  return ReadSession_Running(&g_session);
}

bool ReadHold_Holding() { return g_session.holding; }

bool ReadHold_Running() { return ReadSession_Running(&g_session); }

void ReadHold_WindowClosing() { Carry(ReadSession_WindowClosing(&g_session)); }

void ReadHold_ThreadEnded(std::uint32_t sequence) { Carry(ReadSession_ThreadEnded(&g_session, sequence)); }

void ReadHold_CloseProgram() {
  // A read that hangs (a PLC that stopped answering waits out the
  // connection's time-out, up to 30 s; an access point may block in its
  // receive) must not keep the program from ending: the shutdown's time
  // limit runs from the close request on.
  if (ReadSession_Running(&g_session)) Watchdog_Start(kShutdownLimitMs);
  Carry(ReadSession_RequestClose(&g_session));
}

void ReadHold_Park(std::uint32_t waitMs) {
  if (!g_thread) return;
  ReadWindow_AskToClose();
  const DWORD start = GetTickCount();
  for (;;) {
    const DWORD spent = GetTickCount() - start;
    if (spent >= waitMs) break;
    HANDLE thread = g_thread;
    const DWORD woke = MsgWaitForMultipleObjects(1, &thread, FALSE, waitMs - spent, QS_SENDMESSAGE);
    if (woke == WAIT_OBJECT_0) {
      // Its end message may still be queued: the session no longer knows
      // the thread, so it is not taken for another's.
      Rt_CloseThread(g_thread);
      g_thread = nullptr;
      g_session = ReadSession{};
      return;
    }
    if (woke != WAIT_OBJECT_0 + 1) break;
    // The window's close sends kWmReadWindowClosing here: served, so that
    // its thread can go on to its end.
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  }
  // Still inside a read (or a log write): it stays where it is for the rest
  // of the process, and the main window forgets it.
  SuspendThread(g_thread);
  Rt_CloseThread(g_thread);
  g_thread = nullptr;
  g_session = ReadSession{};
}
