// The layout of the generated string table, shared by the generated source
// and the lookup. Nothing outside res/ needs it.
#pragma once

struct ResString {
  int id;
  const char* text;  // code page 1250, zero-terminated
};

extern const ResString kResStrings[];  // sorted by id
extern const int kResStringCount;

// Ids id / 64 == block: bit id % 64 of present is set for each id the table
// holds; first is the table position of the block's lowest id.
struct ResBlock {
  unsigned long long present;
  int first;
};

extern const ResBlock kResBlocks[];
extern const int kResBlockCount;
