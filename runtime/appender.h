// An append-only file written by a thread of its own: the wire trace and the
// value log queue whole records and go on at once, so a slow disk delays the
// file, never a PLC exchange or the read schedule.
//
// Records reach the file whole and in order. A write that the disk cuts short
// is taken back to the last whole record, so the file never ends in half a
// record. The first failure (a full disk, the file removed, more queued than
// the queue holds) ends the writing for good; what was written before it
// stays in the file.
//
// Threads: the owner opens and closes; any thread may append (a lock guards
// the queue, held only for a copy). The writer thread is the appender's own.
// Ownership: Appender_Open returns a record that Appender_Close frees.
#pragma once

#include <cstddef>
#include <cstdint>

struct Appender;

// The queue was full: the disk could not keep up with what was appended.
// (Bit 29 set: an application's own code, never one of the system's.)
inline constexpr std::uint32_t kAppendBacklog = 0x20000001;

struct AppenderOptions {
  std::size_t capacity = 1u << 20;  // bytes the queue holds (the writer's batch as much again)
  // 0: the writer wakes for every record, which reaches the system at once.
  // Otherwise it wakes at least this often, or when the queue is half full:
  // one write for many records, for callers that append at a high rate.
  int wakeAfterMs = 0;
};

// Creates (or empties) the file at path and starts the writer. Null with a
// Windows error code in *error when the file cannot be made or no thread or
// memory can be had.
Appender* Appender_Open(const char* path, const AppenderOptions& options, std::uint32_t* error);

// Queues one whole record (copied). false when the appender has failed: the
// record is not queued, Appender_Failure tells why.
bool Appender_Append(Appender* appender, const void* record, std::size_t length);

// 0 while writing works; else the Windows error code (or kAppendBacklog) of
// the failure that ended it.
std::uint32_t Appender_Failure(Appender* appender);

// Bytes of whole records in the file so far.
std::uint64_t Appender_Written(Appender* appender);

// Writes what is queued, ends the writer, closes the file and frees the
// record. Returns the failure that ended the writing, 0 if none.
std::uint32_t Appender_Close(Appender* appender);
