// tolvane.exe's figures, measured on demand under Wine (never in CI, never
// asserted): the program's size; the time from process start to the main
// window shown with the command-line file loaded, next to tolvane-cli doing
// the same load; the processor time of an idle tolvane.exe over 10 s; and
// the cost of appending 10,000 entries to the real log Edit control, per
// thousand, which must stay flat as the log fills and is cut.
//   usage: TOLVANE_GUI_TIMEOUT=1800 scripts/gui-run.sh build/win/tests/gui/tolvane-gui-measure.exe [RUNS]
// (the appends take minutes under Wine, see the README).
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "app/logpane.h"
#include "win32/shell.h"
#include "runtime/runtime.h"
#include "tests/gui/driver/driver.h"
#include "tests/gui/support/exitcode.h"
#include "tests/gui/support/tempfiles.h"
#include "tools/plcsim/plcsim.h"

namespace {

using gui::Program;
using gui::ProgramSet;

double Now() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return static_cast<double>(t.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

double CpuMs(HANDLE process) {
  FILETIME created, exited, kernel, user;
  if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) return -1;
  auto ms = [](FILETIME t) { return (static_cast<double>(t.dwHighDateTime) * 4294967296.0 + t.dwLowDateTime) / 1e4; };
  return ms(kernel) + ms(user);
}

void Size() {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (GetFileAttributesExW(gui::BesideThisProgram(L"tolvane.exe").c_str(), GetFileExInfoStandard, &data)) {
    std::printf("tolvane.exe size: %lu bytes (%.0f KB)\n", data.nFileSizeLow, data.nFileSizeLow / 1024.0);
  }
}

// From CreateProcess to the first time tolvane.exe's message loop waits for
// input: the window is shown and the command-line file loaded by then.
void StartUp(const std::wstring& vat, int runs) {
  std::vector<double> gui, cli;
  const std::wstring cliPath = gui::BesideThisProgram(L"..\\..\\cli\\tolvane-cli.exe");
  for (int i = 0; i < runs; ++i) {
    ProgramSet programs;
    std::wstring error;
    double t0 = Now();
    const Program* program = programs.Start(gui::BesideThisProgram(L"tolvane.exe"), {.args = {vat}}, &error);
    if (!program || WaitForInputIdle(program->process, 20000) != 0) {
      std::printf("tolvane.exe did not start: %s\n", gui::Utf8(error).c_str());
      return;
    }
    gui.push_back(Now() - t0);
    HWND main = gui::WaitForWindow(program->id, L"TOLVANE", nullptr);
    const std::wstring log = gui::WindowText(GetDlgItem(main, 150));
    if (log.find(L"S7_Connection_Init : OK.") == std::wstring::npos) std::printf("load failed: %s\n", gui::Utf8(log).c_str());
    gui::PostCommand(main, 502);
    gui::WaitForExit(*program, 10000);

    t0 = Now();
    program = programs.Start(cliPath, {.args = {L"--vat", vat, L"disconnect"}}, &error);
    const auto code = program ? gui::WaitForExit(*program, 20000) : std::nullopt;
    if (!code || *code != 0) {
      std::printf("tolvane-cli failed: %s %ld\n", gui::Utf8(error).c_str(), code ? static_cast<long>(*code) : -1L);
      return;
    }
    cli.push_back(Now() - t0);
  }
  std::printf("start to window shown and file loaded: tolvane.exe median %.1f ms (min %.1f, max %.1f), "
              "tolvane-cli load median %.1f ms (min %.1f, max %.1f), %d runs each\n",
              Median(gui), *std::min_element(gui.begin(), gui.end()), *std::max_element(gui.begin(), gui.end()),
              Median(cli), *std::min_element(cli.begin(), cli.end()), *std::max_element(cli.begin(), cli.end()), runs);
}

void Idle() {
  ProgramSet programs;
  std::wstring error;
  const Program* program = programs.Start(gui::BesideThisProgram(L"tolvane.exe"), {}, &error);
  if (!program || WaitForInputIdle(program->process, 20000) != 0) return;
  Sleep(1000);
  const double before = CpuMs(program->process);
  Sleep(10000);
  const double used = CpuMs(program->process) - before;
  std::printf("idle tolvane.exe over 10 s: %.1f ms of processor time (%.3f %%)\n", used, used / 100.0);
}

// Appends entries in blocks of 1000 and prints the cost of each block.
void AppendBlocks(Shell* shell, int entries) {
  const char entry[] = "Pr\xE9sg\xE9p \xFB - S7_GetCpuState : OK.\r\n\tCPU : Run\r\n";
  for (int block = 0; block < entries / 1000; ++block) {
    const double t0 = Now();
    for (int i = 0; i < 1000; ++i) {
      LogWrite(shell->log, entry, 0, LogOwnership::CallerKeeps);
      UpdateWindow(shell->edit);  // drawn as the message loop would draw it
    }
    const double ms = Now() - t0;
    std::printf("  entries %5d-%5d: %8.1f us per entry, log %d lines\n", block * 1000 + 1, block * 1000 + 1000, ms,
                static_cast<int>(SendMessageW(shell->edit, EM_GETLINECOUNT, 0, 0)));
    std::fflush(stdout);
  }
}

// In this process: the real main window and its log pane, shown, then
// minimised (where the log neither draws nor scrolls).
void Appends(int entries) {
  if (Shell_CreateMainWindow(L"") != 0) {
    std::printf("cannot make the main window\n");
    return;
  }
  Shell* shell = TheShell();
  std::printf("appending %d entries (2 lines each) to the shown log Edit control:\n", entries);
  AppendBlocks(shell, entries);
  ShowWindow(shell->main, SW_MINIMIZE);
  std::printf("and %d more while the main window is minimised:\n", entries);
  AppendBlocks(shell, entries);
  DestroyWindow(shell->main);
  Shell_Shutdown();
}

}  // namespace

int main(int argc, char** argv) {
  if (int rc = Rt_Init()) return gui::FinishWithExitCode(rc);
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
  plcsim::Simulator sim;
  if (!sim.Start(plcsim::Config{})) return gui::FinishWithExitCode(1);
  gui::TempDir dir;
  gui::VatSpec spec;
  spec.name = "Press 1";
  spec.address = sim.AddressText();
  const std::wstring vat = dir.File(L"measure.vat");
  if (!gui::WriteCp1250(vat, gui::VatText(spec))) return gui::FinishWithExitCode(1);

  Size();
  StartUp(vat, runs);
  Idle();
  Appends(10000);
  sim.Stop();
  return gui::FinishWithExitCode(0);
}
