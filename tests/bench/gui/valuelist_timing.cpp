// How long the read window takes to rewrite its value list when every value
// of a full PDU changed: the window's own value list code on a real list box
// in the list font, timed inside the process (no Google Benchmark for the
// Windows build). Run on demand under Wine or Windows; it prints figures and
// asserts nothing.
//   tolvane-valuelist-timing.exe [ROUNDS]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <span>
#include <vector>

#include "app/monitor.h"
#include "win32/toolkit/listclick.h"
#include "win32/toolkit/listlines.h"
#include "win32/toolkit/winutil.h"
#include "runtime/runtime.h"
#include "tests/support/value_tables.h"
#include "tests/gui/support/exitcode.h"
#include "tests/gui/driver/process.h"

namespace {

// The most lines a 240-byte PDU can bring: nineteen bit arrays.
constexpr const char* kBits240[] = {
    "M0.0:64 (Bit)",   "M8.0:64 (Bit)",   "M16.0:64 (Bit)",  "M24.0:64 (Bit)",  "M32.0:64 (Bit)",
    "M40.0:64 (Bit)",  "M48.0:64 (Bit)",  "M56.0:64 (Bit)",  "M64.0:64 (Bit)",  "M72.0:64 (Bit)",
    "M80.0:64 (Bit)",  "M88.0:64 (Bit)",  "M96.0:64 (Bit)",  "M104.0:64 (Bit)", "M112.0:64 (Bit)",
    "M120.0:64 (Bit)", "M128.0:64 (Bit)", "M136.0:64 (Bit)", "M144.0:48 (Bit)",
};

struct Case {
  const char* name;
  std::span<const char* const> definitions;
};
constexpr Case kCases[] = {{"mixed, 240-byte PDU", valuetables::kMixed240},
                           {"mixed, 480-byte PDU", valuetables::kMixed480},
                           {"bits, 240-byte PDU", kBits240}};

// Values of a second set that differ from the first in every element.
void ChangeEveryValue(VariableTable* table, unsigned round) {
  valuetables::FillValues(table, 1000 + round);
  for (int i = 0; i < table->count; ++i) {
    PlcVariable& v = table->vars[i];
    for (int e = 0; e < v.count; ++e) {
      const std::size_t at = static_cast<std::size_t>(e) * static_cast<std::size_t>(v.slotSize);
      if (std::memcmp(v.values + at, Var_ShownValues(&v) + at, static_cast<std::size_t>(v.slotSize)) != 0) continue;
      // Drawn equal by chance: the low bit of a bit, a byte's value plus one.
      v.values[at] = static_cast<std::uint8_t>(v.type == S7_TYPE_BIT ? v.values[at] ^ 1 : v.values[at] + 1);
    }
  }
}

void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

double Ms(LONGLONG ticks, LONGLONG frequency) {
  return 1000.0 * static_cast<double>(ticks) / static_cast<double>(frequency);
}

struct Figures {
  double median, p90, best;
};
Figures Summary(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return {v[v.size() / 2], v[v.size() * 9 / 10], v.front()};
}

}  // namespace

int Measure(int argc, wchar_t** argv) {
  if (Rt_Init()) return 1;
  const int rounds = argc > 1 ? std::max(10, _wtoi(argv[1])) : 200;
  HWND frame = CreateWindowExW(0, L"Static", L"value list timing", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 420,
                               520, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  HWND list = CreateWindowExW(WS_EX_CLIENTEDGE, L"ListBox", L"",
                              WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT, 0,
                              0, 400, 480, frame, nullptr, GetModuleHandleW(nullptr), nullptr);
  HFONT font = CreatePointFont(list, 10, FW_NORMAL, L"Courier New");
  SendMessageW(list, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  // The click behaviour wraps the read window's list, so every line
  // written goes through it here as well.
  if (!ListClick_Attach(list)) return 3;
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);

  std::printf("%-22s %6s %6s  %-27s  %-27s  %-27s\n", "table", "lines", "reply", "rewrite ms (median/p90/best)",
              "paint ms (median/p90/best)", "texts only (median/p90/best)");
  for (const Case& c : kCases) {
    VariableTable table{};
    for (const char* definition : c.definitions)
      if (!Var_ParseDefinition(definition, &table.vars[table.count++])) return 2;
    valuetables::FillValues(&table, 1);
    ListBoxLines values;
    MonitorLines shown{};
    values.Attach(list, font);
    Monitor_BuildLines(&shown, &table, &values);
    values.Select(3);  // a selection to keep, as a user's would be
    Pump();
    std::vector<double> rewrite, paint, format;
    int lines = 0;
    for (int round = 0; round < rounds; ++round) {
      ChangeEveryValue(&table, static_cast<unsigned>(round));
      LARGE_INTEGER t0, t1, t2;
      // The text of every line alone, for the share of the list box.
      QueryPerformanceCounter(&t0);
      char text[kValueLineMax];
      for (int i = 0; i < table.count; ++i)
        for (int e = 0; e < table.vars[i].count; ++e)
          Var_FormatValueLine(&shown.widths, e, &table.vars[i], text);
      QueryPerformanceCounter(&t1);
      format.push_back(Ms(t1.QuadPart - t0.QuadPart, frequency.QuadPart));
      QueryPerformanceCounter(&t0);
      lines = Monitor_RefreshLines(&shown, &table, -1, &values);
      QueryPerformanceCounter(&t1);
      UpdateWindow(list);
      QueryPerformanceCounter(&t2);
      rewrite.push_back(Ms(t1.QuadPart - t0.QuadPart, frequency.QuadPart));
      paint.push_back(Ms(t2.QuadPart - t1.QuadPart, frequency.QuadPart));
      Pump();
    }
    const Figures r = Summary(rewrite), p = Summary(paint), f = Summary(format);
    std::printf("%-22s %6d %6d  %7.3f %7.3f %7.3f    %7.3f %7.3f %7.3f    %7.3f %7.3f %7.3f\n", c.name, lines,
                valuetables::ReplySize(table), r.median, r.p90, r.best, p.median, p.p90, p.best, f.median, f.p90,
                f.best);
    VarTable_Clear(&table);
  }
  DestroyWindow(frame);
  DeleteObject(font);
  return 0;
}

int wmain(int argc, wchar_t** argv) { return gui::FinishWithExitCode(Measure(argc, argv)); }
