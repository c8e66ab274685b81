// The CPU and session services: operating state, start and stop, the CPU
// clock, and login and logout. Each is one request PDU and its reply; the
// readers look into the reply only within the bytes that arrived.
#include <cstring>

#include "s7lib/s7internal.h"

namespace {

constexpr std::uint8_t kGroupCpu = 0x44;
constexpr std::uint8_t kGroupSecurity = 0x45;
constexpr std::uint8_t kGroupClock = 0x47;

constexpr std::uint8_t kEmptyItem[] = {0x0A, 0x00, 0x00, 0x00};
constexpr std::uint8_t kStateQuery[] = {0xFF, 0x09, 0x00, 0x04, 0x04, 0x24, 0x00, 0x00};
constexpr std::uint8_t kClockItemHead[] = {0xFF, 0x09, 0x00, 0x0A, 0x00, 0x19};
constexpr std::uint8_t kPasswordItemHead[] = {0xFF, 0x09, 0x00, 0x08};

constexpr int kStateByte = 15;     // byte 3 of the first record of list 0x0424
constexpr int kClockOffset = 6;    // behind the item header and two bytes
constexpr int kPasswordLength = 8;

// The reply's data part from `offset` on, if `length` bytes of it arrived.
const std::uint8_t* ReplyData(const S7Connection* conn, int offset, int length) {
  const int at = conn->replyHeader + conn->replyParams + offset;
  if (conn->replyHeader == 0 || offset + length > conn->replyData || at + length > conn->replyReceived)
    return nullptr;
  return conn->replyPdu + at;
}

int Simple(S7Connection* conn, int messageType, int function, int argument, const std::uint8_t* data,
           int length) {
  int rc = S7_BeginPdu(conn, messageType, function, argument, 1);
  if (rc != S7_OK) return rc;
  if (data) S7_AppendData(conn, data, length);
  return S7_Exchange(conn);
}

}  // namespace

int S7_GetCpuState(S7Connection* conn, int* state) {
  int rc = S7_BeginPdu(conn, 7, 0x01, kGroupCpu, 1);
  if (rc != S7_OK) return rc;
  S7_AppendData(conn, kStateQuery, sizeof kStateQuery);
  rc = S7_Exchange(conn);
  if (state) *state = rc == S7_OK ? S7_DecodeCpuState(conn) : S7_CPU_UNKNOWN;
  return rc;
}

int S7_DecodeCpuState(const S7Connection* conn) {
  const std::uint8_t* status = ReplyData(conn, kStateByte, 1);
  if (!status || *status == 0x00) return S7_CPU_UNKNOWN;
  return *status == 0x08 ? S7_CPU_RUN : S7_CPU_STOP;
}

int S7_DecodeCpuClock(const S7Connection* conn, CalendarRecord* clock) {
  const std::uint8_t* wire = ReplyData(conn, kClockOffset, 8);
  CalendarRecord decoded{};
  const bool bad = !wire || S7_DecodeDateTime(wire, &decoded) != 0;
  if (clock) *clock = decoded;
  return bad ? S7_ERR_BAD_DATE : S7_OK;
}

int S7_CpuStart(S7Connection* conn, int coldRestart) {
  return Simple(conn, 1, 0x28, coldRestart != 0 ? 1 : 0, nullptr, 0);
}

int S7_CpuStop(S7Connection* conn) { return Simple(conn, 1, 0x29, 0, nullptr, 0); }

int S7_GetCpuClock(S7Connection* conn, CalendarRecord* clock) {
  int rc = Simple(conn, 7, 0x01, kGroupClock, kEmptyItem, sizeof kEmptyItem);
  if (rc != S7_OK) return rc;
  rc = S7_DecodeCpuClock(conn, clock);
  return rc != S7_OK ? S7_Fail(rc, 0) : S7_OK;
}

int S7_SetCpuClock(S7Connection* conn, const CalendarRecord* clock) {
  int rc = S7_BeginPdu(conn, 7, 0x02, kGroupClock, 1);
  if (rc != S7_OK) return rc;
  std::uint8_t data[sizeof kClockItemHead + 8];
  std::memcpy(data, kClockItemHead, sizeof kClockItemHead);
  if (!clock || S7_EncodeDateTime(clock, data + sizeof kClockItemHead) != 0) return S7_Fail(S7_ERR_BAD_DATE, 0);
  S7_AppendData(conn, data, sizeof data);
  return S7_Exchange(conn);
}

int S7_SessionLogin(S7Connection* conn, const char* password) {
  int rc = S7_BeginPdu(conn, 7, 0x01, kGroupSecurity, 1);
  if (rc != S7_OK) return rc;
  std::uint8_t data[sizeof kPasswordItemHead + kPasswordLength];
  std::memcpy(data, kPasswordItemHead, sizeof kPasswordItemHead);
  std::uint8_t* block = data + sizeof kPasswordItemHead;
  std::memset(block, ' ', kPasswordLength);
  for (int i = 0; password && i < kPasswordLength && password[i]; ++i) block[i] = static_cast<std::uint8_t>(password[i]);
  block[0] ^= 0x55;
  block[1] ^= 0x55;
  for (int i = 2; i < kPasswordLength; ++i) block[i] = static_cast<std::uint8_t>(block[i] ^ 0x55 ^ block[i - 2]);
  S7_AppendData(conn, data, sizeof data);
  return S7_Exchange(conn);
}

int S7_SessionLogout(S7Connection* conn) {
  return Simple(conn, 7, 0x02, kGroupSecurity, kEmptyItem, sizeof kEmptyItem);
}
