// Every test program starts the runtime first, as Tolvane's own programs do:
// the library and the helpers need the main thread's ThreadContext.
#include <gtest/gtest.h>

#include "runtime/runtime.h"

int main(int argc, char** argv) {
  if (int rc = Rt_Init()) return rc;
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
