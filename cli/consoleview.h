// The log pane's text view on standard output: what the main window's log
// would show, printed as it is appended, in UTF-8 (or the raw code page 1250
// bytes). Text the pane cuts from the head of its log has long been printed;
// the view only keeps the count the pane expects.
#pragma once

#include <cstdio>

#include "app/textview.h"

class ConsoleView : public TextView {
 public:
  ConsoleView(std::FILE* out, bool raw) : out_(out), raw_(raw) {}
  int Length() override { return length_; }
  void GetSelection(int* start, int* end) override {
    *start = start_;
    *end = end_;
  }
  void SetSelection(int start, int end) override;
  void ReplaceSelection(const char* text) override;
  void ScrollCaret() override {}
  void LimitText(int) override {}
  bool IsMinimised() override { return false; }
  void Invalidate() override {}

  // Prints program text (code page 1250) the way the log's text is printed.
  void Print(const char* text);

 private:
  std::FILE* out_;
  bool raw_;
  int length_ = 0, start_ = 0, end_ = 0;
};
