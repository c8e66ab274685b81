// The base of every GUI test: programs are started through it, and when the
// test ends it fails the test for every dialog or message box a program left
// open, then ends every program it started. An open dialog thus fails one
// test instead of hanging the run.
#pragma once

#include <gtest/gtest.h>

#include "tests/gui/driver/process.h"

namespace gui {

class GuiTest : public ::testing::Test {
 protected:
  // The started program, or null after failing the test.
  const Program* Start(const std::wstring& path, const StartOptions& options = {});
  void TearDown() override;

  ProgramSet programs_;
};

}  // namespace gui
