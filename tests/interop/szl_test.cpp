// System status lists against peers nobody here wrote: every list the Snap7
// server offers, read and (where the program knows it) decoded; and tshark's
// reading of the list requests and replies, fragments and follow-ups
// included, from a recording of the wire.
//
// Where the Snap7 server differs from a CPU (node-snap7 1.0.9): it never
// fragments a list. A list longer than one PDU is cut at the PDU and sent
// as the last fragment with its full record count (0x0002 and 0x0017 at any
// PDU, 0x001C and the list of lists at 240 too); the library refuses those
// as inconsistent (28). Its diagnostic buffer is ten entries of its own, from 1994.
#include <gtest/gtest.h>

#include <cstdio>
#include <regex>
#include <set>
#include <string>
#include <unistd.h>

#include "s7lib/s7lib.h"
#include "tests/interop/snap7_peer.h"
#include "tests/interop/wire_tap.h"
#include "tools/plcsim/plcsim.h"

namespace {

constexpr int kCapacity = 65536;

// Decodes a list the program shows; other lists only need to join.
int Decode(const S7SzlList& list) {
  switch (list.id) {
    case 0x0011:
    case 0x0111: { S7ModuleIdentity m; return S7_DecodeModuleIdentity(&list, &m); }
    case 0x001C:
    case 0x011C: { S7ComponentIdentity c; return S7_DecodeComponentIdentity(&list, &c); }
    case 0x0074:
    case 0x0174: { S7Led leds[32]; int n; return S7_DecodeLeds(&list, leds, 32, &n); }
    case 0x0232: { S7Protection p; return S7_DecodeProtection(&list, &p); }
    case 0x0424: { S7CpuMode m; return S7_DecodeCpuMode(&list, &m); }
    case 0x0131: { S7CommLimits l; return S7_DecodeCommLimits(&list, &l); }
    case 0x00A0:
    case 0x01A0:
      for (int i = 0; i < list.recordCount; ++i) {
        S7DiagEntry e;
        if (int rc = S7_DecodeDiagEntry(&list, i, &e)) return rc;
      }
      return S7_OK;
    default: return S7_OK;
  }
}

class SzlInteropTest : public ::testing::Test {
 protected:
  void SetUp() override { iface_ = S7_Interface_Init(S7_KIND_TCP); }
  void TearDown() override { iface_ = S7_Interface_Done(iface_); }
  S7Connection* Connect(std::uint32_t address) {
    S7Connection* conn = S7_Connection_Init(iface_, "szl", 2000, address, 0, 2, 240);
    EXPECT_EQ(S7_IsConnected(conn), 1);
    return conn;
  }
  int Read(S7Connection* conn, unsigned id, unsigned index, S7SzlList* list, std::int32_t* ext = nullptr) {
    S7_ReadSzl(conn, id, index, buffer_.data(), kCapacity, list);
    std::int32_t dummy = 0;
    return S7_GetLastError(ext ? ext : &dummy);
  }

  S7Interface* iface_ = nullptr;
  std::vector<std::uint8_t> buffer_ = std::vector<std::uint8_t>(kCapacity);
};

TEST_F(SzlInteropTest, EveryListOfTheSnap7Server) {
  Snap7Peer peer;
  std::string why;
  ASSERT_TRUE(peer.Start(&why)) << why;
  S7Connection* conn = Connect(peer.Address());
  S7SzlList all{};
  ASSERT_EQ(Read(conn, 0x0000, 0, &all), S7_OK);
  ASSERT_EQ(all.recordLength, 2);
  const std::vector<std::uint8_t> ids(all.records, all.records + all.bytes);
  const std::set<unsigned> cutShort = {0x0002, 0x0017};
  std::set<unsigned> decoded;
  for (std::size_t i = 0; i + 1 < ids.size(); i += 2) {
    const unsigned id = static_cast<unsigned>((ids[i] << 8) | ids[i + 1]);
    const unsigned index = id == 0x0232 ? 4 : id == 0x0131 ? 1 : 0;
    S7SzlList list{};
    std::int32_t ext = 0;
    const int rc = Read(conn, id, index, &list, &ext);
    if (cutShort.count(id)) {
      EXPECT_EQ(rc, S7_ERR_DATA_SIZE) << std::hex << id;
      continue;
    }
    // A list it offers but wants another index of is refused as a CPU does.
    if (rc == S7_ERR_PARAMETER) {
      EXPECT_EQ(ext, 0xD402) << std::hex << id;
      continue;
    }
    ASSERT_EQ(rc, S7_OK) << std::hex << id << " extended " << ext;
    EXPECT_EQ(list.id, id);
    EXPECT_EQ(list.fragments, 1);
    EXPECT_EQ(Decode(list), S7_OK) << std::hex << id;
    decoded.insert(id);
  }
  for (unsigned id : {0x0011u, 0x001Cu, 0x0074u, 0x0232u, 0x0424u, 0x0131u, 0x00A0u})
    EXPECT_TRUE(decoded.count(id)) << std::hex << id << " is one the program shows";

  // What the program shows of it.
  S7SzlList list{};
  ASSERT_EQ(Read(conn, 0x0011, 0, &list), S7_OK);
  S7ModuleIdentity module{};
  ASSERT_EQ(S7_DecodeModuleIdentity(&list, &module), S7_OK);
  EXPECT_STREQ(module.orderNumber, "6ES7 315-2EH14-0AB0");
  ASSERT_EQ(Read(conn, 0x001C, 0, &list), S7_OK);
  S7ComponentIdentity component{};
  ASSERT_EQ(S7_DecodeComponentIdentity(&list, &component), S7_OK);
  EXPECT_STREQ(component.moduleTypeName, "CPU 315-2 PN/DP");
  ASSERT_EQ(Read(conn, 0x0111, 6, &list), S7_OK) << "one record by its index";
  EXPECT_EQ(list.recordCount, 1);
  peer.Stop();
}

// tshark reads every list request and reply: the simulator's three
// fragments of the diagnostic buffer with their two follow-ups, a refused
// list, and the Snap7 server's lists, with nothing malformed or warned.
TEST_F(SzlInteropTest, TsharkDissectsTheListsCleanly) {
  plcsim::Simulator sim;
  ASSERT_TRUE(sim.Start(plcsim::Config{}));
  sim.Model().RefuseSzl(0x001C);
  Snap7Peer peer;
  std::string why;
  ASSERT_TRUE(peer.Start(&why)) << why;

  char dir[] = "/tmp/tolvane-szl-XXXXXX";
  ASSERT_NE(mkdtemp(dir), nullptr);
  const std::string simPcap = std::string(dir) + "/sim.pcap";
  const std::string snap7Pcap = std::string(dir) + "/snap7.pcap";
  struct Run {
    std::uint32_t target;
    std::string pcap;
    std::vector<std::pair<unsigned, unsigned>> lists;
  } runs[] = {
      {sim.Address(), simPcap, {{0x00A0, 0}, {0x001C, 0}, {0x0011, 0}, {0x0424, 0}}},
      {peer.Address(), snap7Pcap, {{0x0011, 0}, {0x001C, 0}, {0x0074, 0}, {0x0232, 4}, {0x0131, 1}, {0x00A0, 0}}},
  };
  for (const Run& run : runs) {
    WireTap tap;
    ASSERT_TRUE(tap.Start(run.target));
    S7Connection* conn = Connect(tap.Address());
    for (const auto& [id, index] : run.lists) {
      S7SzlList list{};
      Read(conn, id, index, &list);
    }
    S7_Connection_Done(conn);
    tap.Stop();
    ASSERT_TRUE(tap.WritePcap(run.pcap));

    std::string out;
    // Anything tshark marks: a malformed packet, or expert information of
    // note level and above.
    ASSERT_TRUE(RunTshark({"-r", run.pcap, "-Y", "_ws.malformed || _ws.expert.severity >= note", "-T", "fields",
                           "-e", "frame.number", "-e", "_ws.expert.message"},
                          &out, &why))
        << why;
    EXPECT_EQ(out, "") << run.pcap;
  }

  // The simulator's run as tshark reads it: direction (4 request, 8
  // response), sequence number, "last data unit", the list, the error code,
  // the data unit reference, and the record length and count of the list
  // that tshark joins from the fragments. The follow-ups repeat the
  // reply's sequence number and data unit reference.
  std::string out;
  ASSERT_TRUE(RunTshark({"-r", simPcap, "-Y", "s7comm.param.userdata.funcgroup == 4", "-T", "fields", "-e",
                         "s7comm.param.userdata.type", "-e", "s7comm.param.userdata.seq_num", "-e",
                         "s7comm.param.userdata.lastdataunit", "-e", "s7comm.data.userdata.szl_id", "-e",
                         "s7comm.param.errcod", "-e", "s7comm.param.userdata.dataunitref", "-e",
                         "s7comm.data.userdata.szl_id.partlist_len", "-e",
                         "s7comm.data.userdata.szl_id.partlist_cnt"},
                        &out, &why))
      << why;
  EXPECT_TRUE(std::regex_search(out, std::regex("^4\t0\t\t0x00a0\t\t\t\t\n"
                                                "8\t([1-9]\\d*)\t0x01\t\t0x0000\t([1-9]\\d*)\t\t\n"
                                                "4\t\\1\t0x00\t\t0x0000\t\\2\t\t\n"
                                                "8\t\\1\t0x01\t\t0x0000\t\\2\t\t\n"
                                                "4\t\\1\t0x00\t\t0x0000\t\\2\t\t\n"
                                                "8\t\\1\t0x00\t0x00a0\t0x0000\t\\2\t20\t30\n"
                                                "4\t0\t\t0x001c\t\t\t\t\n"
                                                "8\t0\t0x00\t\t0xd401\t0\t\t\n")))
      << out;
  unlink(simPcap.c_str());
  unlink(snap7Pcap.c_str());
  rmdir(dir);
  peer.Stop();
  sim.Stop();
}

}  // namespace
