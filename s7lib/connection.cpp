// Creating and destroying interfaces and connections, connecting (transport
// plus the S7 setup communication that fixes the PDU size) and disconnecting.
#include <cstring>

#include "runtime/runtime.h"
#include "s7lib/s7internal.h"

namespace {

// Each interface kind is open at most once in the process (bit = 1 << kind).
std::uint32_t g_openKinds = 0;
constexpr std::uint32_t kScpKinds = 0xE;  // kinds 1-3 share the access point library

void Unlink(S7Connection* conn) {
  S7Connection** link = &conn->iface->connections;
  while (*link && (*link)->id != conn->id) link = &(*link)->next;
  if (*link) *link = (*link)->next;
}

// Everything a connection holds while connected goes; what describes it
// (name, address, PDU size, reference counter) stays.
void DropTransferState(S7Connection* conn) {
  Rt_Free(conn->transferBuffer);
  conn->transferBuffer = nullptr;
  S7_ClearExchange(conn);
  conn->connected = 0;
}

int SetupCommunication(S7Connection* conn, std::int32_t* ext) {
  int rc = S7_BeginPdu(conn, 1, 0xF0, 0, 0);
  if (rc != S7_OK) return rc;
  rc = S7_TransportOf(conn)->sendPdu(conn, ext);
  if (rc != S7_OK) return rc;
  rc = S7_CheckReply(conn, ext);
  if (rc != S7_OK) return rc;
  return S7_ReadPduSize(conn);
}

}  // namespace

const S7Transport* S7_TransportOf(const S7Connection* conn) {
  return conn->iface->kind == S7_KIND_TCP ? &kIsoTcpTransport : &kScpTransport;
}

S7Interface* S7_Interface_Init(unsigned kind) {
  if (kind > S7_KIND_CP_L2_2) {
    S7_SetError(S7_ERR_BAD_MODE, 0);
    return nullptr;
  }
  if (g_openKinds & (1u << kind)) {
    S7_SetError(S7_ERR_INTERFACE_IN_USE, 0);
    return nullptr;
  }
  auto* iface = static_cast<S7Interface*>(Rt_Alloc(kRtZero, sizeof(S7Interface)));
  if (!iface) {
    S7_SetError(S7_ERR_NO_MEMORY, 0);
    return nullptr;
  }
  iface->tag = kInterfaceTag;
  iface->kind = kind;
  if (kind != S7_KIND_TCP) {
    std::int32_t ext = 0;
    int rc = Scp_Open(iface, &ext);
    if (rc != S7_OK) {
      Scp_Close(iface, (g_openKinds & kScpKinds) == 0);
      Rt_Free(iface);
      S7_SetError(rc, ext);
      return nullptr;
    }
  }
  g_openKinds |= 1u << kind;
  S7_SetError(S7_OK, 0);
  return iface;
}

S7Interface* S7_Interface_Done(S7Interface* iface) {
  if (S7_CheckInterface(iface) != S7_OK) return nullptr;
  while (S7Connection* conn = iface->connections) {
    S7_Disconnect(conn);
    iface->connections = conn->next;
    conn->tag = 0;
    Rt_Free(conn);
  }
  g_openKinds &= ~(1u << iface->kind);
  if (iface->kind != S7_KIND_TCP) Scp_Close(iface, (g_openKinds & kScpKinds) == 0);
  iface->tag = 0;
  Rt_Free(iface);
  S7_SetError(S7_OK, 0);
  return nullptr;
}

S7Connection* S7_Connection_Init(S7Interface* iface, const char* name, int timeoutMs,
                                 std::uint32_t address, int rack, int slot, int fallbackPduSize) {
  return S7_Connection_InitTsaps(iface, name, timeoutMs, address,
                                 S7_RackSlotTsaps(S7ConnectionType::PG, rack, slot), fallbackPduSize);
}

S7Connection* S7_Connection_InitTsaps(S7Interface* iface, const char* name, int timeoutMs,
                                      std::uint32_t address, S7Tsaps tsaps, int fallbackPduSize) {
  if (S7_CheckInterface(iface) != S7_OK) return nullptr;
  auto* conn = static_cast<S7Connection*>(Rt_Alloc(kRtZero, sizeof(S7Connection)));
  if (!conn) {
    S7_SetError(S7_ERR_NO_MEMORY, 0);
    return nullptr;
  }
  conn->id = ++iface->lastConnectionId;
  conn->next = iface->connections;
  iface->connections = conn;
  conn->iface = iface;
  conn->tag = kConnectionTag;
  conn->timeoutMs = timeoutMs < kMinTimeoutMs ? kMinTimeoutMs : timeoutMs;
  conn->address = address;
  conn->tsaps = tsaps;
  conn->pduSize = kMaxPduSize;
  conn->sock.socket = kNoSocket;
  Rt_StrCopyN(conn->name, name, sizeof conn->name);
  S7_Connect(conn);
  if (conn->pduSize == 0) conn->pduSize = fallbackPduSize;
  return conn;
}

S7Connection* S7_Connection_Done(S7Connection* conn) {
  if (S7_CheckConnection(conn, 0, 1) != S7_OK) return nullptr;
  S7_Disconnect(conn);
  Unlink(conn);
  conn->tag = 0;
  Rt_Free(conn);
  return nullptr;
}

int S7_Connect(S7Connection* conn) {
  int rc = S7_CheckConnection(conn, 0, 1);
  if (rc != S7_OK) return rc;
  if (conn->connected) return S7_OK;
  const S7Transport* transport = S7_TransportOf(conn);
  std::int32_t ext = 0;
  rc = transport->connect(conn, &ext);
  if (rc == S7_OK) rc = SetupCommunication(conn, &ext);
  if (rc == S7_OK) {
    conn->connected = 1;
    return S7_Fail(S7_OK, ext);
  }
  transport->release(conn);
  DropTransferState(conn);
  return S7_Fail(rc, ext);
}

int S7_Disconnect(S7Connection* conn) {
  int rc = S7_CheckConnection(conn, 0, 1);
  if (rc != S7_OK) return rc;
  if (!conn->connected) return S7_OK;
  std::int32_t ext = 0;
  rc = S7_TransportOf(conn)->disconnect(conn, &ext);
  DropTransferState(conn);
  return S7_Fail(rc, ext);
}
