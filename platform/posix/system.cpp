// POSIX side of the time, thread, lock, memory and library seams. Threads get
// a small record so that a handle outlives its thread, as a Windows thread
// handle does, and so that a thread can be started suspended.
#include "platform/platform.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dlfcn.h>
#include <mutex>
#include <new>
#include <pthread.h>
#include <sched.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <xmmintrin.h>

// ---------------------------------------------------------------- time

std::uint32_t Plat_TickCount() {
  timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<std::uint32_t>(static_cast<std::uint64_t>(ts.tv_sec) * 1000u +
                                    static_cast<std::uint64_t>(ts.tv_nsec) / 1000000u);
}

void Plat_Sleep(std::uint32_t ms) {
  if (ms == 0) {
    sched_yield();
    return;
  }
  timespec ts{static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000L};
  while (nanosleep(&ts, &ts) != 0 && errno == EINTR) {
  }
}

std::uint64_t Plat_UtcMicroseconds() {
  timespec ts;
  clock_gettime(CLOCK_REALTIME, &ts);
  return static_cast<std::uint64_t>(ts.tv_sec) * 1000000u + static_cast<std::uint64_t>(ts.tv_nsec) / 1000u;
}

void Plat_LocalTime(PlatCalendar* out) {
  timespec ts;
  clock_gettime(CLOCK_REALTIME, &ts);
  tm t{};
  localtime_r(&ts.tv_sec, &t);
  out->year = static_cast<std::uint16_t>(t.tm_year + 1900);
  out->month = static_cast<std::uint16_t>(t.tm_mon + 1);
  out->weekday = static_cast<std::uint16_t>(t.tm_wday);
  out->day = static_cast<std::uint16_t>(t.tm_mday);
  out->hour = static_cast<std::uint16_t>(t.tm_hour);
  out->minute = static_cast<std::uint16_t>(t.tm_min);
  out->second = static_cast<std::uint16_t>(t.tm_sec);
  out->milliseconds = static_cast<std::uint16_t>(ts.tv_nsec / 1000000L);
}

// ---------------------------------------------------------------- threads

namespace {

struct ThreadRecord {
  PlatThreadProc proc;
  void* arg;
  std::mutex m;
  std::condition_variable cv;
  bool resumed = false;
  bool ended = false;
  std::uint32_t tid = 0;
  int exitCode = 0;
  std::atomic<int> refs{2};  // the thread and the handle
};

void Release(ThreadRecord* r) {
  if (r->refs.fetch_sub(1) == 1) delete r;
}

void* ThreadMain(void* p) {
  auto* r = static_cast<ThreadRecord*>(p);
  {
    std::unique_lock lock(r->m);
    r->tid = Plat_CurrentThreadId();
    r->cv.notify_all();
    r->cv.wait(lock, [r] { return r->resumed; });
  }
  unsigned code = r->proc(r->arg);
  {
    std::lock_guard lock(r->m);
    r->ended = true;
    r->exitCode = static_cast<int>(code);
  }
  r->cv.notify_all();
  Release(r);
  return nullptr;
}

}  // namespace

PlatThread Plat_StartThread(PlatThreadProc proc, void* arg, std::size_t stackSize, bool suspended,
                            std::uint32_t* threadId) {
  auto* r = new (std::nothrow) ThreadRecord{};
  if (!r) return nullptr;
  r->proc = proc;
  r->arg = arg;
  r->resumed = !suspended;
  pthread_attr_t attr;
  pthread_attr_init(&attr);
  if (stackSize) pthread_attr_setstacksize(&attr, stackSize < 65536 ? 65536 : stackSize);
  pthread_t t;
  int rc = pthread_create(&t, &attr, ThreadMain, r);
  pthread_attr_destroy(&attr);
  if (rc != 0) {
    delete r;
    errno = rc;
    return nullptr;
  }
  pthread_detach(t);
  if (threadId) {
    // The kernel id is only known inside the thread, which publishes it first.
    std::unique_lock lock(r->m);
    r->cv.wait(lock, [r] { return r->tid != 0; });
    *threadId = r->tid;
  }
  return r;
}

void Plat_ResumeThread(PlatThread t) {
  auto* r = static_cast<ThreadRecord*>(t);
  {
    std::lock_guard lock(r->m);
    r->resumed = true;
  }
  r->cv.notify_all();
}

int Plat_WaitThread(PlatThread t, int timeoutMs, int* exitCode) {
  auto* r = static_cast<ThreadRecord*>(t);
  std::unique_lock lock(r->m);
  auto ended = [r] { return r->ended; };
  if (timeoutMs < 0)
    r->cv.wait(lock, ended);
  else if (!r->cv.wait_for(lock, std::chrono::milliseconds(timeoutMs), ended))
    return 0;
  if (exitCode) *exitCode = r->exitCode;
  return 1;
}

void Plat_CloseThread(PlatThread t) {
  if (t) Release(static_cast<ThreadRecord*>(t));
}

std::uint32_t Plat_CurrentThreadId() { return static_cast<std::uint32_t>(syscall(SYS_gettid)); }

std::uint32_t Plat_ProcessId() { return static_cast<std::uint32_t>(getpid()); }

// ---------------------------------------------------------------- events

namespace {
struct EventRecord {
  std::mutex m;
  std::condition_variable cv;
  bool set = false;
};
}  // namespace

PlatEvent Plat_EventCreate() { return new (std::nothrow) EventRecord; }

void Plat_EventDestroy(PlatEvent e) { delete static_cast<EventRecord*>(e); }

void Plat_EventSet(PlatEvent e) {
  auto* r = static_cast<EventRecord*>(e);
  std::lock_guard lock(r->m);
  r->set = true;
  r->cv.notify_all();
}

bool Plat_EventWait(PlatEvent e, int timeoutMs) {
  auto* r = static_cast<EventRecord*>(e);
  std::unique_lock lock(r->m);
  if (timeoutMs < 0) {
    r->cv.wait(lock, [r] { return r->set; });
    return true;
  }
  return r->cv.wait_for(lock, std::chrono::milliseconds(timeoutMs), [r] { return r->set; });
}

// ---------------------------------------------------------------- TLS

int Plat_TlsAlloc() {
  pthread_key_t key;
  if (pthread_key_create(&key, nullptr) != 0) return -1;
  return static_cast<int>(key);
}

void Plat_TlsFree(int slot) { pthread_key_delete(static_cast<pthread_key_t>(slot)); }

bool Plat_TlsSet(int slot, void* value) {
  return pthread_setspecific(static_cast<pthread_key_t>(slot), value) == 0;
}

void* Plat_TlsGet(int slot) {
  int saved = errno;
  void* v = pthread_getspecific(static_cast<pthread_key_t>(slot));
  errno = saved;
  return v;
}

// ---------------------------------------------------------------- locks

PlatLock Plat_LockCreate(int /*spinCount*/) { return new (std::nothrow) std::recursive_mutex; }

void Plat_LockDestroy(PlatLock l) { delete static_cast<std::recursive_mutex*>(l); }

void Plat_LockEnter(PlatLock l) { static_cast<std::recursive_mutex*>(l)->lock(); }

bool Plat_LockTryEnter(PlatLock l) { return static_cast<std::recursive_mutex*>(l)->try_lock(); }

void Plat_LockLeave(PlatLock l) { static_cast<std::recursive_mutex*>(l)->unlock(); }

std::uint32_t Plat_LastError() { return static_cast<std::uint32_t>(errno); }

void Plat_SetLastError(std::uint32_t e) { errno = static_cast<int>(e); }

void Plat_ExitProcess(int code) { std::_Exit(code); }

// ---------------------------------------------------------------- heap
// The C heap, with a small header that remembers each block's size so that
// the size query and zero-filling reallocation work as on a Windows heap.

namespace {
struct alignas(16) BlockHeader {
  std::size_t size;
};
BlockHeader* HeaderOf(const void* block) {
  return const_cast<BlockHeader*>(static_cast<const BlockHeader*>(block) - 1);
}
}  // namespace

PlatHeap Plat_HeapCreate(std::size_t /*initialSize*/) {
  static int token;
  return &token;
}

void Plat_HeapDestroy(PlatHeap) {}

void* Plat_HeapAlloc(PlatHeap, std::size_t size, bool zero) {
  if (size > SIZE_MAX - sizeof(BlockHeader)) return nullptr;
  void* p = zero ? std::calloc(1, sizeof(BlockHeader) + size) : std::malloc(sizeof(BlockHeader) + size);
  if (!p) return nullptr;
  auto* h = static_cast<BlockHeader*>(p);
  h->size = size;
  return h + 1;
}

void* Plat_HeapRealloc(PlatHeap heap, void* block, std::size_t size, bool zero) {
  if (!block) return Plat_HeapAlloc(heap, size, zero);
  if (size > SIZE_MAX - sizeof(BlockHeader)) return nullptr;
  std::size_t old = HeaderOf(block)->size;
  void* p = std::realloc(HeaderOf(block), sizeof(BlockHeader) + size);
  if (!p) return nullptr;
  auto* h = static_cast<BlockHeader*>(p);
  h->size = size;
  if (zero && size > old) std::memset(reinterpret_cast<char*>(h + 1) + old, 0, size - old);
  return h + 1;
}

void Plat_HeapFree(PlatHeap, void* block) {
  if (block) std::free(HeaderOf(block));
}

std::size_t Plat_HeapSize(PlatHeap, const void* block) { return block ? HeaderOf(block)->size : 0; }

// ---------------------------------------------------------------- libraries

PlatLibrary Plat_LibLoad(const char* name) { return dlopen(name, RTLD_NOW | RTLD_LOCAL); }

void* Plat_LibSymbol(PlatLibrary lib, const char* name) { return dlsym(lib, name); }

void Plat_LibFree(PlatLibrary lib) {
  if (lib) dlclose(lib);
}

// ---------------------------------------------------------------- floating point

void Plat_SetupFloatingPoint() {
  const unsigned short control = 0x027F;
  __asm__ volatile("fninit\n\tfldcw %0" : : "m"(control));
  _mm_setcsr(0x1F80);
}
