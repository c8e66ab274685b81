// The lookup of a text by id in the generated string table. The table is
// sorted, so a binary search finds any of its few hundred entries in at most
// nine steps; this is what every "%s" with a string id costs.
#include "res/strings.h"

#include "res/strtable.h"

const char* LoadText(int id) {
  int lo = 0, hi = kResStringCount;
  while (lo < hi) {
    int mid = (lo + hi) / 2;
    if (kResStrings[mid].id < id) lo = mid + 1;
    else hi = mid;
  }
  return lo < kResStringCount && kResStrings[lo].id == id ? kResStrings[lo].text : nullptr;
}
