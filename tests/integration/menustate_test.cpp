// The enable rule of every menu command against a real connection, and the
// changes a menu refresh makes.
#include "app/menustate.h"
#include "tests/integration/shell_fixture.h"

namespace {

class MenuStateTest : public ShellTest {
 protected:
  // The commands enabled now, as a string of ids.
  std::string Enabled() {
    std::string ids;
    for (int id = IDM_FIRST; id <= IDM_LAST; ++id)
      if (Cmd_IsEnabled(app_, id)) ids += std::to_string(id) + " ";
    return ids;
  }
};

TEST_F(MenuStateTest, RulesFollowTheHandlesAndTheConnection) {
  app_->iface = nullptr;
  EXPECT_EQ(Enabled(), "500 502 503 521 522 523 524 527 ");
  app_->iface = iface_;
  EXPECT_EQ(Enabled(), "500 502 504 505 521 522 523 524 527 ") << "TCP has no bus services";
  app_->conn = Connect();
  EXPECT_EQ(Enabled(), "500 502 504 506 507 509 512 513 514 515 516 517 518 519 520 521 522 523 524 525 526 527 ");
  S7_Disconnect(app_->conn);
  EXPECT_EQ(Enabled(), "500 502 504 506 507 508 521 522 523 524 527 ");
  ASSERT_EQ(Var_ParseDefinition("MW0:1 (Word)", &app_->table.vars[0]), 1);
  app_->table.count = 1;
  EXPECT_TRUE(Cmd_IsEnabled(app_, IDM_FILE_SAVE));
  EXPECT_FALSE(Cmd_IsEnabled(app_, 499));
  EXPECT_FALSE(Cmd_IsEnabled(app_, IDM_LAST + 1));
  app_->conn = S7_Connection_Done(app_->conn);
  app_->iface = nullptr;
}

TEST_F(MenuStateTest, RefreshChanges) {
  app_->iface = iface_;
  app_->conn = Connect();
  MenuChange changes[kMenuChangeMax];
  auto text = [&](int n) {
    std::string s;
    for (int i = 0; i < n; ++i) s += std::to_string(changes[i].id) + (changes[i].enabled ? "+ " : "- ");
    return s;
  };
  int n = Menu_Changes(app_, MenuState::Open, MenuState::Unchanged, SaveItem::Leave, changes);
  EXPECT_EQ(text(n), "-1+ 503- 504+ 505+ 510- 511- ");
  n = Menu_Changes(app_, MenuState::Unchanged, MenuState::Open, SaveItem::Refresh, changes);
  EXPECT_EQ(text(n), "505- 506+ 507+ 508- 509+ 512+ 513+ 514+ 515+ 516+ 517+ 518+ 519+ 520+ 525+ 526+ 501- ");
  app_->conn = S7_Connection_Done(app_->conn);
  n = Menu_Changes(app_, MenuState::Unchanged, MenuState::Closed, SaveItem::Leave, changes);
  EXPECT_EQ(text(n).substr(0, 5), "505+ ") << "a connection can be opened on the interface";
  app_->iface = nullptr;
  n = Menu_Changes(app_, MenuState::Closed, MenuState::Closed, SaveItem::Leave, changes);
  EXPECT_EQ(text(n), "-1- 503+ 504- 505- 510- 511- 505- 506- 507- 508- 509- 512- 513- 514- 515- 516- 517- 518- "
                     "519- 520- 525- 526- ")
      << "not without an interface, whichever refresh comes last";
}

}  // namespace
