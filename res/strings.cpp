// The lookup of a text by id in the generated string table: the id's block
// says whether the table holds it and, by counting the ids below it in the
// block, where. Every "%s" with a string id costs one such lookup.
#include "res/strings.h"

#include <bit>

#include "res/strtable.h"

const char* LoadText(int id) {
  if (id < 0 || id / 64 >= kResBlockCount) return nullptr;
  const ResBlock& b = kResBlocks[id / 64];
  const unsigned bit = static_cast<unsigned>(id % 64);
  if (!((b.present >> bit) & 1)) return nullptr;
  return kResStrings[b.first + std::popcount(b.present & ((1ull << bit) - 1))].text;
}
