// Socket-pair plumbing shared by the fuzz targets.
#include "tests/fuzz/fuzz_connection.h"

#include <cstdlib>
#include <sys/socket.h>
#include <unistd.h>

#include "runtime/runtime.h"

namespace {
S7Interface* g_iface = nullptr;
}

FuzzConnection* FuzzSetup() {
  static FuzzConnection fc{};
  if (fc.conn) return &fc;
  if (Rt_Init() != 0) std::abort();
  // The wire trace runs too, so that its hooks see every byte made up here.
  if (S7_Trace_Start("/dev/null", {}) != 0) std::abort();
  g_iface = S7_Interface_Init(S7_KIND_TCP);
  auto* conn = static_cast<S7Connection*>(Rt_Alloc(kRtZero, sizeof(S7Connection)));
  conn->id = ++g_iface->lastConnectionId;
  conn->iface = g_iface;
  conn->tag = kConnectionTag;
  conn->timeoutMs = 1000;
  g_iface->connections = conn;
  if (!IsoTcp_AllocateBuffer(conn)) std::abort();
  fc.conn = conn;
  fc.far = -1;
  return &fc;
}

void FuzzFeed(FuzzConnection* fc, const std::uint8_t* data, std::size_t size) {
  int pair[2];
  if (socketpair(AF_UNIX, SOCK_STREAM, 0, pair) != 0) std::abort();
  int big = 1 << 20;
  setsockopt(pair[0], SOL_SOCKET, SO_RCVBUF, &big, sizeof big);
  setsockopt(pair[1], SOL_SOCKET, SO_SNDBUF, &big, sizeof big);
  std::size_t sent = 0;
  while (sent < size) {
    ssize_t n = write(pair[1], data + sent, size - sent);
    if (n <= 0) std::abort();  // inputs are capped well below the socket buffer
    sent += static_cast<std::size_t>(n);
  }
  shutdown(pair[1], SHUT_WR);
  fc->far = pair[1];
  S7Connection* conn = fc->conn;
  conn->sock.socket = pair[0];
  conn->connected = 1;
  conn->pduReference = 0;
  conn->pduSize = 512;
  conn->jobOpen = 0;
}

void FuzzReset(FuzzConnection* fc) {
  close(static_cast<int>(fc->conn->sock.socket));
  close(fc->far);
  fc->conn->sock.socket = kNoSocket;
  fc->far = -1;
}
