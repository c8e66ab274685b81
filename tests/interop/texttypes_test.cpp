// The newer types against the Snap7 server: every one written through the
// program's own table and checked in the server's buffer, read back from it;
// String and WString writes that keep the server's header and the bytes
// beyond its maximum, and a text too long refused with nothing written.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/appstate.h"
#include "app/commands.h"
#include "tests/interop/snap7_peer.h"
#include "vars/vars.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
constexpr int kSnap7Db = 5;  // the server's area code of data blocks

class Snap7TextTypesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string why;
    ASSERT_TRUE(peer_.Start(&why)) << why;
    app_ = TheAppState();
    AppState_Reset(app_);
    app_->plc.kind = S7_KIND_TCP;
    app_->plc.address = peer_.Address();
    ASSERT_EQ(Cmd_OpenInterface(app_), S7_OK);
    ASSERT_EQ(Cmd_OpenConnection(app_, ConnectionOpen::New), S7_OK);
  }
  void TearDown() override {
    AppState_ClearVariables(app_);
    Cmd_CloseInterface(app_);
    peer_.Stop();
  }
  void Define(int index, const char* definition) {
    ASSERT_EQ(Var_ParseDefinition(definition, &app_->table.vars[index]), 1) << definition;
    app_->table.count = index + 1;
  }
  Bytes Db(int number, int offset, int length) {
    const Bytes all = peer_.Area(kSnap7Db, number);
    if (static_cast<std::size_t>(offset + length) > all.size()) return {};
    return Bytes(all.begin() + offset, all.begin() + offset + length);
  }
  void SetDb(int number, int offset, const Bytes& bytes) {
    Bytes all = peer_.Area(kSnap7Db, number);
    std::copy(bytes.begin(), bytes.end(), all.begin() + offset);
    peer_.SetArea(kSnap7Db, number, all);
  }

  Snap7Peer peer_;
  AppState* app_ = nullptr;
};

// One table of every newer type, written in one request and read back.
TEST_F(Snap7TextTypesTest, EveryNewerTypeWrittenAndReadBack) {
  struct Case {
    const char* definition;
    const char* typed;
    int offset;
    Bytes wire;
  } cases[] = {
      {"DB10.DBB0:1 (USInt)", "200", 0, {200}},
      {"DB10.DBW2:1 (UInt)", "65535", 2, {0xFF, 0xFF}},
      {"DB10.DBD4:1 (UDInt)", "4000000000", 4, {0xEE, 0x6B, 0x28, 0x00}},
      {"DB10.DBB8:1 (LInt)", "-2", 8, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFE}},
      {"DB10.DBB16:1 (ULInt)", "18446744073709551615", 16, Bytes(8, 0xFF)},
      {"DB10.DBB24:1 (LWord)", "0x0102 0304 0506 0708", 24, {1, 2, 3, 4, 5, 6, 7, 8}},
      {"DB10.DBB32:1 (LReal)", "-2.5", 32, {0xC0, 0x04, 0, 0, 0, 0, 0, 0}},
      {"DB10.DBW40:1 (WChar)", "\\u0436", 40, {0x04, 0x36}},
      {"DB10.DBB42:1 (DTL)", "2024.02.29.23:59:59.5", 42, {0x07, 0xE8, 2, 29, 5, 23, 59, 59, 0x1D, 0xCD, 0x65, 0x00}},
      {"DB10.DBB54:1 (LTime)", "-1ms", 54, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xF0, 0xBD, 0xC0}},
      {"DB10.DBB62:1 (LTOD)", "00:00:01", 62, {0, 0, 0, 0, 0x3B, 0x9A, 0xCA, 0x00}},
      {"DB10.DBB70:1 (LDT)", "1970.01.01.00:00:00.000000001", 70, {0, 0, 0, 0, 0, 0, 0, 1}},
  };
  int i = 0;
  for (const Case& c : cases) {
    Define(i, c.definition);
    ASSERT_EQ(Var_EnterValue(0, &app_->table.vars[i], c.typed), VAR_VALUE_OK) << c.definition;
    ++i;
  }
  ASSERT_EQ(Cmd_Transfer(app_, Transfer::Write), S7_OK);
  for (const Case& c : cases)
    EXPECT_EQ(Db(10, c.offset, static_cast<int>(c.wire.size())), c.wire) << c.definition;

  std::vector<std::string> shown;
  for (int k = 0; k < i; ++k) shown.push_back(Var_FormatValueString({.bareCharacter = true}, 0, &app_->table.vars[k]));
  for (int k = 0; k < i; ++k) Var_EnterValue(0, &app_->table.vars[k], k == 7 ? "a" : "0");  // anything else
  ASSERT_EQ(Cmd_Transfer(app_, Transfer::Read), S7_OK);
  for (int k = 0; k < i; ++k)
    EXPECT_EQ(Var_FormatValueString({.bareCharacter = true}, 0, &app_->table.vars[k]), shown[static_cast<std::size_t>(k)])
        << cases[k].definition;
}

TEST_F(Snap7TextTypesTest, TextWritesKeepTheServersHeader) {
  // A String[8] and a WString[3] as the data block declares them, each
  // followed by bytes of another variable.
  SetDb(1, 100, {8, 1, 'z', '1', '2', '3', '4', '5', '6', '7', 0xAB, 0xCD});
  SetDb(1, 200, {0x00, 0x03, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xAB, 0xCD});
  Define(0, "DB1.DBB100:1 (String[8])");
  Define(1, "DB1.DBB200:1 (WString[4])");  // one more than the server's
  ASSERT_EQ(Var_EnterValue(0, &app_->table.vars[0], "\xE1rv\xEDz"), VAR_VALUE_OK);
  ASSERT_EQ(Var_EnterValue(0, &app_->table.vars[1], "\\uD83D\\uDE00\xF5"), VAR_VALUE_OK);
  ASSERT_EQ(Cmd_Transfer(app_, Transfer::Write), S7_OK);
  EXPECT_EQ(Db(1, 100, 12), Bytes({8, 5, 0xE1, 'r', 'v', 0xED, 'z', '5', '6', '7', 0xAB, 0xCD}));
  EXPECT_EQ(Db(1, 200, 12), Bytes({0x00, 0x03, 0x00, 0x03, 0xD8, 0x3D, 0xDE, 0x00, 0x01, 0x51, 0xAB, 0xCD}));

  // The full four characters: more than the server's three, refused whole.
  ASSERT_EQ(Var_EnterValue(0, &app_->table.vars[0], "abc"), VAR_VALUE_OK);
  ASSERT_EQ(Var_EnterValue(0, &app_->table.vars[1], "abcd"), VAR_VALUE_OK);
  EXPECT_EQ(Cmd_Transfer(app_, Transfer::Write), S7_ERR_DATA_SIZE);
  EXPECT_EQ(Db(1, 100, 12), Bytes({8, 5, 0xE1, 'r', 'v', 0xED, 'z', '5', '6', '7', 0xAB, 0xCD}))
      << "nothing written, the String neither";
  EXPECT_EQ(Db(1, 200, 12), Bytes({0x00, 0x03, 0x00, 0x03, 0xD8, 0x3D, 0xDE, 0x00, 0x01, 0x51, 0xAB, 0xCD}));

  // An empty text and a String at its maximum.
  ASSERT_EQ(Var_EnterValue(0, &app_->table.vars[0], "12345678"), VAR_VALUE_OK);
  ASSERT_EQ(Var_EnterValue(0, &app_->table.vars[1], ""), VAR_VALUE_OK);
  ASSERT_EQ(Cmd_Transfer(app_, Transfer::Write), S7_OK);
  EXPECT_EQ(Db(1, 100, 12), Bytes({8, 8, '1', '2', '3', '4', '5', '6', '7', '8', 0xAB, 0xCD}));
  EXPECT_EQ(Db(1, 200, 12), Bytes({0x00, 0x03, 0x00, 0x00, 0xD8, 0x3D, 0xDE, 0x00, 0x01, 0x51, 0xAB, 0xCD}));
}

}  // namespace
