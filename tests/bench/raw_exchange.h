// The floor the library's exchanges are measured against: the same bytes
// sent and received over a plain socket, nothing else.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/platform.h"
#include "s7lib/s7internal.h"

inline bool RawRoundTrip(PlatSocket s, const std::vector<std::uint8_t>& out, std::uint8_t* in, int expect) {
  if (Plat_SockSend(s, out.data(), static_cast<int>(out.size())) != static_cast<int>(out.size())) return false;
  for (int got = 0; got < expect;) {
    int n = Plat_SockRecv(s, in + got, expect - got);
    if (n <= 0) return false;
    got += n;
  }
  return true;
}

// A plain socket to the PLC at address (network byte order), port 102, with
// the ISO-on-TCP connection to rack 0, slot 2 confirmed; kNoSocket if not.
inline PlatSocket RawConnect(std::uint32_t address) {
  PlatSocket s = Plat_SockTcp();
  int wsa = 0;
  if (Plat_SockConnect(s, address, 102, 2000, &wsa) != PlatConnect::Connected) {
    Plat_SockClose(s);
    return kNoSocket;
  }
  Plat_SockNoDelay(s);
  std::uint8_t cr[22];
  IsoTcp_BuildConnectFrame(cr, S7_RackSlotTsaps(S7ConnectionType::PG, 0, 2), 0xE0);
  std::uint8_t cc[22];
  if (!RawRoundTrip(s, std::vector<std::uint8_t>(cr, cr + 22), cc, 22)) {
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
