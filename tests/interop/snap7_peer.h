// Runs the Snap7 server (tests/interop/snap7_server.js) as a child process on
// a loopback address of its own and talks to it line by line.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class Snap7Peer {
 public:
  Snap7Peer() = default;
  ~Snap7Peer();
  Snap7Peer(const Snap7Peer&) = delete;
  Snap7Peer& operator=(const Snap7Peer&) = delete;

  // Starts the server on a free 127.x.y.z, granting at most pduSize bytes
  // (0: the server's default); false (with a reason) if it cannot, e.g. when
  // scripts/setup.sh has not installed it. TOLVANE_SNAP7_DIR names another
  // directory holding snap7_server.js and its node_modules.
  bool Start(std::string* why, int pduSize = 0);
  void Stop();

  std::uint32_t Address() const { return address_; }
  std::string AddressText() const { return address_text_; }

  // One command; returns the answer without its "ok " prefix, or "error ...".
  std::string Command(const std::string& line);
  std::vector<std::uint8_t> Area(int area, int index);
  void SetArea(int area, int index, const std::vector<std::uint8_t>& bytes);

 private:
  bool ReadLine(std::string* line, int timeoutMs);
  int End();  // stops the server; its wait status
  int pid_ = -1;
  int to_child_ = -1;
  int from_child_ = -1;
  std::string pending_;
  std::uint32_t address_ = 0;
  std::string address_text_;
};
