// What the dialogs remember, without a window: the connection dialog's two
// addresses over a session of interface switches, and the defaults the
// program starts with.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "app/commands.h"
#include "app/dialogmemory.h"

namespace {

std::uint32_t Ip(std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t d) {
  const std::uint8_t bytes[4] = {a, b, c, d};
  std::uint32_t address = 0;
  std::memcpy(&address, bytes, 4);
  return address;
}

// The field of the kind not in use shows the last address of that kind; OK
// keeps both; the kind in use takes its field's. An interface switch itself
// resets the settings' address, as the interface command does.
TEST(DialogMemory, TheUnusedKindKeepsItsLastAddress) {
  DialogMemory memory;
  DialogMemory_Reset(&memory);
  PlcSettings plc{};
  plc.kind = S7_KIND_TCP;
  plc.address = Ip(10, 0, 0, 5);
  plc.timeoutMs = 1000;

  // TCP: the IPv4 field is the settings', the station field the default 2.
  ConnectionEntry e = Connection_Begin(&memory, plc, true);
  EXPECT_EQ(e.ip, Ip(10, 0, 0, 5));
  EXPECT_EQ(e.station, 2u);
  e.ip = Ip(10, 0, 0, 7);
  Connection_Take(&memory, e, &plc);
  EXPECT_EQ(plc.address, Ip(10, 0, 0, 7));

  // To the bus: the address becomes station 2; the IPv4 field, disabled,
  // still shows the last IPv4 address.
  plc.address = Plc_AddressAfterSwitch(S7_KIND_TCP, S7_KIND_S7ONLINE, plc.address);
  plc.kind = S7_KIND_S7ONLINE;
  e = Connection_Begin(&memory, plc, false);
  EXPECT_EQ(e.station, 2u);
  EXPECT_EQ(e.ip, Ip(10, 0, 0, 7));
  e.station = 5;
  e.rack = 1;
  e.slot = 3;
  std::strcpy(e.name, "Pr\xe9s");
  Connection_Take(&memory, e, &plc);
  EXPECT_EQ(plc.address, 5u) << "the bus takes the station";
  EXPECT_EQ(plc.rack, 1);
  EXPECT_EQ(plc.slot, 3);
  EXPECT_STREQ(plc.name, "Pr\xe9s");

  // A cancelled opening changes nothing in the settings, but the settings'
  // address is the last of its kind from then on.
  plc.address = 9;
  e = Connection_Begin(&memory, plc, false);
  EXPECT_EQ(e.station, 9u);
  EXPECT_EQ(memory.station, 9u);
  EXPECT_EQ(memory.ip, Ip(10, 0, 0, 7));

  // Back to TCP: the switch gives 192.168.1.1, which the dialog then shows,
  // while the station field keeps 9.
  plc.address = Plc_AddressAfterSwitch(S7_KIND_S7ONLINE, S7_KIND_TCP, plc.address);
  plc.kind = S7_KIND_TCP;
  e = Connection_Begin(&memory, plc, true);
  EXPECT_EQ(e.ip, Plc_DefaultIpAddress());
  EXPECT_EQ(e.station, 9u);
}

// The family travels with the entry both ways; choosing another family
// brings its defaults, and a family named by TSAPs keeps rack and slot.
TEST(DialogMemory, TheEntryCarriesTheFamily) {
  DialogMemory memory;
  DialogMemory_Reset(&memory);
  PlcSettings plc{};
  plc.slot = 2;
  plc.timeoutMs = 1000;
  ConnectionEntry e = Connection_Begin(&memory, plc, true);
  EXPECT_EQ(e.family, 0);
  Connection_SetFamily(&e, static_cast<int>(S7Family::S7_200Smart));
  EXPECT_EQ(e.slot, 1);
  EXPECT_EQ(e.connType, static_cast<int>(S7ConnectionType::Basic));
  Connection_SetFamily(&e, static_cast<int>(S7Family::Logo));
  EXPECT_EQ(e.slot, 1) << "kept";
  EXPECT_EQ(e.localTsap, 0x0100);
  EXPECT_EQ(e.remoteTsap, 0x0200);
  e.localTsap = 0x0300;
  Connection_Take(&memory, e, &plc);
  EXPECT_EQ(plc.family, static_cast<int>(S7Family::Logo));
  EXPECT_EQ(Plc_Tsaps(&plc).local, 0x0300);
  EXPECT_EQ(Plc_Tsaps(&plc).remote, 0x0200);
  e = Connection_Begin(&memory, plc, true);
  EXPECT_EQ(e.localTsap, 0x0300) << "the next opening shows what was taken";
  EXPECT_EQ(e.connType, static_cast<int>(S7ConnectionType::PG));
}

TEST(DialogMemory, StartsAsTheProgramDoes) {
  DialogMemory memory;
  std::memset(&memory, 0x5A, sizeof memory);
  DialogMemory_Reset(&memory);
  EXPECT_EQ(memory.restart, RestartMode::Warm);
  EXPECT_STREQ(memory.password, "");
  EXPECT_TRUE(memory.clockFollowsPc);
  EXPECT_EQ(memory.plc, PlcPick::Current);
  EXPECT_EQ(memory.ip, Plc_DefaultIpAddress());
  EXPECT_EQ(memory.station, kDefaultStationAddress);
  EXPECT_EQ(memory.definition.type, S7_TYPE_WORD);
  EXPECT_EQ(memory.readIntervalMs, 1000u);
  EXPECT_FALSE(memory.readReconnect) << "a failed read stops the reading, as it always has";
}

}  // namespace
