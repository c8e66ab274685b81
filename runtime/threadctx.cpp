// How a thread finds its ThreadContext, and the runtime error flags in it.
#include "runtime/threadctx.h"

#include <atomic>

#include "runtime/runtime.h"
#include "platform/platform.h"

namespace {
int g_slot = -1;
}

bool ThreadContext_CreateSlot() {
  g_slot = Plat_TlsAlloc();
  return g_slot >= 0;
}

void ThreadContext_FreeSlot() {
  if (g_slot >= 0) Plat_TlsFree(g_slot);
  g_slot = -1;
}

bool ThreadContext_Bind(ThreadContext* record) { return g_slot >= 0 && Plat_TlsSet(g_slot, record); }

ThreadContext* ThreadContext_Find() {
  return g_slot >= 0 ? static_cast<ThreadContext*>(Plat_TlsGet(g_slot)) : nullptr;
}

ThreadContext* CurrentThreadContext() {
  ThreadContext* tc = ThreadContext_Find();
  if (!tc) Rt_FatalExit(5);
  return tc;
}

void SetRuntimeErrors(std::uint32_t value) {
  ThreadContext* tc = CurrentThreadContext();
  std::atomic_ref<std::uint32_t> flags(tc->runtimeErrors);
  std::uint32_t old = flags.load(std::memory_order_relaxed);
  flags.store(old | ((old & 0x00FFFFFFu) ? (value & 0xFF000000u) : value), std::memory_order_relaxed);
}

std::uint32_t TakeRuntimeErrors() {
  std::atomic_ref<std::uint32_t> flags(CurrentThreadContext()->runtimeErrors);
  return flags.exchange(0);
}
