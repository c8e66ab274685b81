// Tables for the request planner's tests and benchmarks: variables made from
// type, area, DB, address, bit and count, each with its block, all freed
// with the table. Var_Init leaves the DB number alone outside area DB.
#pragma once

#include <cstdint>
#include <vector>

#include "vars/vars.h"

namespace plantest {

struct Spec {
  int type, area, db, start, bit, count;
};

struct SpecTable {
  std::vector<PlcVariable> v;
  explicit SpecTable(const std::vector<Spec>& specs) {
    for (const Spec& s : specs) {
      PlcVariable var{};
      Var_Init(1, s.type, s.area, s.count, &var);
      var.dbNumber = s.area == S7_AREA_DB ? s.db : 0;
      var.start = s.start;
      var.bit = s.bit;
      Var_AllocBlock(&var);
      v.push_back(var);
    }
  }
  ~SpecTable() {
    for (PlcVariable& var : v) Var_FreeBlock(&var);
  }
  SpecTable(const SpecTable&) = delete;
  SpecTable& operator=(const SpecTable&) = delete;
  int Count() const { return static_cast<int>(v.size()); }
};

// A little generator of numbers, the same on every machine.
inline std::uint32_t Next(std::uint32_t* seed) {
  *seed = *seed * 1664525u + 1013904223u;
  return *seed >> 8;
}

// 500 Words at random even addresses of DB1-DB4 (4 KB each), neighbours now
// and then: the scattered table of the tests and the benchmark.
inline std::vector<Spec> ScatteredWords() {
  std::vector<Spec> specs;
  std::uint32_t seed = 20;
  for (int i = 0; i < 500; ++i) {
    const int db = 1 + static_cast<int>(Next(&seed) % 4);
    specs.push_back({S7_TYPE_WORD, S7_AREA_DB, db, 2 * static_cast<int>(Next(&seed) % 2000), 0, 1});
  }
  return specs;
}

}  // namespace plantest
