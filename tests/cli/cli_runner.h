// Runs tolvane-cli as a user would, as a separate process, and captures what
// it prints and its exit status. The program is this build's native one, or
// whatever TOLVANE_CLI names (for example "wine /path/tolvane-cli.exe").
#pragma once

#include <string>
#include <vector>

struct CliResult {
  int status = -1;
  std::string out;  // standard output, line ends as LF (CR LF folded)
  std::string rawOut;
  std::string err;
};

CliResult RunCli(const std::vector<std::string>& args);

// Runs it where the stand-in MPI/PROFIBUS access point is found (the scp/
// directory of the build under test: TOLVANE_SCP_DIR, or this build's).
CliResult RunCliWithAccessPoint(const std::vector<std::string>& args);

// Starts the program and returns at once; Wait collects it.
struct CliProcess {
  int pid = -1;
  int outFd = -1, errFd = -1;
};
CliProcess StartCli(const std::vector<std::string>& args, bool withAccessPoint = false);
CliResult WaitCli(CliProcess process);

// Whether the program under test is the Windows build under Wine.
bool CliIsWindows();
