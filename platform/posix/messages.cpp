// POSIX stand-in for a window that receives posted messages: a queue that the
// owning thread drains. The runtime posts thread start and end to it, and the
// log pane hands texts from other threads to its owner through it.
#include "platform/platform.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <new>

namespace {
struct MessageQueue {
  std::mutex m;
  std::condition_variable cv;
  std::deque<PlatMessage> queue;
};
}  // namespace

PlatWindow Plat_CreateMessageWindow() { return new (std::nothrow) MessageQueue; }

void Plat_DestroyMessageWindow(PlatWindow w) { delete static_cast<MessageQueue*>(w); }

bool Plat_PostMessage(PlatWindow w, unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
  auto* q = static_cast<MessageQueue*>(w);
  if (!q) return false;
  {
    std::lock_guard lock(q->m);
    q->queue.push_back(PlatMessage{message, wParam, lParam});
  }
  q->cv.notify_one();
  return true;
}

bool Plat_TakeMessage(PlatWindow w, PlatMessage* out, int timeoutMs) {
  auto* q = static_cast<MessageQueue*>(w);
  std::unique_lock lock(q->m);
  auto ready = [q] { return !q->queue.empty(); };
  if (timeoutMs < 0)
    q->cv.wait(lock, ready);
  else if (!q->cv.wait_for(lock, std::chrono::milliseconds(timeoutMs), ready))
    return false;
  *out = q->queue.front();
  q->queue.pop_front();
  return true;
}
