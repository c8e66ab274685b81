// Handle checks, the per-thread error state and the accessors: what every
// other part of the library stands on.
#include <cstring>

#include "runtime/threadctx.h"
#include "s7lib/s7internal.h"

void S7_SetError(int code, std::int32_t ext) {
  ThreadContext* tc = CurrentThreadContext();
  tc->libError = static_cast<std::uint32_t>(code);
  tc->libExtError = ext;
}

int S7_Fail(int code, std::int32_t ext) {
  S7_SetError(code, ext);
  return code;
}

int S7_CheckInterface(S7Interface* iface) {
  int result = iface && iface->tag == kInterfaceTag ? S7_OK : S7_ERR_BAD_INTERFACE;
  return S7_Fail(result, 0);
}

int S7_CheckConnection(S7Connection* conn, int needConnected, int endJob) {
  int result = S7_OK;
  if (!conn || conn->tag != kConnectionTag) {
    result = S7_ERR_BAD_CONNECTION;
  } else if (!conn->iface || conn->iface->tag != kInterfaceTag) {
    result = S7_ERR_BAD_INTERFACE;
  } else {
    const S7Connection* listed = conn->iface->connections;
    while (listed && listed->id != conn->id) listed = listed->next;
    if (!listed) {
      result = S7_ERR_BAD_CONNECTION;
    } else {
      if (endJob) conn->jobOpen = 0;
      if (needConnected && !conn->connected) result = S7_ERR_NOT_CONNECTED;
    }
  }
  return S7_Fail(result, 0);
}

int S7_GetLastError(std::int32_t* extendedError) {
  ThreadContext* tc = CurrentThreadContext();
  if (extendedError) *extendedError = tc->libExtError;
  return static_cast<int>(tc->libError);
}

int S7_GetInterfaceKind(S7Interface* iface) {
  return S7_CheckInterface(iface) == S7_OK ? static_cast<int>(iface->kind) : -1;
}

int S7_IsConnected(S7Connection* conn) {
  return S7_CheckConnection(conn, 0, 0) == S7_OK && conn->connected ? 1 : 0;
}

int S7_GetConnectionName(S7Connection* conn, char* name24) {
  if (S7_CheckConnection(conn, 0, 0) != S7_OK) {
    if (name24) name24[0] = '\0';
    return 0;
  }
  std::size_t n = strnlen(conn->name, sizeof conn->name - 1);
  if (name24) {
    std::memcpy(name24, conn->name, n);
    name24[n] = '\0';
  }
  return static_cast<int>(n);
}

int S7_GetTsaps(S7Connection* conn, S7Tsaps* tsaps) {
  const int rc = S7_CheckConnection(conn, 0, 0);
  if (tsaps) *tsaps = rc == S7_OK ? conn->tsaps : S7Tsaps{};
  return rc;
}

int S7_GetPduSize(S7Connection* conn) {
  return S7_CheckConnection(conn, 0, 0) == S7_OK ? conn->pduSize : 0;
}

int S7_GetRequestSize(S7Connection* conn) {
  return S7_CheckConnection(conn, 0, 0) == S7_OK ? conn->requestTotal : 0;
}

int S7_GetReplySize(S7Connection* conn) {
  if (S7_CheckConnection(conn, 0, 0) != S7_OK) return 0;
  // A list read takes whatever length the CPU gives, at most the PDU.
  return conn->expectedReply == kReplyLengthVaries ? conn->pduSize : conn->expectedReply;
}

int S7_GetVarCount(S7Connection* conn) {
  return conn && conn->tag == kConnectionTag ? conn->itemCount : 0;
}

int S7_GetVarResult(S7Connection* conn, int index, int* result) {
  if (result) *result = 0;
  if (!conn || conn->tag != kConnectionTag) return S7_ERR_BAD_CONNECTION;
  if (index < 0 || index >= conn->itemCount || index >= kMaxItems) return S7_ERR_BAD_REQUEST;
  if (result) *result = conn->itemResults[index];
  return S7_OK;
}
