// Reading system status lists from the simulated CPU: the request and reply
// bytes of first and follow-up fragments, a list joined from three
// fragments, the simulator's own lists decoded, the diagnostic buffer with
// one request per fragment, and every way a list can be refused or come back
// inconsistent.
#include <cstring>
#include <functional>

#include "tests/integration/rw_fixture.h"

namespace {

using plcsim::Bytes;
using plcsim::FaultKind;

constexpr int kCapacity = 8192;

// A userdata reply PDU under the PDU reference of the reply it replaces.
Bytes Userdata(const Bytes& replaced, const Bytes& params, const Bytes& data) {
  Bytes pdu = {0x32, 0x07, 0x00, 0x00, replaced[4], replaced[5]};
  pdu.push_back(static_cast<std::uint8_t>(params.size() >> 8));
  pdu.push_back(static_cast<std::uint8_t>(params.size()));
  pdu.push_back(static_cast<std::uint8_t>(data.size() >> 8));
  pdu.push_back(static_cast<std::uint8_t>(data.size()));
  pdu.insert(pdu.end(), params.begin(), params.end());
  pdu.insert(pdu.end(), data.begin(), data.end());
  return pdu;
}

class SzlTest : public RwTest {
 protected:
  // Replaces the next reply with the given parameters and data, and keeps
  // the request it answers.
  void Script(const Bytes& params, const Bytes& data) {
    sim_.Inject({FaultKind::RewriteReply, 0, 0, 0, [this, params, data](Bytes& pdu) {
                   requests_.push_back(sim_.LastRequestPdu());
                   pdu = Userdata(pdu, params, data);
                 }});
  }
  int Read(unsigned id, unsigned index, S7SzlList* list) {
    return S7_ReadSzl(conn_, id, index, buffer_, kCapacity, list);
  }
  Bytes Records(const S7SzlList& list) { return Bytes(list.records, list.records + list.bytes); }

  std::vector<Bytes> requests_;
  std::uint8_t buffer_[kCapacity];
};

// Three LED records, 12 bytes, cut where no record ends: the second
// fragment starts inside the first record, the third inside the last.
TEST_F(SzlTest, ThreeFragmentsJoinedFromTheirBytes) {
  const Bytes more = {0x00, 0x01, 0x12, 0x08, 0x12, 0x84, 0x01, 0x07, 0x2A, 0x01, 0x00, 0x00};
  Bytes last = more;
  last[9] = 0x00;
  Script(more, {0xFF, 0x09, 0x00, 0x0A, 0x00, 0x74, 0x00, 0x00, 0x00, 0x04, 0x00, 0x03, 0x00, 0x01});
  Script(more, {0xFF, 0x09, 0x00, 0x07, 0x01, 0x00, 0x00, 0x04, 0x00, 0x00, 0x00});
  Script(last, {0xFF, 0x09, 0x00, 0x03, 0x05, 0x01, 0x02});
  S7SzlList list{};
  ASSERT_EQ(Read(0x0074, 0, &list), S7_OK);
  EXPECT_EQ(list.id, 0x0074);
  EXPECT_EQ(list.recordLength, 4);
  EXPECT_EQ(list.recordCount, 3);
  EXPECT_EQ(list.fragments, 3);
  EXPECT_EQ(Records(list), (Bytes{0x00, 0x01, 0x01, 0x00, 0x00, 0x04, 0x00, 0x00, 0x00, 0x05, 0x01, 0x02}));

  // The first request asks for the list; each follow-up repeats the
  // sequence number and data unit reference of the reply before it.
  ASSERT_EQ(requests_.size(), 3u);
  EXPECT_EQ(Bytes(requests_[0].begin() + 6, requests_[0].end()),
            (Bytes{0x00, 0x08, 0x00, 0x08, 0x00, 0x01, 0x12, 0x04, 0x11, 0x44, 0x01, 0x00, 0xFF, 0x09, 0x00, 0x04,
                   0x00, 0x74, 0x00, 0x00}));
  const Bytes followUp = {0x00, 0x0C, 0x00, 0x04, 0x00, 0x01, 0x12, 0x08, 0x12, 0x44, 0x01,
                          0x07, 0x2A, 0x00, 0x00, 0x00, 0x0A, 0x00, 0x00, 0x00};
  for (int i = 1; i < 3; ++i) {
    ASSERT_EQ(requests_[i].size(), 26u);
    EXPECT_EQ(Bytes(requests_[i].begin() + 6, requests_[i].end()), followUp) << i;
    EXPECT_NE(requests_[i][4], requests_[i - 1][4]) << "each follow-up is a request of its own";
  }
  S7Led leds[3];
  int count = 0;
  ASSERT_EQ(S7_DecodeLeds(&list, leds, 3, &count), S7_OK);
  EXPECT_EQ(leds[2].blink, 2);
}

TEST_F(SzlTest, SimulatorListsDecode) {
  S7SzlList list{};
  ASSERT_EQ(Read(0x0011, 0, &list), S7_OK);
  S7ModuleIdentity module{};
  ASSERT_EQ(S7_DecodeModuleIdentity(&list, &module), S7_OK);
  EXPECT_STREQ(module.orderNumber, "6ES7 315-2EH14-0AB0");
  EXPECT_EQ(module.firmware.major, 3);
  EXPECT_EQ(module.firmware.patch, 6);

  ASSERT_EQ(Read(0x001C, 0, &list), S7_OK);
  S7ComponentIdentity component{};
  ASSERT_EQ(S7_DecodeComponentIdentity(&list, &component), S7_OK);
  EXPECT_STREQ(component.moduleTypeName, "CPU 315-2 PN/DP");
  EXPECT_STREQ(component.serialNumber, "S C-T0LV4N312024");
  ASSERT_EQ(Read(0x011C, 5, &list), S7_OK) << "one record by its index";
  EXPECT_EQ(list.recordCount, 1);
  ASSERT_EQ(S7_DecodeComponentIdentity(&list, &component), S7_OK);
  EXPECT_STREQ(component.plcName, "");
  EXPECT_STREQ(component.serialNumber, "S C-T0LV4N312024");

  ASSERT_EQ(S7_CpuStop(conn_), S7_OK);
  ASSERT_EQ(Read(0x0424, 0, &list), S7_OK);
  S7CpuMode mode{};
  ASSERT_EQ(S7_DecodeCpuMode(&list, &mode), S7_OK);
  EXPECT_EQ(mode.mode, 4);
  EXPECT_EQ(mode.eventId, 0x4304);
  EXPECT_EQ(mode.timeValid, 1);
  ASSERT_EQ(Read(0x0074, 0, &list), S7_OK);
  S7Led leds[16];
  int count = 0;
  ASSERT_EQ(S7_DecodeLeds(&list, leds, 16, &count), S7_OK);
  ASSERT_EQ(count, 7);
  EXPECT_EQ(leds[2].id, 0x0005);
  EXPECT_EQ(leds[2].on, 1) << "STOP is lit";

  ASSERT_EQ(Read(0x0232, 4, &list), S7_OK);
  S7Protection protection{};
  ASSERT_EQ(S7_DecodeProtection(&list, &protection), S7_OK);
  EXPECT_EQ(protection.modeSwitch, 2);
  ASSERT_EQ(Read(0x0131, 1, &list), S7_OK);
  S7CommLimits limits{};
  ASSERT_EQ(S7_DecodeCommLimits(&list, &limits), S7_OK);
  EXPECT_EQ(limits.maxPdu, 240);

  // The list of lists, and a list's header alone: a count and no records.
  ASSERT_EQ(Read(0x0000, 0, &list), S7_OK);
  EXPECT_EQ(list.recordLength, 2);
  EXPECT_GE(list.recordCount, 10);
  ASSERT_EQ(Read(0x0F74, 0, &list), S7_OK);
  EXPECT_EQ(list.recordCount, 7);
  EXPECT_EQ(list.bytes, 0);
}

// The diagnostic buffer arrives in as many fragments as the PDU needs, one
// request each and nothing more, newest entry first.
TEST_F(SzlTest, DiagnosticBufferOneRequestPerFragment) {
  std::vector<plcsim::DiagEvent> events;
  for (int i = 0; i < 100; ++i)
    events.push_back({static_cast<std::uint16_t>(0x4300 + i % 16), 0xFF, 0x84, 0, static_cast<std::uint16_t>(i), 0,
                      plcsim::SimDateTimeFromMs(plcsim::SimDateTimeToMs({2024, 3, 1, 8, 0, 0, 0, 0}) - i * 1000)});
  Model().SetDiagnostics(events);
  const int before = sim_.RequestCount();
  S7SzlList list{};
  ASSERT_EQ(Read(0x00A0, 0, &list), S7_OK);
  EXPECT_EQ(list.recordCount, 100);
  EXPECT_EQ(list.bytes, 2000);
  EXPECT_EQ(list.fragments, 10) << "8 + 2000 bytes, at most 214 a fragment at PDU 240";
  EXPECT_EQ(sim_.RequestCount() - before, list.fragments);
  for (int i : {0, 57, 99}) {
    S7DiagEntry e{};
    ASSERT_EQ(S7_DecodeDiagEntry(&list, i, &e), S7_OK);
    EXPECT_EQ(e.info1, i);
    EXPECT_EQ(e.time.second, i == 0 ? 0 : 60 - i % 60) << i;
  }
  // With the largest PDU the same buffer takes 4.
  UseBigPdu();
  Model().SetDiagnostics(events);
  ASSERT_EQ(Read(0x00A0, 0, &list), S7_OK);
  EXPECT_EQ(list.fragments, 5) << "8 + 2000 bytes, at most 486 a fragment at PDU 512";
  ASSERT_EQ(Read(0x01A0, 3, &list), S7_OK) << "the newest three";
  EXPECT_EQ(list.recordCount, 3);
  EXPECT_EQ(list.fragments, 1);

  // A CPU that claims 0xFFFF records in a fragmented list: counted from the bytes.
  Model().SetSzlBehaviour(plcsim::SzlBehaviour::CountUnknown);
  ASSERT_EQ(Read(0x00A0, 0, &list), S7_OK);
  EXPECT_EQ(list.recordCount, 100);

  // A stop goes to the front of the buffer.
  ASSERT_EQ(S7_CpuStop(conn_), S7_OK);
  ASSERT_EQ(Read(0x01A0, 1, &list), S7_OK);
  S7DiagEntry e{};
  ASSERT_EQ(S7_DecodeDiagEntry(&list, 0, &e), S7_OK);
  EXPECT_EQ(e.eventId, 0x4304);
}

// A buffer too small for the list: the whole list is still fetched, so the
// CPU's sequence ends, and the caller learns how many bytes it needs.
TEST_F(SzlTest, BufferTooSmall) {
  S7SzlList list{};
  const int before = sim_.RequestCount();
  std::int32_t ext = 0;
  EXPECT_EQ(S7_ReadSzl(conn_, 0x00A0, 0, buffer_, 100, &list), S7_ERR_DATA_SIZE);
  EXPECT_EQ(LastError(&ext), S7_ERR_DATA_SIZE);
  EXPECT_EQ(ext, 600) << "30 entries of 20 bytes";
  EXPECT_EQ(list.bytes, 100);
  EXPECT_EQ(list.recordCount, 30);
  EXPECT_EQ(sim_.RequestCount() - before, 3);
  EXPECT_EQ(S7_ReadSzl(conn_, 0x00A0, 0, nullptr, 0, &list), S7_ERR_DATA_SIZE);
  EXPECT_EQ(LastError(&ext), S7_ERR_DATA_SIZE);
  EXPECT_EQ(ext, 600);
  EXPECT_EQ(S7_ReadSzl(conn_, 0x00A0, 0, buffer_, kCapacity, nullptr), S7_ERR_BAD_REQUEST);
  EXPECT_EQ(S7_ReadSzl(conn_, 0x00A0, 0, nullptr, 10, &list), S7_ERR_BAD_REQUEST);
  ASSERT_EQ(Read(0x00A0, 0, &list), S7_OK) << "the connection is still good";
}

TEST_F(SzlTest, RefusedAndInconsistentLists) {
  Model().RefuseSzl(0x001C);
  const Bytes single = {0x00, 0x01, 0x12, 0x08, 0x12, 0x84, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00};
  auto reply = [&](Bytes params, Bytes data) { Script(params, data); };
  struct Case {
    const char* what;
    unsigned id, index;
    std::function<void()> script;
    int rc;
    std::int32_t ext;
  } cases[] = {
      {"a list this CPU refuses", 0x001C, 0, [] {}, S7_ERR_PARAMETER, 0xD401},
      {"a list no CPU keeps", 0x0999, 0, [] {}, S7_ERR_PARAMETER, 0xD401},
      {"an index the list lacks", 0x0232, 5, [] {}, S7_ERR_PARAMETER, 0xD402},
      {"return code other than 0xFF", 0x0011, 0, [&] { reply(single, {0x0A, 0x00, 0x00, 0x00}); }, S7_ERR_DATA, 0x0A},
      {"count beyond the bytes", 0x0074, 0,
       [&] { reply(single, {0xFF, 0x09, 0x00, 0x0C, 0x00, 0x74, 0x00, 0x00, 0x00, 0x04, 0x00, 0x02, 1, 2, 3, 4}); },
       S7_ERR_DATA_SIZE, 0},
      {"bytes beyond the count", 0x0074, 0,
       [&] { reply(single, {0xFF, 0x09, 0x00, 0x0C, 0x00, 0x74, 0x00, 0x00, 0x00, 0x03, 0x00, 0x01, 1, 2, 3, 4}); },
       S7_ERR_DATA_SIZE, 0},
      {"unknown count, bytes not whole records", 0x0074, 0,
       [&] { reply(single, {0xFF, 0x09, 0x00, 0x0B, 0x00, 0x74, 0x00, 0x00, 0x00, 0x04, 0xFF, 0xFF, 1, 2, 3}); },
       S7_ERR_DATA_SIZE, 0},
      {"records of no length", 0x0074, 0,
       [&] { reply(single, {0xFF, 0x09, 0x00, 0x08, 0x00, 0x74, 0x00, 0x00, 0x00, 0x00, 0x00, 0x05}); },
       S7_ERR_DATA_SIZE, 0},
      {"item longer than the data part", 0x0074, 0,
       [&] { reply(single, {0xFF, 0x09, 0x00, 0x10, 0x00, 0x74, 0x00, 0x00, 0x00, 0x04, 0x00, 0x01, 1, 2, 3, 4}); },
       S7_ERR_BAD_REPLY, 0},
      {"first fragment without the list header", 0x0074, 0,
       [&] { reply(single, {0xFF, 0x09, 0x00, 0x04, 0x00, 0x74, 0x00, 0x00}); }, S7_ERR_BAD_REPLY, 0},
      {"no item at all", 0x0074, 0, [&] { reply(single, {0xFF, 0x09}); }, S7_ERR_BAD_REPLY, 0},
      {"answer of another function group", 0x0074, 0,
       [&] {
         Bytes clock = single;
         clock[5] = 0x87;
         reply(clock, {0xFF, 0x09, 0x00, 0x08, 0x00, 0x74, 0x00, 0x00, 0x00, 0x04, 0x00, 0x00});
       },
       S7_ERR_BAD_REPLY, 0},
      {"an acknowledgement instead of userdata", 0x0074, 0,
       [&] { sim_.Inject(plcsim::ErrorClassFault(0x00, 0x00)); }, S7_ERR_BAD_REPLY, 0},
      {"the CPU's error code in the parameters", 0x0074, 0,
       [&] {
         Bytes refused = single;
         refused[10] = 0xD4;
         refused[11] = 0x06;
         reply(refused, {0x0A, 0x00, 0x00, 0x00});
       },
       S7_ERR_PARAMETER, 0xD406},
  };
  for (const Case& c : cases) {
    c.script();
    S7SzlList list{};
    std::int32_t ext = -1;
    EXPECT_EQ(Read(c.id, c.index, &list), c.rc) << c.what;
    EXPECT_EQ(LastError(&ext), c.rc) << c.what;
    EXPECT_EQ(ext, c.ext) << c.what;
    if (c.rc != S7_ERR_DATA_SIZE) {
      EXPECT_EQ(list.bytes, 0) << c.what;
    }
  }
  S7SzlList list{};
  ASSERT_EQ(Read(0x0011, 0, &list), S7_OK) << "the connection is still good";
}

// A CPU that keeps saying "more" is asked a bounded number of times. The
// fake exchange answers every request at once from memory.
int g_endlessRounds = 0;
int EndlessExchange(S7Connection* conn) {
  ++g_endlessRounds;
  const bool first = g_endlessRounds == 1;
  const Bytes params = {0x00, 0x01, 0x12, 0x08, 0x12, 0x84, 0x01, 0x01, 0x01, 0x01, 0x00, 0x00};
  const Bytes data = first ? Bytes{0xFF, 0x09, 0x00, 0x08, 0x00, 0xA0, 0x00, 0x00, 0x00, 0x14, 0xFF, 0xFF}
                           : Bytes{0xFF, 0x09, 0x00, 0x00};
  const Bytes pdu = Userdata(Bytes(6, 0), params, data);
  std::memcpy(conn->replyPdu, pdu.data(), pdu.size());
  conn->replyReceived = static_cast<std::int32_t>(pdu.size());
  std::int32_t ext = 0;
  return S7_Fail(S7_CheckReply(conn, &ext), ext);
}

TEST_F(SzlTest, EndlessFragmentsAreBounded) {
  g_endlessRounds = 0;
  S7SzlList list{};
  EXPECT_EQ(S7_ReadSzlVia(conn_, 0x00A0, 0, buffer_, kCapacity, &list, EndlessExchange), S7_ERR_BAD_REPLY);
  EXPECT_EQ(g_endlessRounds, S7_SZL_MAX_FRAGMENTS);
  EXPECT_EQ(list.bytes, 0);
}

TEST_F(SzlTest, SilentCpuAndNoConnection) {
  // A LOGO! answers nothing: the read ends with the connection's time-out.
  Model().SetSzlBehaviour(plcsim::SzlBehaviour::Silent);
  S7SzlList list{};
  EXPECT_EQ(Read(0x0011, 0, &list), S7_ERR_TIMEOUT);
  int state = 0;
  EXPECT_EQ(S7_GetCpuState(conn_, &state), S7_OK) << "the state's list is still answered";
  EXPECT_EQ(state, S7_CPU_RUN);

  ASSERT_EQ(S7_Disconnect(conn_), S7_OK);
  const int requests = sim_.RequestCount();
  EXPECT_EQ(Read(0x0011, 0, &list), S7_ERR_NOT_CONNECTED);
  EXPECT_EQ(sim_.RequestCount(), requests);
  EXPECT_EQ(S7_ReadSzl(nullptr, 0x0011, 0, buffer_, kCapacity, &list), S7_ERR_BAD_CONNECTION);
}

}  // namespace
