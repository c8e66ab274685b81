// POSIX side of the file seam. Callers keep Windows error codes, so errno is
// mapped to the code the same failure gives on Windows; where POSIX says less
// than Windows (a missing file or a missing directory are both ENOENT, a
// directory opens like a file) the difference is worked out here.
#include "platform/platform.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "res/codepage.h"

namespace {

struct ErrnoWin {
  int err;
  std::uint32_t win;
};

constexpr ErrnoWin kErrnoToWin[] = {
    {ENOENT, kWinErrFileNotFound},   {ENOTDIR, kWinErrPathNotFound}, {EMFILE, 4},
    {ENFILE, 4},                     {EACCES, kWinErrAccessDenied},  {EPERM, kWinErrAccessDenied},
    {EROFS, kWinErrAccessDenied},    {EISDIR, kWinErrAccessDenied},  {EBADF, kWinErrInvalidHandle},
    {ENOMEM, 8},                     {EEXIST, 80},                   {EINVAL, kWinErrInvalidParameter},
    {EBUSY, kWinErrSharingViolation}, {ETXTBSY, kWinErrSharingViolation},
    {ENOSPC, 112},                   {EDQUOT, 112},                  {ENAMETOOLONG, 206},
    {EFBIG, 223},                    {EFAULT, 998},                  {EIO, 1117},
    {ELOOP, 1921},
};

std::uint32_t ToWin(int err) {
  for (const ErrnoWin& e : kErrnoToWin)
    if (e.err == err) return e.win;
  return kWinErrGenFailure;
}

// Windows tells a missing file (2) from a missing directory on the way to it
// (3); ENOENT covers both.
std::uint32_t MissingFileCode(const char* path) {
  if (!*path) return kWinErrPathNotFound;
  const char* slash = std::strrchr(path, '/');
  if (!slash) return kWinErrFileNotFound;
  char parent[PATH_MAX];
  std::size_t n = static_cast<std::size_t>(slash - path);
  if (n == 0) return kWinErrFileNotFound;  // in the root directory
  if (n >= sizeof parent) return kWinErrFileNotFound;
  std::memcpy(parent, path, n);
  parent[n] = 0;
  struct stat st;
  return stat(parent, &st) == 0 && S_ISDIR(st.st_mode) ? kWinErrFileNotFound : kWinErrPathNotFound;
}

constexpr std::size_t kChunk = 1u << 30;

}  // namespace

PlatFile Plat_FileOpen(const char* path, PlatFileAccess access, PlatFileCreate create,
                       unsigned /*share*/, std::uint32_t* error) {
  std::uint32_t dummy;
  if (!error) error = &dummy;
  if (!path) {
    *error = kWinErrPathNotFound;
    return kNoFile;
  }
  // The program's paths are code page 1250 texts; Linux file names are UTF-8.
  const std::string name = Utf8FromCp1250(path, std::strlen(path));
  path = name.c_str();
  int flags = O_CLOEXEC | (access == PlatFileAccess::Read ? O_RDONLY : O_RDWR);
  if (create == PlatFileCreate::OpenAlways) flags |= O_CREAT;
  if (create == PlatFileCreate::CreateAlways) flags |= O_CREAT | O_TRUNC;
  int fd;
  do fd = open(path, flags, 0666);
  while (fd < 0 && errno == EINTR);
  if (fd < 0) {
    *error = errno == ENOENT ? MissingFileCode(path) : ToWin(errno);
    return kNoFile;
  }
  // Windows refuses to open a directory as a file; POSIX lets a reader in.
  struct stat st;
  if (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
    close(fd);
    *error = kWinErrAccessDenied;
    return kNoFile;
  }
  *error = 0;
  return fd;
}

std::uint32_t Plat_FileRead(PlatFile f, void* buffer, std::size_t count, std::size_t* done) {
  std::size_t moved = 0;
  std::uint32_t rc = 0;
  auto* p = static_cast<char*>(buffer);
  while (moved < count) {
    std::size_t ask = count - moved < kChunk ? count - moved : kChunk;
    ssize_t r = read(static_cast<int>(f), p + moved, ask);
    if (r < 0 && errno == EINTR) continue;
    if (r < 0) {
      rc = ToWin(errno);
      break;
    }
    if (r == 0) break;  // end of file
    moved += static_cast<std::size_t>(r);
  }
  if (done) *done = moved;
  return rc;
}

std::uint32_t Plat_FileWrite(PlatFile f, const void* buffer, std::size_t count, std::size_t* done) {
  std::size_t moved = 0;
  std::uint32_t rc = 0;
  const auto* p = static_cast<const char*>(buffer);
  while (moved < count) {
    std::size_t ask = count - moved < kChunk ? count - moved : kChunk;
    ssize_t r = write(static_cast<int>(f), p + moved, ask);
    if (r < 0 && errno == EINTR) continue;
    if (r < 0) {
      // Writing through a descriptor opened for reading: Windows calls that
      // access denied.
      rc = errno == EBADF ? kWinErrAccessDenied : ToWin(errno);
      break;
    }
    if (r == 0) break;
    moved += static_cast<std::size_t>(r);
  }
  if (done) *done = moved;
  return rc;
}

std::uint32_t Plat_FileSeek(PlatFile f, std::int64_t offset, int origin, std::uint64_t* position) {
  static constexpr int kWhence[] = {SEEK_SET, SEEK_CUR, SEEK_END};
  if (origin < 0 || origin > 2) return kWinErrInvalidParameter;
  off_t r = lseek(static_cast<int>(f), static_cast<off_t>(offset), kWhence[origin]);
  if (r < 0) return errno == EINVAL ? kWinErrNegativeSeek : ToWin(errno);
  if (position) *position = static_cast<std::uint64_t>(r);
  return 0;
}

std::uint32_t Plat_FileSize(PlatFile f, std::uint64_t* size) {
  struct stat st;
  if (fstat(static_cast<int>(f), &st) != 0) return ToWin(errno);
  if (size) *size = static_cast<std::uint64_t>(st.st_size);
  return 0;
}

std::uint32_t Plat_FileTruncate(PlatFile f, std::uint64_t size) {
  int r;
  do r = ftruncate(static_cast<int>(f), static_cast<off_t>(size));
  while (r != 0 && errno == EINTR);
  if (r != 0) return ToWin(errno);
  return lseek(static_cast<int>(f), static_cast<off_t>(size), SEEK_SET) < 0 ? ToWin(errno) : 0;
}

bool Plat_FileRemoved(PlatFile f) {
  struct stat st;
  return fstat(static_cast<int>(f), &st) == 0 && st.st_nlink == 0;
}

std::uint32_t Plat_FileClose(PlatFile f) {
  if (f == kNoFile) return kWinErrInvalidHandle;
  // The descriptor is gone even when close reports an error; never retry.
  return close(static_cast<int>(f)) == 0 || errno == EINTR ? 0 : ToWin(errno);
}
