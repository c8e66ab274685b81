// The recording relay and the pcap file it writes: Ethernet, IPv4 and TCP
// headers made up around the recorded bytes, checksums included, so that
// Wireshark's TCP analysis finds nothing to complain about but the payload.
#include "tests/interop/wire_tap.h"

#include <arpa/inet.h>
#include <cstdio>
#include <cstring>
#include <netinet/in.h>
#include <poll.h>
#include <random>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr std::uint16_t kIsoPort = 102;
constexpr std::uint16_t kClientPort = 49152;

void Put16(std::vector<std::uint8_t>* b, std::uint32_t v) {
  b->push_back(static_cast<std::uint8_t>(v >> 8));
  b->push_back(static_cast<std::uint8_t>(v));
}

void Put32(std::vector<std::uint8_t>* b, std::uint32_t v) {
  Put16(b, v >> 16);
  Put16(b, v);
}

void PutLe32(std::vector<std::uint8_t>* b, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b->push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

std::uint32_t Sum(const std::uint8_t* p, std::size_t n, std::uint32_t sum = 0) {
  for (std::size_t i = 0; i + 1 < n; i += 2) sum += static_cast<std::uint32_t>((p[i] << 8) | p[i + 1]);
  if (n & 1) sum += static_cast<std::uint32_t>(p[n - 1] << 8);
  return sum;
}

std::uint16_t Fold(std::uint32_t sum) {
  while (sum >> 16) sum = (sum & 0xFFFF) + (sum >> 16);
  return static_cast<std::uint16_t>(~sum);
}

struct Endpoint {
  std::uint32_t address;  // network byte order
  std::uint16_t port;
  std::uint32_t seq;
};

// One Ethernet frame carrying a TCP segment from `from` to `to`.
std::vector<std::uint8_t> Frame(Endpoint* from, const Endpoint& to, std::uint8_t flags,
                                const std::vector<std::uint8_t>& payload) {
  std::vector<std::uint8_t> tcp;
  Put16(&tcp, from->port);
  Put16(&tcp, to.port);
  Put32(&tcp, from->seq);
  Put32(&tcp, (flags & 0x10) ? to.seq : 0);
  tcp.push_back(0x50);
  tcp.push_back(flags);
  Put16(&tcp, 0xFFFF);
  Put16(&tcp, 0);  // checksum, below
  Put16(&tcp, 0);
  tcp.insert(tcp.end(), payload.begin(), payload.end());
  std::uint8_t pseudo[12];
  std::memcpy(pseudo, &from->address, 4);
  std::memcpy(pseudo + 4, &to.address, 4);
  pseudo[8] = 0;
  pseudo[9] = 6;
  pseudo[10] = static_cast<std::uint8_t>(tcp.size() >> 8);
  pseudo[11] = static_cast<std::uint8_t>(tcp.size());
  const std::uint16_t tcpSum = Fold(Sum(tcp.data(), tcp.size(), Sum(pseudo, sizeof pseudo)));
  tcp[16] = static_cast<std::uint8_t>(tcpSum >> 8);
  tcp[17] = static_cast<std::uint8_t>(tcpSum);
  from->seq += static_cast<std::uint32_t>(payload.size()) + ((flags & 0x03) ? 1 : 0);  // SYN and FIN count one

  std::vector<std::uint8_t> ip = {0x45, 0x00};
  Put16(&ip, static_cast<std::uint32_t>(20 + tcp.size()));
  ip.insert(ip.end(), {0x00, 0x00, 0x40, 0x00, 0x40, 0x06, 0x00, 0x00});
  const auto* src = reinterpret_cast<const std::uint8_t*>(&from->address);
  const auto* dst = reinterpret_cast<const std::uint8_t*>(&to.address);
  ip.insert(ip.end(), src, src + 4);
  ip.insert(ip.end(), dst, dst + 4);
  const std::uint16_t ipSum = Fold(Sum(ip.data(), ip.size()));
  ip[10] = static_cast<std::uint8_t>(ipSum >> 8);
  ip[11] = static_cast<std::uint8_t>(ipSum);

  std::vector<std::uint8_t> frame = {0x02, 0, 0, 0, 0, 0x02, 0x02, 0, 0, 0, 0, 0x01, 0x08, 0x00};
  if (from->port == kIsoPort) std::swap_ranges(frame.begin(), frame.begin() + 6, frame.begin() + 6);
  frame.insert(frame.end(), ip.begin(), ip.end());
  frame.insert(frame.end(), tcp.begin(), tcp.end());
  return frame;
}

void Record(std::vector<std::uint8_t>* file, const std::vector<std::uint8_t>& frame, std::uint32_t index) {
  PutLe32(file, 1700000000 + index / 1000);
  PutLe32(file, (index % 1000) * 1000);
  PutLe32(file, static_cast<std::uint32_t>(frame.size()));
  PutLe32(file, static_cast<std::uint32_t>(frame.size()));
  file->insert(file->end(), frame.begin(), frame.end());
}

}  // namespace

WireTap::~WireTap() { Stop(); }

bool WireTap::Start(std::uint32_t target) {
  Stop();
  target_ = target;
  std::random_device seed;
  std::mt19937 rng(seed());
  for (int attempt = 0; attempt < 32 && listener_ < 0; ++attempt) {
    const std::uint8_t b[4] = {127, static_cast<std::uint8_t>(16 + rng() % 230), static_cast<std::uint8_t>(rng()),
                               static_cast<std::uint8_t>(1 + rng() % 254)};
    std::memcpy(&address_, b, 4);
    const int s = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in at{};
    at.sin_family = AF_INET;
    at.sin_port = htons(kIsoPort);
    at.sin_addr.s_addr = address_;
    if (bind(s, reinterpret_cast<sockaddr*>(&at), sizeof at) == 0 && listen(s, 4) == 0) {
      listener_ = s;
    } else {
      close(s);
    }
  }
  if (listener_ < 0) return false;
  stop_ = false;
  thread_ = std::thread([this] { Relay(); });
  return true;
}

void WireTap::Stop() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
  if (listener_ >= 0) close(listener_);
  listener_ = -1;
}

void WireTap::Relay() {
  while (!stop_) {
    pollfd wait = {listener_, POLLIN, 0};
    if (poll(&wait, 1, 50) != 1) continue;
    const int client = accept(listener_, nullptr, nullptr);
    if (client < 0) continue;
    const int server = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(kIsoPort);
    to.sin_addr.s_addr = target_;
    bool open = connect(server, reinterpret_cast<sockaddr*>(&to), sizeof to) == 0;
    while (open && !stop_) {
      pollfd both[2] = {{client, POLLIN, 0}, {server, POLLIN, 0}};
      if (poll(both, 2, 50) <= 0) continue;
      for (int side = 0; side < 2 && open; ++side) {
        if (!(both[side].revents & (POLLIN | POLLHUP | POLLERR))) continue;
        std::uint8_t buffer[4096];
        const ssize_t n = recv(both[side].fd, buffer, sizeof buffer, 0);
        if (n <= 0) {
          open = false;
          break;
        }
        {
          std::lock_guard lock(mutex_);
          segments_.push_back({side == 0, std::vector<std::uint8_t>(buffer, buffer + n)});
        }
        open = send(both[1 - side].fd, buffer, static_cast<std::size_t>(n), MSG_NOSIGNAL) == n;
      }
    }
    close(server);
    close(client);
  }
}

bool WireTap::WritePcap(const std::string& path) const {
  std::vector<std::uint8_t> file;
  PutLe32(&file, 0xA1B2C3D4);
  file.insert(file.end(), {0x02, 0x00, 0x04, 0x00});  // version 2.4
  PutLe32(&file, 0);
  PutLe32(&file, 0);
  PutLe32(&file, 65535);
  PutLe32(&file, 1);  // Ethernet
  const std::uint8_t clientAddress[4] = {127, 0, 0, 1};
  Endpoint client{0, kClientPort, 1000};
  std::memcpy(&client.address, clientAddress, 4);
  Endpoint plc{address_, kIsoPort, 5000};
  std::uint32_t index = 0;
  Record(&file, Frame(&client, plc, 0x02, {}), index++);  // SYN
  Record(&file, Frame(&plc, client, 0x12, {}), index++);  // SYN, ACK
  Record(&file, Frame(&client, plc, 0x10, {}), index++);  // ACK
  {
    std::lock_guard lock(mutex_);
    for (const Segment& s : segments_) {
      if (s.fromClient) Record(&file, Frame(&client, plc, 0x18, s.bytes), index++);
      else Record(&file, Frame(&plc, client, 0x18, s.bytes), index++);
    }
  }
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const bool ok = std::fwrite(file.data(), 1, file.size(), f) == file.size();
  return std::fclose(f) == 0 && ok;
}

bool RunTshark(const std::vector<std::string>& args, std::string* out, std::string* why) {
  int pipeFds[2];
  if (pipe(pipeFds) != 0) return *why = "pipe failed", false;
  // Its complaints go to a file of their own, read only when it fails
  // (as root it always warns about running as root).
  char errPath[] = "/tmp/tolvane-tshark-XXXXXX";
  const int errFd = mkstemp(errPath);
  if (errFd < 0) return *why = "mkstemp failed", false;
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(pipeFds[1], 1);
    dup2(errFd, 2);
    close(pipeFds[0]);
    std::vector<char*> argv = {const_cast<char*>("tshark")};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execvp("tshark", argv.data());
    _exit(127);
  }
  close(pipeFds[1]);
  out->clear();
  char buffer[4096];
  ssize_t n;
  while ((n = read(pipeFds[0], buffer, sizeof buffer)) > 0) out->append(buffer, static_cast<std::size_t>(n));
  close(pipeFds[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  std::string err;
  lseek(errFd, 0, SEEK_SET);
  while ((n = read(errFd, buffer, sizeof buffer)) > 0) err.append(buffer, static_cast<std::size_t>(n));
  close(errFd);
  unlink(errPath);
  if (WIFEXITED(status) && WEXITSTATUS(status) == 127)
    return *why = "tshark could not be run (scripts/setup.sh installs it)", false;
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
    return *why = "tshark failed with status " + std::to_string(status) + ": " + err, false;
  return true;
}
