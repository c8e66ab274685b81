// The shutdown watchdog: closing the interface at shutdown may hang in a
// driver or on the network, and a program that never ends is worse than one
// that ends with −1. Start it before the shutdown and stop it after.
//
// Threads: Start and Stop on the same thread (the user-interface thread);
// the watchdog waits on its own thread, blocked, without using the processor.
#pragma once

#include <cstdint>

// How long the program's end may take before the watchdog ends it.
inline constexpr std::uint32_t kShutdownLimitMs = 10000;

// Ends the process at once with exit code −1, without any teardown (the hung
// thread still runs), unless Watchdog_Stop comes within limitMs.
void Watchdog_Start(std::uint32_t limitMs);
void Watchdog_Stop();
