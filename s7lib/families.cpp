// The PLC families the library reaches over ISO-on-TCP and the TSAPs their
// connection requests carry: one table of defaults, so that the program's
// dialogs, its files and the command line offer the same starting values.
#include "s7lib/s7internal.h"

namespace {

constexpr S7Tsaps kNoTsaps = {0, 0};

// Indexed by S7Family. S7-200 SMART takes S7-300 TSAPs but gives PG clients
// a single connection: S7-basic is the kind that leaves room for others.
constexpr S7FamilyProfile kProfiles[kS7FamilyCount] = {
    {S7Addressing::RackSlot, 0, 2, S7ConnectionType::PG, kNoTsaps},        // S7-300/400
    {S7Addressing::RackSlot, 0, 1, S7ConnectionType::PG, kNoTsaps},        // S7-1200
    {S7Addressing::RackSlot, 0, 1, S7ConnectionType::PG, kNoTsaps},        // S7-1500
    {S7Addressing::Tsaps, 0, 0, S7ConnectionType::PG, {0x0100, 0x0200}},   // LOGO!
    {S7Addressing::Tsaps, 0, 0, S7ConnectionType::PG, {0x1000, 0x1001}},   // S7-200, CP 243-1
    {S7Addressing::RackSlot, 0, 1, S7ConnectionType::Basic, kNoTsaps},     // S7-200 SMART
    {S7Addressing::Tsaps, 0, 0, S7ConnectionType::PG, {0x0100, 0x0102}},   // custom
};

}  // namespace

const S7FamilyProfile* S7_GetFamilyProfile(S7Family family) {
  const auto index = static_cast<unsigned>(family);
  return index < kS7FamilyCount ? &kProfiles[index] : nullptr;
}

S7Tsaps S7_RackSlotTsaps(S7ConnectionType type, int rack, int slot) {
  // Added, not or-ed: a rack above 7 spills into the high byte as it always
  // has, so a PG request stays what the classic S7_Connection_Init sends.
  const std::uint32_t remote = (static_cast<std::uint32_t>(type) << 8) +
                               ((static_cast<std::uint32_t>(rack) << 5) | static_cast<std::uint32_t>(slot));
  return {0x0100, static_cast<std::uint16_t>(remote)};
}
