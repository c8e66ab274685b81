// Where the transports hand their frames to the wire trace. Each hook is
// behind S7Trace_On(), one relaxed load, so a library that is not tracing
// pays nothing more; what a hook does never touches the bytes, the socket or
// the time-outs of the exchange it watches.
#pragma once

#include <atomic>
#include <cstdint>

struct S7Connection;

enum class TraceSide : std::uint8_t { Client = 0, Plc = 1 };  // who sent the bytes

// One TCP connection as the trace shows it: its two ends and the next
// sequence number of each side. Filled when the socket connects while a
// trace runs, or at the first traced segment of a connection that was
// already open.
struct TraceFlow {
  bool known;
  std::uint32_t localAddress;  // network byte order
  std::uint16_t localPort;     // host order
  std::uint32_t next[2];       // indexed by TraceSide
};

extern std::atomic<bool> g_s7TraceOn;
inline bool S7Trace_On() { return g_s7TraceOn.load(std::memory_order_relaxed); }

// The socket has just connected: the handshake goes into the trace.
void S7Trace_TcpOpened(S7Connection* conn);
// Bytes that crossed the socket, as one send or receive moved them.
void S7Trace_TcpBytes(S7Connection* conn, TraceSide side, const std::uint8_t* bytes, int length);
// One side closed the connection (the client after its DR, or the PLC).
void S7Trace_TcpClosed(S7Connection* conn, TraceSide side);
// An S7 PDU handed to the access point or taken from it.
void S7Trace_ScpPdu(TraceSide side, const std::uint8_t* pdu, int length);
