// The description of the PLC that the program keeps and a variable table file
// stores, with the texts of its interface kind and address, and its family:
// the names files and the command line give it, and the TSAPs a connection
// asks for. A record serves one thread at a time; texts go into the caller's
// buffers.
#pragma once

#include <cstddef>
#include <cstdint>

#include "s7lib/s7lib.h"  // S7Family, S7ConnectionType, S7Tsaps

// The description of the PLC that the program keeps and a file stores.
struct PlcSettings {
  std::int32_t kind;        // 0 TCP, 1 S7ONLINE, 2 CP_L2_1, 3 CP_L2_2
  std::uint32_t address;    // TCP: IPv4 in network byte order; else the station address 0-127
  std::int32_t timeoutMs;   // 100-30000
  std::int32_t rack;        // 0-31
  std::int32_t slot;        // 0-18
  char name[24];            // at most 23 characters
  // TCP only: how the PLC is asked for a connection. A zeroed record asks
  // as the program always has: an S7-300/400 at rack and slot, for PG.
  std::int32_t family;      // S7Family: 0 S7-300/400 ... 6 custom
  std::int32_t connType;    // S7ConnectionType for the rack/slot families; 0 counts as PG
  std::uint16_t localTsap;  // LOGO!, S7-200 and custom: the TSAPs configured in the PLC
  std::uint16_t remoteTsap;
};

// The names of the interface kinds, as the user interface and the files use
// them ("TCP", "S7ONLINE", "CP_L2_1", "CP_L2_2"); null outside 0-3.
const char* InterfaceKindName(int kind);
// The PLC's address as the files and the user interface write it: dotted
// IPv4 for TCP, else the station number. Returns the length.
int Plc_AddressText(int kind, std::uint32_t address, char* out, std::size_t size);

// The PLC families and connection types by the names the files and the
// command line use ("S7-300", "S7-1200", "S7-1500", "LOGO", "S7-200",
// "S7-200SMART", "custom"; "PG", "OP", "basic"): null outside the range;
// the finders compare without regard to case and give -1 for another text.
const char* Plc_FamilyName(int family);
int Plc_FindFamily(const char* name);
const char* Plc_ConnTypeName(int connType);  // 0 reads as PG
int Plc_FindConnType(const char* name);      // S7ConnectionType's value
// true for the families whose TSAPs are typed in (LOGO!, S7-200, custom).
bool Plc_TypedTsaps(int family);
// A TSAP as written, 1-4 hex digits ("0100", "201"), and a pair
// "LOCAL:REMOTE"; false for anything else, leaving the outputs alone.
bool Plc_ParseTsap(const char* text, std::uint16_t* tsap);
bool Plc_ParseTsapPair(const char* text, std::uint16_t* local, std::uint16_t* remote);
// "0100:0200" (upper-case hex, 4 digits each); out holds at least 10 bytes.
int Plc_TsapPairText(std::uint16_t local, std::uint16_t remote, char* out, std::size_t size);
// Takes a family's defaults: rack, slot and connection type, or its TSAPs.
void Plc_SetFamily(PlcSettings* plc, int family);
// The TSAPs a connection to this PLC asks for.
S7Tsaps Plc_Tsaps(const PlcSettings* plc);
