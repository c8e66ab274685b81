// The PLC family, connection type and TSAPs of a PLC description: their
// names in files and on the command line, the TSAPs as hex text, and the
// TSAPs a connection asks for.
#include "vars/format.h"
#include "vars/plcsettings.h"
#include "vars/texthelp.h"

namespace {

constexpr const char* kFamilyNames[kS7FamilyCount] = {"S7-300", "S7-1200", "S7-1500", "LOGO",
                                                      "S7-200", "S7-200SMART", "custom"};
// Indexed by S7ConnectionType's value.
constexpr const char* kConnTypeNames[] = {nullptr, "PG", "OP", "basic"};

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// 1-4 hex digits up to `end` (a colon or the terminating zero).
const char* ParseHex16(const char* text, char end, std::uint16_t* value) {
  unsigned v = 0;
  int digits = 0;
  for (; *text && *text != end; ++text, ++digits) {
    const int d = HexDigit(*text);
    if (d < 0 || digits == 4) return nullptr;
    v = v * 16 + static_cast<unsigned>(d);
  }
  if (digits == 0 || *text != end) return nullptr;
  *value = static_cast<std::uint16_t>(v);
  return text;
}

}  // namespace

const char* Plc_FamilyName(int family) {
  return family >= 0 && family < kS7FamilyCount ? kFamilyNames[family] : nullptr;
}

int Plc_FindFamily(const char* name) {
  for (int f = 0; f < kS7FamilyCount; ++f)
    if (CompareNoCase(name, kFamilyNames[f]) == 0) return f;
  return -1;
}

const char* Plc_ConnTypeName(int connType) {
  if (connType == 0) connType = static_cast<int>(S7ConnectionType::PG);
  return connType >= 1 && connType <= 3 ? kConnTypeNames[connType] : nullptr;
}

int Plc_FindConnType(const char* name) {
  for (int t = 1; t <= 3; ++t)
    if (CompareNoCase(name, kConnTypeNames[t]) == 0) return t;
  return -1;
}

bool Plc_TypedTsaps(int family) {
  const S7FamilyProfile* profile = S7_GetFamilyProfile(static_cast<S7Family>(family));
  return profile && profile->addressing == S7Addressing::Tsaps;
}

bool Plc_ParseTsap(const char* text, std::uint16_t* tsap) {
  std::uint16_t v = 0;
  if (!text || !ParseHex16(text, '\0', &v)) return false;
  *tsap = v;
  return true;
}

bool Plc_ParseTsapPair(const char* text, std::uint16_t* local, std::uint16_t* remote) {
  std::uint16_t a = 0, b = 0;
  const char* colon = text ? ParseHex16(text, ':', &a) : nullptr;
  if (!colon || !ParseHex16(colon + 1, '\0', &b)) return false;
  *local = a;
  *remote = b;
  return true;
}

int Plc_TsapPairText(std::uint16_t local, std::uint16_t remote, char* out, std::size_t size) {
  return FormatTextN(out, size, "%04X:%04X", static_cast<unsigned>(local), static_cast<unsigned>(remote));
}

void Plc_SetFamily(PlcSettings* plc, int family) {
  const S7FamilyProfile* profile = S7_GetFamilyProfile(static_cast<S7Family>(family));
  if (!profile) return;
  plc->family = family;
  plc->connType = static_cast<std::int32_t>(profile->type);
  if (profile->addressing == S7Addressing::RackSlot) {
    plc->rack = profile->rack;
    plc->slot = profile->slot;
  } else {
    plc->localTsap = profile->tsaps.local;
    plc->remoteTsap = profile->tsaps.remote;
  }
}

S7Tsaps Plc_Tsaps(const PlcSettings* plc) {
  if (Plc_TypedTsaps(plc->family)) return {plc->localTsap, plc->remoteTsap};
  const int type = plc->connType >= 1 && plc->connType <= 3 ? plc->connType : 1;
  return S7_RackSlotTsaps(static_cast<S7ConnectionType>(type), plc->rack, plc->slot);
}
