// The library against an S7 server nobody here wrote: the Snap7 server of
// node-snap7. Connecting with PDU negotiation, disconnecting and connecting
// again, two connections on one interface, and closing an interface that
// still has connected connections.
#include <gtest/gtest.h>

#include "s7lib/s7lib.h"
#include "platform/platform.h"
#include "tests/interop/snap7_peer.h"

namespace {

class Snap7Test : public ::testing::Test {
 protected:
  void SetUp() override { StartPeer(0); }
  void StartPeer(int pduSize) {
    peer_.Stop();
    std::string why;
    ASSERT_TRUE(peer_.Start(&why, pduSize)) << why;
    if (!iface_) iface_ = S7_Interface_Init(S7_KIND_TCP);
    ASSERT_NE(iface_, nullptr);
  }
  void TearDown() override {
    iface_ = S7_Interface_Done(iface_);
    peer_.Stop();
  }
  S7Connection* Connect(const char* name) {
    return S7_Connection_Init(iface_, name, 2000, peer_.Address(), 0, 2, 240);
  }
  int Clients() { return std::stoi(peer_.Command("clients")); }

  Snap7Peer peer_;
  S7Interface* iface_ = nullptr;
};

TEST_F(Snap7Test, ConnectNegotiatesThePduSize) {
  S7Connection* conn = Connect("snap7");
  std::int32_t ext = -1;
  ASSERT_EQ(S7_GetLastError(&ext), S7_OK) << "extended " << ext;
  EXPECT_EQ(S7_IsConnected(conn), 1);
  EXPECT_EQ(S7_GetPduSize(conn), 512) << "Snap7 grants the 512 bytes asked for";
  EXPECT_EQ(Clients(), 1);

  StartPeer(240);  // now a server that offers less, as an S7-300 does
  conn = Connect("small");
  ASSERT_EQ(S7_GetLastError(&ext), S7_OK);
  EXPECT_EQ(S7_GetPduSize(conn), 240);
}

TEST_F(Snap7Test, DisconnectAndConnectAgain) {
  S7Connection* conn = Connect("again");
  ASSERT_EQ(S7_IsConnected(conn), 1);
  EXPECT_EQ(S7_Disconnect(conn), S7_OK);
  EXPECT_EQ(S7_IsConnected(conn), 0);
  for (int i = 0; i < 200 && Clients() != 0; ++i) Plat_Sleep(10);
  EXPECT_EQ(Clients(), 0);
  EXPECT_EQ(S7_Connect(conn), S7_OK);
  EXPECT_EQ(S7_IsConnected(conn), 1);
  EXPECT_EQ(S7_GetPduSize(conn), 512);
}

TEST_F(Snap7Test, TwoConnectionsThenInterfaceDone) {
  S7Connection* a = Connect("one");
  S7Connection* b = Connect("two");
  EXPECT_EQ(S7_IsConnected(a), 1);
  EXPECT_EQ(S7_IsConnected(b), 1);
  EXPECT_EQ(Clients(), 2);
  iface_ = S7_Interface_Done(iface_);
  EXPECT_EQ(S7_GetLastError(nullptr), S7_OK);
  for (int i = 0; i < 200 && Clients() != 0; ++i) Plat_Sleep(10);
  EXPECT_EQ(Clients(), 0) << "both connections were closed";
}

}  // namespace

// Every family's connection request, PG, OP and S7-basic, and a LOGO!'s or
// an S7-200's TSAPs: a server nobody here wrote takes each of them, so what
// only the request's TSAP words change is still a request it understands.
TEST_F(Snap7Test, EveryFamilysConnectionRequest) {
  for (int f = 0; f < kS7FamilyCount; ++f) {
    const S7FamilyProfile* p = S7_GetFamilyProfile(static_cast<S7Family>(f));
    for (S7ConnectionType type : {S7ConnectionType::PG, S7ConnectionType::OP, S7ConnectionType::Basic}) {
      const S7Tsaps tsaps = p->addressing == S7Addressing::RackSlot ? S7_RackSlotTsaps(type, p->rack, p->slot) : p->tsaps;
      S7Connection* conn = S7_Connection_InitTsaps(iface_, "family", 2000, peer_.Address(), tsaps, 240);
      std::int32_t ext = 0;
      EXPECT_EQ(S7_GetLastError(&ext), S7_OK) << "family " << f << " type " << static_cast<int>(type) << " ext " << ext;
      int state = 0;
      EXPECT_EQ(S7_GetCpuState(conn, &state), S7_OK) << "family " << f;
      S7_Connection_Done(conn);
    }
  }
}
