// The GUI test program's entry. It runs inside a Wine virtual desktop, whose
// launcher does not pass exit codes on: the result also goes to the file that
// TOLVANE_EXIT_FILE names (scripts/gui-run.sh reads it back).
// No <windows.h> here: it declares a FatalExit of its own beside the runtime's.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "runtime/runtime.h"

namespace {

int Finish(int rc) {
  std::fflush(stdout);
  if (const wchar_t* path = _wgetenv(L"TOLVANE_EXIT_FILE")) {
    if (FILE* f = _wfopen(path, L"w")) {
      std::fprintf(f, "%d\n", rc);
      std::fclose(f);
    }
  }
  return rc;
}

}  // namespace

int main(int argc, char** argv) {
  if (int rc = Rt_Init()) return Finish(rc);
  ::testing::InitGoogleTest(&argc, argv);
  return Finish(RUN_ALL_TESTS());
}
