// The simulator's network side: listening, the ISO-on-TCP handshake, framing
// of requests and replies, and the injected faults.
#include "tools/plcsim/plcsim.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <random>
#include <functional>

namespace plcsim {

namespace {

constexpr std::uint8_t kTpduCR = 0xE0;
constexpr std::uint8_t kTpduCC = 0xD0;
constexpr std::uint8_t kTpduDR = 0x80;
constexpr std::uint8_t kTpduDT = 0xF0;
constexpr int kPollMs = 50;

std::uint32_t MakeIpv4(int a, int b, int c, int d) {
  std::uint8_t bytes[4] = {static_cast<std::uint8_t>(a), static_cast<std::uint8_t>(b),
                           static_cast<std::uint8_t>(c), static_cast<std::uint8_t>(d)};
  std::uint32_t v;
  std::memcpy(&v, bytes, 4);
  return v;
}

Bytes DataFrame(const std::uint8_t* payload, std::size_t length, bool last) {
  Bytes frame(7 + length);
  frame[0] = 0x03;
  frame[4] = 0x02;
  frame[5] = kTpduDT;
  frame[6] = last ? 0x80 : 0x00;
  if (length) std::memcpy(frame.data() + 7, payload, length);
  frame[2] = static_cast<std::uint8_t>(frame.size() >> 8);
  frame[3] = static_cast<std::uint8_t>(frame.size());
  return frame;
}

bool SendAll(PlatSocket s, const std::uint8_t* data, std::size_t length) {
  while (length > 0) {
    int n = Plat_SockSend(s, data, static_cast<int>(length));
    if (n <= 0) return false;
    data += n;
    length -= static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

std::string Ipv4Text(std::uint32_t address) {
  std::uint8_t b[4];
  std::memcpy(b, &address, 4);
  char text[16];
  std::snprintf(text, sizeof text, "%u.%u.%u.%u", b[0], b[1], b[2], b[3]);
  return text;
}

std::uint32_t ParseIpv4(const std::string& text) {
  unsigned a, b, c, d;
  char tail;
  if (std::sscanf(text.c_str(), "%u.%u.%u.%u%c", &a, &b, &c, &d, &tail) != 4) return 0;
  if (a > 255 || b > 255 || c > 255 || d > 255) return 0;
  return MakeIpv4(static_cast<int>(a), static_cast<int>(b), static_cast<int>(c), static_cast<int>(d));
}

Simulator::Simulator() = default;

Simulator::~Simulator() { Stop(); }

bool Simulator::Start(const Config& config, int* wsaError) {
  config_ = config;
  model_ = std::make_unique<PlcModel>(config.model);
  int wsa = 0;
  Plat_SockStartup(&wsa);
  away_ = false;
  portClosed_ = false;
  if (config_.address != 0) {
    listener_ = Plat_SockListen(config_.address, config_.port, &wsa);
  } else {
    // A random loopback address per simulator, so that tests running side by
    // side (and several simulators in one test) do not meet on port 102.
    std::random_device seed;
    std::mt19937 rng(seed());
    for (int attempt = 0; attempt < 64 && listener_ == kNoSocket; ++attempt) {
      config_.address = MakeIpv4(127, 16 + static_cast<int>(rng() % 230), static_cast<int>(rng() % 256),
                                 1 + static_cast<int>(rng() % 254));
      listener_ = Plat_SockListen(config_.address, config_.port, &wsa);
    }
  }
  if (wsaError) *wsaError = wsa;
  if (listener_ == kNoSocket) {
    Plat_SockCleanup();
    return false;
  }
  stop_ = false;
  acceptor_ = std::thread([this] { AcceptLoop(); });
  return true;
}

void Simulator::Stop() {
  if (!acceptor_.joinable()) return;
  stop_ = true;
  acceptor_.join();
  if (listener_ != kNoSocket) Plat_SockClose(listener_);
  listener_ = kNoSocket;
  std::vector<std::thread> workers;
  {
    std::lock_guard lock(mutex_);
    workers.swap(workers_);
  }
  for (std::thread& t : workers) t.join();
  Plat_SockCleanup();
}

std::string Simulator::AddressText() const { return Ipv4Text(config_.address); }

void Simulator::Inject(Fault fault) {
  std::lock_guard lock(mutex_);
  faults_.push_back(std::move(fault));
}

void Simulator::InjectOnConnect(Fault fault) {
  std::lock_guard lock(mutex_);
  connect_faults_.push_back(std::move(fault));
}

void Simulator::ClearFaults() {
  std::lock_guard lock(mutex_);
  faults_.clear();
  connect_faults_.clear();
}

bool Simulator::TakeFault(std::vector<Fault>* queue, Fault* out) {
  std::lock_guard lock(mutex_);
  if (queue->empty()) return false;
  *out = std::move(queue->front());
  queue->erase(queue->begin());
  return true;
}

Bytes Simulator::LastConnectRequest() const {
  std::lock_guard lock(mutex_);
  return last_cr_;
}

Bytes Simulator::LastRequestPdu() const {
  std::lock_guard lock(mutex_);
  return last_pdu_;
}

Bytes Simulator::LastReplyPdu() const {
  std::lock_guard lock(mutex_);
  return last_reply_;
}

void Simulator::GoAway(int ms, Outage how) {
  {
    std::lock_guard lock(mutex_);
    awayUntil_ = Plat_TickCount() + static_cast<std::uint32_t>(ms);
    outage_ = static_cast<int>(how);
    away_ = ms > 0;
  }
  const int current = ++generation_;
  // Back only when it has taken effect: the earlier sessions have ended and,
  // for a refusing outage, the port is closed, so what a test does next
  // meets it.
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [&] { return stop_.load() || live_.empty() || live_.begin()->first >= current; });
  lock.unlock();
  // Likewise the port: closed for a refusing outage, open again on return.
  while (!stop_ && portClosed_.load() != RefusingNow()) Plat_Sleep(5);
}

bool Simulator::Away() const {
  if (!away_.load()) return false;
  return static_cast<std::int32_t>(awayUntil_.load() - Plat_TickCount()) > 0;
}

bool Simulator::Listen() {
  int wsa = 0;
  listener_ = Plat_SockListen(config_.address, config_.port, &wsa);
  return listener_ != kNoSocket;
}

void Simulator::AcceptLoop() {
  while (!stop_) {
    const bool closedByOutage = Away() && outage_.load() == static_cast<int>(Outage::Refuse);
    if (closedByOutage || listener_ == kNoSocket) {
      if (closedByOutage && listener_ != kNoSocket) {
        Plat_SockClose(listener_);
        listener_ = kNoSocket;
      }
      portClosed_ = listener_ == kNoSocket;
      // Coming back: the address may still be held for a moment by the
      // connections just closed, so binding is tried again until it works.
      if (!closedByOutage && !Listen()) Plat_Sleep(20);
      else if (closedByOutage) Plat_Sleep(10);
      portClosed_ = listener_ == kNoSocket;
      continue;
    }
    if (Plat_SockWaitReadable(listener_, kPollMs) != 1) continue;
    PlatSocket s = Plat_SockAccept(listener_);
    if (s == kNoSocket) continue;
    std::lock_guard lock(mutex_);
    workers_.emplace_back([this, s] { Serve(s); });
  }
}

namespace {

// Asked between waits: true when the session has to end on this side.
using Quit = std::function<bool()>;

// Reads exactly `length` bytes, giving up when the peer closes or the
// session has to end.
bool ReadExact(PlatSocket s, std::uint8_t* out, std::size_t length, const Quit& quit) {
  while (length > 0) {
    if (quit()) return false;
    int ready = Plat_SockWaitReadable(s, kPollMs);
    if (ready < 0) return false;
    if (ready == 0) continue;
    int n = Plat_SockRecv(s, out, static_cast<int>(length));
    if (n <= 0) return false;
    out += n;
    length -= static_cast<std::size_t>(n);
  }
  return true;
}

bool ReadFrame(PlatSocket s, Bytes* frame, const Quit& stop) {
  frame->assign(4, 0);
  if (!ReadExact(s, frame->data(), 4, stop)) return false;
  int length = ((*frame)[2] << 8) | (*frame)[3];
  if ((*frame)[0] != 3 || length < 7) return false;  // a client that speaks nonsense is dropped
  frame->resize(static_cast<std::size_t>(length));
  return ReadExact(s, frame->data() + 4, static_cast<std::size_t>(length - 4), stop);
}

}  // namespace

bool Simulator::TakePgSlot() {
  std::unique_lock lock(mutex_);
  // A client that has just sent its DR and connects again may be quicker
  // than the session that reads the DR: a moment's grace keeps that from
  // looking like a second client.
  const bool free = changed_.wait_for(lock, std::chrono::milliseconds(250), [this] {
    return config_.pgConnections <= 0 || pgOpen_ < config_.pgConnections;
  });
  if (free) ++pgOpen_;
  return free;
}

void Simulator::ReleasePgSlot() {
  std::lock_guard lock(mutex_);
  --pgOpen_;
  changed_.notify_all();
}

bool Simulator::AnswerConnect(PlatSocket s, const Bytes& frame, bool* pg) {
  ++connects_;
  {
    std::lock_guard lock(mutex_);
    last_cr_ = frame;
  }
  Fault fault{};
  bool faulty = TakeFault(&connect_faults_, &fault);
  if (faulty && fault.kind == FaultKind::NoAnswer) return true;
  if (Away()) return true;  // a silent outage: the request is left unanswered
  if (faulty && fault.kind == FaultKind::Delay) Plat_Sleep(static_cast<std::uint32_t>(fault.pauseMs));
  const int type = AcceptedConnectionType(config_, frame);
  bool accept = type >= 0 && !(faulty && fault.kind == FaultKind::RefuseWithDR);
  // One connection request per session takes a PG slot; a CPU with its PG
  // resources used up refuses the next as it refuses a wrong TSAP.
  if (accept && type == 1 && !*pg) accept = *pg = TakePgSlot();
  if (!accept) ++refused_;
  // The answer is the request's first 22 bytes (its parameters echoed),
  // padded with zeros: the references of a request cut short read as zero,
  // not from beyond it, and its lengths are those of what is sent.
  Bytes answer = frame;
  answer.resize(22);
  answer[2] = 0x00;
  answer[3] = 22;
  answer[4] = 22 - 5;
  answer[5] = accept ? kTpduCC : kTpduDR;
  answer[6] = answer[8];  // destination reference = the client's source reference
  answer[7] = answer[9];
  answer[8] = 0x00;
  answer[9] = 0x01;
  return SendReply(s, answer, faulty ? &fault : nullptr);
}

void Simulator::Serve(PlatSocket s) {
  const int generation = OpenSession();
  // A session ends when the simulator stops or goes away (a newer
  // generation), and at once when it was accepted just as the port closed.
  const Quit quit = [this, generation] { return stop_.load() || generation_.load() != generation || RefusingNow(); };
  Plat_SockNoDelay(s);
  Bytes frame;
  Bytes pdu;
  SessionState session;  // what the CPU keeps for this connection (login)
  bool pg = false;       // holds a PG slot
  bool open = true;
  while (open && ReadFrame(s, &frame, quit)) {
    const std::uint8_t code = frame[5];
    if (code == kTpduDR) {
      ++disconnects_;
      break;
    }
    if (code == kTpduCR) {
      open = AnswerConnect(s, frame, &pg);
      continue;
    }
    if (code != kTpduDT || frame.size() < 7) continue;
    pdu.insert(pdu.end(), frame.begin() + 7, frame.end());
    if (!(frame[6] & 0x80)) continue;  // more frames of this PDU to come
    ++requests_;
    {
      std::lock_guard lock(mutex_);
      last_pdu_ = pdu;
    }
    Fault fault{};
    bool faulty = TakeFault(&faults_, &fault);
    Bytes reply;
    bool answer = !(faulty && fault.kind == FaultKind::NoAnswer) && model_->Handle(pdu, &reply, &session);
    pdu.clear();
    if (!answer) continue;
    if (faulty && fault.rewrite) fault.rewrite(reply);
    {
      std::lock_guard lock(mutex_);
      last_reply_ = reply;
    }
    open = SendPdu(s, reply, faulty ? &fault : nullptr);
  }
  if (pg) ReleasePgSlot();
  Plat_SockClose(s);
  CloseSession(generation);
}

int Simulator::OpenSession() {
  std::lock_guard lock(mutex_);
  ++sessions_open_;
  const int generation = generation_.load();
  ++live_[generation];
  return generation;
}

void Simulator::CloseSession(int generation) {
  std::lock_guard lock(mutex_);
  --sessions_open_;
  if (--live_[generation] == 0) live_.erase(generation);
  changed_.notify_all();
}

bool Simulator::RefusingNow() const { return Away() && outage_.load() == static_cast<int>(Outage::Refuse); }

bool Simulator::SendPdu(PlatSocket s, const Bytes& pdu, const Fault* fault) {
  if (fault && fault->kind == FaultKind::Delay) Plat_Sleep(static_cast<std::uint32_t>(fault->pauseMs));
  if (fault && fault->kind == FaultKind::StaleReply && pdu.size() > 5) {
    Bytes stale = pdu;
    stale[4] ^= 0x5A;
    stale[5] ^= 0xA5;
    Bytes frame = DataFrame(stale.data(), stale.size(), true);
    if (!SendAll(s, frame.data(), frame.size())) return false;
  }
  if (fault && fault->kind == FaultKind::SplitFrames) {
    const std::size_t pieces = static_cast<std::size_t>(fault->pieces < 1 ? 1 : fault->pieces);
    const std::size_t step = (pdu.size() + pieces - 1) / pieces;
    for (std::size_t at = 0; at < pdu.size(); at += step) {
      const std::size_t n = std::min(step, pdu.size() - at);
      Bytes frame = DataFrame(pdu.data() + at, n, at + n == pdu.size());
      if (!SendAll(s, frame.data(), frame.size())) return false;
      if (at + n < pdu.size()) Plat_Sleep(static_cast<std::uint32_t>(fault->pauseMs));
    }
    return true;
  }
  return SendReply(s, DataFrame(pdu.data(), pdu.size(), true), fault);
}

bool Simulator::SendReply(PlatSocket s, const Bytes& original, const Fault* fault) {
  Bytes frame = original;
  if (fault) {
    switch (fault->kind) {
      case FaultKind::BadVersion: frame[0] = 2; break;
      case FaultKind::WrongTpdu: frame[5] = static_cast<std::uint8_t>(fault->value); break;
      case FaultKind::OversizeFrame:
        frame.resize(static_cast<std::size_t>(fault->value), 0);
        frame[2] = static_cast<std::uint8_t>(fault->value >> 8);
        frame[3] = static_cast<std::uint8_t>(fault->value);
        break;
      case FaultKind::CloseMidReply:
        SendAll(s, frame.data(), frame.size() / 2);
        return false;
      case FaultKind::SplitSegments: {
        const std::size_t pieces = static_cast<std::size_t>(fault->pieces < 1 ? 1 : fault->pieces);
        const std::size_t step = (frame.size() + pieces - 1) / pieces;
        for (std::size_t at = 0; at < frame.size(); at += step) {
          const std::size_t n = std::min(step, frame.size() - at);
          if (!SendAll(s, frame.data() + at, n)) return false;
          if (at + n < frame.size()) Plat_Sleep(static_cast<std::uint32_t>(fault->pauseMs));
        }
        return true;
      }
      default: break;
    }
  }
  return SendAll(s, frame.data(), frame.size());
}

}  // namespace plcsim
