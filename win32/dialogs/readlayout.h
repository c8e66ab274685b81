// How the read window keeps its shape when resized: the margins and distances
// of its template are measured once, and every new size places the controls
// by them. Also the smallest size the window may be given.
//
// Threads: the read window's.
#pragma once

#include <windows.h>

// A row of three controls under the list: the first at the left margin, the
// second right after it, the third at the right margin, each keeping its
// distance from the bottom edge.
struct ReadLayoutRow {
  int bottom[3] = {};  // from the top of each control to the client's bottom
  int width[3] = {};
  int gap = 0;         // between the first and the second
};

struct ReadLayout {
  bool recorded = false;
  int left = 0, top = 0, right = 0;  // the value list's margins
  int listBottom = 0;                // from the list's bottom edge to the client's
  ReadLayoutRow rows[2];             // the recordings (log, changed only, trend); refresh, interval, hide
  int reconnectBottom = 0;           // the reconnect box, at the left margin below the rows
  int separatorBottom = 0, separatorHeight = 0;
  int closeBottom = 0, closeWidth = 0;
  SIZE minimum{};                    // window size, frame included
};

// Measures the controls as the template placed them.
void ReadLayout_Record(ReadLayout* layout, HWND dialog);
// Places the controls for a client area of width × height.
void ReadLayout_Apply(const ReadLayout* layout, HWND dialog, int width, int height);
// The smallest tracking size, once recorded.
void ReadLayout_MinMax(const ReadLayout* layout, MINMAXINFO* info);
