// The wire trace: the process-wide capture file, and the hooks that turn what
// the transports move into its records. TCP segments get the sequence and
// acknowledgement numbers of their connection's flow, so Wireshark joins
// TPKT frames that TCP split or merged; PDUs of the access point need no
// such state. Records are built on the caller's stack and queued to the
// appender under a short lock; its thread does the writing.
#include <mutex>

#include "runtime/appender.h"
#include "s7lib/pcapframes.h"
#include "s7lib/s7internal.h"

std::atomic<bool> g_s7TraceOn{false};

namespace {

static_assert(S7_TRACE_BACKLOG == kAppendBacklog);

constexpr std::uint16_t kPlcPort = 102;
constexpr std::size_t kRecordMax = 2048;
constexpr std::size_t kSegmentMax = kRecordMax - kPcapRecordHeaderSize - kPcapTcpHeadersSize;
// The writer may lag this far behind: a trace is read after the fact, and
// one write per tenth of a second keeps it off a fast exchange's path.
constexpr AppenderOptions kTraceWriting = {.capacity = 2u << 20, .wakeAfterMs = 100};

struct Trace {
  std::mutex lock;
  Appender* out = nullptr;
  std::uint32_t link = 0;  // fixed by the first frame
  S7TraceOptions options;
};
Trace g_trace;
std::atomic<std::uint16_t> g_ipId{0};

// A trace taken off the process-wide slot, to be closed and reported outside
// the lock (onStop may well start a new trace).
struct Ended {
  Appender* out = nullptr;
  S7TraceOptions options;
  std::uint32_t error = 0;
};

Ended Detach(std::uint32_t error) {
  Ended e{g_trace.out, g_trace.options, error};
  g_trace.out = nullptr;
  g_trace.link = 0;
  g_trace.options = S7TraceOptions{};
  g_s7TraceOn.store(false);
  return e;
}

std::uint32_t Finish(const Ended& e) {
  if (!e.out) return 0;
  const std::uint32_t closed = Appender_Close(e.out);
  const std::uint32_t error = e.error ? e.error : closed;
  if (error && e.options.onStop) e.options.onStop(e.options.context, error);
  return error;
}

void Emit(std::uint32_t link, const std::uint8_t* record, std::size_t length) {
  Ended ended;
  {
    std::lock_guard<std::mutex> held(g_trace.lock);
    if (!g_trace.out) return;
    std::uint32_t error = 0;
    if (g_trace.link == 0) {
      std::uint8_t header[kPcapFileHeaderSize];
      Pcap_FileHeader(link, header);
      g_trace.link = link;
      if (!Appender_Append(g_trace.out, header, sizeof header)) error = Appender_Failure(g_trace.out);
    } else if (g_trace.link != link) {
      error = S7_TRACE_OTHER_KIND;
    }
    if (error == 0 && Appender_Append(g_trace.out, record, length)) return;
    if (error == 0) error = Appender_Failure(g_trace.out);
    ended = Detach(error);
  }
  Finish(ended);
}

void StartFlow(S7Connection* conn, std::uint64_t nowUs) {
  TraceFlow& f = conn->traceFlow;
  f.localAddress = 0;
  f.localPort = 0;
  Plat_SockLocalEndpoint(conn->sock.socket, &f.localAddress, &f.localPort);
  // Any initial sequence numbers do; Wireshark shows them relative.
  f.next[0] = static_cast<std::uint32_t>(nowUs * 2654435761u);
  f.next[1] = static_cast<std::uint32_t>(nowUs * 40503u) ^ 0x5A5A0000u;
  f.known = true;
}

void Segment(S7Connection* conn, TraceSide side, std::uint8_t flags, const std::uint8_t* bytes, std::size_t length,
             std::uint64_t nowUs) {
  TraceFlow& f = conn->traceFlow;
  const int from = static_cast<int>(side);
  PcapTcpSegment s{};
  s.timeUs = nowUs;
  const bool client = side == TraceSide::Client;
  s.source = client ? f.localAddress : conn->address;
  s.destination = client ? conn->address : f.localAddress;
  s.sourcePort = client ? f.localPort : kPlcPort;
  s.destinationPort = client ? kPlcPort : f.localPort;
  s.sequence = f.next[from];
  s.acknowledgement = (flags & kTcpAck) ? f.next[1 - from] : 0;
  s.flags = flags;
  s.ipId = g_ipId.fetch_add(1, std::memory_order_relaxed);
  s.payload = bytes;
  s.length = length;
  // A SYN or a FIN takes one sequence number, like a byte.
  f.next[from] += static_cast<std::uint32_t>(length) + ((flags & (kTcpSyn | kTcpFin)) ? 1u : 0u);
  std::uint8_t record[kRecordMax];
  const std::size_t n = Pcap_TcpRecord(s, record, sizeof record);
  if (n) Emit(kPcapLinkEthernet, record, n);
}

}  // namespace

void S7Trace_TcpOpened(S7Connection* conn) {
  const std::uint64_t now = Plat_UtcMicroseconds();
  StartFlow(conn, now);
  Segment(conn, TraceSide::Client, kTcpSyn, nullptr, 0, now);
  Segment(conn, TraceSide::Plc, kTcpSyn | kTcpAck, nullptr, 0, now);
  Segment(conn, TraceSide::Client, kTcpAck, nullptr, 0, now);
}

void S7Trace_TcpBytes(S7Connection* conn, TraceSide side, const std::uint8_t* bytes, int length) {
  if (length <= 0) return;
  const std::uint64_t now = Plat_UtcMicroseconds();
  if (!conn->traceFlow.known) StartFlow(conn, now);
  for (std::size_t at = 0, left = static_cast<std::size_t>(length); left > 0;) {
    const std::size_t piece = left < kSegmentMax ? left : kSegmentMax;
    Segment(conn, side, kTcpPsh | kTcpAck, bytes + at, piece, now);
    at += piece;
    left -= piece;
  }
}

void S7Trace_TcpClosed(S7Connection* conn, TraceSide side) {
  if (!conn->traceFlow.known) return;
  Segment(conn, side, kTcpFin | kTcpAck, nullptr, 0, Plat_UtcMicroseconds());
}

void S7Trace_ScpPdu(TraceSide side, const std::uint8_t* pdu, int length) {
  if (length <= 0) return;
  std::uint8_t record[kRecordMax];
  const PcapDirection direction = side == TraceSide::Client ? PcapDirection::Sent : PcapDirection::Received;
  const std::size_t n = Pcap_ExportedPduRecord(Plat_UtcMicroseconds(), direction, pdu,
                                               static_cast<std::size_t>(length), record, sizeof record);
  if (n) Emit(kPcapLinkExportedPdu, record, n);
}

std::uint32_t S7_Trace_Start(const char* path, const S7TraceOptions& options) {
  std::uint32_t error = 0;
  Appender* out = Appender_Open(path, kTraceWriting, &error);
  if (!out) return error;
  Ended previous;
  {
    std::lock_guard<std::mutex> held(g_trace.lock);
    previous = Detach(0);
    g_trace.out = out;
    g_trace.options = options;
    g_s7TraceOn.store(true);
  }
  Finish(previous);
  return 0;
}

std::uint32_t S7_Trace_Stop() {
  Ended ended;
  {
    std::lock_guard<std::mutex> held(g_trace.lock);
    if (!g_trace.out) return 0;
    // A trace without a frame is still a capture file Wireshark opens.
    if (g_trace.link == 0) {
      std::uint8_t header[kPcapFileHeaderSize];
      Pcap_FileHeader(kPcapLinkEthernet, header);
      Appender_Append(g_trace.out, header, sizeof header);
    }
    ended = Detach(0);
  }
  return Finish(ended);
}

int S7_Trace_IsOn() { return g_s7TraceOn.load() ? 1 : 0; }
