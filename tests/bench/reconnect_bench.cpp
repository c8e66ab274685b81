// How soon a monitor that rides out lost connections reads again once the
// PLC is back, next to the bound it must keep in the same run: the pause
// that was under way when the PLC came back plus one connect and one read,
// both measured here; and the processor time the monitor's thread spends
// while it waits through the outage.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <ctime>

#include "app/commands.h"
#include "app/logpane.h"
#include "app/monitor.h"
#include "app/reconnect.h"
#include "runtime/runtime.h"
#include "tools/plcsim/plcsim.h"

namespace {

double ThreadCpuMs() {
  timespec ts;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) / 1e6;
}

struct NoLines : LineSink {
  void Clear() override {}
  void Line(int, const char*, int) override {}
};

struct Bench {
  plcsim::Simulator sim;
  AppState* app = nullptr;
  Bench() {
    Rt_Init();
    sim.Start(plcsim::Config{});
    app = TheAppState();
    AppState_Reset(app);
    app->plc.address = sim.Address();
    Cmd_OpenInterface(app);
    Cmd_OpenConnection(app, ConnectionOpen::New);
    Var_ParseDefinition("MW0:8 (Word)", &app->table.vars[0]);
    app->table.count = 1;
  }
};

Bench& Shared() {
  static Bench b;
  return b;
}

// One connect and one read of the table, as the monitor's first tick after
// an outage makes them.
double ConnectAndReadMs(AppState* app) {
  const std::uint32_t t0 = Plat_TickCount();
  S7_Disconnect(app->conn);
  S7_Connect(app->conn);
  Cmd_ReadTable(app);
  return static_cast<double>(Plat_TickCount() - t0);
}

// The monitor loop as tolvane-cli runs it (50 ms sleeps between ticks),
// reading every 100 ms, with the PLC away for state.range(0) ms.
void BM_BackAfterOutage(benchmark::State& state) {
  Bench& b = Shared();
  NoLines sink;
  const auto outageMs = static_cast<std::uint32_t>(state.range(0));
  double recovery = 0, bound = 0, cpuPercent = 0;
  for (auto _ : state) {
    double connectRead = 0;
    for (int i = 0; i < 5; ++i) connectRead = std::max(connectRead, ConnectAndReadMs(b.app));
    Reconnect r;
    Reconnect_Reset(&r);
    MonitorRun run{};
    run.cyclic = true;
    run.reconnect = &r;
    Monitor_Restart(&run.schedule, 100, Plat_TickCount());
    Monitor_Step(&run, b.app, Plat_TickCount(), &sink);
    const std::uint32_t away = Plat_TickCount();
    b.sim.GoAway(static_cast<int>(outageMs));
    const std::uint32_t back = away + outageMs;
    const double cpu0 = ThreadCpuMs();
    std::uint32_t pauseAtReturn = 0, goodRead = 0;
    for (;;) {
      const std::uint32_t now = Plat_TickCount();
      if (pauseAtReturn == 0 && static_cast<std::int32_t>(now - back) >= 0 && r.state != LinkState::Up)
        pauseAtReturn = kReconnectPausesMs[std::min(r.failedAttempts, 4)];
      const MonitorStepResult step = Monitor_Step(&run, b.app, now, &sink);
      if (step == MonitorStepResult::Read && r.state == LinkState::Up && static_cast<std::int32_t>(now - back) >= 0) {
        goodRead = Plat_TickCount();
        break;
      }
      if (step == MonitorStepResult::NotDue || step == MonitorStepResult::Down) Plat_Sleep(50);
    }
    const double cpu = ThreadCpuMs() - cpu0;
    recovery = static_cast<double>(goodRead - back);
    bound = static_cast<double>(pauseAtReturn) + connectRead;
    cpuPercent = 100.0 * cpu / static_cast<double>(goodRead - away);
    state.SetIterationTime(recovery / 1e3);
  }
  state.counters["recovery_ms"] = recovery;
  state.counters["bound_ms"] = bound;
  state.counters["within_bound"] = recovery <= bound ? 1 : 0;
  state.counters["cpu_pct_while_away"] = cpuPercent;
}
BENCHMARK(BM_BackAfterOutage)
    ->Arg(500)
    ->Arg(2500)
    ->Arg(5000)
    ->Arg(9000)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
