// The wire trace of ISO-on-TCP against the simulator: a session read back as
// one TCP flow whose streams are exactly the frames exchanged (replies split
// into frames and segments included), a connection that was open before the
// trace began, and the failures that end a trace but never a connection.
#include <atomic>
#include <filesystem>
#include <string>

#include "tests/integration/sim_fixture.h"
#include "tests/support/pcap_reader.h"

namespace {

namespace fs = std::filesystem;
using plcsim::Bytes;
using plcsim::Fault;
using plcsim::FaultKind;

struct StopReport {
  std::atomic<int> calls{0};
  std::atomic<std::uint32_t> error{0};
  static void OnStop(void* context, std::uint32_t error) {
    auto* r = static_cast<StopReport*>(context);
    r->error.store(error);
    r->calls.fetch_add(1);
  }
  S7TraceOptions Options() { return S7TraceOptions{OnStop, this}; }
};

// TPKT frames cut from one direction's byte stream; false when the stream
// does not end on a whole frame.
bool CutFrames(const Bytes& stream, std::vector<Bytes>* frames) {
  std::size_t at = 0;
  while (at + 4 <= stream.size()) {
    const std::size_t length = static_cast<std::size_t>((stream[at + 2] << 8) | stream[at + 3]);
    if (stream[at] != 3 || length < 7 || at + length > stream.size()) return false;
    frames->emplace_back(stream.begin() + static_cast<std::ptrdiff_t>(at),
                         stream.begin() + static_cast<std::ptrdiff_t>(at + length));
    at += length;
  }
  return at == stream.size();
}

class TraceTest : public SimTest {
 protected:
  void SetUp() override {
    SimTest::SetUp();
    dir_ = fs::temp_directory_path() / ("tolvane-trace-" + std::to_string(Plat_ProcessId()));
    fs::create_directories(dir_);
    path_ = (dir_ / "session.pcap").string();
  }
  void TearDown() override {
    S7_Trace_Stop();
    SimTest::TearDown();
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }

  // A few services, one reply split into DT frames, one into TCP segments.
  void Session(S7Connection* conn) {
    int state = 0;
    CalendarRecord clock{};
    std::int32_t words[4] = {1, -2, 300, 4};
    ASSERT_EQ(S7_GetCpuState(conn, &state), S7_OK);
    ASSERT_EQ(S7_SimpleWrite(conn, S7_TYPE_INT, S7_AREA_DB, 1, 0, 0, 4, 1, words), S7_OK);
    sim_.Inject({FaultKind::SplitFrames, 3});
    ASSERT_EQ(S7_SimpleRead(conn, S7_TYPE_INT, S7_AREA_DB, 1, 0, 0, 4, 1, words), S7_OK);
    // Pieces 20 ms apart mostly reach the client one by one; however they
    // come, the trace's stream must hold exactly the bytes.
    sim_.Inject({FaultKind::SplitSegments, 4, 20});
    ASSERT_EQ(S7_GetCpuClock(conn, &clock), S7_OK);
    EXPECT_EQ(words[2], 300);
  }

  fs::path dir_;
  std::string path_;
};

TEST_F(TraceTest, ASessionIsOneTcpFlowWhoseStreamsAreTheFramesExchanged) {
  StopReport report;
  ASSERT_EQ(S7_Trace_Start(path_.c_str(), report.Options()), 0u);
  EXPECT_EQ(S7_Trace_IsOn(), 1);
  S7Connection* conn = Connect();
  ASSERT_EQ(S7_IsConnected(conn), 1);
  Session(conn);
  const Bytes lastRequest = sim_.LastRequestPdu();
  const int requests = sim_.RequestCount();
  ASSERT_EQ(S7_Disconnect(conn), S7_OK);
  EXPECT_EQ(S7_Trace_Stop(), 0u);
  EXPECT_EQ(report.calls.load(), 0);
  fs::copy_file(path_, "/tmp/rec/session.pcap", fs::copy_options::overwrite_existing);

  const PcapFile trace = ReadPcap(path_);
  ASSERT_TRUE(trace.ok) << trace.why;
  ASSERT_EQ(trace.linkType, 1u);
  ASSERT_GE(trace.packets.size(), 4u);
  const std::uint8_t opening[3] = {0x02, 0x12, 0x10};  // SYN, SYN+ACK, ACK
  for (int i = 0; i < 3; ++i) EXPECT_EQ(trace.packets[static_cast<std::size_t>(i)].flags, opening[i]) << i;
  EXPECT_EQ(trace.packets.back().flags, 0x11) << "the client's FIN after its DR";

  // Each side's sequence numbers run on by what it sent; each packet
  // acknowledges all the other side had sent by then.
  const std::uint32_t plc = sim_.Address();
  std::uint32_t next[2] = {trace.packets[0].sequence, trace.packets[1].sequence};
  Bytes stream[2];
  for (const PcapPacket& p : trace.packets) {
    EXPECT_TRUE(p.checksumsOk);
    const int from = p.source == plc ? 1 : 0;
    EXPECT_EQ(from ? p.sourcePort : p.destinationPort, 102);
    if (!from) {
      EXPECT_EQ(p.destination, plc);
    }
    EXPECT_EQ(p.sequence, next[from]);
    if (p.flags & 0x10) {
      EXPECT_EQ(p.acknowledgement, next[1 - from]);
    }
    next[from] += static_cast<std::uint32_t>(p.payload.size()) + ((p.flags & 0x03) ? 1u : 0u);
    stream[from].insert(stream[from].end(), p.payload.begin(), p.payload.end());
  }
  std::vector<Bytes> sent, received;
  ASSERT_TRUE(CutFrames(stream[0], &sent));
  ASSERT_TRUE(CutFrames(stream[1], &received));
  ASSERT_GE(sent.size(), 3u);
  EXPECT_EQ(sent.front()[5], 0xE0);
  EXPECT_EQ(sent.back()[5], 0x80);
  EXPECT_EQ(received.front()[5], 0xD0);
  EXPECT_EQ(static_cast<int>(sent.size()) - 2, requests) << "one DT per request PDU, between CR and DR";
  const Bytes& last = sent[sent.size() - 2];
  EXPECT_EQ(Bytes(last.begin() + 7, last.end()), lastRequest);
  int replies = 0;
  for (std::size_t i = 1; i < received.size(); ++i) replies += (received[i][6] & 0x80) ? 1 : 0;
  EXPECT_EQ(replies, requests);
  EXPECT_EQ(received.size(), 1u + requests + 2u) << "one reply came in three DT frames";
}

TEST_F(TraceTest, AConnectionOpenBeforeTheTraceJoinsMidStream) {
  S7Connection* conn = Connect();
  ASSERT_EQ(S7_IsConnected(conn), 1);
  ASSERT_EQ(S7_Trace_Start(path_.c_str(), {}), 0u);
  ASSERT_EQ(ExchangeOnce(conn), S7_OK);
  ASSERT_EQ(ExchangeOnce(conn), S7_OK);
  EXPECT_EQ(S7_Trace_Stop(), 0u);
  EXPECT_EQ(S7_Trace_IsOn(), 0);
  const PcapFile trace = ReadPcap(path_);
  ASSERT_TRUE(trace.ok) << trace.why;
  ASSERT_EQ(trace.packets.size(), 4u);
  EXPECT_EQ(trace.packets[0].flags, 0x18) << "data first, no handshake";
  EXPECT_EQ(trace.packets[2].sequence, trace.packets[0].sequence + trace.packets[0].payload.size());
  EXPECT_EQ(trace.packets[1].acknowledgement, trace.packets[2].sequence);
}

TEST_F(TraceTest, AnEmptyTraceIsStillACaptureFileAndAMissingFolderIsRefused) {
  ASSERT_EQ(S7_Trace_Start(path_.c_str(), {}), 0u);
  EXPECT_EQ(S7_Trace_Stop(), 0u);
  const PcapFile trace = ReadPcap(path_);
  EXPECT_TRUE(trace.ok) << trace.why;
  EXPECT_EQ(trace.linkType, 1u);
  EXPECT_TRUE(trace.packets.empty());

  const std::string nowhere = (dir_ / "missing" / "x.pcap").string();
  EXPECT_EQ(S7_Trace_Start(nowhere.c_str(), {}), kWinErrPathNotFound);
  EXPECT_EQ(S7_Trace_IsOn(), 0);
}

#ifndef _WIN32
// POSIX lets a file be removed while it is open, and /dev/full refuses every
// write as a full disk does; Windows keeps an open file from being deleted.
TEST_F(TraceTest, AFailedWriteEndsTheTraceOnceAndNeverTheConnection) {
  struct Case {
    const char* what;
    bool removeFile;
    std::uint32_t error;
  } cases[] = {{"disk full", false, kWinErrDiskFull}, {"file removed", true, kWinErrFileNotFound}};
  S7Connection* conn = Connect();
  ASSERT_EQ(S7_IsConnected(conn), 1);
  for (const Case& c : cases) {
    StopReport report;
    const std::string path = c.removeFile ? path_ : "/dev/full";
    ASSERT_EQ(S7_Trace_Start(path.c_str(), report.Options()), 0u) << c.what;
    ASSERT_EQ(ExchangeOnce(conn), S7_OK);
    if (c.removeFile) fs::remove(path_);
    // The writer finds the failure at its next batch; the exchange after
    // that ends the trace. Every exchange meanwhile succeeds.
    for (int i = 0; i < 1000 && report.calls.load() == 0; ++i) {
      ASSERT_EQ(ExchangeOnce(conn), S7_OK) << c.what;
      Plat_Sleep(10);
    }
    ASSERT_EQ(ExchangeOnce(conn), S7_OK) << c.what;
    EXPECT_EQ(report.calls.load(), 1) << c.what;
    EXPECT_EQ(report.error.load(), c.error) << c.what;
    EXPECT_EQ(S7_Trace_IsOn(), 0) << c.what;
    EXPECT_EQ(S7_Trace_Stop(), 0u) << c.what << ": nothing left to stop";
    EXPECT_EQ(report.calls.load(), 1) << c.what << ": one report";
  }
}
#endif

}  // namespace
