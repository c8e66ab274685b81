// A stand-in for the SIMATIC NET access point library (S7onlinx.dll) with the
// same five SCP entry points, for machines that have no MPI/PROFIBUS adapter:
// it answers the request blocks of the connection and bus services for one
// simulated bus, behind whose CPU stations the simulator's PlcModel answers.
// Two more exports let tests inject faults and look at the blocks received.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <deque>
#include <mutex>

#include "tools/scpstandin/standin.h"

#ifdef _WIN32
#define SCP_EXPORT extern "C" __declspec(dllexport)
#else
#define SCP_EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace scpstandin {
namespace {

constexpr int kHeader = 80;
constexpr int kBlockMax = 600;

// Response codes. 1 and 3 (connection services) and 0 (bus services) are what
// a client expects; the others are this stand-in's own for refusals.
constexpr int kRespOk = 1;
constexpr int kRespData = 3;
constexpr int kRespBusOk = 0;
constexpr int kRespNoStation = 0x11;
constexpr int kRespNoConnection = 0x12;
constexpr int kRespNoData = 0x13;
constexpr int kRespBadService = 0x14;

// Error numbers for SCP_get_errno.
constexpr int kErrBadName = 201;
constexpr int kErrBadHandle = 202;
constexpr int kErrBadBlock = 203;

constexpr const char* kAccessPoints[] = {"/S7online", "/CP_L2_1:", "/CP_L2_2:"};

struct Answer {
  std::vector<std::uint8_t> bytes;
  std::chrono::steady_clock::time_point ready;
};

struct Link {
  int station = -1;
  bool connected = false;
  plcsim::SessionState session;     // what the CPU keeps per connection (login)
  std::vector<std::uint8_t> reply;  // reply PDU waiting for a receive-data block
};

struct Handle {
  std::deque<Answer> answers;
  std::map<std::uint16_t, Link> links;
};

// Answer faults hit the next answer to a block of `service` (-1: any block).
struct Faults {
  int service = -1;
  int noAnswer = 0;
  int response = -1;
  int shortLength = -1;
  int delayMs = 0;
  int sendFail = 0, sendErrno = 0;
  int receiveFail = 0, receiveErrno = 0;
  int openFail = 0, openErrno = 0;
};

struct Bus {
  std::mutex mutex;
  bool configured = false;
  Config config;
  std::map<int, std::unique_ptr<plcsim::PlcModel>> cpus;
  std::map<int, Handle> handles;
  int nextHandle = 1;
  std::uint16_t nextReference = 0x0100;
  Faults faults;
  int lastErrno = 0;
  std::deque<std::vector<std::uint8_t>> blocks;  // the latest request blocks, newest last
  int opens = 0;
  std::string lastAccessPoint;
};

Bus& TheBus() {
  static Bus bus;
  return bus;
}

void Configure(Bus& bus, Config config) {
  bus.config = std::move(config);
  bus.cpus.clear();
  for (const auto& [address, station] : bus.config.stations) {
    if (!station.cpu) continue;
    plcsim::ModelConfig model;
    model.pduSize = bus.config.pduSize;
    model.password = bus.config.password;
    bus.cpus[address] = std::make_unique<plcsim::PlcModel>(model);
  }
  bus.configured = true;
}

std::uint16_t Le16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }

void PutLe16(std::uint8_t* p, std::uint32_t v) {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
}

void PutLe32(std::uint8_t* p, std::uint32_t v) {
  PutLe16(p, v);
  PutLe16(p + 2, v >> 16);
}

// The answer block: the request's header with the response code and the data
// that goes with it.
std::vector<std::uint8_t> MakeAnswer(const std::uint8_t* request, int response,
                                     const std::vector<std::uint8_t>& data) {
  std::vector<std::uint8_t> answer(kHeader + data.size());
  std::memcpy(answer.data(), request, kHeader);
  if (!data.empty()) std::memcpy(answer.data() + kHeader, data.data(), data.size());
  PutLe16(answer.data() + 14, static_cast<std::uint32_t>(response));
  PutLe16(answer.data() + 16, static_cast<std::uint32_t>(data.size()));
  PutLe16(answer.data() + 19, static_cast<std::uint32_t>(data.size()));
  return answer;
}

std::vector<std::uint8_t> PartnerList(const Config& c) {
  int length = c.partnersLength >= 0 ? c.partnersLength : c.bus.hsa + 1;
  std::vector<std::uint8_t> data(static_cast<std::size_t>(length), 0xFF);
  for (const auto& [address, station] : c.stations)
    if (address < length) data[static_cast<std::size_t>(address)] = station.status;
  return data;
}

std::vector<std::uint8_t> BusParameterRecord(const Config& c) {
  std::vector<std::uint8_t> r(242, 0);
  const BusParameters& b = c.bus;
  r[0] = b.hsa;
  r[1] = b.ts;
  PutLe16(&r[2], b.type);
  PutLe16(&r[4], b.baud);
  PutLe16(&r[6], b.redundant);
  PutLe16(&r[8], b.retry);
  r[10] = b.defaultSap;
  r[11] = b.totalSap;
  PutLe16(&r[12], b.tsl);
  PutLe16(&r[14], b.tqui);
  PutLe16(&r[16], b.tset);
  PutLe16(&r[18], b.minTsdr);
  PutLe16(&r[20], b.maxTsdr);
  PutLe32(&r[22], b.ttr);
  r[26] = b.gap;
  PutLe16(&r[27], static_cast<std::uint16_t>(b.inRing));
  PutLe16(&r[29], static_cast<std::uint16_t>(b.layer));
  std::memcpy(&r[43], b.ident.c_str(), std::min<std::size_t>(b.ident.size(), 242 - 43 - 1));
  r.resize(static_cast<std::size_t>(c.busParsLength), 0);
  return r;
}

// What the bus answers to one request block.
std::vector<std::uint8_t> Serve(Bus& bus, Handle& handle, const std::uint8_t* block, int dataLength) {
  const std::uint8_t* data = block + kHeader;
  const std::uint8_t opcode = block[12];
  const std::uint8_t service = block[13];
  if (opcode == 0x22) {
    switch (Le16(block + 38)) {
      case 27: return MakeAnswer(block, kRespBusOk, PartnerList(bus.config));
      case 11: return MakeAnswer(block, kRespBusOk, BusParameterRecord(bus.config));
      default: return MakeAnswer(block, kRespBadService, {});
    }
  }
  if (opcode != 0x40) return MakeAnswer(block, kRespBadService, {});
  const std::uint16_t reference = Le16(block + 34);
  if (service == 0x00) {
    std::uint16_t assigned = bus.nextReference++;
    handle.links[assigned] = Link{};
    std::vector<std::uint8_t> answer = MakeAnswer(block, kRespOk, {});
    PutLe16(answer.data() + 34, assigned);
    return answer;
  }
  auto link = handle.links.find(reference);
  if (link == handle.links.end()) return MakeAnswer(block, kRespNoConnection, {});
  Link& l = link->second;
  switch (service) {
    case 0x01: {
      if (dataLength < 10) return MakeAnswer(block, kRespNoStation, {});
      int station = data[9];
      if (!bus.cpus.count(station)) return MakeAnswer(block, kRespNoStation, {});
      l.station = station;
      l.connected = true;
      return MakeAnswer(block, kRespOk, {});
    }
    case 0x06: {
      if (!l.connected) return MakeAnswer(block, kRespNoConnection, {});
      std::vector<std::uint8_t> pdu(data, data + dataLength);
      l.reply.clear();
      if (!bus.cpus[l.station]->Handle(pdu, &l.reply, &l.session)) l.reply.clear();
      return MakeAnswer(block, kRespOk, {});
    }
    case 0x07: {
      if (l.reply.empty()) return MakeAnswer(block, kRespNoData, {});
      std::vector<std::uint8_t> answer = MakeAnswer(block, kRespData, l.reply);
      l.reply.clear();
      return answer;
    }
    case 0x0C: handle.links.erase(link); return MakeAnswer(block, kRespOk, {});
    default: return MakeAnswer(block, kRespBadService, {});
  }
}

}  // namespace
}  // namespace scpstandin

using namespace scpstandin;

SCP_EXPORT int SCP_open(const char* accessPoint) {
  Bus& bus = TheBus();
  std::lock_guard lock(bus.mutex);
  if (bus.faults.openFail > 0) {
    --bus.faults.openFail;
    bus.lastErrno = bus.faults.openErrno;
    return -1;
  }
  bool known = false;
  for (const char* name : kAccessPoints) known = known || (accessPoint && !std::strcmp(accessPoint, name));
  if (!known) {
    bus.lastErrno = kErrBadName;
    return -1;
  }
  if (!bus.configured) Configure(bus, LoadConfig());
  ++bus.opens;
  bus.lastAccessPoint = accessPoint;
  int id = bus.nextHandle++;
  bus.handles[id] = Handle{};
  return id;
}

SCP_EXPORT int SCP_close(int handle) {
  Bus& bus = TheBus();
  std::lock_guard lock(bus.mutex);
  if (!bus.handles.erase(handle)) {
    bus.lastErrno = kErrBadHandle;
    return -1;
  }
  return 0;
}

SCP_EXPORT int SCP_send(int handle, unsigned short length, char* block) {
  Bus& bus = TheBus();
  std::lock_guard lock(bus.mutex);
  if (bus.faults.sendFail > 0) {
    --bus.faults.sendFail;
    bus.lastErrno = bus.faults.sendErrno;
    return -1;
  }
  auto h = bus.handles.find(handle);
  if (h == bus.handles.end()) {
    bus.lastErrno = kErrBadHandle;
    return -1;
  }
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(block);
  if (!block || length < kHeader || length > kBlockMax || bytes[4] != kHeader ||
      kHeader + Le16(bytes + 19) != length) {
    bus.lastErrno = kErrBadBlock;
    return -1;
  }
  bus.blocks.emplace_back(bytes, bytes + length);
  if (bus.blocks.size() > 64) bus.blocks.pop_front();
  std::vector<std::uint8_t> answer = Serve(bus, h->second, bytes, length - kHeader);
  Faults& f = bus.faults;
  const bool hit = f.service < 0 || (bytes[12] == 0x40 && bytes[13] == f.service);
  if (!hit) {
    h->second.answers.push_back(Answer{std::move(answer), std::chrono::steady_clock::now()});
    return 0;
  }
  if (f.noAnswer > 0) {
    --f.noAnswer;
    return 0;
  }
  if (f.response >= 0) {
    PutLe16(answer.data() + 14, static_cast<std::uint32_t>(f.response));
    f.response = -1;
  }
  if (f.shortLength >= 0) {
    answer.resize(static_cast<std::size_t>(f.shortLength));
    f.shortLength = -1;
  }
  auto ready = std::chrono::steady_clock::now() + std::chrono::milliseconds(f.delayMs);
  f.delayMs = 0;
  f.service = -1;
  h->second.answers.push_back(Answer{std::move(answer), ready});
  return 0;
}

SCP_EXPORT int SCP_receive(int handle, unsigned short /*wait*/, unsigned short* received,
                           unsigned short bufferLength, char* buffer) {
  Bus& bus = TheBus();
  std::lock_guard lock(bus.mutex);
  if (received) *received = 0;
  if (bus.faults.receiveFail > 0) {
    --bus.faults.receiveFail;
    bus.lastErrno = bus.faults.receiveErrno;
    return -1;
  }
  auto h = bus.handles.find(handle);
  if (h == bus.handles.end()) {
    bus.lastErrno = kErrBadHandle;
    return -1;
  }
  std::deque<Answer>& answers = h->second.answers;
  if (answers.empty() || answers.front().ready > std::chrono::steady_clock::now()) return 0;
  const std::vector<std::uint8_t>& answer = answers.front().bytes;
  std::size_t n = std::min<std::size_t>(answer.size(), bufferLength);
  if (buffer) std::memcpy(buffer, answer.data(), n);
  if (received) *received = static_cast<unsigned short>(n);
  answers.pop_front();
  return 0;
}

// The variant built without this entry point lets tests see a library that
// lacks one.
#ifndef SCPSTANDIN_WITHOUT_GET_ERRNO
SCP_EXPORT int SCP_get_errno() {
  Bus& bus = TheBus();
  std::lock_guard lock(bus.mutex);
  return bus.lastErrno;
}
#endif

// Test control, one command per call:
//   reset                     forget faults, links and blocks; read the configuration again
//   config LINE               apply one configuration line (see config.cpp)
//   noanswer N                the next N blocks get no answer at all
//   response CODE             the next answer carries this response code
//   short LENGTH              the next answer is cut to LENGTH bytes
//   delay MS                  the next answer is ready only MS milliseconds later
//   service S                 the answer faults above wait for a block of service S
//   sendfail ERRNO N          the next N SCP_send calls fail with ERRNO
//   receivefail ERRNO         the next SCP_receive fails with ERRNO
//   openfail ERRNO            the next SCP_open fails with ERRNO
// Returns 0, or -1 for a command it does not know.
SCP_EXPORT int scpstandin_control(const char* command) {
  Bus& bus = TheBus();
  std::lock_guard lock(bus.mutex);
  std::string text = command ? command : "";
  std::string verb = text.substr(0, text.find(' '));
  std::string rest = text.size() > verb.size() ? text.substr(verb.size() + 1) : "";
  long a = 0, b = 1;
  std::sscanf(rest.c_str(), "%ld %ld", &a, &b);
  Faults& f = bus.faults;
  if (verb == "reset") {
    f = Faults{};
    bus.blocks.clear();
    for (auto& [id, handle] : bus.handles) handle = Handle{};
    Configure(bus, LoadConfig());
  } else if (verb == "config") {
    std::string why;
    if (!bus.configured) Configure(bus, LoadConfig());
    Config c = bus.config;
    if (!ApplyConfigLine(&c, rest, &why)) return -1;
    Configure(bus, c);
  } else if (verb == "service") {
    f.service = static_cast<int>(a);
  } else if (verb == "noanswer") {
    f.noAnswer = static_cast<int>(a);
  } else if (verb == "response") {
    f.response = static_cast<int>(a);
  } else if (verb == "short") {
    f.shortLength = static_cast<int>(a);
  } else if (verb == "delay") {
    f.delayMs = static_cast<int>(a);
  } else if (verb == "sendfail") {
    f.sendErrno = static_cast<int>(a);
    f.sendFail = static_cast<int>(b);
  } else if (verb == "receivefail") {
    f.receiveErrno = static_cast<int>(a);
    f.receiveFail = 1;
  } else if (verb == "openfail") {
    f.openErrno = static_cast<int>(a);
    f.openFail = 1;
  } else {
    return -1;
  }
  return 0;
}

// Copies the request block received `back` blocks ago (0 = the latest) and
// returns its length, or -1 if there is none.
SCP_EXPORT int scpstandin_block(int back, unsigned char* out, int size) {
  Bus& bus = TheBus();
  std::lock_guard lock(bus.mutex);
  if (back < 0 || back >= static_cast<int>(bus.blocks.size())) return -1;
  const std::vector<std::uint8_t>& block = bus.blocks[bus.blocks.size() - 1 - static_cast<std::size_t>(back)];
  if (out) std::memcpy(out, block.data(), std::min<std::size_t>(block.size(), static_cast<std::size_t>(size)));
  return static_cast<int>(block.size());
}

// Facts for tests, copied to out as text: "opens" (successful SCP_open
// calls), "handles" (open now), "accesspoint" (the name of the latest open).
// Returns the text's length, or -1 for an unknown question.
SCP_EXPORT int scpstandin_query(const char* what, char* out, int size) {
  Bus& bus = TheBus();
  std::lock_guard lock(bus.mutex);
  std::string w = what ? what : "";
  std::string answer;
  if (w == "opens")
    answer = std::to_string(bus.opens);
  else if (w == "handles")
    answer = std::to_string(bus.handles.size());
  else if (w == "accesspoint")
    answer = bus.lastAccessPoint;
  else
    return -1;
  if (out && size > 0) std::snprintf(out, static_cast<std::size_t>(size), "%s", answer.c_str());
  return static_cast<int>(answer.size());
}
