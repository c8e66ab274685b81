// The exit file of a GUI run.
#include "tests/gui/support/exitcode.h"

#include <cstdio>
#include <cstdlib>

namespace gui {

int FinishWithExitCode(int rc) {
  std::fflush(stdout);
  if (const wchar_t* path = _wgetenv(L"TOLVANE_EXIT_FILE")) {
    if (FILE* f = _wfopen(path, L"w")) {
      std::fprintf(f, "%d\n", rc);
      std::fclose(f);
    }
  }
  return rc;
}

}  // namespace gui
