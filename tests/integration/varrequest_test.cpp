// Preparing a request from the variable table against the simulated CPU: the
// variables the library refuses leave the table, each with its "Deleted"
// line in the main log, and the rest are read and written where they belong.
#include <cstring>
#include <string>

#include "app/logpane.h"
#include "tests/integration/rw_fixture.h"
#include "tests/support/string_view_text.h"
#include "vars/vars.h"

namespace {

class VarRequestTest : public RwTest {
 protected:
  void SetUp() override {
    RwTest::SetUp();
    pane_ = LogPane_Create(nullptr, &log_, kMainLogCharLimit, kMainLogLineLimit);
    ASSERT_NE(pane_, nullptr);
    SetMainLogPane(pane_);
  }
  void TearDown() override {
    SetMainLogPane(nullptr);
    LogPane_Destroy(pane_);
    VarTable_Clear(&table_);
    RwTest::TearDown();
  }

  void Define(std::initializer_list<const char*> definitions) {
    for (const char* d : definitions) ASSERT_EQ(Var_ParseDefinition(d, &table_.vars[table_.count++]), 1) << d;
  }
  std::string Definition(int i) {
    char text[kVarAddressTextMax];
    Var_FormatAddress({.withCount = true, .withType = true}, 0, &table_.vars[i], text, nullptr);
    return text;
  }
  void ExpectFreeFrom(int first) {
    const PlcVariable zero{};
    for (int i = first; i < kVarTableSize; ++i)
      EXPECT_EQ(std::memcmp(&table_.vars[i], &zero, sizeof zero), 0) << "entry " << i;
  }

  StringTextView log_;
  LogPane* pane_ = nullptr;
  VariableTable table_{};
};

// "Túl nagy PDU méret", "Érvénytelen darabszám", "Érvénytelen kérés" in code page 1250.
const std::string kTooLarge = "T\xfal nagy PDU m\xe9ret";
const std::string kBadCount = "\xc9rv\xe9nytelen darabsz\xe1m";
const std::string kBadRequest = "\xc9rv\xe9nytelen k\xe9r\xe9s";

TEST_F(VarRequestTest, AdjacentRefusedVariablesAreBothDroppedAndTheRestRead) {
  Define({"DB1.DBB0:4 (Byte)", "DB1.DBD0:200 (Real)", "DB1.DBW0:200 (Word)", "MB0:2 (Byte)", "MW4:0 (Word)"});
  ASSERT_EQ(VarTable_PrepareRequest(&table_, conn_, 0), S7_OK);
  EXPECT_EQ(log_.text, "DB1.DBD0:200 (Real) : " + kTooLarge + ". Deleted\r\n" +
                           "DB1.DBW0:200 (Word) : " + kTooLarge + ". Deleted\r\n" +
                           "MW4:0 (Word) : " + kBadCount + ". Deleted\r\n");
  ASSERT_EQ(table_.count, 2);
  EXPECT_EQ(Definition(0), "DB1.DBB0:4 (Byte)");
  EXPECT_EQ(Definition(1), "MB0:2 (Byte)");
  ExpectFreeFrom(2);

  ASSERT_TRUE(Model().WriteMemory(0x84, 1, 0, {1, 2, 3, 0xFE}));
  ASSERT_TRUE(Model().WriteMemory(0x83, 0, 0, {0xAA, 0x55}));
  ASSERT_EQ(S7_MultiRead(conn_), S7_OK);
  char text[kVarValueTextMax];
  Var_FormatValue({}, 3, &table_.vars[0], text);
  EXPECT_STREQ(text, "0xfe");
  Var_FormatValue({}, 1, &table_.vars[1], text);
  EXPECT_STREQ(text, "0x55");
}

TEST_F(VarRequestTest, WriteRequestDropsWhatDoesNotFit) {
  Define({"MW10:2 (Word)", "DB1.DBB0:300 (Byte)", "DB1.DBW20:1 (Int)"});
  ASSERT_EQ(Var_EnterValue(0, &table_.vars[0], "0x1234"), VAR_VALUE_OK);
  ASSERT_EQ(Var_EnterValue(1, &table_.vars[0], "0x5678"), VAR_VALUE_OK);
  ASSERT_EQ(Var_EnterValue(0, &table_.vars[2], "-2"), VAR_VALUE_OK);
  ASSERT_EQ(VarTable_PrepareRequest(&table_, conn_, 1), S7_OK);
  EXPECT_EQ(log_.text, "DB1.DBB0:300 (Byte) : " + kTooLarge + ". Deleted\r\n");
  ASSERT_EQ(table_.count, 2);
  EXPECT_EQ(Definition(1), "DB1.DBW20:1 (Int)");
  ExpectFreeFrom(2);
  ASSERT_EQ(S7_MultiWrite(conn_), S7_OK);
  EXPECT_EQ(Model().ReadMemory(0x83, 0, 10, 4), (plcsim::Bytes{0x12, 0x34, 0x56, 0x78}));
  EXPECT_EQ(Model().ReadMemory(0x84, 1, 20, 2), (plcsim::Bytes{0xFF, 0xFE}));
}

TEST_F(VarRequestTest, EveryVariableRefusedLeavesAnEmptyTable) {
  Define({"DB1.DBD0:200 (Real)", "MW0:1 (Word)"});
  Var_FreeBlock(&table_.vars[1]);  // a variable whose block could not be allocated
  ASSERT_EQ(VarTable_PrepareRequest(&table_, conn_, 0), S7_OK);
  EXPECT_EQ(log_.text, "DB1.DBD0:200 (Real) : " + kTooLarge + ". Deleted\r\n" +
                           "MW0:1 (Word) : " + kBadRequest + ". Deleted\r\n");
  EXPECT_EQ(table_.count, 0);
  ExpectFreeFrom(0);
  EXPECT_EQ(S7_MultiRead(conn_), S7_ERR_NO_VARS);
}

TEST_F(VarRequestTest, NoRequestWithoutAConnection) {
  Define({"MW0:1 (Word)"});
  ASSERT_EQ(S7_Disconnect(conn_), S7_OK);
  EXPECT_EQ(VarTable_PrepareRequest(&table_, conn_, 0), S7_ERR_NOT_CONNECTED);
  EXPECT_EQ(table_.count, 1) << "nothing is dropped when no request could be opened";
  EXPECT_EQ(log_.text, "");
  EXPECT_EQ(VarTable_PrepareRequest(&table_, nullptr, 1), S7_ERR_BAD_CONNECTION);
  EXPECT_EQ(table_.count, 1);
}

TEST_F(VarRequestTest, WithoutAMainLogTheVariablesAreStillDropped) {
  SetMainLogPane(nullptr);
  Define({"DB1.DBD0:200 (Real)", "MB0:1 (Byte)"});
  ASSERT_EQ(VarTable_PrepareRequest(&table_, conn_, 0), S7_OK);
  EXPECT_EQ(table_.count, 1);
  EXPECT_EQ(log_.text, "");
}

// Twenty variables fill one request; a twenty-first is the library's to
// refuse (the planner gives a larger table as many requests as it needs).
TEST_F(VarRequestTest, TwentyVariablesFillARequest) {
  UseBigPdu();
  for (int i = 0; i < 21; ++i) {
    char definition[40];
    FormatText(definition, "MW%d:1 (Word)", 2 * i);
    Define({definition});
  }
  ASSERT_EQ(VarTable_PrepareRequest(&table_, conn_, 0), S7_OK);
  EXPECT_EQ(table_.count, 20);
  EXPECT_EQ(log_.text, "MW40:1 (Word) : T\xfal sok v\xe1ltoz\xf3. Deleted\r\n");
  EXPECT_EQ(S7_MultiRead(conn_), S7_OK);
}

}  // namespace
