// The texts of the system status lists: a diagnostic event by its own text
// or by what its id's structure says, the buffer's line with a stamp that
// does not decode, and the names of modes and LEDs at the ends of their
// tables.
#include <gtest/gtest.h>

#include <string>

#include "app/szltext.h"
#include "res/codepage.h"

namespace {

std::string Utf8(const char* cp1250) { return Utf8FromCp1250(cp1250); }

TEST(SzlText, EventsByTextOrByTheirIdsStructure) {
  struct Case {
    std::uint16_t id;
    const char* text;
  } cases[] = {
      {0x4302, "Üzemmódváltás: INDULÁS -> RUN"},
      {0x4563, "STOP: I/O hozzáférési hiba, a hiba OB nincs betöltve"},
      {0x49A3, "STOP: paraméterezési vagy konfigurációs hiba"},
      {0x38C4, "DP állomás visszatért"},
      // Without a text: class (bits 12-15), coming or going (bit 8), and
      // the external (bit 11) and internal (bit 10) error marks.
      {0x6523, "Kommunikációs esemény, bejövő, belső hiba"},
      {0xA003, "Felhasználó által definiált esemény, kimenő"},
      {0x7900, "Hibatűrő vagy biztonsági esemény, bejövő, külső hiba"},
      {0x8C42, "Modul diagnosztika, kimenő, külső hiba, belső hiba"},
      {0xF100, "Más modul eseménye, bejövő"},
      {0x0000, "Egyéb esemény, kimenő"},
  };
  for (const Case& c : cases) {
    char text[kDiagLineMax];
    Diag_EventText(c.id, text, sizeof text);
    EXPECT_EQ(Utf8(text), c.text) << std::hex << c.id;
  }
  EXPECT_EQ(Diag_KnownEventText(0x6523), nullptr);
  char cut[8];
  EXPECT_EQ(Diag_EventText(0x4302, cut, sizeof cut), 7) << "cut to the buffer, zero-terminated";
}

TEST(SzlText, DiagnosticLines) {
  S7DiagEntry entry{};
  entry.eventId = 0x3501;
  entry.timeValid = 1;
  entry.time = CalendarRecord{2024, 3, 5, 1, 8, 30, 0, 125};
  char line[kDiagLineMax];
  Diag_FormatLine(&entry, line, sizeof line);
  EXPECT_EQ(Utf8(line), "2024.03.01 08:30:00.125  16#3501  Ciklusidő túllépés");
  entry.timeValid = 0;
  entry.eventId = 0xA0FF;
  Diag_FormatLine(&entry, line, sizeof line);
  EXPECT_EQ(Utf8(line), "----.--.-- --:--:--.---  16#A0FF  Felhasználó által definiált esemény, kimenő");
}

TEST(SzlText, ModesSwitchesAndLeds) {
  EXPECT_STREQ(Szl_ModeText(8), "Run");
  EXPECT_STREQ(Szl_ModeText(4), "Stop");
  EXPECT_EQ(Utf8(Szl_ModeText(0x0D)), "Hibás");
  EXPECT_STREQ(Szl_ModeText(0x0B), "???");
  EXPECT_STREQ(Szl_SwitchText(2), "RUN-P");
  EXPECT_STREQ(Szl_SwitchText(9), "-");
  struct Led {
    std::uint16_t id;
    const char* name;
  } leds[] = {{0x0001, "SF"}, {0x0016, "DC24V"}, {0x0104, "RUN"}, {0x0017, "LED 23"}, {0x0000, "LED 0"}};
  for (const Led& l : leds) {
    char name[24];
    Szl_LedName(l.id, name, sizeof name);
    EXPECT_STREQ(name, l.name) << l.id;
  }
}

}  // namespace
