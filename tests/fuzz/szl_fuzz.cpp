// Fuzzes reading a system status list: the fragments a CPU sends (framing,
// reply check, joining, the record length and count checks) and the decoder
// of the list asked for. The first input byte picks the list (low three
// bits) and a small buffer (bit 3); the rest is what arrives on the socket,
// one reply after another. Follow-ups only receive, so that the input is not
// thrown away as a stale queue.
#include "tests/fuzz/fuzz_connection.h"

namespace {

struct Target {
  std::uint16_t id, index;
};
constexpr Target kTargets[8] = {
    {0x0011, 0}, {0x001C, 0}, {0x0074, 0}, {0x0232, 4}, {0x0424, 0}, {0x0131, 1}, {0x00A0, 0}, {0x0F74, 0},
};

int ReceiveOnly(S7Connection* conn) {
  std::int32_t ext = 0;
  int rc = IsoTcp_Receive(conn, 0xF0, &ext);
  if (rc == S7_OK) rc = S7_CheckReply(conn, &ext);
  return S7_Fail(rc, ext);
}

void Decode(const S7SzlList& list, int which) {
  switch (which) {
    case 0: { S7ModuleIdentity m; S7_DecodeModuleIdentity(&list, &m); break; }
    case 1: { S7ComponentIdentity c; S7_DecodeComponentIdentity(&list, &c); break; }
    case 2:
    case 7: { S7Led leds[4]; int n; S7_DecodeLeds(&list, leds, 4, &n); break; }
    case 3: { S7Protection p; S7_DecodeProtection(&list, &p); break; }
    case 4: { S7CpuMode m; S7_DecodeCpuMode(&list, &m); break; }
    case 5: { S7CommLimits l; S7_DecodeCommLimits(&list, &l); break; }
    default:
      for (int i = 0; i <= list.recordCount; ++i) {
        S7DiagEntry e;
        S7_DecodeDiagEntry(&list, i, &e);
      }
      break;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1 || size > 16384) return 0;
  FuzzConnection* fc = FuzzSetup();
  FuzzFeed(fc, data + 1, size - 1);
  const int which = data[0] & 7;
  // A heap block of exactly the capacity, so that a write past it is seen.
  const int capacity = (data[0] & 8) ? 24 : 4096;
  auto* records = new std::uint8_t[static_cast<std::size_t>(capacity)];
  S7SzlList list{};
  const int rc = S7_ReadSzlVia(fc->conn, kTargets[which].id, kTargets[which].index, records, capacity, &list,
                               ReceiveOnly);
  if (rc == S7_OK || rc == S7_ERR_DATA_SIZE) Decode(list, which);
  delete[] records;
  FuzzReset(fc);
  return 0;
}
