// The GUI test programs' entry. They run inside a Wine virtual desktop, whose
// launcher does not pass exit codes on: the result also goes to the file that
// TOLVANE_EXIT_FILE names (scripts/gui-run.sh reads it back).
// No <windows.h> here: it declares a FatalExit of its own beside the runtime's.
#include <gtest/gtest.h>

#include "runtime/runtime.h"
#include "tests/gui/support/exitcode.h"

int main(int argc, char** argv) {
  if (int rc = Rt_Init()) return gui::FinishWithExitCode(rc);
  ::testing::InitGoogleTest(&argc, argv);
  return gui::FinishWithExitCode(RUN_ALL_TESTS());
}
