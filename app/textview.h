// The little a log pane needs from the control that shows its text: length,
// selection, replacing the selection, scrolling the caret into view, and
// whether the window is minimised. The main window binds it to its Edit
// control, the command line to standard output, tests to a string.
#pragma once

class TextView {
 public:
  virtual ~TextView() = default;
  virtual int Length() = 0;
  virtual void GetSelection(int* start, int* end) = 0;
  virtual void SetSelection(int start, int end) = 0;
  virtual void ReplaceSelection(const char* text) = 0;
  virtual void ScrollCaret() = 0;
  // Most characters the control keeps (0 = no limit of its own).
  virtual void LimitText(int characters) = 0;
  // Whether the window that shows the text is minimised: no repaint, no scroll.
  virtual bool IsMinimised() = 0;
  virtual void Invalidate() = 0;
};
