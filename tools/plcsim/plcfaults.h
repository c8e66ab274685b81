// Ready-made reply faults for tests: the ways a CPU (or something between it
// and the client) can get a read or write reply wrong, built on the
// simulator's per-request reply rewrite.
#pragma once

#include <cstdint>

#include "tools/plcsim/plcsim.h"

namespace plcsim {

// The next read reply answers item `item` with `length` data bytes (cut or
// padded with zeros), its header and the reply's lengths fixed to match.
Fault ItemLengthFault(int item, int length);
// The next reply's item count (parameter byte 1) becomes `count`.
Fault ItemCountFault(int count);
// The next reply becomes an acknowledgement carrying error class and code.
Fault ErrorClassFault(std::uint8_t errorClass, std::uint8_t errorCode);

// The data items of a read reply (message type 3), as a CPU laid them out.
struct ReplyItem {
  std::uint8_t code;
  std::uint8_t transport;
  Bytes data;
};
bool ParseReadReply(const Bytes& pdu, std::vector<ReplyItem>* items);
// Lays the items out again (lengths, fill bytes) into the reply's data part.
void RebuildReadReply(Bytes* pdu, const std::vector<ReplyItem>& items);

}  // namespace plcsim
