// The appender that the wire trace and the value log write through: records
// from several threads reach the file whole and each thread's in order, a
// full queue ends the writing without losing what was queued before, and a
// write the system cuts short leaves the file on a whole record.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "runtime/appender.h"
#include "runtime/runtime.h"

#ifndef _WIN32
#include <signal.h>
#include <sys/resource.h>
#endif

namespace {

namespace fs = std::filesystem;

class AppenderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("tolvane-appender-" + std::to_string(Plat_ProcessId()));
    fs::create_directories(dir_);
    path_ = (dir_ / "out.txt").string();
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }
  std::string Contents() const {
    std::ifstream in(path_, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  fs::path dir_;
  std::string path_;
};

struct Producer {
  Appender* out;
  int id;
};

constexpr int kRecordsPerProducer = 2000;

int Produce(void* argument) {
  auto* p = static_cast<Producer*>(argument);
  for (int n = 0; n < kRecordsPerProducer; ++n) {
    // Lengths vary so that batches end anywhere within a record.
    const std::string record = std::to_string(p->id) + ":" + std::to_string(n) + ":" +
                               std::string(static_cast<std::size_t>(n % 37), 'x') + "\n";
    if (!Appender_Append(p->out, record.data(), record.size())) return 1;
  }
  return 0;
}

TEST_F(AppenderTest, RecordsFromSeveralThreadsArriveWholeAndEachThreadsInOrder) {
  for (int wake : {0, 20}) {
    std::uint32_t error = 1;
    Appender* out = Appender_Open(path_.c_str(), {.capacity = 1u << 20, .wakeAfterMs = wake}, &error);
    ASSERT_NE(out, nullptr) << error;
    Producer producers[4] = {{out, 0}, {out, 1}, {out, 2}, {out, 3}};
    PlatThread threads[4];
    for (int i = 0; i < 4; ++i) threads[i] = StartThread(Produce, &producers[i]);
    for (PlatThread t : threads) {
      int exit = -1;
      Plat_WaitThread(t, -1, &exit);
      Rt_CloseThread(t);
      EXPECT_EQ(exit, 0) << "wake " << wake;
    }
    const std::uint64_t queued = Appender_Written(out);
    EXPECT_EQ(Appender_Close(out), 0u);
    const std::string text = Contents();
    EXPECT_LE(queued, text.size());
    int next[4] = {0, 0, 0, 0};
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
      int id = -1, n = -1;
      char tail[64] = {};
      ASSERT_EQ(std::sscanf(line.c_str(), "%d:%d:%63s", &id, &n, tail) >= 2, true) << line;
      ASSERT_TRUE(id >= 0 && id < 4) << line;
      EXPECT_EQ(n, next[id]) << "wake " << wake << ": " << line;
      EXPECT_EQ(line.size() - line.find_last_of(':') - 1, static_cast<std::size_t>(n % 37)) << line;
      next[id] = n + 1;
    }
    for (int id = 0; id < 4; ++id) EXPECT_EQ(next[id], kRecordsPerProducer) << "wake " << wake;
  }
}

TEST_F(AppenderTest, AFullQueueEndsTheWritingAndKeepsWhatCameBefore) {
  std::uint32_t error = 1;
  Appender* out = Appender_Open(path_.c_str(), {.capacity = 64, .wakeAfterMs = 60000}, &error);
  ASSERT_NE(out, nullptr);
  EXPECT_TRUE(Appender_Append(out, "first row\n", 10));
  const std::string big(100, 'b');
  EXPECT_FALSE(Appender_Append(out, big.data(), big.size()));
  EXPECT_EQ(Appender_Failure(out), kAppendBacklog);
  EXPECT_FALSE(Appender_Append(out, "late\n", 5)) << "nothing after the failure";
  EXPECT_EQ(Appender_Close(out), kAppendBacklog);
  EXPECT_EQ(Contents(), "first row\n");
}

TEST_F(AppenderTest, AFileThatCannotBeMadeIsToldAtOnce) {
  std::uint32_t error = 0;
  const std::string nowhere = (dir_ / "missing" / "out.txt").string();
  EXPECT_EQ(Appender_Open(nowhere.c_str(), {}, &error), nullptr);
  EXPECT_EQ(error, kWinErrPathNotFound);
}

#ifndef _WIN32
// Real failures of the system: /dev/full refuses every write as a full disk
// does, and a file size limit cuts a write short in the middle of a record,
// as a disk that fills up does.
TEST_F(AppenderTest, AWriteTheSystemRefusesOrCutsShortLeavesWholeRecords) {
  struct Case {
    const char* path;
    rlim_t limit;
    std::uint32_t error;
    std::size_t kept;
  } cases[] = {{"/dev/full", RLIM_INFINITY, kWinErrDiskFull, 0}, {nullptr, 1000, 223, 15 * 64}};
  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  void (*savedHandler)(int) = signal(SIGXFSZ, SIG_IGN);
  for (const Case& c : cases) {
    rlimit limit = saved;
    limit.rlim_cur = c.limit;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
    std::uint32_t error = 1;
    Appender* out = Appender_Open(c.path ? c.path : path_.c_str(), {}, &error);
    ASSERT_NE(out, nullptr) << error;
    const std::string record = std::string(63, 'r') + "\n";
    for (int i = 0; i < 40 && Appender_Append(out, record.data(), record.size()); ++i) Plat_Sleep(1);
    const std::uint32_t failure = Appender_Close(out);
    setrlimit(RLIMIT_FSIZE, &saved);
    EXPECT_EQ(failure, c.error);
    if (!c.path) {
      EXPECT_EQ(Contents().size(), c.kept);
    }
  }
  signal(SIGXFSZ, savedHandler);
}
#endif

}  // namespace
