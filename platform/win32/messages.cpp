// Win32 side of the posted-message seam: a message-only window of the calling
// thread. The main window of the program is a real HWND and takes the same
// posts.
#include "platform/platform.h"

#include <windows.h>

PlatWindow Plat_CreateMessageWindow() {
  return CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                         GetModuleHandleA(nullptr), nullptr);
}

void Plat_DestroyMessageWindow(PlatWindow w) {
  if (w) DestroyWindow(static_cast<HWND>(w));
}

bool Plat_PostMessage(PlatWindow w, unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
  return PostMessageA(static_cast<HWND>(w), message, wParam, lParam) != 0;
}

bool Plat_TakeMessage(PlatWindow w, PlatMessage* out, int timeoutMs) {
  HWND hwnd = static_cast<HWND>(w);
  DWORD start = GetTickCount();
  for (;;) {
    MSG msg;
    if (PeekMessageA(&msg, hwnd, 0, 0, PM_REMOVE)) {
      *out = PlatMessage{msg.message, msg.wParam, msg.lParam};
      return true;
    }
    DWORD wait = INFINITE;
    if (timeoutMs >= 0) {
      DWORD spent = GetTickCount() - start;
      if (spent >= static_cast<DWORD>(timeoutMs)) return false;
      wait = static_cast<DWORD>(timeoutMs) - spent;
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, wait, QS_ALLPOSTMESSAGE);
  }
}
