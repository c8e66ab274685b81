// The exit code of a program run by scripts/gui-run.sh: the Wine desktop's
// launcher does not pass it on, so it also goes to the file that
// TOLVANE_EXIT_FILE names, where the script reads it back.
#pragma once

namespace gui {

// Flushes standard output, leaves rc in the exit file, returns rc.
int FinishWithExitCode(int rc);

}  // namespace gui
