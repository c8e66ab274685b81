// The recordings' log lines. Failures are told by what a user can do about
// them (a full disk, a file that went away, no access) rather than by code
// alone; the code follows for whoever looks further.
#include "app/recordlog.h"

#include "app/logpane.h"
#include "res/strings.h"
#include "runtime/appender.h"
#include "s7lib/s7lib.h"
#include "vars/format.h"
#include "vars/heaptext.h"

namespace {

struct FailureText {
  std::uint32_t error;
  int text;
};

constexpr FailureText kFailures[] = {
    {kWinErrDiskFull, IDS_RECORD_DISK_FULL},
    {39, IDS_RECORD_DISK_FULL},  // ERROR_HANDLE_DISK_FULL
    {kWinErrFileNotFound, IDS_RECORD_FILE_GONE},
    {kWinErrPathNotFound, IDS_RECORD_FILE_GONE},
    {55, IDS_RECORD_FILE_GONE},    // ERROR_DEV_NOT_EXIST: a network drive or stick gone
    {64, IDS_RECORD_FILE_GONE},    // ERROR_NETNAME_DELETED: the share went away
    {1006, IDS_RECORD_FILE_GONE},  // ERROR_FILE_INVALID: the stick was pulled out
    {1167, IDS_RECORD_FILE_GONE},  // ERROR_DEVICE_NOT_CONNECTED
    {kWinErrAccessDenied, IDS_RECORD_ACCESS_DENIED},
    {223, IDS_RECORD_TOO_LARGE},   // ERROR_FILE_TOO_LARGE
    {kAppendBacklog, IDS_RECORD_BACKLOG},
    {S7_TRACE_OTHER_KIND, IDS_RECORD_OTHER_KIND},
};

int NameOf(Recording what) { return what == Recording::Trace ? IDS_RECORD_TRACE : IDS_RECORD_VALUE_LOG; }

// The program's own codes have bit 29 set: no number a user could look up.
bool IsSystemCode(std::uint32_t error) { return (error & 0x20000000u) == 0; }

void Write(const HeapText& line) { LogWrite(MainLogPane(), line.Text(), line.Length(), LogOwnership::CallerKeeps); }

}  // namespace

const char* RecordFailureText(std::uint32_t error) {
  for (const FailureText& f : kFailures)
    if (f.error == error) return LoadText(f.text);
  return LoadText(IDS_RECORD_WRITE_FAILED);
}

void RecordLog_Started(Recording what, const char* path) {
  HeapText line;
  line.Format(LoadText(IDS_LOG_RECORD_STARTED), TextId(NameOf(what)), path);
  Write(line);
}

void RecordLog_Ended(Recording what, const char* path) {
  HeapText line;
  line.Format(LoadText(IDS_LOG_RECORD_ENDED), TextId(NameOf(what)), path);
  Write(line);
}

void RecordLog_CantOpen(Recording what, const char* path, std::uint32_t error) {
  HeapText line;
  line.Format(LoadText(IDS_LOG_RECORD_CANT_OPEN), TextId(NameOf(what)), path, static_cast<int>(error));
  Write(line);
}

void RecordLog_Stopped(Recording what, const char* path, std::uint32_t error) {
  HeapText line;
  line.Format(LoadText(IDS_LOG_RECORD_STOPPED), TextId(NameOf(what)), path, RecordFailureText(error),
              static_cast<int>(error), IsSystemCode(error) ? 1 : 0);
  Write(line);
}
