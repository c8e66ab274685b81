// The .vat files under tests/fixtures/vat, built into the test programs
// (tests/CMakeLists.txt), so that they are the same bytes natively and under
// Wine whatever the working directory.
#pragma once

#include <cstddef>

struct VatFixture {
  const char* name;
  const char* bytes;
  std::size_t length;
};

extern const VatFixture kVatFixtures[];
extern const int kVatFixtureCount;
