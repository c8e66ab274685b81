// The trend window: one numeric element of the read window's table, its
// values of the last ten minutes drawn as a line against time with both
// scales (app/trend.h works out what to draw). A modeless window of the read
// window, on the read window's thread, fed after every read.
//
// Threads: the read window's thread only. The table is the read window's;
// the trend window reads it only while that thread hands it a read.
#pragma once

#include <windows.h>

#include "vars/vars.h"

struct TrendWindowHost {
  HINSTANCE instance;
  HWND owner;               // the read window
  const VariableTable* table;
  int varIndex, element;    // the element shown first (a numeric one)
  HWND* slot;               // holds the window while it exists; cleared when it goes
};

// Opens the window, or brings the open one to the front with the element.
// False when it cannot be made.
bool TrendWindow_Open(const TrendWindowHost& host);
// After a read of the table: the element's value goes into the trend.
void TrendWindow_AfterRead(HWND window);
