// Win32 side of the console seam: UTF-8 on the console, arguments taken from
// the wide command line (the ANSI one would lose what the system code page
// cannot hold), Ctrl+C through the console control handler.
#include "platform/platform.h"

#include <windows.h>
#include <fcntl.h>
#include <io.h>
#include <cstdio>
#include <cstdlib>
#include <shellapi.h>

namespace {
void (*g_interrupt)() = nullptr;
BOOL WINAPI OnControl(DWORD type) {
  if ((type == CTRL_C_EVENT || type == CTRL_BREAK_EVENT) && g_interrupt) {
    g_interrupt();
    return TRUE;
  }
  return FALSE;
}
}  // namespace

void Plat_PrepareConsole() {
  SetConsoleOutputCP(CP_UTF8);
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
}

int Plat_Arguments(int argc, char** argv, char** out, int maxCount) {
  int wideCount = 0;
  LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &wideCount);
  if (!wide) {
    int n = 0;
    for (int i = 0; i < argc && n < maxCount; ++i) out[n++] = _strdup(argv[i]);
    return n;
  }
  int n = 0;
  for (int i = 0; i < wideCount && n < maxCount; ++i) {
    int size = WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, nullptr, 0, nullptr, nullptr);
    char* text = static_cast<char*>(std::malloc(static_cast<std::size_t>(size > 0 ? size : 1)));
    if (!text) break;
    text[0] = '\0';
    if (size > 0) WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, text, size, nullptr, nullptr);
    out[n++] = text;
  }
  LocalFree(wide);
  return n;
}

void Plat_OnInterrupt(void (*handler)()) {
  g_interrupt = handler;
  SetConsoleCtrlHandler(OnControl, TRUE);
}
