// An access point library that lacks one of the five entry points: the
// interface is refused with 5 and the library is not kept loaded.
#include <gtest/gtest.h>

#include "s7lib/s7internal.h"

TEST(ScpMissingEntry, InterfaceIsRefusedAndTheLibraryUnloaded) {
  std::int32_t ext = -1;
  EXPECT_EQ(S7_Interface_Init(S7_KIND_S7ONLINE), nullptr);
  EXPECT_EQ(S7_GetLastError(&ext), S7_ERR_LIBRARY_ENTRY);
  EXPECT_EQ(ext, 0);
  EXPECT_FALSE(Scp_IsLoaded());
  S7Interface* tcp = S7_Interface_Init(S7_KIND_TCP);
  EXPECT_NE(tcp, nullptr);
  S7_Interface_Done(tcp);
}
