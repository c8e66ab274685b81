// Starting the programs a GUI test drives, waiting for them to end, and
// ending them. Every program started through a ProgramSet is ended by it,
// through the handle of that very process, whatever became of the test.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace gui {

struct StartOptions {
  std::vector<std::wstring> args;  // quoted as the C runtime splits them
  std::vector<std::wstring> env;   // "NAME=value", added to or replacing this process's variables
  std::wstring directory;          // empty: the program's own directory
};

struct Program {
  HANDLE process = nullptr;  // owned by the ProgramSet that started it
  DWORD id = 0;
  std::wstring path;
};

// The exit code once the program has ended within timeoutMs, else nothing.
// Blocks on the process handle; no polling.
std::optional<DWORD> WaitForExit(const Program& program, DWORD timeoutMs);
bool IsRunning(const Program& program);

// The full path of a program that the build puts beside the running one.
std::wstring BesideThisProgram(const std::wstring& fileName);

// The command line CreateProcessW gets for path and args.
std::wstring CommandLine(const std::wstring& path, const std::vector<std::wstring>& args);

inline constexpr DWORD kKilledExitCode = 0xDEAD;

class ProgramSet {
 public:
  ProgramSet() = default;
  ProgramSet(const ProgramSet&) = delete;
  ProgramSet& operator=(const ProgramSet&) = delete;
  ~ProgramSet();

  // Null, with the reason in *error, when the program cannot be started.
  const Program* Start(const std::wstring& path, const StartOptions& options, std::wstring* error);

  // The dialogs and message boxes still open in any started program, one
  // description each (see DescribeDialog); then every started program that
  // still runs is ended. A test that leaves one open has failed.
  std::vector<std::wstring> EndAll();
  // Ends every started program that still runs, with kKilledExitCode.
  void KillAll();

  const std::vector<std::unique_ptr<Program>>& Programs() const { return programs_; }

 private:
  std::vector<std::unique_ptr<Program>> programs_;
};

}  // namespace gui
