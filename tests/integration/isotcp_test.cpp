// The ISO-on-TCP transport against the simulator: bytes on the wire, frames
// in pieces, and every way a peer can fail to answer properly.
#include "runtime/runtime.h"
#include "tests/integration/sim_fixture.h"

namespace {

using plcsim::Bytes;
using plcsim::Fault;
using plcsim::FaultKind;

using IsoTcpTest = SimTest;

TEST(IsoTcpFrames, ConnectionRequestCarriesRackAndSlot) {
  struct Case {
    int rack, slot;
    std::uint8_t tsap0, tsap1;
  } cases[] = {{0, 2, 0x01, 0x02}, {1, 3, 0x01, 0x23}, {7, 31, 0x01, 0xFF}, {0, 0, 0x01, 0x00}};
  for (const Case& c : cases) {
    std::uint8_t frame[22];
    IsoTcp_BuildConnectFrame(frame, S7_RackSlotTsaps(S7ConnectionType::PG, c.rack, c.slot), 0xE0);
    Bytes expected = {0x03, 0x00, 0x00, 0x16, 0x11, 0xE0, 0x00, 0x00, 0x00, 0x01, 0x00,
                      0xC0, 0x01, 0x09, 0xC1, 0x02, 0x01, 0x00, 0xC2, 0x02, c.tsap0, c.tsap1};
    EXPECT_EQ(Bytes(frame, frame + 22), expected) << c.rack << "/" << c.slot;
  }
}

// Every family with its default rack, slot and TSAPs, and each connection
// type: only the two TSAP words of the request differ.
TEST(IsoTcpFrames, ConnectionRequestOfEachFamilyAndType) {
  using T = S7ConnectionType;
  struct Case {
    S7Family family;
    T type;
    std::uint16_t local, remote;
  } cases[] = {
      {S7Family::S7_300, T::PG, 0x0100, 0x0102},      {S7Family::S7_300, T::OP, 0x0100, 0x0202},
      {S7Family::S7_300, T::Basic, 0x0100, 0x0302},   {S7Family::S7_1200, T::PG, 0x0100, 0x0101},
      {S7Family::S7_1200, T::OP, 0x0100, 0x0201},     {S7Family::S7_1500, T::Basic, 0x0100, 0x0301},
      {S7Family::S7_200Smart, T::Basic, 0x0100, 0x0301}, {S7Family::Logo, T::PG, 0x0100, 0x0200},
      {S7Family::S7_200, T::PG, 0x1000, 0x1001},      {S7Family::Custom, T::PG, 0x0100, 0x0102},
  };
  for (const Case& c : cases) {
    const S7FamilyProfile* profile = S7_GetFamilyProfile(c.family);
    ASSERT_NE(profile, nullptr);
    const S7Tsaps tsaps = profile->addressing == S7Addressing::RackSlot
                              ? S7_RackSlotTsaps(c.type, profile->rack, profile->slot)
                              : profile->tsaps;
    std::uint8_t frame[22];
    IsoTcp_BuildConnectFrame(frame, tsaps, 0xE0);
    const Bytes expected = {0x03, 0x00, 0x00, 0x16, 0x11, 0xE0, 0x00, 0x00, 0x00, 0x01, 0x00,
                            0xC0, 0x01, 0x09, 0xC1, 0x02,
                            static_cast<std::uint8_t>(c.local >> 8), static_cast<std::uint8_t>(c.local),
                            0xC2, 0x02,
                            static_cast<std::uint8_t>(c.remote >> 8), static_cast<std::uint8_t>(c.remote)};
    EXPECT_EQ(Bytes(frame, frame + 22), expected)
        << "family " << static_cast<int>(c.family) << " type " << static_cast<int>(c.type);
  }
  EXPECT_EQ(S7_GetFamilyProfile(static_cast<S7Family>(kS7FamilyCount)), nullptr);
}

TEST_F(IsoTcpTest, WireBytesOfConnectAndSetup) {
  S7Connection* conn = Connect();
  ASSERT_EQ(S7_IsConnected(conn), 1);
  EXPECT_EQ(sim_.LastConnectRequest(),
            (Bytes{0x03, 0x00, 0x00, 0x16, 0x11, 0xE0, 0x00, 0x00, 0x00, 0x01, 0x00,
                   0xC0, 0x01, 0x09, 0xC1, 0x02, 0x01, 0x00, 0xC2, 0x02, 0x01, 0x02}));
  EXPECT_EQ(sim_.LastRequestPdu(), (Bytes{0x32, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x08, 0x00,
                                         0x00, 0xF0, 0x00, 0x00, 0x01, 0x00, 0x01, 0x02, 0x00}));
  const std::uint8_t* frame = conn->transferBuffer;
  EXPECT_EQ(Bytes(frame, frame + 7), (Bytes{0x03, 0x00, 0x00, 0x19, 0x02, 0xF0, 0x80}))
      << "the setup request travels as one 25-byte DT frame";
}

TEST_F(IsoTcpTest, RefusalWithDR) {
  sim_.InjectOnConnect({FaultKind::RefuseWithDR});
  S7Connection* refused = Connect();
  EXPECT_EQ(LastError(), S7_ERR_REFUSED);
  EXPECT_EQ(S7_IsConnected(refused), 0);
  EXPECT_EQ(S7_IsConnected(Connect()), 1) << "only the one request was refused";
}

TEST_F(IsoTcpTest, WrongRackOrSlotIsRefusedWithDR) {
  std::int32_t ext = -1;
  S7Connection* conn = Connect("PLC", 1000, 0, 3);
  ASSERT_NE(conn, nullptr) << "a connection whose connect failed is still returned";
  EXPECT_EQ(LastError(&ext), S7_ERR_REFUSED);
  EXPECT_EQ(ext, 0);
  EXPECT_EQ(S7_IsConnected(conn), 0);
  EXPECT_EQ(conn->transferBuffer, nullptr);
}

TEST_F(IsoTcpTest, RefusedConnectReads10061) {
  sim_.Stop();
  std::int32_t ext = 0;
  S7Connection* conn = Connect();
  EXPECT_EQ(LastError(&ext), S7_ERR_SOCKET);
  EXPECT_EQ(ext, 10061);
  EXPECT_EQ(S7_IsConnected(conn), 0);
}

TEST_F(IsoTcpTest, ConnectThatNeverCompletesTimesOutAfterTwoSeconds) {
  // A listener that never accepts, with its backlog filled: the kernel drops
  // further SYNs, so the connect neither succeeds nor is refused.
  sim_.Stop();
  int wsa = 0;
  Plat_SockStartup(&wsa);
  std::uint32_t address = 0;
  PlatSocket listener = kNoSocket;
  for (int last = 200; last > 150 && listener == kNoSocket; --last)
    listener = Plat_SockListen(address = plcsim::ParseIpv4("127.1.2." + std::to_string(last)), 102, &wsa);
  ASSERT_NE(listener, kNoSocket);
  std::vector<PlatSocket> fillers;
  for (int i = 0; i < 64; ++i) {
    PlatSocket s = Plat_SockTcp();
    int e = 0;
    if (Plat_SockConnect(s, address, 102, 50, &e) != PlatConnect::Connected) {
      Plat_SockClose(s);
      break;
    }
    fillers.push_back(s);
  }
  std::uint32_t start = Plat_TickCount();
  S7Connection* conn = S7_Connection_Init(iface_, "slow", 1000, address, 0, 2, 240);
  std::uint32_t spent = Plat_TickCount() - start;
  std::int32_t ext = -1;
  EXPECT_EQ(LastError(&ext), S7_ERR_TIMEOUT);
  EXPECT_EQ(ext, 0);
  EXPECT_GE(spent, 1900u);
  EXPECT_LT(spent, 4000u);
  EXPECT_EQ(S7_IsConnected(conn), 0);
  for (PlatSocket s : fillers) Plat_SockClose(s);
  Plat_SockClose(listener);
  Plat_SockCleanup();
}

TEST_F(IsoTcpTest, NoAnswerToTheConnectionRequest) {
  sim_.InjectOnConnect({FaultKind::NoAnswer});
  std::uint32_t start = Plat_TickCount();
  Connect();
  EXPECT_EQ(LastError(), S7_ERR_TIMEOUT);
  EXPECT_GE(Plat_TickCount() - start, 1000u);
}

TEST_F(IsoTcpTest, ReplyInSeveralFramesIsReassembled) {
  sim_.Inject({FaultKind::SplitFrames, 3, 50});
  S7Connection* conn = Connect();
  EXPECT_EQ(LastError(), S7_OK);
  EXPECT_EQ(S7_GetPduSize(conn), 240);
  EXPECT_EQ(conn->receiveFrame[6], 0x80) << "the header left is the last frame's";
}

TEST_F(IsoTcpTest, EachFrameHasItsOwnTimeout) {
  // Three frames 700 ms apart: 1400 ms in all, but no single wait passes 1000 ms.
  sim_.Inject({FaultKind::SplitFrames, 3, 700});
  Connect();
  EXPECT_EQ(LastError(), S7_OK);
}

TEST_F(IsoTcpTest, FrameArrivingInSegmentsIsWaitedFor) {
  for (int pieces : {2, 5, 25}) {
    S7Connection* conn = Connect();
    ASSERT_EQ(S7_IsConnected(conn), 1);
    sim_.Inject({FaultKind::SplitSegments, pieces, 30});
    EXPECT_EQ(ExchangeOnce(conn), S7_OK) << pieces << " segments";
    EXPECT_EQ(ExchangeOnce(conn), S7_OK) << "the stream stays in step";
    S7_Connection_Done(conn);
  }
}

TEST_F(IsoTcpTest, SegmentsThatNeverCompleteTimeOut) {
  S7Connection* conn = Connect();
  sim_.Inject({FaultKind::SplitSegments, 2, 1500});
  EXPECT_EQ(ExchangeOnce(conn), S7_ERR_TIMEOUT);
}

TEST_F(IsoTcpTest, LateReplyIsNotTakenForTheNextOne) {
  S7Connection* conn = Connect();
  sim_.Inject({FaultKind::Delay, 0, 1300});
  EXPECT_EQ(ExchangeOnce(conn), S7_ERR_TIMEOUT);
  Plat_Sleep(500);  // the late reply is queued now
  sim_.Inject({FaultKind::RewriteReply, 0, 0, 0, [](Bytes& pdu) { pdu[14] = 0xAA; }});
  EXPECT_EQ(ExchangeOnce(conn), S7_OK);
  EXPECT_EQ(conn->replyPdu[14], 0xAA) << "the reply read is the new request's";
}

TEST_F(IsoTcpTest, ReplyArrivingDuringTheNextRequestIsSkipped) {
  S7Connection* conn = Connect();
  sim_.Inject({FaultKind::StaleReply});
  EXPECT_EQ(ExchangeOnce(conn), S7_OK);
  EXPECT_EQ(conn->replyPdu[4], sim_.LastRequestPdu()[4]);
  EXPECT_EQ(conn->replyPdu[5], sim_.LastRequestPdu()[5]);
}

TEST_F(IsoTcpTest, MalformedFrames) {
  struct Case {
    const char* what;
    Fault fault;
    int code;
    std::int32_t ext;
  } cases[] = {
      {"bad TPKT version", {FaultKind::BadVersion}, S7_ERR_BAD_REPLY, 0},
      {"TPKT length above 519", {FaultKind::OversizeFrame, 0, 0, 600}, S7_ERR_BAD_REPLY, 0},
      {"wrong TPDU code", {FaultKind::WrongTpdu, 0, 0, 0xD0}, S7_ERR_REFUSED, 0},
      {"closed in the middle", {FaultKind::CloseMidReply}, S7_ERR_SOCKET, 10054},
      {"no answer", {FaultKind::NoAnswer}, S7_ERR_TIMEOUT, 0},
  };
  for (const Case& c : cases) {
    S7Connection* conn = Connect();
    ASSERT_EQ(S7_IsConnected(conn), 1) << c.what;
    sim_.Inject(c.fault);
    EXPECT_EQ(ExchangeOnce(conn), c.code) << c.what;
    std::int32_t ext = -1;
    S7_GetLastError(&ext);
    EXPECT_EQ(ext, c.ext) << c.what;
    if (c.code != S7_ERR_SOCKET) {
      EXPECT_EQ(ExchangeOnce(conn), S7_OK) << c.what << ": the next request is answered";
    }
    S7_Connection_Done(conn);
  }
}

TEST_F(IsoTcpTest, OversizeFrameOnConnectIsRefused) {
  sim_.InjectOnConnect({FaultKind::OversizeFrame, 0, 0, 1000});
  S7Connection* conn = Connect();
  EXPECT_EQ(LastError(), S7_ERR_BAD_REPLY);
  EXPECT_EQ(S7_IsConnected(conn), 0);
}

TEST_F(IsoTcpTest, ReplyLargerThanTheReceiveFrameIsRefused) {
  S7Connection* conn = Connect();
  // Two frames of 300 bytes each are fine on their own, but 600 bytes of PDU
  // do not fit behind the receive frame's header.
  sim_.Inject({FaultKind::SplitFrames, 2, 0, 0, [](Bytes& pdu) { pdu.resize(600, 0); }});
  EXPECT_EQ(ExchangeOnce(conn), S7_ERR_BAD_REPLY);
  EXPECT_EQ(ExchangeOnce(conn), S7_OK);
}

TEST_F(IsoTcpTest, DisconnectSendsDRWithoutWaiting) {
  S7Connection* conn = Connect();
  sim_.Inject({FaultKind::NoAnswer});  // would swallow any answer the client waited for
  std::uint32_t start = Plat_TickCount();
  EXPECT_EQ(S7_Disconnect(conn), S7_OK);
  EXPECT_LT(Plat_TickCount() - start, 500u);
  EXPECT_TRUE(Eventually([&] { return sim_.DisconnectRequestCount() == 1; }));
}

}  // namespace
