// A text in a runtime heap block that grows as it is appended to: log entries
// of any length and whole variable table files are built in one.
#include <cstdarg>
#include <cstring>

#include "runtime/runtime.h"
#include "vars/format.h"
#include "vars/heaptext.h"

HeapText::~HeapText() { Rt_Free(data_); }

bool HeapText::Reserve(std::size_t size) {
  if (size <= capacity_) return true;
  std::size_t grown = capacity_ ? capacity_ * 2 : first_;
  while (grown < size) grown *= 2;
  void* block = data_;
  if (!Rt_ReallocInPlace(&block, 0, grown)) return false;
  data_ = static_cast<char*>(block);
  capacity_ = grown;
  return true;
}

void HeapText::Append(const char* bytes, std::size_t n) {
  if (failed_ || !Reserve(length_ + n + 1)) {
    failed_ = true;  // out of memory: the text keeps what it has
    return;
  }
  std::memcpy(data_ + length_, bytes, n);
  length_ += n;
  data_[length_] = '\0';
}

void HeapText::Format(const char* format, ...) {
  // Formatted straight into the free room; a piece that filled it may have
  // been cut, so the room grows and the piece is formatted again: a long
  // piece (a refused file line, a long path) is not cut, up to the engine's
  // own bound for a "%s" without a width (32766 characters).
  for (std::size_t room = 256;; room *= 2) {
    if (failed_ || !Reserve(length_ + room)) {
      failed_ = true;
      return;
    }
    const std::size_t free = capacity_ - length_;
    va_list args;
    va_start(args, format);
    const int n = FormatTextNV(data_ + length_, free, format, args);
    va_end(args);
    if (static_cast<std::size_t>(n) + 1 < free) {
      length_ += static_cast<std::size_t>(n);
      return;
    }
    data_[length_] = '\0';
    room = free;
  }
}

char* HeapText::Take(std::size_t* length) {
  if (length) *length = 0;
  if (failed_ || (!data_ && !Reserve(1))) return nullptr;
  data_[length_] = '\0';
  if (length) *length = length_;
  char* text = data_;
  data_ = nullptr;
  length_ = capacity_ = 0;
  return text;
}
