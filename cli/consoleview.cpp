// Printing the log. In UTF-8 mode the line ends are the platform's own (the
// log's CR LF becomes LF on Linux); --raw prints the log's bytes unchanged.
#include "cli/consoleview.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "res/codepage.h"

void ConsoleView::SetSelection(int start, int end) {
  start_ = std::clamp(std::min(start, end), 0, length_);
  end_ = std::clamp(std::max(start, end), 0, length_);
}

void ConsoleView::ReplaceSelection(const char* text) {
  const int n = static_cast<int>(std::strlen(text));
  // Appends go out at once; a cut at the head only shortens the count.
  if (n > 0 && end_ == length_) Print(text);
  length_ = length_ - (end_ - start_) + n;
  start_ = end_ = start_ + n;
}

void ConsoleView::Print(const char* text) {
  if (raw_) {
    std::fwrite(text, 1, std::strlen(text), out_);
  } else {
    std::string utf8 = Utf8FromCp1250(text, std::strlen(text));
#ifndef _WIN32
    std::string::size_type at = 0;
    while ((at = utf8.find("\r\n", at)) != std::string::npos) utf8.erase(at, 1);
#endif
    std::fwrite(utf8.data(), 1, utf8.size(), out_);
  }
  std::fflush(out_);
}
