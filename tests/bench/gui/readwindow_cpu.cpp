// What the read window costs in processor time: tolvane.exe reading a table
// every 100 ms from the simulator, with the values standing still and with
// every value changing (with the value log off and on by turns), then
// showing them with refresh off; and tolvane-cli monitor doing the same
// reads in the same run. Two tables in one run: nineteen variables of mixed
// types (a full 240-byte PDU, one request) and five hundred words scattered
// over four data blocks (the planner's several requests), so that the
// figures show what a read costs as the table grows. Process times come
// from the system for each program over a fixed period. Run on demand
// through scripts/gui-run.sh; prints figures only.
//   tolvane-readwindow-cpu.exe PATH-OF-TOLVANE-CLI.EXE [SECONDS]
#include <windows.h>

#include <atomic>
#include <iterator>
#include <cstdio>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "res/resource.h"
#include "runtime/runtime.h"
#include "tests/support/plan_tables.h"
#include "tests/support/value_tables.h"
#include "tests/gui/support/exitcode.h"
#include "tests/gui/driver/driver.h"
#include "tools/plcsim/plcsim.h"

namespace {

constexpr int kDataBlockBytes = 4096;

// The tables as a .vat file's variable sections.
std::string Sections(const std::vector<std::string>& definitions) {
  std::string text = "VarCount = " + std::to_string(definitions.size()) + "\r\n";
  int i = 0;
  for (const std::string& definition : definitions)
    text += "[Var" + std::to_string(i++) + "]\r\nVar = " + definition + "\r\n";
  return text;
}

std::vector<std::string> Mixed19() {
  return std::vector<std::string>(std::begin(valuetables::kMixed240), std::end(valuetables::kMixed240));
}

// 500 words at random even addresses of DB1-DB4: the planner's benchmark
// table.
std::vector<std::string> Scattered500() {
  std::vector<std::string> definitions;
  for (const plantest::Spec& s : plantest::ScatteredWords())
    definitions.push_back("DB" + std::to_string(s.db) + ".DBW" + std::to_string(s.start) + ":1 (Word)");
  return definitions;
}

double CpuSeconds(HANDLE process) {
  FILETIME created, ended, kernel, user;
  if (!GetProcessTimes(process, &created, &ended, &kernel, &user)) return -1;
  auto seconds = [](const FILETIME& t) {
    return static_cast<double>((static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e7;
  };
  return seconds(kernel) + seconds(user);
}

// The share of one processor a program used over the period.
double Share(HANDLE process, int seconds) {
  const double before = CpuSeconds(process);
  const ULONGLONG start = GetTickCount64();
  Sleep(static_cast<DWORD>(seconds) * 1000);
  const double used = CpuSeconds(process) - before;
  return 100.0 * used / (static_cast<double>(GetTickCount64() - start) / 1000.0);
}

// Keeps changing the bytes the table reads, so that every line changes on
// every read; the data blocks' words also stay valid timer and BCD values.
class Churn {
 public:
  explicit Churn(plcsim::PlcModel* model) : model_(model) {}
  ~Churn() { Stop(); }
  void Start() {
    running_ = true;
    thread_ = std::thread([this] {
      std::mt19937 random(7);
      while (running_) {
        plcsim::Bytes bytes(kDataBlockBytes);
        for (auto& b : bytes) b = static_cast<std::uint8_t>(random() & 0x77);
        for (int db = 1; db <= 4; ++db) model_->WriteMemory(plcsim::kAreaDataBlock, db, 0, bytes);
        model_->WriteMemory(plcsim::kAreaFlags, 0, 0, plcsim::Bytes(bytes.begin(), bytes.begin() + 26));
        model_->WriteMemory(plcsim::kAreaInputs, 0, 0, plcsim::Bytes(bytes.begin(), bytes.begin() + 8));
        model_->WriteMemory(plcsim::kAreaOutputs, 0, 0, plcsim::Bytes(bytes.begin(), bytes.begin() + 8));
        Sleep(20);
      }
    });
  }
  void Stop() {
    running_ = false;
    if (thread_.joinable()) thread_.join();
  }

 private:
  plcsim::PlcModel* model_;
  std::atomic<bool> running_{false};
  std::thread thread_;
};

// The read window's value log switched on (into path, through its save
// dialog) or off; false when the window did not follow.
bool SwitchLog(DWORD pid, HWND read, bool on, const std::wstring& path) {
  HWND box = GetDlgItem(read, IDC_READ_LOG);
  PostMessageW(box, BM_CLICK, 0, 0);
  if (on) {
    HWND save = gui::WaitForDialog(pid, L"Értékek naplózása");
    HWND name = save ? gui::FileDialogNameField(save) : nullptr;
    if (!name) return false;
    gui::Send(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
    PostMessageW(GetDlgItem(save, IDOK), BM_CLICK, 0, 0);
  }
  return gui::WaitUntil([&] { return gui::IsChecked(box) == on; });
}

// One table in both programs: the file written, tolvane.exe's read window
// on it at 100 ms, then tolvane-cli monitor.
int MeasureTable(plcsim::Simulator& sim, const std::wstring& cli, int seconds, const char* what,
                 const std::vector<std::string>& definitions) {
  wchar_t dir[MAX_PATH];
  GetTempPathW(MAX_PATH, dir);
  const std::wstring vat = std::wstring(dir) + L"tolvane-cpu.vat";
  const std::string text = "[PLC]\r\nIF = TCP\r\nName = Sim\r\nAddress = " + sim.AddressText() +
                           "\r\nTimeOut = 1000\r\nRack = 0\r\nSlot = 2\r\n" + Sections(definitions);
  HANDLE f = CreateFileW(vat.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD written = 0;
  WriteFile(f, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(f);

  gui::ProgramSet programs;
  std::wstring error;
  const gui::Program* tolvane = programs.Start(gui::BesideThisProgram(L"tolvane.exe"), {.args = {vat}}, &error);
  if (!tolvane) return 3;
  HWND read = gui::WaitForDialog(tolvane->id, L"Változók olvasása");
  if (!read) return 4;
  HWND box = GetDlgItem(read, IDC_READ_INTERVAL);
  gui::Send(box, CB_SETCURSEL, 0, 0);
  PostMessageW(read, WM_COMMAND, MAKEWPARAM(IDC_READ_INTERVAL, CBN_SELCHANGE), reinterpret_cast<LPARAM>(box));
  Sleep(1000);
  const int lines = static_cast<int>(gui::Send(GetDlgItem(read, IDC_READ_LIST), LB_GETCOUNT, 0, 0).value_or(-1));
  const auto status = gui::StatusBarParts(GetDlgItem(read, IDC_READ_STATUS));
  std::printf("\ntable: %s, %d lines, %s, interval 100 ms, %d s each\n", what, lines,
              status && status->size() > 1 ? gui::Utf8((*status)[1]).c_str() : "?", seconds);
  const std::wstring log = gui::ControlText(gui::WaitForWindow(tolvane->id, L"TOLVANE", nullptr), 150);
  if (log.find(L"Deleted") != std::wstring::npos) std::printf("the table lost variables:\n%s\n", gui::Utf8(log).c_str());

  int requests = sim.RequestCount();
  double share = Share(tolvane->process, seconds);
  std::printf("tolvane.exe, refresh on, values still:     %5.1f %% of a core, %d requests\n", share,
              sim.RequestCount() - requests);
  Churn churn(&sim.Model());
  churn.Start();
  requests = sim.RequestCount();
  share = Share(tolvane->process, seconds);
  std::printf("tolvane.exe, refresh on, every value new:  %5.1f %% of a core, %d requests\n", share,
              sim.RequestCount() - requests);
  // The value log by turns, so that the machine's other load falls on both.
  const std::wstring csv = std::wstring(dir) + L"tolvane-cpu.csv";
  double off = share, on = 0;
  DeleteFileW(csv.c_str());  // left by a run that was cut short: no question of overwriting
  for (int turn = 0; turn < 2; ++turn) {
    if (!SwitchLog(tolvane->id, read, true, csv)) return 6;
    requests = sim.RequestCount();
    const double logged = Share(tolvane->process, seconds);
    std::printf("tolvane.exe, every value new, log on:       %5.1f %% of a core, %d requests\n", logged,
                sim.RequestCount() - requests);
    if (!SwitchLog(tolvane->id, read, false, csv)) return 6;
    DeleteFileW(csv.c_str());  // the next turn's save dialog asks nothing
    requests = sim.RequestCount();
    const double unlogged = Share(tolvane->process, seconds);
    std::printf("tolvane.exe, every value new, log off:      %5.1f %% of a core, %d requests\n", unlogged,
                sim.RequestCount() - requests);
    on += logged / 2;
    off += unlogged;
  }
  off /= 3;
  std::printf("value log on / off: %.2f\n", off > 0 ? on / off : 0.0);
  churn.Stop();
  PostMessageW(GetDlgItem(read, IDC_READ_REFRESH), BM_CLICK, 0, 0);
  Sleep(500);
  requests = sim.RequestCount();
  share = Share(tolvane->process, seconds);
  std::printf("tolvane.exe, refresh off:                  %5.1f %% of a core, %d requests\n", share,
              sim.RequestCount() - requests);
  PostMessageW(gui::WaitForWindow(tolvane->id, L"TOLVANE", nullptr), WM_CLOSE, 0, 0);
  gui::WaitForExit(*tolvane, 10000);

  const std::wstring count = std::to_wstring(seconds * 10 + 20);
  for (bool moving : {false, true}) {
    if (moving) churn.Start();
    const gui::Program* monitor =
        programs.Start(cli, {.args = {L"--vat", vat, L"monitor", L"--interval", L"100", L"--count", count}}, &error);
    if (!monitor) return 5;
    Sleep(1000);
    requests = sim.RequestCount();
    share = Share(monitor->process, seconds);
    std::printf("tolvane-cli monitor, %s  %5.1f %% of a core, %d requests\n",
                moving ? "every value new:        " : "values still:           ", share,
                sim.RequestCount() - requests);
    gui::WaitForExit(*monitor, 10000);
    churn.Stop();
  }
  programs.EndAll();
  DeleteFileW(vat.c_str());
  return 0;
}

}  // namespace

int Measure(int argc, wchar_t** argv) {
  if (Rt_Init()) return 1;
  if (argc < 2) {
    std::fprintf(stderr, "usage: tolvane-readwindow-cpu PATH-OF-TOLVANE-CLI.EXE [SECONDS]\n");
    return 64;
  }
  const std::wstring cli = argv[1];
  const int seconds = argc > 2 ? _wtoi(argv[2]) : 20;
  plcsim::Config config;
  config.model.dataBlocks = {{1, kDataBlockBytes}, {2, kDataBlockBytes}, {3, kDataBlockBytes}, {4, kDataBlockBytes}};
  plcsim::Simulator sim;
  if (!sim.Start(config)) return 2;
  int rc = MeasureTable(sim, cli, seconds, "19 variables of mixed types, reply 240 bytes", Mixed19());
  if (rc == 0) rc = MeasureTable(sim, cli, seconds, "500 words scattered over 4 DBs", Scattered500());
  sim.Stop();
  return rc;
}

int wmain(int argc, wchar_t** argv) { return gui::FinishWithExitCode(Measure(argc, argv)); }
