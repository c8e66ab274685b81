// A simulated S7 CPU on ISO-on-TCP, for tests and demonstrations: it listens
// on a loopback address, port 102, answers connection requests for its rack
// and slot, serves S7 PDUs from its PlcModel, and injects faults on request so
// that every failure path of a client can be driven for real.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/platform.h"
#include "tools/plcsim/plcmodel.h"

namespace plcsim {

enum class FaultKind {
  NoAnswer,          // swallow the next request (CR or PDU) without answering
  RefuseWithDR,      // answer the next CR with a DR
  SplitFrames,       // send the next reply PDU in `pieces` DT frames, `pauseMs` apart
  SplitSegments,     // send each frame of the next reply in `pieces` TCP writes, `pauseMs` apart
  Delay,             // answer the next request `pauseMs` late
  CloseMidReply,     // send half of the next reply frame, then close the connection
  BadVersion,        // next reply frame has TPKT version 2
  OversizeFrame,     // next reply frame claims `value` bytes (above 519) and carries them
  WrongTpdu,         // next reply frame has TPDU code `value`
  RewriteReply,      // only `rewrite` the next reply PDU
  StaleReply,        // before the next reply, send a copy of it with another PDU reference
};

struct Fault {
  FaultKind kind;
  int pieces = 2;
  int pauseMs = 0;
  int value = 0;
  // Edits the reply PDU before it is framed, whatever the kind.
  std::function<void(Bytes& pdu)> rewrite;
};

// The PLC families the simulator can be: they differ in the connection
// requests they accept (plcfamily.cpp) and in what their CPU refuses.
enum class Family { S7_300, S7_1200, S7_1500, Logo, S7_200, S7_200Smart, Custom };

struct Config {
  std::uint32_t address = 0;  // network byte order; 0 picks a free 127.x.y.z
  std::uint16_t port = 102;
  Family family = Family::S7_300;
  // S7-300/400, S7-1200/1500, S7-200 SMART: the CPU's place, which the low
  // byte of the called TSAP names (any connection type is accepted).
  int rack = 0;
  int slot = 2;
  // LOGO!, S7-200 and custom: the one pair of TSAPs accepted.
  std::uint16_t localTsap = 0;
  std::uint16_t remoteTsap = 0;
  // PG connections served at once (0: any number); one more is refused
  // with a DR, as a CPU whose connection resources are used up.
  int pgConnections = 0;
  ModelConfig model;
};

// The Config of a family as such a CPU comes out of its box: its rack and
// slot or TSAPs, an S7-300's and an S7-200 SMART's single PG connection.
Config FamilyConfig(Family family);
// "S7-300", "S7-1200", "S7-1500", "LOGO", "S7-200", "S7-200SMART", "custom"
// (any case); false for another text.
bool ParseFamily(const std::string& text, Family* family);

// What a connection request asks for, and whether this PLC takes it: the
// connection type (the called TSAP's high byte for the rack/slot families,
// else 0), or -1 when the TSAPs are not this PLC's.
int AcceptedConnectionType(const Config& config, const Bytes& request);

// How the simulator goes away: the port closed (connects are refused, as by
// a host without the PLC), or the port open and connection requests left
// unanswered (a CPU that hangs).
enum class Outage { Refuse, Silent };

class Simulator {
 public:
  Simulator();
  ~Simulator();
  Simulator(const Simulator&) = delete;
  Simulator& operator=(const Simulator&) = delete;

  // Starts listening; false with the WSA code in *wsaError when it cannot.
  bool Start(const Config& config, int* wsaError = nullptr);
  void Stop();

  std::uint32_t Address() const { return config_.address; }
  std::string AddressText() const;
  PlcModel& Model() { return *model_; }

  // Closes every open connection and stays away for ms (0: only the
  // connections are dropped, or an outage ends), then serves again at the
  // same address. When it returns, the connections are closed and the port
  // is closed (Refuse) or open again (back).
  void GoAway(int ms, Outage how = Outage::Refuse);
  bool Away() const;

  // Faults apply, in the order queued, one to each following request PDU;
  // connection requests (CR) have a queue of their own.
  void Inject(Fault fault);
  void InjectOnConnect(Fault fault);
  void ClearFaults();

  // What arrived, for checking the client's bytes on the wire.
  Bytes LastConnectRequest() const;
  Bytes LastRequestPdu() const;
  // The last reply PDU as sent (after any rewrite), e.g. to seed a fuzz corpus.
  Bytes LastReplyPdu() const;
  int RequestCount() const { return requests_.load(); }
  int ConnectRequestCount() const { return connects_.load(); }
  int DisconnectRequestCount() const { return disconnects_.load(); }
  int OpenSessions() const { return sessions_open_.load(); }
  int RefusedConnectCount() const { return refused_.load(); }

 private:
  struct Session;
  void AcceptLoop();
  bool Listen();
  void Serve(PlatSocket s);
  // The CR's answer (CC or DR); *pg tells whether a PG slot was taken.
  bool AnswerConnect(PlatSocket s, const Bytes& frame, bool* pg);
  bool TakePgSlot();
  void ReleasePgSlot();
  int OpenSession();  // the session's generation
  void CloseSession(int generation);
  bool RefusingNow() const;
  bool TakeFault(std::vector<Fault>* queue, Fault* out);
  bool SendReply(PlatSocket s, const Bytes& frame, const Fault* fault);
  bool SendPdu(PlatSocket s, const Bytes& pdu, const Fault* fault);

  Config config_;
  std::unique_ptr<PlcModel> model_;
  PlatSocket listener_ = kNoSocket;
  std::atomic<bool> stop_{false};
  std::thread acceptor_;
  mutable std::mutex mutex_;
  std::vector<std::thread> workers_;
  std::vector<Fault> faults_;
  std::vector<Fault> connect_faults_;
  Bytes last_cr_;
  Bytes last_pdu_;
  Bytes last_reply_;
  std::atomic<int> requests_{0};
  std::atomic<int> connects_{0};
  std::atomic<int> disconnects_{0};
  std::atomic<int> sessions_open_{0};
  std::atomic<int> refused_{0};
  // Going away: sessions started before the current generation end; the
  // acceptor closes the port until awayUntil_ (ticks) and says so.
  std::atomic<int> generation_{0};
  std::atomic<bool> away_{false};
  std::atomic<std::uint32_t> awayUntil_{0};
  std::atomic<int> outage_{0};
  std::atomic<bool> portClosed_{false};
  int pgOpen_ = 0;                    // under mutex_
  std::map<int, int> live_;           // open sessions per generation, under mutex_
  std::condition_variable changed_;   // a session or a PG slot ended
};

// Text of an IPv4 address in network byte order, and back (0 if invalid).
std::string Ipv4Text(std::uint32_t address);
std::uint32_t ParseIpv4(const std::string& text);

}  // namespace plcsim
