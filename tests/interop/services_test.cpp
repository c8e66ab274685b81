// Reading and writing variables and the CPU and session services against the
// Snap7 server of node-snap7, an S7 implementation nobody here wrote. After
// each write the test reads the server's Node buffer, so the wire bytes are
// checked against memory that this project's code never decoded.
//
// Where the Snap7 server differs from a real CPU (seen with node-snap7 1.0.9):
// - Clock: reading gives the host's clock; setting it is accepted and logged
//   as an event, but the server's clock does not change.
// - Password: the server keeps no protection; any login and logout is
//   accepted (and logged as a security event), writes are never refused.
// - State: a stop request puts the server into STOP and a start (warm or
//   cold) back into RUN; a cold restart does not clear flags, timers or
//   counters as a CPU's would.
// - Clock weekday: the server writes the weekday nibble as 0 = Sunday where a
//   CPU writes 1 = Sunday, so its Sunday does not decode (23) and every
//   other day reads one day early.
// - Timers and counters are plain 2-byte cells of a registered buffer that
//   the server neither runs nor checks; it finds timer or counter n at byte
//   n / 2 rather than 2 n, so only number 0 lands where a CPU would put it.
// - Multi-variable write: after a data item whose length counts bytes (data
//   transport sizes 0x07 and 0x09, except for timers and counters) the
//   server loses its place and refuses every following item with 0x07. A
//   single write of each of those types, or one as the last item, works.
// - A failed read item carries the requested length in its header, with no
//   data behind it (a CPU sends length 0).
#include <gtest/gtest.h>

#include <ctime>
#include <string>

#include "platform/platform.h"
#include "tests/interop/snap7_peer.h"
#include "tests/rw_vars.h"

namespace {

using namespace rwtest;

// The server's own area codes, by the library's area number.
constexpr int kSnap7Area[6] = {0, 1, 2, 5, 4, 3};

// Every type, with timer and counter number 0 (see above).
std::vector<Var> Snap7Types() {
  std::vector<Var> vars = AllTypes();
  for (Var& v : vars)
    if (v.area >= S7_AREA_TIMERS) v.start = 0;
  return vars;
}

// Whether a write data item of the type counts its length in bytes.
bool LengthInBytes(unsigned type) {
  return type == S7_TYPE_REAL || type == S7_TYPE_SHORT || type == S7_TYPE_CHAR || type == S7_TYPE_TIME ||
         type == S7_TYPE_TOD || type == S7_TYPE_S5TIME || type == S7_TYPE_DATETIME || type == S7_TYPE_DATE;
}

class Snap7ServicesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string why;
    ASSERT_TRUE(peer_.Start(&why)) << why;
    iface_ = S7_Interface_Init(S7_KIND_TCP);
    ASSERT_NE(iface_, nullptr);
    conn_ = S7_Connection_Init(iface_, "snap7", 2000, peer_.Address(), 0, 2, 240);
    ASSERT_EQ(S7_IsConnected(conn_), 1);
    ASSERT_EQ(S7_GetPduSize(conn_), 512);
  }
  void TearDown() override {
    iface_ = S7_Interface_Done(iface_);
    peer_.Stop();
  }

  Bytes Buffer(const Var& v) {
    Bytes all = peer_.Area(kSnap7Area[v.area], v.db);
    const std::size_t at = static_cast<std::size_t>(v.Offset());
    if (at + v.wire.size() > all.size()) return {};
    return Bytes(all.begin() + static_cast<std::ptrdiff_t>(at),
                 all.begin() + static_cast<std::ptrdiff_t>(at + v.wire.size()));
  }
  void Clear(const Var& v) {
    Bytes all = peer_.Area(kSnap7Area[v.area], v.db);
    std::fill(all.begin(), all.end(), 0);
    peer_.SetArea(kSnap7Area[v.area], v.db, all);
  }
  // The server's event log since the last look, waiting a little for the
  // events of the request just made.
  std::string Events(const std::string& code) {
    std::string all;
    for (int i = 0; i < 100; ++i) {
      all += " " + peer_.Command("events");
      if (all.find(" " + code + "/") != std::string::npos) break;
      Plat_Sleep(10);
    }
    return all;
  }
  // The server may answer a start or stop job before its status shows the
  // change (seen on a busy machine): waits up to 5 s for it.
  bool CpuBecomes(const std::string& status) {
    std::string now;
    for (int i = 0; i < 500; ++i) {
      if ((now = peer_.Command("cpu")) == status) return true;
      Plat_Sleep(10);
    }
    ADD_FAILURE() << "the server's status stays " << now << ", not " << status;
    return false;
  }
  static int LastError(std::int32_t* ext = nullptr) {
    std::int32_t dummy = 0;
    return S7_GetLastError(ext ? ext : &dummy);
  }

  Snap7Peer peer_;
  S7Interface* iface_ = nullptr;
  S7Connection* conn_ = nullptr;
};

TEST_F(Snap7ServicesTest, EveryTypeSingly) {
  for (const Var& v : Snap7Types()) {
    Clear(v);
    Bytes values = v.Values();
    ASSERT_EQ(S7_SimpleWrite(conn_, v.type, v.area, v.db, v.start, v.bit, v.count, 1, values.data()), S7_OK)
        << v.what;
    EXPECT_EQ(Buffer(v), v.wire) << v.what;
    Bytes read(values.size() + 4, 0xEE);
    ASSERT_EQ(S7_SimpleRead(conn_, v.type, v.area, v.db, v.start, v.bit, v.count, 1, read.data()), S7_OK)
        << v.what;
    EXPECT_EQ(Bytes(read.begin(), read.end() - 4), v.Expected()) << v.what;
    EXPECT_EQ(Bytes(read.end() - 4, read.end()), Bytes(4, 0xEE)) << v.what;
  }
}

TEST_F(Snap7ServicesTest, ManyVariablesInOneRequest) {
  // Write: twelve variables of mixed types, the one whose length counts
  // bytes last; then read every type back in one request of seventeen.
  std::vector<Var> vars;
  for (const Var& v : Snap7Types())
    if (!LengthInBytes(v.type) && !(v.type == S7_TYPE_BIT && v.count > 1)) vars.push_back(v);
  vars.push_back({"Byte 2", S7_TYPE_BYTE, S7_AREA_FLAGS, 0, 20, 0, 2, {1, 2}, {1, 2}, {1, 2}});
  vars.push_back({"Word 2", S7_TYPE_WORD, S7_AREA_DB, 10, 500, 0, 1, {0xBEEF}, {0xBE, 0xEF}, {0xBEEF}});
  vars.push_back({"DInt 2", S7_TYPE_DINT, S7_AREA_OUTPUTS, 0, 7, 0, 1, {0x80000000u}, {0x80, 0, 0, 0}, {0x80000000u}});
  vars.push_back(Snap7Types()[12]);  // Real, last
  ASSERT_GE(vars.size(), 10u);
  std::vector<Bytes> values;
  for (const Var& v : vars) {
    Clear(v);
    values.push_back(v.Values());
  }
  ASSERT_EQ(S7_MultiWrite_Begin(conn_), S7_OK);
  for (std::size_t i = 0; i < vars.size(); ++i) {
    const Var& v = vars[i];
    ASSERT_EQ(S7_AddVar(conn_, v.type, v.area, v.db, v.start, v.bit, v.count, 1, values[i].data()), S7_OK) << v.what;
  }
  ASSERT_EQ(S7_MultiWrite(conn_), S7_OK);
  for (const Var& v : vars) EXPECT_EQ(Buffer(v), v.wire) << v.what;

  const std::vector<Var> all = Snap7Types();
  for (const Var& v : all) peer_.SetArea(kSnap7Area[v.area], v.db, [&] {
    Bytes b = peer_.Area(kSnap7Area[v.area], v.db);
    std::copy(v.wire.begin(), v.wire.end(), b.begin() + v.Offset());
    return b;
  }());
  std::vector<Bytes> read;
  for (const Var& v : all) read.push_back(Bytes(v.Expected().size(), 0xEE));
  ASSERT_EQ(S7_MultiRead_Begin(conn_), S7_OK);
  for (std::size_t i = 0; i < all.size(); ++i) {
    const Var& v = all[i];
    ASSERT_EQ(S7_AddVar(conn_, v.type, v.area, v.db, v.start, v.bit, v.count, 1, read[i].data()), S7_OK);
  }
  ASSERT_EQ(S7_MultiRead(conn_), S7_OK);
  EXPECT_EQ(S7_GetVarCount(conn_), static_cast<int>(all.size()));
  for (std::size_t i = 0; i < all.size(); ++i) EXPECT_EQ(read[i], all[i].Expected()) << all[i].what;

  // The server's quirk: an item behind a Real is refused.
  std::uint32_t real = 0x3FC00000, byte = 1;
  ASSERT_EQ(S7_MultiWrite_Begin(conn_), S7_OK);
  ASSERT_EQ(S7_AddVar(conn_, S7_TYPE_REAL, S7_AREA_DB, 1, 100, 0, 1, 1, &real), S7_OK);
  ASSERT_EQ(S7_AddVar(conn_, S7_TYPE_BYTE, S7_AREA_DB, 1, 110, 0, 1, 1, &byte), S7_OK);
  std::int32_t ext = 0;
  EXPECT_EQ(S7_MultiWrite(conn_), S7_ERR_DATA);
  EXPECT_EQ(LastError(&ext), S7_ERR_DATA);
  EXPECT_EQ(ext, 2);
  int code = 0;
  S7_GetVarResult(conn_, 1, &code);
  EXPECT_EQ(code, 0x07);
}

TEST_F(Snap7ServicesTest, FailedItems) {
  peer_.SetArea(5, 1, {0x11, 0x22, 0x33, 0x44});
  struct Case {
    const char* what;
    int db, start;
    std::uint8_t code;
  } cases[] = {
      {"missing DB", 99, 0, 0x0A},
      {"beyond the end of DB2", 2, 63, 0x05},
  };
  for (const Case& c : cases) {
    std::uint32_t bad = 0xEEEEEEEE;
    std::int32_t ext = 0;
    EXPECT_EQ(S7_SimpleRead(conn_, S7_TYPE_WORD, S7_AREA_DB, c.db, c.start, 0, 1, 1, &bad), S7_ERR_DATA) << c.what;
    EXPECT_EQ(LastError(&ext), S7_ERR_DATA);
    EXPECT_EQ(ext, 1) << c.what;
    int code = 0;
    EXPECT_EQ(S7_GetVarResult(conn_, 0, &code), S7_OK);
    EXPECT_EQ(code, c.code) << c.what;
    EXPECT_EQ(bad, 0xEEEEEEEEu);

    std::uint32_t first = 0, last = 0;
    ASSERT_EQ(S7_MultiRead_Begin(conn_), S7_OK);
    ASSERT_EQ(S7_AddVar(conn_, S7_TYPE_WORD, S7_AREA_DB, 1, 0, 0, 1, 1, &first), S7_OK);
    ASSERT_EQ(S7_AddVar(conn_, S7_TYPE_WORD, S7_AREA_DB, c.db, c.start, 0, 1, 1, &bad), S7_OK);
    ASSERT_EQ(S7_AddVar(conn_, S7_TYPE_BYTE, S7_AREA_DB, 1, 3, 0, 1, 1, &last), S7_OK);
    EXPECT_EQ(S7_MultiRead(conn_), S7_ERR_DATA) << c.what;
    EXPECT_EQ(LastError(&ext), S7_ERR_DATA);
    EXPECT_EQ(ext, 2) << c.what;
    EXPECT_EQ(first, 0x1122u) << c.what;
    EXPECT_EQ(last, 0x44u) << c.what;
    EXPECT_EQ(bad, 0xEEEEEEEEu) << c.what;
    for (int i = 0; i < 3; ++i) {
      S7_GetVarResult(conn_, i, &code);
      EXPECT_EQ(code, i == 1 ? c.code : 0xFF) << c.what << " item " << i;
    }
  }
}

TEST_F(Snap7ServicesTest, StateStartAndStop) {
  int state = -1;
  ASSERT_EQ(S7_GetCpuState(conn_, &state), S7_OK);
  EXPECT_EQ(state, S7_CPU_RUN);
  peer_.Command("setcpu 4");
  ASSERT_EQ(S7_GetCpuState(conn_, &state), S7_OK);
  EXPECT_EQ(state, S7_CPU_STOP);
  peer_.Command("setcpu 8");
  ASSERT_EQ(S7_CpuStop(conn_), S7_OK);
  EXPECT_TRUE(CpuBecomes("4"));
  ASSERT_EQ(S7_GetCpuState(conn_, &state), S7_OK);
  EXPECT_EQ(state, S7_CPU_STOP);
  ASSERT_EQ(S7_CpuStart(conn_, 0), S7_OK);
  EXPECT_TRUE(CpuBecomes("8"));
  ASSERT_EQ(S7_CpuStop(conn_), S7_OK);
  ASSERT_EQ(S7_CpuStart(conn_, 1), S7_OK);
  EXPECT_TRUE(CpuBecomes("8"));
  ASSERT_EQ(S7_GetCpuState(conn_, &state), S7_OK);
  EXPECT_EQ(state, S7_CPU_RUN);
  const std::string events = Events("4000000");
  EXPECT_NE(events.find(" 4000000/"), std::string::npos) << "start and stop are control events: " << events;
}

TEST_F(Snap7ServicesTest, Clock) {
  CalendarRecord clock{};
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  const int rc = S7_GetCpuClock(conn_, &clock);
  if (local.tm_wday == 0) {
    EXPECT_EQ(rc, S7_ERR_BAD_DATE) << "the server's Sunday is weekday nibble 0";
  } else {
    ASSERT_EQ(rc, S7_OK);
    EXPECT_EQ(clock.year, local.tm_year + 1900);
    EXPECT_EQ(clock.month, local.tm_mon + 1);
    EXPECT_EQ(clock.weekday, local.tm_wday - 1) << "the server's weekday is one early";
  }
  peer_.Command("events");
  const CalendarRecord set = {2030, 5, 5, 17, 8, 9, 10, 500};
  ASSERT_EQ(S7_SetCpuClock(conn_, &set), S7_OK);
  const std::string events = Events("200000");
  EXPECT_NE(events.find(" 200000/"), std::string::npos) << "the server logs a clock event: " << events;
  const CalendarRecord invalid = {2030, 2, 5, 30, 0, 0, 0, 0};
  EXPECT_EQ(S7_SetCpuClock(conn_, &invalid), S7_ERR_BAD_DATE);
  EXPECT_EQ(S7_GetCpuState(conn_, nullptr), S7_OK) << "the connection stays usable";
}

TEST_F(Snap7ServicesTest, LoginAndLogout) {
  peer_.Command("events");
  ASSERT_EQ(S7_SessionLogin(conn_, "secret"), S7_OK);
  ASSERT_EQ(S7_SessionLogout(conn_), S7_OK);
  const std::string events = Events("2000000");
  EXPECT_NE(events.find(" 2000000/"), std::string::npos) << "security events: " << events;
  std::uint32_t v = 1;
  EXPECT_EQ(S7_SimpleWrite(conn_, S7_TYPE_BYTE, S7_AREA_FLAGS, 0, 0, 0, 1, 1, &v), S7_OK);
}

}  // namespace
