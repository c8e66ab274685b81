// The system status list decoders on lists laid out byte for byte as CPUs
// send them (an S7-300, an S7-1500, an S7-1200 with short texts), and on
// lists whose header claims more than their bytes hold: a decoder must then
// refuse, never read past the bytes.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "s7lib/s7lib.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Text(const std::string& text, std::size_t width, std::uint8_t fill) {
  Bytes b(text.begin(), text.end());
  b.resize(width, fill);
  return b;
}

Bytes Cat(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

S7SzlList List(std::uint16_t id, std::uint16_t length, const Bytes& records) {
  S7SzlList list{};
  list.id = id;
  list.recordLength = length;
  list.recordCount = static_cast<std::uint16_t>(length ? records.size() / length : 0);
  list.records = records.data();
  list.bytes = static_cast<std::int32_t>(records.size());
  list.fragments = 1;
  return list;
}

std::string VersionText(const S7Version& v) {
  if (v.present) return "V" + std::to_string(v.major) + "." + std::to_string(v.minor) + "." + std::to_string(v.patch);
  return v.word1 || v.word2 ? std::to_string(v.word1) + " " + std::to_string(v.word2) : "-";
}

TEST(SzlListTest, ModuleIdentity) {
  struct Case {
    const char* what;
    Bytes records;
    const char* order;
    const char* hardware;
    const char* firmware;
    const char* bootLoader;
  } cases[] = {
      {"S7-300: its hardware release is two plain words",
       Cat({{0x00, 0x01}, Text("6ES7 315-2EH14-0AB0", 20, ' '), {0x00, 0xC0, 0x00, 0x04, 0x00, 0x01},
            {0x00, 0x06}, Text("6ES7 315-2EH14-0AB0", 20, ' '), {0x00, 0xC0, 0x00, 0x04, 0x00, 0x01},
            {0x00, 0x07}, Text("", 20, ' '), {0x00, 0xC0, 'V', 0x03, 0x02, 0x06}}),
       "6ES7 315-2EH14-0AB0", "4 1", "V3.2.6", "-"},
      {"S7-1500 with its boot loader",
       Cat({{0x00, 0x01}, Text("6ES7 511-1AK02-0AB0", 20, ' '), {0x00, 0x00, 0x00, 0x00, 0x00, 0x00},
            {0x00, 0x06}, Text("6ES7 511-1AK02-0AB0", 20, ' '), {0x00, 0x00, 'V', 0x02, 0x00, 0x00},
            {0x00, 0x07}, Text("", 20, ' '), {0x00, 0x00, 'V', 0x02, 0x09, 0x02},
            {0x00, 0x81}, Text("", 20, ' '), {0x00, 0x00, 0x00, 0x00, 0x00, 0x00},
            {0x00, 0x82}, Text("", 20, ' '), {0x00, 0x00, 'V', 0x01, 0x0A, 0x00}}),
       "6ES7 511-1AK02-0AB0", "V2.0.0", "V2.9.2", "V1.10.0"},
      {"only the hardware record names the module",
       Cat({{0x00, 0x06}, Text("6ES7 214-1AG40-0XB0", 20, ' '), {0x00, 0x00, 'V', 0x01, 0x00, 0x00}}),
       "6ES7 214-1AG40-0XB0", "V1.0.0", "-", "-"},
      {"a version word without its mark is no version",
       Cat({{0x00, 0x07}, Text("", 20, ' '), {0x00, 0x00, 0x20, 0x03, 0x02, 0x06}}), "", "-", "8195 518", "-"},
  };
  for (const Case& c : cases) {
    const S7SzlList list = List(0x0011, 28, c.records);
    S7ModuleIdentity id{};
    ASSERT_EQ(S7_DecodeModuleIdentity(&list, &id), S7_OK) << c.what;
    EXPECT_STREQ(id.orderNumber, c.order) << c.what;
    EXPECT_EQ(VersionText(id.hardware), c.hardware) << c.what;
    EXPECT_EQ(VersionText(id.firmware), c.firmware) << c.what;
    EXPECT_EQ(VersionText(id.bootLoader), c.bootLoader) << c.what;
  }
}

TEST(SzlListTest, ComponentIdentity) {
  // An S7-300: texts padded with zeros, no location record.
  const Bytes s300 = Cat({{0x00, 0x01}, Text("SIMATIC 300(1)", 32, 0), {0x00, 0x02}, Text("CPU 315-2 PN/DP", 32, 0),
                          {0x00, 0x03}, Text("", 32, 0), {0x00, 0x04}, Text("Original Siemens Equipment", 32, 0),
                          {0x00, 0x05}, Text("S C-X4U421302009", 32, 0), {0x00, 0x07}, Text("CPU 315-2 PN/DP", 32, 0),
                          {0x00, 0x08}, Text("MMC 267FF11F", 32, 0), {0x00, 0x09}, Bytes(32, 0x2A)});
  S7SzlList list = List(0x001C, 34, s300);
  S7ComponentIdentity c{};
  ASSERT_EQ(S7_DecodeComponentIdentity(&list, &c), S7_OK);
  EXPECT_STREQ(c.plcName, "SIMATIC 300(1)");
  EXPECT_STREQ(c.moduleName, "CPU 315-2 PN/DP");
  EXPECT_STREQ(c.plantDesignation, "");
  EXPECT_STREQ(c.copyright, "Original Siemens Equipment");
  EXPECT_STREQ(c.serialNumber, "S C-X4U421302009");
  EXPECT_STREQ(c.moduleTypeName, "CPU 315-2 PN/DP");
  EXPECT_STREQ(c.memoryCardSerial, "MMC 267FF11F");
  EXPECT_STREQ(c.location, "");

  // Blank-padded texts, a text that fills its whole field, and a CPU that
  // sends shorter records: the text is what the record holds.
  const Bytes filled = Cat({{0x00, 0x01}, Text("PLC_1", 32, ' '), {0x00, 0x0B}, Text(std::string(32, 'L'), 32, 0)});
  list = List(0x001C, 34, filled);
  ASSERT_EQ(S7_DecodeComponentIdentity(&list, &c), S7_OK);
  EXPECT_STREQ(c.plcName, "PLC_1");
  EXPECT_EQ(std::string(c.location), std::string(32, 'L'));
  const Bytes shortRecords = Cat({{0x00, 0x02}, Text("CPU 1214C", 10, 0)});
  list = List(0x001C, 12, shortRecords);
  ASSERT_EQ(S7_DecodeComponentIdentity(&list, &c), S7_OK);
  EXPECT_STREQ(c.moduleName, "CPU 1214C");
  EXPECT_STREQ(c.plcName, "") << "a field the CPU did not send is empty, not left from before";
}

TEST(SzlListTest, LedsProtectionModeAndLimits) {
  const Bytes leds = {0x00, 0x01, 0x01, 0x00, 0x00, 0x04, 0x01, 0x00, 0x00, 0x05, 0x00, 0x00, 0x00, 0x0B, 0x01, 0x02};
  S7SzlList list = List(0x0074, 4, leds);
  S7Led led[2];
  int count = 0;
  ASSERT_EQ(S7_DecodeLeds(&list, led, 2, &count), S7_OK);
  EXPECT_EQ(count, 4) << "the count is the list's, whatever the room";
  EXPECT_EQ(led[0].id, 0x0001);
  EXPECT_EQ(led[0].on, 1);
  EXPECT_EQ(led[1].id, 0x0004);

  Bytes protection = {0x00, 0x04, 0x00, 0x02, 0x00, 0x03, 0x00, 0x03, 0x00, 0x03, 0x00, 0x02};
  protection.resize(40, 0);
  list = List(0x0232, 40, protection);
  S7Protection p{};
  ASSERT_EQ(S7_DecodeProtection(&list, &p), S7_OK);
  EXPECT_EQ(p.keySwitchLevel, 2);
  EXPECT_EQ(p.parameterLevel, 3);
  EXPECT_EQ(p.levelInForce, 3);
  EXPECT_EQ(p.modeSwitch, 3);
  EXPECT_EQ(p.startupSwitch, 2);

  // STOP after RUN, by the programming device, on 2024-02-29 23:59:58.123, a Thursday.
  const Bytes mode = {0x43, 0x04, 0xFF, 0x84, 0, 0, 0, 0, 0x01, 0x02, 0x03, 0x04,
                      0x24, 0x02, 0x29, 0x23, 0x59, 0x58, 0x12, 0x35};
  list = List(0x0424, 20, mode);
  S7CpuMode m{};
  ASSERT_EQ(S7_DecodeCpuMode(&list, &m), S7_OK);
  EXPECT_EQ(m.eventId, 0x4304);
  EXPECT_EQ(m.mode, 4);
  EXPECT_EQ(m.previousMode, 8);
  EXPECT_EQ(m.startupInfo[3], 0x04);
  ASSERT_EQ(m.timeValid, 1);
  EXPECT_EQ(m.time.year, 2024);
  EXPECT_EQ(m.time.day, 29);
  EXPECT_EQ(m.time.milliseconds, 123);
  EXPECT_EQ(m.time.weekday, 4);
  Bytes noTime = mode;
  noTime[12 + 1] = 0x13;  // month 13
  list = List(0x0424, 20, noTime);
  ASSERT_EQ(S7_DecodeCpuMode(&list, &m), S7_OK) << "a bad stamp leaves the mode readable";
  EXPECT_EQ(m.timeValid, 0);

  Bytes limits = {0x00, 0x01, 0x00, 0xF0, 0x00, 0x10, 0x00, 0x02, 0xDC, 0x6C, 0x00, 0xA0, 0x37, 0xA0};
  limits.resize(40, 0);
  list = List(0x0131, 40, limits);
  S7CommLimits l{};
  ASSERT_EQ(S7_DecodeCommLimits(&list, &l), S7_OK);
  EXPECT_EQ(l.maxPdu, 240);
  EXPECT_EQ(l.maxConnections, 16);
  EXPECT_EQ(l.mpiRate, 187500u);
  EXPECT_EQ(l.backplaneRate, 10500000u);
}

TEST(SzlListTest, DiagnosticEntries) {
  const Bytes entries = {
      0x35, 0x01, 0x1A, 0x50, 0xFF, 0x84, 0x02, 0x26, 0x01, 0xF4, 0x00, 0x96,   // cycle time exceeded
      0x24, 0x03, 0x01, 0x08, 0x30, 0x00, 0x12, 0x56,                           // 2024.03.01 08:30:00.125, Friday
      0x49, 0x4E, 0xFF, 0x84, 0xC4, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00, 0x00,
      0x99, 0x12, 0x31, 0x23, 0x59, 0x59, 0x99, 0x96,                           // 1999.12.31 23:59:59.999, Friday
  };
  const S7SzlList list = List(0x00A0, 20, entries);
  S7DiagEntry e{};
  ASSERT_EQ(S7_DecodeDiagEntry(&list, 0, &e), S7_OK);
  EXPECT_EQ(e.eventId, 0x3501);
  EXPECT_EQ(e.priorityClass, 0x1A);
  EXPECT_EQ(e.obNumber, 80);
  EXPECT_EQ(e.datId, 0xFF84);
  EXPECT_EQ(e.info1, 0x0226);
  EXPECT_EQ(e.info2, 0x01F40096u);
  ASSERT_EQ(e.timeValid, 1);
  EXPECT_EQ(e.time.hour, 8);
  EXPECT_EQ(e.time.minute, 30);
  EXPECT_EQ(e.time.milliseconds, 125);
  ASSERT_EQ(S7_DecodeDiagEntry(&list, 1, &e), S7_OK);
  EXPECT_EQ(e.eventId, 0x494E);
  EXPECT_EQ(e.time.year, 1999);
  EXPECT_EQ(e.time.milliseconds, 999);
  EXPECT_EQ(S7_DecodeDiagEntry(&list, 2, &e), S7_ERR_BAD_REPLY);
  EXPECT_EQ(S7_DecodeDiagEntry(&list, -1, &e), S7_ERR_BAD_REPLY);
}

// Headers that claim more than the bytes hold, or records too short for
// their fields: every decoder refuses, and the sanitizers see no read past
// the bytes (each case's records are an exact-size heap block).
TEST(SzlListTest, ClaimsBeyondTheBytesAreRefused) {
  struct Case {
    const char* what;
    std::uint16_t length;
    std::uint16_t count;
    int bytes;
    int mode;  // the mode decoder reads the first record only
    int leds;       // the LED decoder needs 4 bytes of each record
    int component;  // the component decoder takes short records, but whole
  } cases[] = {
      {"count beyond the bytes", 20, 3, 40, S7_OK, S7_ERR_BAD_REPLY, S7_ERR_BAD_REPLY},
      {"a list cut inside a record", 34, 2, 50, S7_OK, S7_OK, S7_ERR_BAD_REPLY},
      {"record length too short for the fields", 3, 2, 6, S7_ERR_BAD_REPLY, S7_ERR_BAD_REPLY, S7_OK},
      {"no records", 20, 0, 0, S7_ERR_BAD_REPLY, S7_OK, S7_ERR_BAD_REPLY},
  };
  for (const Case& c : cases) {
    std::vector<std::uint8_t> storage(static_cast<std::size_t>(c.bytes), 0x11);
    S7SzlList list{};
    list.recordLength = c.length;
    list.recordCount = c.count;
    list.records = c.bytes ? storage.data() : nullptr;
    list.bytes = c.bytes;
    S7ModuleIdentity module;
    S7ComponentIdentity component;
    S7Protection protection;
    S7CpuMode mode;
    S7CommLimits limits;
    S7DiagEntry entry;
    S7Led led;
    int count = 0;
    EXPECT_EQ(S7_DecodeModuleIdentity(&list, &module), S7_ERR_BAD_REPLY) << c.what;
    EXPECT_EQ(S7_DecodeProtection(&list, &protection), S7_ERR_BAD_REPLY) << c.what;
    EXPECT_EQ(S7_DecodeCpuMode(&list, &mode), c.mode) << c.what;
    EXPECT_EQ(S7_DecodeCommLimits(&list, &limits), S7_ERR_BAD_REPLY) << c.what;
    EXPECT_EQ(S7_DecodeDiagEntry(&list, c.count ? c.count - 1 : 0, &entry), S7_ERR_BAD_REPLY) << c.what;
    EXPECT_EQ(S7_DecodeComponentIdentity(&list, &component), c.component) << c.what;
    EXPECT_EQ(S7_DecodeLeds(&list, &led, 1, &count), c.leds) << c.what;
  }
  EXPECT_EQ(S7_DecodeDiagEntry(nullptr, 0, nullptr), S7_ERR_BAD_REPLY);
  S7CpuMode mode;
  EXPECT_EQ(S7_DecodeCpuMode(nullptr, &mode), S7_ERR_BAD_REPLY);
}

}  // namespace
