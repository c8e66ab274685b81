// Child-process plumbing for the command-line tests (POSIX: the tests run
// natively and start the Windows build through wine when asked to).
#include "tests/cli/cli_runner.h"

#include <cstdlib>
#include <poll.h>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

#ifndef TOLVANE_CLI_PATH
#error "TOLVANE_CLI_PATH must name the tolvane-cli program"
#endif

namespace {

std::vector<std::string> Program() {
  std::vector<std::string> words;
  const char* over = std::getenv("TOLVANE_CLI");
  std::istringstream in(over && *over ? over : TOLVANE_CLI_PATH);
  std::string w;
  while (in >> w) words.push_back(w);
  return words;
}

std::string Fold(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i)
    if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) out += text[i];
  return out;
}

}  // namespace

bool CliIsWindows() {
  const char* over = std::getenv("TOLVANE_CLI");
  return over && std::string(over).find(".exe") != std::string::npos;
}

CliProcess StartCli(const std::vector<std::string>& args, bool withAccessPoint) {
  std::vector<std::string> argv = Program();
  argv.insert(argv.end(), args.begin(), args.end());
  int out[2], err[2];
  CliProcess p;
  if (pipe(out) != 0 || pipe(err) != 0) return p;
  pid_t pid = fork();
  if (pid == 0) {
    if (withAccessPoint) {
      const char* dir = std::getenv("TOLVANE_SCP_DIR");
      if (!dir || !*dir) dir = TOLVANE_NATIVE_SCP_DIR;
      setenv(CliIsWindows() ? "WINEPATH" : "LD_LIBRARY_PATH", dir, 1);
    }
    dup2(out[1], 1);
    dup2(err[1], 2);
    close(out[0]);
    close(err[0]);
    std::vector<char*> c;
    for (std::string& a : argv) c.push_back(a.data());
    c.push_back(nullptr);
    execvp(c[0], c.data());
    _exit(127);
  }
  close(out[1]);
  close(err[1]);
  p.pid = pid;
  p.outFd = out[0];
  p.errFd = err[0];
  return p;
}

// Reads until the program has ended and its pipes are drained. Not until the
// pipes close: under wine, helper processes that the first start spawns
// inherit them and outlive the program.
CliResult WaitCli(CliProcess p) {
  CliResult r;
  if (p.pid < 0) return r;
  pollfd fds[2] = {{p.outFd, POLLIN, 0}, {p.errFd, POLLIN, 0}};
  int status = 0;
  bool ended = false;
  for (int idle = 0; idle < 1200;) {  // a minute without output or end
    const int ready = poll(fds, 2, 50);
    bool got = false;
    for (pollfd& f : fds) {
      if (f.fd < 0 || !(f.revents & (POLLIN | POLLHUP))) continue;
      char buf[4096];
      ssize_t n = read(f.fd, buf, sizeof buf);
      if (n <= 0) {
        close(f.fd);
        f.fd = -1;
        continue;
      }
      got = true;
      (f.fd == p.outFd ? r.rawOut : r.err).append(buf, static_cast<std::size_t>(n));
    }
    if (got) continue;
    if (ended || (fds[0].fd < 0 && fds[1].fd < 0)) break;
    if (waitpid(p.pid, &status, WNOHANG) == p.pid) {
      ended = true;  // one more pass for what is still in the pipes
      continue;
    }
    if (ready == 0) ++idle;
  }
  if (!ended) waitpid(p.pid, &status, 0);
  for (const pollfd& f : fds)
    if (f.fd >= 0) close(f.fd);
  r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  r.out = Fold(r.rawOut);
  r.err = Fold(r.err);
  return r;
}

CliResult RunCli(const std::vector<std::string>& args) { return WaitCli(StartCli(args)); }

CliResult RunCliWithAccessPoint(const std::vector<std::string>& args) { return WaitCli(StartCli(args, true)); }
