// The simulator and the TCP interface a benchmark program's runs share:
// started once, on first use, so that each run measures exchanges only.
#pragma once

#include "runtime/runtime.h"
#include "s7lib/s7lib.h"
#include "tools/plcsim/plcsim.h"

struct SimBench {
  plcsim::Simulator sim;
  S7Interface* iface = nullptr;
  explicit SimBench(const plcsim::Config& config = plcsim::Config{}) {
    Rt_Init();
    sim.Start(config);
    iface = S7_Interface_Init(S7_KIND_TCP);
  }
  ~SimBench() { S7_Interface_Done(iface); }
  SimBench(const SimBench&) = delete;
  SimBench& operator=(const SimBench&) = delete;
};
