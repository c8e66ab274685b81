// The PLC families against the simulator acting as each of them: which
// connection requests a CPU takes and which it refuses, the PG connections an
// S7-300 keeps, what an S7-1200/1500 answers when PUT/GET or the DB's access
// forbids a read, and a PLC that goes away and comes back.
#include <vector>

#include "tests/integration/sim_fixture.h"

namespace {

using plcsim::Family;

using FamiliesTest = SimTest;
using plcsim::Bytes;

S7Tsaps ClientTsaps(S7Family family, S7ConnectionType type) {
  const S7FamilyProfile* p = S7_GetFamilyProfile(family);
  return p->addressing == S7Addressing::RackSlot ? S7_RackSlotTsaps(type, p->rack, p->slot) : p->tsaps;
}

// Each family as it comes: the client's defaults for it connect; the
// TSAPs of other families are refused with a DR.
TEST_F(FamiliesTest, EachFamilyTakesItsOwnTsapsOnly) {
  constexpr S7Tsaps kS7300 = {0x0100, 0x0102}, kS71200 = {0x0100, 0x0101}, kLogo = {0x0100, 0x0200},
                    kS7200 = {0x1000, 0x1001};
  struct Case {
    Family sim;
    S7Family client;
    std::vector<S7Tsaps> refused;
  } cases[] = {
      {Family::S7_300, S7Family::S7_300, {kS71200, kLogo, kS7200}},
      {Family::S7_1200, S7Family::S7_1200, {kS7300, kLogo}},
      {Family::S7_1500, S7Family::S7_1500, {kS7300, kLogo}},
      {Family::Logo, S7Family::Logo, {kS7300, kS71200, kS7200}},
      {Family::S7_200, S7Family::S7_200, {kS7300, kLogo}},
      {Family::S7_200Smart, S7Family::S7_200Smart, {kS7300, kLogo}},
  };
  for (const Case& c : cases) {
    StartSim(plcsim::FamilyConfig(c.sim));
    const S7Tsaps own = ClientTsaps(c.client, S7_GetFamilyProfile(c.client)->type);
    S7Connection* conn = S7_Connection_InitTsaps(iface_, "own", 1000, sim_.Address(), own, 240);
    EXPECT_EQ(S7_IsConnected(conn), 1) << "family " << static_cast<int>(c.sim) << " error " << LastError();
    for (const S7Tsaps& wrong : c.refused) {
      S7Connection* other = S7_Connection_InitTsaps(iface_, "wrong", 1000, sim_.Address(), wrong, 240);
      EXPECT_EQ(LastError(), S7_ERR_REFUSED)
          << "family " << static_cast<int>(c.sim) << " asked with " << std::hex << wrong.local << ":" << wrong.remote;
      EXPECT_EQ(S7_IsConnected(other), 0);
      S7_Connection_Done(other);
    }
    S7_Connection_Done(conn);
  }
}

// The TSAPs given are the ones sent, in the request and in the disconnect
// request that closes it.
TEST_F(FamiliesTest, ConnectionWithTsapsSendsThemAndKeepsThem) {
  plcsim::Config config = plcsim::FamilyConfig(plcsim::Family::Logo);
  config.localTsap = 0x0300;
  config.remoteTsap = 0x0201;
  StartSim(config);
  S7Connection* conn = S7_Connection_InitTsaps(iface_, "LOGO", 1000, sim_.Address(), {0x0300, 0x0201}, 240);
  ASSERT_EQ(S7_IsConnected(conn), 1) << LastError();
  const Bytes cr = sim_.LastConnectRequest();
  ASSERT_EQ(cr.size(), 22u);
  EXPECT_EQ(Bytes(cr.begin() + 14, cr.end()), (Bytes{0xC1, 0x02, 0x03, 0x00, 0xC2, 0x02, 0x02, 0x01}));
  S7Tsaps kept{};
  EXPECT_EQ(S7_GetTsaps(conn, &kept), S7_OK);
  EXPECT_EQ(kept.local, 0x0300);
  EXPECT_EQ(kept.remote, 0x0201);
  S7_Disconnect(conn);
  EXPECT_EQ(S7_Connect(conn), S7_OK) << "a reconnect asks with the same TSAPs";
  EXPECT_EQ(S7_GetTsaps(nullptr, &kept), S7_ERR_BAD_CONNECTION);
  EXPECT_EQ(kept.remote, 0);
}

TEST_F(FamiliesTest, TsapPlcWantsBothTsaps) {
  StartSim(plcsim::FamilyConfig(Family::Logo));
  struct Case {
    S7Tsaps tsaps;
    int error;
  } cases[] = {
      {{0x0100, 0x0200}, S7_OK},
      {{0x0300, 0x0200}, S7_ERR_REFUSED},  // another local TSAP than configured
      {{0x0100, 0x0201}, S7_ERR_REFUSED},
      {{0x0100, 0x0102}, S7_ERR_REFUSED},  // an S7-300's
  };
  for (const Case& c : cases) {
    S7Connection* conn = S7_Connection_InitTsaps(iface_, "LOGO", 1000, sim_.Address(), c.tsaps, 240);
    EXPECT_EQ(LastError(), c.error) << std::hex << c.tsaps.local << ":" << c.tsaps.remote;
    S7_Connection_Done(conn);
  }
}

// An S7-300 keeps one PG connection: a second PG client is refused until
// the first has gone, while OP and S7-basic connections are still taken.
TEST_F(FamiliesTest, OnePgConnectionOnAnS7300) {
  StartSim(plcsim::FamilyConfig(Family::S7_300));
  S7Connection* first = Connect("first");
  ASSERT_EQ(S7_IsConnected(first), 1);
  S7Connection* second = Connect("second");
  EXPECT_EQ(LastError(), S7_ERR_REFUSED);
  EXPECT_EQ(sim_.RefusedConnectCount(), 1);
  for (S7ConnectionType type : {S7ConnectionType::OP, S7ConnectionType::Basic}) {
    S7Connection* other = S7_Connection_InitTsaps(iface_, "other", 1000, sim_.Address(), S7_RackSlotTsaps(type, 0, 2), 240);
    EXPECT_EQ(S7_IsConnected(other), 1) << static_cast<int>(type);
  }
  S7_Disconnect(first);
  EXPECT_EQ(S7_Connect(second), S7_OK) << "the slot the first left is free again";
  EXPECT_EQ(S7_Connect(first), S7_ERR_REFUSED);
}

class S71500Test : public SimTest {
 protected:
  void SetUp() override {
    plcsim::Config config = plcsim::FamilyConfig(Family::S7_1500);
    config.model.dataBlocks = {{1, 64}, {2, 64, plcsim::DbAccess::Optimized}, {3, 64, plcsim::DbAccess::Protected}};
    StartSim(config);
    conn_ = S7_Connection_InitTsaps(iface_, "1500", 1000, sim_.Address(), S7_RackSlotTsaps(S7ConnectionType::PG, 0, 1), 240);
    ASSERT_EQ(S7_IsConnected(conn_), 1);
  }
  S7Connection* conn_ = nullptr;
};

TEST_F(S71500Test, OptimizedAndProtectedBlocksRefuseTheirItems) {
  struct Case {
    int db;
    int item;
  } cases[] = {{1, 0xFF}, {2, 0x05}, {3, 0x03}, {4, 0x0A}};
  for (const Case& c : cases) {
    std::uint32_t value = 0;
    const int expected = c.item == 0xFF ? S7_OK : S7_ERR_DATA;
    EXPECT_EQ(S7_SimpleRead(conn_, S7_TYPE_WORD, S7_AREA_DB, c.db, 0, 0, 1, 1, &value), expected) << "DB" << c.db;
    int code = 0;
    S7_GetVarResult(conn_, 0, &code);
    EXPECT_EQ(code, c.item) << "DB" << c.db;
    EXPECT_EQ(S7_SimpleWrite(conn_, S7_TYPE_WORD, S7_AREA_DB, c.db, 0, 0, 1, 1, &value), expected) << "DB" << c.db;
  }
}

TEST_F(S71500Test, WithoutPutGetEveryJobIsRefusedInTheHeader) {
  plcsim::Config config = plcsim::FamilyConfig(Family::S7_1500);
  config.model.putGet = false;
  StartSim(config);
  conn_ = S7_Connection_InitTsaps(iface_, "1500", 1000, sim_.Address(), S7_RackSlotTsaps(S7ConnectionType::PG, 0, 1), 240);
  ASSERT_EQ(S7_IsConnected(conn_), 1) << "the connection itself is allowed";
  std::uint32_t value = 0;
  std::int32_t ext = 0;
  EXPECT_EQ(S7_SimpleRead(conn_, S7_TYPE_WORD, S7_AREA_DB, 1, 0, 0, 1, 1, &value), S7_ERR_PDU);
  EXPECT_EQ(LastError(&ext), S7_ERR_PDU);
  EXPECT_EQ(ext, 0x8104);
  EXPECT_EQ(sim_.LastReplyPdu().size(), 12u) << "an acknowledgement without parameter or data";
  EXPECT_EQ(S7_SimpleWrite(conn_, S7_TYPE_WORD, S7_AREA_DB, 1, 0, 0, 1, 1, &value), S7_ERR_PDU);
  int state = 0;
  EXPECT_EQ(S7_GetCpuState(conn_, &state), S7_OK) << "only reads and writes are refused";
}

// Going away: the connection drops at once; while away a connect is
// refused (port closed) or left unanswered (a hung CPU); afterwards the
// same connection connects again.
TEST_F(FamiliesTest, GoesAwayAndComesBack) {
  struct Case {
    plcsim::Outage how;
    int connectError;
  } cases[] = {{plcsim::Outage::Refuse, S7_ERR_SOCKET}, {plcsim::Outage::Silent, S7_ERR_TIMEOUT}};
  for (const Case& c : cases) {
    S7Connection* conn = Connect();
    ASSERT_EQ(S7_IsConnected(conn), 1);
    sim_.GoAway(60000, c.how);
    EXPECT_TRUE(sim_.Away());
    std::uint32_t value = 0;
    std::int32_t ext = 0;
    EXPECT_EQ(S7_SimpleRead(conn, S7_TYPE_BYTE, S7_AREA_FLAGS, 0, 0, 0, 1, 1, &value), S7_ERR_SOCKET);
    S7_Disconnect(conn);
    EXPECT_EQ(S7_Connect(conn), c.connectError);
    LastError(&ext);
    EXPECT_EQ(ext, c.how == plcsim::Outage::Refuse ? kWsaEConnRefused : 0);
    sim_.GoAway(0);
    EXPECT_FALSE(sim_.Away());
    EXPECT_TRUE(Eventually([&] { return S7_Connect(conn) == S7_OK; })) << "back at the same address";
    EXPECT_EQ(S7_SimpleRead(conn, S7_TYPE_BYTE, S7_AREA_FLAGS, 0, 0, 0, 1, 1, &value), S7_OK);
    S7_Connection_Done(conn);
  }
}

// A connection request of another length than the usual 22 bytes: one cut
// short (7-9 bytes, less than its references) is refused with a DR whose
// references are zero, read from nothing beyond the bytes that came; one
// with a parameter more is taken. Either answer is a whole frame of the
// length its header gives.
TEST_F(FamiliesTest, ConnectionRequestsOfOtherLengthsGetAWholeAnswer) {
  const struct {
    Bytes request;
    std::uint8_t tpdu;
    std::uint8_t reference0, reference1;
  } cases[] = {
      {{0x03, 0x00, 0x00, 0x07, 0x02, 0xE0, 0x00}, 0x80, 0x00, 0x00},
      {{0x03, 0x00, 0x00, 0x09, 0x04, 0xE0, 0x00, 0x00, 0x00}, 0x80, 0x00, 0x00},
      {{0x03, 0x00, 0x00, 0x19, 0x14, 0xE0, 0x00, 0x00, 0x00, 0x07, 0x00, 0xC0, 0x01,
        0x09, 0xC1, 0x02, 0x01, 0x00, 0xC2, 0x02, 0x01, 0x02, 0xC6, 0x01, 0x00},
       0xD0, 0x00, 0x07},
  };
  int wsa = 0;
  ASSERT_EQ(Plat_SockStartup(&wsa), 0);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.request.size());
    PlatSocket s = Plat_SockTcp();
    int error = 0;
    ASSERT_EQ(Plat_SockConnect(s, sim_.Address(), 102, 1000, &error), PlatConnect::Connected);
    Plat_SockSetTimeouts(s, 2000, 2000);
    const int size = static_cast<int>(c.request.size());
    ASSERT_EQ(Plat_SockSend(s, c.request.data(), size), size);
    Bytes answer(22);
    int got = 0;
    while (got < 22) {
      const int n = Plat_SockRecv(s, answer.data() + got, 22 - got);
      if (n <= 0) break;
      got += n;
    }
    Plat_SockClose(s);
    ASSERT_EQ(got, 22);
    EXPECT_EQ((answer[2] << 8) | answer[3], 22) << "the TPKT length of what came";
    EXPECT_EQ(answer[4], 17) << "the COTP header length";
    EXPECT_EQ(answer[5], c.tpdu);
    EXPECT_EQ(answer[6], c.reference0);
    EXPECT_EQ(answer[7], c.reference1);
  }
  Plat_SockCleanup();
}

}  // namespace
