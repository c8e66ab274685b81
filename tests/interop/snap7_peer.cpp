// Child-process plumbing for the Snap7 peer (POSIX only: the interop tier
// runs natively).
#include "tests/interop/snap7_peer.h"

#include <arpa/inet.h>
#include <csignal>
#include <cstdio>
#include <poll.h>
#include <random>
#include <sys/wait.h>
#include <unistd.h>

#ifndef TOLVANE_SOURCE_DIR
#error "TOLVANE_SOURCE_DIR must name the source tree"
#endif

Snap7Peer::~Snap7Peer() { Stop(); }

bool Snap7Peer::Start(std::string* why, int pduSize) {
  std::random_device seed;
  std::mt19937 rng(seed());
  for (int attempt = 0; attempt < 8; ++attempt) {
    char text[32];
    std::snprintf(text, sizeof text, "127.%u.%u.%u", 16 + static_cast<unsigned>(rng() % 230),
                  static_cast<unsigned>(rng() % 256), 1 + static_cast<unsigned>(rng() % 254));
    int in[2], out[2];
    if (pipe(in) != 0 || pipe(out) != 0) {
      *why = "pipe failed";
      return false;
    }
    pid_t pid = fork();
    if (pid == 0) {
      dup2(in[0], 0);
      dup2(out[1], 1);
      close(in[1]);
      close(out[0]);
      const std::string script = std::string(TOLVANE_SOURCE_DIR) + "/tests/interop/snap7_server.js";
      const std::string pdu = std::to_string(pduSize);
      execlp("node", "node", script.c_str(), text, pduSize ? pdu.c_str() : nullptr,
             static_cast<char*>(nullptr));
      _exit(127);
    }
    close(in[0]);
    close(out[1]);
    pid_ = pid;
    to_child_ = in[1];
    from_child_ = out[0];
    std::string line;
    if (ReadLine(&line, 15000) && line == "ready") {
      address_text_ = text;
      address_ = inet_addr(text);
      return true;
    }
    *why = "the Snap7 server did not start: " + line;
    Stop();
  }
  return false;
}

void Snap7Peer::Stop() {
  if (pid_ < 0) return;
  if (to_child_ >= 0) {
    const char quit[] = "quit\n";
    (void)!write(to_child_, quit, sizeof quit - 1);
    close(to_child_);
  }
  int status = 0;
  for (int i = 0; i < 300 && waitpid(pid_, &status, WNOHANG) == 0; ++i) usleep(10000);
  if (waitpid(pid_, &status, WNOHANG) == 0) {
    kill(pid_, SIGKILL);
    waitpid(pid_, &status, 0);
  }
  if (from_child_ >= 0) close(from_child_);
  pid_ = to_child_ = from_child_ = -1;
  pending_.clear();
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
  if (write(to_child_, text.data(), text.size()) != static_cast<ssize_t>(text.size())) return "error write";
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
