// The INI-style text the variable table file is written in: finding, reading
// and changing keys, an index for reading many keys and a builder for writing
// a whole text. An index or builder serves one thread at a time.
#pragma once

#include <cstddef>
#include <cstdint>

// ---------------------------------------------------------------- INI-style text
// The variable table file is an INI-style text edited in memory: lines end
// with CR LF (a lone LF does not end a line, and a last line without CR LF is
// not seen), each line is trimmed and cut to 2047 characters, "[name]" opens a
// section, ";" starts a comment, "key = value" is a key line. Names are
// trimmed, cut to 127 characters and compared with UpperCaseChar's folding.
// A section may occur more than once; the last matching key line wins.

inline constexpr std::ptrdiff_t kIniNone = -1;
inline constexpr std::size_t kIniNameSize = 128;   // 127 characters and the zero
inline constexpr std::size_t kIniValueSize = 2048; // 2047 characters and the zero

// What Ini_Find learnt about one section and key. Positions are offsets into
// the text; line ends are just past the line's LF.
struct IniPosition {
  std::ptrdiff_t textEnd;          // the terminating zero
  std::ptrdiff_t sectionHeader;    // the header line (of the last occurrence), kIniNone if missing
  std::ptrdiff_t sectionBody;      // the line after that header
  std::ptrdiff_t sectionEnd;       // the next header line after the section, or textEnd
  std::ptrdiff_t keyLineStart;     // the winning key line, kIniNone if missing
  std::ptrdiff_t keyLineEnd;
  std::ptrdiff_t commentStart;     // the comment block directly above that key line, or kIniNone
  std::ptrdiff_t commentEnd;
  std::ptrdiff_t insertionPoint;   // where Ini_SetString changed the text
  std::ptrdiff_t removedLength;    // and how much it took out there
  int sectionNameLength;
  int keyNameLength;
  int valueLength;
  std::ptrdiff_t textLength;
  char sectionName[kIniNameSize];  // the trimmed names asked for
  char keyName[kIniNameSize];
  char value[kIniValueSize];       // the value found, or the line Ini_SetString wrote
};

// A null text reads as empty.
void Ini_Find(const char* text, const char* section, const char* key, IniPosition* out);

// The key's value (an empty value included) or else the default (null: empty
// text), cut to size − 1 characters; returns the number of characters copied.
std::ptrdiff_t Ini_GetString(const char* text, const char* section, const char* key, char* buffer,
                             std::size_t size, const char* defaultText);
// A missing or empty value, or one that is not wholly a signed decimal
// integer, gives the default; the default itself is returned as it is; any
// other number is clamped to minimum..maximum.
int Ini_GetInt(const char* text, const char* section, const char* key, int minimum, int maximum,
               int defaultValue);
// "a.b.c.d" with a in the lowest byte (network order in memory); anything
// else gives the default.
std::uint32_t Ini_GetIPv4(const char* text, const char* section, const char* key,
                          std::uint32_t defaultValue);

// Sets the key to the trimmed value in place (keeping its comment), adds it at
// the end of its section (a missing section is appended to the text), or,
// with an empty value, removes the key line with the comment block directly
// above it. An empty key removes the section's last occurrence with all it
// holds; an empty section name changes nothing. A value is taken only up to
// its first CR LF, and names holding CR LF are refused, so that no call can
// add lines of its own making. *text is a runtime heap block (or null for an
// empty text) that may be moved; returns the new text length, the old one when the
// block could not grow.
std::ptrdiff_t Ini_SetString(char** text, const char* section, const char* key, const char* value);
std::ptrdiff_t Ini_SetInt(char** text, const char* section, const char* key, int value);

// Reading many keys from a large text: Ini_IndexBuild walks the text once and
// the Ini_Index getters then answer as the plain getters would, without
// scanning the text again; keys asked for in the order of the text are found
// without hashing. The text must stay unchanged while the index is used, and
// an index serves one thread at a time (it remembers the last answer). Without
// memory for the index the getters fall back to scanning. The tables are the
// index's (runtime heap) until Ini_IndexFree; the text stays the caller's.
struct IniIndexSlot;
struct IniIndexSection;
struct IniIndexEntry;
struct IniIndex {
  const char* text;
  std::size_t length;
  std::size_t indexed;            // complete lines before this offset are in the tables
  bool scanning;                  // no memory for the tables: the getters scan the text
  IniIndexSlot* sectionSlots;     // section names to section numbers
  std::uint32_t sectionMask;      // slot count − 1
  IniIndexSection* sections;      // by number, each with a table of its keys
  std::uint32_t sectionCount;
  std::uint32_t sectionCapacity;
  IniIndexEntry* entries;         // the keys in the order of the text
  std::uint32_t entryCount;
  std::uint32_t entryCapacity;
  std::int32_t currentSection;    // of the last header line, −1 before the first
  std::int32_t lastSection;       // the last section asked for, −1: none
  std::uint32_t next;             // the entry after the last key found
  char lastSectionName[kIniNameSize];
};
void Ini_IndexBuild(IniIndex* index, const char* text);
void Ini_IndexFree(IniIndex* index);
std::ptrdiff_t Ini_IndexGetString(IniIndex* index, const char* section, const char* key, char* buffer,
                                  std::size_t size, const char* defaultText);
int Ini_IndexGetInt(IniIndex* index, const char* section, const char* key, int minimum, int maximum,
                    int defaultValue);
std::uint32_t Ini_IndexGetIPv4(IniIndex* index, const char* section, const char* key,
                               std::uint32_t defaultValue);

// Writing a whole text from empty: Ini_BuildString gives byte for byte the
// text that Ini_SetString calls in the same order would give, in linear time
// when keys come section by section (anything else is handed to
// Ini_SetString). Ini_BuildEnd hands the heap text over (Rt_Free it; never
// null unless memory ran out) and releases the rest.
struct IniBuilder {
  char* text;
  std::size_t length;
  std::size_t capacity;
  IniIndex index;
  bool failed;                  // a growth failed; that call changed nothing
};
void Ini_BuildBegin(IniBuilder* builder);
std::ptrdiff_t Ini_BuildString(IniBuilder* builder, const char* section, const char* key,
                               const char* value);
std::ptrdiff_t Ini_BuildInt(IniBuilder* builder, const char* section, const char* key, int value);
char* Ini_BuildEnd(IniBuilder* builder, std::ptrdiff_t* length);
