// Tests of the MPI/PROFIBUS transport run against the stand-in access point,
// loaded under the real library name from this program's own directory (or
// run path). The fixture reaches the stand-in's test exports to inject faults
// and to read the request blocks it received.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/runtime.h"
#include "s7lib/s7internal.h"
#include "s7lib/s7lib.h"

using Block = std::vector<std::uint8_t>;

class ScpTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    lib_ = Plat_LibLoad(kScpLibraryName);
    ASSERT_NE(lib_, nullptr) << "the stand-in " << kScpLibraryName << " is not beside the test";
    control_ = reinterpret_cast<int (*)(const char*)>(Plat_LibSymbol(lib_, "scpstandin_control"));
    block_ = reinterpret_cast<int (*)(int, unsigned char*, int)>(Plat_LibSymbol(lib_, "scpstandin_block"));
    query_ = reinterpret_cast<int (*)(const char*, char*, int)>(Plat_LibSymbol(lib_, "scpstandin_query"));
    ASSERT_TRUE(control_ && block_ && query_);
  }

  void SetUp() override { ASSERT_EQ(Control("reset"), 0); }

  void TearDown() override {
    for (S7Interface*& iface : open_) iface = S7_Interface_Done(iface);
    open_.clear();
  }

  S7Interface* Open(unsigned kind) {
    S7Interface* iface = S7_Interface_Init(kind);
    if (iface) open_.push_back(iface);
    return iface;
  }

  void Close(S7Interface* iface) {
    for (S7Interface*& i : open_)
      if (i == iface) i = S7_Interface_Done(i);
  }

  static int Control(const std::string& command) { return control_(command.c_str()); }

  static std::string Query(const char* what) {
    char out[64] = {};
    query_(what, out, sizeof out);
    return out;
  }

  // The request block received `back` blocks ago (0 = the latest).
  static Block LastBlock(int back = 0) {
    unsigned char out[600];
    int n = block_(back, out, sizeof out);
    return n < 0 ? Block{} : Block(out, out + n);
  }

  static int LastError(std::int32_t* ext = nullptr) {
    std::int32_t dummy = 0;
    return S7_GetLastError(ext ? ext : &dummy);
  }

  static int Le16(const Block& b, std::size_t at) { return b[at] | (b[at + 1] << 8); }

  std::vector<S7Interface*> open_;
  static inline PlatLibrary lib_ = nullptr;
  static inline int (*control_)(const char*) = nullptr;
  static inline int (*block_)(int, unsigned char*, int) = nullptr;
  static inline int (*query_)(const char*, char*, int) = nullptr;
};
