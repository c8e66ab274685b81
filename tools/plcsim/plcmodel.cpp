// The simulated CPU's dispatch and its state: which service a request asks
// for, the setup communication, start and stop, and the accessors tests use
// to look at and change the CPU directly.
#include "tools/plcsim/plcmodel.h"

#include <algorithm>
#include <cstring>

namespace plcsim {

namespace {
constexpr std::uint8_t kFunctionSetup = 0xF0;
constexpr std::uint8_t kFunctionRead = 0x04;
constexpr std::uint8_t kFunctionWrite = 0x05;
constexpr std::uint8_t kFunctionStart = 0x28;
constexpr std::uint8_t kFunctionStop = 0x29;
}  // namespace

Bytes AckHeader(const Bytes& request, std::uint8_t type, std::uint8_t errorClass, std::uint8_t errorCode) {
  Bytes pdu = {0x32, type, 0x00, 0x00, request.size() > 5 ? request[4] : std::uint8_t{0},
               request.size() > 5 ? request[5] : std::uint8_t{0}, 0, 0, 0, 0};
  if (type == 2 || type == 3) {
    pdu.push_back(errorClass);
    pdu.push_back(errorCode);
  }
  return pdu;
}

void FinishLengths(Bytes* pdu, int headerLength, int paramLength) {
  int dataLength = static_cast<int>(pdu->size()) - headerLength - paramLength;
  (*pdu)[6] = static_cast<std::uint8_t>(paramLength >> 8);
  (*pdu)[7] = static_cast<std::uint8_t>(paramLength);
  (*pdu)[8] = static_cast<std::uint8_t>(dataLength >> 8);
  (*pdu)[9] = static_cast<std::uint8_t>(dataLength);
}

PlcModel::PlcModel(const ModelConfig& config) : config_(config), running_(config.running) {
  areas_.push_back({kAreaInputs, 0, Bytes(static_cast<std::size_t>(config.inputBytes))});
  areas_.push_back({kAreaOutputs, 0, Bytes(static_cast<std::size_t>(config.outputBytes))});
  areas_.push_back({kAreaFlags, 0, Bytes(static_cast<std::size_t>(config.flagBytes))});
  areas_.push_back({kAreaTimers, 0, Bytes(2 * static_cast<std::size_t>(config.timers))});
  areas_.push_back({kAreaCounters, 0, Bytes(2 * static_cast<std::size_t>(config.counters))});
  for (const DataBlockSpec& db : config.dataBlocks)
    areas_.push_back({kAreaDataBlock, db.number, Bytes(static_cast<std::size_t>(db.size)), db.access});
  clockAnchor_ = std::chrono::steady_clock::now();
  clockBaseMs_ = std::chrono::duration_cast<std::chrono::milliseconds>(
                     std::chrono::system_clock::now().time_since_epoch())
                     .count();
  diagnostics_ = DefaultDiagnostics();
  modeTime_ = diagnostics_.front().time;
}

PlcModel::Area* PlcModel::FindArea(std::uint8_t code, int db) {
  for (Area& area : areas_)
    if (area.code == code && (code != kAreaDataBlock || area.number == db)) return &area;
  return nullptr;
}

bool PlcModel::Handle(const Bytes& request, Bytes* reply, SessionState* session) {
  std::lock_guard lock(mutex_);
  if (!session) session = &defaultSession_;
  if (request.size() < 10 || request[0] != 0x32) return false;
  const std::uint8_t type = request[1];
  const int paramLength = (request[6] << 8) | request[7];
  const int dataLength = (request[8] << 8) | request[9];
  if (10 + static_cast<std::size_t>(paramLength) + static_cast<std::size_t>(dataLength) > request.size() ||
      paramLength < 1) {
    *reply = AckHeader(request, 2, 0x84, 0x01);  // a request whose lengths do not add up
    FinishLengths(reply, 12, 0);
    return true;
  }
  const bool job = type == 1 && (request[10] == kFunctionRead || request[10] == kFunctionWrite);
  if (job && !config_.putGet) {
    *reply = AckHeader(request, 2, 0x81, 0x04);  // no parameter, no data
    FinishLengths(reply, 12, 0);
    return true;
  }
  if (type == 1) {
    // A job larger than the PDU granted, or one whose answer would be, is
    // refused as a CPU does: the client broke the size it agreed to.
    if (job && session->pduSize > 0 && static_cast<int>(request.size()) > session->pduSize) {
      *reply = AckHeader(request, 2, 0x85, 0x00);
      FinishLengths(reply, 12, 0);
      return true;
    }
    switch (request[10]) {
      case kFunctionSetup: SetupCommunication(request, session, reply); return true;
      case kFunctionRead:
        ReadVariables(request, paramLength, reply);
        if (session->pduSize > 0 && static_cast<int>(reply->size()) > session->pduSize) {
          *reply = AckHeader(request, 2, 0x85, 0x00);
          FinishLengths(reply, 12, 0);
        }
        return true;
      case kFunctionWrite: WriteVariables(request, paramLength, dataLength, session, reply); return true;
      case kFunctionStart:
      case kFunctionStop: Control(request, reply); return true;
      default: break;
    }
  } else if (type == 7) {
    return Userdata(request, paramLength, session, reply);
  }
  // Anything this CPU does not offer: an acknowledgement carrying the error
  // a CPU gives for a service it does not know.
  *reply = AckHeader(request, 2, 0x84, 0x04);
  FinishLengths(reply, 12, 0);
  return true;
}

void PlcModel::SetupCommunication(const Bytes& request, SessionState* session, Bytes* reply) {
  int asked = request.size() >= 18 ? (request[16] << 8) | request[17] : 0;
  int granted = asked > 0 && asked < config_.pduSize ? asked : config_.pduSize;
  session->pduSize = granted;
  *reply = AckHeader(request, 3, 0, 0);
  const std::uint8_t params[8] = {0xF0, 0x00, 0x00, 0x01, 0x00, 0x01,
                                  static_cast<std::uint8_t>(granted >> 8), static_cast<std::uint8_t>(granted)};
  reply->insert(reply->end(), params, params + 8);
  FinishLengths(reply, 12, 8);
}

// Start (warm or cold restart) and stop. A cold restart also clears what a
// warm restart keeps: flags, timers and counters.
void PlcModel::Control(const Bytes& request, Bytes* reply) {
  const std::uint8_t function = request[10];
  if (function == kFunctionStart) {
    const int paramLength = (request[6] << 8) | request[7];
    const bool cold = paramLength >= 12 && request[10 + 9] == 0x02 && request[10 + 10] == 'C';
    if (cold) {
      for (Area& area : areas_)
        if (area.code == kAreaFlags || area.code == kAreaTimers || area.code == kAreaCounters)
          std::fill(area.bytes.begin(), area.bytes.end(), 0);
    }
    lastRestart_ = cold ? 1 : 0;
    running_ = true;
    Record(cold ? 0x1385 : 0x1381);
    Record(0x4301);
    Record(0x4302);
  } else {
    running_ = false;
    Record(0x4304);
  }
  *reply = AckHeader(request, 3, 0, 0);
  reply->push_back(function);
  FinishLengths(reply, 12, 1);
}

Bytes PlcModel::ReadMemory(std::uint8_t code, int db, int offset, int length) {
  std::lock_guard lock(mutex_);
  Area* area = FindArea(code, db);
  if (!area || offset < 0 || length < 0 || static_cast<std::size_t>(offset) + static_cast<std::size_t>(length) >
                                                    area->bytes.size())
    return {};
  return Bytes(area->bytes.begin() + offset, area->bytes.begin() + offset + length);
}

bool PlcModel::WriteMemory(std::uint8_t code, int db, int offset, const Bytes& bytes) {
  std::lock_guard lock(mutex_);
  Area* area = FindArea(code, db);
  if (!area || offset < 0 || static_cast<std::size_t>(offset) + bytes.size() > area->bytes.size()) return false;
  std::copy(bytes.begin(), bytes.end(), area->bytes.begin() + offset);
  return true;
}

bool PlcModel::Running() {
  std::lock_guard lock(mutex_);
  return running_;
}

void PlcModel::SetRunning(bool running) {
  std::lock_guard lock(mutex_);
  running_ = running;
}

int PlcModel::LastRestart() {
  std::lock_guard lock(mutex_);
  return lastRestart_;
}

void PlcModel::SetPassword(const std::string& password) {
  std::lock_guard lock(mutex_);
  config_.password = password;
}

std::int64_t PlcModel::NowMs() {
  const auto elapsed = std::chrono::steady_clock::now() - clockAnchor_;
  return clockBaseMs_ + std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count();
}

SimDateTime PlcModel::Clock() {
  std::lock_guard lock(mutex_);
  return SimDateTimeFromMs(NowMs());
}

void PlcModel::SetClock(const SimDateTime& clock) {
  std::lock_guard lock(mutex_);
  clockAnchor_ = std::chrono::steady_clock::now();
  clockBaseMs_ = SimDateTimeToMs(clock);
}

}  // namespace plcsim
