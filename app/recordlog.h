// The log lines of the program's two recordings, the wire trace and the value
// log: started, ended, could not be made, and stopped by a failure with the
// reason in words. Both front ends and both recordings write the same lines.
//
// Threads: any thread (the lines go to the main log through LogWrite).
#pragma once

#include <cstdint>

enum class Recording { Trace, ValueLog };

void RecordLog_Started(Recording what, const char* path);
void RecordLog_Ended(Recording what, const char* path);
void RecordLog_CantOpen(Recording what, const char* path, std::uint32_t error);
// error: a Windows error code, or one of the appender's and the trace's own
// (kAppendBacklog, S7_TRACE_OTHER_KIND), which are told in words only.
void RecordLog_Stopped(Recording what, const char* path, std::uint32_t error);

// The reason in words (string table text).
const char* RecordFailureText(std::uint32_t error);
