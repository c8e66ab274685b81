// The read window's value list: a list box showing the monitor's lines
// (app/monitor.h), built in full once and afterwards rewritten only where a
// value changed, so that the selection and the scroll position stay where
// the user left them. Its horizontal extent follows the widest line.
//
// Threads: the thread that owns the list box (the read window's).
#pragma once

#include <windows.h>

#include <vector>

#include "app/monitor.h"

struct ValueList {
  HWND list = nullptr;
  HFONT font = nullptr;     // the list's font, which the line widths are measured in
  MonitorLines lines{};
  int selected = -1;        // the selected line, -1 for none
  std::vector<int> widths;  // pixels, per line
  std::vector<int> written; // the lines the last build or refresh wrote
  int advance = 0;          // pixels per character when the font has a fixed pitch, else 0
  int extent = -1;          // the horizontal extent last given to the list
};

// Every line; the selection is cleared.
void ValueList_Build(ValueList* values, VariableTable* table);

// The lines whose value changed since they were shown, and the selected line
// as well when forceSelected is set; all lines when the table changed shape.
// When anything was written the selection and the top line are put back.
// Returns the number of lines written.
int ValueList_Refresh(ValueList* values, VariableTable* table, bool forceSelected);
