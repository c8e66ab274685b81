// Win32 side of the time, thread, lock, memory and library seams.
#include "platform/platform.h"

#include <windows.h>
#include <new>
#include <xmmintrin.h>

std::uint32_t Plat_TickCount() { return GetTickCount(); }

void Plat_Sleep(std::uint32_t ms) { Sleep(ms); }

std::uint64_t Plat_UtcMicroseconds() {
  // The precise clock came with Windows 8; the program still starts on 7,
  // where the coarse one (some milliseconds) has to do.
  using ClockFn = VOID(WINAPI*)(LPFILETIME);
  static const ClockFn precise = reinterpret_cast<ClockFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetSystemTimePreciseAsFileTime")));
  // FILETIME counts 100 ns steps from 1601; 11644473600 s lie between 1601 and 1970.
  FILETIME ft;
  (precise ? precise : GetSystemTimeAsFileTime)(&ft);
  const std::uint64_t ticks = (static_cast<std::uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
  return ticks / 10u - 11644473600000000ull;
}

void Plat_LocalTime(PlatCalendar* out) {
  SYSTEMTIME st;
  GetLocalTime(&st);
  *out = PlatCalendar{st.wYear,   st.wMonth,  st.wDayOfWeek, st.wDay,
                      st.wHour,   st.wMinute, st.wSecond,    st.wMilliseconds};
}

// ---------------------------------------------------------------- threads

namespace {
struct StartBlock {
  PlatThreadProc proc;
  void* arg;
};

DWORD WINAPI ThreadMain(LPVOID p) {
  StartBlock start = *static_cast<StartBlock*>(p);
  delete static_cast<StartBlock*>(p);
  return start.proc(start.arg);
}
}  // namespace

PlatThread Plat_StartThread(PlatThreadProc proc, void* arg, std::size_t stackSize, bool suspended,
                            std::uint32_t* threadId) {
  auto* start = new (std::nothrow) StartBlock{proc, arg};
  if (!start) return nullptr;
  DWORD tid = 0;
  HANDLE h = CreateThread(nullptr, stackSize, ThreadMain, start, suspended ? CREATE_SUSPENDED : 0,
                          &tid);
  if (!h) {
    delete start;
    return nullptr;
  }
  if (threadId) *threadId = tid;
  return h;
}

void Plat_ResumeThread(PlatThread t) { ResumeThread(static_cast<HANDLE>(t)); }

int Plat_WaitThread(PlatThread t, int timeoutMs, int* exitCode) {
  DWORD rc = WaitForSingleObject(static_cast<HANDLE>(t), timeoutMs < 0 ? INFINITE : DWORD(timeoutMs));
  if (rc != WAIT_OBJECT_0) return 0;
  DWORD code = 0;
  GetExitCodeThread(static_cast<HANDLE>(t), &code);
  if (exitCode) *exitCode = static_cast<int>(code);
  return 1;
}

void Plat_CloseThread(PlatThread t) {
  if (t) CloseHandle(static_cast<HANDLE>(t));
}

std::uint32_t Plat_CurrentThreadId() { return GetCurrentThreadId(); }

std::uint32_t Plat_ProcessId() { return GetCurrentProcessId(); }

// ---------------------------------------------------------------- events

PlatEvent Plat_EventCreate() { return CreateEventW(nullptr, TRUE, FALSE, nullptr); }

void Plat_EventDestroy(PlatEvent e) {
  if (e) CloseHandle(static_cast<HANDLE>(e));
}

void Plat_EventSet(PlatEvent e) { SetEvent(static_cast<HANDLE>(e)); }

bool Plat_EventWait(PlatEvent e, int timeoutMs) {
  return WaitForSingleObject(static_cast<HANDLE>(e), timeoutMs < 0 ? INFINITE : DWORD(timeoutMs)) == WAIT_OBJECT_0;
}

// ---------------------------------------------------------------- TLS

int Plat_TlsAlloc() {
  DWORD slot = TlsAlloc();
  return slot == TLS_OUT_OF_INDEXES ? -1 : static_cast<int>(slot);
}

void Plat_TlsFree(int slot) { TlsFree(static_cast<DWORD>(slot)); }

bool Plat_TlsSet(int slot, void* value) { return TlsSetValue(static_cast<DWORD>(slot), value) != 0; }

void* Plat_TlsGet(int slot) {
  // TlsGetValue clears the last error on success.
  DWORD saved = GetLastError();
  void* v = TlsGetValue(static_cast<DWORD>(slot));
  SetLastError(saved);
  return v;
}

// ---------------------------------------------------------------- locks

PlatLock Plat_LockCreate(int spinCount) {
  auto* cs = new (std::nothrow) CRITICAL_SECTION;
  if (!cs) return nullptr;
  if (spinCount > 0) {
    if (!InitializeCriticalSectionAndSpinCount(cs, static_cast<DWORD>(spinCount))) {
      delete cs;
      return nullptr;
    }
  } else {
    InitializeCriticalSection(cs);
  }
  return cs;
}

void Plat_LockDestroy(PlatLock l) {
  if (!l) return;
  DeleteCriticalSection(static_cast<CRITICAL_SECTION*>(l));
  delete static_cast<CRITICAL_SECTION*>(l);
}

void Plat_LockEnter(PlatLock l) { EnterCriticalSection(static_cast<CRITICAL_SECTION*>(l)); }

bool Plat_LockTryEnter(PlatLock l) {
  return TryEnterCriticalSection(static_cast<CRITICAL_SECTION*>(l)) != 0;
}

void Plat_LockLeave(PlatLock l) { LeaveCriticalSection(static_cast<CRITICAL_SECTION*>(l)); }

std::uint32_t Plat_LastError() { return GetLastError(); }

void Plat_SetLastError(std::uint32_t e) { SetLastError(e); }

void Plat_ExitProcess(int code) { ExitProcess(static_cast<UINT>(code)); }

// ---------------------------------------------------------------- heap

PlatHeap Plat_HeapCreate(std::size_t initialSize) { return HeapCreate(0, initialSize, 0); }

void Plat_HeapDestroy(PlatHeap h) {
  if (h) HeapDestroy(static_cast<HANDLE>(h));
}

void* Plat_HeapAlloc(PlatHeap h, std::size_t size, bool zero) {
  return HeapAlloc(static_cast<HANDLE>(h), zero ? HEAP_ZERO_MEMORY : 0, size);
}

void* Plat_HeapRealloc(PlatHeap h, void* block, std::size_t size, bool zero) {
  if (!block) return Plat_HeapAlloc(h, size, zero);
  return HeapReAlloc(static_cast<HANDLE>(h), zero ? HEAP_ZERO_MEMORY : 0, block, size);
}

void Plat_HeapFree(PlatHeap h, void* block) {
  if (block) HeapFree(static_cast<HANDLE>(h), 0, block);
}

std::size_t Plat_HeapSize(PlatHeap h, const void* block) {
  if (!block) return 0;
  SIZE_T n = HeapSize(static_cast<HANDLE>(h), 0, block);
  return n == static_cast<SIZE_T>(-1) ? 0 : n;
}

// ---------------------------------------------------------------- libraries

PlatLibrary Plat_LibLoad(const char* name) { return LoadLibraryA(name); }

void* Plat_LibSymbol(PlatLibrary lib, const char* name) {
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(lib), name));
}

void Plat_LibFree(PlatLibrary lib) {
  if (lib) FreeLibrary(static_cast<HMODULE>(lib));
}

// ---------------------------------------------------------------- floating point

void Plat_SetupFloatingPoint() {
  const unsigned short control = 0x027F;
  __asm__ volatile("fninit\n\tfldcw %0" : : "m"(control));
  _mm_setcsr(0x1F80);
}
