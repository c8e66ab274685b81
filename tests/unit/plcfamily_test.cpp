// The names, TSAP texts and defaults of a PLC description's family: what
// the files and the command line accept, and what a connection then asks.
#include <gtest/gtest.h>

#include <string>

#include "vars/vars.h"

namespace {

TEST(PlcFamily, NamesBothWays) {
  for (int f = 0; f < kS7FamilyCount; ++f) EXPECT_EQ(Plc_FindFamily(Plc_FamilyName(f)), f);
  EXPECT_EQ(Plc_FindFamily("logo"), static_cast<int>(S7Family::Logo));
  EXPECT_EQ(Plc_FindFamily("s7-200smart"), static_cast<int>(S7Family::S7_200Smart));
  EXPECT_EQ(Plc_FindFamily("S7-400"), -1);
  EXPECT_EQ(Plc_FamilyName(kS7FamilyCount), nullptr);
  EXPECT_STREQ(Plc_ConnTypeName(0), "PG") << "a zeroed record asks for PG";
  EXPECT_EQ(Plc_FindConnType("Basic"), 3);
  EXPECT_EQ(Plc_FindConnType(""), -1);
  EXPECT_EQ(Plc_ConnTypeName(4), nullptr);
}

TEST(PlcFamily, TsapTexts) {
  struct Case {
    const char* text;
    bool ok;
    std::uint16_t local, remote;
  } cases[] = {
      {"0100:0200", true, 0x0100, 0x0200}, {"1:fFfF", true, 0x0001, 0xFFFF}, {"1000:1001", true, 0x1000, 0x1001},
      {"01000:0200", false, 0, 0},         {"0100:", false, 0, 0},           {":0200", false, 0, 0},
      {"0100", false, 0, 0},               {"0100:0200:0300", false, 0, 0},  {"0x10:0200", false, 0, 0},
      {" 0100:0200", false, 0, 0},         {"", false, 0, 0},
  };
  for (const Case& c : cases) {
    std::uint16_t local = 7, remote = 7;
    EXPECT_EQ(Plc_ParseTsapPair(c.text, &local, &remote), c.ok) << c.text;
    EXPECT_EQ(local, c.ok ? c.local : 7) << c.text << ": a refused text changes nothing";
    EXPECT_EQ(remote, c.ok ? c.remote : 7) << c.text;
  }
  std::uint16_t one = 0;
  EXPECT_TRUE(Plc_ParseTsap("2A0", &one));
  EXPECT_EQ(one, 0x02A0);
  EXPECT_FALSE(Plc_ParseTsap("12345", &one));
  EXPECT_FALSE(Plc_ParseTsap(nullptr, &one));
  char text[16];
  EXPECT_EQ(Plc_TsapPairText(0x0100, 0xab, text, sizeof text), 9);
  EXPECT_STREQ(text, "0100:00AB");
}

// A family's defaults, then the TSAPs a connection asks for: the zeroed
// record is the classic S7-300 request; the typed families keep theirs.
TEST(PlcFamily, DefaultsAndTheTsapsAsked) {
  PlcSettings plc{};
  plc.slot = 2;
  EXPECT_EQ(Plc_Tsaps(&plc).remote, 0x0102);
  struct Case {
    S7Family family;
    int rack, slot, connType;
    std::uint16_t local, remote;
  } cases[] = {
      {S7Family::S7_300, 0, 2, 1, 0x0100, 0x0102},      {S7Family::S7_1200, 0, 1, 1, 0x0100, 0x0101},
      {S7Family::S7_1500, 0, 1, 1, 0x0100, 0x0101},     {S7Family::S7_200Smart, 0, 1, 3, 0x0100, 0x0301},
      {S7Family::Logo, 5, 5, 1, 0x0100, 0x0200},        {S7Family::S7_200, 5, 5, 1, 0x1000, 0x1001},
      {S7Family::Custom, 5, 5, 1, 0x0100, 0x0102},
  };
  for (const Case& c : cases) {
    PlcSettings p{};
    p.rack = p.slot = 5;
    Plc_SetFamily(&p, static_cast<int>(c.family));
    EXPECT_EQ(p.rack, c.rack) << static_cast<int>(c.family) << ": the typed families keep rack and slot";
    EXPECT_EQ(p.slot, c.slot) << static_cast<int>(c.family);
    EXPECT_EQ(p.connType, c.connType) << static_cast<int>(c.family);
    const S7Tsaps t = Plc_Tsaps(&p);
    EXPECT_EQ(t.local, c.local) << static_cast<int>(c.family);
    EXPECT_EQ(t.remote, c.remote) << static_cast<int>(c.family);
  }
  PlcSettings op{};
  op.slot = 2;
  op.connType = static_cast<int>(S7ConnectionType::OP);
  EXPECT_EQ(Plc_Tsaps(&op).remote, 0x0202);
  op.family = 99;  // what no file gives: taken as rack and slot
  EXPECT_EQ(Plc_Tsaps(&op).remote, 0x0202);
}

}  // namespace
