// A list box as the monitor's line sink (app/monitor.h): the read window's
// value list and the variable list dialog's two lists all take their lines
// through it. A changed line is replaced in place, so lines that did not
// change are never touched and the selection and the scroll position stay
// where the user left them; the horizontal extent follows the widest line.
//
// Threads: the thread that owns the list box.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "app/monitor.h"

class ListBoxLines final : public LineSink {
 public:
  ListBoxLines() = default;
  ~ListBoxLines() override;
  ListBoxLines(const ListBoxLines&) = delete;
  ListBoxLines& operator=(const ListBoxLines&) = delete;

  // The list and the font its lines are drawn in (the caller's, which it
  // gives the list itself and deletes after the list has gone).
  void Attach(HWND list, HFONT font);
  HWND List() const { return list_; }

  void Clear() override;
  void Line(int index, const char* text, int length) override;
  // After the lines of one build or refresh: the extent, the selection and
  // the top line put back, and drawing on again.
  void Flush() override;

  // The line the user selected (-1: none); a rewrite of that line selects
  // it again, a rebuild (Clear) starts without one.
  int Selected() const { return selected_; }
  void SetSelected(int line) { selected_ = line; }
  // Shows the selection in the list as well.
  void Select(int line);

 private:
  void Freeze();
  int Measure(const std::wstring& text);
  bool SetExtent();
  void Thaw(bool all);

  HWND list_ = nullptr;
  HFONT font_ = nullptr;
  int advance_ = 0;           // pixels per character when the font has a fixed pitch, else 0
  int extent_ = -1;           // the horizontal extent last given to the list
  int selected_ = -1;
  std::vector<int> widths_;   // pixels, per line
  std::vector<int> written_;  // the lines written since the last flush
  HDC dc_ = nullptr;          // taken for measuring, once per build or refresh
  HGDIOBJ oldFont_ = nullptr;
  bool frozen_ = false;
  bool cleared_ = false;
  bool visible_ = false;
  LRESULT top_ = 0;
};
