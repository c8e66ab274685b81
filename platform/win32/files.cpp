// Win32 side of the file seam: CreateFileW on the UTF-16 form of the code
// page 1250 path, so that the program's Hungarian texts name the same file
// on any system locale; errors are GetLastError's codes as they come.
#include "platform/platform.h"

#include <windows.h>
#include <new>

#include "res/codepage.h"

namespace {

constexpr DWORD kChunk = 1u << 30;

// The path through the program's own converter, the one the window code
// uses: the system's tables for code page 1250 (missing on some systems,
// or mapping its five undefined bytes otherwise) must not name another file
// than the one the user chose. Converts into small when the path fits,
// otherwise into a heap block that the caller releases with delete[].
wchar_t* WidePath(const char* path, wchar_t* small, std::size_t smallCount, std::uint32_t* error) {
  const std::u16string utf16 = Utf16FromCp1250(path);
  const std::size_t n = utf16.size() + 1;
  wchar_t* wide = n <= smallCount ? small : new (std::nothrow) wchar_t[n];
  if (!wide) {
    *error = ERROR_NOT_ENOUGH_MEMORY;
    return nullptr;
  }
  for (std::size_t i = 0; i < utf16.size(); ++i) wide[i] = static_cast<wchar_t>(utf16[i]);
  wide[n - 1] = L'\0';
  return wide;
}

}  // namespace

PlatFile Plat_FileOpen(const char* path, PlatFileAccess access, PlatFileCreate create,
                       unsigned share, std::uint32_t* error) {
  std::uint32_t dummy;
  if (!error) error = &dummy;
  if (!path) {
    *error = ERROR_PATH_NOT_FOUND;
    return kNoFile;
  }
  wchar_t small[MAX_PATH + 1];
  wchar_t* wide = WidePath(path, small, MAX_PATH + 1, error);
  if (!wide) return kNoFile;
  DWORD desired = access == PlatFileAccess::Read ? GENERIC_READ : GENERIC_READ | GENERIC_WRITE;
  DWORD shareMode = ((share & kPlatShareRead) ? FILE_SHARE_READ : 0) |
                    ((share & kPlatShareWrite) ? FILE_SHARE_WRITE : 0);
  DWORD disposition = create == PlatFileCreate::OpenExisting ? OPEN_EXISTING
                      : create == PlatFileCreate::OpenAlways ? OPEN_ALWAYS
                                                             : CREATE_ALWAYS;
  HANDLE h = CreateFileW(wide, desired, shareMode, nullptr, disposition, FILE_ATTRIBUTE_ARCHIVE, nullptr);
  *error = h == INVALID_HANDLE_VALUE ? GetLastError() : 0;
  if (wide != small) delete[] wide;
  return h == INVALID_HANDLE_VALUE ? kNoFile : reinterpret_cast<PlatFile>(h);
}

std::uint32_t Plat_FileRead(PlatFile f, void* buffer, std::size_t count, std::size_t* done) {
  std::size_t moved = 0;
  std::uint32_t rc = 0;
  auto* p = static_cast<char*>(buffer);
  while (moved < count) {
    DWORD ask = count - moved < kChunk ? static_cast<DWORD>(count - moved) : kChunk;
    DWORD got = 0;
    if (!ReadFile(reinterpret_cast<HANDLE>(f), p + moved, ask, &got, nullptr)) {
      rc = GetLastError();
      moved += got;
      break;
    }
    if (got == 0) break;  // end of file
    moved += got;
  }
  if (done) *done = moved;
  return rc;
}

std::uint32_t Plat_FileWrite(PlatFile f, const void* buffer, std::size_t count, std::size_t* done) {
  std::size_t moved = 0;
  std::uint32_t rc = 0;
  const auto* p = static_cast<const char*>(buffer);
  while (moved < count) {
    DWORD ask = count - moved < kChunk ? static_cast<DWORD>(count - moved) : kChunk;
    DWORD put = 0;
    if (!WriteFile(reinterpret_cast<HANDLE>(f), p + moved, ask, &put, nullptr)) {
      rc = GetLastError();
      moved += put;
      break;
    }
    if (put == 0) break;
    moved += put;
  }
  if (done) *done = moved;
  return rc;
}

std::uint32_t Plat_FileSeek(PlatFile f, std::int64_t offset, int origin, std::uint64_t* position) {
  if (origin < 0 || origin > 2) return ERROR_INVALID_PARAMETER;
  LARGE_INTEGER distance, moved;
  distance.QuadPart = offset;
  if (!SetFilePointerEx(reinterpret_cast<HANDLE>(f), distance, &moved, static_cast<DWORD>(origin)))
    return GetLastError();
  if (position) *position = static_cast<std::uint64_t>(moved.QuadPart);
  return 0;
}

std::uint32_t Plat_FileSize(PlatFile f, std::uint64_t* size) {
  LARGE_INTEGER s;
  if (!GetFileSizeEx(reinterpret_cast<HANDLE>(f), &s)) return GetLastError();
  if (size) *size = static_cast<std::uint64_t>(s.QuadPart);
  return 0;
}

std::uint32_t Plat_FileTruncate(PlatFile f, std::uint64_t size) {
  LARGE_INTEGER to;
  to.QuadPart = static_cast<LONGLONG>(size);
  const HANDLE h = reinterpret_cast<HANDLE>(f);
  if (!SetFilePointerEx(h, to, nullptr, FILE_BEGIN) || !SetEndOfFile(h)) return GetLastError();
  return 0;
}

bool Plat_FileRemoved(PlatFile f) {
  FILE_STANDARD_INFO info{};
  if (!GetFileInformationByHandleEx(reinterpret_cast<HANDLE>(f), FileStandardInfo, &info, sizeof info)) return false;
  return info.DeletePending || info.NumberOfLinks == 0;
}

std::uint32_t Plat_FileClose(PlatFile f) {
  if (f == kNoFile) return ERROR_INVALID_HANDLE;
  return CloseHandle(reinterpret_cast<HANDLE>(f)) ? 0 : GetLastError();
}
