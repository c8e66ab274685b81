// The INI text layer: what the scanner sees (sections with blanks and case,
// broken headers, duplicates, comments, LF-only and unterminated lines, the
// 2047 and 127 cuts), the three getters, the setter's splices, and the index
// and builder answering exactly as the scanner and the setter do.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "runtime/runtime.h"
#include "vars/vars.h"

namespace {

// A heap text as the program keeps one.
struct HeapText {
  char* text = nullptr;
  explicit HeapText(const std::string& s) {
    text = static_cast<char*>(Rt_Alloc(kRtZero, s.size() + 1));
    std::memcpy(text, s.data(), s.size());
  }
  ~HeapText() { Rt_Free(text); }
  std::string str() const { return text ? text : ""; }
};

const char* const kDefault = "<default>";

std::string Get(const std::string& text, const char* section, const char* key) {
  char out[kIniValueSize + 16];
  Ini_GetString(text.c_str(), section, key, out, sizeof out, kDefault);
  return out;
}

// ---------------------------------------------------------------- what the scanner sees

struct GetCase {
  const char* name;
  std::string text;
  const char* section;
  const char* key;
  std::string expected;
};

TEST(IniGetStringTest, Cases) {
  const std::string longValue(2100, 'x');
  const std::string longName(200, 'n');
  const std::string longSection = longName.substr(0, 130);
  const std::string longKey = longName.substr(0, 127);
  const std::string keyPastCut = "k" + std::string(2046, 'y');
  const GetCase cases[] = {
      {"blanks and case in header", "  [ plc ]  \r\nIF = TCP\r\n", "PLC", "IF", "TCP"},
      {"blanks and tabs around key and value", "[A]\r\n \tk\t=\t v w \t\r\n", "A", "K", "v w"},
      {"header without ]", "[PLC\r\nIF = TCP\r\n", "PLC", "IF", kDefault},
      {"[] starts nothing", "[PLC]\r\n[]\r\nIF = TCP\r\n", "PLC", "IF", "TCP"},
      {"[ ] starts nothing", "[PLC]\r\n[ ]\r\nIF = TCP\r\n", "PLC", "IF", "TCP"},
      {"broken header does not end a section", "[PLC]\r\n[Var0\r\nIF = TCP\r\n", "PLC", "IF", "TCP"},
      {"last duplicate wins", "[PLC]\r\nName=x\r\nname = y\r\n", "PLC", "Name", "y"},
      {"every occurrence searched", "[A]\r\nk = 1\r\n[B]\r\nk = 2\r\n[a]\r\nk = 3\r\n[A]\r\nj = 4\r\n", "A",
       "k", "3"},
      {"key of another section", "[A]\r\nk = 1\r\n[B]\r\n", "B", "k", kDefault},
      {"key before any header", "k = 1\r\n[A]\r\n", "A", "k", kDefault},
      {"comment with =", "[A]\r\n;k = 1\r\n", "A", "k", kDefault},
      {"line without =", "[A]\r\nk\r\n", "A", "k", kDefault},
      {"empty value is found", "[A]\r\nk =\r\n", "A", "k", ""},
      {"value holding =", "[A]\r\nk = a=b\r\n", "A", "k", "a=b"},
      {"accented letters fold", "[\xC1rv\xEDz]\r\n\xD5 = 1\r\n", "\xE1rv\xCDz", "\xF5", "1"},
      {"0xFF does not fold", "[A]\r\n\xFF = 1\r\n", "A", "\xDF", kDefault},
      {"LF only is one line", "[PLC]\nIF = TCP\n", "PLC", "IF", kDefault},
      {"LF only with a final CR LF", "[PLC]\nIF = TCP\n\r\n", "PLC", "IF", kDefault},
      {"unterminated last line", "[PLC]\r\nIF = TCP", "PLC", "IF", kDefault},
      {"lone CR stays in the value", "[A]\r\nk = a\rb\r\n", "A", "k", "a\rb"},
      {"CR before the CR LF", "[A]\r\nk = v\r\r\n", "A", "k", "v\r"},
      {"line cut to 2047", "[A]\r\nk = " + longValue + "\r\n", "A", "k", std::string(2043, 'x')},
      {"= past the cut", "[A]\r\n" + keyPastCut + "= v\r\n", "A", keyPastCut.c_str(), kDefault},
      {"] past the cut", "[A]\r\n[" + std::string(2100, 'b') + "]\r\nk = 1\r\n", "A", "k", "1"},
      {"names cut to 127", "[" + longName + "]\r\n" + longName + " = 1\r\n", longSection.c_str(), longKey.c_str(), "1"},
      {"zero ends the text", std::string("[A]\r\nk = 1\r\n\0[A]\r\nk = 2\r\n", 24), "A", "k", "1"},
      {"missing section", "", "A", "k", kDefault},
  };
  for (const GetCase& c : cases) EXPECT_EQ(Get(c.text, c.section, c.key), c.expected) << c.name;
}

TEST(IniGetStringTest, CutsToTheBuffer) {
  const char* text = "[A]\r\nk = abcdef\r\n";
  char out[4] = {'?', '?', '?', '?'};
  EXPECT_EQ(Ini_GetString(text, "A", "k", out, sizeof out, nullptr), 3);
  EXPECT_STREQ(out, "abc");
  EXPECT_EQ(Ini_GetString(text, "A", "x", out, sizeof out, "defaults"), 3);
  EXPECT_STREQ(out, "def");
  EXPECT_EQ(Ini_GetString(text, "A", "x", out, sizeof out, nullptr), 0);
  EXPECT_STREQ(out, "");
  out[0] = '?';
  EXPECT_EQ(Ini_GetString(text, "A", "k", out, 0, nullptr), 0);
  EXPECT_EQ(out[0], '?');
  EXPECT_EQ(Ini_GetString(nullptr, "A", "k", out, sizeof out, "d"), 1);
}

struct IntCase {
  const char* value;  // null: no key line
  int minimum, maximum, defaultValue, expected;
};

TEST(IniGetIntTest, ClampsAndDefaults) {
  const IntCase cases[] = {
      {"40", 0, 31, -1, 31},
      {"x", 0, 31, -1, -1},
      {"-1", 0, 31, -1, -1},
      {"", 0, 31, -1, -1},
      {nullptr, 0, 31, -1, -1},
      {"-5", 0, 31, -1, 0},
      {"+7", 0, 31, -1, 7},
      {"12abc", 0, 31, -1, -1},
      {"1 2", 0, 31, -1, -1},
      {"99999999999", 0, 31, -1, 31},
      {"-99999999999", 0, 31, -1, 0},
      {"99999999999999999999", 0, 31, -1, -1},  // does not fit 64 bits
      {"100", 0, 31, 100, 100},                 // the default comes back unclamped
      {"0x10", 0, 31, -1, -1},
      {"2000", 100, 30000, -1, 2000},
  };
  for (const IntCase& c : cases) {
    std::string text = "[PLC]\r\n";
    if (c.value) text += std::string("Rack = ") + c.value + "\r\n";
    EXPECT_EQ(Ini_GetInt(text.c_str(), "PLC", "Rack", c.minimum, c.maximum, c.defaultValue), c.expected)
        << (c.value ? c.value : "(missing)");
  }
}

TEST(IniGetIPv4Test, Addresses) {
  struct Case {
    const char* value;
    std::uint32_t expected;
  };
  constexpr std::uint32_t kDef = 0xFFFFFFFFu;
  const Case cases[] = {
      {"10.0.0.1", 0x0100000Au},  {"192.168.1.1", 0x0101A8C0u}, {"0.0.0.0", 0},
      {"255.255.255.255", kDef},  {"10.0.0", kDef},             {"10.0.0.256", kDef},
      {"10.0.0.1.5", kDef},       {"10.0.0.1x", kDef},          {"1..2.3", kDef},
      {"+1.2.3.4", kDef},         {"", kDef},                   {"a.b.c.d", kDef},
      {"010.0.0.1", 0x0100000Au}, {"1.2.3.99999999999999999999", kDef},
  };
  for (const Case& c : cases) {
    std::string text = std::string("[PLC]\r\nAddress = ") + c.value + "\r\n";
    EXPECT_EQ(Ini_GetIPv4(text.c_str(), "PLC", "Address", kDef), c.expected) << c.value;
  }
  EXPECT_EQ(Ini_GetIPv4("[PLC]\r\n", "PLC", "Address", 0x12345678u), 0x12345678u);
  // At most 63 characters are read, then trimmed.
  std::string padded = "[PLC]\r\nAddress = 10.0.0.1" + std::string(60, ' ') + "x\r\n";
  EXPECT_EQ(Ini_GetIPv4(padded.c_str(), "PLC", "Address", kDef), 0x0100000Au);
}

TEST(IniFindTest, Positions) {
  //                   0         1         2          3          4
  const std::string t = "[A]\r\n; c1\r\n; c2\r\nk = v\r\nj = w\r\n[B]\r\n[A]\r\nx = 1\r\n";
  IniPosition p;
  Ini_Find(t.c_str(), " a ", " K ", &p);
  EXPECT_STREQ(p.sectionName, "a");
  EXPECT_EQ(p.sectionNameLength, 1);
  EXPECT_STREQ(p.keyName, "K");
  EXPECT_EQ(p.sectionHeader, static_cast<std::ptrdiff_t>(t.find("[A]", 1)));  // the last occurrence
  EXPECT_EQ(p.sectionBody, p.sectionHeader + 5);
  EXPECT_EQ(p.sectionEnd, static_cast<std::ptrdiff_t>(t.size()));
  EXPECT_EQ(p.keyLineStart, static_cast<std::ptrdiff_t>(t.find("k = v")));
  EXPECT_EQ(p.keyLineEnd, p.keyLineStart + 7);
  EXPECT_EQ(p.commentStart, static_cast<std::ptrdiff_t>(t.find("; c1")));
  EXPECT_EQ(p.commentEnd, p.keyLineStart);
  EXPECT_STREQ(p.value, "v");
  EXPECT_EQ(p.valueLength, 1);
  EXPECT_EQ(p.textEnd, static_cast<std::ptrdiff_t>(t.size()));
  EXPECT_EQ(p.textLength, p.textEnd);

  Ini_Find(t.c_str(), "B", "j", &p);
  EXPECT_EQ(p.sectionHeader, static_cast<std::ptrdiff_t>(t.find("[B]")));
  EXPECT_EQ(p.sectionEnd, p.sectionBody);  // the next header ends it at once
  EXPECT_EQ(p.keyLineStart, kIniNone);
  EXPECT_EQ(p.commentStart, kIniNone);

  Ini_Find(t.c_str(), "C", "k", &p);
  EXPECT_EQ(p.sectionHeader, kIniNone);
  EXPECT_EQ(p.sectionEnd, static_cast<std::ptrdiff_t>(t.size()));
}

// ---------------------------------------------------------------- setting

struct SetCase {
  const char* name;
  std::string before;
  const char* section;
  const char* key;
  const char* value;
  std::string after;
};

TEST(IniSetStringTest, Cases) {
  const std::string longValue(3000, 'v');
  const SetCase cases[] = {
      {"add at the end of the section", "[PLC]\r\nRack = 0\r\n[Var0]\r\n", "PLC", "Slot", "3",
       "[PLC]\r\nRack = 0\r\nSlot = 3\r\n[Var0]\r\n"},
      {"replace in place", "[PLC]\r\nRack = 0\r\nSlot = 3\r\n[Var0]\r\n", "PLC", "Slot", "4",
       "[PLC]\r\nRack = 0\r\nSlot = 4\r\n[Var0]\r\n"},
      {"append a missing section", "[PLC]\r\nRack = 0\r\n", "Var5", "Var", "MW0:1 (Word)",
       "[PLC]\r\nRack = 0\r\n[Var5]\r\nVar = MW0:1 (Word)\r\n"},
      {"into an empty text", "", "PLC", "IF", "TCP", "[PLC]\r\nIF = TCP\r\n"},
      {"names and value trimmed", "", " PLC\t", "  IF ", " \tTCP  ", "[PLC]\r\nIF = TCP\r\n"},
      {"the caller's spelling of the key", "[PLC]\r\nname = x\r\n", "plc", "NAME", "y", "[PLC]\r\nNAME = y\r\n"},
      {"a replaced line is written anew", "[PLC]\r\n  Name=x  \r\nRack = 1\r\n", "PLC", "Name", "y",
       "[PLC]\r\nName = y\r\nRack = 1\r\n"},
      {"replacing keeps the comment", "[PLC]\r\n; who\r\nName = x\r\n", "PLC", "Name", "y",
       "[PLC]\r\n; who\r\nName = y\r\n"},
      {"remove with the comment block", "[PLC]\r\n; a\r\n; b\r\nName = x\r\nRack = 1\r\n", "PLC", "Name", "",
       "[PLC]\r\nRack = 1\r\n"},
      {"a blank line splits the block", "[PLC]\r\n; a\r\n\r\n; b\r\nName = x\r\n", "PLC", "Name", "  ",
       "[PLC]\r\n; a\r\n\r\n"},
      {"a separated comment stays", "[PLC]\r\n; a\r\n\r\nName = x\r\n", "PLC", "Name", nullptr,
       "[PLC]\r\n; a\r\n\r\n"},
      {"an empty value for a missing key", "[PLC]\r\nRack = 1\r\n", "PLC", "Name", "", "[PLC]\r\nRack = 1\r\n"},
      {"an empty value for a missing section", "[PLC]\r\n", "Var0", "Var", "", "[PLC]\r\n"},
      {"an empty key removes the section", "[A]\r\nk = 1\r\n; c\r\n[B]\r\nj = 2\r\n", "a", "", "x",
       "[B]\r\nj = 2\r\n"},
      {"an empty key removes the last section", "[A]\r\nk = 1\r\n[B]\r\nj = 2\r\n", "B", " ", nullptr,
       "[A]\r\nk = 1\r\n"},
      {"an empty key for a missing section", "[A]\r\n", "B", "", nullptr, "[A]\r\n"},
      {"an empty section name", "[A]\r\n", " ", "k", "1", "[A]\r\n"},
      {"added after the last occurrence", "[A]\r\nk = 1\r\n[B]\r\n[A]\r\n", "A", "j", "2",
       "[A]\r\nk = 1\r\n[B]\r\n[A]\r\nj = 2\r\n"},
      {"the last duplicate is replaced", "[A]\r\nk = 1\r\nk = 2\r\n", "A", "k", "3", "[A]\r\nk = 1\r\nk = 3\r\n"},
      {"a duplicate does not take an earlier comment", "[A]\r\n; c\r\nk = 1\r\nx = 0\r\nk = 2\r\n", "A", "k", "",
       "[A]\r\n; c\r\nk = 1\r\nx = 0\r\n"},
      {"a value stops at CR LF", "[A]\r\n", "A", "k", "a\r\n[PLC]\r\nIF = S7ONLINE", "[A]\r\nk = a\r\n"},
      {"a value of only a line break", "[A]\r\nk = 1\r\n", "A", "k", "\r\nx", "[A]\r\n"},
      {"a key holding CR LF", "[A]\r\n", "A", "k\r\n[B]", "1", "[A]\r\n"},
      {"a section holding CR LF", "[A]\r\n", "A\r\n[B", "k", "1", "[A]\r\n"},
      {"a line is cut to 2047", "", "A", "k", longValue.c_str(),
       "[A]\r\nk = " + std::string(2043, 'v') + "\r\n"},
      {"LF-only text has no sections", "[PLC]\nRack = 0\n", "PLC", "Slot", "3",
       "[PLC]\nRack = 0\n[PLC]\r\nSlot = 3\r\n"},
  };
  for (const SetCase& c : cases) {
    HeapText t(c.before);
    std::ptrdiff_t n = Ini_SetString(&t.text, c.section, c.key, c.value);
    EXPECT_EQ(t.str(), c.after) << c.name;
    EXPECT_EQ(n, static_cast<std::ptrdiff_t>(c.after.size())) << c.name;
  }
}

TEST(IniSetStringTest, GrowsTheBlockAndStartsFromNull) {
  char* text = nullptr;
  std::ptrdiff_t n = Ini_SetInt(&text, "PLC", "Rack", -5);
  ASSERT_NE(text, nullptr);
  EXPECT_STREQ(text, "[PLC]\r\nRack = -5\r\n");
  EXPECT_EQ(n, 18);
  for (int i = 0; i < 300; ++i) {
    char key[16];
    FormatText(key, "Name%d", i);
    n = Ini_SetString(&text, "Var0", key, "element name");
    ASSERT_EQ(static_cast<std::size_t>(n), std::strlen(text));
    ASSERT_GE(Rt_BlockSize(text), static_cast<std::size_t>(n) + 1);
  }
  char out[32];
  Ini_GetString(text, "var0", "NAME299", out, sizeof out, nullptr);
  EXPECT_STREQ(out, "element name");
  Rt_Free(text);
  EXPECT_EQ(Ini_SetString(nullptr, "A", "k", "v"), 0);
}

// ---------------------------------------------------------------- index and builder

// Keys with the awkward spellings the scanner has rules for.
const char* const kSections[] = {"PLC", "plc", " Var0 ", "VAR1", "\xC1rv\xEDz", "\xE1rv\xCDz", "x]", "[y"};
const char* const kKeys[] = {"IF",  "if",  "Name0", " name0", "a=b", "a", "[k", "[k = v]",
                             ";c",  "",    "View1", "\xF5",   "\xD5", "k\tk", "K\tK"};
const char* const kValues[] = {"1", "", "  ", "TCP", "a = b", "x]", "10.0.0.1", "-7", "\tv\t", "[z]"};

template <std::size_t N>
const char* Pick(std::mt19937& rng, const char* const (&list)[N]) {
  return list[rng() % N];
}

TEST(IniBuilderTest, SameBytesAsSetStringForATable) {
  IniBuilder b;
  Ini_BuildBegin(&b);
  char* slow = static_cast<char*>(Rt_Alloc(kRtZero, 65536));
  auto both = [&](const char* s, const char* k, const char* v) {
    std::ptrdiff_t fast = Ini_BuildString(&b, s, k, v);
    ASSERT_EQ(fast, Ini_SetString(&slow, s, k, v));
  };
  both("PLC", "IF", "TCP");
  both("PLC", "Name", "Press 1");
  both("PLC", "Address", "192.168.0.10");
  both("PLC", "VarCount", "20");
  for (int i = 0; i < 20; ++i) {
    char section[16], key[16], value[32];
    FormatText(section, "Var%d", i);
    FormatText(value, "DB%d.DBW0:512 (Int)", i + 1);
    both(section, "Var", value);
    for (int j = 0; j < 512; ++j) {
      FormatText(key, "Name%d", j);
      FormatText(value, "Element %d of %d", j, i);
      both(section, key, value);
      FormatText(key, "View%d", j);
      both(section, key, j % 3 ? "Hex" : "Dec+/-");
    }
  }
  std::ptrdiff_t length = 0;
  char* fast = Ini_BuildEnd(&b, &length);
  ASSERT_NE(fast, nullptr);
  EXPECT_GT(length, 300000);
  EXPECT_EQ(static_cast<std::size_t>(length), std::strlen(slow));
  EXPECT_TRUE(std::strcmp(fast, slow) == 0);
  Rt_Free(fast);
  Rt_Free(slow);
}

TEST(IniBuilderTest, SameBytesAsSetStringInAnyOrder) {
  // Revisited sections, replaced and removed keys, removed sections and
  // names that read back differently: every step must give the same text.
  // Long values make the text move while the builder's index looks at it.
  const std::string longValue(300, 'w');
  for (unsigned seed = 1; seed <= 40; ++seed) {
    std::mt19937 rng(seed);
    IniBuilder b;
    Ini_BuildBegin(&b);
    char* slow = nullptr;
    for (int step = 0; step < 150; ++step) {
      const char* s = rng() % 40 ? Pick(rng, kSections) : "";
      const char* k = Pick(rng, kKeys);
      const char* v = rng() % 8 ? Pick(rng, kValues) : longValue.c_str();
      Ini_BuildString(&b, s, k, v);
      Ini_SetString(&slow, s, k, v);
      ASSERT_STREQ(b.text ? b.text : "", slow ? slow : "") << "seed " << seed << " step " << step;
    }
    std::ptrdiff_t length = 0;
    char* fast = Ini_BuildEnd(&b, &length);
    EXPECT_EQ(static_cast<std::size_t>(length), std::strlen(fast));
    Rt_Free(fast);
    Rt_Free(slow);
  }
}

TEST(IniBuilderTest, EmptyBuildGivesAnEmptyText) {
  IniBuilder b;
  Ini_BuildBegin(&b);
  EXPECT_EQ(Ini_BuildString(&b, "A", "k", ""), 0);
  std::ptrdiff_t length = -1;
  char* text = Ini_BuildEnd(&b, &length);
  ASSERT_NE(text, nullptr);
  EXPECT_STREQ(text, "");
  EXPECT_EQ(length, 0);
  Rt_Free(text);
}

TEST(IniIndexTest, AnswersAsTheScanner) {
  std::mt19937 rng(7);
  for (int round = 0; round < 30; ++round) {
    // A text from the same awkward names, with comments, blank and broken
    // lines, duplicates and an unterminated tail.
    std::string text;
    for (int line = 0; line < 60; ++line) {
      switch (rng() % 8) {
        case 0: text += std::string("[") + Pick(rng, kSections) + "]\r\n"; break;
        case 1: text += "; comment\r\n"; break;
        case 2: text += rng() % 2 ? "\r\n" : "[broken\r\n"; break;
        case 3: text += std::string(Pick(rng, kKeys)) + "\n"; break;
        default: text += std::string(Pick(rng, kKeys)) + " = " + Pick(rng, kValues) + "\r\n"; break;
      }
    }
    text += "IF = tail";
    IniIndex index;
    Ini_IndexBuild(&index, text.c_str());
    ASSERT_FALSE(index.scanning);
    for (const char* s : kSections) {
      for (const char* k : kKeys) {
        char a[64], b[64];
        Ini_GetString(text.c_str(), s, k, a, sizeof a, kDefault);
        Ini_IndexGetString(&index, s, k, b, sizeof b, kDefault);
        ASSERT_STREQ(a, b) << "[" << s << "] " << k << " in\n" << text;
        EXPECT_EQ(Ini_GetInt(text.c_str(), s, k, -5, 5, 99), Ini_IndexGetInt(&index, s, k, -5, 5, 99));
        EXPECT_EQ(Ini_GetIPv4(text.c_str(), s, k, 1), Ini_IndexGetIPv4(&index, s, k, 1));
      }
    }
    Ini_IndexFree(&index);
  }
}

TEST(IniIndexTest, WithoutATableItScans) {
  const char* text = "[PLC]\r\nAddress = 10.0.0.1\r\nRack = 40\r\n";
  IniIndex index;
  std::memset(&index, 0, sizeof index);
  index.text = text;  // as an index whose tables could not be allocated
  index.scanning = true;
  index.length = std::strlen(text);
  char out[16];
  Ini_IndexGetString(&index, "plc", "rack", out, sizeof out, nullptr);
  EXPECT_STREQ(out, "40");
  EXPECT_EQ(Ini_IndexGetInt(&index, "PLC", "Rack", 0, 31, -1), 31);
  EXPECT_EQ(Ini_IndexGetIPv4(&index, "PLC", "Address", 0), 0x0100000Au);
  EXPECT_EQ(Ini_IndexGetInt(nullptr, "PLC", "Rack", 0, 31, -1), -1);
}

}  // namespace
