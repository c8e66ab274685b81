// Reply checks, PDU references and the PDU size negotiation, each driven by a
// reply the simulator bends on purpose.
#include "tests/integration/sim_fixture.h"

namespace {

using plcsim::Bytes;
using plcsim::FaultKind;

using PduTest = SimTest;

// Sets the 16-bit big-endian field at `at`.
void Put16(Bytes& pdu, std::size_t at, int value) {
  pdu[at] = static_cast<std::uint8_t>(value >> 8);
  pdu[at + 1] = static_cast<std::uint8_t>(value);
}

TEST_F(PduTest, SetupReplyChecks) {
  struct Case {
    const char* what;
    std::function<void(Bytes&)> rewrite;
    int code;
    std::int32_t ext;
    int pduSize;
  } cases[] = {
      {"granting 240", [](Bytes&) {}, S7_OK, 0, 240},
      {"granting 960 is cut to 512", [](Bytes& p) { Put16(p, 18, 960); }, S7_OK, 0, 512},
      {"granting 128", [](Bytes& p) { Put16(p, 18, 128); }, S7_OK, 0, 128},
      {"granting 100", [](Bytes& p) { Put16(p, 18, 100); }, S7_ERR_PDU_SIZE, 0, 512},
      {"not a setup reply", [](Bytes& p) { p[12] = 0x04; }, S7_ERR_PDU_SIZE, 0, 512},
      {"message type 5", [](Bytes& p) { p[1] = 5; }, S7_ERR_UNKNOWN_PDU, 0, 512},
      {"error class and code", [](Bytes& p) { p[10] = 0x81; p[11] = 0x04; }, S7_ERR_PDU, 0x8104, 512},
      {"total length 21", [](Bytes& p) { p.push_back(0); Put16(p, 8, 1); }, S7_ERR_REPLY_SIZE, 0, 512},
      {"data length beyond the bytes sent", [](Bytes& p) { Put16(p, 8, 4); }, S7_ERR_REPLY_SIZE, 0, 512},
      {"userdata with parameter length 8",
       [](Bytes& p) { p[1] = 7; p.erase(p.begin() + 10, p.begin() + 12); },
       S7_ERR_BAD_REPLY, 0, 512},
      {"userdata with error code D602",
       [](Bytes& p) {
         p = {0x32, 0x07, 0, 0, p[4], p[5], 0x00, 0x0C, 0x00, 0x00, 0x00, 0x01, 0x12, 0x08,
              0x12, 0x84, 0x01, 0x01, 0x00, 0x00, 0xD6, 0x02};
       },
       S7_ERR_PARAMETER, 0xD602, 512},
      {"header cut short", [](Bytes& p) { p.resize(8); }, S7_ERR_BAD_REPLY, 0, 512},
  };
  for (const auto& c : cases) {
    sim_.Inject({FaultKind::RewriteReply, 0, 0, 0, c.rewrite});
    S7Connection* conn = Connect();
    std::int32_t ext = -1;
    EXPECT_EQ(LastError(&ext), c.code) << c.what;
    EXPECT_EQ(ext, c.ext) << c.what;
    EXPECT_EQ(S7_GetPduSize(conn), c.pduSize) << c.what;
    EXPECT_EQ(S7_IsConnected(conn), c.code == S7_OK ? 1 : 0) << c.what;
    S7_Connection_Done(conn);
  }
}

TEST_F(PduTest, TruncatedReplyWithMatchingHeaderIsMalformed) {
  S7Connection* conn = Connect();
  // The header promises the 8 parameter bytes of a 20-byte reply, but only
  // 16 bytes arrive: the check must not read the missing ones.
  sim_.Inject({FaultKind::RewriteReply, 0, 0, 0, [](Bytes& p) { p.resize(16); }});
  EXPECT_EQ(ExchangeOnce(conn), S7_ERR_BAD_REPLY);
}

TEST_F(PduTest, ReferenceIsLowByteFirstAndCountsOn) {
  S7Connection* conn = Connect();
  EXPECT_EQ(sim_.LastRequestPdu()[4], 0x00);
  EXPECT_EQ(sim_.LastRequestPdu()[5], 0x00);
  ASSERT_EQ(ExchangeOnce(conn), S7_OK);
  EXPECT_EQ(sim_.LastRequestPdu()[4], 0x01);
  EXPECT_EQ(sim_.LastRequestPdu()[5], 0x00);
  for (int i = 2; i < 257; ++i) ASSERT_EQ(ExchangeOnce(conn), S7_OK);
  EXPECT_EQ(sim_.LastRequestPdu()[4], 0x00);
  EXPECT_EQ(sim_.LastRequestPdu()[5], 0x01) << "the 257th PDU carries 00 01";
  S7_Disconnect(conn);
  S7_Connect(conn);
  EXPECT_EQ(sim_.LastRequestPdu()[4], 0x01) << "a disconnect does not reset the counter";
}

TEST_F(PduTest, RequestBlocks) {
  S7Connection* conn = Connect();
  struct Case {
    const char* what;
    int type, function, argument;
    Bytes params;
    int expectedReply;
  } cases[] = {
      {"read", 1, 4, 0, {0x04, 0x00}, 14},
      {"write", 1, 5, 0, {0x05, 0x00}, 14},
      {"warm restart", 1, 0x28, 0,
       {0x28, 0, 0, 0, 0, 0, 0, 0xFD, 0, 0, 0x09, 'P', '_', 'P', 'R', 'O', 'G', 'R', 'A', 'M'}, 13},
      {"cold restart", 1, 0x28, 1,
       {0x28, 0, 0, 0, 0, 0, 0, 0xFD, 0, 0x02, 0x43, 0x20, 0x09, 'P', '_', 'P', 'R', 'O', 'G', 'R', 'A', 'M'},
       13},
      {"stop", 1, 0x29, 0, {0x29, 0, 0, 0, 0, 0, 0x09, 'P', '_', 'P', 'R', 'O', 'G', 'R', 'A', 'M'}, 13},
      {"setup", 1, 0xF0, 0, {0xF0, 0x00, 0x00, 0x01, 0x00, 0x01, 0x02, 0x00}, 20},
      {"state", 7, 1, 0x44, {0x00, 0x01, 0x12, 0x04, 0x11, 0x44, 0x01, 0x00}, 54},
      {"clock read", 7, 1, 0x47, {0x00, 0x01, 0x12, 0x04, 0x11, 0x47, 0x01, 0x00}, 36},
      {"clock set", 7, 2, 0x47, {0x00, 0x01, 0x12, 0x04, 0x11, 0x47, 0x02, 0x00}, 26},
      {"login", 7, 1, 0x45, {0x00, 0x01, 0x12, 0x04, 0x11, 0x45, 0x01, 0x00}, 26},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(S7_BeginPdu(conn, c.type, c.function, c.argument, 1), S7_OK) << c.what;
    const std::uint8_t* pdu = conn->requestPdu;
    const int n = static_cast<int>(c.params.size());
    EXPECT_EQ(pdu[0], 0x32);
    EXPECT_EQ(pdu[1], c.type);
    EXPECT_EQ(GetBE16(pdu + 6), n) << c.what;
    EXPECT_EQ(GetBE16(pdu + 8), 0);
    EXPECT_EQ(Bytes(pdu + 10, pdu + 10 + n), c.params) << c.what;
    EXPECT_EQ(S7_GetRequestSize(conn), 10 + n) << c.what;
    EXPECT_EQ(S7_GetReplySize(conn), c.expectedReply) << c.what;
    EXPECT_EQ(conn->jobOpen, c.function == 4 || c.function == 5 ? 1 : 0) << c.what;
  }
  ASSERT_EQ(S7_BeginPdu(conn, 1, 0x29, 0, 1), S7_OK);
  EXPECT_EQ(S7_GetRequestSize(conn), 26) << "a stop request is 10 + 16 bytes";
  const std::uint8_t data[] = {0xFF, 0x09, 0x00, 0x04, 0x04, 0x24, 0x00, 0x00};
  S7_AppendData(conn, data, sizeof data);
  EXPECT_EQ(S7_GetRequestSize(conn), 34);
  EXPECT_EQ(GetBE16(conn->requestPdu + 8), 8);
}

TEST_F(PduTest, StopReplyMustBeThirteenBytes) {
  S7Connection* conn = Connect();
  const Bytes stopAck = {0x32, 0x03, 0, 0, 0, 0, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x29};
  for (int extra : {0, 1}) {
    sim_.Inject({FaultKind::RewriteReply, 0, 0, 0, [&](Bytes& p) {
                   Bytes r = stopAck;
                   r[4] = p[4];
                   r[5] = p[5];
                   if (extra) {
                     r.push_back(0);
                     r[9] = 1;
                   }
                   p = r;
                 }});
    ASSERT_EQ(S7_BeginPdu(conn, 1, 0x29, 0, 1), S7_OK);
    EXPECT_EQ(S7_Exchange(conn), extra ? S7_ERR_REPLY_SIZE : S7_OK);
  }
}

}  // namespace
