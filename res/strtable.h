// The layout of the generated string table, shared by the generated source
// and the lookup. Nothing outside res/ needs it.
#pragma once

struct ResString {
  int id;
  const char* text;  // code page 1250, zero-terminated
};

extern const ResString kResStrings[];  // sorted by id
extern const int kResStringCount;
