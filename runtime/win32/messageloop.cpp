// A thread's message loop, as the fields of its ThreadContext direct it: the
// main window registers its accelerators there, a modeless window registers
// itself for dialog keys.
#include "runtime/messageloop.h"

#include <windows.h>

#include "runtime/threadctx.h"

int RunMessageLoop(int* errorFlag) {
  if (errorFlag) *errorFlag = 0;
  ThreadContext* tc = CurrentThreadContext();
  tc->loopFlag = 1;
  MSG msg{};
  while (tc->loopFlag) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) break;  // WM_QUIT
    if (got == -1) {
      // Asking again would fail again at once: the loop would spin.
      if (errorFlag) *errorFlag = 1;
      return -1;
    }
    const auto dialog = static_cast<HWND>(tc->dialogWindow);
    if (dialog && IsDialogMessageW(dialog, &msg)) continue;
    const auto accelWindow = static_cast<HWND>(tc->accelWindow);
    const auto accelTable = static_cast<HACCEL>(tc->accelTable);
    if (accelWindow && accelTable && TranslateAcceleratorW(accelWindow, accelTable, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return tc->loopFlag ? static_cast<int>(msg.wParam) : -1;
}
