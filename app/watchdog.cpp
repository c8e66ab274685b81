// The shutdown watchdog: a thread that waits on an event for the limit and
// ends the process when the event is not set in time.
#include "app/watchdog.h"

#include "platform/platform.h"
#include "runtime/runtime.h"

namespace {

struct Watch {
  PlatEvent done = nullptr;
  PlatThread thread = nullptr;
  std::uint32_t limitMs = 0;
};
Watch g_watch;

int WatchRoutine(void* argument) {
  const auto* watch = static_cast<const Watch*>(argument);
  if (!Plat_EventWait(watch->done, static_cast<int>(watch->limitMs))) Plat_ExitProcess(-1);
  return 0;
}

}  // namespace

void Watchdog_Start(std::uint32_t limitMs) {
  if (g_watch.thread) return;
  g_watch.done = Plat_EventCreate();
  g_watch.limitMs = limitMs;
  if (!g_watch.done) return;
  g_watch.thread = StartThread(WatchRoutine, &g_watch);
}

void Watchdog_Stop() {
  if (g_watch.done) Plat_EventSet(g_watch.done);
  if (g_watch.thread) {
    // Ends at once: its event is set (or it has ended the process).
    Plat_WaitThread(g_watch.thread, -1, nullptr);
    Rt_CloseThread(g_watch.thread);
  }
  Plat_EventDestroy(g_watch.done);
  g_watch = Watch{};
}
