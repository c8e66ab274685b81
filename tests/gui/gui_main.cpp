// The GUI test program's entry. It runs inside a Wine virtual desktop, whose
// launcher does not pass exit codes on: the result also goes to the file that
// TOLVANE_EXIT_FILE names (scripts/gui-run.sh reads it back).
#include <gtest/gtest.h>

#include "runtime/runtime.h"
#include "tests/gui/driver/process.h"

int main(int argc, char** argv) {
  if (int rc = Rt_Init()) return gui::FinishRun(rc);
  ::testing::InitGoogleTest(&argc, argv);
  return gui::FinishRun(RUN_ALL_TESTS());
}
