// The application shell against the simulator: the program-wide record, a
// main log bound to a string, and a front end that records what it is told
// and answers the PLC choice as the test says.
#pragma once

#include <string>
#include <vector>

#include "app/appstate.h"
#include "app/frontend.h"
#include "app/logoperation.h"
#include "app/logpane.h"
#include "res/strings.h"
#include "tests/integration/sim_fixture.h"
#include "tests/support/string_view_text.h"

class RecordingFrontEnd : public FrontEnd {
 public:
  bool cancel = false;       // answer to the PLC choice
  int useSaved = 0;
  int choices = 0;
  PlcChoice lastChoice{};
  std::vector<std::string> calls;

  bool ChoosePlc(const PlcChoice& choice, PlcPick* pick) override {
    ++choices;
    lastChoice = choice;
    *pick = useSaved ? PlcPick::Saved : PlcPick::Current;
    return !cancel;
  }
  void OpenReadWindow(ReadStart start) override {
    calls.push_back(std::string("window ") + (start.readBack ? "read" : "noread") + (start.cyclic ? " cyclic" : ""));
  }
  void UpdateMenu(MenuState i, MenuState c, SaveItem save) override {
    calls.push_back("menu " + std::to_string(static_cast<int>(i)) + " " + std::to_string(static_cast<int>(c)) +
                    (save == SaveItem::Refresh ? " save" : ""));
  }
  void UpdateStatusText() override { calls.push_back("status"); }
};

// The hint line that follows a failed operation's entry.
inline std::string HintLine(int id) { return std::string("\tTipp : ") + LoadText(id) + "\r\n"; }

class ShellTest : public SimTest {
 protected:
  void SetUp() override {
    SimTest::SetUp();
    app_ = TheAppState();
    AppState_Reset(app_);
    pane_ = LogPane_Create(nullptr, &log_, 0, 0);
    SetMainLogPane(pane_);
    SetFrontEnd(&frontEnd_);
  }
  void TearDown() override {
    SetFrontEnd(nullptr);
    SetMainLogPane(nullptr);
    LogPane_Destroy(pane_);
    AppState_ClearVariables(app_);
    if (app_->iface == iface_) app_->iface = nullptr;
    if (app_->iface) app_->iface = S7_Interface_Done(app_->iface);
    app_->conn = nullptr;
    SimTest::TearDown();
  }
  // The log's text so far, and then empty.
  std::string TakeLog() {
    std::string text = log_.text;
    log_.text.clear();
    log_.SetSelection(0, 0);
    pane_->charCount = pane_->lineCount = 0;
    return text;
  }

  AppState* app_ = nullptr;
  StringTextView log_;
  LogPane* pane_ = nullptr;
  RecordingFrontEnd frontEnd_;
};
