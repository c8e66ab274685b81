// The log pane's view on the main window's read-only Edit control. The log's
// code page 1250 characters are one UTF-16 unit each, so the pane's
// character counts are the control's positions.
//
// Threads: only the thread that owns the control (the log pane posts texts
// from other threads to it).
#pragma once

#include <windows.h>

#include "app/textview.h"

class EditView : public TextView {
 public:
  EditView(HWND edit, HWND owner) : edit_(edit), owner_(owner) {}
  int Length() override { return GetWindowTextLengthW(edit_); }
  void GetSelection(int* start, int* end) override;
  void SetSelection(int start, int end) override;
  void ReplaceSelection(const char* text) override;
  void ScrollCaret() override { SendMessageW(edit_, EM_SCROLLCARET, 0, 0); }
  void LimitText(int characters) override { SendMessageW(edit_, EM_SETLIMITTEXT, static_cast<WPARAM>(characters), 0); }
  bool IsMinimised() override;
  void Invalidate() override { InvalidateRect(edit_, nullptr, TRUE); }

 private:
  HWND edit_;
  HWND owner_;
};
