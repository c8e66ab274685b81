// The floor the library's exchanges are measured against: the same bytes
// sent and received over a plain socket, nothing else; and the simulator the
// benchmark programs talk to.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/platform.h"
#include "runtime/runtime.h"
#include "s7lib/s7internal.h"
#include "tools/plcsim/plcsim.h"

inline bool RawRoundTrip(PlatSocket s, const std::vector<std::uint8_t>& out, std::uint8_t* in, int expect) {
  if (Plat_SockSend(s, out.data(), static_cast<int>(out.size())) != static_cast<int>(out.size())) return false;
  for (int got = 0; got < expect;) {
    int n = Plat_SockRecv(s, in + got, expect - got);
    if (n <= 0) return false;
    got += n;
  }
  return true;
}

// A plain socket to the PLC at address, port 102, with the ISO-on-TCP
// connection made (CR and CC, rack 0, slot 2); kNoSocket when that fails.
// The caller closes it.
inline PlatSocket RawOpen(std::uint32_t address) {
  PlatSocket s = Plat_SockTcp();
  int wsa = 0;
  Plat_SockConnect(s, address, 102, 2000, &wsa);
  Plat_SockNoDelay(s);
  std::uint8_t cr[22];
  IsoTcp_BuildConnectFrame(cr, 0, 2, 0xE0);
  std::uint8_t in[32];
  if (!RawRoundTrip(s, std::vector<std::uint8_t>(cr, cr + 22), in, 22)) {
    Plat_SockClose(s);
    return kNoSocket;
  }
  return s;
}

// The setup communication asking for pdu bytes, as the library sends it.
inline std::vector<std::uint8_t> RawSetupFrame(int pdu) {
  return {0x03, 0x00, 0x00, 0x19, 0x02, 0xF0, 0x80, 0x32, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x08, 0x00, 0x00,
          0xF0, 0x00, 0x00, 0x01, 0x00, 0x01, static_cast<std::uint8_t>(pdu >> 8), static_cast<std::uint8_t>(pdu)};
}

// The request the connection has built (its PDU after the TPKT and COTP
// headers), as one frame for the raw socket, and the length of the frame its
// reply comes in.
inline std::vector<std::uint8_t> RawRequestFrame(const S7Connection* conn) {
  std::vector<std::uint8_t> frame = {0x03, 0x00, 0x00, 0x00, 0x02, 0xF0, 0x80};
  frame.insert(frame.end(), conn->requestPdu, conn->requestPdu + conn->requestTotal);
  frame[2] = static_cast<std::uint8_t>(frame.size() >> 8);
  frame[3] = static_cast<std::uint8_t>(frame.size());
  return frame;
}
inline int RawReplyFrameSize(const S7Connection* conn) { return kIsoHeader + conn->expectedReply; }

// The simulator of a benchmark program, started once with its configuration,
// and the TCP interface its connections go through.
struct SimBench {
  plcsim::Simulator sim;
  S7Interface* iface = nullptr;
  explicit SimBench(const plcsim::Config& config) {
    Rt_Init();
    sim.Start(config);
    iface = S7_Interface_Init(S7_KIND_TCP);
  }
  ~SimBench() { S7_Interface_Done(iface); }
};
