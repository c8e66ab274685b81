// What the read-variables window and `tolvane-cli monitor` share: the
// schedule of cyclic reads, the value lines, built in full once and then
// rewritten only where a value changed (the last-shown copy of each variable
// tells which), and the step both run on their tick: a due read of the table
// and the lines it changed. The window puts the lines into its list box, the
// command line prints them.
//
// Threads: whichever thread runs the monitor (the read window's own thread,
// the command line's main thread); the table must not change meanwhile.
#pragma once

#include <cstddef>
#include <cstdint>

#include "app/appstate.h"
#include "app/reconnect.h"
#include "app/valuelog.h"
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
// index is the number of lines shown; Clear empties the view. Flush ends one
// build or refresh that wrote anything (a view may hold its drawing back
// until then).
class LineSink {
 public:
  virtual ~LineSink() = default;
  virtual void Clear() = 0;
  virtual void Line(int index, const char* text, int length) = 0;
  virtual void Flush() {}
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

// One monitor: its schedule, the lines shown, and whether it reads
// cyclically (a window whose refreshing is off, or stopped by a failed
// read, keeps its schedule for the clock but reads nothing).
struct MonitorRun {
  MonitorSchedule schedule;
  MonitorLines lines;
  bool cyclic;
  int lastResult;  // the library's result of the last read
  int requests;    // the requests the last read took (0 before the first)
  // Riding out a lost connection (app/reconnect.h), a record of the
  // caller's. Null: a failed read stops cyclic reading, as it always has.
  Reconnect* reconnect;
  ValueLog* log;   // when set, each read (or failed read) is a row of it
};

enum class MonitorStepResult {
  NotDue,  // the interval has not passed
  Due,     // it has, but the monitor does not read cyclically
  Read,    // the table was read and the changed lines written
  Failed,  // the read failed (logged by the command); cyclic reading stops
  Lost,    // the read failed for want of a connection: an outage began (logged)
  Down,    // in an outage: nothing read; an attempt was made if one was due
};

// The tick of a monitor at now: when a read is due and the monitor reads
// cyclically, the whole table is read (Cmd_ReadTable: only a failure is
// logged, a time-out also disconnects), the read goes into the value log
// when one is set, and the lines whose value changed go to sink. A failure
// switches cyclic reading off, unless the monitor rides out lost
// connections: then a link failure begins an outage (Lost), the ticks of the
// outage make the attempts (Down), and once the connection is back a read
// follows at once.
MonitorStepResult Monitor_Step(MonitorRun* run, AppState* app, std::uint32_t now, LineSink* sink);
// One read now, whatever the schedule (the read window's first, after a
// write or a load), as a due step would do it: Read, Failed or Lost.
MonitorStepResult Monitor_ReadNow(MonitorRun* run, AppState* app, LineSink* sink);

// What a read of the table costs, for the read window's status bar:
// "%d kérés ciklusonként" with the requests the last read took; empty
// before the first read. Returns the length.
int Monitor_RequestsText(const MonitorRun* run, char* text, std::size_t size);
