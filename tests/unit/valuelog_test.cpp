// The value log's file, byte for byte: the byte-order mark and header row
// with element names, rows of value texts with a decimal comma, cells quoted
// where they hold the separator or a quote, a failed read's row, a table that
// lost a variable, rows only when something changed; and the one log line of
// a file that cannot be made.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "app/logpane.h"
#include "app/valuelog.h"
#include "tests/support/string_view_text.h"

namespace {

namespace fs = std::filesystem;

class ValueLogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("tolvane-valuelog-" + std::to_string(Plat_ProcessId()));
    fs::create_directories(dir_);
    path_ = (dir_ / "log.csv").string();
    pane_ = LogPane_Create(nullptr, &view_, 0, 0);
    SetMainLogPane(pane_);
    Add("DB1.DBW0:2 (Int)");
    Add("MD4:1 (Real)");
    Add("MB8:1 (Char)");
    Var_SetElementName(&table_.vars[0], 0, "Sebess\xE9g; el\xF5re");  // "Sebesség; előre"
    Var_SetElementName(&table_.vars[2], 0, "\"jel\"");
  }
  void TearDown() override {
    SetMainLogPane(nullptr);
    LogPane_Destroy(pane_);
    VarTable_Clear(&table_);
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }
  void Add(const char* definition) {
    ASSERT_EQ(Var_ParseDefinition(definition, &table_.vars[table_.count]), 1) << definition;
    ++table_.count;
  }
  void Values(const char* a, const char* b, const char* real, const char* ch) {
    ASSERT_EQ(Var_EnterValue(0, &table_.vars[0], a), VAR_VALUE_OK);
    ASSERT_EQ(Var_EnterValue(1, &table_.vars[0], b), VAR_VALUE_OK);
    ASSERT_EQ(Var_EnterValue(0, &table_.vars[1], real), VAR_VALUE_OK);
    ASSERT_EQ(Var_EnterValue(0, &table_.vars[2], ch), VAR_VALUE_OK);
  }
  static CalendarRecord At(int second, int ms) {
    return CalendarRecord{2024, 3, 2, 5, 12, 30, static_cast<std::uint16_t>(second), static_cast<std::uint16_t>(ms)};
  }
  std::string Contents() const {
    std::ifstream in(path_, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

  fs::path dir_;
  std::string path_;
  StringTextView view_;
  LogPane* pane_ = nullptr;
  VariableTable table_{};
};

const std::string kHeader =
    "\xEF\xBB\xBFId\xC5\x91;\"DB1.DBW0 : Sebess\xC3\xA9g; el\xC5\x91re\";DB1.DBW2;MD4;\"MB8 : \"\"jel\"\"\";Hiba\r\n";

TEST_F(ValueLogTest, RowsAsTheWindowShowsThemWithADecimalComma) {
  std::uint32_t error = 1;
  ValueLog* log = ValueLog_Open(path_.c_str(), ValueLogRows::EveryCycle, &table_, &error);
  ASSERT_NE(log, nullptr) << error;
  Values("12", "-3", "3.25", ";");
  CalendarRecord t = At(0, 5);
  ValueLog_Cycle(log, &table_, S7_OK, &t);
  ValueLog_Cycle(log, &table_, S7_OK, &(t = At(0, 105)));
  ValueLog_Cycle(log, &table_, S7_ERR_TIMEOUT, &(t = At(1, 205)));
  ValueLog_Cycle(log, &table_, S7_OK, &(t = At(1, 305)));
  // Another display mode from the window's menu: the same value, another text.
  table_.vars[0].views[0] = VAR_VIEW_HEX;
  ValueLog_Cycle(log, &table_, S7_OK, &(t = At(1, 405)));
  EXPECT_EQ(ValueLog_Rows(log), 5u);
  EXPECT_EQ(ValueLog_Close(log), 0u);
  EXPECT_EQ(Contents(), kHeader +
                            "2024.03.05 12:30:00,005;12;-3;3,25;\"';' (#59)\";\r\n"
                            "2024.03.05 12:30:00,105;12;-3;3,25;\"';' (#59)\";\r\n"
                            "2024.03.05 12:30:01,205;;;;;Nem j\xC3\xB6tt v\xC3\xA1lasz id\xC5\x91""ben\r\n"
                            "2024.03.05 12:30:01,305;12;-3;3,25;\"';' (#59)\";\r\n"
                            "2024.03.05 12:30:01,405;0x000c;-3;3,25;\"';' (#59)\";\r\n");
  EXPECT_EQ(view_.text, "Napl\xF3z\xE1s indul : " + path_ + "\r\nNapl\xF3z\xE1s v\xE9ge : " + path_ + "\r\n");
}

TEST_F(ValueLogTest, OnlyChangedCyclesAndAFreshHeaderWhenTheTableLosesAVariable) {
  std::uint32_t error = 1;
  ValueLog* log = ValueLog_Open(path_.c_str(), ValueLogRows::ChangedOnly, &table_, &error);
  ASSERT_NE(log, nullptr);
  Values("1", "2", "0.5", "A");
  CalendarRecord t = At(0, 0);
  ValueLog_Cycle(log, &table_, S7_OK, &t);
  ValueLog_Cycle(log, &table_, S7_OK, &(t = At(0, 100)));  // unchanged: no row
  Values("1", "7", "0.5", "A");
  ValueLog_Cycle(log, &table_, S7_OK, &(t = At(0, 200)));
  ValueLog_Cycle(log, &table_, S7_ERR_TIMEOUT, &(t = At(0, 300)));  // a failure is a change
  ValueLog_Cycle(log, &table_, S7_ERR_TIMEOUT, &(t = At(0, 400)));  // the same failure is not
  ValueLog_Cycle(log, &table_, S7_OK, &(t = At(0, 500)));
  // A variable dropped while a request was prepared: the columns move.
  Var_FreeBlock(&table_.vars[2]);
  table_.vars[2] = PlcVariable{};
  table_.count = 2;
  ValueLog_Cycle(log, &table_, S7_OK, &(t = At(0, 600)));
  EXPECT_EQ(ValueLog_Close(log), 0u);
  EXPECT_EQ(Contents(), kHeader +
                            "2024.03.05 12:30:00,000;1;2;0,5;'A' (#65);\r\n"
                            "2024.03.05 12:30:00,200;1;7;0,5;'A' (#65);\r\n"
                            "2024.03.05 12:30:00,300;;;;;Nem j\xC3\xB6tt v\xC3\xA1lasz id\xC5\x91""ben\r\n"
                            "2024.03.05 12:30:00,500;1;7;0,5;'A' (#65);\r\n"
                            "Id\xC5\x91;\"DB1.DBW0 : Sebess\xC3\xA9g; el\xC5\x91re\";DB1.DBW2;MD4;Hiba\r\n"
                            "2024.03.05 12:30:00,600;1;7;0,5;\r\n");
}

TEST_F(ValueLogTest, AFileThatCannotBeMadeIsOneLogLine) {
  const std::string nowhere = (dir_ / "missing" / "log.csv").string();
  std::uint32_t error = 0;
  EXPECT_EQ(ValueLog_Open(nowhere.c_str(), ValueLogRows::EveryCycle, &table_, &error), nullptr);
  EXPECT_EQ(error, kWinErrPathNotFound);
  EXPECT_EQ(view_.text, "Napl\xF3z\xE1s : " + nowhere + " - nem hozhat\xF3 l\xE9tre. Hibak\xF3""d : 3. :-(\r\n");
  EXPECT_EQ(ValueLog_Close(nullptr), 0u);
}

}  // namespace
