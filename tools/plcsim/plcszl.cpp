// The simulated CPU's system status lists: module and component
// identification, LEDs, protection, mode, communication limits and the
// diagnostic buffer, each sent as a CPU sends it, in fragments that fit the
// granted PDU and are fetched by follow-up requests. Lists can be refused, or
// not answered at all, as some CPUs do.
#include <algorithm>
#include <cstring>
#include <string>

#include "tools/plcsim/plcmodel.h"

namespace plcsim {

namespace {

constexpr std::uint16_t kErrNoList = 0xD401;
constexpr std::uint16_t kErrNoIndex = 0xD402;
constexpr std::uint16_t kErrNoFollowUp = 0xD403;  // a follow-up without a list in progress
constexpr std::uint16_t kErrBadRequest = 0xD40A;
constexpr int kReplyOverhead = 10 + 12 + 4;  // header, parameters, data item header
constexpr std::size_t kDiagCapacity = 500;

// What this CPU says about itself.
constexpr const char* kOrderNumber = "6ES7 315-2EH14-0AB0";
constexpr std::uint8_t kHardware[3] = {1, 0, 0};
constexpr std::uint8_t kFirmware[3] = {3, 2, 6};
struct ComponentText {
  std::uint16_t index;
  const char* text;
};
constexpr ComponentText kComponents[] = {
    {0x01, "TOLVANE-SIM"},        {0x02, "CPU 315-2 PN/DP"},     {0x03, "Test bench"},
    {0x04, "Tolvane PLC simulator"}, {0x05, "S C-T0LV4N312024"}, {0x07, "CPU 315-2 PN/DP"},
    {0x08, "MMC 1A2B3C4D"},
};
constexpr std::uint16_t kLedIds[] = {0x0001, 0x0004, 0x0005, 0x0006, 0x0008, 0x000B, 0x000C};
constexpr std::uint16_t kLists[] = {0x0000, 0x0011, 0x0111, 0x001C, 0x011C, 0x0074, 0x0174, 0x0F74,
                                    0x0232, 0x0424, 0x0131, 0x00A0, 0x01A0};

void Put16(Bytes* b, std::uint32_t v) {
  b->push_back(static_cast<std::uint8_t>(v >> 8));
  b->push_back(static_cast<std::uint8_t>(v));
}

void Put32(Bytes* b, std::uint32_t v) {
  Put16(b, v >> 16);
  Put16(b, v);
}

// A text field of `width` bytes, padded with `fill`.
void PutText(Bytes* b, const char* text, std::size_t width, std::uint8_t fill) {
  const std::size_t n = std::min(std::strlen(text), width);
  b->insert(b->end(), text, text + n);
  b->insert(b->end(), width - n, fill);
}

void PutModule(Bytes* b, std::uint16_t index, const char* order, const std::uint8_t* version) {
  Put16(b, index);
  PutText(b, order, 20, ' ');
  Put16(b, 0);
  if (version) {
    b->insert(b->end(), {'V', version[0], version[1], version[2]});
  } else {
    Put16(b, 0);
    Put16(b, 1);
  }
}

void PutDiag(Bytes* b, const DiagEvent& e) {
  Put16(b, e.id);
  b->push_back(e.priorityClass);
  b->push_back(e.obNumber);
  Put16(b, e.datId);
  Put16(b, e.info1);
  Put32(b, e.info2);
  std::uint8_t stamp[8];
  EncodeSimDateTime(e.time, stamp);
  b->insert(b->end(), stamp, stamp + 8);
}

// The record of `all` (records of `length` bytes) whose first word is `index`.
bool Pick(const Bytes& all, int length, std::uint16_t index, Bytes* out) {
  for (std::size_t at = 0; at + static_cast<std::size_t>(length) <= all.size(); at += static_cast<std::size_t>(length))
    if (((all[at] << 8) | all[at + 1]) == index) {
      out->assign(all.begin() + static_cast<std::ptrdiff_t>(at),
                  all.begin() + static_cast<std::ptrdiff_t>(at) + length);
      return true;
    }
  return false;
}

void ModuleRecords(Bytes* all) {
  PutModule(all, 0x0001, kOrderNumber, nullptr);
  PutModule(all, 0x0006, kOrderNumber, kHardware);
  PutModule(all, 0x0007, "", kFirmware);
}

}  // namespace

std::vector<DiagEvent> DefaultDiagnostics() {
  // id, priority class, OB, DatID, info 1, info 2: a CPU's recent life.
  static constexpr DiagEvent kHistory[] = {
      {0x4302, 0xFF, 0x84, 0xC400, 0x0003, 0x00000000, {}},  // start-up to RUN
      {0x4301, 0xFF, 0x84, 0xC400, 0x0003, 0x00000000, {}},  // STOP to start-up
      {0x1381, 0x1B, 0x64, 0xFF84, 0x4301, 0x00000000, {}},  // manual warm restart
      {0x4304, 0xFF, 0x84, 0xC400, 0x0003, 0x00000000, {}},  // STOP by programming device
      {0x3501, 0x1A, 0x50, 0xFF84, 0x0226, 0x01F40096, {}},  // cycle time exceeded
      {0x2942, 0x01, 0x7A, 0x0054, 0x0100, 0x00000000, {}},  // I/O access error, reading
      {0x4563, 0xFF, 0x84, 0xC400, 0x0003, 0x00000000, {}},  // STOP: I/O access error, OB not loaded
      {0x39C4, 0x1A, 0x56, 0xC4FE, 0x0003, 0x00000000, {}},  // DP station failure
      {0x38C4, 0x1A, 0x56, 0xC4FE, 0x0003, 0x00000000, {}},  // DP station back
      {0x3921, 0x1A, 0x51, 0x0000, 0x0000, 0x00000000, {}},  // battery failure
      {0x3821, 0x1A, 0x51, 0x0000, 0x0000, 0x00000000, {}},  // battery back
      {0xA003, 0x01, 0x01, 0x0000, 0x1234, 0x00000000, {}},  // a user-definable event
      {0x9123, 0x01, 0x01, 0x0000, 0x0007, 0x00000000, {}},  // a user event
      {0x6523, 0x1A, 0x57, 0x0000, 0x0000, 0x00000000, {}},  // a communication event
      {0x530D, 0xFF, 0x84, 0x0000, 0x0000, 0x00000000, {}},  // new start-up information in STOP
      {0x4300, 0xFF, 0x84, 0xC400, 0x0003, 0x00000000, {}},  // backed-up power on
      {0x494E, 0xFF, 0x84, 0xC400, 0x0003, 0x00000000, {}},  // STOP: power failure
  };
  constexpr int kEntries = 30;
  const std::int64_t newest = SimDateTimeToMs({2024, 3, 1, 8, 0, 0, 0, 0});
  std::vector<DiagEvent> events;
  for (int i = 0; i < kEntries; ++i) {
    DiagEvent e = kHistory[static_cast<std::size_t>(i) % std::size(kHistory)];
    e.time = SimDateTimeFromMs(newest - i * (37 * 60000 + 13125));
    events.push_back(e);
  }
  return events;
}

std::vector<DiagEvent> PlcModel::Diagnostics() {
  std::lock_guard lock(mutex_);
  return diagnostics_;
}

void PlcModel::SetDiagnostics(const std::vector<DiagEvent>& newestFirst) {
  std::lock_guard lock(mutex_);
  diagnostics_ = newestFirst;
}

void PlcModel::SetSzlBehaviour(SzlBehaviour behaviour) {
  std::lock_guard lock(mutex_);
  szlBehaviour_ = behaviour;
}

void PlcModel::RefuseSzl(std::uint16_t id) {
  std::lock_guard lock(mutex_);
  refusedSzl_.push_back(id);
}

void PlcModel::Record(std::uint16_t id) {
  const SimDateTime now = SimDateTimeFromMs(NowMs());
  diagnostics_.insert(diagnostics_.begin(), DiagEvent{id, 0xFF, 0x84, 0xC400, 0x0003, 0, now});
  if (diagnostics_.size() > kDiagCapacity) diagnostics_.resize(kDiagCapacity);
  if ((id & 0xFF00) == 0x4300) {
    modeEvent_ = id;
    modeTime_ = now;
  }
}

std::uint16_t PlcModel::SzlRecords(std::uint16_t id, std::uint16_t index, const SessionState& session,
                                   int* recordLength, Bytes* records) {
  Bytes all;
  switch (id) {
    case 0x0000:
      *recordLength = 2;
      for (std::uint16_t list : kLists) Put16(records, list);
      return 0;
    case 0x0011:
    case 0x0111:
      *recordLength = 28;
      ModuleRecords(id == 0x0011 ? records : &all);
      break;
    case 0x001C:
    case 0x011C:
      *recordLength = 34;
      for (const ComponentText& c : kComponents) {
        Bytes* to = id == 0x001C ? records : &all;
        Put16(to, c.index);
        PutText(to, c.text, 32, 0x00);
      }
      break;
    case 0x0074:
    case 0x0174:
      *recordLength = 4;
      for (std::uint16_t led : kLedIds) {
        Bytes* to = id == 0x0074 ? records : &all;
        Put16(to, led);
        to->push_back(static_cast<std::uint8_t>((led == 0x0004 && running_) || (led == 0x0005 && !running_)));
        to->push_back(0);
      }
      break;
    case 0x0232: {
      if (index != 0x0004) return kErrNoIndex;
      *recordLength = 40;
      const bool password = !config_.password.empty();
      Put16(records, 0x0004);
      Put16(records, 1);                                         // key switch at RUN-P
      Put16(records, password ? 2 : 0);                          // write protection by password
      Put16(records, password && !session.loggedIn ? 2 : 1);
      Put16(records, 2);                                         // mode switch RUN-P
      Put16(records, 2);                                         // start-up switch WRST
      records->resize(40, 0);
      return 0;
    }
    case 0x0424: {
      *recordLength = 20;
      Put16(records, modeEvent_);
      records->push_back(0xFF);
      records->push_back(running_ ? 0x08 : 0x04);
      records->resize(12, 0);
      std::uint8_t stamp[8];
      EncodeSimDateTime(modeTime_, stamp);
      records->insert(records->end(), stamp, stamp + 8);
      return 0;
    }
    case 0x0131:
      if (index != 0x0001) return kErrNoIndex;
      *recordLength = 40;
      Put16(records, 0x0001);
      Put16(records, static_cast<std::uint32_t>(config_.pduSize));
      Put16(records, 16);
      Put32(records, 187500);
      Put32(records, 10500000);
      records->resize(40, 0);
      return 0;
    case 0x00A0:
    case 0x01A0: {
      *recordLength = 20;
      const std::size_t n = id == 0x00A0 ? diagnostics_.size() : std::min<std::size_t>(index, diagnostics_.size());
      for (std::size_t i = 0; i < n; ++i) PutDiag(records, diagnostics_[i]);
      return 0;
    }
    default: return kErrNoList;
  }
  // A single record of a list of several: the one whose first word is the index.
  if (id & 0x0100) return Pick(all, *recordLength, index, records) ? 0 : kErrNoIndex;
  return 0;
}

bool PlcModel::ReadSzl(const std::uint8_t* params, int paramLength, const std::uint8_t* data, int dataLength,
                       SessionState* session, SzlAnswer* answer) {
  Bytes& pending = session->szlPending;
  const bool followUp = paramLength >= 12 && params[4] == 0x12;
  bool first = false;
  if (followUp) {
    // The data unit reference is taken echoed or as 0, as CPUs differ there.
    if (pending.empty() || params[7] != session->szlSequence) {
      answer->error = kErrNoFollowUp;
      return true;
    }
  } else {
    if (dataLength < 8 || data[0] != 0xFF) {
      answer->error = kErrBadRequest;
      return true;
    }
    const std::uint16_t id = static_cast<std::uint16_t>((data[4] << 8) | data[5]);
    const std::uint16_t index = static_cast<std::uint16_t>((data[6] << 8) | data[7]);
    if (szlBehaviour_ == SzlBehaviour::Silent && id != 0x0424) return false;
    pending.clear();
    if (std::find(refusedSzl_.begin(), refusedSzl_.end(), id) != refusedSzl_.end()) {
      answer->error = kErrNoList;
      return true;
    }
    // Extract 0xF: the list's header alone, its record count without records.
    const bool headerOnly = (id & 0x0F00) == 0x0F00;
    int length = 0;
    Bytes records;
    answer->error = SzlRecords(headerOnly ? id & 0xF0FF : id, headerOnly ? 0 : index, *session, &length, &records);
    if (answer->error != 0) return true;
    const std::size_t count = records.size() / static_cast<std::size_t>(length);
    Put16(&pending, id);
    Put16(&pending, index);
    Put16(&pending, static_cast<std::uint32_t>(length));
    const std::size_t room = static_cast<std::size_t>((session->pduSize ? session->pduSize : config_.pduSize) -
                                                      kReplyOverhead);
    const bool fragmented = !headerOnly && pending.size() + 2 + records.size() > room;
    Put16(&pending, fragmented && szlBehaviour_ == SzlBehaviour::CountUnknown ? 0xFFFF
                                                                                : static_cast<std::uint32_t>(count));
    if (!headerOnly) pending.insert(pending.end(), records.begin(), records.end());
    first = true;
  }
  const std::size_t room =
      static_cast<std::size_t>((session->pduSize ? session->pduSize : config_.pduSize) - kReplyOverhead);
  const std::size_t n = std::min(room, pending.size());
  answer->data = {0xFF, 0x09, static_cast<std::uint8_t>(n >> 8), static_cast<std::uint8_t>(n)};
  answer->data.insert(answer->data.end(), pending.begin(), pending.begin() + static_cast<std::ptrdiff_t>(n));
  pending.erase(pending.begin(), pending.begin() + static_cast<std::ptrdiff_t>(n));
  if (first && !pending.empty()) {
    lastSzlSequence_ = static_cast<std::uint8_t>(lastSzlSequence_ == 0xFF ? 1 : lastSzlSequence_ + 1);
    session->szlSequence = lastSzlSequence_;
    session->szlUnit = static_cast<std::uint8_t>(0x40 | (lastSzlSequence_ & 0x3F));
  }
  if (!first || !pending.empty()) {
    answer->sequence = session->szlSequence;
    answer->unit = session->szlUnit;
  }
  answer->more = pending.empty() ? 0 : 1;
  return true;
}

}  // namespace plcsim
