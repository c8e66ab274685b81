// The SCP transport: loading the access point library, the request blocks
// byte for byte, the exchange with its retries, time-out and response codes,
// and connecting, exchanging PDUs and disconnecting over it.
#include "tests/scp/scp_fixture.h"

namespace {

using TransportTest = ScpTest;

TEST_F(TransportTest, LibraryIsSharedByTheScpKinds) {
  ASSERT_FALSE(Scp_IsLoaded());
  S7Interface* online = Open(S7_KIND_S7ONLINE);
  ASSERT_NE(online, nullptr) << LastError();
  EXPECT_EQ(Query("accesspoint"), "/S7online");
  EXPECT_EQ(S7_GetInterfaceKind(online), 1);
  S7Interface* l2 = Open(S7_KIND_CP_L2_1);
  ASSERT_NE(l2, nullptr);
  EXPECT_EQ(Query("accesspoint"), "/CP_L2_1:");
  EXPECT_EQ(Query("handles"), "2");
  Close(online);
  EXPECT_TRUE(Scp_IsLoaded()) << "CP_L2_1 is still open";
  EXPECT_EQ(Query("handles"), "1");
  Close(l2);
  EXPECT_FALSE(Scp_IsLoaded()) << "the last SCP interface unloads the library";
  EXPECT_EQ(Query("handles"), "0");

  S7Interface* l22 = Open(S7_KIND_CP_L2_2);
  ASSERT_NE(l22, nullptr);
  EXPECT_EQ(Query("accesspoint"), "/CP_L2_2:");
  EXPECT_EQ(Open(S7_KIND_CP_L2_2), nullptr);
  EXPECT_EQ(LastError(), S7_ERR_INTERFACE_IN_USE);
}

TEST_F(TransportTest, FailingOpenUnloadsAgain) {
  Control("openfail 4711");
  std::int32_t ext = 0;
  EXPECT_EQ(Open(S7_KIND_S7ONLINE), nullptr);
  EXPECT_EQ(LastError(&ext), S7_ERR_SCP);
  EXPECT_EQ(ext, 4711);
  EXPECT_FALSE(Scp_IsLoaded());
  EXPECT_NE(Open(S7_KIND_S7ONLINE), nullptr) << "the kind was not left marked open";
}

TEST_F(TransportTest, RequestBlocksOfAConnection) {
  S7Interface* iface = Open(S7_KIND_S7ONLINE);
  ASSERT_NE(iface, nullptr);
  S7Connection* conn = S7_Connection_Init(iface, "mpi", 1000, 2, 0, 0, 240);
  ASSERT_EQ(LastError(), S7_OK);
  EXPECT_EQ(S7_GetPduSize(conn), 240);

  // open, connect, send data (setup), receive data: four blocks, newest last.
  const Block open = LastBlock(3), connect = LastBlock(2), send = LastBlock(1), receive = LastBlock(0);
  Block header(80, 0);
  header[4] = 0x50;
  header[7] = 0x02;
  header[12] = 0x40;
  header[14] = 0xFF;
  header[21] = 0x50;
  EXPECT_EQ(open, header) << "open block: counter 0, no data, reference 0";

  ASSERT_EQ(connect.size(), 80u + 126u);
  EXPECT_EQ(Le16(connect, 5), 1) << "the request-block counter counts blocks";
  EXPECT_EQ(connect[13], 0x01);
  EXPECT_EQ(Le16(connect, 16), 126);
  EXPECT_EQ(Le16(connect, 19), 126);
  EXPECT_EQ(connect[42], 0x02);
  EXPECT_EQ(connect[44], 0x72);
  const std::uint16_t reference = static_cast<std::uint16_t>(Le16(connect, 34));
  EXPECT_EQ(reference, conn->scpReference);
  EXPECT_NE(reference, 0);
  Block data(126, 0);
  data[1] = 0x02;
  data[2] = 0x01;
  data[4] = 0x0C;
  data[5] = 0x01;
  data[9] = 0x02;  // the station address
  data[15] = 0x01;
  data[17] = 0x02;
  data[18] = 0x01;
  EXPECT_EQ(Block(connect.begin() + 80, connect.end()), data);

  ASSERT_EQ(send.size(), 80u + 18u);
  EXPECT_EQ(send[13], 0x06);
  EXPECT_EQ(Le16(send, 19), 18);
  EXPECT_EQ(Le16(send, 34), reference);
  EXPECT_EQ(Block(send.begin() + 80, send.end()),
            (Block{0x32, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x08, 0x00, 0x00, 0xF0, 0x00, 0x00, 0x01,
                   0x00, 0x01, 0x02, 0x00}));
  EXPECT_EQ(receive[13], 0x07);
  EXPECT_EQ(Le16(receive, 19), 520) << "the setup reply is fetched with room for 520 bytes";
  EXPECT_EQ(Le16(receive, 5), 3);

  // A later request fetches its reply with the negotiated PDU size.
  ASSERT_EQ(S7_BeginPdu(conn, 1, 0xF0, 0, 1), S7_OK);
  ASSERT_EQ(S7_Exchange(conn), S7_OK);
  EXPECT_EQ(Le16(LastBlock(0), 19), 240);

  EXPECT_EQ(S7_Disconnect(conn), S7_OK);
  const Block disconnect = LastBlock(0);
  EXPECT_EQ(disconnect[13], 0x0C);
  EXPECT_EQ(Le16(disconnect, 19), 0);
  EXPECT_EQ(Le16(disconnect, 34), reference);
  EXPECT_EQ(conn->scpOpen, 0);
}

TEST_F(TransportTest, CounterRunsAcrossConnectionsAndBusServices) {
  S7Interface* iface = Open(S7_KIND_CP_L2_1);
  S7Connection* a = S7_Connection_Init(iface, "a", 1000, 2, 0, 0, 240);
  int after = Le16(LastBlock(), 5);
  std::uint8_t partners[256];
  int count = 0;
  ASSERT_EQ(S7_OnLine_Partners(iface, 1000, sizeof partners, partners, &count), S7_OK);
  EXPECT_EQ(Le16(LastBlock(), 5), after + 1);
  S7Connection* b = S7_Connection_Init(iface, "b", 1000, 2, 0, 0, 240);
  EXPECT_EQ(Le16(LastBlock(3), 5), after + 2) << "the second connection's open block";
  EXPECT_EQ(Le16(LastBlock(), 5), after + 5);
  EXPECT_NE(a->scpReference, b->scpReference);
}

TEST_F(TransportTest, StationWithoutCpuIsRefusedAndClosedAgain) {
  S7Interface* iface = Open(S7_KIND_S7ONLINE);
  std::int32_t ext = 0;
  S7Connection* conn = S7_Connection_Init(iface, "none", 1000, 9, 0, 0, 240);
  EXPECT_EQ(LastError(&ext), S7_ERR_REFUSED);
  EXPECT_EQ(ext, 0x11);
  EXPECT_EQ(S7_IsConnected(conn), 0);
  EXPECT_EQ(LastBlock()[13], 0x0C) << "the opened SCP connection is disconnected again";
  EXPECT_EQ(conn->scpOpen, 0);
  EXPECT_EQ(conn->transferBuffer, nullptr);
}

TEST_F(TransportTest, ExchangeFailures) {
  struct Case {
    const char* what;
    std::vector<const char*> faults;
    int code;
    std::int32_t ext;
  } cases[] = {
      {"receive-data answered with 1 instead of 3", {"service 7", "response 1"}, S7_ERR_REFUSED, 1},
      {"send-data answered with 3 instead of 1", {"service 6", "response 3"}, S7_ERR_REFUSED, 3},
      {"answer shorter than 80 bytes", {"service 7", "short 60"}, S7_ERR_BAD_REPLY, 0},
      {"send failing three times", {"sendfail 77 3"}, S7_ERR_SCP, 77},
      {"send failing twice, then accepted", {"sendfail 77 2"}, S7_OK, 0},
      {"receive failing", {"receivefail 78"}, S7_ERR_SCP, 78},
  };
  S7Interface* iface = Open(S7_KIND_S7ONLINE);
  for (const Case& c : cases) {
    S7Connection* conn = S7_Connection_Init(iface, "x", 1000, 2, 0, 0, 240);
    ASSERT_EQ(S7_IsConnected(conn), 1) << c.what;
    ASSERT_EQ(S7_BeginPdu(conn, 1, 0xF0, 0, 1), S7_OK);
    for (const char* fault : c.faults) ASSERT_EQ(Control(fault), 0) << fault;
    std::int32_t ext = -1;
    EXPECT_EQ(S7_Exchange(conn), c.code) << c.what;
    S7_GetLastError(&ext);
    EXPECT_EQ(ext, c.ext) << c.what;
    S7_Connection_Done(conn);
    Control("reset");
  }
}

TEST_F(TransportTest, NoAnswerTimesOutAfterAtLeastOneSecond) {
  S7Interface* iface = Open(S7_KIND_S7ONLINE);
  S7Connection* conn = S7_Connection_Init(iface, "x", 200, 2, 0, 0, 240);
  ASSERT_EQ(S7_IsConnected(conn), 1);
  EXPECT_EQ(conn->timeoutMs, 1000);
  ASSERT_EQ(S7_BeginPdu(conn, 1, 0xF0, 0, 1), S7_OK);
  Control("noanswer 1");
  std::uint32_t start = Plat_TickCount();
  EXPECT_EQ(S7_Exchange(conn), S7_ERR_TIMEOUT);
  std::uint32_t spent = Plat_TickCount() - start;
  EXPECT_GE(spent, 1000u);
  EXPECT_LT(spent, 3000u);
}

TEST_F(TransportTest, SlowAnswerWithinTheTimeout) {
  S7Interface* iface = Open(S7_KIND_S7ONLINE);
  S7Connection* conn = S7_Connection_Init(iface, "x", 1000, 2, 0, 0, 240);
  ASSERT_EQ(S7_BeginPdu(conn, 1, 0xF0, 0, 1), S7_OK);
  Control("delay 300");
  EXPECT_EQ(S7_Exchange(conn), S7_OK);
}

}  // namespace
