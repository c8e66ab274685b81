// A growing text in a runtime heap block, for texts whose length nothing
// bounds. A record serves one thread at a time; what Take hands over is the
// caller's to Rt_Free.
#pragma once

#include <cstddef>

// A text in a runtime heap block that grows as it is appended to, for texts
// whose length nothing bounds (log entries with many detail lines, whole
// files). A growth that fails marks it failed: Take then gives null.
class HeapText {
 public:
  explicit HeapText(std::size_t firstCapacity = 512) : first_(firstCapacity ? firstCapacity : 1) {}
  ~HeapText();
  HeapText(const HeapText&) = delete;
  HeapText& operator=(const HeapText&) = delete;

  void Append(const char* bytes, std::size_t n);
  // Formats one piece, of any length, and appends it.
  void Format(const char* format, ...);
  const char* Text() const { return data_ ? data_ : ""; }
  std::size_t Length() const { return length_; }
  // Empties the text and keeps its block, for a text built again and again.
  void Clear() {
    length_ = 0;
    if (data_) data_[0] = '\0';
  }
  // A growth failed (out of memory): the text is cut.
  bool Failed() const { return failed_; }
  // Hands the zero-terminated block over (Rt_Free it); the text is empty
  // afterwards.
  char* Take(std::size_t* length);

 private:
  bool Reserve(std::size_t size);
  char* data_ = nullptr;
  std::size_t length_ = 0, capacity_ = 0, first_;
  bool failed_ = false;
};
