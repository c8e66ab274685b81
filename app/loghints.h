// What a refusal most likely means: after the log entry of a failed
// operation, one line per hint that names the probable cause and what to
// check (a connection request refused, PUT/GET off on an S7-1200/1500, an
// item refused for protection or a missing DB...). The entries themselves
// stay as they are; the hints are lines of their own after them.
//
// Threads: any; the table is constant and nothing is kept.
#pragma once

#include <cstdint>

// What a hint looks at: the operation (S7_OP_…), its library error and
// extended code, and the item results of a read or write (codes as the PLC
// sent them, 0xFF = success).
struct HintFacts {
  int operation;
  int error;
  std::int32_t extended;
  const std::uint8_t* itemCodes;  // may be null when itemCount is 0
  int itemCount;
};

// The string ids of the hints that apply, in the order they are shown, at
// most `max` of them: the operation's own hint first, then one per distinct
// item code in item order. Returns how many were stored.
int Log_Hints(const HintFacts& facts, int* ids, int max);

// Appends the hint lines to text (HeapText lines, "\tTipp : ...").
class HeapText;
void Log_AppendHints(const HintFacts& facts, HeapText* text);
