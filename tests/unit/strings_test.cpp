// The string table: the texts the program names by id are there, byte for
// byte in code page 1250 (checked against readable UTF-8 through a small
// converter of the Hungarian letters), unknown ids give nothing, and the
// generated table is sorted for the lookup.
#include <gtest/gtest.h>

#include <string>

#include "res/strings.h"
#include "res/strtable.h"
#include "s7lib/s7lib.h"

namespace {

// UTF-8 to code page 1250 for the letters the texts use.
std::string Cp1250(const std::string& utf8) {
  static const struct {
    const char* utf8;
    char cp;
  } kLetters[] = {
      {"á", '\xE1'}, {"é", '\xE9'}, {"í", '\xED'}, {"ó", '\xF3'}, {"ö", '\xF6'}, {"ő", '\xF5'},
      {"ú", '\xFA'}, {"ü", '\xFC'}, {"ű", '\xFB'}, {"Á", '\xC1'}, {"É", '\xC9'}, {"Í", '\xCD'},
      {"Ó", '\xD3'}, {"Ö", '\xD6'}, {"Ő", '\xD5'}, {"Ú", '\xDA'}, {"Ü", '\xDC'}, {"Ű", '\xDB'},
  };
  std::string out;
  for (std::size_t i = 0; i < utf8.size();) {
    if (static_cast<unsigned char>(utf8[i]) < 0x80) {
      out += utf8[i++];
      continue;
    }
    bool found = false;
    for (const auto& l : kLetters) {
      std::string u = l.utf8;
      if (utf8.compare(i, u.size(), u) == 0) {
        out += l.cp;
        i += u.size();
        found = true;
        break;
      }
    }
    if (!found) ADD_FAILURE() << "no code page 1250 letter for byte " << static_cast<int>(utf8[i]);
    if (!found) ++i;
  }
  return out;
}

void ExpectText(int id, const std::string& utf8) {
  const char* text = LoadText(id);
  ASSERT_NE(text, nullptr) << "id " << id;
  EXPECT_EQ(std::string(text), Cp1250(utf8)) << "id " << id;
}

TEST(StringTable, ErrorTexts) {
  const char* kErrors[30] = {
      "OK", "Nincs elég memória", "Érvénytelen mód", "Az illesztő már használatban van",
      "S7Onlinex.dll: A könyvtárat nem lehet megnyitni", "Hiba a könyvtárban", "Érvénytelen illesztő",
      "Érvénytelen kapcsolat", "A PLC kapcsolat bontva", "SCP függvény hiba", "Socket hiba",
      "Ismeretlen PDU", "PDU hiba", "Érvénytelen PDU méret", "Nem jött válasz időben",
      "Érvénytelen válasz", "Visszautasított válasz", "Érvénytelen típus", "Érvénytelen terület",
      "Érvénytelen cím", "Érvénytelen darabszám", "Túl sok változó", "Túl nagy PDU méret",
      "Érvénytelen dátum", "Érvénytelen kérés", "Nincs változó", "Paraméter hiba", "Adat hiba",
      "Hibás adatméret", "A válasz mérete nem egyezik a számítottal"};
  for (int code = 0; code < 30; ++code) ExpectText(IDS_ERR_OK + code, kErrors[code]);
  EXPECT_EQ(LoadText(IDS_ERR_OK + 30), nullptr) << "there is no code above 29";
  EXPECT_EQ(IDS_ERR_TIMEOUT, IDS_ERR_OK + S7_ERR_TIMEOUT);
  EXPECT_EQ(IDS_ERR_REPLY_SIZE, IDS_ERR_OK + S7_ERR_REPLY_SIZE);
}

TEST(StringTable, OperationNamesFollowTheLibrary) {
  const char* kNames[19] = {
      "S7_Interface_Init", "S7_Interface_Done", "S7_Connection_Init", "S7_Connection_Done",
      "S7_Connect", "S7_Disconnect", "S7_OnLine_Partners", "S7_OnLine_BusPars", "S7_GetCpuClock",
      "S7_SetCpuClock", "S7_GetCpuState", "S7_CpuStart", "S7_CpuStop", "S7_SessionLogin",
      "S7_SessionLogout", "S7_SimpleRead", "S7_MultiRead", "S7_SimpleWrite", "S7_MultiWrite"};
  for (int op = 0; op < 19; ++op) ExpectText(IDS_OP_INTERFACE_INIT + op, kNames[op]);
  EXPECT_EQ(IDS_OP_MULTI_WRITE, IDS_OP_INTERFACE_INIT + S7_OP_MULTI_WRITE);
  EXPECT_EQ(LoadText(IDS_OP_INTERFACE_INIT + 19), nullptr);
}

TEST(StringTable, DisplayModesTitlesAndStartUp) {
  const char* kViews[9] = {"Default", "Bin", "Hex", "Dec+/-", "Dec", "Char", "Real", "Time", "Date/Time"};
  for (int v = 0; v < 9; ++v) ExpectText(600 + v, kViews[v]);
  EXPECT_EQ(LoadText(609), nullptr);
  ExpectText(1000, "TOLVANE");
  ExpectText(1001, "Tolvane");
  ExpectText(1002, "Változók olvasása");
  ExpectText(1003, "Változók írása");
  ExpectText(1004, "Változók olvasása");
  ExpectText(1111, "Osztály létrehozási hiba!");
  ExpectText(1112, "Program ablak létrehozási hiba!");
  ExpectText(1113, "Log ablak létrehozási hiba!");
  ExpectText(1114, "Státusz sor létrehozási hiba!");
  ExpectText(1115, "Tolvane hiba");
  ExpectText(1116, "Tolvane fatális hiba");
  EXPECT_EQ(LoadText(1110), nullptr) << "the activated-instance code has no message";
}

TEST(StringTable, OtherTextsKeepTabsAndLineEnds) {
  ExpectText(IDS_LOG_ENTRY, "%[%s - %]%s : %s.%[ Kiegészítő hibakód : %d(0x%04x).%]\r\n%s");
  ExpectText(IDS_LOG_BUS_PARAMETERS_1,
             "\tHSA\t\t: %d\r\n\tTS\t\t: %d\r\n\tType\t\t: %d\r\n\tBaud\t\t: %s\r\n\tRedundant\t: %d\r\n");
  ExpectText(IDS_MENU_FILE_OPEN, "&Megnyit\tCtrl+L");
  ExpectText(IDS_MENU_ABOUT, "&Névjegy\t?");
  ExpectText(IDS_STATUS_PLC, " %s : %s, Rack : %d, Slot : %d%[ (%s)%]");
  ExpectText(IDS_FATAL_TEXT, "I'm sorry. I made a mistake. :-(\r\nUnhandled exception");
  ExpectText(IDS_AREA_TIMERS, "S5 idő");
  ExpectText(IDS_TYPE_DATE_TIME, "Date&Time");
  ExpectText(IDS_KIND_S7ONLINE, "S7ONLINE");
  ExpectText(IDS_DLG_INTERFACE_S7ONLINE, "S7OLINE");  // the radio button's own label
  ExpectText(IDS_BAUD_12M, "12M");
  EXPECT_EQ(IDS_BAUD_45K45, IDS_BAUD_9K6 + 11);
  ExpectText(IDS_CPU_UNKNOWN + 2, "Run");
  ExpectText(IDS_MENU_FILE_OPEN + 19, "Olvasás\tCtrl+R");  // item id = command id
}

TEST(StringTable, UnknownIdsAndOrder) {
  for (int id : {-1, 0, 1, 499, 65535, 65536, 1 << 30}) EXPECT_EQ(LoadText(id), nullptr) << id;
  ASSERT_GT(kResStringCount, 200);
  for (int i = 1; i < kResStringCount; ++i) {
    ASSERT_LT(kResStrings[i - 1].id, kResStrings[i].id) << "the lookup needs the table sorted";
  }
  for (int i = 0; i < kResStringCount; ++i) {
    EXPECT_EQ(LoadText(kResStrings[i].id), kResStrings[i].text);
    EXPECT_GE(kResStrings[i].id, 1);
    EXPECT_LE(kResStrings[i].id, 65535) << "\"%s\" takes ids up to 65535";
  }
}

}  // namespace
