// The bytes of a capture file that Wireshark reads: the pcap file header, a
// TCP segment dressed as an Ethernet/IPv4/TCP frame, and an S7 PDU as an
// exported PDU for the S7 dissector. Plain functions over caller buffers, so
// the trace and its tests build the very same bytes.
#pragma once

#include <cstddef>
#include <cstdint>

inline constexpr std::uint32_t kPcapLinkEthernet = 1;
inline constexpr std::uint32_t kPcapLinkExportedPdu = 252;
inline constexpr std::size_t kPcapFileHeaderSize = 24;
inline constexpr std::size_t kPcapRecordHeaderSize = 16;
// Ethernet, IPv4 and TCP headers in front of a segment's payload.
inline constexpr std::size_t kPcapTcpHeadersSize = 14 + 20 + 20;
// Exported-PDU tags in front of a PDU: the heuristic dissector's name, the
// direction, the end.
inline constexpr std::size_t kPcapExportTagsSize = 4 + 12 + 4 + 4 + 4;

inline constexpr std::uint8_t kTcpFin = 0x01;
inline constexpr std::uint8_t kTcpSyn = 0x02;
inline constexpr std::uint8_t kTcpPsh = 0x08;
inline constexpr std::uint8_t kTcpAck = 0x10;

// The 24-byte file header: microsecond stamps, snap length 65535.
void Pcap_FileHeader(std::uint32_t linkType, std::uint8_t* out24);

struct PcapTcpSegment {
  std::uint64_t timeUs;      // since 1970, UTC
  std::uint32_t source;      // IPv4, network byte order
  std::uint32_t destination;
  std::uint16_t sourcePort;  // host order
  std::uint16_t destinationPort;
  std::uint32_t sequence;
  std::uint32_t acknowledgement;
  std::uint8_t flags;        // kTcp… bits
  std::uint16_t ipId;
  const std::uint8_t* payload;
  std::size_t length;
};

// One record (record header included) into out. Returns its size, or 0 when
// it would not fit capacity.
std::size_t Pcap_TcpRecord(const PcapTcpSegment& segment, std::uint8_t* out, std::size_t capacity);

// One S7 PDU that crossed the MPI/PROFIBUS access point, received (from the
// PLC) or sent. Returns the record's size, or 0 when it would not fit.
enum class PcapDirection { Sent, Received };
std::size_t Pcap_ExportedPduRecord(std::uint64_t timeUs, PcapDirection direction, const std::uint8_t* pdu,
                                   std::size_t length, std::uint8_t* out, std::size_t capacity);
