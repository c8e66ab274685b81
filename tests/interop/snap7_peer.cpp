// Child-process plumbing for the Snap7 peer (POSIX only: the interop tier
// runs natively).
#include "tests/interop/snap7_peer.h"

#include <arpa/inet.h>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <random>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#ifndef TOLVANE_SOURCE_DIR
#error "TOLVANE_SOURCE_DIR must name the source tree"
#endif

namespace {

// Where the peer lives: the script and the node_modules that npm fills. A
// test points it elsewhere to see how a missing peer is reported.
std::string PeerDir() {
  const char* over = std::getenv("TOLVANE_SNAP7_DIR");
  return over && *over ? over : std::string(TOLVANE_SOURCE_DIR) + "/tests/interop";
}

// The native addon that npm builds; without it the server cannot start.
std::string AddonPath(const std::string& dir) {
  return dir + "/node_modules/node-snap7/build/Release/node_snap7.node";
}

std::string EndText(int status) {
  if (WIFEXITED(status) && WEXITSTATUS(status) == 127)
    return "node could not be run (scripts/setup.sh installs Node.js)";
  if (WIFEXITED(status)) return "exit code " + std::to_string(WEXITSTATUS(status));
  if (WIFSIGNALED(status)) return "signal " + std::to_string(WTERMSIG(status));
  return "status " + std::to_string(status);
}

}  // namespace

Snap7Peer::~Snap7Peer() { Stop(); }

bool Snap7Peer::Start(std::string* why, int pduSize) {
  Stop();
  const std::string dir = PeerDir();
  if (access(AddonPath(dir).c_str(), R_OK) != 0) {
    *why = "the Snap7 test peer is not installed (" + AddonPath(dir) +
           " is missing): run scripts/setup.sh, which installs it with npm in tests/interop";
    return false;
  }
  const std::string script = dir + "/snap7_server.js";
  const std::string pdu = std::to_string(pduSize);
  std::random_device seed;
  std::mt19937 rng(seed());
  for (int attempt = 0; attempt < 8; ++attempt) {
    char text[32];
    std::snprintf(text, sizeof text, "127.%u.%u.%u", 16 + static_cast<unsigned>(rng() % 230),
                  static_cast<unsigned>(rng() % 256), 1 + static_cast<unsigned>(rng() % 254));
    // Commands go through a socket, whose send can be told not to raise
    // SIGPIPE when the server has died; nothing leaks into other children.
    int in[2], out[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, in) != 0) {
      *why = "socketpair failed";
      return false;
    }
    if (pipe2(out, O_CLOEXEC) != 0) {
      close(in[0]);
      close(in[1]);
      *why = "pipe failed";
      return false;
    }
    pid_t pid = fork();
    if (pid == 0) {
      dup2(in[0], 0);
      dup2(out[1], 1);
      execlp("node", "node", script.c_str(), text, pduSize ? pdu.c_str() : nullptr,
             static_cast<char*>(nullptr));
      _exit(127);
    }
    close(in[0]);
    close(out[1]);
    if (pid < 0) {
      close(in[1]);
      close(out[0]);
      *why = "fork failed";
      return false;
    }
    pid_ = pid;
    to_child_ = in[1];
    from_child_ = out[0];
    std::string line;
    const bool answered = ReadLine(&line, 15000);
    if (answered && line == "ready") {
      address_text_ = text;
      address_ = inet_addr(text);
      return true;
    }
    const int status = End();
    // Only a refused address is worth another try.
    if (answered && line.rfind("error", 0) == 0) {
      *why = std::string("the Snap7 server could not listen on ") + text + ": " + line;
      continue;
    }
    *why = answered ? "the Snap7 server did not start: " + line
                    : "the Snap7 server (" + script + ") ended before it was ready: " + EndText(status);
    return false;
  }
  return false;
}

void Snap7Peer::Stop() { End(); }

int Snap7Peer::End() {
  if (pid_ < 0) return 0;
  if (to_child_ >= 0) {
    const char quit[] = "quit\n";
    (void)!send(to_child_, quit, sizeof quit - 1, MSG_NOSIGNAL);
    close(to_child_);
  }
  int status = 0;
  pid_t ended = 0;
  for (int i = 0; i < 300 && (ended = waitpid(pid_, &status, WNOHANG)) == 0; ++i) usleep(10000);
  if (ended == 0) {
    kill(pid_, SIGKILL);
    waitpid(pid_, &status, 0);
  }
  if (from_child_ >= 0) close(from_child_);
  pid_ = to_child_ = from_child_ = -1;
  pending_.clear();
  return status;
}

bool Snap7Peer::ReadLine(std::string* line, int timeoutMs) {
  for (;;) {
    std::size_t nl = pending_.find('\n');
    if (nl != std::string::npos) {
      *line = pending_.substr(0, nl);
      pending_.erase(0, nl + 1);
      return true;
    }
    pollfd p{from_child_, POLLIN, 0};
    if (poll(&p, 1, timeoutMs) <= 0) return false;
    char buf[4096];
    ssize_t n = read(from_child_, buf, sizeof buf);
    if (n <= 0) return false;
    pending_.append(buf, static_cast<std::size_t>(n));
  }
}

std::string Snap7Peer::Command(const std::string& line) {
  std::string text = line + "\n";
  if (to_child_ < 0) return "error not running";
  if (send(to_child_, text.data(), text.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(text.size()))
    return "error write";
  std::string answer;
  if (!ReadLine(&answer, 10000)) return "error no answer";
  if (answer.rfind("ok", 0) == 0) return answer.size() > 3 ? answer.substr(3) : "";
  return answer;
}

std::vector<std::uint8_t> Snap7Peer::Area(int area, int index) {
  std::string hex = Command("get " + std::to_string(area) + " " + std::to_string(index));
  std::vector<std::uint8_t> bytes;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
    bytes.push_back(static_cast<std::uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
  return bytes;
}

void Snap7Peer::SetArea(int area, int index, const std::vector<std::uint8_t>& bytes) {
  static const char* digits = "0123456789abcdef";
  std::string hex;
  for (std::uint8_t b : bytes) {
    hex += digits[b >> 4];
    hex += digits[b & 15];
  }
  Command("set " + std::to_string(area) + " " + std::to_string(index) + " " + hex);
}
