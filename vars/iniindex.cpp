// Linear-time reading and writing of large INI texts. Looking up every key of
// a big variable table with Ini_Find, or writing one with Ini_SetString per
// key, scans the whole text each time; the index reads the text once into a
// hash table, and the builder appends what Ini_SetString would insert, using
// an index of its own text to tell when an append would not be the same.
#include <cstring>

#include "runtime/runtime.h"
#include "vars/format.h"
#include "vars/ini.h"
#include "vars/ini_internal.h"
#include "vars/texthelp.h"

using namespace ini;

// The keys of each section have a hash table of their own: reading or
// writing a table section by section then works in a small table that stays
// in the processor's cache, where one table for the whole text would miss it
// at nearly every key. Texts stay in the indexed text; the records hold
// offsets, which survive the builder moving its text.
struct IniIndexSlot {
  std::uint32_t hash;     // 0: free
  std::uint32_t item;     // section number or entry number
};

struct IniIndexEntry {
  std::uint32_t name;     // offsets of the key and the value
  std::uint32_t value;
  std::int32_t section;
  std::uint16_t nameLength;
  std::uint16_t valueLength;
};

struct IniIndexSection {
  std::uint32_t name;     // offset of the name's first occurrence
  std::uint32_t nameLength;
  IniIndexSlot* slots;    // its keys, all occurrences together
  std::uint32_t mask;
  std::uint32_t used;
};

namespace {

constexpr std::size_t kMaxIndexedText = 0x7FFFFFFF;
constexpr std::uint32_t kFirstSlots = 16;

struct FoldTable {
  unsigned char to[256];
};
FoldTable MakeFoldTable() {
  FoldTable t{};
  for (int c = 0; c < 256; ++c) t.to[c] = UpperCaseChar(static_cast<unsigned char>(c));
  return t;
}
const FoldTable kFold = MakeFoldTable();

// A hash of the folded name, eight bytes to a multiply: names are short and
// this runs for every key read or written.
std::uint32_t NameHash(const char* p, std::size_t n) {
  auto word = [&](std::size_t at, std::size_t count) {
    std::uint64_t w = 0;
    for (std::size_t k = 0; k < count; ++k)
      w |= std::uint64_t{kFold.to[static_cast<unsigned char>(p[at + k])]} << (8 * k);
    return w;
  };
  std::uint64_t h = 0x9E3779B97F4A7C15ull ^ n;
  std::size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    h = (h ^ word(i, 8)) * 0xFF51AFD7ED558CCDull;
    h ^= h >> 32;
  }
  h = (h ^ word(i, n - i)) * 0xC4CEB9FE1A85EC53ull;
  h ^= h >> 29;
  h *= 0xFF51AFD7ED558CCDull;
  h ^= h >> 32;
  const auto r = static_cast<std::uint32_t>(h);
  return r ? r : 1;
}

std::uint32_t Offset(const IniIndex* index, const char* p) {
  return static_cast<std::uint32_t>(p - index->text);
}

void DropTables(IniIndex* index) {
  for (std::uint32_t i = 0; i < index->sectionCount; ++i) Rt_Free(index->sections[i].slots);
  Rt_Free(index->sections);
  Rt_Free(index->sectionSlots);
  Rt_Free(index->entries);
  index->sections = nullptr;
  index->sectionSlots = nullptr;
  index->entries = nullptr;
  index->sectionCount = index->sectionCapacity = index->sectionMask = 0;
  index->entryCount = index->entryCapacity = index->next = 0;
  index->lastSection = -1;
  index->scanning = true;
}

// Without memory the tables go and the getters scan the text instead.
bool OutOfMemory(IniIndex* index) {
  DropTables(index);
  return false;
}

IniIndexSlot* NewSlots(std::uint32_t count) {
  return static_cast<IniIndexSlot*>(Rt_Alloc(kRtZero, std::size_t{count} * sizeof(IniIndexSlot)));
}

bool Rehash(IniIndexSlot** slots, std::uint32_t* mask) {
  const std::uint32_t count = *mask + 1;
  IniIndexSlot* grown = NewSlots(count * 2);
  if (!grown) return false;
  const std::uint32_t newMask = count * 2 - 1;
  for (std::uint32_t i = 0; i < count; ++i) {
    if (!(*slots)[i].hash) continue;
    std::uint32_t at = (*slots)[i].hash & newMask;
    while (grown[at].hash) at = (at + 1) & newMask;
    grown[at] = (*slots)[i];
  }
  Rt_Free(*slots);
  *slots = grown;
  *mask = newMask;
  return true;
}

// Doubles a table once it is half full, so probes stay short.
inline bool MakeRoom(IniIndexSlot** slots, std::uint32_t* mask, std::uint32_t used) {
  return (used + 1) * 2 <= *mask + 1 || Rehash(slots, mask);
}

// The slot holding the name, or the free slot where it would go.
IniIndexSlot* SectionSlot(const IniIndex* index, std::uint32_t hash, const char* name, std::size_t n) {
  for (std::uint32_t at = hash & index->sectionMask;; at = (at + 1) & index->sectionMask) {
    IniIndexSlot* slot = &index->sectionSlots[at];
    if (!slot->hash) return slot;
    const IniIndexSection& s = index->sections[slot->item];
    if (slot->hash == hash && NameEquals(index->text + s.name, s.nameLength, name, n)) return slot;
  }
}

IniIndexSlot* KeySlot(const IniIndex* index, const IniIndexSection& section, std::uint32_t hash,
                      const char* key, std::size_t n) {
  for (std::uint32_t at = hash & section.mask;; at = (at + 1) & section.mask) {
    IniIndexSlot* slot = &section.slots[at];
    if (!slot->hash) return slot;
    const IniIndexEntry& e = index->entries[slot->item];
    if (slot->hash == hash && NameEquals(index->text + e.name, e.nameLength, key, n)) return slot;
  }
}

// Keys are asked for section by section: the same name as last time is the
// same section (numbers never change while the index lives).
std::int32_t FindSection(IniIndex* index, const char* name, std::size_t n) {
  if (index->lastSection >= 0 && std::memcmp(name, index->lastSectionName, n + 1) == 0)
    return index->lastSection;
  const IniIndexSlot* slot = SectionSlot(index, NameHash(name, n), name, n);
  if (!slot->hash) return -1;
  index->lastSection = static_cast<std::int32_t>(slot->item);
  std::memcpy(index->lastSectionName, name, n + 1);
  return index->lastSection;
}

// The section's number, a new one for a name not seen before; −1 without memory.
std::int32_t AddSection(IniIndex* index, Span name) {
  const std::uint32_t hash = NameHash(name.p, name.n);
  IniIndexSlot* slot = SectionSlot(index, hash, name.p, name.n);
  if (slot->hash) return static_cast<std::int32_t>(slot->item);
  if (index->sectionCount == index->sectionCapacity) {
    const std::uint32_t capacity = index->sectionCapacity * 2;
    auto* grown = static_cast<IniIndexSection*>(
        Rt_Realloc(index->sections, 0, std::size_t{capacity} * sizeof(IniIndexSection)));
    if (!grown) return OutOfMemory(index), -1;
    index->sections = grown;
    index->sectionCapacity = capacity;
  }
  if (!MakeRoom(&index->sectionSlots, &index->sectionMask, index->sectionCount)) return OutOfMemory(index), -1;
  // The sections of a variable table are much alike: a new one starts with
  // the room its predecessor ended with, and grows less often.
  const std::uint32_t slots =
      index->sectionCount ? index->sections[index->sectionCount - 1].mask + 1 : kFirstSlots;
  IniIndexSlot* keys = NewSlots(slots);
  if (!keys) return OutOfMemory(index), -1;
  const std::uint32_t number = index->sectionCount++;
  index->sections[number] =
      IniIndexSection{Offset(index, name.p), static_cast<std::uint32_t>(name.n), keys, slots - 1, 0};
  *SectionSlot(index, hash, name.p, name.n) = IniIndexSlot{hash, number};
  return static_cast<std::int32_t>(number);
}

// A new entry for a key that the slot, found free, is to hold.
bool InsertKey(IniIndex* index, std::int32_t number, IniIndexSlot* slot, std::uint32_t hash, Span key,
               Span value) {
  if (index->entryCount == index->entryCapacity) {
    const std::uint32_t capacity = index->entryCapacity * 2;
    auto* grown = static_cast<IniIndexEntry*>(
        Rt_Realloc(index->entries, 0, std::size_t{capacity} * sizeof(IniIndexEntry)));
    if (!grown) return OutOfMemory(index);
    index->entries = grown;
    index->entryCapacity = capacity;
  }
  const std::uint32_t entry = index->entryCount++;
  index->entries[entry] = IniIndexEntry{Offset(index, key.p), Offset(index, value.p), number,
                                        static_cast<std::uint16_t>(key.n), static_cast<std::uint16_t>(value.n)};
  *slot = IniIndexSlot{hash, entry};
  ++index->sections[number].used;
  return true;
}

// A later key line of the same name replaces the earlier: the last one wins.
bool AddKey(IniIndex* index, std::int32_t number, Span key, Span value, std::uint32_t hash) {
  IniIndexSection& section = index->sections[number];
  if (!MakeRoom(&section.slots, &section.mask, section.used)) return OutOfMemory(index);
  IniIndexSlot* slot = KeySlot(index, section, hash, key.p, key.n);
  if (slot->hash) {
    IniIndexEntry& e = index->entries[slot->item];
    e.value = Offset(index, value.p);
    e.valueLength = static_cast<std::uint16_t>(value.n);
    return true;
  }
  return InsertKey(index, number, slot, hash, key, value);
}

// Takes in the complete lines after index->indexed.
void IndexLines(IniIndex* index) {
  std::size_t pos = index->indexed, lineEnd = 0;
  while (!index->scanning && NextLine(index->text, index->length, pos, &lineEnd)) {
    Line line = ParseLine(index->text + pos, index->text + lineEnd);
    if (line.kind == LineKind::Header) {
      index->currentSection = AddSection(index, line.name);
    } else if (line.kind == LineKind::Key && index->currentSection >= 0) {
      AddKey(index, index->currentSection, line.name, line.value, NameHash(line.name.p, line.name.n));
    }
    pos = lineEnd + 2;
  }
  index->indexed = pos;
}

std::size_t CountLines(const char* text, std::size_t length) {
  std::size_t lines = 0;
  for (const char* p = text; (p = static_cast<const char*>(std::memchr(p, '\n', length - (p - text))));
       ++p)
    ++lines;
  return lines;
}

// The tables of an index, sized for about this many keys.
void StartTables(IniIndex* index, std::size_t keys) {
  index->currentSection = -1;
  index->sectionCapacity = 8;
  index->sectionMask = kFirstSlots - 1;
  index->entryCapacity = static_cast<std::uint32_t>(keys < 16 ? 16 : keys);
  index->sections = static_cast<IniIndexSection*>(Rt_Alloc(0, index->sectionCapacity * sizeof(IniIndexSection)));
  index->sectionSlots = NewSlots(kFirstSlots);
  index->entries = static_cast<IniIndexEntry*>(Rt_Alloc(0, index->entryCapacity * sizeof(IniIndexEntry)));
  if (!index->sections || !index->sectionSlots || !index->entries) OutOfMemory(index);
}

// The value of a key through the tables, or through Ini_Find without them.
struct Found {
  bool found;
  const char* value;
  std::size_t length;
  IniPosition scan;  // only used when scanning
};

void Lookup(IniIndex* index, const char* section, const char* key, Found* out) {
  out->found = false;
  out->value = "";
  out->length = 0;
  if (!index) return;
  if (index->scanning) {
    Ini_Find(index->text, section, key, &out->scan);
    out->found = out->scan.keyLineStart != kIniNone;
    out->value = out->scan.value;
    out->length = static_cast<std::size_t>(out->scan.valueLength);
    return;
  }
  char sectionName[kIniNameSize], keyName[kIniNameSize];
  const auto sn = static_cast<std::size_t>(CopyName(sectionName, section));
  const auto kn = static_cast<std::size_t>(CopyName(keyName, key));
  const std::int32_t number = FindSection(index, sectionName, sn);
  if (number < 0) return;
  // Entries are unique per section and key, so the entry after the last one
  // found, when it matches, is the answer: reading in the order of the text
  // needs no hashing.
  const IniIndexEntry* entry = nullptr;
  if (index->next < index->entryCount) {
    const IniIndexEntry& e = index->entries[index->next];
    if (e.section == number && NameEquals(index->text + e.name, e.nameLength, keyName, kn)) entry = &e;
  }
  if (!entry) {
    const IniIndexSlot* slot = KeySlot(index, index->sections[number], NameHash(keyName, kn), keyName, kn);
    if (!slot->hash) return;
    entry = &index->entries[slot->item];
  }
  index->next = static_cast<std::uint32_t>(entry - index->entries) + 1;
  out->found = true;
  out->value = index->text + entry->value;
  out->length = entry->valueLength;
}

}  // namespace

// ---------------------------------------------------------------- the index

void Ini_IndexBuild(IniIndex* index, const char* text) {
  if (!index) return;
  std::memset(index, 0, sizeof *index);
  index->text = text ? text : "";
  index->length = std::strlen(index->text);
  index->currentSection = index->lastSection = -1;
  if (index->length > kMaxIndexedText) {
    index->scanning = true;
    return;
  }
  StartTables(index, CountLines(index->text, index->length));
  IndexLines(index);
}

void Ini_IndexFree(IniIndex* index) {
  if (!index) return;
  DropTables(index);
  index->text = "";
  index->length = index->indexed = 0;
}

std::ptrdiff_t Ini_IndexGetString(IniIndex* index, const char* section, const char* key,
                                  char* buffer, std::size_t size, const char* defaultText) {
  Found f;
  Lookup(index, section, key, &f);
  return CopyValue(f.found, f.value, f.length, buffer, size, defaultText);
}

int Ini_IndexGetInt(IniIndex* index, const char* section, const char* key, int minimum,
                    int maximum, int defaultValue) {
  Found f;
  Lookup(index, section, key, &f);
  return IntFromValue(f.found, f.value, f.length, minimum, maximum, defaultValue);
}

std::uint32_t Ini_IndexGetIPv4(IniIndex* index, const char* section, const char* key,
                               std::uint32_t defaultValue) {
  Found f;
  Lookup(index, section, key, &f);
  return IPv4FromValue(f.found, f.value, f.length, defaultValue);
}

// ---------------------------------------------------------------- the builder

namespace {

void Reindex(IniBuilder* b) {
  Ini_IndexFree(&b->index);
  Ini_IndexBuild(&b->index, b->text);
}

// Anything but an append: Ini_SetString does it, and the index starts over.
std::ptrdiff_t Delegate(IniBuilder* b, const char* section, const char* key, const char* value) {
  // The thread's out-of-memory mark tells whether this call failed: cleared
  // for it, and what was marked before is marked again afterwards.
  auto& errors = CurrentThreadContext()->runtimeErrors;
  const auto before = errors & kRtErrOutOfMemory;
  errors &= ~kRtErrOutOfMemory;
  b->length = static_cast<std::size_t>(Ini_SetString(&b->text, section, key, value));
  b->capacity = Rt_BlockSize(b->text);
  if (errors & kRtErrOutOfMemory) b->failed = true;
  errors |= before;
  Reindex(b);
  return static_cast<std::ptrdiff_t>(b->length);
}

bool Grow(IniBuilder* b, std::size_t needed) {
  if (b->capacity >= needed) return true;
  std::size_t capacity = b->capacity < 4096 ? 4096 : b->capacity;
  while (capacity < needed) capacity *= 2;
  char* grown = static_cast<char*>(Rt_Realloc(b->text, 0, capacity));
  if (!grown) return false;
  if (!b->text) grown[0] = 0;
  b->text = grown;
  b->index.text = grown;  // the index reads names through its text pointer
  b->capacity = capacity;
  return true;
}

}  // namespace

void Ini_BuildBegin(IniBuilder* builder) {
  if (!builder) return;
  std::memset(builder, 0, sizeof *builder);
  Ini_IndexBuild(&builder->index, nullptr);
}

std::ptrdiff_t Ini_BuildString(IniBuilder* b, const char* section, const char* key, const char* value) {
  if (!b) return 0;
  const auto length = static_cast<std::ptrdiff_t>(b->length);
  char sectionName[kIniNameSize], keyName[kIniNameSize];
  const auto sn = static_cast<std::size_t>(CopyName(sectionName, section));
  const auto kn = static_cast<std::size_t>(CopyName(keyName, key));
  if (sn == 0 || HasLineBreak(sectionName, sn) || HasLineBreak(keyName, kn)) return length;
  // The index holds 32-bit offsets; a text beyond them is left to scanning.
  if (kn == 0 || b->index.scanning || b->length > kMaxIndexedText - 2 * kIniValueSize)
    return Delegate(b, section, key, value);
  IniIndex* index = &b->index;

  // The line is composed in place, after room for a header: the text grows
  // by at most that much.
  if (!Grow(b, b->length + sn + 4 + kIniValueSize + 2)) {
    b->failed = true;
    return length;
  }
  char* line = b->text + b->length + sn + 4;
  const std::size_t lineLength = ComposeLine(keyName, kn, value, line);
  const std::int32_t id = FindSection(index, sectionName, sn);
  const std::uint32_t keyHash = NameHash(keyName, kn);
  IniIndexSlot* slot = nullptr;  // where a new key of a known section goes
  if (id >= 0) {
    IniIndexSection& s = index->sections[id];
    if (!MakeRoom(&s.slots, &s.mask, s.used)) {
      OutOfMemory(index);
      return Delegate(b, section, key, value);
    }
    slot = KeySlot(index, s, keyHash, keyName, kn);
    if (slot->hash) return Delegate(b, section, key, value);  // replaced or removed in place
  }
  if (lineLength == 0) return length;  // a missing key without a value: nothing to do
  // A key of an earlier section goes before the next header, not at the end.
  if (id >= 0 && id != index->currentSection) return Delegate(b, section, key, value);

  const std::size_t added = lineLength + 2 + (id < 0 ? sn + 4 : 0);
  char* at = b->text + b->length;
  if (id < 0) {
    *at++ = '[';
    std::memcpy(at, sectionName, sn);
    at += sn;
    std::memcpy(at, "]\r\n", 3);
    at += 3;
  } else {
    std::memmove(at, line, lineLength);
  }
  char* written = at;
  at += lineLength;
  std::memcpy(at, "\r\n", 3);  // with the terminating zero
  b->length += added;
  index->text = b->text;
  index->length = b->length;
  if (slot && PlainKey(keyName, kn)) {
    // The line reads back as this key of the current section: no need to
    // parse it again.
    Span keySpan{written, kn};
    Span valueSpan = TrimCut(written + kn + 3, written + lineLength, kLineMax);
    InsertKey(index, id, slot, keyHash, keySpan, valueSpan);
    index->indexed = b->length;
  } else {
    IndexLines(index);  // a new section, or a line that may read otherwise
  }
  return static_cast<std::ptrdiff_t>(b->length);
}

std::ptrdiff_t Ini_BuildInt(IniBuilder* builder, const char* section, const char* key, int value) {
  char number[16];
  FormatTextN(number, sizeof number, "%d", value);
  return Ini_BuildString(builder, section, key, number);
}

char* Ini_BuildEnd(IniBuilder* builder, std::ptrdiff_t* length) {
  if (length) *length = 0;
  if (!builder) return nullptr;
  char* text = builder->text;
  if (!text) text = static_cast<char*>(Rt_Alloc(kRtZero, 1));
  if (text && length) *length = static_cast<std::ptrdiff_t>(builder->length);
  Ini_IndexFree(&builder->index);
  std::memset(builder, 0, sizeof *builder);
  return text;
}
