// POSIX side of the console seam: arguments are UTF-8 already; Ctrl+C is
// SIGINT.
#include "platform/platform.h"

#include <csignal>
#include <cstring>

namespace {
void (*g_interrupt)() = nullptr;
void OnSignal(int) {
  if (g_interrupt) g_interrupt();
}
}  // namespace

void Plat_PrepareConsole() {}

int Plat_Arguments(int argc, char** argv, char** out, int maxCount) {
  int n = 0;
  for (int i = 0; i < argc && n < maxCount; ++i) out[n++] = strdup(argv[i]);
  return n;
}

void Plat_OnInterrupt(void (*handler)()) {
  g_interrupt = handler;
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
}
