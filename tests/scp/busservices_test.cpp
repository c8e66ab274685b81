// The bus services: the partner list and the bus parameters straight from the
// access point, and their refusal on a TCP interface.
#include <cstring>

#include "tests/scp/scp_fixture.h"

namespace {

using BusServicesTest = ScpTest;

TEST_F(BusServicesTest, PartnerRequestAndList) {
  S7Interface* iface = Open(S7_KIND_S7ONLINE);
  ASSERT_EQ(Control("config station 3 0x20"), 0);
  ASSERT_EQ(Control("config station 1 0x00"), 0);
  std::uint8_t list[256];
  std::memset(list, 0xEE, sizeof list);
  int count = -1;
  ASSERT_EQ(S7_OnLine_Partners(iface, 1000, sizeof list, list, &count), S7_OK);
  EXPECT_EQ(count, 32) << "one status byte per address up to the highest station address";
  EXPECT_EQ(list[0], 0x30);
  EXPECT_EQ(list[1], 0x00);
  EXPECT_EQ(list[2], 0x30);
  EXPECT_EQ(list[3], 0x20);
  EXPECT_EQ(list[4], 0xFF);
  EXPECT_EQ(list[32], 0x00) << "the rest of the caller's buffer is cleared";

  const Block request = LastBlock();
  ASSERT_EQ(request.size(), 80u + 128u);
  EXPECT_EQ(request[12], 0x22);
  EXPECT_EQ(request[13], 0x00);
  EXPECT_EQ(Le16(request, 16), 128);
  EXPECT_EQ(Le16(request, 34), 0x2200);
  EXPECT_EQ(Le16(request, 38), 27);
  EXPECT_EQ(request[42], 0);
  EXPECT_EQ(Block(request.begin() + 80, request.end()), Block(128, 0));
}

TEST_F(BusServicesTest, PartnerCountAgainstTheBuffer) {
  S7Interface* iface = Open(S7_KIND_CP_L2_1);
  struct Case {
    int answerLength, bufferSize, count;
  } cases[] = {{127, 256, 127}, {300, 256, 0}, {256, 256, 0}, {255, 256, 255}, {10, 520, 10}};
  for (const Case& c : cases) {
    ASSERT_EQ(Control("config partners-length " + std::to_string(c.answerLength)), 0);
    std::uint8_t list[520];
    int count = -1;
    EXPECT_EQ(S7_OnLine_Partners(iface, 1000, c.bufferSize, list, &count), S7_OK);
    EXPECT_EQ(count, c.count) << c.answerLength << " stations, " << c.bufferSize << "-byte buffer";
  }
}

TEST_F(BusServicesTest, OversizedBufferIsNotOverrun) {
  S7Interface* iface = Open(S7_KIND_S7ONLINE);
  std::vector<std::uint8_t> list(4000, 0xEE);
  int count = 0;
  EXPECT_EQ(S7_OnLine_Partners(iface, 1000, static_cast<int>(list.size()), list.data(), &count), S7_OK);
  EXPECT_EQ(count, 32);
  EXPECT_EQ(list[519], 0x00) << "cleared and copied up to the answer block's end";
  EXPECT_EQ(list[520], 0xEE) << "nothing beyond the 520 bytes an answer can hold is touched";
}

TEST_F(BusServicesTest, BusParameters) {
  S7Interface* iface = Open(S7_KIND_S7ONLINE);
  for (const char* line : {"hsa 126", "ts 0", "baud 6", "ttr 65536", "in-ring -2", "ident MPI bus 1"})
    ASSERT_EQ(Control(std::string("config ") + line), 0) << line;
  std::uint8_t record[242];
  ASSERT_EQ(S7_OnLine_BusPars(iface, 1000, record), S7_OK);
  EXPECT_EQ(record[0], 126);
  EXPECT_EQ(record[4] | (record[5] << 8), 6);
  EXPECT_EQ(record[22] | (record[23] << 8) | (record[24] << 16), 65536);
  EXPECT_EQ(static_cast<std::int16_t>(record[27] | (record[28] << 8)), -2);
  EXPECT_STREQ(reinterpret_cast<const char*>(record + 43), "MPI bus 1");
  const Block request = LastBlock();
  EXPECT_EQ(Le16(request, 19), 256);
  EXPECT_EQ(Le16(request, 38), 11);
}

TEST_F(BusServicesTest, BusParameterAnswerOfTheWrongLength) {
  S7Interface* iface = Open(S7_KIND_S7ONLINE);
  ASSERT_EQ(Control("config buspars-length 240"), 0);
  std::uint8_t record[242];
  std::memset(record, 0xAB, sizeof record);
  EXPECT_EQ(S7_OnLine_BusPars(iface, 1000, record), S7_ERR_BAD_REPLY);
  for (std::uint8_t b : record) ASSERT_EQ(b, 0xAB) << "the caller's buffer stays untouched";
}

TEST_F(BusServicesTest, RefusedOnTcpWithoutTouchingTheAccessPoint) {
  S7Interface* tcp = Open(S7_KIND_TCP);
  ASSERT_NE(tcp, nullptr);
  std::uint8_t list[256];
  int count = 9;
  const int blocks = static_cast<int>(LastBlock().size());
  EXPECT_EQ(S7_OnLine_Partners(tcp, 1000, sizeof list, list, &count), S7_ERR_BAD_MODE);
  EXPECT_EQ(count, 0);
  std::uint8_t record[242];
  EXPECT_EQ(S7_OnLine_BusPars(tcp, 1000, record), S7_ERR_BAD_MODE);
  EXPECT_EQ(static_cast<int>(LastBlock().size()), blocks);
  EXPECT_FALSE(Scp_IsLoaded());
  EXPECT_EQ(S7_OnLine_BusPars(nullptr, 1000, record), S7_ERR_BAD_INTERFACE);
}

TEST_F(BusServicesTest, TimeoutIsAtLeastOneSecond) {
  S7Interface* iface = Open(S7_KIND_S7ONLINE);
  Control("noanswer 1");
  std::uint8_t record[242];
  std::uint32_t start = Plat_TickCount();
  EXPECT_EQ(S7_OnLine_BusPars(iface, 200, record), S7_ERR_TIMEOUT);
  EXPECT_GE(Plat_TickCount() - start, 1000u);
}

}  // namespace
