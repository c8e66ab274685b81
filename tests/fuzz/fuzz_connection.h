// A connection whose "PLC" is a socket pair: the fuzz input is written to the
// far end before the library reads, then the far end is closed, so every
// reply path runs on real socket calls without timing in the way.
#pragma once

#include <cstddef>
#include <cstdint>

#include "s7lib/s7internal.h"

struct FuzzConnection {
  S7Connection* conn;
  int far;  // the PLC's end of the pair
};

// Runtime, one interface and one connection, made once per process, with
// the wire trace on.
FuzzConnection* FuzzSetup();
// Feeds the input as the PLC's bytes and resets the connection's request
// state (PDU reference 0, connected, PDU size 512).
void FuzzFeed(FuzzConnection* fc, const std::uint8_t* data, std::size_t size);
// Drops what is left on both ends.
void FuzzReset(FuzzConnection* fc);
