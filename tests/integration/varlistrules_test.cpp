// The variable list and definition dialogs' portable halves against the
// simulated CPU: the count is bounded by the type alone, however full the
// request (a table larger than one request is planned), and every
// preparation that drops variables leaves the list's selection on the
// variable it was on.
#include <string>
#include <vector>

#include "app/vardefine.h"
#include "app/varlist.h"
#include "tests/integration/shell_fixture.h"

namespace {

class VarDialogsTest : public ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    app_->iface = iface_;
    app_->conn = Connect();
    ASSERT_EQ(S7_IsConnected(app_->conn), 1);
    VarList_ClearSelection(&selection_);
    VarDefine_Reset(&state_);
  }

  void Define(std::initializer_list<const char*> definitions) {
    for (const char* d : definitions) {
      ASSERT_EQ(Var_ParseDefinition(d, &app_->table.vars[app_->table.count++]), 1) << d;
    }
  }
  // A variable whose block could not be allocated: no request can carry it.
  void DefineWithoutBlock(const char* definition) {
    Define({definition});
    Var_FreeBlock(&app_->table.vars[app_->table.count - 1]);
  }
  // The table of the selection tests: the second variable is dropped.
  void DefineFourOneDropped() {
    Define({"MW0:1 (Word)"});
    DefineWithoutBlock("DB1.DBB0:300 (Byte)");
    Define({"MW4:1 (Word)", "MW6:1 (Word)"});
  }
  std::vector<std::string> Lines() {
    std::vector<std::string> lines;
    for (int i = 0; i < app_->table.count; ++i) {
      char text[kVarAddressTextMax];
      Var_FormatVariableLine(&app_->table.vars[i], text);
      lines.push_back(text);
    }
    return lines;
  }
  // The count field after the definition dialog opened for type.
  VarDefineField CountFor(int type, Transfer kind) {
    VarDefine_PrepareRequest(app_, kind, &selection_, &state_);
    VarDefine_SelectType(&state_, type);
    VarDefine_ApplyTypeAndArea(&state_, VarDefine_AskCapacity(app_, &state_));
    return state_.field[kDefineCount];
  }

  VarListSelection selection_;
  VarDefineState state_;
};

const std::string kBadRequest = "\xc9rv\xe9nytelen k\xe9r\xe9s";

// A full request refuses nothing: the table goes in as many requests as it
// needs, and each variable is bounded by its type's 65,535 bytes alone.
TEST_F(VarDialogsTest, TheCountIsBoundedByItsTypeNotByTheRequest) {
  struct Case {
    std::vector<const char*> table;
    Transfer kind;
    int type;
    int max;  // the count field's maximum
  } cases[] = {
      {{}, Transfer::Read, S7_TYPE_WORD, 32767},
      {{}, Transfer::Read, S7_TYPE_DATETIME, 8191},
      {{}, Transfer::Read, S7_TYPE_BIT, 65528},
      {{"DB1.DBB0:200 (Byte)"}, Transfer::Read, S7_TYPE_BYTE, 65535},
      {{"DB1.DBB0:200 (Byte)"}, Transfer::Write, S7_TYPE_BYTE, 65535},
      {{"DB1.DBB0:5000 (Byte)", "MW0:19 (Word)"}, Transfer::Write, S7_TYPE_REAL, 16383},
  };
  for (const Case& c : cases) {
    VarTable_Clear(&app_->table);
    for (const char* d : c.table) Define({d});
    const VarDefineField count = CountFor(c.type, c.kind);
    EXPECT_EQ(count.max, c.max) << c.type << (c.kind == Transfer::Write ? " write" : " read");
    EXPECT_TRUE(count.enabled);
    EXPECT_EQ(VarDefine_Refusal(&state_), 0);
    EXPECT_EQ(TakeLog(), "") << "nothing is dropped for its size";
    EXPECT_EQ(app_->table.count, static_cast<int>(c.table.size()));
  }
}

// A variable changed to more than one request holds: the list keeps it and
// plans the table.
TEST_F(VarDialogsTest, AVariableChangedBeyondOneRequestStays) {
  Define({"MB0:10 (Byte)", "DB1.DBB0:200 (Byte)"});
  VarList_SelectVariable(&selection_, &app_->table, 1);
  VarListHeld held;
  ASSERT_TRUE(VarList_TakeOut(&selection_, &app_->table, &held));
  VarDefine_Open(&state_, &held.var);
  const VarDefineField count = CountFor(S7_TYPE_BYTE, Transfer::Read);
  EXPECT_EQ(count.value, 200);
  ASSERT_TRUE(VarDefine_Typed(&state_, kDefineCount, "2000"));
  EXPECT_EQ(VarDefine_Confirm(&state_, &held.var, VarRecord::Existing), VAR_DEFINITION_CHANGED);
  EXPECT_EQ(VarList_PutBack(&selection_, &app_->table, &held), 1);
  EXPECT_EQ(VarList_PrepareRequest(app_, Transfer::Read, &selection_), S7_OK);
  EXPECT_EQ(Lines(), (std::vector<std::string>{" MB0:10 (Byte)", " DB1.DBB0:2000 (Byte)"}));
  EXPECT_EQ(TakeLog(), "");
  EXPECT_EQ(selection_.variable, 1);
}

TEST_F(VarDialogsTest, NoRequestNoRoomAndTheReason) {
  ASSERT_EQ(S7_Disconnect(app_->conn), S7_OK);
  EXPECT_EQ(CountFor(S7_TYPE_WORD, Transfer::Read).enabled, false);
  EXPECT_EQ(VarDefine_Refusal(&state_), IDS_ERR_OK + S7_ERR_NOT_CONNECTED);
  app_->conn = nullptr;
  EXPECT_EQ(CountFor(S7_TYPE_WORD, Transfer::Write).max, 0);
  EXPECT_EQ(VarDefine_Refusal(&state_), IDS_ERR_OK + S7_ERR_BAD_CONNECTION);
}

// The fault this guards against: the list patched while the preparation
// dropped variables from the table, so that the selection, and the buttons
// after it, pointed at another variable.
TEST_F(VarDialogsTest, APreparationKeepsTheSelectionOnItsVariable) {
  struct Case {
    int selected;
    int after;
    const char* selectedLine;
  } cases[] = {
      {3, 2, " MW6:1 (Word)"},  // moved up with the table
      {0, 0, " MW0:1 (Word)"},
      {1, 1, " MW4:1 (Word)"},  // dropped itself: the one now at its place
      {-1, -1, nullptr},
  };
  for (const Case& c : cases) {
    VarTable_Clear(&app_->table);
    DefineFourOneDropped();
    VarList_SelectVariable(&selection_, &app_->table, c.selected);
    if (c.selected >= 0) VarList_SelectElement(&selection_, &app_->table, 0);
    ASSERT_EQ(VarList_PrepareRequest(app_, Transfer::Read, &selection_), S7_OK);
    EXPECT_EQ(TakeLog(), "DB1.DBB0:300 (Byte) : " + kBadRequest + ". Deleted\r\n");
    EXPECT_EQ(Lines(), (std::vector<std::string>{" MW0:1 (Word)", " MW4:1 (Word)", " MW6:1 (Word)"}));
    EXPECT_EQ(selection_.variable, c.after) << c.selected;
    EXPECT_EQ(selection_.element, -1) << "the element list is rebuilt";
    EXPECT_EQ(selection_.lastElement, -1);
    if (c.selectedLine) {
      EXPECT_EQ(Lines()[static_cast<std::size_t>(c.after)], c.selectedLine);
    }
  }
}

// Changing the last variable while its definition dialog's preparation
// drops another: it goes back at the end of the shrunken table, and the
// definition dialog's preparation kept the list's selection too.
TEST_F(VarDialogsTest, ChangeWhileAnotherIsDropped) {
  DefineFourOneDropped();
  VarListSelection& selection = selection_;
  VarList_SelectVariable(&selection, &app_->table, 3);
  VarListHeld held;
  ASSERT_TRUE(VarList_TakeOut(&selection, &app_->table, &held));
  VarDefine_Open(&state_, &held.var);
  VarDefine_PrepareRequest(app_, Transfer::Write, &selection, &state_);
  VarDefine_ApplyTypeAndArea(&state_, VarDefine_AskCapacity(app_, &state_));
  ASSERT_TRUE(VarDefine_Typed(&state_, kDefineCount, "2"));
  ASSERT_EQ(VarDefine_Confirm(&state_, &held.var, VarRecord::Existing), VAR_DEFINITION_CHANGED);
  EXPECT_EQ(VarList_PutBack(&selection, &app_->table, &held), 2);
  ASSERT_EQ(VarList_PrepareRequest(app_, Transfer::Write, &selection), S7_OK);
  EXPECT_EQ(Lines(), (std::vector<std::string>{" MW0:1 (Word)", " MW4:1 (Word)", " MW6:2 (Word)"}));
  EXPECT_EQ(selection.variable, 2);
}

// Inserting before the selected variable after a definition dialog whose
// preparation dropped the one before it: the new one goes before the same
// variable, not before the one that moved into its old place.
TEST_F(VarDialogsTest, InsertWhileAnotherIsDropped) {
  DefineFourOneDropped();
  VarListSelection& selection = selection_;
  VarList_SelectVariable(&selection, &app_->table, 3);
  PlcVariable scratch{};
  VarDefine_Open(&state_, nullptr);
  VarDefine_PrepareRequest(app_, Transfer::Read, &selection, &state_);
  EXPECT_EQ(selection.variable, 2) << "still on MW6";
  VarDefine_ApplyTypeAndArea(&state_, VarDefine_AskCapacity(app_, &state_));
  ASSERT_TRUE(VarDefine_Typed(&state_, kDefineAddress, "100"));
  ASSERT_EQ(VarDefine_Confirm(&state_, &scratch, VarRecord::New), VAR_DEFINITION_CHANGED);
  EXPECT_EQ(VarList_Add(&selection, &app_->table, &scratch, AddPlace::Insert), 2);
  EXPECT_EQ(Lines(), (std::vector<std::string>{" MW0:1 (Word)", " MW4:1 (Word)", " MW100:1 (Word)",
                                               " MW6:1 (Word)"}));
}

TEST_F(VarDialogsTest, StatusTextsAfterAPreparation) {
  Define({"MW0:1 (Word)"});
  PlanTotals planned{};
  ASSERT_EQ(VarList_PrepareRequest(app_, Transfer::Read, &selection_, &planned), S7_OK);
  char request[64], reply[64];
  VarList_StatusTexts(app_, planned, request, reply, sizeof request);
  EXPECT_STREQ(request, "\tK\xe9r\xe9s m\xe9rete : 24");
  EXPECT_STREQ(reply, "\tV\xe1lasz m\xe9rete : 20");

  // Twenty words too far apart for one reply to bridge do not fit one
  // request at PDU 240: two, of 12 + 10 items each way, with 14 + 10 × (4 +
  // 2) bytes of reply each.
  VarTable_Clear(&app_->table);
  for (int i = 0; i < 20; ++i) {
    const std::string d = "MW" + std::to_string(300 * i) + ":1 (Word)";
    ASSERT_EQ(Var_ParseDefinition(d.c_str(), &app_->table.vars[app_->table.count++]), 1);
  }
  ASSERT_EQ(VarList_PrepareRequest(app_, Transfer::Read, &selection_, &planned), S7_OK);
  VarList_StatusTexts(app_, planned, request, reply, sizeof request);
  EXPECT_STREQ(request, "\t2 k\xe9r\xe9s, 264 b\xe1jt");
  EXPECT_STREQ(reply, "\t2 v\xe1lasz, 148 b\xe1jt");
}

}  // namespace
