// The description of the PLC that the program keeps and a variable table file
// stores, with the texts of its interface kind and address. A record serves
// one thread at a time; texts go into the caller's buffers.
#pragma once

#include <cstddef>
#include <cstdint>

// The description of the PLC that the program keeps and a file stores.
struct PlcSettings {
  std::int32_t kind;        // 0 TCP, 1 S7ONLINE, 2 CP_L2_1, 3 CP_L2_2
  std::uint32_t address;    // TCP: IPv4 in network byte order; else the station address 0-127
  std::int32_t timeoutMs;   // 100-30000
  std::int32_t rack;        // 0-31
  std::int32_t slot;        // 0-18
  char name[24];            // at most 23 characters
};

// The names of the interface kinds, as the user interface and the files use
// them ("TCP", "S7ONLINE", "CP_L2_1", "CP_L2_2"); null outside 0-3.
const char* InterfaceKindName(int kind);
// The PLC's address as the files and the user interface write it: dotted
// IPv4 for TCP, else the station number. Returns the length.
int Plc_AddressText(int kind, std::uint32_t address, char* out, std::size_t size);
