// The monitor's schedule (a slow PLC read back to back, a long stall made up
// by one read, not hundreds) and its lines (only changed values rewritten, a
// forced line, a full rebuild when the table lost a variable).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/monitor.h"
#include "tests/support/var_builder.h"

namespace {

// Ticks every 50 ms from start to end, each read taking readMs; returns the
// tick times at which a read was due.
std::vector<std::uint32_t> Reads(std::uint32_t start, std::uint32_t interval, std::uint32_t readMs,
                                 std::uint32_t end) {
  MonitorSchedule s{};
  Monitor_Restart(&s, interval, start);
  std::vector<std::uint32_t> reads;
  for (std::uint32_t now = start; now - start < end - start;) {
    if (Monitor_Due(&s, now)) {
      reads.push_back(now - start);
      now += readMs;
    }
    now += 50;
  }
  return reads;
}

TEST(MonitorSchedule, KeepsTheIntervalAndCatchesUpWithASlowPlc) {
  EXPECT_EQ(Reads(1000, 250, 0, 1000 + 1000), (std::vector<std::uint32_t>{0, 250, 500, 750})) << "first read at once";
  // 300 ms per read at 100 ms: every tick after a read is due, no pause.
  const std::vector<std::uint32_t> slow = Reads(0, 100, 300, 2000);
  ASSERT_GE(slow.size(), 5u);
  for (std::size_t i = 1; i < slow.size(); ++i) EXPECT_EQ(slow[i] - slow[i - 1], 350u) << i;
  // Across the wrap of the tick counter.
  EXPECT_EQ(Reads(0xFFFFFF00u, 100, 0, 0x00000100u).size(), 6u);
}

TEST(MonitorSchedule, ALongStallIsMadeUpByOneReadNotHundreds) {
  MonitorSchedule s{};
  Monitor_Restart(&s, 100, 0);
  ASSERT_TRUE(Monitor_Due(&s, 0));
  // 30 s without a tick (a hung PLC, a suspended machine), then a second of
  // 50 ms ticks: the ten reads of that second and one of backlog, where
  // catching up one interval at a time would read at every tick for minutes.
  int reads = 0;
  for (std::uint32_t now = 30000; now < 31000; now += 50) reads += Monitor_Due(&s, now) ? 1 : 0;
  EXPECT_EQ(reads, 11);
}

class Collected : public LineSink {
 public:
  void Clear() override {
    lines.clear();
    ++clears;
  }
  void Line(int index, const char* text, int length) override {
    if (index == static_cast<int>(lines.size())) lines.emplace_back();
    lines.at(static_cast<std::size_t>(index)).assign(text, static_cast<std::size_t>(length));
    written.push_back(index);
  }
  std::vector<std::string> lines;
  std::vector<int> written;
  int clears = 0;
};

TEST(MonitorLines, OnlyChangedValuesAreRewritten) {
  VariableTable table{};
  ASSERT_EQ(Var_ParseDefinition("MW0:3 (Int)", &table.vars[0]), 1);
  ASSERT_EQ(Var_ParseDefinition("MB10:1 (Byte)", &table.vars[1]), 1);
  table.count = 2;
  MonitorLines lines{};
  Collected view;
  Monitor_BuildLines(&lines, &table, &view);
  EXPECT_EQ(view.lines, (std::vector<std::string>{" MW0  = 0 ", " MW2  = 0 ", " MW4  = 0 ", " MB10 = 0x00 "}));

  view.written.clear();
  EXPECT_EQ(Monitor_RefreshLines(&lines, &table, -1, &view), 0) << "nothing changed";
  Var_PutElement(1, &table.vars[0], -5, nullptr);
  Var_PutElement(0, &table.vars[1], 0x7F, nullptr);
  EXPECT_EQ(Monitor_RefreshLines(&lines, &table, 2, &view), 3);
  EXPECT_EQ(view.written, (std::vector<int>{1, 2, 3})) << "the two changed lines and the forced one";
  EXPECT_EQ(view.lines[1], " MW2  = -5 ");
  EXPECT_EQ(view.lines[3], " MB10 = 0x7f ");
  view.written.clear();
  EXPECT_EQ(Monitor_RefreshLines(&lines, &table, -1, &view), 0) << "the shown copy follows what was written";

  // Preparing a request dropped the first variable: the lines would shift.
  VarTable_Remove(&table, 0);
  Var_PutElement(0, &table.vars[0], 0x01, nullptr);
  EXPECT_EQ(Monitor_RefreshLines(&lines, &table, -1, &view), 1);
  EXPECT_EQ(view.clears, 2);
  EXPECT_EQ(view.lines, (std::vector<std::string>{" MB10 = 0x01 "}));
  VarTable_Clear(&table);
}

}  // namespace
