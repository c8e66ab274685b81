// The PLC simulator inside the GUI test program: it finds a free loopback
// address under Wine, and the S7 library reaches it there, as tolvane.exe
// will when the GUI tests drive it.
#include <gtest/gtest.h>

#include "s7lib/s7lib.h"
#include "tools/plcsim/plcsim.h"

namespace {

TEST(GuiPlcSimulator, ListensOnAFreeLoopbackAddress) {
  plcsim::Simulator sim;
  int wsa = 0;
  ASSERT_TRUE(sim.Start(plcsim::Config{}, &wsa)) << "simulator could not listen: " << wsa;
  EXPECT_EQ(sim.Address() & 0xFF, 127u) << sim.AddressText() << " is not a loopback address";

  S7Interface* iface = S7_Interface_Init(S7_KIND_TCP);
  ASSERT_NE(iface, nullptr);
  S7Connection* conn = S7_Connection_Init(iface, "Sim", 1000, sim.Address(), 0, 2, 240);
  ASSERT_NE(conn, nullptr);
  EXPECT_EQ(S7_Connect(conn), S7_OK);
  int state = 0;
  EXPECT_EQ(S7_GetCpuState(conn, &state), S7_OK);
  EXPECT_EQ(state, S7_CPU_RUN);
  S7_Interface_Done(iface);
  sim.Stop();
}

}  // namespace
