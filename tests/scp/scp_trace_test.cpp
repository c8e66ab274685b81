// The wire trace of the MPI/PROFIBUS access point: every S7 PDU handed to
// the stand-in and every reply PDU taken from it, as exported PDUs for the S7
// dissector, in order and byte for byte; and a trace that meets a frame of
// the other transport ends with one report while the connection goes on.
#include <atomic>
#include <cstring>
#include <filesystem>

#include "tests/scp/scp_fixture.h"
#include "tests/support/pcap_reader.h"

namespace {

namespace fs = std::filesystem;

class ScpTraceTest : public ScpTest {
 protected:
  void SetUp() override {
    ScpTest::SetUp();
    dir_ = fs::temp_directory_path() / ("tolvane-scptrace-" + std::to_string(Plat_ProcessId()));
    fs::create_directories(dir_);
    path_ = (dir_ / "mpi.pcap").string();
  }
  void TearDown() override {
    S7_Trace_Stop();
    ScpTest::TearDown();
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }
  fs::path dir_;
  std::string path_;
};

struct Stops {
  std::atomic<int> calls{0};
  std::atomic<std::uint32_t> error{0};
  static void On(void* context, std::uint32_t error) {
    static_cast<Stops*>(context)->error.store(error);
    static_cast<Stops*>(context)->calls.fetch_add(1);
  }
};

TEST_F(ScpTraceTest, EveryPduPassingTheAccessPointIsAnExportedPdu) {
  ASSERT_EQ(S7_Trace_Start(path_.c_str(), {}), 0u);
  S7Interface* iface = Open(S7_KIND_S7ONLINE);
  ASSERT_NE(iface, nullptr);
  S7Connection* conn = S7_Connection_Init(iface, "mpi", 1000, 2, 0, 0, 240);
  ASSERT_EQ(S7_IsConnected(conn), 1) << LastError();
  int state = 0;
  std::int32_t words[3] = {7, 8, 9};
  ASSERT_EQ(S7_GetCpuState(conn, &state), S7_OK);
  ASSERT_EQ(S7_SimpleWrite(conn, S7_TYPE_WORD, S7_AREA_FLAGS, 0, 0, 0, 3, 1, words), S7_OK);
  ASSERT_EQ(S7_SimpleRead(conn, S7_TYPE_WORD, S7_AREA_FLAGS, 0, 0, 0, 3, 1, words), S7_OK);
  // The last send-data block (service 6) is three blocks back: receive-data, send-data.
  const Block lastSend = LastBlock(1);
  ASSERT_EQ(lastSend[13], 0x06);
  ASSERT_EQ(S7_Disconnect(conn), S7_OK);
  EXPECT_EQ(S7_Trace_Stop(), 0u);

  const PcapFile trace = ReadPcap(path_);
  ASSERT_TRUE(trace.ok) << trace.why;
  EXPECT_EQ(trace.linkType, 252u);
  ASSERT_EQ(trace.packets.size(), 8u) << "setup, state, write, read: a request and a reply each";
  for (std::size_t i = 0; i < trace.packets.size(); ++i) {
    const PcapPacket& p = trace.packets[i];
    EXPECT_EQ(p.dissector, "s7comm_cotp") << i;
    EXPECT_EQ(p.direction, static_cast<int>(i % 2)) << i << ": requests and replies take turns";
    ASSERT_GE(p.payload.size(), 10u) << i;
    EXPECT_EQ(p.payload[0], 0x32) << i;
    const int header = (p.payload[1] == 2 || p.payload[1] == 3) ? 12 : 10;
    EXPECT_EQ(p.payload.size(), static_cast<std::size_t>(header + ((p.payload[6] << 8) | p.payload[7]) +
                                                          ((p.payload[8] << 8) | p.payload[9])))
        << i << ": exactly the PDU";
  }
  const std::vector<std::uint8_t>& read = trace.packets[6].payload;
  EXPECT_EQ(read, Block(lastSend.begin() + 80, lastSend.end()));
  const std::vector<std::uint8_t>& reply = trace.packets[7].payload;
  ASSERT_EQ(reply.size(), 14u + 4u + 6u);
  EXPECT_EQ(Block(reply.end() - 6, reply.end()), (Block{0, 7, 0, 8, 0, 9}));
}

TEST_F(ScpTraceTest, AFrameOfTheOtherTransportEndsTheTraceNotTheConnection) {
  int wsa = 0;
  Plat_SockStartup(&wsa);
  // A TCP peer that takes the connection and answers nothing.
  PlatSocket listener = kNoSocket;
  std::uint32_t address = 0;
  for (int last = 230; last > 200 && listener == kNoSocket; --last) {
    std::uint8_t a[4] = {127, 3, static_cast<std::uint8_t>(Plat_ProcessId() % 200), static_cast<std::uint8_t>(last)};
    std::memcpy(&address, a, 4);
    listener = Plat_SockListen(address, 102, &wsa);
  }
  ASSERT_NE(listener, kNoSocket);

  Stops stops;
  ASSERT_EQ(S7_Trace_Start(path_.c_str(), {Stops::On, &stops}), 0u);
  S7Interface* mpi = Open(S7_KIND_S7ONLINE);
  S7Connection* conn = S7_Connection_Init(mpi, "mpi", 1000, 2, 0, 0, 240);
  ASSERT_EQ(S7_IsConnected(conn), 1);
  S7Interface* tcp = Open(S7_KIND_TCP);
  S7_Connection_Init(tcp, "tcp", 1000, address, 0, 2, 240);
  EXPECT_EQ(stops.calls.load(), 1);
  EXPECT_EQ(stops.error.load(), S7_TRACE_OTHER_KIND);
  EXPECT_EQ(S7_Trace_IsOn(), 0);
  int state = 0;
  EXPECT_EQ(S7_GetCpuState(conn, &state), S7_OK);
  Plat_SockClose(listener);
  Plat_SockCleanup();

  const PcapFile trace = ReadPcap(path_);
  ASSERT_TRUE(trace.ok) << trace.why;
  EXPECT_EQ(trace.linkType, 252u);
  EXPECT_EQ(trace.packets.size(), 2u) << "the setup communication, before the TCP frame";
}

}  // namespace
