// The parameter dialogs' rules without a window: which texts a number field
// takes, how a spinner step is held to the range, the address an interface
// switch leaves, the IPv4 byte order, the connection's OK rule and the clock
// dialog's pause after a failed read.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "app/appstate.h"
#include "app/dialogrules.h"

namespace {

TEST(NumberRead, TakesTheWholeTextAsOneNumberOfTheRange) {
  struct Case {
    std::string text;
    bool valid;
    std::int64_t value;
  } cases[] = {
      {"100", true, 100},
      {"30000", true, 30000},
      {"  +2000", true, 2000},   // leading blanks and a sign
      {"\t150", true, 150},
      {"99", false, 0},          // below
      {"30001", false, 0},       // above
      {"-100", false, 0},
      {"", false, 0},
      {" ", false, 0},
      {"+", false, 0},
      {"2000 ", false, 0},       // nothing may follow
      {"1x00", false, 0},
      {"1 000", false, 0},       // no digit groups
      {"0x100", false, 0},
      {"99999999999999999999", false, 0},  // beyond 64 bits
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    std::int64_t value = -7;
    EXPECT_EQ(Number_Read(c.text.data(), c.text.size(), 100, 30000, &value), c.valid);
    EXPECT_EQ(value, c.valid ? c.value : -7) << "a refused text leaves the value alone";
  }
}

// A field holds whatever was pasted into it; only the whole of it counts.
TEST(NumberRead, RefusesWhatOnlyLooksLikeANumberAtItsStart) {
  std::int64_t value = 0;
  const std::string longTail = std::string(252, ' ') + "500abc";  // the first 255 read as 500
  EXPECT_FALSE(Number_Read(longTail.data(), longTail.size(), 100, 30000, &value));
  const std::string longBlanks = std::string(300, ' ') + "500";  // a number, but longer than any field
  EXPECT_FALSE(Number_Read(longBlanks.data(), longBlanks.size(), 100, 30000, &value));
  const std::string longest = std::string(252, ' ') + "500";
  EXPECT_TRUE(Number_Read(longest.data(), longest.size(), 100, 30000, &value));
  EXPECT_EQ(value, 500);
  const char zeroInside[] = {'5', '0', '0', '\0', '7'};
  EXPECT_FALSE(Number_Read(zeroInside, sizeof zeroInside, 100, 30000, &value));
  EXPECT_FALSE(Number_Read(nullptr, 3, 0, 10, &value));
}

TEST(NumberStep, HoldsTheValueToTheRange) {
  constexpr std::int64_t kMin64 = std::numeric_limits<std::int64_t>::min();
  constexpr std::int64_t kMax64 = std::numeric_limits<std::int64_t>::max();
  struct Case {
    std::int64_t position, delta, min, max, expected;
  } cases[] = {
      {1000, 50, 100, 30000, 1050},
      {150, -50, 100, 30000, 100},
      {120, -50, 100, 30000, 100},    // a step past the end stops at it
      {29950, 200, 100, 30000, 30000},
      {30000, 50, 100, 30000, 30000},
      {126, 10, 0, 127, 127},
      {0, -1, 0, 127, 0},             // no wrapping
      {kMax64 - 1, 1000, kMin64, kMax64, kMax64},
      {kMin64 + 1, -1000, kMin64, kMax64, kMin64},
      {-2147483648LL + 5, -10, 0, 4294967295LL, 0},  // a position outside the range comes back to it
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.position << " + " << c.delta);
    EXPECT_EQ(Number_Step(c.position, c.delta, c.min, c.max), c.expected);
  }
}

TEST(InterfaceSwitch, SetsTheAddressThatTheNewKindUses) {
  const std::uint32_t defaultIp = Plc_DefaultIpAddress();
  std::uint8_t bytes[4];
  std::memcpy(bytes, &defaultIp, 4);
  EXPECT_EQ(bytes[0], 192);
  EXPECT_EQ(bytes[3], 1);
  AppState app{};
  AppState_Reset(&app);
  EXPECT_EQ(app.plc.address, defaultIp) << "the start-up address is the same one";

  const std::uint32_t someIp = 0x0A00A8C0;
  struct Case {
    int from, to;
    std::uint32_t address, expected;
  } cases[] = {
      {S7_KIND_TCP, S7_KIND_S7ONLINE, someIp, 2},
      {S7_KIND_TCP, S7_KIND_CP_L2_2, someIp, 2},
      {S7_KIND_S7ONLINE, S7_KIND_TCP, 5, defaultIp},
      {S7_KIND_CP_L2_1, S7_KIND_TCP, 5, defaultIp},
      {S7_KIND_S7ONLINE, S7_KIND_CP_L2_1, 5, 5},     // bus to bus keeps the station
      {S7_KIND_TCP, S7_KIND_TCP, someIp, someIp},     // no switch
      {S7_KIND_CP_L2_2, S7_KIND_CP_L2_2, 7, 7},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.from << " -> " << c.to);
    EXPECT_EQ(Plc_AddressAfterSwitch(c.from, c.to, c.address), c.expected);
  }
}

TEST(Ipv4, FieldOrderAndNetworkOrderAreOneAnothersMirror) {
  const std::uint32_t host = 0x7F420D0Bu;  // 127.66.13.11 as the address control gives it
  const std::uint32_t network = Ipv4_FromHostOrder(host);
  std::uint8_t bytes[4];
  std::memcpy(bytes, &network, 4);
  EXPECT_EQ(bytes[0], 127);
  EXPECT_EQ(bytes[1], 66);
  EXPECT_EQ(bytes[2], 13);
  EXPECT_EQ(bytes[3], 11);
  EXPECT_EQ(Ipv4_ToHostOrder(network), host);
}

TEST(ConnectionOk, NeedsValidFieldsAndForTcpAWholeNonZeroAddressAndTsaps) {
  const std::uint32_t ip = Plc_DefaultIpAddress();
  struct Case {
    ConnectionFields fields;
    bool ok;
  } cases[] = {
      {{false, false, true, 4, ip}, true},
      {{true, false, true, 4, ip}, false},   // a number field is red
      {{false, true, true, 4, ip}, false},   // a name the settings cannot hold
      {{false, false, true, 4, 0}, false},   // 0.0.0.0
      {{false, false, true, 3, ip}, false},  // one part left blank
      {{false, false, true, 0, ip}, false},
      {{false, false, false, 0, 0}, true},   // the address does not matter off TCP
      {{true, false, false, 4, ip}, false},
      {{false, false, true, 4, ip, true, true}, false},   // a family named by TSAPs, one of them bad
      {{false, false, true, 4, ip, true, false}, true},
      {{false, false, true, 4, ip, false, true}, true},   // the TSAP fields count for no other family
      {{false, false, false, 0, 0, true, true}, true},    // nor off TCP
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Connection_CanConfirm(c.fields), c.ok)
        << c.fields.numberInvalid << c.fields.nameInvalid << c.fields.tcp << " parts " << c.fields.ipPartsFilled;
  }
}

TEST(ClockPoll, AFailedReadWaitsItsTimeOutBeforeTheNext) {
  ClockPoll poll{};
  EXPECT_TRUE(ClockPoll_Due(&poll, 0)) << "the first tick reads";
  // A silent PLC: the read returns after its 1000 ms time-out.
  ClockPoll_Done(&poll, false, 300, 1300, 1000);
  EXPECT_FALSE(ClockPoll_Due(&poll, 1600));
  EXPECT_FALSE(ClockPoll_Due(&poll, 2299));
  EXPECT_TRUE(ClockPoll_Due(&poll, 2300));
  // A read that took longer than the time-out pauses as long as it took.
  ClockPoll_Done(&poll, false, 2400, 4900, 1000);
  EXPECT_FALSE(ClockPoll_Due(&poll, 6000));
  EXPECT_TRUE(ClockPoll_Due(&poll, 7400));
  // A quick failure (no connection) still waits the time-out.
  ClockPoll_Done(&poll, false, 7400, 7401, 1000);
  EXPECT_FALSE(ClockPoll_Due(&poll, 8000));
  EXPECT_TRUE(ClockPoll_Due(&poll, 8401));
  // An answer ends the pause: every tick reads again.
  ClockPoll_Done(&poll, true, 8401, 8420, 1000);
  EXPECT_TRUE(ClockPoll_Due(&poll, 8421));
  // The tick count wraps after 49 days.
  ClockPoll_Done(&poll, false, 0xFFFFFF00u, 0xFFFFFFF0u, 1000);
  EXPECT_FALSE(ClockPoll_Due(&poll, 100));
  EXPECT_TRUE(ClockPoll_Due(&poll, 0x3E0));
}

// The password is judged on the whole text the field holds.
TEST(Password, UpToEightCharactersOfTheCodePage) {
  const struct {
    std::string text;
    bool representable;
    bool valid;
  } cases[] = {
      {"", true, true},
      {"\xC1\xF5\xFB" "12345", true, true},  // Áőű and five digits: 8 bytes
      {"123456789", true, false},
      {std::string(5000, 'x'), true, false},
      {"abc", false, false},
      {std::string("ab\0cd", 5), true, false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Password_Valid(c.representable ? c.text.c_str() : nullptr, c.text.size()), c.valid)
        << c.text.size() << " bytes";
}

// Each picker gives its own half: the date with its weekday, the time to the
// second; the other half stays as it was. Only a new time of day loses the
// milliseconds, which no picker shows: the clock dialog's frozen time sent
// after a change of the date alone keeps them.
TEST(PickedMoment, EachPickerGivesItsHalf) {
  const CalendarRecord base{2026, 12, 4, 10, 13, 14, 15, 678};  // a Thursday
  const CalendarRecord date{2027, 2, 0, 28, 1, 2, 3, 4};       // a Sunday, whatever its weekday says
  const CalendarRecord time{1999, 1, 5, 1, 23, 59, 58, 999};
  CalendarRecord m = Picked_Moment(base, &date, nullptr);
  EXPECT_EQ(std::vector<int>({m.year, m.month, m.day, m.weekday, m.hour, m.minute, m.second, m.milliseconds}),
            std::vector<int>({2027, 2, 28, 0, 13, 14, 15, 678}));
  m = Picked_Moment(base, nullptr, &time);
  EXPECT_EQ(std::vector<int>({m.year, m.month, m.day, m.weekday, m.hour, m.minute, m.second, m.milliseconds}),
            std::vector<int>({2026, 12, 10, 4, 23, 59, 58, 0}));
  m = Picked_Moment(base, &date, &time);
  EXPECT_EQ(std::vector<int>({m.year, m.month, m.day, m.weekday, m.hour, m.minute, m.second}),
            std::vector<int>({2027, 2, 28, 0, 23, 59, 58}));
}

}  // namespace
