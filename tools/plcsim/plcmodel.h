// The simulated CPU behind the simulator's sockets: takes one S7 request PDU
// and builds its reply, as a real CPU would, from its own state (memory
// areas, operating state, clock, protection). It knows nothing of the
// transport, so any stand-in access point can serve the same model.
#pragma once

#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

namespace plcsim {

using Bytes = std::vector<std::uint8_t>;

// Memory area codes as they travel in a read or write item.
enum : std::uint8_t {
  kAreaInputs = 0x81,
  kAreaOutputs = 0x82,
  kAreaFlags = 0x83,
  kAreaDataBlock = 0x84,
  kAreaTimers = 0x1D,
  kAreaCounters = 0x1C,
};

// How an S7-1200/1500 lets a client at a data block: a global DB with
// optimized block access off reads as any S7-300 DB; with it on, or behind
// the CPU's protection, items are refused with the code such a CPU gives.
enum class DbAccess { Standard, Optimized, Protected };
// A date and time of the CPU clock; weekday 0 = Sunday.
struct SimDateTime {
  int year, month, day, hour, minute, second, millisecond, weekday;
};

struct DataBlockSpec {
  int number;
  int size;  // bytes
  DbAccess access = DbAccess::Standard;
};

struct ModelConfig {
  int pduSize = 240;  // the most this CPU grants in the setup communication
  int inputBytes = 256;
  int outputBytes = 256;
  int flagBytes = 256;
  int timers = 256;    // each an S5TIME word
  int counters = 256;  // each a BCD word
  std::vector<DataBlockSpec> dataBlocks = {{1, 512}, {2, 64}, {10, 1024}};
  std::string password;  // not empty: writes are refused until a login with it
  bool running = true;
  // S7-1200/1500 "permit access with PUT/GET": off, every read and write job
  // is answered with the header error 0x8104.
  bool putGet = true;
};

// One entry of the diagnostic buffer as a CPU records it.
struct DiagEvent {
  std::uint16_t id;
  std::uint8_t priorityClass;
  std::uint8_t obNumber;
  std::uint16_t datId;
  std::uint16_t info1;
  std::uint32_t info2;
  SimDateTime time;
};

// How the CPU answers system status list reads.
enum class SzlBehaviour {
  Answer,             // as a CPU: every list it keeps, long ones in fragments
  CountUnknown,       // as Answer, but a fragmented list claims 0xFFFF records
  Silent,             // no answer at all to a list read but the state's (a LOGO!)
};

// What a CPU keeps per connection.
struct SessionState {
  bool loggedIn = false;
  int pduSize = 0;            // granted by the setup communication; 0: the CPU's most
  // The rest of a list whose first fragment went out, and the sequence
  // number and data unit reference its follow-ups must repeat.
  std::vector<std::uint8_t> szlPending;
  std::uint8_t szlSequence = 0;
  std::uint8_t szlUnit = 0;
};

class PlcModel {
 public:
  explicit PlcModel(const ModelConfig& config);

  // Builds the reply to one request PDU; false when the request gets none.
  // The session holds what the CPU keeps per connection (null: a default one).
  bool Handle(const Bytes& request, Bytes* reply, SessionState* session = nullptr);

  int PduSize() const { return config_.pduSize; }

  // Memory as the CPU holds it, for tests that check wire bytes. offset is a
  // byte offset into the area (timers and counters: 2 bytes per element);
  // db is the data block number for kAreaDataBlock. Reading outside the area
  // gives an empty result; writing outside it changes nothing (false).
  Bytes ReadMemory(std::uint8_t area, int db, int offset, int length);
  bool WriteMemory(std::uint8_t area, int db, int offset, const Bytes& bytes);

  bool Running();
  void SetRunning(bool running);
  int LastRestart();  // -1 none yet, 0 warm, 1 cold
  SimDateTime Clock();
  void SetClock(const SimDateTime& clock);
  void SetPassword(const std::string& password);

  // The diagnostic buffer, newest first. It starts with a history of its
  // own; stops and starts add their entries at the front.
  std::vector<DiagEvent> Diagnostics();
  void SetDiagnostics(const std::vector<DiagEvent>& newestFirst);
  // System status lists: how they are answered, and lists refused as a CPU
  // refuses one it does not keep (0xD401).
  void SetSzlBehaviour(SzlBehaviour behaviour);
  void RefuseSzl(std::uint16_t id);

 private:
  struct Area {
    std::uint8_t code;
    int number;  // data block number, else 0
    Bytes bytes;
    DbAccess access = DbAccess::Standard;
  };

  Area* FindArea(std::uint8_t code, int db);
  void SetupCommunication(const Bytes& request, SessionState* session, Bytes* reply);
  void ReadVariables(const Bytes& request, int paramLength, Bytes* reply);
  void WriteVariables(const Bytes& request, int paramLength, int dataLength, SessionState* session, Bytes* reply);
  void Control(const Bytes& request, Bytes* reply);
  bool Userdata(const Bytes& request, int paramLength, SessionState* session, Bytes* reply);
  // A list read or its follow-up: false when the CPU stays silent; else the
  // reply's parameter fields and data part.
  struct SzlAnswer {
    std::uint16_t error = 0;
    std::uint8_t sequence = 0, unit = 0, more = 0;
    Bytes data;
  };
  bool ReadSzl(const std::uint8_t* params, int paramLength, const std::uint8_t* data, int dataLength,
               SessionState* session, SzlAnswer* answer);
  // The records of list id/index: 0, or the error a CPU answers when it
  // does not keep the list or the index.
  std::uint16_t SzlRecords(std::uint16_t id, std::uint16_t index, const SessionState& session, int* recordLength,
                  Bytes* records);
  void Record(std::uint16_t id);  // a mode transition, into the diagnostic buffer
  // Resolves a request item to the bytes it names; 0xFF or the item's return code.
  std::uint8_t ResolveItem(const std::uint8_t* item, bool writing, Area** area, int* offset, int* length,
                           std::uint8_t* transport);
  std::int64_t NowMs();

  ModelConfig config_;
  std::vector<Area> areas_;
  bool running_;
  int lastRestart_ = -1;
  std::int64_t clockBaseMs_;  // CPU time at clockAnchor_, ms since 1970-01-01
  std::chrono::steady_clock::time_point clockAnchor_;
  SessionState defaultSession_;
  std::vector<DiagEvent> diagnostics_;
  SzlBehaviour szlBehaviour_ = SzlBehaviour::Answer;
  std::vector<std::uint16_t> refusedSzl_;
  std::uint8_t lastSzlSequence_ = 0;
  std::uint16_t modeEvent_ = 0x4302;  // the last mode transition, for list 0x0424
  SimDateTime modeTime_{};
  std::mutex mutex_;
};

// The history a new CPU's diagnostic buffer starts with, newest first: mode
// transitions, STOP causes, power, I/O and module events, user events.
std::vector<DiagEvent> DefaultDiagnostics();

// Reply header helpers: an acknowledgement (message type 2 or 3) with the
// request's PDU reference, parameter and data lengths filled in later.
Bytes AckHeader(const Bytes& request, std::uint8_t type, std::uint8_t errorClass, std::uint8_t errorCode);
void FinishLengths(Bytes* pdu, int headerLength, int paramLength);

// Calendar arithmetic of the CPU clock (proleptic Gregorian, UTC).
std::int64_t SimDateTimeToMs(const SimDateTime& t);
SimDateTime SimDateTimeFromMs(std::int64_t ms);
// DATE_AND_TIME wire bytes; false if they hold no valid date and time.
void EncodeSimDateTime(const SimDateTime& t, std::uint8_t* wire8);
bool DecodeSimDateTime(const std::uint8_t* wire8, SimDateTime* t);

}  // namespace plcsim
