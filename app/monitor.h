// What the read-variables window and `tolvane-cli monitor` share: the
// schedule of cyclic reads and the value lines, built in full once and then
// rewritten only where a value changed (the last-shown copy of each variable
// tells which). The window puts the lines into its list box, the command line
// prints them.
//
// Threads: whichever thread runs the monitor (the read window's own thread,
// the command line's main thread); the table must not change meanwhile.
#pragma once

#include <cstdint>

#include "vars/vars.h"

// The schedule: a read is due once an interval has passed since the schedule
// time, which then moves on by exactly one interval, so a PLC slower than the
// interval is read back to back. After a long stall (a hung PLC, a suspended
// machine) at most one interval is made up, never a burst of reads.
struct MonitorSchedule {
  std::uint32_t time;      // tick count at which the current interval began
  std::uint32_t interval;  // ms
};
// Makes a read due at once.
void Monitor_Restart(MonitorSchedule* schedule, std::uint32_t intervalMs, std::uint32_t now);
// true when a read is due now (the schedule has then moved on).
bool Monitor_Due(MonitorSchedule* schedule, std::uint32_t now);

// Where the lines go. Line(index, ...) replaces line index, or appends it when
// index is the number of lines shown; Clear empties the view.
class LineSink {
 public:
  virtual ~LineSink() = default;
  virtual void Clear() = 0;
  virtual void Line(int index, const char* text, int length) = 0;
};

// What the lines shown were built for: when the table no longer matches (a
// variable was dropped while a request was prepared), a refresh builds all
// lines again instead of writing at shifted places.
struct MonitorLines {
  ValueLineWidths widths;
  int variableCount;
  int lineCount;
};

// Every line, after Clear; each value goes into its last-shown copy.
void Monitor_BuildLines(MonitorLines* lines, VariableTable* table, LineSink* sink);

// The lines whose value differs from its last-shown copy, and the forced line
// (−1: none) whatever its value; or all lines, after Clear, when the table
// changed shape. Returns how many lines were written.
int Monitor_RefreshLines(MonitorLines* lines, VariableTable* table, int forcedLine, LineSink* sink);
