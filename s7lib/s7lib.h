// Tolvane's S7 client library: a flat set of functions over two opaque handles
// that talk to Siemens S7 PLCs over ISO-on-TCP (port 102) or, through the
// SIMATIC NET SCP interface, over MPI/PROFIBUS.
//
// Use (link the s7lib target; nothing else is needed):
//
//   Rt_Init();                                        // once, before any call
//   S7Interface* tcp = S7_Interface_Init(S7_KIND_TCP);
//   S7Connection* plc = S7_Connection_Init(tcp, "Press 1", 1000, ip, 0, 2, 240);
//   int state = 0; if (S7_GetCpuState(plc, &state) != S7_OK) { int32_t ext; S7_GetLastError(&ext); }
//   tcp = S7_Interface_Done(tcp);                     // closes its connections too
//
// Every operation leaves its error code and an extended code in the calling
// thread's error state, where S7_GetLastError finds them; operations that
// return a handle report only there. Read the error before the next call.
//
// Threads: the library takes no locks. An interface and its connections are
// one unit (they share the connection list and the access point's request
// counter) that one thread at a time may use; the interface of another kind
// may serve another thread meanwhile, though the SCP kinds share the access
// point library and its error number. S7_Interface_Init and
// S7_Interface_Done also keep which kinds are open in the process: call them
// from one thread only.
// Ownership: the library allocates nothing for the caller but its two
// handles (runtime heap), released by the *_Done calls; everything else it
// gives back goes into the caller's buffers.
#pragma once

#include <cstdint>

struct S7Interface;
struct S7Connection;

// Brings up the runtime the library lives on (heap, per-thread state). Call
// once on the main thread before the first library call; 0 means ready.
// Threads that call the library must be started with the runtime's
// StartThread (runtime/runtime.h) so that they have their own error state.
int Rt_Init();

// ---------------------------------------------------------------- kinds

enum : unsigned {
  S7_KIND_TCP = 0,       // ISO-on-TCP
  S7_KIND_S7ONLINE = 1,  // SCP access point "/S7online"
  S7_KIND_CP_L2_1 = 2,   // SCP access point "/CP_L2_1:"
  S7_KIND_CP_L2_2 = 3,   // SCP access point "/CP_L2_2:"
};

// ---------------------------------------------------------------- error codes

enum : int {
  S7_OK = 0,
  S7_ERR_NO_MEMORY = 1,
  S7_ERR_BAD_MODE = 2,
  S7_ERR_INTERFACE_IN_USE = 3,
  S7_ERR_LIBRARY_NOT_FOUND = 4,
  S7_ERR_LIBRARY_ENTRY = 5,
  S7_ERR_BAD_INTERFACE = 6,
  S7_ERR_BAD_CONNECTION = 7,
  S7_ERR_NOT_CONNECTED = 8,
  S7_ERR_SCP = 9,
  S7_ERR_SOCKET = 10,
  S7_ERR_UNKNOWN_PDU = 11,
  S7_ERR_PDU = 12,
  S7_ERR_PDU_SIZE = 13,
  S7_ERR_TIMEOUT = 14,
  S7_ERR_BAD_REPLY = 15,
  S7_ERR_REFUSED = 16,
  S7_ERR_BAD_TYPE = 17,
  S7_ERR_BAD_AREA = 18,
  S7_ERR_BAD_ADDRESS = 19,
  S7_ERR_BAD_COUNT = 20,
  S7_ERR_TOO_MANY_VARS = 21,
  S7_ERR_PDU_TOO_LARGE = 22,
  S7_ERR_BAD_DATE = 23,
  S7_ERR_BAD_REQUEST = 24,
  S7_ERR_NO_VARS = 25,
  S7_ERR_PARAMETER = 26,
  S7_ERR_DATA = 27,
  S7_ERR_DATA_SIZE = 28,
  S7_ERR_REPLY_SIZE = 29,
};

// Operation numbers under which a caller logs each operation.
enum : int {
  S7_OP_INTERFACE_INIT = 0,
  S7_OP_INTERFACE_DONE = 1,
  S7_OP_CONNECTION_INIT = 2,
  S7_OP_CONNECTION_DONE = 3,
  S7_OP_CONNECT = 4,
  S7_OP_DISCONNECT = 5,
  S7_OP_ONLINE_PARTNERS = 6,
  S7_OP_ONLINE_BUSPARS = 7,
  S7_OP_GET_CPU_CLOCK = 8,
  S7_OP_SET_CPU_CLOCK = 9,
  S7_OP_GET_CPU_STATE = 10,
  S7_OP_CPU_START = 11,
  S7_OP_CPU_STOP = 12,
  S7_OP_SESSION_LOGIN = 13,
  S7_OP_SESSION_LOGOUT = 14,
  S7_OP_SIMPLE_READ = 15,
  S7_OP_MULTI_READ = 16,
  S7_OP_SIMPLE_WRITE = 17,
  S7_OP_MULTI_WRITE = 18,
};

// ---------------------------------------------------------------- values

// Variable types and memory areas of the read and write services.
enum : unsigned {
  S7_TYPE_BIT = 0, S7_TYPE_BYTE, S7_TYPE_SHORT, S7_TYPE_CHAR, S7_TYPE_WORD, S7_TYPE_INT,
  S7_TYPE_DWORD, S7_TYPE_DINT, S7_TYPE_TIME, S7_TYPE_TOD, S7_TYPE_S5TIME, S7_TYPE_REAL,
  S7_TYPE_DATETIME, S7_TYPE_DATE, S7_TYPE_TIMER, S7_TYPE_COUNTER,
  // The types of an S7-1200/1500 data block. All travel as byte strings.
  // With convert: USInt, UInt, UDInt and WChar take 32-bit slots as the
  // older integers do, LInt, ULInt, LWord, LReal, LTime, LTOD and LDT one
  // 64-bit host slot each; String, WString and DTL are never converted, and
  // String and WString count bytes, not elements (their sizes are the
  // caller's: a String[n] is n + 2 bytes, a WString[n] 2n + 4).
  S7_TYPE_USINT, S7_TYPE_UINT, S7_TYPE_UDINT, S7_TYPE_LINT, S7_TYPE_ULINT, S7_TYPE_LWORD, S7_TYPE_LREAL,
  S7_TYPE_WCHAR, S7_TYPE_STRING, S7_TYPE_WSTRING, S7_TYPE_DTL, S7_TYPE_LTIME, S7_TYPE_LTOD, S7_TYPE_LDT,
};
inline constexpr unsigned kS7TypeLast = S7_TYPE_LDT;
enum : unsigned {
  S7_AREA_INPUTS = 0, S7_AREA_OUTPUTS, S7_AREA_FLAGS, S7_AREA_DB, S7_AREA_TIMERS, S7_AREA_COUNTERS,
};

// CPU states reported by S7_GetCpuState.
enum : int { S7_CPU_UNKNOWN = 0, S7_CPU_STOP = 1, S7_CPU_RUN = 2 };

// A date and time, laid out as the Win32 SYSTEMTIME.
struct CalendarRecord {
  std::uint16_t year;
  std::uint16_t month;         // 1-12
  std::uint16_t weekday;       // 0 = Sunday
  std::uint16_t day;
  std::uint16_t hour;
  std::uint16_t minute;
  std::uint16_t second;
  std::uint16_t milliseconds;
};

// ---------------------------------------------------------------- value encodings

// Wire fields are big-endian: these turn them into host values and back.
std::uint32_t S7_Swap16(std::uint16_t value);        // zero-extended
std::int32_t S7_Swap16Signed(std::uint16_t value);   // sign-extended
std::uint32_t S7_Swap32(std::uint32_t value);

// BCD bytes. A bad digit or a value above 99 sets the conversion-error flag
// of the thread's runtime error flags and gives 0.
std::uint8_t S7_EncodeBcd(int value);
int S7_DecodeBcd(std::uint8_t bcd);

// One element each. The decoders clear the thread's runtime error flags on
// entry and on exit (read any other runtime error bit before calling them).
// The encoders return 1 when the value cannot be represented (the wire word
// is then 0x0000), else 0.
std::int32_t S7_DecodeS5Time(const std::uint8_t* wire2);               // milliseconds
int S7_EncodeS5Time(std::uint32_t milliseconds, std::uint8_t* wire2);
std::int32_t S7_DecodeCounter(const std::uint8_t* wire2);              // 0..999
int S7_EncodeCounter(std::uint32_t value, std::uint8_t* wire2);

// DATE_AND_TIME: 1 on failure (bad digit or no valid date), else 0. A failed
// encoding leaves the 8 bytes untouched.
int S7_DecodeDateTime(const std::uint8_t* wire8, CalendarRecord* out);
int S7_EncodeDateTime(const CalendarRecord* in, std::uint8_t* wire8);
int S7_CheckDateTime(const CalendarRecord* record);                   // 1 = valid

// Packed bit strings (bit n is bit n mod 8 of byte n / 8, as in 32-bit
// little-endian words). A null string or a negative n reads as 0 and is not
// written. S7_ChangeBit: mode 0 clears, 1 sets, 2 and 3 toggle; returns the
// bit's previous value.
int S7_TestBit(const void* bits, int n);
int S7_ChangeBit(void* bits, int n, int mode);

// ---------------------------------------------------------------- interfaces and connections

// S7_Interface_Done disconnects and frees the interface's connections too:
// their handles are dead afterwards, as is a connection's after
// S7_Connection_Done.
S7Interface* S7_Interface_Init(unsigned kind);
S7Interface* S7_Interface_Done(S7Interface* iface);  // always null

// address: kind 0 the IPv4 address in network byte order; kinds 1-3 the
// MPI/PROFIBUS station address. The new connection is connected at once; it
// is returned also when that fails (then S7_GetLastError tells why).
// Over TCP it asks the CPU at rack and slot for a PG connection, the way an
// S7-300/400 is reached; S7_Connection_InitTsaps reaches the other families.
S7Connection* S7_Connection_Init(S7Interface* iface, const char* name, int timeoutMs,
                                 std::uint32_t address, int rack, int slot, int fallbackPduSize);

// ---------------------------------------------------------------- PLC families (TCP)
//
// Over ISO-on-TCP a PLC is named by the two TSAPs of the connection request:
// the calling (local) one and the called (remote) one. S7-300/400, S7-1200,
// S7-1500 and S7-200 SMART derive the called TSAP from the connection type
// (its high byte) and the CPU's rack and slot (its low byte, rack x 32 +
// slot); LOGO! and S7-200 with a CP 243-1 take the TSAPs configured in the
// PLC. The access points of kinds 1-3 address a station by its bus address
// and use no TSAPs: these settings change nothing there.

struct S7Tsaps {
  std::uint16_t local;   // calling TSAP
  std::uint16_t remote;  // called TSAP
};

// What a CPU is asked for; each kind has its own connection resources (an
// S7-300 keeps one for PG by default).
enum class S7ConnectionType : std::uint8_t { PG = 1, OP = 2, Basic = 3 };

enum class S7Family : std::uint8_t { S7_300, S7_1200, S7_1500, Logo, S7_200, S7_200Smart, Custom };
inline constexpr int kS7FamilyCount = 7;

enum class S7Addressing : std::uint8_t {
  RackSlot,  // the called TSAP comes from connection type, rack and slot
  Tsaps,     // both TSAPs as configured in the PLC
};

// A family's defaults, as the program offers them before the user changes
// anything: rack and slot and the connection type for the rack/slot
// families, the two TSAPs for the others.
struct S7FamilyProfile {
  S7Addressing addressing;
  int rack;
  int slot;
  S7ConnectionType type;
  S7Tsaps tsaps;
};

// The family's row of a constant table (never null for the seven families;
// null for any other value). Any thread.
const S7FamilyProfile* S7_GetFamilyProfile(S7Family family);

// The TSAPs of a rack/slot family: local 0x0100, remote type x 256 + rack x
// 32 + slot. PG at rack 0, slot 2 gives 0x0100 / 0x0102, the request
// S7_Connection_Init sends.
S7Tsaps S7_RackSlotTsaps(S7ConnectionType type, int rack, int slot);

// As S7_Connection_Init, with the TSAPs of the connection request given.
S7Connection* S7_Connection_InitTsaps(S7Interface* iface, const char* name, int timeoutMs,
                                      std::uint32_t address, S7Tsaps tsaps, int fallbackPduSize);
// The TSAPs a connection asks for (its last S7_Connect uses them). 0 or the
// handle check's error.
int S7_GetTsaps(S7Connection* conn, S7Tsaps* tsaps);

// ---------------------------------------------------------------- connections
S7Connection* S7_Connection_Done(S7Connection* conn);  // always null
int S7_Connect(S7Connection* conn);
int S7_Disconnect(S7Connection* conn);

// ---------------------------------------------------------------- bus services (kinds 1-3)

int S7_OnLine_Partners(S7Interface* iface, int timeoutMs, int bufferSize, std::uint8_t* buffer,
                       int* count);
int S7_OnLine_BusPars(S7Interface* iface, int timeoutMs, std::uint8_t* buffer242);

// ---------------------------------------------------------------- CPU and session services

int S7_GetCpuClock(S7Connection* conn, CalendarRecord* clock);
int S7_SetCpuClock(S7Connection* conn, const CalendarRecord* clock);
int S7_GetCpuState(S7Connection* conn, int* state);
int S7_CpuStart(S7Connection* conn, int coldRestart);
int S7_CpuStop(S7Connection* conn);
int S7_SessionLogin(S7Connection* conn, const char* password);
int S7_SessionLogout(S7Connection* conn);

// ---------------------------------------------------------------- system status lists

// One system status list as the CPU sent it, its fragments joined. The
// records are the caller's buffer (records points into it); id and index are
// the ones the CPU answered with.
struct S7SzlList {
  std::uint16_t id;
  std::uint16_t index;
  std::uint16_t recordLength;   // bytes per record
  std::uint16_t recordCount;    // records in the list (for a header-only
                                // list, id 0x0Fxx, as claimed: no bytes come)
  const std::uint8_t* records;
  std::int32_t bytes;           // record bytes in the buffer
  std::int32_t fragments;       // replies the list took, one request each
};

// Reads list `id` with `index` into records (capacity bytes; may be null with
// capacity 0). Follow-up requests fetch the further fragments until the CPU
// marks the last one, at most S7_SZL_MAX_FRAGMENTS. Results beyond the
// usual ones: 26 the CPU refused the list (extended code: its error code, e.g.
// 0xD401 no such list, 0xD402 no such index); 27 the reply's return code was
// not 0xFF (extended code: that return code); 15 a fragment that is not an
// answer to the request, cut short, or too many fragments; 28 the list's
// record length and count disagree with its bytes (extended code 0), or the
// list does not fit the buffer (extended code: the record bytes it has; the
// buffer then holds the first capacity bytes). Never call this on a PLC the
// user did not ask about: some small PLCs (LOGO!) stop answering.
inline constexpr int S7_SZL_MAX_FRAGMENTS = 1024;
int S7_ReadSzl(S7Connection* conn, unsigned id, unsigned index, std::uint8_t* records, int capacity,
               S7SzlList* list);

// Decoders of the lists the program shows. Each reads only the list's own
// bytes, whatever its header claims, and returns 0, or 15 when the list
// lacks what the decoder needs (record too short, no record of the kind).
// Texts are the CPU's bytes up to the first zero, trailing blanks cut.

// A version as the module identification carries it: 'V', major, minor,
// patch. Records without the 'V' (an S7-300's hardware release) keep their
// two words as they came.
struct S7Version {
  std::uint8_t present;  // 1 when the record carried a 'V' version
  std::uint8_t major, minor, patch;
  std::uint16_t word1, word2;
};

// List 0x0011 (or 0x0111): the module (index 1), its hardware (6), firmware
// (7) and, on an S7-1500, boot loader (0x82).
struct S7ModuleIdentity {
  char orderNumber[21];
  S7Version hardware;
  S7Version firmware;
  S7Version bootLoader;
};
int S7_DecodeModuleIdentity(const S7SzlList* list, S7ModuleIdentity* out);

// List 0x001C (or 0x011C): the texts a CPU keeps about itself; those it does
// not send stay empty.
struct S7ComponentIdentity {
  char plcName[33];           // index 1
  char moduleName[33];        // 2
  char plantDesignation[33];  // 3
  char copyright[33];         // 4
  char serialNumber[33];      // 5
  char moduleTypeName[33];    // 7
  char memoryCardSerial[33];  // 8
  char location[33];          // 0x0B
};
int S7_DecodeComponentIdentity(const S7SzlList* list, S7ComponentIdentity* out);

// Lists 0x0074 / 0x0174 (index = LED id): one record per LED.
struct S7Led {
  std::uint16_t id;     // low byte: 1 SF, 2 INTF, 3 EXTF, 4 RUN, 5 STOP, 6 FRCE, ...
  std::uint8_t on;      // 0 off, 1 on
  std::uint8_t blink;   // 0 steady, 1 at 2 Hz, 2 at 0.5 Hz
};
// Fills at most capacity LEDs; *count gets how many the list has.
int S7_DecodeLeds(const S7SzlList* list, S7Led* leds, int capacity, int* count);

// List 0x0232 index 4: protection levels and the switches.
struct S7Protection {
  std::uint16_t keySwitchLevel;  // 1-3
  std::uint16_t parameterLevel;  // 0-3, 0 = no password
  std::uint16_t levelInForce;
  std::uint16_t modeSwitch;      // 1 RUN, 2 RUN-P, 3 STOP, 4 MRES, 0 undefined
  std::uint16_t startupSwitch;   // 1 CRST, 2 WRST, 0 none
};
int S7_DecodeProtection(const S7SzlList* list, S7Protection* out);

// List 0x0424: the CPU's mode and the transition that led to it.
struct S7CpuMode {
  std::uint16_t eventId;      // of the last mode transition
  std::uint8_t mode;          // 1-4 STOP, 5-7 start-up, 8 RUN, 0x0A HOLD, 0x0D defective
  std::uint8_t previousMode;
  std::uint8_t startupInfo[4];
  std::uint8_t timeValid;     // time holds the stamp when 1
  CalendarRecord time;
};
int S7_DecodeCpuMode(const S7SzlList* list, S7CpuMode* out);

// List 0x0131 index 1: what the CPU offers for communication.
struct S7CommLimits {
  std::uint16_t maxPdu;
  std::uint16_t maxConnections;
  std::uint32_t mpiRate;        // bit/s
  std::uint32_t backplaneRate;  // bit/s
};
int S7_DecodeCommLimits(const S7SzlList* list, S7CommLimits* out);

// List 0x00A0 (0x01A0: the newest index entries): the diagnostic buffer,
// newest first. Decodes entry n (0 = the newest).
struct S7DiagEntry {
  std::uint16_t eventId;
  std::uint8_t priorityClass;
  std::uint8_t obNumber;
  std::uint16_t datId;
  std::uint16_t info1;
  std::uint32_t info2;
  std::uint8_t timeValid;     // time holds the stamp when 1
  CalendarRecord time;
};
int S7_DecodeDiagEntry(const S7SzlList* list, int n, S7DiagEntry* out);

// ---------------------------------------------------------------- read and write services

// values: with convert set, one 32-bit slot per element ("Char" one byte and
// "Date&Time" eight bytes per element, never converted; the 64-bit types and
// the byte strings as said with the type codes); else the wire bytes.
// The buffer stays the caller's. A write request encodes the values when
// S7_AddVar adds them; a read request keeps the pointer and fills the buffer
// on every run of S7_MultiRead, so it must outlive the request (until the
// next *_Begin on the connection or the connection's end).
int S7_SimpleRead(S7Connection* conn, unsigned type, unsigned area, int dbNumber, int start, int bit,
                  int count, int convert, void* values);
int S7_SimpleWrite(S7Connection* conn, unsigned type, unsigned area, int dbNumber, int start, int bit,
                   int count, int convert, void* values);
int S7_MultiRead_Begin(S7Connection* conn);
int S7_MultiWrite_Begin(S7Connection* conn);
int S7_AddVar(S7Connection* conn, unsigned type, unsigned area, int dbNumber, int start, int bit,
              int count, int convert, void* values);
int S7_MultiRead(S7Connection* conn);
int S7_MultiWrite(S7Connection* conn);
int S7_GetVarCapacity(S7Connection* conn, int forNewVar, unsigned type, int* count);

// For a caller that splits a variable over several requests, or reads the
// bytes of several neighbours as one run and hands each its share. Neither
// touches a connection or the thread's error state; any thread may call them.
// S7_CheckVar: 0, or the code S7_AddVar would refuse the variable with before
// it looks at the room left (17-20). S7_DecodeValues: the conversion a read
// applies to a variable's wire bytes (convert as for S7_AddVar); wireLength
// must be the variable's byte length (count / 8 for a run of bits, 1 for one
// bit), else nothing is written. 0, or 17/20/28 for a refused type, count or
// length.
int S7_CheckVar(unsigned type, unsigned area, int bit, int count);
int S7_DecodeValues(unsigned type, int count, int convert, const std::uint8_t* wire, int wireLength, void* values);

// ---------------------------------------------------------------- accessors

// Read the handle or the calling thread's error state; S7_GetConnectionName
// copies at most 23 characters and a zero into name24 and returns the length.

int S7_GetLastError(std::int32_t* extendedError);
int S7_GetInterfaceKind(S7Interface* iface);
int S7_IsConnected(S7Connection* conn);
int S7_GetConnectionName(S7Connection* conn, char* name24);
int S7_GetPduSize(S7Connection* conn);
int S7_GetRequestSize(S7Connection* conn);
int S7_GetReplySize(S7Connection* conn);
int S7_GetVarCount(S7Connection* conn);
int S7_GetVarResult(S7Connection* conn, int index, int* result);

// Handle checks; both leave their result in the thread's error state.
int S7_CheckInterface(S7Interface* iface);
int S7_CheckConnection(S7Connection* conn, int needConnected, int endJob);

// ---------------------------------------------------------------- wire trace

// Every frame the library sends and receives, on every connection, can go
// into a capture file that Wireshark opens (pcap): ISO-on-TCP as
// Ethernet/IPv4/TCP frames between the real addresses, port 102 on the PLC's
// side; the S7 PDUs that pass the MPI/PROFIBUS access point as exported PDUs
// for the S7 dissector. A file holds the frames of one of the two: the first
// frame decides. Tracing changes no byte sent and no time-out; a thread of
// its own writes the file, so a slow disk never delays a PLC.
// A write that fails (disk full, the file removed) ends the trace, never a
// connection: onStop is told once, with a Windows error code or one of the
// two codes below, on the thread whose library call found the failure, or in
// S7_Trace_Stop.
//
// Threads: any thread may start and stop a trace; the frames of every thread
// go into it. These calls leave the thread's library error state alone.
inline constexpr std::uint32_t S7_TRACE_BACKLOG = 0x20000001;    // the disk could not keep up
inline constexpr std::uint32_t S7_TRACE_OTHER_KIND = 0x20000002; // a frame of the other transport came

struct S7TraceOptions {
  void (*onStop)(void* context, std::uint32_t error) = nullptr;
  void* context = nullptr;
};

// Starts a trace into path (created, or emptied), stopping a running one
// first. 0, or the Windows error code that kept the file from opening.
std::uint32_t S7_Trace_Start(const char* path, const S7TraceOptions& options);
// Ends the trace once every frame so far is in the file. Returns what ended
// it early (also told through onStop, if it was not yet), else 0.
std::uint32_t S7_Trace_Stop();
int S7_Trace_IsOn();
