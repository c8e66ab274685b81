// Interfaces and connections: their life cycle, the handle checks and the
// accessors, against a simulated PLC.
#include <cstring>
#include <string>

#include "tests/integration/sim_fixture.h"

namespace {

using ConnectionTest = SimTest;

TEST_F(ConnectionTest, ConnectsAndNegotiatesThePduSize) {
  S7Connection* conn = Connect();
  ASSERT_NE(conn, nullptr);
  std::int32_t ext = -1;
  EXPECT_EQ(LastError(&ext), S7_OK);
  EXPECT_EQ(ext, 0);
  EXPECT_EQ(S7_IsConnected(conn), 1);
  EXPECT_EQ(S7_GetPduSize(conn), 240);
  EXPECT_EQ(sim_.ConnectRequestCount(), 1);
  EXPECT_EQ(S7_Connection_Done(conn), nullptr);
  EXPECT_TRUE(Eventually([&] { return sim_.DisconnectRequestCount() == 1; }));
}

TEST_F(ConnectionTest, InterfaceKindsOpenOnce) {
  EXPECT_EQ(S7_Interface_Init(4), nullptr);
  EXPECT_EQ(LastError(), S7_ERR_BAD_MODE);
  EXPECT_EQ(S7_Interface_Init(S7_KIND_TCP), nullptr);
  EXPECT_EQ(LastError(), S7_ERR_INTERFACE_IN_USE);
  EXPECT_EQ(S7_GetInterfaceKind(iface_), 0);
  iface_ = S7_Interface_Done(iface_);
  EXPECT_EQ(iface_, nullptr);
  iface_ = S7_Interface_Init(S7_KIND_TCP);
  EXPECT_NE(iface_, nullptr) << "a closed kind can be opened again";
}

TEST_F(ConnectionTest, ScpKindsWithoutTheAccessPointLibrary) {
  for (unsigned kind : {S7_KIND_S7ONLINE, S7_KIND_CP_L2_1, S7_KIND_CP_L2_2}) {
    std::int32_t ext = -1;
    EXPECT_EQ(S7_Interface_Init(kind), nullptr);
    EXPECT_EQ(LastError(&ext), S7_ERR_LIBRARY_NOT_FOUND) << kind;
    EXPECT_EQ(ext, 0);
  }
  S7Connection* conn = Connect();
  EXPECT_EQ(S7_IsConnected(conn), 1) << "TCP still works";
}

TEST_F(ConnectionTest, TimeoutNameAndIds) {
  const std::string longName(30, 'N');
  S7Connection* a = Connect(longName.c_str(), 200);
  S7Connection* b = Connect(nullptr);
  S7Connection* c = Connect("third", 5000);
  ASSERT_TRUE(a && b && c);
  EXPECT_EQ(a->timeoutMs, 1000) << "time-outs below 1000 ms are raised";
  EXPECT_EQ(c->timeoutMs, 5000);
  char name[24];
  EXPECT_EQ(S7_GetConnectionName(a, name), 23);
  EXPECT_EQ(std::string(name), longName.substr(0, 23));
  EXPECT_EQ(S7_GetConnectionName(b, name), 0);
  EXPECT_STREQ(name, "");
  EXPECT_EQ(a->id, 1u);
  EXPECT_EQ(b->id, 2u);
  EXPECT_EQ(c->id, 3u);

  S7_Connection_Done(b);
  ASSERT_EQ(iface_->connections, c);
  EXPECT_EQ(c->next, a) << "removing id 2 leaves 3 -> 1";
  EXPECT_EQ(a->next, nullptr);
  S7Connection* d = Connect();
  EXPECT_EQ(d->id, 4u) << "ids are not reused";
  EXPECT_EQ(iface_->connections, d);
}

TEST_F(ConnectionTest, HandleChecks) {
  S7Connection* conn = Connect();
  ASSERT_NE(conn, nullptr);

  // A copy with the right tag but an id its interface does not list.
  S7Connection stranger = *conn;
  stranger.id = 77;
  EXPECT_EQ(S7_CheckConnection(&stranger, 0, 0), S7_ERR_BAD_CONNECTION);
  EXPECT_EQ(S7_CheckConnection(nullptr, 0, 0), S7_ERR_BAD_CONNECTION);
  S7Connection untagged = *conn;
  untagged.tag = 0;
  EXPECT_EQ(S7_CheckConnection(&untagged, 0, 0), S7_ERR_BAD_CONNECTION);
  S7Interface badIface = *iface_;
  badIface.tag = 0;
  S7Connection orphan = *conn;
  orphan.iface = &badIface;
  EXPECT_EQ(S7_CheckConnection(&orphan, 0, 0), S7_ERR_BAD_INTERFACE);

  ASSERT_EQ(S7_Disconnect(conn), S7_OK);
  conn->jobOpen = 1;
  EXPECT_EQ(S7_CheckConnection(conn, 1, 1), S7_ERR_NOT_CONNECTED);
  EXPECT_EQ(conn->jobOpen, 0) << "endJob clears the flag also when the check then fails";

  std::int32_t ext = -1;
  EXPECT_EQ(S7_GetInterfaceKind(nullptr), -1);
  EXPECT_EQ(LastError(&ext), S7_ERR_BAD_INTERFACE);
  EXPECT_EQ(ext, 0);
  EXPECT_EQ(S7_CheckInterface(iface_), S7_OK);
}

TEST_F(ConnectionTest, AccessorsOnBadHandles) {
  char name[24] = "junk";
  EXPECT_EQ(S7_GetConnectionName(nullptr, name), 0);
  EXPECT_STREQ(name, "");
  EXPECT_EQ(S7_GetConnectionName(nullptr, nullptr), 0);
  EXPECT_EQ(S7_IsConnected(nullptr), 0);
  EXPECT_EQ(S7_GetPduSize(nullptr), 0);
  EXPECT_EQ(S7_GetRequestSize(nullptr), 0);
  EXPECT_EQ(S7_GetReplySize(nullptr), 0);
  EXPECT_EQ(LastError(), S7_ERR_BAD_CONNECTION);
  EXPECT_EQ(S7_GetVarCount(nullptr), 0);
  int result = 5;
  EXPECT_EQ(S7_GetVarResult(nullptr, 0, &result), S7_ERR_BAD_CONNECTION);
  EXPECT_EQ(result, 0);
}

TEST_F(ConnectionTest, VarResultIndexBounds) {
  S7Connection* conn = Connect();
  conn->itemCount = 2;
  conn->itemResults[0] = 0xFF;
  conn->itemResults[1] = 0x0A;
  S7_SetError(12, 34);
  int result = -1;
  EXPECT_EQ(S7_GetVarResult(conn, 1, &result), S7_OK);
  EXPECT_EQ(result, 0x0A);
  EXPECT_EQ(S7_GetVarResult(conn, 2, &result), S7_ERR_BAD_REQUEST);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(S7_GetVarResult(conn, -1, &result), S7_ERR_BAD_REQUEST);
  std::int32_t ext = 0;
  EXPECT_EQ(LastError(&ext), 12) << "the result query leaves the error state alone";
  EXPECT_EQ(ext, 34);
  EXPECT_EQ(S7_GetLastError(nullptr), 12);
}

TEST_F(ConnectionTest, ConnectAndDisconnectAreIdempotent) {
  S7Connection* conn = Connect();
  ASSERT_EQ(S7_IsConnected(conn), 1);
  EXPECT_EQ(S7_Connect(conn), S7_OK);
  EXPECT_EQ(sim_.ConnectRequestCount(), 1) << "a connected connection sends nothing";
  EXPECT_EQ(S7_Disconnect(conn), S7_OK);
  EXPECT_EQ(S7_IsConnected(conn), 0);
  EXPECT_EQ(conn->transferBuffer, nullptr);
  EXPECT_EQ(S7_Disconnect(conn), S7_OK);
  EXPECT_EQ(S7_GetPduSize(conn), 240) << "the PDU size outlives the disconnect";
  EXPECT_EQ(S7_Connect(conn), S7_OK);
  EXPECT_EQ(sim_.ConnectRequestCount(), 2);
  EXPECT_EQ(S7_IsConnected(conn), 1);
}

TEST_F(ConnectionTest, InterfaceDoneClosesEveryConnection) {
  S7Connection* a = Connect();
  S7Connection* b = Connect();
  ASSERT_EQ(S7_IsConnected(a) + S7_IsConnected(b), 2);
  iface_ = S7_Interface_Done(iface_);
  EXPECT_EQ(LastError(), S7_OK);
  EXPECT_TRUE(Eventually([&] { return sim_.DisconnectRequestCount() == 2; }));
  EXPECT_EQ(S7_Interface_Done(nullptr), nullptr);
  EXPECT_EQ(LastError(), S7_ERR_BAD_INTERFACE);
}

TEST_F(ConnectionTest, ServicesNeedAConnection) {
  S7Connection* conn = Connect();
  S7_Disconnect(conn);
  EXPECT_EQ(S7_BeginPdu(conn, 1, 0xF0, 0, 1), S7_ERR_NOT_CONNECTED);
  EXPECT_EQ(S7_Exchange(conn), S7_ERR_NOT_CONNECTED);
}

int ErrorOnOtherThread(void* arg) {
  S7_Connection_Init(static_cast<S7Interface*>(arg), "x", 1000, 0, 0, 2, 240);  // bad handle below
  S7_CheckInterface(nullptr);
  return S7_GetLastError(nullptr);
}

TEST_F(ConnectionTest, ErrorStateIsPerThread) {
  S7_SetError(S7_ERR_TIMEOUT, 0);
  PlatThread t = StartThread(ErrorOnOtherThread, nullptr);
  int code = 0;
  ASSERT_EQ(Plat_WaitThread(t, 5000, &code), 1);
  Rt_CloseThread(t);
  EXPECT_EQ(code, S7_ERR_BAD_INTERFACE);
  EXPECT_EQ(LastError(), S7_ERR_TIMEOUT);
}

}  // namespace
