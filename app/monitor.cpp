// The monitor's schedule and value lines, shared by the read window and the
// command line.
#include "app/monitor.h"

#include <cstring>

#include "app/commands.h"

void Monitor_Restart(MonitorSchedule* schedule, std::uint32_t intervalMs, std::uint32_t now) {
  schedule->interval = intervalMs;
  schedule->time = now - intervalMs;
}

bool Monitor_Due(MonitorSchedule* schedule, std::uint32_t now) {
  const std::uint32_t behind = now - schedule->time;  // unsigned: the tick count may wrap
  if (behind < schedule->interval) return false;
  // Further behind than one interval after this read: drop the rest of the
  // backlog, keeping one interval so the next read still follows at once.
  if (behind > 2 * schedule->interval) schedule->time = now - 2 * schedule->interval;
  schedule->time += schedule->interval;
  return true;
}

namespace {

std::size_t SlotOffset(const PlcVariable& v, int element) {
  return static_cast<std::size_t>(element) * static_cast<std::size_t>(v.slotSize);
}

void Emit(const MonitorLines* lines, const PlcVariable* v, int element, int index, LineSink* sink) {
  char text[kValueLineMax];
  const int n = Var_FormatValueLine(&lines->widths, element, v, text);
  sink->Line(index, text, n);
  if (v->values)
    std::memcpy(Var_ShownValues(v) + SlotOffset(*v, element), v->values + SlotOffset(*v, element),
              static_cast<std::size_t>(v->slotSize));
}

}  // namespace

void Monitor_BuildLines(MonitorLines* lines, VariableTable* table, LineSink* sink) {
  VarTable_ValueLineWidths(table, &lines->widths);
  const int count = VarTable_Count(table);
  lines->variableCount = count;
  lines->lineCount = VarTable_LineCount(table);
  sink->Clear();
  int index = 0;
  for (int i = 0; i < count; ++i) {
    const PlcVariable* v = &table->vars[i];
    for (int e = 0; e < v->count; ++e) Emit(lines, v, e, index++, sink);
  }
  sink->Flush();
}

int Monitor_RefreshLines(MonitorLines* lines, VariableTable* table, int forcedLine, LineSink* sink) {
  const int count = VarTable_Count(table);
  if (count != lines->variableCount || VarTable_LineCount(table) != lines->lineCount) {
    Monitor_BuildLines(lines, table, sink);
    return lines->lineCount;
  }
  int index = 0, written = 0;
  for (int i = 0; i < count; ++i) {
    const PlcVariable* v = &table->vars[i];
    const std::uint8_t* shown = Var_ShownValues(v);
    for (int e = 0; e < v->count; ++e, ++index) {
      const std::size_t at = SlotOffset(*v, e);
      const bool changed =
          v->values && std::memcmp(v->values + at, shown + at, static_cast<std::size_t>(v->slotSize)) != 0;
      if (!changed && index != forcedLine) continue;
      Emit(lines, v, e, index, sink);
      ++written;
    }
  }
  if (written > 0) sink->Flush();
  return written;
}

namespace {

MonitorStepResult ReadAt(MonitorRun* run, AppState* app, std::uint32_t now, LineSink* sink) {
  run->lastResult = Cmd_ReadTable(app, &run->requests);
  if (run->log) ValueLog_Cycle(run->log, &app->table, run->lastResult);
  if (run->lastResult != S7_OK) {
    if (run->reconnect && Reconnect_AfterFailure(run->reconnect, app, run->lastResult, now))
      return MonitorStepResult::Lost;
    run->cyclic = false;
    return MonitorStepResult::Failed;
  }
  Monitor_RefreshLines(&run->lines, &app->table, -1, sink);
  return MonitorStepResult::Read;
}

}  // namespace

MonitorStepResult Monitor_Step(MonitorRun* run, AppState* app, std::uint32_t now, LineSink* sink) {
  if (run->reconnect) {
    switch (Reconnect_Tick(run->reconnect, app, now)) {
      case ReconnectTick::Down: return MonitorStepResult::Down;
      case ReconnectTick::Back: Monitor_Restart(&run->schedule, run->schedule.interval, now); break;
      case ReconnectTick::Up: break;
    }
  }
  if (!Monitor_Due(&run->schedule, now)) return MonitorStepResult::NotDue;
  if (!run->cyclic) return MonitorStepResult::Due;
  return ReadAt(run, app, now, sink);
}

MonitorStepResult Monitor_ReadNow(MonitorRun* run, AppState* app, LineSink* sink) {
  return ReadAt(run, app, Plat_TickCount(), sink);
}

int Monitor_RequestsText(const MonitorRun* run, char* text, std::size_t size) {
  if (!text || size == 0) return 0;
  text[0] = '\0';
  if (!run || run->requests <= 0) return 0;
  return FormatTextN(text, size, LoadText(IDS_WND_READ_REQUESTS), run->requests);
}
