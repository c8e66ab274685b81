// The read window's session: one window thread at a time, known by its
// sequence number, and the main window held from the opening until the
// window hands it back or its thread is gone.
#include "app/readsession.h"

namespace {

ReadSessionActions Start(ReadStart start) {
  ReadSessionActions a;
  a.startThread = true;
  a.start = start;
  return a;
}

}  // namespace

ReadSessionActions ReadSession_Open(ReadSession* session, ReadStart start) {
  if (session->holding || session->closing) return {};
  // From here on the user-interface thread runs no command: the connection
  // is the window's before its thread even starts.
  session->holding = true;
  if (session->threadRunning) {
    // The last window has gone, its thread not yet: one thread at a time.
    session->pending = true;
    session->pendingStart = start;
    ReadSessionActions a;
    a.holdMain = true;
    return a;
  }
  ReadSessionActions a = Start(start);
  a.holdMain = true;
  return a;
}

ReadSessionActions ReadSession_Started(ReadSession* session, bool started, std::uint32_t sequence) {
  ReadSessionActions a;
  if (started) {
    session->threadRunning = true;
    session->sequence = sequence;
    return a;
  }
  session->holding = false;
  a.giveMainBack = true;
  a.finishClose = session->closing;
  return a;
}

ReadSessionActions ReadSession_ThreadEnded(ReadSession* session, std::uint32_t sequence) {
  ReadSessionActions a;
  // Another thread of the program, or a message of an earlier window's
  // thread that arrives late: not this window's end.
  if (!session->threadRunning || sequence != session->sequence) return a;
  session->threadRunning = false;
  session->sequence = 0;
  a.closeThreadHandle = true;
  if (session->pending) {
    session->pending = false;
    a.startThread = true;
    a.start = session->pendingStart;
    return a;
  }
  // A thread that ended without handing the main window back (it could not
  // make its window, or a fault ended it) leaves it usable all the same.
  if (session->holding) {
    session->holding = false;
    a.giveMainBack = true;
  }
  a.finishClose = session->closing;
  return a;
}

ReadSessionActions ReadSession_WindowClosing(ReadSession* session) {
  session->holding = false;
  ReadSessionActions a;
  a.giveMainBack = true;
  return a;
}

ReadSessionActions ReadSession_RequestClose(ReadSession* session) {
  session->closing = true;
  ReadSessionActions a;
  if (session->pending) {
    session->pending = false;
    session->holding = false;
    a.giveMainBack = true;
  }
  if (session->threadRunning)
    a.askWindowToClose = true;
  else
    a.finishClose = true;
  return a;
}

bool ReadSession_Running(const ReadSession* session) {
  return session->holding || session->threadRunning || session->pending;
}
