// Tolvane's small runtime: one private heap for every allocation, block and
// string utilities, 20 numbered critical sections, a thread starter that gives
// every thread its ThreadContext, a polling wait and the one exit path.
#pragma once

#include <cstddef>
#include <cstdint>

#include "runtime/threadctx.h"
#include "platform/platform.h"

// Rt_Alloc / Rt_Realloc flags.
inline constexpr unsigned kRtZero = 1;       // zero-filled
inline constexpr unsigned kRtAllowEmpty = 2; // size 0 gives a 1-byte block instead of null

inline constexpr int kRtSectionCount = 20;
inline constexpr int kRtSectionTeardown = 0;
inline constexpr int kRtSectionSequence = 4;

// Brings the runtime up; run once, before anything allocates. 0 = ready;
// 1 the heap could not be made; 5 a section, the TLS slot or the main
// thread's record could not be set up; else an initialiser's result.
int Rt_Init();
bool Rt_IsInitialised();

// Static initialisers and terminators: registered before Rt_Init, run by
// Rt_Init and by the teardown in Rt_FatalExit (terminators in reverse order).
void Rt_AtInit(int (*initialiser)());
void Rt_AtTeardown(void (*terminator)());

// Main window that receives the thread start and end messages (none = null).
void Rt_SetMainWindow(PlatWindow window);
PlatWindow Rt_MainWindow();

void* Rt_Alloc(unsigned flags, std::size_t size);
void* Rt_Realloc(void* block, unsigned flags, std::size_t size);
int Rt_ReallocInPlace(void** block, unsigned flags, std::size_t size);
void Rt_Free(void* block);
std::size_t Rt_BlockSize(const void* block);

void Rt_Zero(void* block, std::size_t size);
void Rt_Copy(void* target, const void* source, std::size_t size);
void Rt_Fill(void* block, std::size_t size, unsigned char value);
std::size_t Rt_StrLen(const char* text);
std::size_t Rt_StrCopyN(char* target, const char* source, std::size_t capacity);

void Rt_EnterSection(int number);
int Rt_TryEnterSection(int number);
void Rt_LeaveSection(int number);

// How a thread starts, and what the caller learns of it.
struct ThreadStart {
  std::size_t stackSize = 0;           // 0: the system's default
  bool suspended = false;              // it waits for Rt_ResumeThread
  std::uint32_t* threadId = nullptr;   // the system's thread id, when given
  std::uint32_t* sequence = nullptr;   // the sequence number its start and end messages carry
};

// Starts routine(argument) with a ThreadContext of its own. Returns the
// thread's handle (close it with Rt_CloseThread) or null. Unless started
// suspended, returns once the thread runs (at most 200 ms later). The
// sequence number is known before the thread can run, so its end message
// can be told from any other thread's.
PlatThread StartThread(ThreadRoutine routine, void* argument, const ThreadStart& options);
PlatThread StartThread(ThreadRoutine routine, void* argument);
void Rt_ResumeThread(PlatThread thread);
// For the system's fault handling on a worker thread that is about to be
// ended with exitCode: releases its record and posts the end message, as a
// routine's return would. false (nothing done) on the main thread or a
// thread the runtime did not start.
bool Rt_EndWorkerFromFault(int exitCode);
void Rt_CloseThread(PlatThread thread);

// Polls until *watched is null or timeoutMs (0 = none) has passed.
void WaitUntilCleared(void* const* watched, std::uint32_t timeoutMs);

// Tears the runtime down and ends the process with code. (Prefixed: the
// Windows API has a FatalExit of its own.)
[[noreturn]] void Rt_FatalExit(int code);
