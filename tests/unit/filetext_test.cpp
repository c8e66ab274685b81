// The file layer on real files in a scratch directory: the open modes, the
// Windows error codes on both builds (missing file and directory, a
// directory, short reads, calls on a file that failed to open), seeking,
// sharing where the system enforces it, and loading whole texts.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "res/codepage.h"
#include "runtime/runtime.h"
#include "vars/vars.h"

namespace {

namespace fs = std::filesystem;

#ifdef _WIN32
constexpr char kSep = '\\';
#else
constexpr char kSep = '/';
#endif

class FileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("tolvane-files-" + std::to_string(Plat_ProcessId()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    TakeRuntimeErrors();
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }
  std::string Path(const std::string& name) const { return dir_.string() + kSep + name; }
  void Put(const std::string& name, const std::string& content) const {
    std::ofstream(Path(name), std::ios::binary) << content;
  }
  std::string Content(const std::string& name) const {
    std::ifstream in(Path(name), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  fs::path dir_;
};

// ---------------------------------------------------------------- modes and errors

TEST_F(FileTest, OpenModes) {
  struct Case {
    unsigned mode;
    bool exists;
    std::uint32_t error;
    std::uint64_t size;  // after the open
    const char* after;   // the file's content after writing "XY" at the start, null: write refused
  };
  const Case cases[] = {
      {kFileOpenRead, true, 0, 5, nullptr},
      {kFileOpenRead, false, 2, 0, nullptr},
      {kFileOpenRead | kFileShared, true, 0, 5, nullptr},
      {kFileOpenModify, true, 0, 5, "XYcde"},
      {kFileOpenModify, false, 0, 0, "XY"},
      {kFileOpenCreate, true, 0, 0, "XY"},
      {kFileOpenCreate | kFileShared, false, 0, 0, "XY"},
      {3, true, 87, 0, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "mode " << c.mode << (c.exists ? " existing" : " missing"));
    fs::remove(Path("m.txt"));
    if (c.exists) Put("m.txt", "abcde");
    FileHandle* f = File_Open(Path("m.txt").c_str(), c.mode);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->error, c.error);
    EXPECT_STREQ(f->path, Path("m.txt").c_str());
    if (c.error) {
      EXPECT_EQ(TakeRuntimeErrors(), kRtErrFile | c.error);
      EXPECT_EQ(File_Close(f), c.error);
      continue;
    }
    EXPECT_EQ(File_Size(f), c.size);
    std::size_t written = File_Write(f, "XY", 2);
    if (c.after) {
      EXPECT_EQ(written, 2u);
      EXPECT_EQ(File_Close(f), 0u);
      EXPECT_EQ(Content("m.txt"), c.after);
      EXPECT_EQ(TakeRuntimeErrors(), 0u);
    } else {
      EXPECT_EQ(written, 0u);
      EXPECT_EQ(File_Close(f), 5u);  // access denied, as Windows says it
      EXPECT_EQ(Content("m.txt"), "abcde");
      EXPECT_EQ(TakeRuntimeErrors(), kRtErrFile | 5);
    }
  }
}

TEST_F(FileTest, ErrorCodesOfFailedOpens) {
  fs::create_directories(dir_ / "sub");
  struct Case {
    std::string path;
    unsigned mode;
    std::uint32_t error;
  };
  const Case cases[] = {
      {Path("missing.vat"), kFileOpenRead, 2},
      {Path("nodir") + kSep + "x.vat", kFileOpenRead, 3},
      {Path("nodir") + kSep + "x.vat", kFileOpenCreate, 3},
      {Path("sub"), kFileOpenRead, 5},
      {Path("sub"), kFileOpenModify, 5},
  };
  for (const Case& c : cases) {
    FileHandle* f = File_Open(c.path.c_str(), c.mode);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->error, c.error) << c.path;
    EXPECT_EQ(TakeRuntimeErrors(), kRtErrFile | c.error) << c.path;
    EXPECT_EQ(File_Close(f), c.error) << c.path;
  }
}

TEST_F(FileTest, CallsOnAFileThatFailedToOpen) {
  FileHandle* f = File_Open(Path("missing.vat").c_str(), kFileOpenRead);
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(TakeRuntimeErrors(), kRtErrFile | 2);
  char buffer[4];
  EXPECT_EQ(File_Read(f, buffer, sizeof buffer), 0u);
  EXPECT_EQ(TakeRuntimeErrors(), kRtErrFile | 6);
  EXPECT_EQ(File_Write(f, "x", 1), 0u);
  EXPECT_EQ(File_Seek(f, 0, 0), -1);
  EXPECT_EQ(File_Size(f), 0u);
  EXPECT_EQ(TakeRuntimeErrors(), kRtErrFile | 6);
  EXPECT_EQ(f->error, 2u);  // the first error stays
  EXPECT_EQ(File_Close(f), 2u);
  EXPECT_EQ(File_Close(nullptr), 6u);
}

TEST_F(FileTest, ShortReadSeekAndSize) {
  Put("r.txt", "0123456789");
  FileHandle* f = File_Open(Path("r.txt").c_str(), kFileOpenModify);
  ASSERT_NE(f, nullptr);
  char buffer[32] = {};
  EXPECT_EQ(File_Read(f, buffer, 4), 4u);
  EXPECT_EQ(f->position, 4u);
  EXPECT_EQ(File_Seek(f, -2, 1), 2);
  EXPECT_EQ(File_Read(f, buffer, 2), 2u);
  EXPECT_EQ(std::string(buffer, 2), "23");
  EXPECT_EQ(File_Seek(f, -3, 2), 7);
  EXPECT_EQ(File_Read(f, buffer, 20), 3u);  // only three bytes are left
  EXPECT_EQ(std::string(buffer, 3), "789");
  EXPECT_EQ(f->error, 30u);
  EXPECT_EQ(TakeRuntimeErrors(), kRtErrFile | 30);

  // Writing past the end raises the size.
  EXPECT_EQ(File_Seek(f, 12, 0), 12);
  EXPECT_EQ(File_Write(f, "ab", 2), 2u);
  EXPECT_EQ(File_Size(f), 14u);
  EXPECT_EQ(f->position, 14u);

  EXPECT_EQ(File_Seek(f, -100, 1), -1);
  EXPECT_EQ(TakeRuntimeErrors(), kRtErrFile | 131);
  EXPECT_EQ(File_Seek(f, 0, 7), -1);
  EXPECT_EQ(TakeRuntimeErrors(), kRtErrFile | 87);
  EXPECT_EQ(f->position, 14u);
  EXPECT_EQ(File_Close(f), 30u);  // the first error of the file
  EXPECT_EQ(fs::file_size(Path("r.txt")), 14u);
}

TEST_F(FileTest, Sharing) {
#ifndef _WIN32
  GTEST_SKIP() << "POSIX has no mandatory sharing";
#else
  struct Case {
    unsigned first, second;
    std::uint32_t error;
  };
  const Case cases[] = {
      {kFileOpenModify, kFileOpenRead | kFileShared, 32},          // the writer shares nothing
      {kFileOpenModify | kFileShared, kFileOpenRead | kFileShared, 0},
      {kFileOpenModify | kFileShared, kFileOpenModify | kFileShared, 32},  // a second writer
      {kFileOpenRead | kFileShared, kFileOpenModify | kFileShared, 0},
      {kFileOpenRead | kFileShared, kFileOpenRead, 32},            // a reader that shares nothing
      {kFileOpenRead, kFileOpenRead | kFileShared, 32},
  };
  Put("s.txt", "x");
  for (const Case& c : cases) {
    FileHandle* a = File_Open(Path("s.txt").c_str(), c.first);
    ASSERT_EQ(a->error, 0u);
    FileHandle* b = File_Open(Path("s.txt").c_str(), c.second);
    EXPECT_EQ(b->error, c.error) << c.first << " then " << c.second;
    File_Close(b);
    File_Close(a);
  }
  TakeRuntimeErrors();
#endif
}

TEST_F(FileTest, HungarianFileName) {
  // Code page 1250 bytes: "tábla ő.vat".
  const std::string name = "t\xE1" "bla \xF5.vat";
  FileHandle* f = File_Open(Path(name).c_str(), kFileOpenCreate);
  ASSERT_EQ(f->error, 0u);
  File_Write(f, "[PLC]\r\n", 7);
  EXPECT_EQ(File_Close(f), 0u);
#ifdef _WIN32
  EXPECT_TRUE(fs::exists(dir_ / L"t\u00E1bla \u0151.vat"));
#endif
  std::size_t length = 0;
  char* text = File_LoadText(Path(name).c_str(), 0, kLoadTextCap, &length);
  ASSERT_NE(text, nullptr);
  EXPECT_STREQ(text, "[PLC]\r\n");
  Rt_Free(text);
}

// Every letter of the code page names the file the program's own converter
// says, on both systems: the Windows side does not depend on the system's
// tables for code page 1250 (which map its five undefined bytes otherwise,
// or are missing), the POSIX side names files in UTF-8.
TEST_F(FileTest, EveryCodePageLetterNamesItsFile) {
  for (int byte = 0x80; byte <= 0xFF; ++byte) {
    const std::string name = std::string("c") + static_cast<char>(byte) + ".txt";
    FileHandle* f = File_Open(Path(name).c_str(), kFileOpenCreate);
    ASSERT_EQ(f->error, 0u) << byte;
    EXPECT_EQ(File_Close(f), 0u);
#ifdef _WIN32
    const std::wstring wide = L"c" + std::wstring(1, static_cast<wchar_t>(Cp1250ToUnicode(static_cast<std::uint8_t>(byte)))) + L".txt";
    EXPECT_TRUE(fs::exists(dir_ / wide)) << byte;
#else
    EXPECT_TRUE(fs::exists(dir_ / Utf8FromCp1250(name))) << byte;
#endif
  }
}

// ---------------------------------------------------------------- loading texts

TEST_F(FileTest, LoadTextFlags) {
  struct Case {
    const char* content;  // null: no file
    unsigned flags;
    const char* expected;  // null: no buffer
  };
  const Case cases[] = {
      {"abc", 0, "abc"},
      {"abc", kLoadEnsureLineEnd, "abc\r\n"},
      {"abc\r", kLoadEnsureLineEnd, "abc\r\n"},
      {"abc\n", kLoadEnsureLineEnd, "abc\n\r\n"},
      {"abc\r\n", kLoadEnsureLineEnd, "abc\r\n"},
      {"abc", kLoadSpare, "abc"},
      {"", 0, nullptr},
      {"", kLoadEnsureLineEnd, nullptr},
      {"", kLoadSpare, ""},
      {"", kLoadSpare | kLoadEnsureLineEnd, ""},
      {nullptr, kLoadEnsureLineEnd, nullptr},
      {nullptr, kLoadSpare | kLoadEnsureLineEnd, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << (c.content ? c.content : "(no file)") << " flags " << c.flags);
    fs::remove(Path("t.txt"));
    if (c.content) Put("t.txt", c.content);
    std::size_t length = 99;
    char* text = File_LoadText(Path("t.txt").c_str(), c.flags, 1000, &length);
    EXPECT_EQ(TakeRuntimeErrors(), c.content ? 0u : kRtErrFile | 2);
    if (!c.expected) {
      EXPECT_EQ(text, nullptr);
      EXPECT_EQ(length, 0u);
      continue;
    }
    ASSERT_NE(text, nullptr);
    EXPECT_STREQ(text, c.expected);
    EXPECT_EQ(length, std::strlen(c.expected));
    EXPECT_EQ(Rt_BlockSize(text), length + 1 + ((c.flags & kLoadSpare) ? 1024 : 0));
    Rt_Free(text);
  }
}

TEST_F(FileTest, LoadTextMaximum) {
  Put("t.txt", "abcdef");
  std::size_t length = 0;
  char* text = File_LoadText(Path("t.txt").c_str(), 0, 3, &length);
  ASSERT_NE(text, nullptr);
  EXPECT_STREQ(text, "abc");
  EXPECT_EQ(length, 3u);
  Rt_Free(text);
  text = File_LoadText(Path("t.txt").c_str(), 0, 0, nullptr);
  EXPECT_EQ(text, nullptr);
}

TEST_F(FileTest, LargeTextLoadsWhole) {
  // Far past 64 KiB, with the last section's key at the very end: a loader
  // that stops early loses it or cuts a line.
  std::string content;
  for (int i = 0; content.size() < 300000; ++i)
    content += "[Var" + std::to_string(i) + "]\r\nVar = MW" + std::to_string(i) + ":1 (Word)\r\nName0 = Element\r\n";
  content += "[Last]\r\nName511 = the end";
  Put("big.vat", content);
  std::size_t length = 0;
  char* text = File_LoadText(Path("big.vat").c_str(), kLoadEnsureLineEnd | kLoadSpare, kLoadTextCap, &length);
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(length, content.size() + 2);
  char value[32];
  Ini_GetString(text, "Last", "Name511", value, sizeof value, nullptr);
  EXPECT_STREQ(value, "the end");
  Rt_Free(text);
}

}  // namespace
