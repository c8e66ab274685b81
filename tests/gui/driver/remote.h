// A block of memory inside a driven program, for the control messages whose
// parameter points at a structure (status bar texts, date pickers, IPv4
// fields): the system carries no such pointer across processes, so the
// message gets the block's address there and the test reads it back.
#pragma once

#include <windows.h>

#include <cstddef>

namespace gui {

// Released together with the handle on the process.
class RemoteBuffer {
 public:
  RemoteBuffer(DWORD pid, std::size_t size) : size_(size) {
    process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (process_) address_ = VirtualAllocEx(process_, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  }
  ~RemoteBuffer() {
    if (address_) VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
    if (process_) CloseHandle(process_);
  }
  RemoteBuffer(const RemoteBuffer&) = delete;
  RemoteBuffer& operator=(const RemoteBuffer&) = delete;

  void* Address() const { return address_; }
  bool Read(void* out, std::size_t n) const {
    SIZE_T got = 0;
    return n <= size_ && ReadProcessMemory(process_, address_, out, n, &got) && got == n;
  }

 private:
  HANDLE process_ = nullptr;
  void* address_ = nullptr;
  std::size_t size_;
};

}  // namespace gui
