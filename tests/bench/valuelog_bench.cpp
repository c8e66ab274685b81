// What the value log costs the read window: the processor time of one
// monitor step (a read of 200 values and the changed lines) with the log off,
// on for every read, and on for changed reads only, measured for this whole
// process (the log's writer thread included). The PLC is the simulator in a
// process of its own, so its time is not counted. Every read changes some
// values, as a busy machine's would.
#include <benchmark/benchmark.h>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "app/monitor.h"
#include "runtime/runtime.h"
#include "s7lib/s7lib.h"
#include "tools/plcsim/plcsim.h"

extern char** environ;

namespace {

// The lines as the window's list takes them: a copy each.
class CopiedLines : public LineSink {
 public:
  void Clear() override {}
  void Line(int, const char* text, int length) override {
    std::memcpy(last_, text, static_cast<std::size_t>(length < 255 ? length : 255));
  }

 private:
  char last_[256];
};

struct Bench {
  pid_t plc = -1;
  AppState* app = nullptr;
  std::string csv;
  bool ready = false;
  Bench() {
    Rt_Init();
    const std::string address = "127.91.37.12";
    std::string seconds = "3600";
    const char* argv[] = {TOLVANE_PLCSIM_PATH, "--address", address.c_str(), "--seconds", seconds.c_str(), nullptr};
    if (posix_spawn(&plc, TOLVANE_PLCSIM_PATH, nullptr, nullptr, const_cast<char**>(argv), environ) != 0) return;
    app = TheAppState();
    AppState_Reset(app);
    app->plc.address = plcsim::ParseIpv4(address);
    for (int tries = 0; tries < 100 && !app->conn; ++tries) {
      Plat_Sleep(50);
      if (!app->iface) app->iface = S7_Interface_Init(S7_KIND_TCP);
      S7Connection* conn = S7_Connection_Init(app->iface, "bench", 1000, app->plc.address, 0, 2, 240);
      if (S7_IsConnected(conn)) app->conn = conn;
      else S7_Connection_Done(conn);
    }
    // 20 variables of 10 elements: the 200 values of a full table today.
    const char* kinds[] = {"DBW", "DBD", "DBB"};
    const char* types[] = {"Int", "Real", "Byte"};
    for (int i = 0; i < 20; ++i) {
      char definition[64];
      std::snprintf(definition, sizeof definition, "DB1.%s%d:10 (%s)", kinds[i % 3], 40 * i, types[i % 3]);
      Var_ParseDefinition(definition, &app->table.vars[app->table.count++]);
    }
    csv = (std::filesystem::temp_directory_path() / "tolvane-valuelog-bench.csv").string();
    ready = app->conn != nullptr;
  }
  ~Bench() {
    if (app && app->iface) app->iface = S7_Interface_Done(app->iface);
    if (plc > 0) {
      kill(plc, SIGTERM);
      waitpid(plc, nullptr, 0);
    }
    std::error_code ignored;
    std::filesystem::remove(csv, ignored);
  }
};

Bench& Shared() {
  static Bench b;
  return b;
}

void BM_MonitorStep(benchmark::State& state) {
  Bench& b = Shared();
  if (!b.ready) return state.SkipWithError("no simulator");
  MonitorRun run{};
  run.cyclic = true;
  CopiedLines lines;
  Monitor_BuildLines(&run.lines, &b.app->table, &lines);
  const int mode = static_cast<int>(state.range(0));
  std::uint32_t error = 0;
  if (mode > 0)
    run.log = ValueLog_Open(b.csv.c_str(), mode == 1 ? ValueLogRows::EveryCycle : ValueLogRows::ChangedOnly,
                            &b.app->table, &error);
  std::uint32_t now = 0;
  Monitor_Restart(&run.schedule, 100, now);
  int counter = 0;
  for (auto _ : state) {
    // Half the reads see a new value, as a changing process would give.
    state.PauseTiming();
    if (++counter % 2 == 0) {
      std::int32_t v = counter;
      S7_SimpleWrite(b.app->conn, S7_TYPE_INT, S7_AREA_DB, 1, 0, 0, 1, 1, &v);
    }
    state.ResumeTiming();
    if (Monitor_Step(&run, b.app, now += 100, &lines) != MonitorStepResult::Read) state.SkipWithError("read failed");
  }
  if (run.log && ValueLog_Close(run.log) != 0) state.SkipWithError("log failed");
  static const char* kLabels[] = {"log off", "log every read", "log changed reads"};
  state.SetLabel(kLabels[mode]);
}
BENCHMARK(BM_MonitorStep)->Arg(0)->Arg(1)->Arg(2)->MeasureProcessCPUTime()->UseRealTime()->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
