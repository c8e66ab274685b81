// The runtime: heap, sections, thread starter, polling wait, teardown.
#include "runtime/runtime.h"

#include <atomic>
#include <cstring>
#include <new>

namespace {

PlatHeap g_heap = nullptr;
PlatLock g_sections[kRtSectionCount] = {};
std::uint32_t g_sequence = 0;
std::atomic<bool> g_initialised{false};
std::atomic<PlatWindow> g_mainWindow{nullptr};

constexpr int kMaxStatics = 16;
int (*g_initialisers[kMaxStatics])() = {};
void (*g_terminators[kMaxStatics])() = {};
int g_initialiserCount = 0;
int g_terminatorCount = 0;

// A thread that throws a C++ exception out of its routine ends with the code
// Windows uses for C++ exceptions.
constexpr int kExceptionExitCode = static_cast<int>(0xE06D7363u);

void PostToMainWindow(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
  if (PlatWindow w = g_mainWindow.load()) Plat_PostMessage(w, message, wParam, lParam);
}

// Shared by the starter and the new thread: the starter waits on it without
// touching the new thread's record, which the thread may already have freed.
struct StartSync {
  PlatEvent started = Plat_EventCreate();
  std::atomic<int> refs{2};
  ~StartSync() { Plat_EventDestroy(started); }
};

void ReleaseSync(StartSync* s) {
  if (s->refs.fetch_sub(1) == 1) delete s;
}

void Started(StartSync* s) {
  Plat_EventSet(s->started);
  ReleaseSync(s);
}

// The end of every worker: its record goes, and the main window hears of it.
void EndOfThread(ThreadContext* record, std::uint32_t sequence, int exitCode) {
  ThreadContext_Bind(nullptr);
  Rt_Free(record);
  PostToMainWindow(kWmThreadEnded, static_cast<std::uintptr_t>(exitCode), static_cast<std::intptr_t>(sequence));
}

unsigned ThreadEntry(void* parameter) {
  auto* record = static_cast<ThreadContext*>(parameter);
  auto* sync = static_cast<StartSync*>(record->startSync);
  record->startSync = nullptr;
  std::uint32_t sequence = record->sequence;
  int exitCode;
  if (!ThreadContext_Bind(record)) {
    exitCode = -static_cast<int>(Plat_LastError());
    Started(sync);
    EndOfThread(record, sequence, exitCode);
    return static_cast<unsigned>(exitCode);
  }
  Plat_SetupFloatingPoint();
  record->threadId = Plat_CurrentThreadId();
  Started(sync);
  try {
    exitCode = record->startRoutine(record->startArg);
  } catch (...) {
    exitCode = kExceptionExitCode;
  }
  EndOfThread(record, sequence, exitCode);
  return static_cast<unsigned>(exitCode);
}

}  // namespace

int Rt_Init() {
  if (g_initialised.load()) return 0;
  g_heap = Plat_HeapCreate(4096);
  if (!g_heap) return 1;
  for (PlatLock& section : g_sections) {
    section = Plat_LockCreate(4000);
    if (!section) return 5;
  }
  if (!ThreadContext_CreateSlot()) return 5;
  auto* main = static_cast<ThreadContext*>(Plat_HeapAlloc(g_heap, sizeof(ThreadContext), true));
  if (!main) return 5;
  main->threadId = Plat_ProcessId();
  main->threadHandle = ProcessPseudoHandle();
  main->localeWord = kDefaultLocaleWord;
  if (!ThreadContext_Bind(main)) {
    Plat_HeapFree(g_heap, main);
    return 5;
  }
  Plat_SetupFloatingPoint();
  g_initialised.store(true);
  for (int i = 0; i < g_initialiserCount; ++i)
    if (int rc = g_initialisers[i]()) return rc;
  return 0;
}

bool Rt_IsInitialised() { return g_initialised.load(); }

void Rt_AtInit(int (*initialiser)()) {
  if (initialiser && g_initialiserCount < kMaxStatics) g_initialisers[g_initialiserCount++] = initialiser;
}

void Rt_AtTeardown(void (*terminator)()) {
  if (terminator && g_terminatorCount < kMaxStatics) g_terminators[g_terminatorCount++] = terminator;
}

void Rt_SetMainWindow(PlatWindow window) { g_mainWindow.store(window); }

PlatWindow Rt_MainWindow() { return g_mainWindow.load(); }

// ---------------------------------------------------------------- heap

void* Rt_Alloc(unsigned flags, std::size_t size) {
  if (size == 0) {
    if (!(flags & kRtAllowEmpty)) return nullptr;
    size = 1;
  }
  void* block = g_heap ? Plat_HeapAlloc(g_heap, size, flags & kRtZero) : nullptr;
  if (!block) SetRuntimeErrors(kRtErrOutOfMemory);
  return block;
}

void* Rt_Realloc(void* block, unsigned flags, std::size_t size) {
  if (!block) return Rt_Alloc(flags, size);
  if (size == 0) {
    if (!(flags & kRtAllowEmpty)) {
      Rt_Free(block);
      return nullptr;
    }
    size = 1;
  }
  void* grown = Plat_HeapRealloc(g_heap, block, size, flags & kRtZero);
  if (!grown) SetRuntimeErrors(kRtErrOutOfMemory);
  return grown;
}

int Rt_ReallocInPlace(void** block, unsigned flags, std::size_t size) {
  if (!block) return 0;
  void* grown = Rt_Realloc(*block, flags, size);
  if (!grown && (size != 0 || (flags & kRtAllowEmpty))) return 0;
  *block = grown;
  return 1;
}

void Rt_Free(void* block) {
  if (block && g_heap) Plat_HeapFree(g_heap, block);
}

std::size_t Rt_BlockSize(const void* block) {
  return block && g_heap ? Plat_HeapSize(g_heap, block) : 0;
}

// ---------------------------------------------------------------- blocks and strings

void Rt_Zero(void* block, std::size_t size) {
  if (block) std::memset(block, 0, size);
}

void Rt_Copy(void* target, const void* source, std::size_t size) {
  if (target && source && size) std::memmove(target, source, size);
}

void Rt_Fill(void* block, std::size_t size, unsigned char value) {
  if (block) std::memset(block, value, size);
}

std::size_t Rt_StrLen(const char* text) { return text ? std::strlen(text) : 0; }

std::size_t Rt_StrCopyN(char* target, const char* source, std::size_t capacity) {
  if (!target || capacity == 0) return 0;
  std::size_t n = 0;
  if (source)
    while (n + 1 < capacity && source[n]) {
      target[n] = source[n];
      ++n;
    }
  target[n] = '\0';
  return n;
}

// ---------------------------------------------------------------- critical sections

void Rt_EnterSection(int number) {
  if (number >= 0 && number < kRtSectionCount && g_sections[number]) Plat_LockEnter(g_sections[number]);
}

int Rt_TryEnterSection(int number) {
  if (number < 0 || number >= kRtSectionCount || !g_sections[number]) return 0;
  return Plat_LockTryEnter(g_sections[number]) ? 1 : 0;
}

void Rt_LeaveSection(int number) {
  if (number >= 0 && number < kRtSectionCount && g_sections[number]) Plat_LockLeave(g_sections[number]);
}

// ---------------------------------------------------------------- threads

PlatThread StartThread(ThreadRoutine routine, void* argument, const ThreadStart& options) {
  Rt_EnterSection(kRtSectionSequence);
  std::uint32_t sequence = ++g_sequence;
  Rt_LeaveSection(kRtSectionSequence);
  if (options.sequence) *options.sequence = sequence;
  PostToMainWindow(kWmThreadStarting, 0, static_cast<std::intptr_t>(sequence));

  auto fail = [sequence](ThreadContext* record, StartSync* sync) -> PlatThread {
    Rt_Free(record);
    delete sync;
    PostToMainWindow(kWmThreadEnded, static_cast<std::uintptr_t>(-1), static_cast<std::intptr_t>(sequence));
    return nullptr;
  };
  if (!routine) return fail(nullptr, nullptr);
  auto* record = static_cast<ThreadContext*>(Rt_Alloc(kRtZero, sizeof(ThreadContext)));
  auto* sync = new (std::nothrow) StartSync;
  if (!record || !sync || !sync->started) return fail(record, sync);
  record->threadHandle = reinterpret_cast<void*>(static_cast<std::intptr_t>(-1));
  record->startArg = argument;
  record->sequence = sequence;
  record->startRoutine = routine;
  record->localeWord = kDefaultLocaleWord;
  record->startSync = sync;

  // Always created suspended so that the handle is in the record before the
  // thread can run, end and free it.
  PlatThread thread = Plat_StartThread(ThreadEntry, record, options.stackSize, true, options.threadId);
  if (!thread) return fail(record, sync);
  record->threadHandle = thread;
  if (!options.suspended) {
    Plat_ResumeThread(thread);
    Plat_EventWait(sync->started, 200);
  }
  ReleaseSync(sync);
  return thread;
}

PlatThread StartThread(ThreadRoutine routine, void* argument) { return StartThread(routine, argument, ThreadStart{}); }

void Rt_ResumeThread(PlatThread thread) {
  if (thread) Plat_ResumeThread(thread);
}

void Rt_CloseThread(PlatThread thread) { Plat_CloseThread(thread); }

bool Rt_EndWorkerFromFault(int exitCode) {
  ThreadContext* record = ThreadContext_Find();
  if (!record || record->sequence == 0) return false;  // the main thread, or none of ours
  // The fault may have struck inside the heap with its section held: the
  // record is left allocated (one per faulted thread) rather than freed here.
  const std::uint32_t sequence = record->sequence;
  ThreadContext_Bind(nullptr);
  PostToMainWindow(kWmThreadEnded, static_cast<std::uintptr_t>(exitCode), static_cast<std::intptr_t>(sequence));
  return true;
}

// ---------------------------------------------------------------- waiting and exit

void WaitUntilCleared(void* const* watched, std::uint32_t timeoutMs) {
  ThreadContext* tc = CurrentThreadContext();
  tc->waitingFlag = 1;
  std::uint32_t start = Plat_TickCount();
  for (;;) {
    if (watched && __atomic_load_n(watched, __ATOMIC_ACQUIRE) == nullptr) break;
    if (timeoutMs && Plat_TickCount() - start >= timeoutMs) break;
    // A millisecond between looks instead of a bare yield: the wait stays
    // as prompt without keeping a core busy.
    Plat_Sleep(1);
  }
  tc->waitingFlag = 0;
}

void Rt_FatalExit(int code) {
  Rt_EnterSection(kRtSectionTeardown);
  if (g_initialised.exchange(false))
    for (int i = g_terminatorCount - 1; i >= 0; --i) g_terminators[i]();
  Rt_LeaveSection(kRtSectionTeardown);
  // The heap, the sections and the records go with the process: freeing them
  // here would only race with threads that are still running until the
  // system stops them.
  ThreadContext_Bind(nullptr);
  Plat_ExitProcess(code);
}
