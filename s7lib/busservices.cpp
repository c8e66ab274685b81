// Questions to the MPI/PROFIBUS access point itself, without a PLC
// connection: which stations are on the bus, and the bus parameters.
#include <cstring>

#include "s7lib/s7internal.h"

namespace {

constexpr std::uint16_t kBusReference = 0x2200;
constexpr std::uint16_t kServicePartners = 27;
constexpr std::uint16_t kServiceBusParameters = 11;
constexpr int kPartnerRequestLength = 128;
constexpr int kBusParameterRequestLength = 256;
constexpr int kBusParameterRecordLength = 242;
constexpr int kDataArea = kScpBlockSize - kScpHeaderSize;

// A TCP interface has no access point behind it: the bus services are refused
// with "invalid mode" before any SCP entry point could be reached.
int CheckScpInterface(S7Interface* iface) {
  int rc = S7_CheckInterface(iface);
  if (rc != S7_OK) return rc;
  return iface->kind == S7_KIND_TCP ? S7_Fail(S7_ERR_BAD_MODE, 0) : S7_OK;
}

int BusExchange(S7Interface* iface, int timeoutMs, std::uint16_t service, int dataLength,
                std::uint8_t* answer, std::int32_t* ext, std::int32_t* received) {
  std::uint8_t request[kScpBlockSize];
  std::memset(request, 0, sizeof request);
  Scp_BuildHeader(iface, request, 0x22, 0x00, dataLength, kBusReference, service);
  if (timeoutMs < kMinTimeoutMs) timeoutMs = kMinTimeoutMs;
  return Scp_Exchange(iface, timeoutMs, request, answer, ext, received);
}

}  // namespace

int S7_OnLine_Partners(S7Interface* iface, int timeoutMs, int bufferSize, std::uint8_t* buffer,
                       int* count) {
  // Never more than the answer's data area, whatever the caller says.
  const int usable = bufferSize < 0 ? 0 : (bufferSize > kDataArea ? kDataArea : bufferSize);
  if (buffer) std::memset(buffer, 0, static_cast<std::size_t>(usable));
  if (count) *count = 0;
  int rc = CheckScpInterface(iface);
  if (rc != S7_OK) return rc;
  std::uint8_t answer[kScpBlockSize];
  std::int32_t ext = 0;
  std::int32_t received = 0;
  rc = BusExchange(iface, timeoutMs, kServicePartners, kPartnerRequestLength, answer, &ext, &received);
  if (rc == S7_OK) {
    const int n = GetLE16(answer + 16);
    if (n > received) {
      rc = S7_ERR_BAD_REPLY;  // claims more stations than it delivered
    } else {
      if (count) *count = n < bufferSize ? n : 0;
      if (buffer) std::memcpy(buffer, answer + kScpHeaderSize, static_cast<std::size_t>(usable));
    }
  }
  return S7_Fail(rc, ext);
}

int S7_OnLine_BusPars(S7Interface* iface, int timeoutMs, std::uint8_t* buffer242) {
  int rc = CheckScpInterface(iface);
  if (rc != S7_OK) return rc;
  std::uint8_t answer[kScpBlockSize];
  std::int32_t ext = 0;
  std::int32_t received = 0;
  rc = BusExchange(iface, timeoutMs, kServiceBusParameters, kBusParameterRequestLength, answer, &ext,
                   &received);
  if (rc == S7_OK) {
    if (GetLE16(answer + 16) != kBusParameterRecordLength || received < kBusParameterRecordLength)
      rc = S7_ERR_BAD_REPLY;
    else if (buffer242)
      std::memcpy(buffer242, answer + kScpHeaderSize, kBusParameterRecordLength);
  }
  return S7_Fail(rc, ext);
}
