// The per-thread record: the library's error state, the runtime error flags,
// the formatting settings and the message-loop fields of one thread. Every
// thread that uses the core has one; the runtime creates them.
#pragma once

#include <cstdint>

// A worker's start routine: one pointer-sized argument, the exit code back.
using ThreadRoutine = int (*)(void* arg);

struct ThreadContext {
  std::uint32_t threadId;      // system thread id; the process id for the main thread
  void* threadHandle;          // identity of the thread; see kProcessPseudoHandle
  std::uint32_t sequence;      // from the thread starter; 0 for the main thread
  std::uint32_t loopFlag;      // 1 while the message loop runs
  std::uint32_t localeWord;    // decimal point, group separator, date order
  void* accelWindow;
  void* accelTable;
  void* dialogWindow;
  std::uint32_t runtimeErrors; // kRtErr… bits, a system error code in the low 24 bits
  std::uint32_t waitingFlag;   // 1 while WaitUntilCleared runs
  std::uint32_t libError;      // last S7 library error of this thread
  std::int32_t libExtError;    // and its extended code
  ThreadRoutine startRoutine;
  void* startArg;
  void* startSync;             // private to the thread starter
};

inline constexpr std::uint32_t kRtErrOutOfMemory = 0x01000000;
inline constexpr std::uint32_t kRtErrFile = 0x02000000;
inline constexpr std::uint32_t kRtErrConversion = 0x04000000;

// Decimal point '.', group separator blank, date order year-month-day.
inline constexpr std::uint32_t kDefaultLocaleWord = 0x0000202E;

// The main thread's identity, as GetCurrentProcess() gives it on Windows.
inline void* ProcessPseudoHandle() { return reinterpret_cast<void*>(static_cast<std::intptr_t>(-1)); }

// The calling thread's record. A thread without one ends the process with
// exit code 5. The system's last-error value is left as it was.
ThreadContext* CurrentThreadContext();

// The calling thread's record, or null for a thread the runtime did not
// start (the system's own threads); nothing ends.
ThreadContext* ThreadContext_Find();

// Records a runtime error: once the low 24 bits hold a code, later errors
// only add their kind bits, so the first code is kept.
void SetRuntimeErrors(std::uint32_t value);

// Returns the flags word and clears it in one atomic step.
std::uint32_t TakeRuntimeErrors();

// For the runtime: the thread-local slot that leads to each record.
bool ThreadContext_CreateSlot();
void ThreadContext_FreeSlot();
bool ThreadContext_Bind(ThreadContext* record);
