// A recording relay between the library and a PLC (the simulator or the
// Snap7 server): what crosses it is written as a pcap file that tshark
// dissects, so a test can hold the wire to Wireshark's reading of it without
// the privileges a live capture needs. POSIX only, as the interop tier.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class WireTap {
 public:
  WireTap() = default;
  ~WireTap();
  WireTap(const WireTap&) = delete;
  WireTap& operator=(const WireTap&) = delete;

  // Listens on a free 127.x.y.z:102 and relays one connection at a time to
  // target:102 (network byte order); false if it cannot listen.
  bool Start(std::uint32_t target);
  void Stop();
  std::uint32_t Address() const { return address_; }

  // Writes what crossed so far as TCP segments between the two addresses,
  // after a handshake, with sequence numbers that let Wireshark reassemble.
  bool WritePcap(const std::string& path) const;

 private:
  struct Segment {
    bool fromClient;
    std::vector<std::uint8_t> bytes;
  };
  void Relay();

  int listener_ = -1;
  std::uint32_t address_ = 0;
  std::uint32_t target_ = 0;
  std::atomic<bool> stop_{false};
  std::thread thread_;
  mutable std::mutex mutex_;
  std::vector<Segment> segments_;
};

// Runs tshark over a pcap file. Returns false with a reason when tshark is
// missing or fails; *out gets its standard output.
bool RunTshark(const std::vector<std::string>& args, std::string* out, std::string* why);
