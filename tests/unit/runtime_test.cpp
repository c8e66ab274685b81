// The runtime and the thread context: heap flags, block and string helpers,
// critical sections, the thread starter's messages, the polling wait and the
// runtime error flags.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <cstring>

#include "app/watchdog.h"
#include "runtime/runtime.h"

namespace {

TEST(RuntimeHeap, SizeZeroDependsOnFlag2) {
  TakeRuntimeErrors();
  EXPECT_EQ(Rt_Alloc(0, 0), nullptr);
  EXPECT_EQ(TakeRuntimeErrors(), 0u) << "an empty request is not an allocation failure";
  void* one = Rt_Alloc(kRtAllowEmpty, 0);
  ASSERT_NE(one, nullptr);
  EXPECT_EQ(Rt_BlockSize(one), 1u);
  Rt_Free(one);
}

TEST(RuntimeHeap, ZeroFlagClearsAndReallocZeroesGrowth) {
  auto* p = static_cast<unsigned char*>(Rt_Alloc(kRtZero, 64));
  ASSERT_NE(p, nullptr);
  for (int i = 0; i < 64; ++i) ASSERT_EQ(p[i], 0);
  std::memset(p, 0xAB, 64);
  p = static_cast<unsigned char*>(Rt_Realloc(p, kRtZero, 4096));
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(Rt_BlockSize(p), 4096u);
  EXPECT_EQ(p[63], 0xAB);
  for (int i = 64; i < 4096; ++i) ASSERT_EQ(p[i], 0) << i;
  Rt_Free(p);
}

TEST(RuntimeHeap, ReallocToZeroReleasesUnlessFlag2) {
  void* p = Rt_Alloc(0, 16);
  EXPECT_EQ(Rt_Realloc(p, 0, 0), nullptr);  // released; ASan would catch a leak or double free
  void* q = Rt_Realloc(nullptr, 0, 8);     // a null block allocates
  ASSERT_NE(q, nullptr);
  q = Rt_Realloc(q, kRtAllowEmpty, 0);
  ASSERT_NE(q, nullptr);
  EXPECT_EQ(Rt_BlockSize(q), 1u);
  Rt_Free(q);
}

TEST(RuntimeHeap, ReallocInPlaceUpdatesThePointer) {
  void* p = Rt_Alloc(0, 8);
  EXPECT_EQ(Rt_ReallocInPlace(&p, 0, 100), 1);
  EXPECT_EQ(Rt_BlockSize(p), 100u);
  EXPECT_EQ(Rt_ReallocInPlace(&p, 0, 0), 1);
  EXPECT_EQ(p, nullptr);
  EXPECT_EQ(Rt_ReallocInPlace(nullptr, 0, 10), 0);
}

TEST(RuntimeHeap, FailedAllocationSetsTheFlagAndKeepsTheBlock) {
  TakeRuntimeErrors();
  void* p = Rt_Alloc(0, 16);
  ASSERT_NE(p, nullptr);
  const std::size_t huge = static_cast<std::size_t>(1) << 62;
  EXPECT_EQ(Rt_Alloc(0, huge), nullptr);
  EXPECT_EQ(TakeRuntimeErrors(), kRtErrOutOfMemory);
  EXPECT_EQ(Rt_Realloc(p, 0, huge), nullptr);
  EXPECT_EQ(TakeRuntimeErrors(), kRtErrOutOfMemory);
  EXPECT_EQ(Rt_BlockSize(p), 16u) << "the old block stays valid";
  Rt_Free(p);
  Rt_Free(nullptr);
  EXPECT_EQ(Rt_BlockSize(nullptr), 0u);
}

TEST(RuntimeBlocks, BoundedCopyAndNulls) {
  char out[8];
  std::memset(out, 'x', sizeof out);
  struct Case {
    const char* source;
    std::size_t capacity;
    std::size_t copied;
    const char* text;
  } cases[] = {
      {"abc", 8, 3, "abc"}, {"abcdefghij", 8, 7, "abcdefg"}, {"abc", 1, 0, ""}, {nullptr, 8, 0, ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Rt_StrCopyN(out, c.source, c.capacity), c.copied);
    EXPECT_STREQ(out, c.text);
  }
  out[0] = 'q';
  EXPECT_EQ(Rt_StrCopyN(out, "abc", 0), 0u);
  EXPECT_EQ(out[0], 'q') << "capacity 0 writes nothing";
  EXPECT_EQ(Rt_StrCopyN(nullptr, "abc", 8), 0u);
  EXPECT_EQ(Rt_StrLen(nullptr), 0u);
  EXPECT_EQ(Rt_StrLen("four"), 4u);

  char overlap[] = "abcdef";
  Rt_Copy(overlap + 1, overlap, 4);
  EXPECT_STREQ(overlap, "aabcdf");
  Rt_Copy(nullptr, overlap, 3);  // ignored
  Rt_Zero(nullptr, 5);           // ignored
  Rt_Fill(overlap, 2, 'z');
  EXPECT_STREQ(overlap, "zzbcdf");
}

TEST(RuntimeSections, NumbersOutsideTheSetAreIgnored) {
  Rt_EnterSection(25);
  Rt_LeaveSection(25);
  EXPECT_EQ(Rt_TryEnterSection(25), 0);
  EXPECT_EQ(Rt_TryEnterSection(-1), 0);
  ASSERT_EQ(Rt_TryEnterSection(7), 1);
  EXPECT_EQ(Rt_TryEnterSection(7), 1) << "sections are recursive for their owner";
  Rt_LeaveSection(7);
  Rt_LeaveSection(7);
}

// ---------------------------------------------------------------- thread context

TEST(ThreadContextFlags, FirstCodeInTheLowBitsIsKept) {
  struct Case {
    std::uint32_t first, second, expected;
  } cases[] = {
      {0x01000000, 0x04000000, 0x05000000},
      {0x00000003, 0x00000005, 0x00000003},
      {0x02000003, 0x02000006, 0x02000003},
      {0x02000003, 0x01000000, 0x03000003},
      {0x01000000, 0x02000006, 0x03000006},
  };
  for (const Case& c : cases) {
    TakeRuntimeErrors();
    SetRuntimeErrors(c.first);
    SetRuntimeErrors(c.second);
    EXPECT_EQ(TakeRuntimeErrors(), c.expected) << std::hex << c.first << " then " << c.second;
    EXPECT_EQ(TakeRuntimeErrors(), 0u) << "taking clears the word";
  }
}

TEST(ThreadContextFlags, MainRecordHasItsIdentity) {
  ThreadContext* tc = CurrentThreadContext();
  EXPECT_EQ(tc->threadId, Plat_ProcessId());
  EXPECT_EQ(tc->threadHandle, ProcessPseudoHandle());
  EXPECT_EQ(tc->sequence, 0u);
  EXPECT_EQ(tc->localeWord, kDefaultLocaleWord);
}

TEST(ThreadContextFlags, LookupKeepsTheSystemLastError) {
  Plat_SetLastError(1234);
  CurrentThreadContext();
  EXPECT_EQ(Plat_LastError(), 1234u);
}

// ---------------------------------------------------------------- threads

struct MainWindowScope {
  PlatWindow window = Plat_CreateMessageWindow();
  MainWindowScope() { Rt_SetMainWindow(window); }
  ~MainWindowScope() {
    Rt_SetMainWindow(nullptr);
    Plat_DestroyMessageWindow(window);
  }
  PlatMessage Next() {
    PlatMessage m{};
    EXPECT_TRUE(Plat_TakeMessage(window, &m, 5000));
    return m;
  }
};

int ReturnSeven(void*) { return 7; }

TEST(RuntimeThreads, StartAndEndArePostedWithTheSequenceNumber) {
  MainWindowScope main;
  PlatThread t = StartThread(ReturnSeven, nullptr);
  ASSERT_NE(t, nullptr);
  int code = 0;
  ASSERT_EQ(Plat_WaitThread(t, 5000, &code), 1);
  EXPECT_EQ(code, 7);
  Rt_CloseThread(t);
  PlatMessage start = main.Next();
  PlatMessage end = main.Next();
  EXPECT_EQ(start.message, kWmThreadStarting);
  EXPECT_EQ(start.wParam, 0u);
  EXPECT_EQ(end.message, kWmThreadEnded);
  EXPECT_EQ(end.wParam, 7u);
  EXPECT_EQ(end.lParam, start.lParam);
  EXPECT_GT(start.lParam, 0);

  PlatThread second = StartThread(ReturnSeven, nullptr);
  ASSERT_NE(second, nullptr);
  Plat_WaitThread(second, 5000, nullptr);
  Rt_CloseThread(second);
  EXPECT_EQ(main.Next().lParam, start.lParam + 1) << "sequence numbers count up";
}

TEST(RuntimeThreads, NoRoutineFailsWithMinusOne) {
  MainWindowScope main;
  EXPECT_EQ(StartThread(nullptr, nullptr), nullptr);
  PlatMessage start = main.Next();
  PlatMessage end = main.Next();
  EXPECT_EQ(end.message, kWmThreadEnded);
  EXPECT_EQ(static_cast<int>(end.wParam), -1);
  EXPECT_EQ(end.lParam, start.lParam);
}

struct WorkerView {
  std::uint32_t threadId;
  void* handle;
  std::uint32_t sequence;
  std::uint32_t locale;
  std::uint32_t libError;
};

int InspectOwnRecord(void* arg) {
  auto* view = static_cast<WorkerView*>(arg);
  ThreadContext* tc = CurrentThreadContext();
  *view = WorkerView{tc->threadId, tc->threadHandle, tc->sequence, tc->localeWord, tc->libError};
  tc->libError = 99;  // must not be seen by the main thread
  return 0;
}

TEST(RuntimeThreads, EachThreadHasItsOwnRecord) {
  CurrentThreadContext()->libError = 3;
  WorkerView view{};
  std::uint32_t tid = 0, sequence = 0;
  PlatThread t = StartThread(InspectOwnRecord, &view, {.threadId = &tid, .sequence = &sequence});
  ASSERT_NE(t, nullptr);
  ASSERT_EQ(Plat_WaitThread(t, 5000, nullptr), 1);
  EXPECT_EQ(view.threadId, tid);
  EXPECT_EQ(view.handle, t) << "the handle is in the record before the thread runs";
  EXPECT_GT(view.sequence, 0u);
  EXPECT_EQ(view.sequence, sequence) << "the starter says which sequence number the thread's messages carry";
  EXPECT_EQ(view.locale, kDefaultLocaleWord);
  EXPECT_EQ(view.libError, 0u);
  EXPECT_EQ(CurrentThreadContext()->libError, 3u);
  Rt_CloseThread(t);
}

int Throws(void*) { throw 42; }

TEST(RuntimeThreads, AnEscapingExceptionEndsOnlyThatThread) {
  PlatThread t = StartThread(Throws, nullptr);
  ASSERT_NE(t, nullptr);
  int code = 0;
  ASSERT_EQ(Plat_WaitThread(t, 5000, &code), 1);
  EXPECT_EQ(static_cast<std::uint32_t>(code), 0xE06D7363u);
  Rt_CloseThread(t);
}

int SetFlag(void* arg) {
  static_cast<std::atomic<int>*>(arg)->store(1);
  return 0;
}

TEST(RuntimeThreads, SuspendedThreadRunsOnlyWhenResumed) {
  std::atomic<int> ran{0};
  PlatThread t = StartThread(SetFlag, &ran, {.suspended = true});
  ASSERT_NE(t, nullptr);
  Plat_Sleep(50);
  EXPECT_EQ(ran.load(), 0);
  Rt_ResumeThread(t);
  ASSERT_EQ(Plat_WaitThread(t, 5000, nullptr), 1);
  EXPECT_EQ(ran.load(), 1);
  Rt_CloseThread(t);
}

// ---------------------------------------------------------------- polling wait

struct ClearLater {
  void* volatile* watched;
  std::uint32_t delayMs;
};

int ClearAfterDelay(void* arg) {
  auto* c = static_cast<ClearLater*>(arg);
  Plat_Sleep(c->delayMs);
  __atomic_store_n(c->watched, nullptr, __ATOMIC_RELEASE);
  return 0;
}

TEST(RuntimeWait, ReturnsWhenAnotherThreadClearsTheValue) {
  int token = 0;
  void* watched = &token;
  ClearLater c{&watched, 100};
  PlatThread t = StartThread(ClearAfterDelay, &c);
  std::uint32_t start = Plat_TickCount();
  WaitUntilCleared(&watched, 10000);
  std::uint32_t spent = Plat_TickCount() - start;
  EXPECT_EQ(watched, nullptr);
  EXPECT_LT(spent, 2000u);
  EXPECT_EQ(CurrentThreadContext()->waitingFlag, 0u);
  Plat_WaitThread(t, 5000, nullptr);
  Rt_CloseThread(t);
}

TEST(RuntimeWait, TimesOutWhenTheValueStaysSet) {
  int token = 0;
  void* watched = &token;
  std::uint32_t start = Plat_TickCount();
  WaitUntilCleared(&watched, 300);
  std::uint32_t spent = Plat_TickCount() - start;
  EXPECT_GE(spent, 300u);
  EXPECT_LT(spent, 3000u);
}

#ifndef _WIN32
TEST(RuntimeDeathTest, ThreadWithoutContextEndsTheProcessWithFive) {
  EXPECT_EXIT(
      {
        PlatThread t = Plat_StartThread(
            [](void*) -> unsigned {
              CurrentThreadContext();
              return 0;
            },
            nullptr, 0, false, nullptr);
        Plat_WaitThread(t, -1, nullptr);
      },
      ::testing::ExitedWithCode(5), "");
}

TEST(RuntimeDeathTest, FatalExitEndsWithItsCode) {
  EXPECT_EXIT(Rt_FatalExit(42), ::testing::ExitedWithCode(42), "");
}
#endif

}  // namespace

namespace {

// How an exit code of −1 reads back: the whole 32 bits on Windows, the low
// byte elsewhere.
#ifdef _WIN32
constexpr int kMinusOneExit = -1;
#else
constexpr int kMinusOneExit = 255;
#endif

TEST(WatchdogDeathTest, EndsAHungShutdownWithMinusOne) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        Watchdog_Start(100);
        Plat_Sleep(5000);  // the interface hangs
        Watchdog_Stop();
        std::_Exit(0);
      },
      ::testing::ExitedWithCode(kMinusOneExit), "");
}

TEST(Watchdog, StoppedInTimeEndsNothing) {
  const std::uint32_t start = Plat_TickCount();
  Watchdog_Start(10000);
  Watchdog_Stop();
  EXPECT_LT(Plat_TickCount() - start, 1000u) << "the stop does not wait out the limit";
}

}  // namespace
