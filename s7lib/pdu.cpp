// S7 protocol data units: building the request header and parameter block in
// the connection's transfer buffer, the bookkeeping of request and expected
// reply lengths, one exchange over whichever transport the connection has,
// and the checks every reply must pass.
#include <cstring>

#include "s7lib/s7internal.h"

namespace {

constexpr int kHeaderLength = 10;
constexpr int kAckHeaderLength = 12;

struct ParamBlock {
  const std::uint8_t* bytes;
  int length;
  int expectedReply;
};

constexpr std::uint8_t kWarmRestart[] = {0x28, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFD, 0x00, 0x00,
                                         0x09, 'P',  '_',  'P',  'R',  'O',  'G',  'R',  'A',  'M'};
constexpr std::uint8_t kColdRestart[] = {0x28, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFD,
                                         0x00, 0x02, 0x43, 0x20, 0x09, 'P',  '_',  'P',
                                         'R',  'O',  'G',  'R',  'A',  'M'};
constexpr std::uint8_t kStop[] = {0x29, 0x00, 0x00, 0x00, 0x00, 0x00, 0x09, 'P',
                                  '_',  'P',  'R',  'O',  'G',  'R',  'A',  'M'};
constexpr std::uint8_t kSetupCommunication[] = {0xF0, 0x00, 0x00, 0x01, 0x00, 0x01, 0x02, 0x00};

}  // namespace

int S7_BeginPdu(S7Connection* conn, int messageType, int function, int argument, int needConnected) {
  int rc = S7_CheckConnection(conn, needConnected, 1);
  if (rc != S7_OK) return rc;
  if (!conn->requestPdu) return S7_Fail(S7_ERR_NOT_CONNECTED, 0);  // no transfer buffer yet
  std::memset(conn->items, 0, sizeof conn->items);
  std::memset(conn->itemResults, 0, sizeof conn->itemResults);
  conn->itemCount = 0;

  std::uint8_t* pdu = conn->requestPdu;
  std::memset(pdu, 0, 12);
  pdu[0] = 0x32;
  pdu[1] = static_cast<std::uint8_t>(messageType);
  pdu[4] = static_cast<std::uint8_t>(conn->pduReference);
  pdu[5] = static_cast<std::uint8_t>(conn->pduReference >> 8);
  ++conn->pduReference;

  std::uint8_t* params = pdu + kHeaderLength;
  std::uint8_t userdata[8] = {0x00, 0x01, 0x12, 0x04, 0x11, 0x00, 0x00, 0x00};
  std::uint8_t job[2] = {0x00, 0x00};
  ParamBlock block{};
  if (messageType == 7) {
    const std::uint8_t group = static_cast<std::uint8_t>(argument);
    userdata[5] = group;
    userdata[6] = static_cast<std::uint8_t>(function);
    int expected = group == 0x44 ? 54 : (group == 0x47 && function == 1 ? 36 : 26);
    block = {userdata, 8, expected};
  } else {
    switch (function) {
      case 0x04:
      case 0x05:
        job[0] = static_cast<std::uint8_t>(function);
        block = {job, 2, 14};
        conn->jobOpen = 1;
        break;
      case 0x28:
        block = argument ? ParamBlock{kColdRestart, sizeof kColdRestart, 13}
                         : ParamBlock{kWarmRestart, sizeof kWarmRestart, 13};
        break;
      case 0x29: block = {kStop, sizeof kStop, 13}; break;
      default: block = {kSetupCommunication, sizeof kSetupCommunication, 20}; break;
    }
  }
  std::memset(params, 0, static_cast<std::size_t>(block.length));
  std::memcpy(params, block.bytes, static_cast<std::size_t>(block.length));
  PutBE16(pdu + 6, static_cast<std::uint32_t>(block.length));
  PutBE16(pdu + 8, 0);
  conn->requestHeader = kHeaderLength;
  conn->requestParams = block.length;
  conn->requestData = 0;
  conn->requestTotal = kHeaderLength + block.length;
  conn->expectedReply = block.expectedReply;
  return S7_OK;
}

void S7_AppendData(S7Connection* conn, const std::uint8_t* bytes, int length) {
  std::memcpy(conn->requestPdu + conn->requestTotal, bytes, static_cast<std::size_t>(length));
  conn->requestTotal += length;
  conn->requestData = length;
  PutBE16(conn->requestPdu + 8, static_cast<std::uint32_t>(length));
}

int S7_Exchange(S7Connection* conn) {
  int rc = S7_CheckConnection(conn, 1, 1);
  if (rc != S7_OK) return rc;
  std::int32_t ext = 0;
  rc = S7_TransportOf(conn)->sendPdu(conn, &ext);
  if (rc == S7_OK) rc = S7_CheckReply(conn, &ext);
  return S7_Fail(rc, ext);
}

int S7_CheckReply(S7Connection* conn, std::int32_t* ext) {
  conn->replyHeader = conn->replyParams = conn->replyData = conn->replyTotal = 0;
  *ext = 0;
  const std::uint8_t* reply = conn->replyPdu;
  const int received = conn->replyReceived;
  if (received < kHeaderLength) return S7_ERR_BAD_REPLY;
  int header;
  switch (reply[1]) {
    case 1:
    case 7: header = kHeaderLength; break;
    case 2:
    case 3:
      if (received < kAckHeaderLength) return S7_ERR_BAD_REPLY;
      header = kAckHeaderLength;
      *ext = GetBE16(reply + 10);
      if (*ext != 0) {
        conn->replyHeader = conn->replyTotal = kAckHeaderLength;
        return S7_ERR_PDU;
      }
      break;
    default: return S7_ERR_UNKNOWN_PDU;
  }
  conn->replyHeader = header;
  conn->replyParams = GetBE16(reply + 6);
  conn->replyData = GetBE16(reply + 8);
  if (reply[1] == 7) {
    if (conn->replyParams != 12) return S7_ERR_BAD_REPLY;
    if (received < header + 12) return S7_ERR_BAD_REPLY;
    *ext = GetBE16(reply + header + 10);
    if (*ext != 0) return S7_ERR_PARAMETER;
  }
  conn->replyTotal = header + conn->replyParams + conn->replyData;
  if (conn->expectedReply != kReplyLengthVaries && conn->replyTotal != conn->expectedReply)
    return S7_ERR_REPLY_SIZE;
  // The headers agree with what was asked for, but the bytes must be there too.
  if (received < conn->replyTotal) return S7_ERR_BAD_REPLY;
  return S7_OK;
}

int S7_ReadPduSize(S7Connection* conn) {
  const std::uint8_t* reply = conn->replyPdu;
  int granted = 0;
  if (reply[1] == 3 && conn->replyReceived >= kAckHeaderLength + 8 && reply[kAckHeaderLength] == 0xF0)
    granted = GetBE16(reply + kAckHeaderLength + 6);
  if (granted < 128) granted = 0;
  if (granted > kMaxPduSize) granted = kMaxPduSize;
  if (granted != 0) conn->pduSize = granted;
  return granted == 0 ? S7_ERR_PDU_SIZE : S7_OK;
}

void S7_ClearExchange(S7Connection* conn) {
  conn->requestHeader = conn->requestParams = conn->requestData = conn->requestTotal = 0;
  conn->replyHeader = conn->replyParams = conn->replyData = conn->replyTotal = 0;
  conn->replyReceived = 0;
  conn->expectedReply = 0;
  conn->requestPdu = conn->replyPdu = conn->receiveFrame = nullptr;
  std::memset(conn->items, 0, sizeof conn->items);
  std::memset(conn->itemResults, 0, sizeof conn->itemResults);
  conn->itemCount = 0;
}
