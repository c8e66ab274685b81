// Faults that no code handles. C++ exceptions escaping a worker's routine are
// caught by the thread starter; a hardware fault (an access violation) is
// not a C++ exception and would otherwise end the whole process, with every
// other window, for a fault in one worker.
#include <windows.h>

#include <atomic>

#include "runtime/messageloop.h"
#include "runtime/runtime.h"

namespace {

void (*g_onMainThreadFault)(unsigned) = nullptr;

LONG WINAPI Filter(EXCEPTION_POINTERS* info) {
  const DWORD code = info && info->ExceptionRecord ? info->ExceptionRecord->ExceptionCode : 0;
  if (Rt_EndWorkerFromFault(static_cast<int>(code))) ExitThread(code);
  ThreadContext* tc = ThreadContext_Find();
  if (tc && tc->sequence == 0 && g_onMainThreadFault) {
    // Handling the fault shows a message box and shuts down: a fault on the
    // way must not start that again (and again), it ends the process.
    static std::atomic<bool> handling{false};
    if (handling.exchange(true)) ExitProcess(code);
    g_onMainThreadFault(code);
  }
  return EXCEPTION_CONTINUE_SEARCH;
}

}  // namespace

void Rt_InstallFaultFilter(void (*onMainThreadFault)(unsigned code)) {
  g_onMainThreadFault = onMainThreadFault;
  SetUnhandledExceptionFilter(Filter);
}
