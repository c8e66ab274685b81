// Which hints follow which failures: the operation's own hint by its error
// and extended code, then one per distinct item code, never one after
// success or after an operation the table does not name.
#include <gtest/gtest.h>

#include <vector>

#include "app/loghints.h"
#include "platform/platform.h"
#include "res/strings.h"
#include "s7lib/s7lib.h"

namespace {

std::vector<int> Hints(int op, int error, std::int32_t ext, std::vector<std::uint8_t> items = {}) {
  int ids[8] = {};
  const int n = Log_Hints({op, error, ext, items.data(), static_cast<int>(items.size())}, ids, 8);
  return std::vector<int>(ids, ids + n);
}

TEST(LogHints, EachRefusalHasItsHint) {
  struct Case {
    const char* what;
    int op, error;
    std::int32_t ext;
    std::vector<std::uint8_t> items;
    std::vector<int> hints;
  } cases[] = {
      {"nobody listens", S7_OP_CONNECTION_INIT, S7_ERR_SOCKET, kWsaEConnRefused, {}, {IDS_HINT_NO_LISTENER}},
      {"nobody listens, connect", S7_OP_CONNECT, S7_ERR_SOCKET, kWsaEConnRefused, {}, {IDS_HINT_NO_LISTENER}},
      {"another socket error", S7_OP_CONNECT, S7_ERR_SOCKET, kWsaEConnReset, {}, {}},
      {"request unanswered", S7_OP_CONNECTION_INIT, S7_ERR_TIMEOUT, 0, {}, {IDS_HINT_NO_ANSWER}},
      {"request refused", S7_OP_CONNECT, S7_ERR_REFUSED, 0, {}, {IDS_HINT_REFUSED}},
      {"a read's time-out is no connect", S7_OP_SIMPLE_READ, S7_ERR_TIMEOUT, 0, {}, {}},
      {"PUT/GET off, read", S7_OP_MULTI_READ, S7_ERR_PDU, 0x8104, {}, {IDS_HINT_PUT_GET}},
      {"PUT/GET off, write", S7_OP_SIMPLE_WRITE, S7_ERR_PDU, 0x8104, {}, {IDS_HINT_PUT_GET}},
      {"0x8104 on a CPU stop", S7_OP_CPU_STOP, S7_ERR_PDU, 0x8104, {}, {}},
      {"write refused in the header", S7_OP_MULTI_WRITE, S7_ERR_PDU, 0x8304, {}, {IDS_HINT_WRITE_REFUSED}},
      {"0x8304 on a read", S7_OP_SIMPLE_READ, S7_ERR_PDU, 0x8304, {}, {}},
      {"protection level", S7_OP_CPU_STOP, S7_ERR_PDU, 0xD0A1, {}, {IDS_HINT_PROTECTION_LEVEL}},
      {"protection level, userdata", S7_OP_SET_CPU_CLOCK, S7_ERR_PARAMETER, 0xD0A1, {}, {IDS_HINT_PROTECTION_LEVEL}},
      {"items", S7_OP_MULTI_READ, S7_ERR_DATA, 5,
       {0xFF, 0x0A, 0x03, 0x05, 0x06, 0x07, 0x0A, 0x01},
       {IDS_HINT_ITEM_NO_DB, IDS_HINT_ITEM_ACCESS, IDS_HINT_ITEM_ADDRESS, IDS_HINT_ITEM_TYPE}},
      {"item of a write", S7_OP_SIMPLE_WRITE, S7_ERR_DATA, 1, {0x03}, {IDS_HINT_ITEM_ACCESS}},
      {"items kept from an earlier read", S7_OP_GET_CPU_STATE, S7_ERR_PDU, 0x8500, {0x0A}, {}},
      {"success", S7_OP_MULTI_READ, S7_OK, 0, {0xFF}, {}},
  };
  for (const Case& c : cases) EXPECT_EQ(Hints(c.op, c.error, c.ext, c.items), c.hints) << c.what;
}

TEST(LogHints, StopsAtTheRoomGiven) {
  const std::uint8_t items[] = {0x03, 0x05, 0x0A};
  int ids[2] = {};
  EXPECT_EQ(Log_Hints({S7_OP_MULTI_READ, S7_ERR_PDU, 0x8104, items, 3}, ids, 2), 2);
  EXPECT_EQ(ids[0], IDS_HINT_PUT_GET);
  EXPECT_EQ(ids[1], IDS_HINT_ITEM_ACCESS);
  EXPECT_EQ(Log_Hints({S7_OP_MULTI_READ, S7_ERR_DATA, 1, nullptr, 3}, ids, 2), 0) << "no codes, no item hints";
}

}  // namespace
