// Decoders of the system status lists the program shows: module and
// component identification, LEDs, protection, CPU mode, communication limits
// and the diagnostic buffer. A list is outside data even after its read
// checked it: each decoder looks only at records that lie wholly within the
// list's bytes and at fields within its record length.
#include <cstring>

#include "s7lib/s7internal.h"

namespace {

constexpr std::uint8_t kVersionMark = 'V';

// Record n of the list, if at least `need` bytes of it are there.
const std::uint8_t* Record(const S7SzlList* list, int n, int need) {
  if (!list || !list->records || n < 0 || n >= list->recordCount || list->recordLength < need) return nullptr;
  const long at = static_cast<long>(n) * list->recordLength;
  if (at + need > list->bytes) return nullptr;
  return list->records + at;
}

int Records(const S7SzlList* list) { return list ? list->recordCount : 0; }

// The record whose first word is index (lists answered for one index), with
// `need` bytes of it there; null when a record is short or none has it.
const std::uint8_t* IndexedRecord(const S7SzlList* list, std::uint16_t index, int need) {
  for (int i = 0; i < Records(list); ++i) {
    const std::uint8_t* r = Record(list, i, need);
    if (!r) return nullptr;
    if (GetBE16(r) == index) return r;
  }
  return nullptr;
}

// A text field of `width` bytes: up to the first zero, trailing blanks cut.
void CopyText(const std::uint8_t* field, int width, char* out, int outSize) {
  int n = 0;
  while (n < width && n < outSize - 1 && field[n] != 0) {
    out[n] = static_cast<char>(field[n]);
    ++n;
  }
  while (n > 0 && out[n - 1] == ' ') --n;
  out[n] = '\0';
}

std::uint32_t GetBE32(const std::uint8_t* p) {
  return (static_cast<std::uint32_t>(GetBE16(p)) << 16) | GetBE16(p + 2);
}

// A DATE_AND_TIME stamp; 1 when it holds a valid date and time.
std::uint8_t Stamp(const std::uint8_t* wire8, CalendarRecord* out) {
  return S7_DecodeDateTime(wire8, out) == 0 ? 1 : 0;
}

}  // namespace

int S7_DecodeModuleIdentity(const S7SzlList* list, S7ModuleIdentity* out) {
  // index (2), order number (20), reserved (2), two version words (2 + 2)
  constexpr int kRecord = 28;
  if (!out) return S7_ERR_BAD_REPLY;
  *out = S7ModuleIdentity{};
  bool any = false;
  for (int i = 0; i < Records(list); ++i) {
    const std::uint8_t* r = Record(list, i, kRecord);
    if (!r) return S7_ERR_BAD_REPLY;
    any = true;
    const unsigned index = GetBE16(r) & 0xFF;
    // The module's own order number wins; the hardware record repeats it.
    if (index == 1 || (index == 6 && out->orderNumber[0] == '\0'))
      CopyText(r + 2, 20, out->orderNumber, sizeof out->orderNumber);
    S7Version* version = index == 6 ? &out->hardware : index == 7 ? &out->firmware
                       : index == 0x82 ? &out->bootLoader : nullptr;
    if (version) *version = S7Version{r[24] == kVersionMark, r[25], r[26], r[27], GetBE16(r + 24), GetBE16(r + 26)};
  }
  return any ? S7_OK : S7_ERR_BAD_REPLY;
}

int S7_DecodeComponentIdentity(const S7SzlList* list, S7ComponentIdentity* out) {
  struct Field {
    unsigned index;
    char (S7ComponentIdentity::*text)[33];
  };
  static constexpr Field kFields[] = {
      {0x01, &S7ComponentIdentity::plcName},       {0x02, &S7ComponentIdentity::moduleName},
      {0x03, &S7ComponentIdentity::plantDesignation}, {0x04, &S7ComponentIdentity::copyright},
      {0x05, &S7ComponentIdentity::serialNumber},  {0x07, &S7ComponentIdentity::moduleTypeName},
      {0x08, &S7ComponentIdentity::memoryCardSerial}, {0x0B, &S7ComponentIdentity::location},
  };
  if (!out) return S7_ERR_BAD_REPLY;
  *out = S7ComponentIdentity{};
  bool any = false;
  for (int i = 0; i < Records(list); ++i) {
    // Some CPUs send shorter records than 34 bytes; the text is what is
    // there, and the whole record must be.
    const std::uint8_t* r = Record(list, i, list->recordLength > 2 ? list->recordLength : 2);
    if (!r) return S7_ERR_BAD_REPLY;
    any = true;
    const unsigned index = GetBE16(r) & 0xFF;
    const int width = list->recordLength - 2 < 32 ? list->recordLength - 2 : 32;
    for (const Field& f : kFields)
      if (f.index == index) CopyText(r + 2, width, out->*f.text, sizeof(out->*f.text));
  }
  return any ? S7_OK : S7_ERR_BAD_REPLY;
}

int S7_DecodeLeds(const S7SzlList* list, S7Led* leds, int capacity, int* count) {
  constexpr int kRecord = 4;
  if (count) *count = 0;
  int n = 0;
  for (int i = 0; i < Records(list); ++i) {
    const std::uint8_t* r = Record(list, i, kRecord);
    if (!r) return S7_ERR_BAD_REPLY;
    if (leds && n < capacity) leds[n] = S7Led{GetBE16(r), r[2], r[3]};
    ++n;
  }
  if (count) *count = n;
  return S7_OK;
}

int S7_DecodeProtection(const S7SzlList* list, S7Protection* out) {
  constexpr int kRecord = 12;  // the fields up to the start-up switch
  if (!out) return S7_ERR_BAD_REPLY;
  *out = S7Protection{};
  const std::uint8_t* r = IndexedRecord(list, 4, kRecord);
  if (!r) return S7_ERR_BAD_REPLY;
  *out = S7Protection{GetBE16(r + 2), GetBE16(r + 4), GetBE16(r + 6), GetBE16(r + 8), GetBE16(r + 10)};
  return S7_OK;
}

int S7_DecodeCpuMode(const S7SzlList* list, S7CpuMode* out) {
  constexpr int kRecord = 20;
  if (!out) return S7_ERR_BAD_REPLY;
  *out = S7CpuMode{};
  const std::uint8_t* r = Record(list, 0, kRecord);
  if (!r) return S7_ERR_BAD_REPLY;
  out->eventId = GetBE16(r);
  out->mode = r[3] & 0x0F;
  out->previousMode = r[3] >> 4;
  std::memcpy(out->startupInfo, r + 8, sizeof out->startupInfo);
  out->timeValid = Stamp(r + 12, &out->time);
  return S7_OK;
}

int S7_DecodeCommLimits(const S7SzlList* list, S7CommLimits* out) {
  constexpr int kRecord = 14;  // the fields up to the backplane rate
  if (!out) return S7_ERR_BAD_REPLY;
  *out = S7CommLimits{};
  const std::uint8_t* r = IndexedRecord(list, 1, kRecord);
  if (!r) return S7_ERR_BAD_REPLY;
  *out = S7CommLimits{GetBE16(r + 2), GetBE16(r + 4), GetBE32(r + 6), GetBE32(r + 10)};
  return S7_OK;
}

int S7_DecodeDiagEntry(const S7SzlList* list, int n, S7DiagEntry* out) {
  constexpr int kRecord = 20;
  if (!out) return S7_ERR_BAD_REPLY;
  *out = S7DiagEntry{};
  const std::uint8_t* r = Record(list, n, kRecord);
  if (!r) return S7_ERR_BAD_REPLY;
  out->eventId = GetBE16(r);
  out->priorityClass = r[2];
  out->obNumber = r[3];
  out->datId = GetBE16(r + 4);
  out->info1 = GetBE16(r + 6);
  out->info2 = GetBE32(r + 8);
  out->timeValid = Stamp(r + 12, &out->time);
  return S7_OK;
}
