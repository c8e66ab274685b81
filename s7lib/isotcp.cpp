// ISO-on-TCP (RFC 1006): the socket, the connection request and confirm, and
// S7 PDUs carried in data TPDUs, reassembled when a reply spans frames.
//
// Replies are read into a staging area behind the two frames and cut into
// frames by their own TPKT lengths, so a frame that TCP delivers in pieces is
// simply waited for, and two frames that arrive together are both used. The
// waits block on the socket for what is left of the time-out.
#include <cstring>

#include "runtime/runtime.h"
#include "s7lib/s7internal.h"

namespace {

constexpr std::uint8_t kTpduCR = 0xE0;
constexpr std::uint8_t kTpduCC = 0xD0;
constexpr std::uint8_t kTpduDR = 0x80;
constexpr std::uint8_t kTpduDT = 0xF0;
constexpr std::uint16_t kIsoTcpPort = 102;
constexpr int kConnectTimeoutMs = 2000;
constexpr int kSendAttempts = 3;
// Replies whose PDU reference belongs to an earlier, timed-out request are
// skipped; a peer that sends nothing else is cut off after this many.
constexpr int kMaxStaleReplies = 16;

// The staging area: [send frame][receive frame][staging header][staging].
constexpr int kStagingCapacity = 2 * kIsoFrameSize;

struct Staging {
  std::int32_t start;
  std::int32_t end;
  std::uint8_t data[kStagingCapacity];
};

constexpr std::size_t kStagingOffset = (2 * kIsoFrameSize + alignof(Staging) - 1) & ~(alignof(Staging) - 1);
constexpr std::size_t kTransferSize = kStagingOffset + sizeof(Staging);

std::uint8_t* SendFrame(S7Connection* conn) { return conn->transferBuffer; }

Staging* StagingOf(S7Connection* conn) {
  return reinterpret_cast<Staging*>(conn->transferBuffer + kStagingOffset);
}

std::uint16_t HostToNet16(std::uint16_t v) {
  std::uint8_t b[2] = {static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v)};
  std::uint16_t n;
  std::memcpy(&n, b, 2);
  return n;
}

// Throws away whatever is queued: leftovers of a reply that came too late or
// of a frame that was refused must not be read as the next answer.
void DropQueued(S7Connection* conn) {
  Staging* st = StagingOf(conn);
  st->start = st->end = 0;
  std::uint32_t available = 0;
  while (Plat_SockAvailable(conn->sock.socket, &available) == 0 && available > 0) {
    int want = available < kStagingCapacity ? static_cast<int>(available) : kStagingCapacity;
    const int n = Plat_SockRecv(conn->sock.socket, st->data, want);
    if (n <= 0) break;
    if (S7Trace_On()) S7Trace_TcpBytes(conn, TraceSide::Plc, st->data, n);
  }
}

// Makes at least `need` bytes available in the staging area, waiting at most
// until `timeoutMs` after `startTick`.
int Gather(S7Connection* conn, int need, std::uint32_t startTick, std::int32_t* ext) {
  Staging* st = StagingOf(conn);
  if (st->end - st->start >= need) return S7_OK;
  if (st->start > 0) {
    std::memmove(st->data, st->data + st->start, static_cast<std::size_t>(st->end - st->start));
    st->end -= st->start;
    st->start = 0;
  }
  while (st->end < need) {
    std::uint32_t spent = Plat_TickCount() - startTick;
    if (spent >= static_cast<std::uint32_t>(conn->timeoutMs)) return S7_ERR_TIMEOUT;
    int ready = Plat_SockWaitReadable(conn->sock.socket, conn->timeoutMs - static_cast<int>(spent));
    if (ready < 0) {
      *ext = Plat_SockError();
      return S7_ERR_SOCKET;
    }
    if (ready == 0) continue;
    int n = Plat_SockRecv(conn->sock.socket, st->data + st->end, kStagingCapacity - st->end);
    if (n == 0) {
      if (S7Trace_On()) S7Trace_TcpClosed(conn, TraceSide::Plc);
      *ext = kWsaEConnReset;  // the PLC closed the connection
      return S7_ERR_SOCKET;
    }
    if (n < 0) {
      int err = Plat_SockError();
      if (err == kWsaEWouldBlock || err == kWsaETimedOut || err == kWsaEIntr) continue;
      *ext = err;
      return S7_ERR_SOCKET;
    }
    if (S7Trace_On()) S7Trace_TcpBytes(conn, TraceSide::Plc, st->data + st->end, n);
    st->end += n;
  }
  return S7_OK;
}

// Receives one whole frame of the expected kind; on success `frame` points at
// it inside the staging area and the frame has been consumed from it.
int ReceiveFrame(S7Connection* conn, std::uint8_t expected, const std::uint8_t** frame,
                 std::int32_t* ext) {
  std::uint32_t startTick = Plat_TickCount();
  int rc = Gather(conn, 4, startTick, ext);
  if (rc != S7_OK) return rc;
  Staging* st = StagingOf(conn);
  const std::uint8_t* f = st->data + st->start;
  int length = GetBE16(f + 2);
  if (f[0] != 3 || f[1] != 0 || length < kIsoHeader || length > kIsoFrameSize) {
    DropQueued(conn);
    return S7_ERR_BAD_REPLY;
  }
  rc = Gather(conn, length, startTick, ext);
  if (rc != S7_OK) return rc;
  f = st->data + st->start;
  st->start += length;
  if (f[5] != expected) return S7_ERR_REFUSED;
  *frame = f;
  return S7_OK;
}

int SendFrameBytes(S7Connection* conn, std::int32_t* ext) {
  const std::uint8_t* frame = SendFrame(conn);
  int length = GetBE16(frame + 2);
  int sent = 0;
  int failures = 0;
  while (sent < length) {
    int n = Plat_SockSend(conn->sock.socket, frame + sent, length - sent);
    if (n <= 0) {
      *ext = Plat_SockError();
      if (++failures == kSendAttempts) return S7_ERR_SOCKET;
      continue;
    }
    if (S7Trace_On()) S7Trace_TcpBytes(conn, TraceSide::Client, frame + sent, n);
    sent += n;
  }
  *ext = 0;
  return S7_OK;
}

// The reply carries the request's PDU reference; a reply with another one
// answers an earlier request that timed out.
bool IsStale(S7Connection* conn, int gathered) {
  const std::uint8_t* request = conn->requestPdu;
  const std::uint8_t* reply = conn->replyPdu;
  return gathered >= 6 && request[0] == 0x32 && reply[0] == 0x32 &&
         (reply[4] != request[4] || reply[5] != request[5]);
}

int ReceiveDataReply(S7Connection* conn, std::int32_t* ext) {
  int gathered = 0;
  int stale = 0;
  for (;;) {
    const std::uint8_t* frame = nullptr;
    int rc = ReceiveFrame(conn, kTpduDT, &frame, ext);
    if (rc != S7_OK) return rc;
    int payload = GetBE16(frame + 2) - kIsoHeader;
    if (gathered + payload > kMaxPduSize) {
      DropQueued(conn);
      return S7_ERR_BAD_REPLY;
    }
    std::memcpy(conn->receiveFrame, frame, kIsoHeader);
    std::memcpy(conn->replyPdu + gathered, frame + kIsoHeader, static_cast<std::size_t>(payload));
    gathered += payload;
    if (!(frame[6] & 0x80)) continue;  // more frames of this PDU follow
    if (IsStale(conn, gathered) && ++stale <= kMaxStaleReplies) {
      gathered = 0;
      continue;
    }
    if (stale > kMaxStaleReplies) return S7_ERR_BAD_REPLY;
    conn->replyReceived = gathered;
    return S7_OK;
  }
}

}  // namespace

void IsoTcp_BuildConnectFrame(std::uint8_t* frame, S7Tsaps tsaps, std::uint8_t tpduCode) {
  static constexpr std::uint8_t kTemplate[22] = {0x03, 0x00, 0x00, 0x16, 0x11, 0xE0, 0x00, 0x00,
                                                 0x00, 0x01, 0x00, 0xC0, 0x01, 0x09, 0xC1, 0x02,
                                                 0x00, 0x00, 0xC2, 0x02, 0x00, 0x00};
  std::memcpy(frame, kTemplate, sizeof kTemplate);
  frame[5] = tpduCode;
  PutBE16(frame + 16, tsaps.local);
  PutBE16(frame + 20, tsaps.remote);
}

int IsoTcp_OpenSocket(S7Connection* conn, std::int32_t* ext) {
  SocketRecord& sock = conn->sock;
  sock = SocketRecord{};
  sock.socket = kNoSocket;
  *ext = 0;
  int wsa = 0;
  if (Plat_SockStartup(&wsa) != 0) {
    *ext = wsa;
    return S7_ERR_SOCKET;
  }
  sock.libraryStarted = 1;
  sock.socket = Plat_SockTcp();
  if (sock.socket == kNoSocket) {
    *ext = Plat_SockError();
    return S7_ERR_SOCKET;
  }
  // Kept for completeness only: nothing reads these, so a computer whose name
  // does not resolve to one of its interfaces (usual on Linux and under Wine)
  // still connects.
  if (Plat_LocalAddress(&sock.localAddress, &sock.netmask, &sock.interfaceBroadcast) == 0)
    sock.directedBroadcast = (sock.localAddress & sock.netmask) | ~sock.netmask;
  else
    sock.localAddress = sock.netmask = sock.interfaceBroadcast = 0;
  sock.port = HostToNet16(kIsoTcpPort);
  if (Plat_SockSetTimeouts(sock.socket, 50, 50) != 0) {
    *ext = Plat_SockError();
    return S7_ERR_SOCKET;
  }
  Plat_SockNoDelay(sock.socket);  // one request at a time: no reason to hold bytes back
  return S7_OK;
}

PlatConnect IsoTcp_ConnectSocket(PlatSocket s, std::uint32_t address, std::uint16_t port,
                                 int timeoutMs, std::int32_t* ext) {
  int wsa = 0;
  PlatConnect outcome = Plat_SockConnect(s, address, port, timeoutMs, &wsa);
  *ext = wsa;
  return outcome;
}

int IsoTcp_Receive(S7Connection* conn, std::uint8_t sentCode, std::int32_t* ext) {
  int rc;
  if (sentCode == kTpduCR) {
    const std::uint8_t* frame = nullptr;
    rc = ReceiveFrame(conn, kTpduCC, &frame, ext);
    if (rc == S7_OK) std::memcpy(conn->receiveFrame, frame, GetBE16(frame + 2));
  } else {
    rc = ReceiveDataReply(conn, ext);
  }
  if (rc == S7_OK) *ext = 0;
  return rc;
}

int IsoTcp_Exchange(S7Connection* conn, std::int32_t* ext) {
  std::memset(conn->receiveFrame, 0, 6);
  const std::uint8_t code = SendFrame(conn)[5];
  if (code == kTpduDT) DropQueued(conn);
  int rc = SendFrameBytes(conn, ext);
  if (rc != S7_OK || code == kTpduDR) return rc;
  return IsoTcp_Receive(conn, code, ext);
}

int IsoTcp_SendPdu(S7Connection* conn, std::int32_t* ext) {
  std::uint8_t* frame = SendFrame(conn);
  static constexpr std::uint8_t kHeader[kIsoHeader] = {0x03, 0x00, 0x00, 0x00, 0x02, kTpduDT, 0x80};
  std::memcpy(frame, kHeader, kIsoHeader);
  PutBE16(frame + 2, static_cast<std::uint32_t>(conn->requestTotal + kIsoHeader));
  conn->replyReceived = 0;
  return IsoTcp_Exchange(conn, ext);
}

bool IsoTcp_AllocateBuffer(S7Connection* conn) {
  conn->transferBuffer = static_cast<std::uint8_t*>(Rt_Alloc(0, kTransferSize));
  if (!conn->transferBuffer) return false;
  conn->receiveFrame = conn->transferBuffer + kIsoFrameSize;
  conn->requestPdu = conn->transferBuffer + kIsoHeader;
  conn->replyPdu = conn->receiveFrame + kIsoHeader;
  StagingOf(conn)->start = StagingOf(conn)->end = 0;
  return true;
}

int IsoTcp_Connect(S7Connection* conn, std::int32_t* ext) {
  *ext = 0;
  conn->traceFlow.known = false;  // a new socket: another flow than the last one traced
  if (!IsoTcp_AllocateBuffer(conn)) return S7_ERR_NO_MEMORY;
  int rc = IsoTcp_OpenSocket(conn, ext);
  if (rc != S7_OK) return rc;
  switch (IsoTcp_ConnectSocket(conn->sock.socket, conn->address, kIsoTcpPort, kConnectTimeoutMs, ext)) {
    case PlatConnect::Connected:
      if (S7Trace_On()) S7Trace_TcpOpened(conn);
      break;
    case PlatConnect::TimedOut: *ext = 0; return S7_ERR_TIMEOUT;
    case PlatConnect::Failed: return S7_ERR_SOCKET;
  }
  IsoTcp_BuildConnectFrame(SendFrame(conn), conn->tsaps, kTpduCR);
  return IsoTcp_Exchange(conn, ext);
}

int IsoTcp_Disconnect(S7Connection* conn, std::int32_t* ext) {
  IsoTcp_BuildConnectFrame(SendFrame(conn), conn->tsaps, kTpduDR);
  int rc = IsoTcp_Exchange(conn, ext);
  if (S7Trace_On()) S7Trace_TcpClosed(conn, TraceSide::Client);
  IsoTcp_CloseSocket(&conn->sock);
  return rc;
}

void IsoTcp_CloseSocket(SocketRecord* sock) {
  if (!sock->libraryStarted) return;
  if (sock->socket != kNoSocket) Plat_SockClose(sock->socket);
  sock->socket = kNoSocket;
  Plat_SockCleanup();
  sock->libraryStarted = 0;
}

namespace {
void IsoTcpRelease(S7Connection* conn) {
  if (S7Trace_On() && conn->sock.socket != kNoSocket) S7Trace_TcpClosed(conn, TraceSide::Client);
  IsoTcp_CloseSocket(&conn->sock);
}
}  // namespace

const S7Transport kIsoTcpTransport = {IsoTcp_Connect, IsoTcp_SendPdu, IsoTcp_Disconnect, IsoTcpRelease};
