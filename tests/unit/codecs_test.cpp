// Value encodings: the BCD, S5TIME, counter and DATE_AND_TIME codecs with
// their conversion-error flag, the date check, the bit helpers, and the
// element runs of every type between host slots and wire bytes.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "runtime/threadctx.h"
#include "s7lib/s7internal.h"
#include "s7lib/s7lib.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(CodecTest, SwapsAndBcd) {
  EXPECT_EQ(S7_Swap16(0xFEFF), 0xFFFEu);
  EXPECT_EQ(S7_Swap16Signed(0xFEFF), -2);
  EXPECT_EQ(S7_Swap16Signed(0x0080), -32768);
  EXPECT_EQ(S7_Swap32(0x12345678u), 0x78563412u);

  TakeRuntimeErrors();
  EXPECT_EQ(S7_EncodeBcd(42), 0x42);
  EXPECT_EQ(S7_EncodeBcd(0x163), 0x99) << "only the low 8 bits count (0x63 = 99)";
  EXPECT_EQ(TakeRuntimeErrors(), 0u);
  EXPECT_EQ(S7_EncodeBcd(100), 0);
  EXPECT_EQ(TakeRuntimeErrors(), kRtErrConversion);
  EXPECT_EQ(S7_DecodeBcd(0x59), 59);
  EXPECT_EQ(TakeRuntimeErrors(), 0u);
  EXPECT_EQ(S7_DecodeBcd(0x5A), 0);
  EXPECT_EQ(TakeRuntimeErrors(), kRtErrConversion);
  // Setting the flag adds to the word; it does not replace it.
  SetRuntimeErrors(kRtErrOutOfMemory);
  S7_DecodeBcd(0xA0);
  EXPECT_EQ(TakeRuntimeErrors(), kRtErrOutOfMemory | kRtErrConversion);
}

TEST(CodecTest, S5TimeAndCounterWords) {
  struct Decode {
    Bytes wire;
    std::int32_t s5time;
    std::int32_t counter;
  } decodes[] = {
      {{0x21, 0x27}, 127000, 127},
      {{0x40, 0x00}, 0, 0},      // time base bits above 3; a counter ignores them
      {{0x00, 0xA0}, 0, 0},      // a digit A
      {{0x0A, 0x00}, 0, 0},      // hundreds digit A
      {{0x09, 0x99}, 9990, 999},
      {{0xF1, 0x23}, 0, 123},
      {{0x31, 0x00}, 1000000, 100},
  };
  for (const Decode& d : decodes) {
    SetRuntimeErrors(kRtErrOutOfMemory);
    EXPECT_EQ(S7_DecodeS5Time(d.wire.data()), d.s5time) << int(d.wire[0]) << " " << int(d.wire[1]);
    EXPECT_EQ(TakeRuntimeErrors(), 0u) << "the decoder clears the whole word on its way out";
    EXPECT_EQ(S7_DecodeCounter(d.wire.data()), d.counter) << int(d.wire[0]) << " " << int(d.wire[1]);
  }

  struct Encode {
    std::uint32_t ms;
    Bytes wire;
    int failed;
  } encodes[] = {
      {0, {0x00, 0x00}, 0},          {9999, {0x09, 0x99}, 0},        {10000, {0x11, 0x00}, 0},
      {12345, {0x11, 0x23}, 0},      {999999, {0x29, 0x99}, 0},      {9999999, {0x39, 0x99}, 0},
      {10000000, {0x00, 0x00}, 1},   {0xFFFFFFFFu, {0x00, 0x00}, 1},
  };
  for (const Encode& e : encodes) {
    std::uint8_t wire[2] = {0xEE, 0xEE};
    SetRuntimeErrors(kRtErrOutOfMemory);
    EXPECT_EQ(S7_EncodeS5Time(e.ms, wire), e.failed) << e.ms;
    EXPECT_EQ(Bytes(wire, wire + 2), e.wire) << e.ms;
    EXPECT_EQ(TakeRuntimeErrors(), kRtErrOutOfMemory) << "the encoder leaves the word alone";
  }
  std::uint8_t wire[2];
  EXPECT_EQ(S7_EncodeS5Time(9990000, wire), 0);
  EXPECT_EQ(S7_DecodeS5Time(wire), 9990000) << "the largest duration that survives a round trip";

  EXPECT_EQ(S7_EncodeCounter(999, wire), 0);
  EXPECT_EQ(Bytes(wire, wire + 2), (Bytes{0x09, 0x99}));
  EXPECT_EQ(S7_EncodeCounter(1000, wire), 1);
  EXPECT_EQ(Bytes(wire, wire + 2), (Bytes{0x00, 0x00}));
  EXPECT_EQ(S7_EncodeCounter(0x10005, wire), 0) << "the low 16 bits are the value";
  EXPECT_EQ(Bytes(wire, wire + 2), (Bytes{0x00, 0x05}));
}

CalendarRecord Cal(int y, int mo, int d, int h, int mi, int s, int ms, int wd) {
  auto u = [](int v) { return static_cast<std::uint16_t>(v); };
  return CalendarRecord{u(y), u(mo), u(wd), u(d), u(h), u(mi), u(s), u(ms)};
}

bool Same(const CalendarRecord& a, const CalendarRecord& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

TEST(CodecTest, DateAndTime) {
  struct Case {
    Bytes wire;
    int failed;
    CalendarRecord expected;
  } cases[] = {
      {{0x89, 0x12, 0x31, 0x23, 0x59, 0x59, 0x99, 0x97}, 0, Cal(2089, 12, 31, 23, 59, 59, 999, 6)},
      {{0x90, 0x01, 0x01, 0x00, 0x00, 0x00, 0x00, 0x02}, 0, Cal(1990, 1, 1, 0, 0, 0, 0, 1)},
      {{0x00, 0x02, 0x29, 0x12, 0x00, 0x00, 0x00, 0x01}, 0, Cal(2000, 2, 29, 12, 0, 0, 0, 0)},
      {{0x24, 0x02, 0x29, 0x12, 0x00, 0x00, 0x00, 0x01}, 0, Cal(2024, 2, 29, 12, 0, 0, 0, 0)},
  };
  for (const Case& c : cases) {
    CalendarRecord r{};
    SetRuntimeErrors(kRtErrOutOfMemory);
    EXPECT_EQ(S7_DecodeDateTime(c.wire.data(), &r), c.failed);
    EXPECT_EQ(TakeRuntimeErrors(), 0u);
    EXPECT_TRUE(Same(r, c.expected)) << r.year << "-" << r.month << "-" << r.day << " wd " << r.weekday;
    std::uint8_t back[8];
    EXPECT_EQ(S7_EncodeDateTime(&r, back), 0);
    EXPECT_EQ(Bytes(back, back + 8), c.wire);
  }
  const Bytes bad[] = {
      {0x21, 0x06, 0x15, 0x10, 0x20, 0x30, 0x45, 0x60},  // weekday nibble 0
      {0x21, 0x06, 0x15, 0x10, 0x20, 0x30, 0x45, 0x68},  // weekday nibble 8
      {0x23, 0x02, 0x29, 0x00, 0x00, 0x00, 0x00, 0x01},  // 29 February 2023
      {0x21, 0x06, 0x00, 0x10, 0x20, 0x30, 0x45, 0x61},  // day 0
      {0x21, 0x13, 0x01, 0x10, 0x20, 0x30, 0x45, 0x61},  // month 13
      {0x21, 0x06, 0x15, 0x10, 0x2A, 0x30, 0x45, 0x61},  // a minute digit A
      {0x21, 0x06, 0x15, 0x24, 0x20, 0x30, 0x45, 0x61},  // hour 24
  };
  for (const Bytes& wire : bad) {
    CalendarRecord r{};
    EXPECT_EQ(S7_DecodeDateTime(wire.data(), &r), 1) << int(wire[1]) << " " << int(wire[7]);
    EXPECT_EQ(TakeRuntimeErrors(), 0u);
  }

  std::uint8_t wire[8];
  CalendarRecord june = Cal(2021, 6, 15, 10, 20, 30, 456, 2);
  EXPECT_EQ(S7_EncodeDateTime(&june, wire), 0);
  EXPECT_EQ(Bytes(wire, wire + 8), (Bytes{0x21, 0x06, 0x15, 0x10, 0x20, 0x30, 0x45, 0x63}));
  CalendarRecord old = Cal(1985, 1, 1, 0, 0, 0, 0, 2);
  EXPECT_EQ(S7_EncodeDateTime(&old, wire), 0);
  CalendarRecord back{};
  EXPECT_EQ(S7_DecodeDateTime(wire, &back), 0);
  EXPECT_EQ(back.year, 2085) << "a year outside the window reads back inside it";
  std::memset(wire, 0xEE, sizeof wire);
  CalendarRecord invalid = Cal(2100, 2, 29, 0, 0, 0, 0, 1);
  EXPECT_EQ(S7_EncodeDateTime(&invalid, wire), 1);
  EXPECT_EQ(wire[0], 0xEE) << "a failed encoding leaves the bytes alone";
}

TEST(CodecTest, DateCheck) {
  struct Case {
    CalendarRecord r;
    int valid;
  } cases[] = {
      {Cal(2000, 2, 29, 0, 0, 0, 0, 0), 1},  {Cal(2024, 2, 29, 0, 0, 0, 0, 0), 1},
      {Cal(2100, 2, 29, 0, 0, 0, 0, 0), 0},  {Cal(2023, 2, 29, 0, 0, 0, 0, 0), 0},
      {Cal(2023, 4, 31, 0, 0, 0, 0, 0), 0},  {Cal(2023, 12, 31, 23, 59, 59, 999, 6), 1},
      {Cal(2023, 1, 1, 0, 0, 0, 1000, 0), 0}, {Cal(2023, 1, 1, 0, 0, 0, 0, 7), 0},
      {Cal(2023, 0, 1, 0, 0, 0, 0, 0), 0},   {Cal(10000, 1, 1, 0, 0, 0, 0, 0), 0},
      {Cal(9999, 1, 1, 0, 0, 60, 0, 0), 0},  {Cal(9999, 1, 1, 0, 60, 0, 0, 0), 0},
  };
  for (const Case& c : cases) EXPECT_EQ(S7_CheckDateTime(&c.r), c.valid) << c.r.year << "-" << c.r.month << "-" << c.r.day;
}

TEST(CodecTest, BitHelpers) {
  std::uint32_t words[2] = {0, 0};
  EXPECT_EQ(S7_ChangeBit(words, 0, 1), 0);
  EXPECT_EQ(S7_ChangeBit(words, 37, 1), 0);
  EXPECT_EQ(words[0], 1u);
  EXPECT_EQ(words[1], 1u << 5) << "bit 37 is bit 5 of the second word";
  EXPECT_EQ(S7_TestBit(words, 37), 1);
  EXPECT_EQ(S7_ChangeBit(words, 37, 2), 1);
  EXPECT_EQ(S7_TestBit(words, 37), 0);
  EXPECT_EQ(S7_ChangeBit(words, 37, 3), 0);
  EXPECT_EQ(S7_ChangeBit(words, 37, 0), 1);
  EXPECT_EQ(words[1], 0u);
  EXPECT_EQ(S7_TestBit(nullptr, 3), 0) << "a missing string reads as 0";
  EXPECT_EQ(S7_ChangeBit(nullptr, 3, 1), 0);
  EXPECT_EQ(S7_TestBit(words, -1), 0);
}

// Each type's element run, host slots to wire bytes and back.
TEST(CodecTest, ElementRuns) {
  struct Case {
    unsigned type;
    std::vector<std::uint32_t> slots;  // what is written
    Bytes wire;
    std::vector<std::uint32_t> read;   // what reading the wire gives
  } cases[] = {
      {S7_TYPE_BIT, {7}, {0x01}, {1}},
      {S7_TYPE_BIT, {1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 5}, {0x01, 0x80},
       {1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1}},
      {S7_TYPE_BYTE, {0x180, 0x7F}, {0x80, 0x7F}, {128, 127}},
      {S7_TYPE_SHORT, {0xFFFFFF80u, 5}, {0x80, 0x05}, {0xFFFFFF80u, 5}},
      {S7_TYPE_WORD, {0x1FFFE}, {0xFF, 0xFE}, {65534}},
      {S7_TYPE_INT, {0xFFFFFFFEu}, {0xFF, 0xFE}, {0xFFFFFFFEu}},
      {S7_TYPE_DWORD, {0x12345678}, {0x12, 0x34, 0x56, 0x78}, {0x12345678}},
      {S7_TYPE_DINT, {0xFFFFFFFFu}, {0xFF, 0xFF, 0xFF, 0xFF}, {0xFFFFFFFFu}},
      {S7_TYPE_TIME, {0xFFFFFC18u}, {0xFF, 0xFF, 0xFC, 0x18}, {0xFFFFFC18u}},
      {S7_TYPE_TOD, {86399999}, {0x05, 0x26, 0x5B, 0xFF}, {86399999}},
      {S7_TYPE_S5TIME, {12345, 20000000}, {0x11, 0x23, 0x00, 0x00}, {12300, 0}},
      {S7_TYPE_REAL, {0x3FC00000}, {0x3F, 0xC0, 0x00, 0x00}, {0x3FC00000}},
      {S7_TYPE_DATE, {0x12345}, {0x23, 0x45}, {0x2345}},
      {S7_TYPE_TIMER, {127000}, {0x21, 0x27}, {127000}},
      {S7_TYPE_COUNTER, {42, 1000}, {0x00, 0x42, 0x00, 0x00}, {42, 0}},
  };
  for (const Case& c : cases) {
    const int count = static_cast<int>(c.slots.size());
    ASSERT_EQ(S7_WireBytes(c.type, count), static_cast<int>(c.wire.size())) << c.type;
    Bytes wire(c.wire.size() + 1, 0xEE);
    S7_EncodeElements(c.type, count, 1, c.slots.data(), wire.data());
    EXPECT_EQ(Bytes(wire.begin(), wire.end() - 1), c.wire) << "type " << c.type;
    EXPECT_EQ(wire.back(), 0xEE) << "type " << c.type << " wrote past its bytes";
    std::vector<std::uint32_t> slots(c.slots.size() + 1, 0xEEEEEEEEu);
    S7_DecodeElements(c.type, count, 1, c.wire.data(), slots.data());
    EXPECT_EQ(std::vector<std::uint32_t>(slots.begin(), slots.end() - 1), c.read) << "type " << c.type;
    EXPECT_EQ(slots.back(), 0xEEEEEEEEu) << "type " << c.type << " wrote past its slots";
  }
  // Char and Date&Time are copied even with convert set; so is everything without.
  const Bytes text = {'a', 'b', 'c'};
  Bytes out(3);
  S7_DecodeElements(S7_TYPE_CHAR, 3, 1, text.data(), out.data());
  EXPECT_EQ(out, text);
  EXPECT_EQ(S7_ValueBytes(S7_TYPE_DATETIME, 2, 1), 16u);
  EXPECT_EQ(S7_ValueBytes(S7_TYPE_WORD, 2, 0), 4u);
  EXPECT_EQ(S7_ValueBytes(S7_TYPE_WORD, 2, 1), 8u);
  const Bytes raw = {0x12, 0x34};
  S7_DecodeElements(S7_TYPE_COUNTER, 1, 0, raw.data(), out.data());
  EXPECT_EQ(out[0], 0x12);
  EXPECT_EQ(out[1], 0x34);
}

}  // namespace
