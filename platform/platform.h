// The seams between Tolvane's portable code and the operating system.
// Everything above this header is plain C++ that builds the same on Linux and
// Windows; below it there is one implementation per system (posix/, win32/).
// Error codes crossing this seam are always the Windows ones (WSA codes for
// sockets), so a refused connect reads 10061 on both builds.
#pragma once

#include "platform/messages.h"

#include <cstddef>
#include <cstdint>

// ---------------------------------------------------------------- sockets

using PlatSocket = std::intptr_t;
inline constexpr PlatSocket kNoSocket = -1;

// Windows Sockets error codes that portable code names.
inline constexpr int kWsaEIntr = 10004;
inline constexpr int kWsaEWouldBlock = 10035;
inline constexpr int kWsaEAddrInUse = 10048;
inline constexpr int kWsaEConnReset = 10054;
inline constexpr int kWsaETimedOut = 10060;
inline constexpr int kWsaEConnRefused = 10061;

enum class PlatConnect { Connected, TimedOut, Failed };

// Start and stop the socket library (WSAStartup 2.2 / WSACleanup). On POSIX
// there is nothing to start; the pair still balances.
int Plat_SockStartup(int* wsaError);
void Plat_SockCleanup();

// The WSA code of the calling thread's last socket failure.
int Plat_SockError();

PlatSocket Plat_SockTcp();
void Plat_SockClose(PlatSocket s);      // shutdown both ways, then close
int Plat_SockSetTimeouts(PlatSocket s, int recvMs, int sendMs);
int Plat_SockNoDelay(PlatSocket s);

// Connects to ipv4 (network byte order) and port (host order) within
// timeoutMs; the socket is blocking again afterwards in every case.
PlatConnect Plat_SockConnect(PlatSocket s, std::uint32_t ipv4, std::uint16_t port,
                             int timeoutMs, int* wsaError);

// send/recv: bytes moved, or -1 (Plat_SockError tells why). recv gives 0 when
// the peer has closed the connection.
int Plat_SockSend(PlatSocket s, const void* data, int len);
int Plat_SockRecv(PlatSocket s, void* data, int len);

// 1 readable (data or end of stream), 0 timed out, -1 failed. Blocks without
// using the processor.
int Plat_SockWaitReadable(PlatSocket s, int timeoutMs);

// Bytes that a recv would return at once (FIONREAD); -1 on failure.
int Plat_SockAvailable(PlatSocket s, std::uint32_t* count);

// The address, netmask and broadcast address of the interface that carries
// this computer's own name, all in network byte order. 0 found, -1 not.
int Plat_LocalAddress(std::uint32_t* addr, std::uint32_t* netmask, std::uint32_t* broadcast);

// Server side, for the test peers in tools/.
PlatSocket Plat_SockListen(std::uint32_t ipv4, std::uint16_t port, int* wsaError);
PlatSocket Plat_SockAccept(PlatSocket listener);
// The local port a socket is bound to (host order), 0 if unknown.
std::uint16_t Plat_SockLocalPort(PlatSocket s);
// The local address (network byte order) and port (host order) of a
// connected socket; -1 when the system does not say.
int Plat_SockLocalEndpoint(PlatSocket s, std::uint32_t* ipv4, std::uint16_t* port);

// ---------------------------------------------------------------- time

// Milliseconds since some fixed point; wraps after 49 days like GetTickCount.
std::uint32_t Plat_TickCount();
void Plat_Sleep(std::uint32_t ms);     // 0 yields the processor

struct PlatCalendar {                  // field order of SYSTEMTIME
  std::uint16_t year, month, weekday, day, hour, minute, second, milliseconds;
};
void Plat_LocalTime(PlatCalendar* out);
// Microseconds since 1970-01-01 00:00 UTC, as capture files stamp frames.
std::uint64_t Plat_UtcMicroseconds();

// ---------------------------------------------------------------- threads

using PlatThread = void*;              // owned by whoever started the thread
using PlatThreadProc = unsigned (*)(void* arg);

// Starts proc(arg) on a new thread, suspended when asked. The handle stays
// valid until Plat_CloseThread, also after the thread has ended.
PlatThread Plat_StartThread(PlatThreadProc proc, void* arg, std::size_t stackSize,
                            bool suspended, std::uint32_t* threadId);
void Plat_ResumeThread(PlatThread t);
// 1 ended (exit code stored), 0 still running after timeoutMs (-1 = forever).
int Plat_WaitThread(PlatThread t, int timeoutMs, int* exitCode);
void Plat_CloseThread(PlatThread t);
std::uint32_t Plat_CurrentThreadId();
std::uint32_t Plat_ProcessId();

// Manual-reset events: one thread waits (blocking, without using the
// processor) until another sets it. Null when none can be made.
using PlatEvent = void*;
PlatEvent Plat_EventCreate();
void Plat_EventDestroy(PlatEvent e);
void Plat_EventSet(PlatEvent e);
// true when set, false when timeoutMs (-1 = forever) passed first.
bool Plat_EventWait(PlatEvent e, int timeoutMs);

// Thread-local slots. Plat_TlsGet leaves the system's last-error value as it
// found it, so callers can ask for their context between a failing call and
// the question why it failed.
int Plat_TlsAlloc();                   // -1 when none is left
void Plat_TlsFree(int slot);
bool Plat_TlsSet(int slot, void* value);
void* Plat_TlsGet(int slot);

// Recursive locks (critical sections).
using PlatLock = void*;
PlatLock Plat_LockCreate(int spinCount);
void Plat_LockDestroy(PlatLock l);
void Plat_LockEnter(PlatLock l);
bool Plat_LockTryEnter(PlatLock l);
void Plat_LockLeave(PlatLock l);

// The system's per-thread last error (GetLastError / errno).
std::uint32_t Plat_LastError();
void Plat_SetLastError(std::uint32_t e);

[[noreturn]] void Plat_ExitProcess(int code);

// ---------------------------------------------------------------- windows
// A window is where other threads post messages for the thread that owns it.
// On Windows it is an HWND; on POSIX it is a message queue that its owner
// drains, so the same code posts and receives on both.

using PlatWindow = void*;

struct PlatMessage {
  unsigned message;
  std::uintptr_t wParam;
  std::intptr_t lParam;
};

// A window of the calling thread that only receives posted messages.
PlatWindow Plat_CreateMessageWindow();
void Plat_DestroyMessageWindow(PlatWindow w);
bool Plat_PostMessage(PlatWindow w, unsigned message, std::uintptr_t wParam, std::intptr_t lParam);
// Takes the next message posted to w, waiting up to timeoutMs (-1 = forever).
// Call on the owning thread. Returns false when none came in time.
bool Plat_TakeMessage(PlatWindow w, PlatMessage* out, int timeoutMs);

// ---------------------------------------------------------------- memory

using PlatHeap = void*;
PlatHeap Plat_HeapCreate(std::size_t initialSize);
void Plat_HeapDestroy(PlatHeap h);
void* Plat_HeapAlloc(PlatHeap h, std::size_t size, bool zero);
// Grows or shrinks a block; with zero set, added bytes are zero. Null on
// failure, the old block then stays valid.
void* Plat_HeapRealloc(PlatHeap h, void* block, std::size_t size, bool zero);
void Plat_HeapFree(PlatHeap h, void* block);
std::size_t Plat_HeapSize(PlatHeap h, const void* block);

// ---------------------------------------------------------------- libraries

using PlatLibrary = void*;
PlatLibrary Plat_LibLoad(const char* name);
void* Plat_LibSymbol(PlatLibrary lib, const char* name);
void Plat_LibFree(PlatLibrary lib);

// ---------------------------------------------------------------- console

// Standard output takes bytes as they are: no newline translation, and a
// Windows console shows UTF-8.
void Plat_PrepareConsole();

// The program's arguments as UTF-8, whatever the system's code page. Returns
// how many were stored (at most maxCount); each is a copy on the C heap that
// the caller releases with free().
int Plat_Arguments(int argc, char** argv, char** out, int maxCount);

// Ctrl+C calls the handler (on some thread of the system's choosing) instead
// of ending the process.
void Plat_OnInterrupt(void (*handler)());

// ---------------------------------------------------------------- files
// Paths are code page 1250 texts like every other text of the program; the
// Windows side opens the UTF-16 form of that text, so a Hungarian file name
// opens the same file whatever the system's ANSI code page. Every call
// answers with a Windows error code (0 = success): POSIX errno values are
// mapped to them, so a missing file reads 2 on both builds.

using PlatFile = std::intptr_t;
inline constexpr PlatFile kNoFile = -1;

// Windows error codes that portable code names.
inline constexpr std::uint32_t kWinErrFileNotFound = 2;
inline constexpr std::uint32_t kWinErrPathNotFound = 3;
inline constexpr std::uint32_t kWinErrAccessDenied = 5;
inline constexpr std::uint32_t kWinErrInvalidHandle = 6;
inline constexpr std::uint32_t kWinErrNotEnoughMemory = 8;
inline constexpr std::uint32_t kWinErrWriteFault = 29;
inline constexpr std::uint32_t kWinErrReadFault = 30;
inline constexpr std::uint32_t kWinErrGenFailure = 31;
inline constexpr std::uint32_t kWinErrSharingViolation = 32;
inline constexpr std::uint32_t kWinErrInvalidParameter = 87;
inline constexpr std::uint32_t kWinErrDiskFull = 112;
inline constexpr std::uint32_t kWinErrNegativeSeek = 131;

enum class PlatFileAccess { Read, ReadWrite };
enum class PlatFileCreate { OpenExisting, OpenAlways, CreateAlways };

// What other openers may do while the file is open. Only Windows enforces
// it; POSIX has no mandatory sharing and opens regardless.
inline constexpr unsigned kPlatShareRead = 1;
inline constexpr unsigned kPlatShareWrite = 2;

// New files get the archive attribute (Windows). kNoFile on failure.
PlatFile Plat_FileOpen(const char* path, PlatFileAccess access, PlatFileCreate create,
                       unsigned share, std::uint32_t* error);
// Move up to count bytes, looping over partial transfers; *done holds what
// moved even when an error ends the loop. Reading stops early only at the end
// of the file (error 0, fewer bytes).
std::uint32_t Plat_FileRead(PlatFile f, void* buffer, std::size_t count, std::size_t* done);
std::uint32_t Plat_FileWrite(PlatFile f, const void* buffer, std::size_t count, std::size_t* done);
// origin 0 start, 1 current position, 2 end; the new position in *position.
std::uint32_t Plat_FileSeek(PlatFile f, std::int64_t offset, int origin, std::uint64_t* position);
std::uint32_t Plat_FileSize(PlatFile f, std::uint64_t* size);
// Cuts the file at size (the position is left there too).
std::uint32_t Plat_FileTruncate(PlatFile f, std::uint64_t size);
// True when the open file has lost its last name (deleted, or its folder
// removed): writes may still succeed, but nobody will find what they wrote.
bool Plat_FileRemoved(PlatFile f);
std::uint32_t Plat_FileClose(PlatFile f);

// ---------------------------------------------------------------- floating point

// Resets the FPU: all exceptions masked, 53-bit precision, round to nearest,
// and the SSE control word to its default.
void Plat_SetupFloatingPoint();
