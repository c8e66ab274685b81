// Reads back a capture file the wire trace wrote, independently of the code
// that wrote it: the file header, each record, and for Ethernet frames the
// IPv4 and TCP fields with their checksums checked; for exported PDUs the
// tags and the PDU. Tests hold what they find against what crossed the wire.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

struct PcapPacket {
  std::uint64_t timeUs = 0;
  std::vector<std::uint8_t> frame;
  // Ethernet/IPv4/TCP
  std::uint32_t source = 0, destination = 0;  // network byte order
  std::uint16_t sourcePort = 0, destinationPort = 0;
  std::uint32_t sequence = 0, acknowledgement = 0;
  std::uint8_t flags = 0;
  bool checksumsOk = false;
  // exported PDU
  std::string dissector;
  int direction = -1;
  std::vector<std::uint8_t> payload;  // TCP payload or the exported PDU
};

struct PcapFile {
  bool ok = false;
  std::string why;
  std::uint32_t linkType = 0;
  std::vector<PcapPacket> packets;
};

namespace pcapread {

inline std::uint32_t LE32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0] | (p[1] << 8) | (p[2] << 16)) | (static_cast<std::uint32_t>(p[3]) << 24);
}
inline std::uint16_t BE16(const std::uint8_t* p) { return static_cast<std::uint16_t>((p[0] << 8) | p[1]); }
inline std::uint32_t BE32(const std::uint8_t* p) { return (static_cast<std::uint32_t>(BE16(p)) << 16) | BE16(p + 2); }

inline std::uint16_t Checksum(const std::uint8_t* p, std::size_t n, std::uint32_t sum) {
  for (; n > 1; p += 2, n -= 2) sum += BE16(p);
  if (n) sum += static_cast<std::uint32_t>(p[0] << 8);
  while (sum >> 16) sum = (sum & 0xFFFF) + (sum >> 16);
  return static_cast<std::uint16_t>(~sum);
}

inline bool ParseTcp(PcapPacket* p, std::string* why) {
  const std::vector<std::uint8_t>& f = p->frame;
  if (f.size() < 54 || BE16(&f[12]) != 0x0800) return *why = "not an IPv4 frame", false;
  const std::uint8_t* ip = &f[14];
  const std::size_t ipLength = BE16(ip + 2);
  if (ip[0] != 0x45 || ip[9] != 6 || ipLength + 14 != f.size()) return *why = "bad IPv4 header", false;
  const std::uint8_t* tcp = ip + 20;
  const std::size_t tcpLength = ipLength - 20;
  if ((tcp[12] >> 4) != 5) return *why = "TCP options", false;
  std::uint32_t pseudo = static_cast<std::uint32_t>(BE16(ip + 12) + BE16(ip + 14) + BE16(ip + 16) + BE16(ip + 18)) +
                         6 + static_cast<std::uint32_t>(tcpLength);
  p->checksumsOk = Checksum(ip, 20, 0) == 0 && Checksum(tcp, tcpLength, pseudo) == 0;
  p->source = static_cast<std::uint32_t>(ip[12] | (ip[13] << 8) | (ip[14] << 16)) | (std::uint32_t{ip[15]} << 24);
  p->destination = static_cast<std::uint32_t>(ip[16] | (ip[17] << 8) | (ip[18] << 16)) | (std::uint32_t{ip[19]} << 24);
  p->sourcePort = BE16(tcp);
  p->destinationPort = BE16(tcp + 2);
  p->sequence = BE32(tcp + 4);
  p->acknowledgement = BE32(tcp + 8);
  p->flags = tcp[13];
  p->payload.assign(tcp + 20, tcp + tcpLength);
  return true;
}

inline bool ParseExported(PcapPacket* p, std::string* why) {
  const std::vector<std::uint8_t>& f = p->frame;
  std::size_t at = 0;
  for (;;) {
    if (at + 4 > f.size()) return *why = "tags run past the frame", false;
    const std::uint16_t tag = BE16(&f[at]);
    const std::uint16_t length = BE16(&f[at + 2]);
    at += 4;
    if (tag == 0) break;
    if (at + length > f.size()) return *why = "tag runs past the frame", false;
    if (tag == 12 || tag == 13) p->dissector.assign(reinterpret_cast<const char*>(&f[at]), length);
    if (tag == 35 && length == 4) p->direction = static_cast<int>(BE32(&f[at]));
    at += length;
  }
  p->dissector.resize(p->dissector.find('\0') == std::string::npos ? p->dissector.size() : p->dissector.find('\0'));
  p->payload.assign(f.begin() + static_cast<std::ptrdiff_t>(at), f.end());
  return true;
}

}  // namespace pcapread

inline PcapFile ParsePcap(const std::vector<std::uint8_t>& bytes) {
  using namespace pcapread;
  PcapFile out;
  if (bytes.size() < 24 || LE32(bytes.data()) != 0xA1B2C3D4) return out.why = "no pcap file header", out;
  out.linkType = LE32(&bytes[20]);
  for (std::size_t at = 24; at < bytes.size();) {
    if (at + 16 > bytes.size()) return out.why = "record header cut short", out;
    PcapPacket p;
    p.timeUs = std::uint64_t{LE32(&bytes[at])} * 1000000u + LE32(&bytes[at + 4]);
    const std::uint32_t length = LE32(&bytes[at + 8]);
    if (length != LE32(&bytes[at + 12]) || at + 16 + length > bytes.size()) return out.why = "record cut short", out;
    p.frame.assign(bytes.begin() + static_cast<std::ptrdiff_t>(at + 16),
                   bytes.begin() + static_cast<std::ptrdiff_t>(at + 16 + length));
    at += 16 + length;
    const bool parsed = out.linkType == 1 ? ParseTcp(&p, &out.why) : ParseExported(&p, &out.why);
    if (!parsed) return out;
    out.packets.push_back(std::move(p));
  }
  out.ok = true;
  return out;
}

inline PcapFile ReadPcap(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return ParsePcap({std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()});
}
