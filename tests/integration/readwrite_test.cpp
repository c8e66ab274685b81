// Reading and writing variables against the simulated CPU: the request
// bytes, every type converted and raw, multi-variable requests with fill
// bytes, refused variables, per-item return codes, and replies that lie.
#include "tests/integration/rw_fixture.h"

namespace {

using namespace rwtest;
using plcsim::FaultKind;

Bytes Request(S7Connection* conn) { return Bytes(conn->requestPdu, conn->requestPdu + conn->requestTotal); }

TEST_F(RwTest, RequestLayout) {
  std::uint8_t values[4096] = {};
  // Word DB10.DBW4, count 3, as the only variable.
  ASSERT_EQ(S7_MultiRead_Begin(conn_), S7_OK);
  ASSERT_EQ(S7_AddVar(conn_, S7_TYPE_WORD, S7_AREA_DB, 10, 4, 0, 3, 1, values), S7_OK);
  Bytes pdu = Request(conn_);
  ASSERT_EQ(pdu.size(), 24u);
  EXPECT_EQ(Bytes(pdu.begin() + 6, pdu.end()), (Bytes{0x00, 0x0E, 0x00, 0x00, 0x04, 0x01, 0x12, 0x0A, 0x10,
                                                      0x04, 0x00, 0x03, 0x00, 0x0A, 0x84, 0x00, 0x00, 0x20}));
  EXPECT_EQ(S7_GetReplySize(conn_), 24);

  struct Item {
    const char* what;
    unsigned type, area;
    int db, start, bit, count;
    Bytes item;
  } items[] = {
      {"M5.3", S7_TYPE_BIT, S7_AREA_FLAGS, 0, 5, 3, 1, {0x12, 0x0A, 0x10, 0x01, 0x00, 0x01, 0x00, 0x00, 0x83, 0x00, 0x00, 0x2B}},
      {"16 bits of I0", S7_TYPE_BIT, S7_AREA_INPUTS, 0, 0, 0, 16, {0x12, 0x0A, 0x10, 0x03, 0x00, 0x02, 0x00, 0x00, 0x81, 0x00, 0x00, 0x00}},
      {"T7, 2 timers", S7_TYPE_TIMER, S7_AREA_TIMERS, 0, 7, 0, 2, {0x12, 0x0A, 0x10, 0x1D, 0x00, 0x02, 0x00, 0x00, 0x1D, 0x00, 0x00, 0x07}},
      {"Z1 counter", S7_TYPE_COUNTER, S7_AREA_COUNTERS, 0, 1, 0, 1, {0x12, 0x0A, 0x10, 0x1C, 0x00, 0x01, 0x00, 0x00, 0x1C, 0x00, 0x00, 0x01}},
      {"S5Time as bytes", S7_TYPE_S5TIME, S7_AREA_DB, 2, 6, 0, 3, {0x12, 0x0A, 0x10, 0x03, 0x00, 0x06, 0x00, 0x02, 0x84, 0x00, 0x00, 0x30}},
      {"Date&Time as bytes", S7_TYPE_DATETIME, S7_AREA_OUTPUTS, 0, 1, 0, 2, {0x12, 0x0A, 0x10, 0x03, 0x00, 0x10, 0x00, 0x00, 0x82, 0x00, 0x00, 0x08}},
      {"Real", S7_TYPE_REAL, S7_AREA_DB, 300, 2, 0, 2, {0x12, 0x0A, 0x10, 0x08, 0x00, 0x02, 0x01, 0x2C, 0x84, 0x00, 0x00, 0x10}},
      // The newer types are byte strings, counted in bytes.
      {"LReal", S7_TYPE_LREAL, S7_AREA_DB, 1, 8, 0, 2, {0x12, 0x0A, 0x10, 0x02, 0x00, 0x10, 0x00, 0x01, 0x84, 0x00, 0x00, 0x40}},
      {"String[20]", S7_TYPE_STRING, S7_AREA_DB, 1, 10, 0, 22, {0x12, 0x0A, 0x10, 0x02, 0x00, 0x16, 0x00, 0x01, 0x84, 0x00, 0x00, 0x50}},
      {"3 DTL", S7_TYPE_DTL, S7_AREA_DB, 2, 0, 0, 3, {0x12, 0x0A, 0x10, 0x02, 0x00, 0x24, 0x00, 0x02, 0x84, 0x00, 0x00, 0x00}},
      {"UInt", S7_TYPE_UINT, S7_AREA_FLAGS, 0, 4, 0, 1, {0x12, 0x0A, 0x10, 0x02, 0x00, 0x02, 0x00, 0x00, 0x83, 0x00, 0x00, 0x20}},
  };
  for (const Item& it : items) {
    ASSERT_EQ(S7_MultiRead_Begin(conn_), S7_OK);
    ASSERT_EQ(S7_AddVar(conn_, it.type, it.area, it.db, it.start, it.bit, it.count, 1, values), S7_OK) << it.what;
    pdu = Request(conn_);
    EXPECT_EQ(Bytes(pdu.begin() + 12, pdu.end()), it.item) << it.what;
  }

  // Two reads of 3 bytes: the first is followed by a fill byte in the reply.
  ASSERT_EQ(S7_MultiRead_Begin(conn_), S7_OK);
  ASSERT_EQ(S7_AddVar(conn_, S7_TYPE_BYTE, S7_AREA_DB, 1, 0, 0, 3, 1, values), S7_OK);
  ASSERT_EQ(S7_AddVar(conn_, S7_TYPE_BYTE, S7_AREA_DB, 1, 8, 0, 3, 1, values), S7_OK);
  EXPECT_EQ(S7_GetReplySize(conn_), 29);

  // Writing MB10 = 0x55 as the only variable.
  std::uint32_t b = 0x55;
  ASSERT_EQ(S7_MultiWrite_Begin(conn_), S7_OK);
  ASSERT_EQ(S7_AddVar(conn_, S7_TYPE_BYTE, S7_AREA_FLAGS, 0, 10, 0, 1, 1, &b), S7_OK);
  pdu = Request(conn_);
  ASSERT_EQ(pdu.size(), 29u);
  EXPECT_EQ(Bytes(pdu.begin() + 10, pdu.begin() + 24),
            (Bytes{0x05, 0x01, 0x12, 0x0A, 0x10, 0x02, 0x00, 0x01, 0x00, 0x00, 0x83, 0x00, 0x00, 0x50}));
  EXPECT_EQ(Bytes(pdu.begin() + 24, pdu.end()), (Bytes{0x00, 0x04, 0x00, 0x08, 0x55}));
  EXPECT_EQ(S7_GetReplySize(conn_), 15);

  // Byte x3 then Word: a fill byte before the second data item, and the
  // data part moved behind the second parameter item.
  std::uint32_t three[3] = {1, 2, 3}, word = 0xABCD;
  ASSERT_EQ(S7_MultiWrite_Begin(conn_), S7_OK);
  ASSERT_EQ(S7_AddVar(conn_, S7_TYPE_BYTE, S7_AREA_DB, 1, 0, 0, 3, 1, three), S7_OK);
  ASSERT_EQ(S7_AddVar(conn_, S7_TYPE_WORD, S7_AREA_DB, 1, 4, 0, 1, 1, &word), S7_OK);
  pdu = Request(conn_);
  EXPECT_EQ(GetBE16(pdu.data() + 6), 26);
  EXPECT_EQ(GetBE16(pdu.data() + 8), 14);
  EXPECT_EQ(Bytes(pdu.begin() + 36, pdu.end()),
            (Bytes{0x00, 0x04, 0x00, 0x18, 1, 2, 3, 0x00, 0x00, 0x04, 0x00, 0x10, 0xAB, 0xCD}));
  EXPECT_EQ(S7_GetReplySize(conn_), 16);

  // The data transport size of every item transport size.
  struct Dts {
    unsigned type;
    int count;
    std::uint8_t dts;
    int length;
  } dtss[] = {{S7_TYPE_BIT, 1, 0x03, 1},    {S7_TYPE_BIT, 8, 0x09, 1},    {S7_TYPE_SHORT, 2, 0x09, 2},
              {S7_TYPE_WORD, 1, 0x04, 16},  {S7_TYPE_DWORD, 1, 0x04, 32}, {S7_TYPE_INT, 1, 0x05, 16},
              {S7_TYPE_DINT, 1, 0x05, 32},  {S7_TYPE_REAL, 1, 0x07, 4},   {S7_TYPE_TIMER, 1, 0x09, 2},
              {S7_TYPE_COUNTER, 1, 0x09, 2}, {S7_TYPE_TIME, 1, 0x09, 4},   {S7_TYPE_LINT, 1, 0x04, 64},
              {S7_TYPE_STRING, 6, 0x04, 48}, {S7_TYPE_DTL, 1, 0x04, 96}};
  for (const Dts& d : dtss) {
    ASSERT_EQ(S7_MultiWrite_Begin(conn_), S7_OK);
    const unsigned area = d.type == S7_TYPE_TIMER ? S7_AREA_TIMERS : d.type == S7_TYPE_COUNTER ? S7_AREA_COUNTERS : S7_AREA_DB;
    ASSERT_EQ(S7_AddVar(conn_, d.type, area, 1, 0, 0, d.count, 1, values), S7_OK) << d.type;
    pdu = Request(conn_);
    EXPECT_EQ(pdu[25], d.dts) << "type " << d.type;
    EXPECT_EQ(GetBE16(pdu.data() + 26), d.length) << "type " << d.type;
  }
}

TEST_F(RwTest, RefusedVariablesLeaveTheRequestAsItWas) {
  std::uint8_t values[1024] = {};
  EXPECT_EQ(S7_AddVar(conn_, S7_TYPE_BYTE, S7_AREA_DB, 1, 0, 0, 1, 1, values), S7_ERR_BAD_REQUEST)
      << "no request open";
  EXPECT_EQ(S7_GetVarCapacity(conn_, 1, S7_TYPE_BYTE, nullptr), S7_ERR_BAD_REQUEST);
  ASSERT_EQ(S7_MultiRead_Begin(conn_), S7_OK);
  ASSERT_EQ(S7_AddVar(conn_, S7_TYPE_BYTE, S7_AREA_DB, 1, 0, 0, 1, 1, values), S7_OK);
  const Bytes before = Request(conn_);
  const int reply = S7_GetReplySize(conn_);
  struct Case {
    const char* what;
    unsigned type, area;
    int bit, count;
    void* values;
    int code;
  } cases[] = {
      {"type 30", kS7TypeLast + 1, S7_AREA_DB, 0, 1, values, S7_ERR_BAD_TYPE},
      {"area 6", S7_TYPE_BYTE, 6, 0, 1, values, S7_ERR_BAD_AREA},
      {"Byte with bit 1", S7_TYPE_BYTE, S7_AREA_DB, 1, 1, values, S7_ERR_BAD_ADDRESS},
      {"Bit 8", S7_TYPE_BIT, S7_AREA_DB, 8, 1, values, S7_ERR_BAD_ADDRESS},
      {"Bit -1", S7_TYPE_BIT, S7_AREA_DB, -1, 1, values, S7_ERR_BAD_ADDRESS},
      {"count 0", S7_TYPE_WORD, S7_AREA_DB, 0, 0, values, S7_ERR_BAD_COUNT},
      {"count -5", S7_TYPE_WORD, S7_AREA_DB, 0, -5, values, S7_ERR_BAD_COUNT},
      {"Bit count 12", S7_TYPE_BIT, S7_AREA_DB, 0, 12, values, S7_ERR_BAD_COUNT},
      {"Bit count 8 from bit 1", S7_TYPE_BIT, S7_AREA_DB, 1, 8, values, S7_ERR_BAD_COUNT},
      {"a Byte run one byte too long", S7_TYPE_BYTE, S7_AREA_DB, 0, 223 - 6, values, S7_ERR_PDU_TOO_LARGE},
      {"a huge count", S7_TYPE_DWORD, S7_AREA_DB, 0, 0x40000000, values, S7_ERR_PDU_TOO_LARGE},
      {"no value buffer", S7_TYPE_BYTE, S7_AREA_DB, 0, 1, nullptr, S7_ERR_BAD_REQUEST},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(S7_AddVar(conn_, c.type, c.area, 1, 0, c.bit, c.count, 1, c.values), c.code) << c.what;
    EXPECT_EQ(LastError(), c.code) << c.what;
    EXPECT_EQ(Request(conn_), before) << c.what;
    EXPECT_EQ(S7_GetReplySize(conn_), reply) << c.what;
  }
  // With PDU 240 a single Byte read of 222 fits exactly (14 + 4 + 222).
  ASSERT_EQ(S7_MultiRead_Begin(conn_), S7_OK);
  EXPECT_EQ(S7_AddVar(conn_, S7_TYPE_BYTE, S7_AREA_DB, 10, 0, 0, 223, 1, values), S7_ERR_PDU_TOO_LARGE);
  EXPECT_EQ(S7_AddVar(conn_, S7_TYPE_BYTE, S7_AREA_DB, 10, 0, 0, 222, 1, values), S7_OK);
  EXPECT_EQ(S7_GetReplySize(conn_), 240);
  EXPECT_EQ(S7_MultiRead(conn_), S7_OK);

  // A 21st variable is refused and the request still runs with 20.
  UseBigPdu();  // twenty items make a request of 252 bytes
  std::uint32_t slots[20] = {};
  ASSERT_EQ(S7_MultiRead_Begin(conn_), S7_OK);
  for (int i = 0; i < 20; ++i) ASSERT_EQ(S7_AddVar(conn_, S7_TYPE_BYTE, S7_AREA_DB, 1, i, 0, 1, 1, slots + i), S7_OK);
  EXPECT_EQ(S7_AddVar(conn_, S7_TYPE_BYTE, S7_AREA_DB, 1, 20, 0, 1, 1, values), S7_ERR_TOO_MANY_VARS);
  int capacity = -1;
  EXPECT_EQ(S7_GetVarCapacity(conn_, 1, S7_TYPE_BYTE, &capacity), S7_ERR_TOO_MANY_VARS);
  EXPECT_EQ(capacity, 0);
  EXPECT_EQ(S7_MultiRead(conn_), S7_OK);
  EXPECT_EQ(S7_GetVarCount(conn_), 20);
  EXPECT_EQ(S7_AddVar(conn_, S7_TYPE_BYTE, S7_AREA_DB, 1, 0, 0, 1, 1, values), S7_ERR_BAD_REQUEST)
      << "a request that ran takes no more variables";
}

TEST_F(RwTest, Capacity) {
  int n = -1;
  ASSERT_EQ(S7_MultiRead_Begin(conn_), S7_OK);
  EXPECT_EQ(S7_GetVarCapacity(conn_, 1, S7_TYPE_BYTE, &n), S7_OK);
  EXPECT_EQ(n, 222) << "(240 - 14 - 4) / 1";
  EXPECT_EQ(S7_GetVarCapacity(conn_, 1, S7_TYPE_DATETIME, &n), S7_OK);
  EXPECT_EQ(n, 27);
  EXPECT_EQ(S7_GetVarCapacity(conn_, 0, S7_TYPE_WORD, &n), S7_OK);
  EXPECT_EQ(n, 113);
  EXPECT_EQ(S7_GetVarCapacity(conn_, 1, kS7TypeLast + 1, &n), S7_ERR_BAD_TYPE);
  EXPECT_EQ(n, 0);
  ASSERT_EQ(S7_MultiWrite_Begin(conn_), S7_OK);
  EXPECT_EQ(S7_GetVarCapacity(conn_, 1, S7_TYPE_DWORD, &n), S7_OK);
  EXPECT_EQ(n, (240 - 12 - 16) / 4);
  std::uint8_t values[256] = {};
  ASSERT_EQ(S7_AddVar(conn_, S7_TYPE_DWORD, S7_AREA_DB, 1, 0, 0, n, 0, values), S7_OK) << "the reported size fits";
  EXPECT_EQ(S7_GetVarCapacity(conn_, 1, S7_TYPE_BYTE, &n), S7_OK);
  EXPECT_EQ(n, 0) << "the PDU is full";
}

TEST_F(RwTest, EveryTypeSinglyConvertedAndRaw) {
  for (const Var& v : AllTypes()) {
    Bytes values = v.Values();
    ASSERT_EQ(S7_SimpleWrite(conn_, v.type, v.area, v.db, v.start, v.bit, v.count, 1, values.data()), S7_OK) << v.what;
    EXPECT_EQ(Memory(v), v.wire) << v.what;
    EXPECT_EQ(S7_GetVarCount(conn_), 1);
    int code = 0;
    EXPECT_EQ(S7_GetVarResult(conn_, 0, &code), S7_OK);
    EXPECT_EQ(code, 0xFF);

    Bytes read(values.size() + 4, 0xEE);
    ASSERT_EQ(S7_SimpleRead(conn_, v.type, v.area, v.db, v.start, v.bit, v.count, 1, read.data()), S7_OK) << v.what;
    EXPECT_EQ(Bytes(read.begin(), read.end() - 4), v.Expected()) << v.what;
    EXPECT_EQ(Bytes(read.end() - 4, read.end()), Bytes(4, 0xEE)) << v.what << ": written past the values";

    // Unconverted, the wire bytes travel as they are.
    const int wireBytes = static_cast<int>(v.wire.size());
    Bytes raw(static_cast<std::size_t>(wireBytes) + 4, 0xEE);
    ASSERT_EQ(S7_SimpleRead(conn_, v.type, v.area, v.db, v.start, v.bit, v.count, 0, raw.data()), S7_OK) << v.what;
    if (v.type != S7_TYPE_BIT || v.count > 1) {
      EXPECT_EQ(Bytes(raw.begin(), raw.begin() + wireBytes), v.wire) << v.what;
    }
    EXPECT_EQ(Bytes(raw.end() - 4, raw.end()), Bytes(4, 0xEE)) << v.what;
    Bytes zero(v.wire.size(), 0);
    ASSERT_TRUE(Model().WriteMemory(kWireArea[v.area], v.db, v.Offset(), zero));
    ASSERT_EQ(S7_SimpleWrite(conn_, v.type, v.area, v.db, v.start, v.bit, v.count, 0, raw.data()), S7_OK) << v.what;
    if (v.type != S7_TYPE_BIT || v.count > 1) {
      EXPECT_EQ(Memory(v), v.wire) << v.what;
    }
  }
}

TEST_F(RwTest, AllTypesInOneRequest) {
  UseBigPdu();  // seventeen write items do not fit in 240 bytes
  const std::vector<Var> vars = AllTypes();  // 17 variables
  std::vector<Bytes> values;
  for (const Var& v : vars) values.push_back(v.Values());
  ASSERT_EQ(S7_MultiWrite_Begin(conn_), S7_OK);
  for (std::size_t i = 0; i < vars.size(); ++i) ASSERT_EQ(Add(conn_, vars[i], values[i].data()), S7_OK) << vars[i].what;
  ASSERT_EQ(S7_MultiWrite(conn_), S7_OK);
  EXPECT_EQ(S7_GetVarCount(conn_), static_cast<int>(vars.size()));
  for (const Var& v : vars) EXPECT_EQ(Memory(v), v.wire) << v.what;

  std::vector<Bytes> read;
  for (const Var& v : vars) read.push_back(Bytes(v.Expected().size(), 0xEE));
  ASSERT_EQ(S7_MultiRead_Begin(conn_), S7_OK);
  for (std::size_t i = 0; i < vars.size(); ++i) ASSERT_EQ(Add(conn_, vars[i], read[i].data()), S7_OK);
  ASSERT_EQ(S7_MultiRead(conn_), S7_OK);
  for (std::size_t i = 0; i < vars.size(); ++i) EXPECT_EQ(read[i], vars[i].Expected()) << vars[i].what;

  // Running it again without a new Begin reads the same variables anew,
  // under a fresh PDU reference.
  const Bytes firstRun = sim_.LastRequestPdu();
  ASSERT_TRUE(Model().WriteMemory(plcsim::kAreaDataBlock, 1, 26, {0x01, 0x02, 0x03, 0x04}));
  ASSERT_EQ(S7_MultiRead(conn_), S7_OK);
  EXPECT_EQ(read[7], (Bytes{0x04, 0x03, 0x02, 0x01})) << "DWord slot after the second run";
  const Bytes secondRun = sim_.LastRequestPdu();
  EXPECT_EQ(Bytes(firstRun.begin() + 6, firstRun.end()), Bytes(secondRun.begin() + 6, secondRun.end()));
  EXPECT_NE(GetBE16(firstRun.data() + 4), GetBE16(secondRun.data() + 4));
}

TEST_F(RwTest, RunningWithoutVariables) {
  ASSERT_EQ(S7_MultiRead_Begin(conn_), S7_OK);
  std::int32_t ext = -1;
  EXPECT_EQ(S7_MultiRead(conn_), S7_ERR_NO_VARS);
  EXPECT_EQ(LastError(&ext), S7_ERR_NO_VARS);
  EXPECT_EQ(ext, 0);
  ASSERT_EQ(S7_MultiWrite_Begin(conn_), S7_OK);
  EXPECT_EQ(S7_MultiWrite(conn_), S7_ERR_NO_VARS);
  int state = 0;
  ASSERT_EQ(S7_GetCpuState(conn_, &state), S7_OK);
  EXPECT_EQ(S7_MultiRead(conn_), S7_ERR_NO_VARS) << "the buffer holds another service's request";
  EXPECT_EQ(S7_MultiRead(nullptr), S7_ERR_BAD_CONNECTION);

  std::uint32_t v = 0;
  ASSERT_EQ(S7_Disconnect(conn_), S7_OK);
  const int requests = sim_.RequestCount();
  EXPECT_EQ(S7_MultiRead_Begin(conn_), S7_ERR_NOT_CONNECTED);
  EXPECT_EQ(S7_MultiRead(conn_), S7_ERR_NOT_CONNECTED);
  EXPECT_EQ(S7_SimpleRead(conn_, S7_TYPE_BYTE, S7_AREA_DB, 1, 0, 0, 1, 1, &v), S7_ERR_NOT_CONNECTED);
  EXPECT_EQ(S7_SimpleWrite(conn_, S7_TYPE_BYTE, S7_AREA_DB, 1, 0, 0, 1, 1, &v), S7_ERR_NOT_CONNECTED);
  EXPECT_EQ(sim_.RequestCount(), requests);
}

// Per-item failures as a CPU reports them: the item's header alone, so the
// reply is shorter than expected; the good items keep their values.
TEST_F(RwTest, PerItemReturnCodes) {
  ASSERT_TRUE(Model().WriteMemory(plcsim::kAreaDataBlock, 1, 0, {0x11, 0x22, 0x33, 0x44}));
  struct Case {
    const char* what;
    unsigned type, area;
    int db, start;
    std::uint8_t code;
  } cases[] = {
      {"missing DB", S7_TYPE_WORD, S7_AREA_DB, 99, 0, 0x0A},
      {"beyond the end of DB2", S7_TYPE_WORD, S7_AREA_DB, 2, 63, 0x05},
      {"a timer in a data block", S7_TYPE_TIMER, S7_AREA_DB, 1, 0, 0x06},
      {"a word in the timers", S7_TYPE_WORD, S7_AREA_TIMERS, 0, 0, 0x06},
  };
  for (const Case& c : cases) {
    std::uint32_t bad = 0xEEEEEEEE;
    ASSERT_EQ(S7_MultiRead_Begin(conn_), S7_OK);
    std::uint32_t first = 0, last = 0;
    ASSERT_EQ(S7_AddVar(conn_, S7_TYPE_WORD, S7_AREA_DB, 1, 0, 0, 1, 1, &first), S7_OK);
    ASSERT_EQ(S7_AddVar(conn_, c.type, c.area, c.db, c.start, 0, 1, 1, &bad), S7_OK);
    ASSERT_EQ(S7_AddVar(conn_, S7_TYPE_BYTE, S7_AREA_DB, 1, 3, 0, 1, 1, &last), S7_OK);
    std::int32_t ext = 0;
    EXPECT_EQ(S7_MultiRead(conn_), S7_ERR_DATA) << c.what;
    EXPECT_EQ(LastError(&ext), S7_ERR_DATA);
    EXPECT_EQ(ext, 2) << c.what;
    EXPECT_EQ(first, 0x1122u) << c.what;
    EXPECT_EQ(last, 0x44u) << c.what;
    EXPECT_EQ(bad, 0xEEEEEEEEu) << c.what;
    int code = 0;
    EXPECT_EQ(S7_GetVarResult(conn_, 0, &code), S7_OK);
    EXPECT_EQ(code, 0xFF);
    EXPECT_EQ(S7_GetVarResult(conn_, 1, &code), S7_OK);
    EXPECT_EQ(code, c.code) << c.what;
    EXPECT_EQ(S7_GetVarResult(conn_, 3, &code), S7_ERR_BAD_REQUEST);
    EXPECT_EQ(code, 0);

    // The same singly: the item error, not the shorter reply, is reported.
    EXPECT_EQ(S7_SimpleRead(conn_, c.type, c.area, c.db, c.start, 0, 1, 1, &bad), S7_ERR_DATA) << c.what;
    EXPECT_EQ(LastError(&ext), S7_ERR_DATA);
    EXPECT_EQ(ext, 1);

    std::uint32_t value = 1;
    ASSERT_EQ(S7_MultiWrite_Begin(conn_), S7_OK);
    ASSERT_EQ(S7_AddVar(conn_, S7_TYPE_BYTE, S7_AREA_DB, 1, 100, 0, 1, 1, &value), S7_OK);
    ASSERT_EQ(S7_AddVar(conn_, c.type, c.area, c.db, c.start, 0, 1, 1, &value), S7_OK);
    EXPECT_EQ(S7_MultiWrite(conn_), S7_ERR_DATA) << c.what;
    EXPECT_EQ(LastError(&ext), S7_ERR_DATA);
    EXPECT_EQ(ext, 2);
    EXPECT_EQ(Model().ReadMemory(plcsim::kAreaDataBlock, 1, 100, 1), Bytes{0x01}) << "the good item was written";
  }
}

TEST_F(RwTest, PasswordGatesWrites) {
  Model().SetPassword("secret");
  std::uint32_t value = 0x5A;
  std::int32_t ext = 0;
  EXPECT_EQ(S7_SimpleWrite(conn_, S7_TYPE_BYTE, S7_AREA_FLAGS, 0, 1, 0, 1, 1, &value), S7_ERR_DATA);
  int code = 0;
  S7_GetVarResult(conn_, 0, &code);
  EXPECT_EQ(code, 0x03);
  EXPECT_EQ(S7_SimpleRead(conn_, S7_TYPE_BYTE, S7_AREA_FLAGS, 0, 1, 0, 1, 1, &value), S7_OK) << "reads stay allowed";
  EXPECT_EQ(S7_SessionLogin(conn_, "wrong"), S7_ERR_PARAMETER);
  EXPECT_EQ(LastError(&ext), S7_ERR_PARAMETER);
  EXPECT_EQ(ext, 0xD602);
  ASSERT_EQ(S7_SessionLogin(conn_, "secret"), S7_OK);
  value = 0x5A;
  EXPECT_EQ(S7_SimpleWrite(conn_, S7_TYPE_BYTE, S7_AREA_FLAGS, 0, 1, 0, 1, 1, &value), S7_OK);
  EXPECT_EQ(Model().ReadMemory(plcsim::kAreaFlags, 0, 1, 1), Bytes{0x5A});
  S7Connection* other = Connect("other");
  EXPECT_EQ(S7_SimpleWrite(other, S7_TYPE_BYTE, S7_AREA_FLAGS, 0, 1, 0, 1, 1, &value), S7_ERR_DATA)
      << "the login belongs to its own connection";
  ASSERT_EQ(S7_SessionLogout(conn_), S7_OK);
  EXPECT_EQ(S7_SimpleWrite(conn_, S7_TYPE_BYTE, S7_AREA_FLAGS, 0, 1, 0, 1, 1, &value), S7_ERR_DATA);
}

TEST_F(RwTest, LargeReadOnA512BytePdu) {
  plcsim::Config config;
  config.model.pduSize = 512;
  StartSim(config);
  S7Connection* conn = Connect("big");
  ASSERT_EQ(S7_GetPduSize(conn), 512);
  Bytes pattern(300);
  for (std::size_t i = 0; i < pattern.size(); ++i) pattern[i] = static_cast<std::uint8_t>(i * 7);
  ASSERT_TRUE(sim_.Model().WriteMemory(plcsim::kAreaDataBlock, 10, 100, pattern));
  std::vector<std::uint32_t> slots(301, 0xEEEEEEEE);
  ASSERT_EQ(S7_SimpleRead(conn, S7_TYPE_BYTE, S7_AREA_DB, 10, 100, 0, 300, 1, slots.data()), S7_OK);
  for (std::size_t i = 0; i < 300; ++i) ASSERT_EQ(slots[i], pattern[i]) << i;
  EXPECT_EQ(slots[300], 0xEEEEEEEEu);
}

// Replies that do not match their request: whatever the item headers say,
// the library stays inside the reply and the value buffers, reports 15, 28
// or 29, and the items before the fault keep their values.
TEST_F(RwTest, RepliesThatLie) {
  ASSERT_TRUE(Model().WriteMemory(plcsim::kAreaDataBlock, 1, 0, {0x11, 0x22, 0x33, 0x44, 0x55, 0x66}));
  // Three variables: Word DB1.DBW0, Byte DB1.DBB2 x3, DWord DB1.DBD2.
  auto put16 = [](Bytes& p, std::size_t at, int v) {
    p[at] = static_cast<std::uint8_t>(v >> 8);
    p[at + 1] = static_cast<std::uint8_t>(v);
  };
  // Reply layout: header 12, params 2, item 0 at 14 (4 + 2), item 1 at 20
  // (4 + 3 + fill), item 2 at 28 (4 + 4): 36 bytes.
  struct Case {
    const char* what;
    plcsim::Fault fault;
    int code;
    std::int32_t mask;
    bool firstKept, secondKept;
  } cases[] = {
      {"item 1 answered with 2 bytes", plcsim::ItemLengthFault(1, 2), S7_ERR_DATA_SIZE, 2, true, false},
      {"item 1 answered with 4 bytes", plcsim::ItemLengthFault(1, 4), S7_ERR_DATA_SIZE, 2, true, false},
      {"one item more than asked", plcsim::ItemCountFault(4), S7_ERR_BAD_REPLY, 0, false, false},
      {"one item fewer", plcsim::ItemCountFault(2), S7_ERR_BAD_REPLY, 0, false, false},
      {"error class and code", plcsim::ErrorClassFault(0x81, 0x04), S7_ERR_PDU, 0x8104, false, false},
      {"item 1 claims 256 bytes", {FaultKind::RewriteReply, 0, 0, 0, [&](Bytes& p) { put16(p, 22, 256); }},
       S7_ERR_DATA_SIZE, 6, true, false},
      {"item 0 claims 0xFFFF bits", {FaultKind::RewriteReply, 0, 0, 0, [&](Bytes& p) { put16(p, 16, 0xFFFF); }},
       S7_ERR_DATA_SIZE, 7, false, false},
      {"data part cut, header fixed", {FaultKind::RewriteReply, 0, 0, 0, [&](Bytes& p) {
         p.resize(30);
         put16(p, 8, 16);
       }},
       S7_ERR_REPLY_SIZE, 4, true, true},
      {"data part cut, header not", {FaultKind::RewriteReply, 0, 0, 0, [&](Bytes& p) { p.resize(30); }},
       S7_ERR_BAD_REPLY, 0, false, false},
      {"header claims more data than sent", {FaultKind::RewriteReply, 0, 0, 0, [&](Bytes& p) { put16(p, 8, 200); }},
       S7_ERR_REPLY_SIZE, 0, true, true},
      {"error item 1 declares 3 bytes but carries none",
       {FaultKind::RewriteReply, 0, 0, 0, [&](Bytes& p) {
          p.erase(p.begin() + 24, p.begin() + 28);
          p[20] = 0x0A;
          put16(p, 8, static_cast<int>(p.size()) - 14);
        }},
       S7_ERR_DATA, 2, true, false},
      {"error item 1 declares 3 bytes and carries them",
       {FaultKind::RewriteReply, 0, 0, 0, [&](Bytes& p) { p[20] = 0x0A; }}, S7_ERR_DATA, 6, true, false},
      {"junk after the last item", {FaultKind::RewriteReply, 0, 0, 0, [&](Bytes& p) {
         p.insert(p.end(), {1, 2, 3});
         put16(p, 8, static_cast<int>(p.size()) - 14);
       }},
       S7_ERR_REPLY_SIZE, 0, true, true},
      {"no parameters", {FaultKind::RewriteReply, 0, 0, 0, [&](Bytes& p) {
         p.resize(12);
         put16(p, 6, 0);
         put16(p, 8, 0);
       }},
       S7_ERR_BAD_REPLY, 0, false, false},
  };
  for (auto& c : cases) {
    std::uint32_t word = 0xEEEEEEEE, bytes[3] = {0xEEEEEEEE, 0xEEEEEEEE, 0xEEEEEEEE}, dword = 0xEEEEEEEE;
    std::uint32_t guard = 0xEEEEEEEE;
    ASSERT_EQ(S7_MultiRead_Begin(conn_), S7_OK);
    ASSERT_EQ(S7_AddVar(conn_, S7_TYPE_WORD, S7_AREA_DB, 1, 0, 0, 1, 1, &word), S7_OK);
    ASSERT_EQ(S7_AddVar(conn_, S7_TYPE_BYTE, S7_AREA_DB, 1, 2, 0, 3, 1, bytes), S7_OK);
    ASSERT_EQ(S7_AddVar(conn_, S7_TYPE_DWORD, S7_AREA_DB, 1, 2, 0, 1, 1, &dword), S7_OK);
    ASSERT_EQ(S7_GetReplySize(conn_), 36);
    sim_.Inject(c.fault);
    std::int32_t ext = -1;
    EXPECT_EQ(S7_MultiRead(conn_), c.code) << c.what;
    EXPECT_EQ(LastError(&ext), c.code) << c.what;
    EXPECT_EQ(ext, c.mask) << c.what;
    EXPECT_EQ(word, c.firstKept ? 0x1122u : 0xEEEEEEEEu) << c.what;
    if (c.secondKept) {
      EXPECT_EQ(bytes[0], 0x33u) << c.what;
      EXPECT_EQ(bytes[2], 0x55u) << c.what;
    } else {
      EXPECT_EQ(bytes[0], 0xEEEEEEEEu) << c.what;
    }
    EXPECT_EQ(guard, 0xEEEEEEEEu);
    EXPECT_EQ(S7_IsConnected(conn_), 1) << c.what;
  }
  // Afterwards the connection reads as before.
  std::uint32_t word = 0;
  EXPECT_EQ(S7_SimpleRead(conn_, S7_TYPE_WORD, S7_AREA_DB, 1, 0, 0, 1, 1, &word), S7_OK);
  EXPECT_EQ(word, 0x1122u);
}

TEST_F(RwTest, WriteRepliesThatLie) {
  std::uint32_t v[2] = {1, 2};
  struct Case {
    const char* what;
    plcsim::Fault fault;
    int code;
  } cases[] = {
      {"item count", plcsim::ItemCountFault(3), S7_ERR_BAD_REPLY},
      {"error class", plcsim::ErrorClassFault(0x85, 0x00), S7_ERR_PDU},
      {"return codes missing", {FaultKind::RewriteReply, 0, 0, 0, [](Bytes& p) {
         p.resize(15);
         p[9] = 1;
       }},
       S7_ERR_REPLY_SIZE},
      {"function byte", {FaultKind::RewriteReply, 0, 0, 0, [](Bytes& p) { p[12] = 0x04; }}, S7_ERR_BAD_REPLY},
  };
  for (auto& c : cases) {
    ASSERT_EQ(S7_MultiWrite_Begin(conn_), S7_OK);
    ASSERT_EQ(S7_AddVar(conn_, S7_TYPE_BYTE, S7_AREA_DB, 1, 0, 0, 1, 1, v), S7_OK);
    ASSERT_EQ(S7_AddVar(conn_, S7_TYPE_BYTE, S7_AREA_DB, 1, 1, 0, 1, 1, v + 1), S7_OK);
    sim_.Inject(c.fault);
    EXPECT_EQ(S7_MultiWrite(conn_), c.code) << c.what;
    EXPECT_EQ(S7_GetVarCount(conn_), 0) << c.what;
  }
}

}  // namespace
