// The small file layer under the INI texts: a file record that keeps the
// first error it met (a Windows code on both builds), and loading a whole
// file as one zero-terminated heap text, which is how variable table files
// are read.
#include <cstring>

#include "res/strings.h"
#include "runtime/runtime.h"
#include "vars/files.h"

namespace {

void Fail(FileHandle* file, std::uint32_t code) {
  if (file && !file->error) file->error = code;
  SetRuntimeErrors(kRtErrFile | (code & 0x00FFFFFFu));
}

bool Usable(FileHandle* file) {
  if (file && file->system != kNoFile) return true;
  Fail(file, kFileErrNotOpen);
  return false;
}

struct ModeRow {
  PlatFileAccess access;
  PlatFileCreate create;
  unsigned shared;  // sharing with kFileShared; none without
};

constexpr ModeRow kModes[3] = {
    {PlatFileAccess::Read, PlatFileCreate::OpenExisting, kPlatShareRead | kPlatShareWrite},
    {PlatFileAccess::ReadWrite, PlatFileCreate::OpenAlways, kPlatShareRead},
    {PlatFileAccess::ReadWrite, PlatFileCreate::CreateAlways, kPlatShareRead},
};

}  // namespace

FileHandle* File_Open(const char* path, unsigned mode) {
  auto* file = static_cast<FileHandle*>(Rt_Alloc(kRtZero, sizeof(FileHandle)));
  if (!file) return nullptr;
  file->system = kNoFile;
  if (path) {
    std::size_t n = std::strlen(path);
    file->path = static_cast<char*>(Rt_Alloc(0, n + 1));
    if (file->path) std::memcpy(file->path, path, n + 1);
  }
  if ((mode & 3) == 3) {
    Fail(file, kWinErrInvalidParameter);
    return file;
  }
  const ModeRow& row = kModes[mode & 3];
  std::uint32_t error = 0;
  PlatFile f = Plat_FileOpen(path, row.access, row.create, (mode & kFileShared) ? row.shared : 0, &error);
  if (f == kNoFile) {
    Fail(file, error ? error : kWinErrGenFailure);
    return file;
  }
  file->system = f;
  if (std::uint32_t rc = Plat_FileSize(f, &file->size)) Fail(file, rc);
  return file;
}

std::uint32_t File_Close(FileHandle* file) {
  if (!file) {
    Fail(nullptr, kFileErrNotOpen);
    return kFileErrNotOpen;
  }
  std::uint32_t rc = 0;
  if (file->system != kNoFile) {
    rc = Plat_FileClose(file->system);
    if (rc) Fail(file, rc);
  }
  rc = file->error ? file->error : rc;
  Rt_Free(file->path);
  Rt_Free(file);
  return rc;
}

std::size_t File_Read(FileHandle* file, void* buffer, std::size_t count) {
  if (!Usable(file) || count == 0) return 0;
  if (!buffer) {
    Fail(file, kWinErrInvalidParameter);
    return 0;
  }
  std::size_t done = 0;
  std::uint32_t rc = Plat_FileRead(file->system, buffer, count, &done);
  file->position += done;
  if (rc)
    Fail(file, rc);
  else if (done < count)
    Fail(file, kFileErrShortRead);
  return done;
}

std::size_t File_Write(FileHandle* file, const void* buffer, std::size_t count) {
  if (!Usable(file) || count == 0) return 0;
  if (!buffer) {
    Fail(file, kWinErrInvalidParameter);
    return 0;
  }
  std::size_t done = 0;
  std::uint32_t rc = Plat_FileWrite(file->system, buffer, count, &done);
  file->position += done;
  if (file->position > file->size) file->size = file->position;
  if (rc)
    Fail(file, rc);
  else if (done < count)
    Fail(file, kFileErrShortWrite);
  return done;
}

std::int64_t File_Seek(FileHandle* file, std::int64_t offset, int origin) {
  if (!Usable(file)) return -1;
  std::uint64_t position = 0;
  if (std::uint32_t rc = Plat_FileSeek(file->system, offset, origin, &position)) {
    Fail(file, rc);
    return -1;
  }
  file->position = position;
  return static_cast<std::int64_t>(position);
}

std::uint64_t File_Size(FileHandle* file) { return Usable(file) ? file->size : 0; }

char* File_LoadText(const char* path, unsigned flags, std::size_t maximum, std::size_t* length) {
  if (length) *length = 0;
  if (maximum > kLoadTextCap) maximum = kLoadTextCap;
  FileHandle* file = File_Open(path, kFileOpenRead | kFileShared);
  const bool open = file && file->system != kNoFile;
  // The buffer follows the file, not the maximum: a table of a few hundred
  // kilobytes must not cost a 100 MB allocation.
  std::size_t want = 0;
  if (open) want = file->size < maximum ? static_cast<std::size_t>(file->size) : maximum;
  // Room for a CR LF, the zero and the spare bytes, so that shrinking later
  // can never be too small even when the shrink fails.
  const std::size_t spare = 1024;
  char* text = static_cast<char*>(Rt_Alloc(0, want + 3 + spare));
  if (!text) {
    if (file) File_Close(file);
    return nullptr;
  }
  std::size_t n = 0;
  if (open && want > 0) {
    n = File_Read(file, text, want);
    // A file that could not be read whole reads as empty: half a table would
    // be taken for all of it.
    if (n != want) n = 0;
  }
  if (file) File_Close(file);

  if ((flags & kLoadEnsureLineEnd) && n > 0 && !(n >= 2 && text[n - 2] == '\r' && text[n - 1] == '\n')) {
    if (text[n - 1] != '\r') text[n++] = '\r';
    text[n++] = '\n';
  }
  if (n == 0 && !(flags & kLoadSpare)) {
    Rt_Free(text);
    return nullptr;
  }
  const std::size_t size = n + 1 + ((flags & kLoadSpare) ? spare : 0);
  if (char* fitted = static_cast<char*>(Rt_Realloc(text, 0, size))) text = fitted;
  text[n] = 0;
  if (length) *length = n;
  return text;
}
