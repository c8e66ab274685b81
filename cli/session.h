// One run of tolvane-cli: the application record, the log on standard
// output, the front end the shared command code asks, and the commands, each
// carried out as the main window's menu command does it.
#pragma once

#include <cstdio>
#include <string>

#include "app/appstate.h"
#include "app/frontend.h"
#include "app/logpane.h"
#include "app/monitor.h"
#include "cli/consoleview.h"
#include "cli/options.h"

// The command line answers what a dialog would ask: a file's PLC never
// replaces the one the options named, and there is no read window (read,
// write and monitor print the values themselves) and no menu.
class CliFrontEnd : public FrontEnd {
 public:
  bool ChoosePlc(const PlcChoice&, PlcPick* pick) override {
    *pick = PlcPick::Current;
    return true;
  }
  void OpenReadWindow(ReadStart) override {}
  void UpdateMenu(MenuState, MenuState, SaveItem) override {}
  void UpdateStatusText() override {}
};

// An IPv4 address for TCP (network byte order), a station 0-127 otherwise.
bool ParseAddress(int kind, const std::string& text, std::uint32_t* address);

class CliSession {
 public:
  CliSession(const CliOptions& options, std::FILE* out);
  ~CliSession();

  // Checks what can be checked before anything is sent: definitions, typed
  // values, the clock text. False with a one-line reason.
  bool Validate(std::string* why);
  // Opens interface and connection (or loads --vat), runs the commands and
  // closes the interface. Returns the exit status.
  int Run();

  // Stops a running monitor (Ctrl+C).
  static void Interrupt();

 private:
  void Open();
  // The options name another PLC than the file's: the file completes them.
  void TakeFilePlc();
  void RunCommand(const CliCommand& command);
  // Records the result of a library operation that has just been logged.
  void Note(int result);
  void NoteFailure(int exitCode);
  // The value lines as the read window shows them after a read.
  void PrintAllLines();
  bool DefineTable(const std::vector<std::string>& definitions, bool withValues);
  void Monitor(const CliCommand& command);
  // The requests a monitor's read of the table takes, as a line.
  void PrintRequests(const MonitorRun& run);
  void Diagnostics(const CliCommand& command);
  void List(const CliCommand& command);

  CliOptions options_;
  ConsoleView view_;
  LogPane* pane_ = nullptr;
  CliFrontEnd frontEnd_;
  AppState* app_;
  MonitorLines lines_{};
  int exitCode_ = 0;
};
