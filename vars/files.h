// A small file layer over the platform seam, and the loading of a whole file
// as text. A record serves one thread at a time and is the caller's until
// File_Close; a loaded text is the caller's to Rt_Free.
#pragma once

#include <cstddef>
#include <cstdint>

// ---------------------------------------------------------------- files
// A small file layer over the platform seam. Error codes are Windows codes on
// both builds; the first one met stays in the record, and every error is also
// raised in the calling thread's runtime error flags as kRtErrFile | code.

// File_Open modes: bits 0-1 the access, bit 2 the sharing.
inline constexpr unsigned kFileOpenRead = 0;      // read; must exist; shared read+write with kFileShared
inline constexpr unsigned kFileOpenModify = 1;    // read+write; created if missing; shared read
inline constexpr unsigned kFileOpenCreate = 2;    // read+write; truncated or created; shared read
inline constexpr unsigned kFileShared = 4;

inline constexpr std::uint32_t kFileErrNotOpen = 6;     // an operation on a file that failed to open
inline constexpr std::uint32_t kFileErrShortWrite = 29;
inline constexpr std::uint32_t kFileErrShortRead = 30;

struct FileHandle {
  std::intptr_t system;         // PlatFile; −1 when the open failed
  std::uint32_t error;          // the first error met, 0 if none
  std::uint64_t size;           // raised when a write goes past it
  std::uint64_t position;       // advanced by reads and writes
  char* path;                   // a copy
};

// Always a record (null only without memory), also when the open failed: the
// record then holds the error and the other calls answer with code 6. The
// record is the caller's until File_Close, which every record needs.
FileHandle* File_Open(const char* path, unsigned mode);
// Closes and releases the record; returns its first error, else the close error.
std::uint32_t File_Close(FileHandle* file);
// Bytes transferred; fewer than asked is an error (30 reading, 29 writing).
std::size_t File_Read(FileHandle* file, void* buffer, std::size_t count);
std::size_t File_Write(FileHandle* file, const void* buffer, std::size_t count);
// origin 0 start, 1 current, 2 end; the new position, or −1.
std::int64_t File_Seek(FileHandle* file, std::int64_t offset, int origin);
std::uint64_t File_Size(FileHandle* file);

inline constexpr unsigned kLoadEnsureLineEnd = 0x01; // a last line gets its CR LF
inline constexpr unsigned kLoadSpare = 0x10;         // 1024 spare bytes; an empty text still gives a buffer
inline constexpr std::size_t kLoadTextCap = 100000000;

// Reads the whole file, up to maximum bytes (at most kLoadTextCap), into a
// zero-terminated runtime heap text (Rt_Free it). A file that cannot be opened or read reads as
// empty: no buffer without kLoadSpare. The length goes to *length if asked.
char* File_LoadText(const char* path, unsigned flags, std::size_t maximum, std::size_t* length);
