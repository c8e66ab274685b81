// The program's modal dialogs, one function each: it runs the dialog over its
// owner and says what the user chose. Every dialog is centred over the main
// window and kept on the work area, shows the arrow cursor, and ends with 1
// for OK and 0 for Cancel; choices are remembered for the next opening.
//
// Threads: the user-interface thread.
#pragma once

#include <windows.h>

#include "app/frontend.h"

// The about box.
void Dialog_About(HWND owner);

// Which PLC a loaded file should use: false when cancelled; otherwise
// *useSaved is 1 for the file's PLC and 0 for the current one. The choice is
// preselected the next time.
bool Dialog_ChoosePlc(HWND owner, const PlcChoice& choice, int* useSaved);
