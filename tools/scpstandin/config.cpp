// The stand-in's configuration: a small text file, one setting per line,
// named by the environment variable TOLVANE_SCP_STANDIN.
//
//   # comment
//   station ADDRESS STATUS [cpu]   status 0x00 passive, 0x20 active ready, 0x30 active
//   pdu BYTES                      PDU size the CPUs grant (default 240)
//   partners-length N              data length of the partner answer (default HSA + 1)
//   buspars-length N               data length of the bus parameter answer (default 242)
//   hsa|ts|type|baud|redundant|retry|default-sap|total-sap|tsl|tqui|tset|
//   min-tsdr|max-tsdr|ttr|gap|in-ring|layer NUMBER
//   ident TEXT                     identification text of the bus parameters
//   password TEXT                  the CPUs refuse writes until a login with it
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "tools/scpstandin/standin.h"

namespace scpstandin {

namespace {

bool Number(const std::string& text, long low, long high, long* out) {
  if (text.empty()) return false;
  char* end = nullptr;
  long v = std::strtol(text.c_str(), &end, 0);
  if (*end != '\0' || v < low || v > high) return false;
  *out = v;
  return true;
}

}  // namespace

Config DefaultConfig() {
  Config c;
  c.stations[0] = Station{0x30, false};
  c.stations[2] = Station{0x30, true};
  return c;
}

bool ApplyConfigLine(Config* c, const std::string& raw, std::string* why) {
  std::string line = raw.substr(0, raw.find('#'));
  std::istringstream in(line);
  std::string key;
  if (!(in >> key)) return true;  // blank or comment
  std::string a, b, d;
  in >> a >> b >> d;
  long v = 0, w = 0;
  auto bad = [&](const char* what) {
    *why = std::string(what) + ": " + raw;
    return false;
  };
  if (key == "station") {
    if (!Number(a, 0, 127, &v) || !Number(b, 0, 255, &w)) return bad("station ADDRESS STATUS [cpu]");
    c->stations[static_cast<int>(v)] = Station{static_cast<std::uint8_t>(w), d == "cpu"};
    return true;
  }
  if (key == "ident" || key == "password") {
    std::string rest = line.substr(line.find(key) + key.size());
    std::size_t first = rest.find_first_not_of(" \t");
    std::size_t last = rest.find_last_not_of(" \t\r");
    (key == "ident" ? c->bus.ident : c->password) =
        first == std::string::npos ? "" : rest.substr(first, last - first + 1);
    return true;
  }
  if (!Number(a, -32768, 0x7FFFFFFF, &v)) return bad("a number is missing");
  struct Field {
    const char* name;
    long low, high;
    void (*set)(Config*, long);
  };
  static const Field kFields[] = {
      {"pdu", 128, 960, [](Config* x, long n) { x->pduSize = static_cast<int>(n); }},
      {"partners-length", 0, 520, [](Config* x, long n) { x->partnersLength = static_cast<int>(n); }},
      {"buspars-length", 0, 520, [](Config* x, long n) { x->busParsLength = static_cast<int>(n); }},
      {"hsa", 0, 126, [](Config* x, long n) { x->bus.hsa = static_cast<std::uint8_t>(n); }},
      {"ts", 0, 126, [](Config* x, long n) { x->bus.ts = static_cast<std::uint8_t>(n); }},
      {"type", 0, 65535, [](Config* x, long n) { x->bus.type = static_cast<std::uint16_t>(n); }},
      {"baud", 0, 65535, [](Config* x, long n) { x->bus.baud = static_cast<std::uint16_t>(n); }},
      {"redundant", 0, 65535, [](Config* x, long n) { x->bus.redundant = static_cast<std::uint16_t>(n); }},
      {"retry", 0, 65535, [](Config* x, long n) { x->bus.retry = static_cast<std::uint16_t>(n); }},
      {"default-sap", 0, 255, [](Config* x, long n) { x->bus.defaultSap = static_cast<std::uint8_t>(n); }},
      {"total-sap", 0, 255, [](Config* x, long n) { x->bus.totalSap = static_cast<std::uint8_t>(n); }},
      {"tsl", 0, 65535, [](Config* x, long n) { x->bus.tsl = static_cast<std::uint16_t>(n); }},
      {"tqui", 0, 65535, [](Config* x, long n) { x->bus.tqui = static_cast<std::uint16_t>(n); }},
      {"tset", 0, 65535, [](Config* x, long n) { x->bus.tset = static_cast<std::uint16_t>(n); }},
      {"min-tsdr", 0, 65535, [](Config* x, long n) { x->bus.minTsdr = static_cast<std::uint16_t>(n); }},
      {"max-tsdr", 0, 65535, [](Config* x, long n) { x->bus.maxTsdr = static_cast<std::uint16_t>(n); }},
      {"ttr", 0, 0x7FFFFFFF, [](Config* x, long n) { x->bus.ttr = static_cast<std::uint32_t>(n); }},
      {"gap", 0, 255, [](Config* x, long n) { x->bus.gap = static_cast<std::uint8_t>(n); }},
      {"in-ring", -32768, 32767, [](Config* x, long n) { x->bus.inRing = static_cast<std::int16_t>(n); }},
      {"layer", -32768, 32767, [](Config* x, long n) { x->bus.layer = static_cast<std::int16_t>(n); }},
  };
  for (const Field& f : kFields) {
    if (key != f.name) continue;
    if (v < f.low || v > f.high) return bad("value out of range");
    f.set(c, v);
    return true;
  }
  return bad("unknown setting");
}

Config LoadConfig() {
  Config c = DefaultConfig();
  const char* path = std::getenv("TOLVANE_SCP_STANDIN");
  if (!path || !*path) return c;
  std::ifstream file(path);
  if (!file) {
    std::fprintf(stderr, "scp stand-in: cannot read %s; using the default bus\n", path);
    return c;
  }
  c.stations.clear();
  std::string line, why;
  while (std::getline(file, line))
    if (!ApplyConfigLine(&c, line, &why)) std::fprintf(stderr, "scp stand-in: %s\n", why.c_str());
  return c;
}

}  // namespace scpstandin
