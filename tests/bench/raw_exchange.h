// The floor the library's exchanges are measured against: the same bytes
// sent and received over a plain socket, nothing else.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/platform.h"

inline bool RawRoundTrip(PlatSocket s, const std::vector<std::uint8_t>& out, std::uint8_t* in, int expect) {
  if (Plat_SockSend(s, out.data(), static_cast<int>(out.size())) != static_cast<int>(out.size())) return false;
  for (int got = 0; got < expect;) {
    int n = Plat_SockRecv(s, in + got, expect - got);
    if (n <= 0) return false;
    got += n;
  }
  return true;
}
