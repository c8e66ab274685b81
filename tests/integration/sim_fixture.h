// A simulated PLC per test on its own loopback address, and the TCP
// interface the library talks to it through.
#pragma once

#include <gtest/gtest.h>

#include "runtime/runtime.h"
#include "s7lib/s7internal.h"
#include "s7lib/s7lib.h"
#include "tools/plcsim/plcsim.h"

class SimTest : public ::testing::Test {
 protected:
  void SetUp() override { StartSim(plcsim::Config{}); }

  void StartSim(const plcsim::Config& config) {
    sim_.Stop();
    int wsa = 0;
    ASSERT_TRUE(sim_.Start(config, &wsa)) << "simulator could not listen: " << wsa;
    if (!iface_) iface_ = S7_Interface_Init(S7_KIND_TCP);
    ASSERT_NE(iface_, nullptr) << "error " << S7_GetLastError(nullptr);
  }

  void TearDown() override {
    iface_ = S7_Interface_Done(iface_);
    sim_.Stop();
  }

  S7Connection* Connect(const char* name = "PLC", int timeoutMs = 1000, int rack = 0, int slot = 2) {
    return S7_Connection_Init(iface_, name, timeoutMs, sim_.Address(), rack, slot, 240);
  }

  static int LastError(std::int32_t* ext = nullptr) {
    std::int32_t dummy = 0;
    return S7_GetLastError(ext ? ext : &dummy);
  }

  // Runs one setup-communication request on a connected connection: the
  // smallest exchange the simulator always answers.
  static int ExchangeOnce(S7Connection* conn) {
    int rc = S7_BeginPdu(conn, 1, 0xF0, 0, 1);
    return rc != S7_OK ? rc : S7_Exchange(conn);
  }

  // The simulator counts on its own threads; give it a moment to catch up.
  template <typename Pred>
  static bool Eventually(Pred pred) {
    for (int i = 0; i < 300; ++i) {
      if (pred()) return true;
      Plat_Sleep(10);
    }
    return pred();
  }

  plcsim::Simulator sim_;
  S7Interface* iface_ = nullptr;
};
