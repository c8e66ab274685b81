// Capture file bytes. The file and record headers are little-endian (the
// order the magic number is written in tells readers so); everything inside
// a frame is in network order. The synthetic Ethernet addresses are locally
// administered ones made of the IPv4 address, so each host keeps its own.
#include "s7lib/pcapframes.h"

#include <cstring>

namespace {

constexpr std::uint32_t kSnapLength = 65535;
// The S7 dissector's heuristic entry on COTP takes a bare S7 PDU by this name.
constexpr char kS7Heuristic[] = "s7comm_cotp";  // 11 letters, padded to 12
constexpr std::uint16_t kTagHeuristicName = 13;
constexpr std::uint16_t kTagDirection = 35;

void PutLE32(std::uint8_t* p, std::uint32_t v) {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
  p[2] = static_cast<std::uint8_t>(v >> 16);
  p[3] = static_cast<std::uint8_t>(v >> 24);
}

void PutBE16(std::uint8_t* p, std::uint32_t v) {
  p[0] = static_cast<std::uint8_t>(v >> 8);
  p[1] = static_cast<std::uint8_t>(v);
}

void PutBE32(std::uint8_t* p, std::uint32_t v) {
  PutBE16(p, v >> 16);
  PutBE16(p + 2, v);
}

void RecordHeader(std::uint64_t timeUs, std::size_t length, std::uint8_t* out) {
  PutLE32(out, static_cast<std::uint32_t>(timeUs / 1000000u));
  PutLE32(out + 4, static_cast<std::uint32_t>(timeUs % 1000000u));
  PutLE32(out + 8, static_cast<std::uint32_t>(length));
  PutLE32(out + 12, static_cast<std::uint32_t>(length));
}

// The Internet checksum's running sum over bytes taken as big-endian words.
std::uint32_t SumWords(const std::uint8_t* p, std::size_t n, std::uint32_t sum) {
  for (; n > 1; p += 2, n -= 2) sum += static_cast<std::uint32_t>((p[0] << 8) | p[1]);
  if (n) sum += static_cast<std::uint32_t>(p[0] << 8);
  return sum;
}

std::uint16_t Fold(std::uint32_t sum) {
  while (sum >> 16) sum = (sum & 0xFFFF) + (sum >> 16);
  return static_cast<std::uint16_t>(~sum);
}

void MacOf(std::uint32_t address, std::uint8_t* mac) {
  mac[0] = 0x02;
  mac[1] = 0x00;
  std::memcpy(mac + 2, &address, 4);  // network order already
}

}  // namespace

void Pcap_FileHeader(std::uint32_t linkType, std::uint8_t* out) {
  PutLE32(out, 0xA1B2C3D4);
  out[4] = 2;
  out[5] = 0;
  out[6] = 4;
  out[7] = 0;
  PutLE32(out + 8, 0);   // time zone
  PutLE32(out + 12, 0);  // accuracy
  PutLE32(out + 16, kSnapLength);
  PutLE32(out + 20, linkType);
}

std::size_t Pcap_TcpRecord(const PcapTcpSegment& s, std::uint8_t* out, std::size_t capacity) {
  const std::size_t frame = kPcapTcpHeadersSize + s.length;
  if (frame > kSnapLength || capacity < kPcapRecordHeaderSize || capacity - kPcapRecordHeaderSize < frame) return 0;
  RecordHeader(s.timeUs, frame, out);
  std::uint8_t* eth = out + kPcapRecordHeaderSize;
  MacOf(s.destination, eth);
  MacOf(s.source, eth + 6);
  PutBE16(eth + 12, 0x0800);

  std::uint8_t* ip = eth + 14;
  ip[0] = 0x45;  // version 4, 20-byte header
  ip[1] = 0;
  PutBE16(ip + 2, static_cast<std::uint32_t>(20 + 20 + s.length));
  PutBE16(ip + 4, s.ipId);
  PutBE16(ip + 6, 0x4000);  // don't fragment
  ip[8] = 64;
  ip[9] = 6;  // TCP
  PutBE16(ip + 10, 0);
  std::memcpy(ip + 12, &s.source, 4);
  std::memcpy(ip + 16, &s.destination, 4);
  PutBE16(ip + 10, Fold(SumWords(ip, 20, 0)));

  std::uint8_t* tcp = ip + 20;
  PutBE16(tcp, s.sourcePort);
  PutBE16(tcp + 2, s.destinationPort);
  PutBE32(tcp + 4, s.sequence);
  PutBE32(tcp + 8, s.acknowledgement);
  tcp[12] = 5 << 4;  // 20-byte header
  tcp[13] = s.flags;
  PutBE16(tcp + 14, 0xFFFF);  // window
  PutBE16(tcp + 16, 0);
  PutBE16(tcp + 18, 0);
  if (s.length) std::memcpy(tcp + 20, s.payload, s.length);
  // Checksum over the pseudo header (addresses, protocol, TCP length) and the segment.
  std::uint32_t sum = SumWords(ip + 12, 8, 0) + 6 + static_cast<std::uint32_t>(20 + s.length);
  PutBE16(tcp + 16, Fold(SumWords(tcp, 20 + s.length, sum)));
  return kPcapRecordHeaderSize + frame;
}

std::size_t Pcap_ExportedPduRecord(std::uint64_t timeUs, PcapDirection direction, const std::uint8_t* pdu,
                                   std::size_t length, std::uint8_t* out, std::size_t capacity) {
  const std::size_t frame = kPcapExportTagsSize + length;
  if (frame > kSnapLength || capacity < kPcapRecordHeaderSize || capacity - kPcapRecordHeaderSize < frame) return 0;
  RecordHeader(timeUs, frame, out);
  std::uint8_t* t = out + kPcapRecordHeaderSize;
  PutBE16(t, kTagHeuristicName);
  PutBE16(t + 2, 12);
  std::memset(t + 4, 0, 12);
  std::memcpy(t + 4, kS7Heuristic, sizeof kS7Heuristic - 1);
  t += 16;
  PutBE16(t, kTagDirection);
  PutBE16(t + 2, 4);
  PutBE32(t + 4, direction == PcapDirection::Sent ? 0 : 1);
  t += 8;
  PutBE32(t, 0);  // end of tags
  t += 4;
  if (length) std::memcpy(t, pdu, length);
  return kPcapRecordHeaderSize + frame;
}
