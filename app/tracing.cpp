// The trace command: the library's trace with the program's log lines around
// it. The path is kept for the lines of a trace that ends later, perhaps by a
// failure found on another thread.
#include "app/tracing.h"

#include <atomic>

#include "app/recordlog.h"
#include "runtime/runtime.h"
#include "s7lib/s7lib.h"

namespace {

char g_path[1024];
// Set on the thread whose exchange found the failure, read on the user
// interface thread.
std::atomic<std::uint32_t> g_failure{0};

void OnStop(void*, std::uint32_t error) {
  g_failure.store(error);
  RecordLog_Stopped(Recording::Trace, g_path, error);
}

}  // namespace

std::uint32_t Cmd_TraceStart(const char* path) {
  Cmd_TraceStop();
  Rt_StrCopyN(g_path, path, sizeof g_path);
  g_failure.store(0);
  const std::uint32_t error = S7_Trace_Start(path, S7TraceOptions{OnStop, nullptr});
  if (error != 0)
    RecordLog_CantOpen(Recording::Trace, g_path, error);
  else
    RecordLog_Started(Recording::Trace, g_path);
  return error;
}

std::uint32_t Cmd_TraceStop() {
  if (!S7_Trace_IsOn()) return g_failure.load();
  // A failure found only now is told by S7_Trace_Stop itself, through OnStop.
  if (S7_Trace_Stop() == 0) RecordLog_Ended(Recording::Trace, g_path);
  return g_failure.load();
}

bool Cmd_TraceIsOn() { return S7_Trace_IsOn() != 0; }
