// Wireshark's reading of a capture file, through tshark: per frame the
// protocols it found, the S7 message kind, and its expert findings, summed
// up into what the trace tests hold against the session they ran. POSIX
// only (tshark runs on the Linux side, also for the Windows build's files).
#pragma once

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

struct TsharkReading {
  bool ran = false;
  std::string why;
  int frames = 0;
  int requests = 0;      // S7 jobs and userdata requests
  int replies = 0;       // S7 ack-data and userdata responses
  int s7Frames = 0;      // frames where an S7 PDU was dissected
  int payloadFrames = 0; // frames that carry bytes (TCP payload, or any exported PDU)
  int undissected = 0;   // frames with bytes but neither COTP nor S7
  int malformed = 0;
  int warned = 0;        // expert findings of severity warning or error
};

inline TsharkReading ReadWithTshark(const std::string& path) {
  TsharkReading r;
  // Severities: chat 0x200000, note 0x400000, warning 0x600000, error 0x800000.
  const std::string command =
      "tshark -r '" + path +
      "' -T fields -E separator=/t -E occurrence=a -e frame.protocols -e tcp.len -e s7comm.header.rosctr"
      " -e s7comm.param.userdata.type -e _ws.malformed -e _ws.expert.severity 2>/dev/null";
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return r.why = "popen failed", r;
  std::string out;
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
  const int status = pclose(pipe);
  if (status != 0) return r.why = "tshark failed (" + std::to_string(status) + "); scripts/setup.sh installs it", r;
  r.ran = true;
  std::istringstream lines(out);
  for (std::string line; std::getline(lines, line);) {
    std::vector<std::string> f;
    std::istringstream fields(line);
    for (std::string cell; std::getline(fields, cell, '\t');) f.push_back(cell);
    f.resize(6);
    ++r.frames;
    const std::string& protocols = f[0];
    const bool exported = protocols.find("exported_pdu") != std::string::npos;
    const bool bytes = exported || (!f[1].empty() && f[1] != "0");
    const bool s7 = protocols.find("s7comm") != std::string::npos;
    r.payloadFrames += bytes ? 1 : 0;
    r.s7Frames += s7 ? 1 : 0;
    if (bytes && !s7 && protocols.find("cotp") == std::string::npos) ++r.undissected;
    // A frame may hold more than one PDU; each counts.
    std::istringstream kinds(f[2]), types(f[3]);
    for (std::string kind, type; std::getline(kinds, kind, ',');) {
      if (kind == "7") std::getline(types, type, ',');
      if (kind == "1" || (kind == "7" && type == "4")) ++r.requests;
      if (kind == "3" || (kind == "7" && type == "8")) ++r.replies;
    }
    r.malformed += f[4].empty() ? 0 : 1;
    std::istringstream severities(f[5]);
    for (std::string s; std::getline(severities, s, ',');)
      if (!s.empty() && std::stol(s) >= 0x600000) ++r.warned;
  }
  return r;
}
