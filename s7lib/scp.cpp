// MPI/PROFIBUS access through the SCP interface of the SIMATIC NET access
// point library, loaded at run time: request blocks, the exchange of one block
// with its answer, and the connect, send-PDU and disconnect sequences.
#include <cstring>

#include "runtime/runtime.h"
#include "s7lib/s7internal.h"

namespace {

using ScpOpenFn = int (*)(const char* accessPoint);
using ScpCloseFn = int (*)(int handle);
using ScpSendFn = int (*)(int handle, unsigned short length, char* block);
using ScpReceiveFn = int (*)(int handle, unsigned short wait, unsigned short* received,
                             unsigned short bufferLength, char* buffer);
using ScpErrnoFn = int (*)();

// Shared by every interface of kinds 1-3; changed only by interface init/done.
struct ScpLibrary {
  PlatLibrary module;
  ScpOpenFn open;
  ScpCloseFn close;
  ScpSendFn send;
  ScpReceiveFn receive;
  ScpErrnoFn getErrno;
};
ScpLibrary g_lib = {};

constexpr const char* kAccessPoints[4] = {nullptr, "/S7online", "/CP_L2_1:", "/CP_L2_2:"};
constexpr int kSendAttempts = 3;
constexpr std::uint8_t kServiceOpen = 0x00;
constexpr std::uint8_t kServiceConnect = 0x01;
constexpr std::uint8_t kServiceSend = 0x06;
constexpr std::uint8_t kServiceReceive = 0x07;
constexpr std::uint8_t kServiceDisconnect = 0x0C;
constexpr int kConnectDataLength = 126;
constexpr int kSetupReceiveLength = 520;

template <typename Fn>
bool Lookup(Fn* fn, const char* name) {
  *fn = reinterpret_cast<Fn>(Plat_LibSymbol(g_lib.module, name));
  return *fn != nullptr;
}

std::int32_t LibraryErrno() { return g_lib.getErrno ? g_lib.getErrno() : 0; }

// The reply PDU's own length when its header gives one that fits what
// arrived: an access point may hand back its whole data area.
int PduLength(const std::uint8_t* pdu, int received) {
  if (received < 10 || pdu[0] != 0x32) return received;
  const int header = (pdu[1] == 2 || pdu[1] == 3) ? 12 : 10;
  const int total = header + GetBE16(pdu + 6) + GetBE16(pdu + 8);
  return total <= received ? total : received;
}

std::uint8_t* SendBlock(S7Connection* conn) { return conn->transferBuffer; }
std::uint8_t* AnswerBlock(S7Connection* conn) { return conn->transferBuffer + kScpBlockSize; }

// One connection block: header for `service`, exchanged with the connection's
// time-out.
int ConnectionExchange(S7Connection* conn, std::uint8_t service, int dataLength, std::int32_t* ext) {
  Scp_BuildHeader(conn->iface, SendBlock(conn), 0x40, service, dataLength,
                  static_cast<std::uint16_t>(conn->scpReference), 0);
  return Scp_Exchange(conn->iface, conn->timeoutMs, SendBlock(conn), AnswerBlock(conn), ext,
                      &conn->replyReceived);
}

int ScpConnect(S7Connection* conn, std::int32_t* ext) {
  *ext = 0;
  conn->transferBuffer = static_cast<std::uint8_t*>(Rt_Alloc(0, 2 * kScpBlockSize));
  if (!conn->transferBuffer) return S7_ERR_NO_MEMORY;
  conn->receiveFrame = AnswerBlock(conn);
  conn->requestPdu = SendBlock(conn) + kScpHeaderSize;
  conn->replyPdu = AnswerBlock(conn) + kScpHeaderSize;
  conn->scpReference = 0;

  int rc = ConnectionExchange(conn, kServiceOpen, 0, ext);
  if (rc != S7_OK) return rc;
  conn->scpReference = GetLE16(AnswerBlock(conn) + 34);
  conn->scpOpen = 1;

  std::uint8_t* data = SendBlock(conn) + kScpHeaderSize;
  std::memset(data, 0, kConnectDataLength);
  data[1] = 0x02;
  data[2] = 0x01;
  data[4] = 0x0C;
  data[5] = 0x01;
  data[9] = static_cast<std::uint8_t>(conn->address);
  data[15] = 0x01;
  data[17] = 0x02;
  data[18] = 0x01;
  return ConnectionExchange(conn, kServiceConnect, kConnectDataLength, ext);
}

// Sends the request PDU that stands in the send block and fetches its reply.
// The setup communication asks for the largest reply, later requests for the
// connection's PDU size.
int ScpSendPdu(S7Connection* conn, std::int32_t* ext) {
  int rc = ConnectionExchange(conn, kServiceSend, conn->requestTotal, ext);
  if (rc != S7_OK) return rc;
  return ConnectionExchange(conn, kServiceReceive, conn->connected ? conn->pduSize : kSetupReceiveLength,
                            ext);
}

int ScpDisconnect(S7Connection* conn, std::int32_t* ext) {
  *ext = 0;
  if (!conn->scpOpen) return S7_OK;
  int rc = ConnectionExchange(conn, kServiceDisconnect, 0, ext);
  if (rc == S7_OK) {
    conn->scpOpen = 0;
    conn->scpReference = 0;
  }
  return rc;
}

void ScpRelease(S7Connection* conn) {
  std::int32_t ignored = 0;
  if (conn->scpOpen && conn->transferBuffer) ScpDisconnect(conn, &ignored);
  conn->scpOpen = 0;
}

}  // namespace

const S7Transport kScpTransport = {ScpConnect, ScpSendPdu, ScpDisconnect, ScpRelease};

int Scp_Open(S7Interface* iface, std::int32_t* ext) {
  *ext = 0;
  iface->scpHandle = -1;
  if (!g_lib.module) {
    g_lib.module = Plat_LibLoad(kScpLibraryName);
    if (!g_lib.module) return S7_ERR_LIBRARY_NOT_FOUND;
    if (!Lookup(&g_lib.open, "SCP_open") || !Lookup(&g_lib.close, "SCP_close") ||
        !Lookup(&g_lib.send, "SCP_send") || !Lookup(&g_lib.receive, "SCP_receive") ||
        !Lookup(&g_lib.getErrno, "SCP_get_errno")) {
      Plat_LibFree(g_lib.module);
      g_lib = ScpLibrary{};
      return S7_ERR_LIBRARY_ENTRY;
    }
  }
  iface->scpHandle = g_lib.open(kAccessPoints[iface->kind]);
  if (iface->scpHandle < 0) {
    *ext = LibraryErrno();
    return S7_ERR_SCP;
  }
  return S7_OK;
}

void Scp_Close(S7Interface* iface, bool unload) {
  if (!g_lib.module) return;
  if (iface->scpHandle >= 0) g_lib.close(iface->scpHandle);
  iface->scpHandle = -1;
  if (unload) {
    Plat_LibFree(g_lib.module);
    g_lib = ScpLibrary{};
  }
}

bool Scp_IsLoaded() { return g_lib.module != nullptr; }

void Scp_BuildHeader(S7Interface* iface, std::uint8_t* block, std::uint8_t opcode, std::uint8_t service,
                     int dataLength, std::uint16_t reference, std::uint16_t busService) {
  std::memset(block, 0, kScpHeaderSize);
  block[4] = kScpHeaderSize;
  PutLE16(block + 5, iface->requestBlockCounter);
  ++iface->requestBlockCounter;
  PutLE16(block + 7, 2);
  block[12] = opcode;
  block[13] = service;
  PutLE16(block + 14, 0x00FF);
  PutLE16(block + 16, static_cast<std::uint32_t>(dataLength));
  PutLE16(block + 19, static_cast<std::uint32_t>(dataLength));
  PutLE16(block + 21, 0x0050);
  PutLE16(block + 34, reference);
  PutLE16(block + 38, busService);
  if (opcode == 0x40 && service == kServiceConnect) {
    block[42] = 0x02;
    block[44] = 0x72;
  }
}

int Scp_Exchange(S7Interface* iface, int timeoutMs, std::uint8_t* request, std::uint8_t* answer,
                 std::int32_t* ext, std::int32_t* dataReceived) {
  *ext = 0;
  *dataReceived = 0;
  std::memset(answer, 0, kScpBlockSize);
  PutLE16(answer + 14, 0x00FF);
  const int length = kScpHeaderSize + GetLE16(request + 19);
  int failures = 0;
  while (g_lib.send(iface->scpHandle, static_cast<unsigned short>(length), reinterpret_cast<char*>(request)) != 0) {
    *ext = LibraryErrno();
    if (++failures == kSendAttempts) return S7_ERR_SCP;
  }
  *ext = 0;
  const std::uint8_t opcode = request[12];
  const std::uint8_t service = request[13];
  if (S7Trace_On() && opcode == 0x40 && service == kServiceSend)
    S7Trace_ScpPdu(TraceSide::Client, request + kScpHeaderSize,
                   length < kScpBlockSize ? length - kScpHeaderSize : kScpBlockSize - kScpHeaderSize);
  // The access point's receive never blocks: look again every millisecond
  // rather than spinning, so a slow PLC costs no processor time.
  std::uint32_t start = Plat_TickCount();
  unsigned short received = 0;
  for (;;) {
    received = 0;
    if (g_lib.receive(iface->scpHandle, 0, &received, kScpBlockSize, reinterpret_cast<char*>(answer)) != 0) {
      *ext = LibraryErrno();
      return S7_ERR_SCP;
    }
    if (received != 0) break;
    if (Plat_TickCount() - start >= static_cast<std::uint32_t>(timeoutMs)) return S7_ERR_TIMEOUT;
    Plat_Sleep(1);
  }
  if (received < kScpHeaderSize) return S7_ERR_BAD_REPLY;
  // Whatever the access point claims, only the answer block is ours to read.
  *dataReceived = (received < kScpBlockSize ? received : kScpBlockSize) - kScpHeaderSize;
  const int expected = opcode == 0x22 ? 0 : (service == kServiceReceive ? 3 : 1);
  const int response = GetLE16(answer + 14);
  if (response != expected) {
    *ext = response;
    return S7_ERR_REFUSED;
  }
  if (S7Trace_On() && opcode == 0x40 && service == kServiceReceive)
    S7Trace_ScpPdu(TraceSide::Plc, answer + kScpHeaderSize, PduLength(answer + kScpHeaderSize, *dataReceived));
  return S7_OK;
}
