// String and WString writes against the simulator: the PLC's maximum is read
// first, a text longer than it is refused with nothing written, and a write
// changes only the current length and the letters.
#include <string>

#include "app/commands.h"
#include "tests/integration/shell_fixture.h"
#include "vars/vars.h"

namespace {

using plcsim::Bytes;

class TextWriteTest : public ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    iface_ = S7_Interface_Done(iface_);  // the commands open their own
    app_->plc.address = sim_.Address();
  }
  void Open() {
    Cmd_OpenInterface(app_);
    Cmd_OpenConnection(app_, ConnectionOpen::New);
    TakeLog();
  }
  void Define(int index, const char* definition) {
    ASSERT_EQ(Var_ParseDefinition(definition, &app_->table.vars[index]), 1) << definition;
    app_->table.count = index + 1;
  }
  Bytes Db(int offset, int length) { return sim_.Model().ReadMemory(plcsim::kAreaDataBlock, 1, offset, length); }
  void SetDb(int offset, const Bytes& bytes) {
    ASSERT_TRUE(sim_.Model().WriteMemory(plcsim::kAreaDataBlock, 1, offset, bytes));
  }
};

TEST_F(TextWriteTest, TheHeaderIsReadFirstAndKept) {
  Open();
  // The data block declares String[6] where the table says String[10]; the
  // next variable of the block starts right after it.
  SetDb(0, {6, 2, 'o', 'l', 'd', 'x', 'y', 'z', 0xA1, 0xA2, 0xA3, 0xA4});
  Define(0, "DB1.DBB0:1 (String[10])");
  ASSERT_EQ(Var_EnterValue(0, &app_->table.vars[0], "abc"), VAR_VALUE_OK);
  EXPECT_EQ(Cmd_Transfer(app_, Transfer::Write), S7_OK);
  EXPECT_EQ(Db(0, 12), Bytes({6, 3, 'a', 'b', 'c', 'x', 'y', 'z', 0xA1, 0xA2, 0xA3, 0xA4}));
  EXPECT_EQ(TakeLog(), "S7_SimpleWrite : OK.\r\n") << "the header read logs nothing of its own";

  // Seven letters: more than the PLC's six. Nothing is sent.
  ASSERT_EQ(Var_EnterValue(0, &app_->table.vars[0], "abcdefg"), VAR_VALUE_OK);
  const int requests = sim_.RequestCount();
  EXPECT_EQ(Cmd_Transfer(app_, Transfer::Write), S7_ERR_DATA_SIZE);
  EXPECT_EQ(sim_.RequestCount(), requests + 1) << "the header read, and no write";
  EXPECT_EQ(Db(0, 12), Bytes({6, 3, 'a', 'b', 'c', 'x', 'y', 'z', 0xA1, 0xA2, 0xA3, 0xA4}));
  EXPECT_EQ(TakeLog(), "DB1.DBB0:1 (String[10]) : DB1.DBB0: 7 karakter, a PLC-ben legfeljebb 6 f\xE9r el. "
                       "Nem \xEDrtam semmit\r\n");
}

TEST_F(TextWriteTest, EveryElementOfEveryTextIsChecked) {
  Open();
  SetDb(100, {0x00, 0x03, 0x00, 0x01, 0x00, 'q', 0xEE, 0xEE, 0xEE, 0xEE});  // WString[3]
  SetDb(110, {4, 0, 0, 0, 0, 0, 2, 0, 0, 0, 0xBB, 0xBB});  // two String[4], the second [2] in the PLC
  Define(0, "DB1.DBB100:1 (WString[3])");
  Define(1, "MW0:1 (Word)");
  Define(2, "DB1.DBB110:2 (String[4])");
  ASSERT_EQ(Var_EnterValue(0, &app_->table.vars[0], "\\u0436\xF5"), VAR_VALUE_OK);
  ASSERT_EQ(Var_EnterValue(0, &app_->table.vars[2], "abcd"), VAR_VALUE_OK);
  ASSERT_EQ(Var_EnterValue(1, &app_->table.vars[2], "xyz"), VAR_VALUE_OK);
  EXPECT_EQ(Cmd_Transfer(app_, Transfer::Write), S7_ERR_DATA_SIZE);
  EXPECT_EQ(TakeLog(), "DB1.DBB110:2 (String[4]) : DB1.DBB116: 3 karakter, a PLC-ben legfeljebb 2 f\xE9r el. "
                       "Nem \xEDrtam semmit\r\n");
  EXPECT_EQ(Db(100, 10), Bytes({0x00, 0x03, 0x00, 0x01, 0x00, 'q', 0xEE, 0xEE, 0xEE, 0xEE}));

  ASSERT_EQ(Var_EnterValue(1, &app_->table.vars[2], "xy"), VAR_VALUE_OK);
  EXPECT_EQ(Cmd_Transfer(app_, Transfer::Write), S7_OK);
  EXPECT_EQ(Db(100, 10), Bytes({0x00, 0x03, 0x00, 0x02, 0x04, 0x36, 0x01, 0x51, 0xEE, 0xEE}));
  EXPECT_EQ(Db(110, 12), Bytes({4, 4, 'a', 'b', 'c', 'd', 2, 2, 'x', 'y', 0xBB, 0xBB}));

  // Read back, the texts are what was written.
  EXPECT_EQ(Cmd_Transfer(app_, Transfer::Read), S7_OK);
  EXPECT_EQ(Var_FormatValueString({}, 0, &app_->table.vars[0]), "'\\u0436\xF5'");
  EXPECT_EQ(Var_FormatValueString({}, 1, &app_->table.vars[2]), "'xy'");
}

}  // namespace
