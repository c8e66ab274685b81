// The main window's texts without a window: status part 1, the title, the
// default file name next to the program, and the file on the command line.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "app/maintexts.h"

namespace {

// A PLC named by its TSAPs shows them in place of rack and slot; over an
// access point it has neither.
TEST(MainTexts, StatusOfAPlcNamedByTsaps) {
  AppState app{};
  AppState_Reset(&app);
  int dummy = 0;
  app.iface = reinterpret_cast<S7Interface*>(&dummy);
  app.conn = reinterpret_cast<S7Connection*>(&dummy);
  Plc_SetFamily(&app.plc, static_cast<int>(S7Family::Logo));
  std::strcpy(app.plc.name, "LOGO");
  char text[128];
  Status_PlcText(&app, text, sizeof text);
  EXPECT_STREQ(text, " TCP : 192.168.1.1, TSAP : 0100:0200 (LOGO)");
  Plc_SetFamily(&app.plc, static_cast<int>(S7Family::S7_1200));
  Status_PlcText(&app, text, sizeof text);
  EXPECT_STREQ(text, " TCP : 192.168.1.1, Rack : 0, Slot : 1 (LOGO)");
}

TEST(MainTexts, StatusShowsWhatTheRecordHolds) {
  AppState app{};
  AppState_Reset(&app);
  char text[128];
  EXPECT_EQ(Status_PlcText(&app, text, sizeof text), 0) << "nothing open";
  EXPECT_STREQ(text, "");
  int dummy = 0;
  app.iface = reinterpret_cast<S7Interface*>(&dummy);  // only its presence is looked at
  app.plc.kind = 1;
  Status_PlcText(&app, text, sizeof text);
  EXPECT_STREQ(text, "S7ONLINE");
  app.conn = reinterpret_cast<S7Connection*>(&dummy);
  app.plc.address = 2;
  Status_PlcText(&app, text, sizeof text);
  EXPECT_STREQ(text, " S7ONLINE : 2, Rack : 0, Slot : 2");
  app.plc.kind = 0;
  AppState_Reset(&app);
  app.iface = reinterpret_cast<S7Interface*>(&dummy);
  app.conn = reinterpret_cast<S7Connection*>(&dummy);
  std::strcpy(app.plc.name, "Press 1");
  Status_PlcText(&app, text, sizeof text);
  EXPECT_STREQ(text, " TCP : 192.168.1.1, Rack : 0, Slot : 2 (Press 1)");
  std::memset(app.plc.name, 'x', sizeof app.plc.name);  // no terminating zero
  Status_PlcText(&app, text, sizeof text);
  EXPECT_EQ(std::string(text), " TCP : 192.168.1.1, Rack : 0, Slot : 2 (" + std::string(23, 'x') + ")");
}

TEST(MainTexts, TitleAndNamePart) {
  char title[kTitleSize];
  Title_Text(TitleFile::Without, "C:\\x\\demo.vat", title, sizeof title);
  EXPECT_STREQ(title, "Tolvane");
  Title_Text(TitleFile::With, "C:\\Program Files\\T\xF5zsde\\demo.vat", title, sizeof title);
  EXPECT_STREQ(title, "Tolvane - demo.vat");
  const std::string longName = "C:\\" + std::string(400, 'n') + ".vat";
  EXPECT_EQ(Title_Text(TitleFile::With, longName.c_str(), title, sizeof title), 255) << "within 255 characters";
  EXPECT_STREQ(Path_NamePart("/tmp/a/b.vat"), "b.vat");
}

TEST(MainTexts, DefaultFileNameReplacesOnlyTheNamesExtension) {
  struct Case {
    std::string program;
    std::string expected;
  } cases[] = {
      {"C:\\Tools\\tolvane.exe", "C:\\Tools\\tolvane.vat"},
      {"C:\\Tools.v2\\tolvane", "C:\\Tools.v2\\tolvane.vat"},
      {"C:\\Tools.v2\\tolvane.1.exe", "C:\\Tools.v2\\tolvane.1.vat"},
      {"tolvane", "tolvane.vat"},
      {"C:\\" + std::string(251, 'a') + ".exe", "C:\\" + std::string(251, 'a') + ".vat"},  // 259 characters
      {"C:\\" + std::string(260, 'a') + ".exe", ""},  // would pass MAX_PATH: no name rather than a cut one
  };
  for (const Case& c : cases) {
    char out[400];
    Path_DefaultTableFile(c.program.c_str(), out, sizeof out);
    EXPECT_EQ(out, c.expected) << c.program;
  }
}

TEST(MainTexts, FirstArgumentOfTheCommandLine) {
  struct Case {
    const char16_t* line;
    const char16_t* first;
  } cases[] = {
      {u"tolvane.exe demo.vat", u"demo.vat"},
      {u"\"C:\\Program Files\\tolvane.exe\"   \"C:\\My Tables\\ő.vat\" more", u"C:\\My Tables\\ő.vat"},
      {u"tolvane.exe", u""},
      {u"tolvane.exe   a\"b c\"d e", u"ab cd"},
  };
  for (const Case& c : cases) {
    char16_t out[260];
    CommandLine_FirstArgument(CommandLine_Tail(c.line), out, 260);
    EXPECT_EQ(std::u16string(out), std::u16string(c.first));
  }
  const std::u16string longArgument(400, u'x');
  char16_t out[260];
  EXPECT_EQ(CommandLine_FirstArgument(longArgument.c_str(), out, 260), 259);
}

}  // namespace
