// Fuzzes what a PLC sends back: the connection confirm, or the reply to a
// setup request with ISO-on-TCP framing and reassembly, the stale-reply skip
// and the S7 reply checks with the granted PDU size. The first input byte
// picks which; the rest is what arrives on the socket. Nothing may be read or
// written outside the connection's buffers, whatever the frames claim.
#include "tests/fuzz/fuzz_connection.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1 || size > 8192) return 0;
  FuzzConnection* fc = FuzzSetup();
  FuzzFeed(fc, data + 1, size - 1);
  S7Connection* conn = fc->conn;
  std::int32_t ext = 0;
  if (data[0] & 1) {
    IsoTcp_Receive(conn, 0xE0, &ext);
  } else if (S7_BeginPdu(conn, 1, 0xF0, 0, 1) == S7_OK) {
    if (IsoTcp_Receive(conn, 0xF0, &ext) == S7_OK && S7_CheckReply(conn, &ext) == S7_OK)
      S7_ReadPduSize(conn);
  }
  FuzzReset(fc);
  return 0;
}
