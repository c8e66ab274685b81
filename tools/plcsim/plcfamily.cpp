// Which connection requests the simulated PLC accepts: a rack/slot CPU looks
// at the called TSAP's low byte (its place) and high byte (the connection
// type), a LOGO!, an S7-200 with its CP or a custom PLC wants exactly the
// pair of TSAPs configured in it. Written from what the PLCs do, not from the
// client's tables, so that the tests check one against the other.
#include <algorithm>
#include <cctype>

#include "tools/plcsim/plcsim.h"

namespace plcsim {

namespace {

struct FamilyRow {
  Family family;
  const char* name;
  bool rackSlot;
  int slot;
  std::uint16_t local, remote;
  int pgConnections;
};

constexpr FamilyRow kFamilies[] = {
    {Family::S7_300, "S7-300", true, 2, 0, 0, 1},
    {Family::S7_1200, "S7-1200", true, 1, 0, 0, 0},
    {Family::S7_1500, "S7-1500", true, 1, 0, 0, 0},
    {Family::Logo, "LOGO", false, 0, 0x0100, 0x0200, 0},
    {Family::S7_200, "S7-200", false, 0, 0x1000, 0x1001, 0},
    {Family::S7_200Smart, "S7-200SMART", true, 1, 0, 0, 1},
    {Family::Custom, "custom", false, 0, 0x0100, 0x0102, 0},
};

const FamilyRow& RowOf(Family family) {
  for (const FamilyRow& row : kFamilies)
    if (row.family == family) return row;
  return kFamilies[0];
}

bool SameNoCase(const std::string& a, const char* b) {
  std::size_t i = 0;
  for (; i < a.size() && b[i]; ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  return i == a.size() && !b[i];
}

// The calling (0xC1) and called (0xC2) TSAP of a CR, in whatever order its
// parameters come; false when either is missing or the frame is cut.
bool ReadTsaps(const Bytes& cr, int* local, int* remote) {
  *local = *remote = -1;
  if (cr.size() < 11) return false;
  const std::size_t end = std::min<std::size_t>(cr.size(), 5u + cr[4]);
  for (std::size_t at = 11; at + 2 <= end;) {
    const std::uint8_t code = cr[at];
    const std::size_t length = cr[at + 1];
    if (at + 2 + length > end) return false;
    if ((code == 0xC1 || code == 0xC2) && length == 2) {
      const int value = (cr[at + 2] << 8) | cr[at + 3];
      (code == 0xC1 ? *local : *remote) = value;
    }
    at += 2 + length;
  }
  return *local >= 0 && *remote >= 0;
}

}  // namespace

Config FamilyConfig(Family family) {
  const FamilyRow& row = RowOf(family);
  Config config;
  config.family = family;
  config.rack = 0;
  config.slot = row.slot;
  config.localTsap = row.local;
  config.remoteTsap = row.remote;
  config.pgConnections = row.pgConnections;
  return config;
}

bool ParseFamily(const std::string& text, Family* family) {
  for (const FamilyRow& row : kFamilies)
    if (SameNoCase(text, row.name)) return *family = row.family, true;
  return false;
}

int AcceptedConnectionType(const Config& config, const Bytes& request) {
  int local = 0, remote = 0;
  if (!ReadTsaps(request, &local, &remote)) return -1;
  if (!RowOf(config.family).rackSlot)
    return local == config.localTsap && remote == config.remoteTsap ? 0 : -1;
  // Types 1 PG, 2 OP, 3-0x10 S7-basic; the place is rack x 32 + slot, added
  // to the type's word as S7-300 tools always have.
  const int place = (config.rack << 5) | config.slot;
  for (int type = 1; type <= 0x10; ++type)
    if (remote == ((type << 8) + place)) return type;
  return -1;
}

}  // namespace plcsim
