// The appender's queue and its writer thread. Two batches take turns: the
// callers fill one while the writer writes the other in a single call, so a
// caller holds the lock only for a copy, and a fast caller (the wire trace)
// costs one system call per batch instead of one per record.
#include "runtime/appender.h"

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <new>
#include <utility>

#include "runtime/runtime.h"

namespace {

// Record boundaries a batch remembers; a batch with this many records waits
// for the writer like a full one.
constexpr std::size_t kMaxRecords = 16384;

struct Batch {
  std::uint8_t* data = nullptr;
  std::size_t bytes = 0;
  std::uint32_t* ends = nullptr;  // end offset of each record in data
  std::size_t count = 0;
};

}  // namespace

struct Appender {
  PlatFile file = kNoFile;
  std::size_t capacity = 0;
  int wakeAfterMs = 0;
  std::mutex lock;
  std::condition_variable wake;
  Batch queue;                  // filled by the callers, under lock
  Batch batch;                  // written by the writer, outside the lock
  bool urgent = false;          // the queue is half full: write it now
  bool closing = false;
  std::atomic<std::uint32_t> failure{0};
  std::atomic<std::uint64_t> written{0};
  PlatThread writer = nullptr;
};

namespace {

bool AllocateBatch(Batch* b, std::size_t capacity) {
  b->data = static_cast<std::uint8_t*>(Rt_Alloc(0, capacity));
  b->ends = static_cast<std::uint32_t*>(Rt_Alloc(0, kMaxRecords * sizeof(std::uint32_t)));
  return b->data && b->ends;
}

void FreeBatch(Batch* b) {
  Rt_Free(b->data);
  Rt_Free(b->ends);
}

// Writes the batch in one call. A write cut short is taken back to the last
// whole record, so that what the file holds stays readable.
std::uint32_t WriteBatch(Appender* a) {
  Batch& b = a->batch;
  std::size_t done = 0;
  std::uint32_t rc = Plat_FileWrite(a->file, b.data, b.bytes, &done);
  const std::uint64_t base = a->written.load();
  if (rc == 0 && done == b.bytes) {
    a->written.store(base + done);
    b.bytes = b.count = 0;
    // A log nobody can find any more is a failure too, though every write
    // still succeeds (POSIX keeps a removed file's data until it is closed).
    return Plat_FileRemoved(a->file) ? kWinErrFileNotFound : 0;
  }
  std::size_t whole = 0;
  for (std::size_t i = 0; i < b.count && b.ends[i] <= done; ++i) whole = b.ends[i];
  if (whole < done) Plat_FileTruncate(a->file, base + whole);
  a->written.store(base + whole);
  b.bytes = b.count = 0;
  return rc != 0 ? rc : kWinErrWriteFault;
}

bool WriterMayGo(const Appender* a) {
  if (a->closing || a->failure.load() != 0) return true;
  return a->wakeAfterMs == 0 ? a->queue.count > 0 : a->urgent;
}

int WriterMain(void* argument) {
  auto* a = static_cast<Appender*>(argument);
  std::unique_lock<std::mutex> held(a->lock);
  for (;;) {
    if (a->wakeAfterMs == 0)
      a->wake.wait(held, [a] { return WriterMayGo(a); });
    else
      a->wake.wait_for(held, std::chrono::milliseconds(a->wakeAfterMs), [a] { return WriterMayGo(a); });
    const bool last = a->closing || a->failure.load() != 0;
    if (a->queue.count > 0) {
      std::swap(a->queue, a->batch);
      a->urgent = false;
      held.unlock();
      const std::uint32_t rc = WriteBatch(a);
      held.lock();
      if (rc != 0) {
        std::uint32_t none = 0;
        a->failure.compare_exchange_strong(none, rc);
        return 0;
      }
      if (a->queue.count > 0) continue;  // more came meanwhile: write it before ending
    }
    if (last) return 0;
  }
}

}  // namespace

Appender* Appender_Open(const char* path, const AppenderOptions& options, std::uint32_t* error) {
  auto* a = new (std::nothrow) Appender;
  if (!a) {
    *error = kWinErrNotEnoughMemory;
    return nullptr;
  }
  a->capacity = options.capacity;
  a->wakeAfterMs = options.wakeAfterMs;
  if (!AllocateBatch(&a->queue, a->capacity) || !AllocateBatch(&a->batch, a->capacity)) {
    *error = kWinErrNotEnoughMemory;
    FreeBatch(&a->queue);
    FreeBatch(&a->batch);
    delete a;
    return nullptr;
  }
  a->file = Plat_FileOpen(path, PlatFileAccess::ReadWrite, PlatFileCreate::CreateAlways,
                         kPlatShareRead | kPlatShareWrite, error);
  if (a->file != kNoFile) a->writer = StartThread(WriterMain, a);
  if (!a->writer) {
    if (a->file != kNoFile) {
      Plat_FileClose(a->file);
      *error = kWinErrNotEnoughMemory;
    }
    FreeBatch(&a->queue);
    FreeBatch(&a->batch);
    delete a;
    return nullptr;
  }
  *error = 0;
  return a;
}

bool Appender_Append(Appender* a, const void* record, std::size_t length) {
  bool queued = false, wake = false;
  {
    std::lock_guard<std::mutex> held(a->lock);
    if (a->failure.load() != 0) return false;
    Batch& q = a->queue;
    if (length > a->capacity - q.bytes || q.count == kMaxRecords) {
      // Never wait for the disk here: the caller is reading a PLC.
      a->failure.store(kAppendBacklog);
      wake = true;
    } else {
      Rt_Copy(q.data + q.bytes, record, length);
      q.bytes += length;
      q.ends[q.count++] = static_cast<std::uint32_t>(q.bytes);
      queued = true;
      if (a->wakeAfterMs == 0) {
        wake = true;
      } else if (!a->urgent && (q.bytes > a->capacity / 2 || q.count > kMaxRecords / 2)) {
        a->urgent = true;
        wake = true;
      }
    }
  }
  // Woken after the lock is let go, the writer does not at once wait for it.
  if (wake) a->wake.notify_one();
  return queued;
}

std::uint32_t Appender_Failure(Appender* a) { return a->failure.load(); }

std::uint64_t Appender_Written(Appender* a) { return a->written.load(); }

std::uint32_t Appender_Close(Appender* a) {
  {
    std::lock_guard<std::mutex> held(a->lock);
    a->closing = true;
    a->wake.notify_one();
  }
  Plat_WaitThread(a->writer, -1, nullptr);
  Rt_CloseThread(a->writer);
  const std::uint32_t closed = Plat_FileClose(a->file);
  std::uint32_t failure = a->failure.load();
  if (failure == 0) failure = closed;
  FreeBatch(&a->queue);
  FreeBatch(&a->batch);
  delete a;
  return failure;
}
