// The library's own view of its two handle objects and the functions its
// parts call on each other. Nothing outside s7lib/ includes this.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/platform.h"
#include "s7lib/s7lib.h"
#include "s7lib/tracehook.h"

inline constexpr std::uint32_t kInterfaceTag = 0x46493753;   // "S7IF" in memory
inline constexpr std::uint32_t kConnectionTag = 0x4E433753;  // "S7CN" in memory

inline constexpr int kMaxItems = 20;
inline constexpr int kMaxPduSize = 512;
inline constexpr int kMinTimeoutMs = 1000;

// ISO-on-TCP frames: a 7-byte TPKT/COTP header and one PDU of up to 512 bytes.
inline constexpr int kIsoHeader = 7;
inline constexpr int kIsoFrameSize = kIsoHeader + kMaxPduSize;  // 519

struct S7Transport;

struct S7Interface {
  std::uint32_t kind;
  std::int32_t scpHandle;            // SCP_open's handle; negative = not open; 0 for TCP
  S7Connection* connections;         // newest first
  std::uint32_t tag;
  std::uint32_t requestBlockCounter;
  std::uint32_t lastConnectionId;
};

struct SocketRecord {
  PlatSocket socket;
  std::uint32_t localAddress;
  std::uint32_t netmask;
  std::uint32_t interfaceBroadcast;
  std::uint32_t directedBroadcast;
  std::uint16_t port;                // network byte order
  std::uint16_t libraryStarted;
};

struct ItemDescriptor {
  std::uint32_t type;
  std::int32_t count;
  std::int32_t elementSize;          // 0 for packed bits (count / 8 bytes)
  std::int32_t convert;
  void* values;
};

struct S7Connection {
  S7Connection* next;
  std::uint32_t id;
  S7Interface* iface;
  std::uint32_t tag;
  char name[24];
  std::int32_t timeoutMs;
  std::uint32_t address;
  S7Tsaps tsaps;                     // of the connection request (TCP only)
  SocketRecord sock;
  std::int32_t connected;
  std::int32_t scpOpen;
  std::int32_t jobOpen;
  std::uint32_t scpReference;
  std::uint32_t pduReference;
  std::int32_t expectedReply;
  std::int32_t pduSize;
  std::uint8_t* transferBuffer;
  std::uint8_t* receiveFrame;
  std::int32_t requestHeader, requestParams, requestData, requestTotal;
  std::uint8_t* requestPdu;
  std::int32_t replyHeader, replyParams, replyData, replyTotal;
  std::uint8_t* replyPdu;
  // Bytes of the reply PDU that actually arrived: every look into the reply
  // is bounded by this, whatever its headers claim.
  std::int32_t replyReceived;
  ItemDescriptor items[kMaxItems];
  std::int32_t itemCount;
  std::uint8_t itemResults[kMaxItems];
  TraceFlow traceFlow;  // the TCP connection as the wire trace shows it
};

// One record per transport kind: the PDU exchange does not know which one
// carries it.
struct S7Transport {
  // Sets up the transport (buffer, link, transport-level handshake).
  int (*connect)(S7Connection* conn, std::int32_t* ext);
  // Sends the request PDU and receives its reply PDU.
  int (*sendPdu)(S7Connection* conn, std::int32_t* ext);
  // Closes an established transport.
  int (*disconnect)(S7Connection* conn, std::int32_t* ext);
  // Releases what a failed connect left behind; no traffic.
  void (*release)(S7Connection* conn);
};

extern const S7Transport kIsoTcpTransport;
extern const S7Transport kScpTransport;
const S7Transport* S7_TransportOf(const S7Connection* conn);

// Error state of the calling thread.
void S7_SetError(int code, std::int32_t ext);
int S7_Fail(int code, std::int32_t ext);  // sets and returns code

// ISO-on-TCP.
int IsoTcp_OpenSocket(S7Connection* conn, std::int32_t* ext);
PlatConnect IsoTcp_ConnectSocket(PlatSocket s, std::uint32_t address, std::uint16_t port,
                                 int timeoutMs, std::int32_t* ext);
int IsoTcp_Exchange(S7Connection* conn, std::int32_t* ext);
// The receiving half of an exchange: the answer to a sent CR (0xE0) or DT.
int IsoTcp_Receive(S7Connection* conn, std::uint8_t sentCode, std::int32_t* ext);
int IsoTcp_SendPdu(S7Connection* conn, std::int32_t* ext);
bool IsoTcp_AllocateBuffer(S7Connection* conn);
int IsoTcp_Connect(S7Connection* conn, std::int32_t* ext);
int IsoTcp_Disconnect(S7Connection* conn, std::int32_t* ext);
void IsoTcp_CloseSocket(SocketRecord* sock);
void IsoTcp_BuildConnectFrame(std::uint8_t* frame, S7Tsaps tsaps, std::uint8_t tpduCode);

// PDUs. A request whose reply length is not known beforehand (a system
// status list) sets this as its expected reply length: the reply check then
// takes any length the reply's own header gives, within the bytes received.
inline constexpr int kReplyLengthVaries = -1;
int S7_BeginPdu(S7Connection* conn, int messageType, int function, int argument, int needConnected);
void S7_AppendData(S7Connection* conn, const std::uint8_t* bytes, int length);
int S7_Exchange(S7Connection* conn);
int S7_CheckReply(S7Connection* conn, std::int32_t* ext);
int S7_ReadPduSize(S7Connection* conn);
void S7_ClearExchange(S7Connection* conn);

// Variable types on the wire: the type's own transport size, the transport
// size its request item carries (a plain byte string where they differ) and
// the wire bytes of one element.
struct S7TypeInfo {
  std::uint8_t ownTransport;
  std::uint8_t sentTransport;
  std::uint8_t elementSize;
};
// The newer types go as plain byte strings: an own transport of 0 makes
// their items count bytes.
inline constexpr S7TypeInfo kTypeInfo[kS7TypeLast + 1] = {
    {0x01, 0x01, 1},  // Bit (packed bits are sent as bytes, see the read/write services)
    {0x02, 0x02, 1},  // Byte
    {0x03, 0x03, 1},  // Short
    {0x03, 0x03, 1},  // Char
    {0x04, 0x04, 2},  // Word
    {0x05, 0x05, 2},  // Int
    {0x06, 0x06, 4},  // DWord
    {0x07, 0x07, 4},  // DInt
    {0x0B, 0x03, 4},  // Time
    {0x0A, 0x03, 4},  // TOD
    {0x0C, 0x03, 2},  // S5Time
    {0x08, 0x08, 4},  // Real
    {0x0F, 0x03, 8},  // Date&Time
    {0x09, 0x03, 2},  // Date
    {0x1D, 0x1D, 2},  // Timer
    {0x1C, 0x1C, 2},  // Counter
    {0x00, 0x02, 1},  // USInt
    {0x00, 0x02, 2},  // UInt
    {0x00, 0x02, 4},  // UDInt
    {0x00, 0x02, 8},  // LInt
    {0x00, 0x02, 8},  // ULInt
    {0x00, 0x02, 8},  // LWord
    {0x00, 0x02, 8},  // LReal
    {0x00, 0x02, 2},  // WChar
    {0x00, 0x02, 1},  // String (counted in bytes)
    {0x00, 0x02, 1},  // WString (counted in bytes)
    {0x00, 0x02, 12}, // DTL
    {0x00, 0x02, 8},  // LTime
    {0x00, 0x02, 8},  // LTOD
    {0x00, 0x02, 8},  // LDT
};
inline constexpr std::uint8_t kAreaCodes[6] = {0x81, 0x82, 0x83, 0x84, 0x1D, 0x1C};

// Element arrays between wire bytes and the caller's values. With convert
// set (and a type other than Char and Date&Time) each element has a 32-bit
// host slot; otherwise the wire bytes are copied. packed: count bits, one
// per slot, in count / 8 wire bytes. Reads exactly S7_ValueBytes of the
// source and writes exactly that many to the destination.
int S7_WireBytes(unsigned type, int count);
std::size_t S7_ValueBytes(unsigned type, int count, int convert);
void S7_EncodeElements(unsigned type, int count, int convert, const void* values, std::uint8_t* wire);
void S7_DecodeElements(unsigned type, int count, int convert, const std::uint8_t* wire, void* values);

// Reply decoders of the read/write and CPU services, for a reply that the
// exchange (result `exchanged`) left in the transfer buffer: the read decoder
// fills the request's value buffers and item results; the CPU ones return
// the state value, or 0 / 23 for the clock.
int S7_DecodeReadReply(S7Connection* conn, int exchanged);
int S7_DecodeWriteReply(S7Connection* conn, int exchanged);
int S7_DecodeCpuState(const S7Connection* conn);
int S7_DecodeCpuClock(const S7Connection* conn, CalendarRecord* clock);

// S7_ReadSzl over a given exchange (S7_Exchange for the real one; the fuzz
// target passes one that only receives). Leaves its result in the thread's
// error state as S7_ReadSzl does.
using S7ExchangeFn = int (*)(S7Connection* conn);
int S7_ReadSzlVia(S7Connection* conn, unsigned id, unsigned index, std::uint8_t* records, int capacity,
                  S7SzlList* list, S7ExchangeFn exchange);

// SCP access (kinds 1-3). The access point library is loaded by this name.
#ifdef _WIN32
inline constexpr const char* kScpLibraryName = "S7onlinx.dll";
#else
inline constexpr const char* kScpLibraryName = "libs7onlinx.so";
#endif
inline constexpr int kScpHeaderSize = 80;
inline constexpr int kScpBlockSize = 600;

int Scp_Open(S7Interface* iface, std::int32_t* ext);
// Closes the interface's SCP handle; unloads the library when asked (no
// other interface of kinds 1-3 is open).
void Scp_Close(S7Interface* iface, bool unload);
bool Scp_IsLoaded();
void Scp_BuildHeader(S7Interface* iface, std::uint8_t* block, std::uint8_t opcode, std::uint8_t service,
                     int dataLength, std::uint16_t reference, std::uint16_t busService);
// One block and its answer; dataReceived gets the bytes of the answer's data
// area that arrived (bounded by the block).
int Scp_Exchange(S7Interface* iface, int timeoutMs, std::uint8_t* request, std::uint8_t* answer,
                 std::int32_t* ext, std::int32_t* dataReceived);

// Big-endian field helpers for the wire.
inline std::uint16_t GetBE16(const std::uint8_t* p) {
  return static_cast<std::uint16_t>((p[0] << 8) | p[1]);
}
inline void PutBE16(std::uint8_t* p, std::uint32_t v) {
  p[0] = static_cast<std::uint8_t>(v >> 8);
  p[1] = static_cast<std::uint8_t>(v);
}
// SCP request blocks are little-endian.
inline std::uint16_t GetLE16(const std::uint8_t* p) {
  return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
inline void PutLE16(std::uint8_t* p, std::uint32_t v) {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
}
