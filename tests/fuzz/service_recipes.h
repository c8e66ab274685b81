// The requests the service fuzz target decodes replies for, shared with the
// integration test that captures real replies to them as the target's corpus:
// a corpus reply only reaches the item decoders if it answers the same request.
#pragma once

#include <cstdint>
#include <iterator>
#include <vector>

#include "s7lib/s7internal.h"

namespace recipes {

enum : std::uint8_t { kRead = 0, kWrite = 1, kState = 2, kClock = 3, kCount = 4 };

struct RecipeVar {
  unsigned type, area;
  int db, start, bit, count;
};

// Mixed types, with one item that a CPU refuses (DB 99 does not exist).
inline constexpr RecipeVar kReadVars[] = {
    {S7_TYPE_WORD, S7_AREA_DB, 1, 0, 0, 2},       {S7_TYPE_BIT, S7_AREA_DB, 1, 2, 3, 1},
    {S7_TYPE_BIT, S7_AREA_FLAGS, 0, 4, 0, 16},    {S7_TYPE_CHAR, S7_AREA_DB, 1, 15, 0, 5},
    {S7_TYPE_WORD, S7_AREA_DB, 99, 0, 0, 1},      {S7_TYPE_DATETIME, S7_AREA_DB, 1, 50, 0, 1},
    {S7_TYPE_S5TIME, S7_AREA_DB, 1, 42, 0, 2},    {S7_TYPE_TIMER, S7_AREA_TIMERS, 0, 3, 0, 2},
    {S7_TYPE_COUNTER, S7_AREA_COUNTERS, 0, 5, 0, 2}, {S7_TYPE_REAL, S7_AREA_DB, 1, 46, 0, 1},
    {S7_TYPE_SHORT, S7_AREA_INPUTS, 0, 1, 0, 3},
};
inline constexpr RecipeVar kWriteVars[] = {
    {S7_TYPE_BYTE, S7_AREA_DB, 1, 10, 0, 3}, {S7_TYPE_WORD, S7_AREA_DB, 1, 20, 0, 1},
    {S7_TYPE_REAL, S7_AREA_DB, 99, 46, 0, 1}, {S7_TYPE_COUNTER, S7_AREA_COUNTERS, 0, 5, 0, 1},
    {S7_TYPE_BIT, S7_AREA_DB, 1, 2, 3, 1},
};

// Value buffers of exactly the size each variable takes, so that a write
// past one is caught by the sanitizers.
struct Buffers {
  std::vector<std::vector<std::uint8_t>> values;
};

// Begins the recipe's request on a connected connection (nothing for the
// CPU services, which begin their own). Returns 0 or the library's error.
inline int Begin(S7Connection* conn, std::uint8_t recipe, int convert, Buffers* buffers) {
  buffers->values.clear();
  if (recipe != kRead && recipe != kWrite) return S7_OK;
  const bool read = recipe == kRead;
  int rc = read ? S7_MultiRead_Begin(conn) : S7_MultiWrite_Begin(conn);
  const RecipeVar* vars = read ? kReadVars : kWriteVars;
  const std::size_t n = read ? std::size(kReadVars) : std::size(kWriteVars);
  for (std::size_t i = 0; i < n && rc == S7_OK; ++i) {
    const RecipeVar& v = vars[i];
    buffers->values.emplace_back(S7_ValueBytes(v.type, v.count, convert), std::uint8_t{0x5A});
    rc = S7_AddVar(conn, v.type, v.area, v.db, v.start, v.bit, v.count, convert, buffers->values.back().data());
  }
  return rc;
}

}  // namespace recipes
