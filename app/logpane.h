// The log: text appended at the end of a TextView, kept within a character and
// a line limit by cutting its oldest quarter at remembered entry boundaries,
// with the user's selection kept in place. Any thread may write to it; texts
// from other threads reach the pane's owner as a posted message.
//
// Threads and lifetime: the pane and its view belong to the thread that
// created it (the owner); only that thread touches the view. LogWrite may be
// called from any thread. A text posted from another thread is a heap block
// that travels in the message; the owner's message handling appends and
// releases it. The owner destroys the pane only after its window can take no
// more posted texts (the window is destroyed, or no other thread writes): a
// text still queued then is lost with the window's queue, never appended to a
// freed pane. Set the main log pane to null before destroying it.
#pragma once

#include <cstddef>

#include "app/textview.h"
#include "platform/platform.h"

struct LogPane {
  PlatWindow ownerWindow;
  TextView* view;
  void* ownerThread;        // ThreadContext thread handle of the creating thread
  int charLimit;
  int charCount;
  int charThreshold;
  int lineLimit;
  int lineCount;
  int lineThreshold;
  int markCount;
  int lineMarks[3];
  int charMarks[3];
};

// Limits as the main log has them.
inline constexpr int kMainLogCharLimit = 64000;
inline constexpr int kMainLogLineLimit = 400;

// Who releases a text given to the log.
enum class LogOwnership {
  CallerKeeps,   // the log copies what it needs; the caller keeps the text
  LogReleases,   // a heap block (Rt_Alloc) handed over: the log releases it
};

// The program's main log, where operations and file loads write their
// entries. The front end (main window, command line, a test) sets it; it is
// also where the core's own log lines go (Vars_SetLogSink).
LogPane* MainLogPane();
void SetMainLogPane(LogPane* pane);

// Null when the record cannot be allocated.
LogPane* LogPane_Create(PlatWindow owner, TextView* view, int charLimit, int lineLimit);
void LogPane_Destroy(LogPane* pane);

// Appends from any thread. length 0 means up to the terminating zero.
void LogWrite(LogPane* pane, const char* text, std::size_t length, LogOwnership ownership);

// Appends on the owner's thread, trimming as needed.
void LogAppend(LogPane* pane, char* text, LogOwnership ownership);

// For the owner's message handling: appends a posted text. Returns false for
// a message that is not the log's.
bool LogPane_HandleMessage(const PlatMessage& message);

// Owners without a window procedure (the command line, tests) drain their
// queue with this: handles every log message waiting, for up to timeoutMs
// for the first one. Returns how many texts were appended.
int LogPane_DrainPosted(PlatWindow owner, int timeoutMs);
