// Fuzzes the replies to the read, write, state and clock services: ISO-on-TCP
// framing, the reply check, and the item decoders that write into the
// caller's value buffers. The first input byte picks the service (low two
// bits) and whether values are converted (bit 2); the rest is what arrives
// on the socket. Nothing may be read or written outside the transfer buffer
// or the value buffers, whatever the item headers claim.
#include "tests/fuzz/fuzz_connection.h"
#include "tests/fuzz/service_recipes.h"

namespace {

constexpr std::uint8_t kUserdataState[2] = {0x01, 0x44};
constexpr std::uint8_t kUserdataClock[2] = {0x01, 0x47};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1 || size > 8192) return 0;
  FuzzConnection* fc = FuzzSetup();
  FuzzFeed(fc, data + 1, size - 1);
  S7Connection* conn = fc->conn;
  const std::uint8_t recipe = data[0] & 3;
  const int convert = (data[0] & 4) ? 0 : 1;
  recipes::Buffers buffers;
  int rc = recipes::Begin(conn, recipe, convert, &buffers);
  if (recipe == recipes::kState) rc = S7_BeginPdu(conn, 7, kUserdataState[0], kUserdataState[1], 1);
  if (recipe == recipes::kClock) rc = S7_BeginPdu(conn, 7, kUserdataClock[0], kUserdataClock[1], 1);
  if (rc == S7_OK) {
    // What the exchange does around the transport: the request is closed
    // to further variables, then the reply is received and checked.
    conn->jobOpen = 0;
    std::int32_t ext = 0;
    rc = IsoTcp_Receive(conn, 0xF0, &ext);
    if (rc == S7_OK) rc = S7_CheckReply(conn, &ext);
    switch (recipe) {
      case recipes::kRead: S7_DecodeReadReply(conn, rc); break;
      case recipes::kWrite: S7_DecodeWriteReply(conn, rc); break;
      case recipes::kState:
        if (rc == S7_OK) S7_DecodeCpuState(conn);
        break;
      default: {
        CalendarRecord clock;
        if (rc == S7_OK) S7_DecodeCpuClock(conn, &clock);
        break;
      }
    }
  }
  FuzzReset(fc);
  return 0;
}
