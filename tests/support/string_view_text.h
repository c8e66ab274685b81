// A TextView over a std::string that behaves as a Win32 Edit control does for
// the calls the log makes: selections are clamped to the text, replacing the
// selection leaves the caret after the inserted text, and the text limit cuts
// what does not fit.
#pragma once

#include <algorithm>
#include <string>

#include "app/textview.h"

class StringTextView : public TextView {
 public:
  std::string text;
  int selStart = 0, selEnd = 0;
  int limit = 0;
  bool minimised = false;
  int scrolls = 0, invalidations = 0;

  int Length() override { return static_cast<int>(text.size()); }
  void GetSelection(int* start, int* end) override {
    *start = selStart;
    *end = selEnd;
  }
  void SetSelection(int start, int end) override {
    const int n = Length();
    selStart = std::clamp(std::min(start, end), 0, n);
    selEnd = std::clamp(std::max(start, end), 0, n);
  }
  void ReplaceSelection(const char* inserted) override {
    std::string piece = inserted;
    const int kept = Length() - (selEnd - selStart);
    if (limit > 0 && kept + static_cast<int>(piece.size()) > limit)
      piece.resize(static_cast<std::size_t>(std::max(0, limit - kept)));
    text.replace(static_cast<std::size_t>(selStart), static_cast<std::size_t>(selEnd - selStart), piece);
    selStart = selEnd = selStart + static_cast<int>(piece.size());
  }
  void ScrollCaret() override { ++scrolls; }
  void LimitText(int characters) override { limit = characters; }
  bool IsMinimised() override { return minimised; }
  void Invalidate() override { ++invalidations; }
};
