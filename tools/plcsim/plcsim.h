// A simulated S7 CPU on ISO-on-TCP, for tests and demonstrations: it listens
// on a loopback address, port 102, answers connection requests for its rack
// and slot, serves S7 PDUs from its PlcModel, and injects faults on request so
// that every failure path of a client can be driven for real.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
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

struct Config {
  std::uint32_t address = 0;  // network byte order; 0 picks a free 127.x.y.z
  std::uint16_t port = 102;
  int rack = 0;
  int slot = 2;
  ModelConfig model;
};

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

 private:
  struct Session;
  void AcceptLoop();
  void Serve(PlatSocket s);
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
};

// Text of an IPv4 address in network byte order, and back (0 if invalid).
std::string Ipv4Text(std::uint32_t address);
std::uint32_t ParseIpv4(const std::string& text);

}  // namespace plcsim
