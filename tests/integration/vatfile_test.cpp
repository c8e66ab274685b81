// Variable table files: the text written for a table, reading it back, every
// refused key with its log line, and what a load does to the interface and
// connection in each situation, against the simulator.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/vatload.h"
#include "res/strings.h"
#include "tests/integration/shell_fixture.h"
#include "tests/support/vat_fixtures.h"

namespace {

// Files go to a directory of their own, so their names are the ones logged.
std::string TempPath(const std::string& name) {
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / "tolvane-vat-tests";
  std::filesystem::create_directories(dir);
  return (dir / name).string();
}

void WriteFile(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

class VatTest : public ShellTest {
 protected:
  // Loading opens its own interface: the fixture's must not be in the way.
  void SetUp() override {
    ShellTest::SetUp();
    iface_ = S7_Interface_Done(iface_);
  }
  // A file for the simulator's PLC with the given variable lines.
  std::string PlcText(const std::string& name = "Press 1") {
    return "[PLC]\r\nIF = TCP\r\nName = " + name + "\r\nAddress = " + sim_.AddressText() +
           "\r\nTimeOut = 2000\r\nRack = 0\r\nSlot = 2\r\n";
  }
  std::string Load(const std::string& text, const char* name = "press.vat") {
    const std::string path = TempPath(name);
    WriteFile(path, text);
    result_ = Vat_Load(path.c_str(), app_);
    std::remove(path.c_str());
    return TakeLog();
  }
  int result_ = -1;
};

TEST_F(VatTest, TextOfTheExampleTable) {
  AppState_Reset(app_);
  Rt_StrCopyN(app_->plc.name, "Press 1", sizeof app_->plc.name);
  const std::uint8_t address[4] = {192, 168, 0, 10};
  std::memcpy(&app_->plc.address, address, 4);
  app_->plc.timeoutMs = 2000;
  ASSERT_EQ(Var_ParseDefinition("DB1.DBW2:3 (Int)", &app_->table.vars[0]), 1);
  ASSERT_EQ(Var_ParseDefinition("MW10:1 (Word)", &app_->table.vars[1]), 1);
  app_->table.count = 2;
  Var_SetElementName(&app_->table.vars[0], 0, "Speed");
  app_->table.vars[0].views[1] = VAR_VIEW_HEX;
  std::ptrdiff_t length = 0;
  char* text = Vat_BuildText(&app_->plc, &app_->table, &length);
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(std::string(text, static_cast<std::size_t>(length)),
            "[PLC]\r\nIF = TCP\r\nName = Press 1\r\nAddress = 192.168.0.10\r\nTimeOut = 2000\r\nRack = 0\r\n"
            "Slot = 2\r\nVarCount = 2\r\n[Var0]\r\nVar = DB1.DBW2:3 (Int)\r\nName0 = Speed\r\nView1 = Hex\r\n"
            "[Var1]\r\nVar = MW10:1 (Word)\r\n");
  Rt_Free(text);

  app_->plc.kind = S7_KIND_S7ONLINE;
  app_->plc.address = 2;
  app_->plc.name[0] = '\0';
  text = Vat_BuildText(&app_->plc, &app_->table, &length);
  EXPECT_EQ(std::string(text).substr(0, 40), "[PLC]\r\nIF = S7ONLINE\r\nAddress = 2\r\nTimeO")
      << "no Name line for an empty name; a station address in decimal";
  Rt_Free(text);
}

TEST_F(VatTest, RefusedKeysEachWithOneLine) {
  const std::string plc = PlcText();
  struct Case {
    const char* what;
    std::string text;
    std::string log;
  } cases[] = {
      {"unknown interface", "[PLC]\r\nIF = MPI\r\n", "Invalid line in press.vat at section PLC\r\nIF = MPI\r\n"},
      {"no interface line", "[PLC]\r\nName = x\r\n", "Missing line in press.vat at section PLC\r\nIF = \r\n"},
      {"LF line ends", "[PLC]\nIF = TCP\n", "Missing line in press.vat at section PLC\r\nIF = \r\n"},
      {"missing time-out", "[PLC]\r\nIF = TCP\r\nAddress = 10.0.0.1\r\nTimeOut =\r\n",
       "Missing line in press.vat at section PLC\r\nTimeOut = \r\n"},
      {"address equal to the default", "[PLC]\r\nIF = TCP\r\nAddress = 255.255.255.255\r\n",
       "Invalid line in press.vat at section PLC\r\nAddress = 255.255.255.255\r\n"},
      {"rack not a number", plc + "Rack = x\r\n", "Invalid line in press.vat at section PLC\r\nRack = x\r\n"},
      {"VarCount 0 reads as 1", plc + "VarCount = 0\r\n", "Missing line in press.vat at section Var0\r\nVar = \r\n"},
      {"fewer sections than VarCount",
       plc + "VarCount = 3\r\n[Var0]\r\nVar = MW0:1 (Word)\r\n[Var1]\r\nVar = MW2:1 (Word)\r\n",
       "Missing line in press.vat at section Var2\r\nVar = \r\n"},
      {"type that does not fit the size", plc + "VarCount = 1\r\n[Var0]\r\nVar = MW10:1 (Real)\r\n",
       "Invalid line in press.vat at section Var0\r\nVar = MW10:1 (Real)\r\n"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Load(c.text), c.log) << c.what;
    EXPECT_EQ(result_, 0) << c.what;
    EXPECT_EQ(app_->iface, nullptr) << c.what << ": nothing changes";
    EXPECT_EQ(app_->table.count, 0) << c.what;
  }
  EXPECT_EQ(Load("", "missing.vat"), "Missing line in missing.vat at section PLC\r\nIF = \r\n");
}

TEST_F(VatTest, LoadWithNoInterfaceOpensTheFilesPlc) {
  const std::string log =
      Load(PlcText() + "VarCount = 2\r\n[Var0]\r\nVar = db1.dbw2 : 3 ( int )\r\nName0 = Speed\r\n"
                       "View0 = real\r\nView1 = hex\r\n[Var1]\r\nVar = MW10:1 (Word)\r\n");
  EXPECT_EQ(result_, 1);
  EXPECT_EQ(log, "S7_Interface_Init : OK.\r\nPress 1 - S7_Connection_Init : OK.\r\n\tPDU m\xE9ret : 240\r\n");
  EXPECT_EQ(frontEnd_.choices, 0) << "nothing to ask without a connection";
  EXPECT_TRUE(Vat_ReadWindowDue(app_));
  EXPECT_EQ(app_->plc.timeoutMs, 2000);
  EXPECT_STREQ(app_->plc.name, "Press 1");
  ASSERT_EQ(app_->table.count, 2);
  const PlcVariable& v = app_->table.vars[0];
  EXPECT_STREQ(Var_ElementName(&v, 0), "Speed");
  EXPECT_EQ(v.views[0], 0) << "an Int does not admit Real";
  EXPECT_EQ(v.views[1], VAR_VIEW_HEX) << "view names compare without case";
  EXPECT_EQ(S7_IsConnected(app_->conn), 1);
}

TEST_F(VatTest, ValuesOutOfRangeAreClamped) {
  Load("[PLC]\r\nif = tcp\r\nAddress = " + sim_.AddressText() +
       "\r\nTimeOut = 50\r\nRack = 40\r\nSlot = 2\r\nVarCount = 1\r\n[Var0]\r\nVar = MW0:1 (Word)\r\n");
  EXPECT_EQ(result_, 1);
  EXPECT_EQ(app_->plc.timeoutMs, 100);
  EXPECT_EQ(app_->plc.rack, 31);
}

TEST_F(VatTest, SamePlcReplacesOnlyTheVariables) {
  Load(PlcText() + "VarCount = 1\r\n[Var0]\r\nVar = MW0:1 (Word)\r\n");
  S7Connection* conn = app_->conn;
  frontEnd_.calls.clear();
  const std::string log = Load(PlcText("Other") + "VarCount = 1\r\n[Var0]\r\nVar = MD4:2 (Real)\r\n");
  EXPECT_EQ(result_, 1);
  EXPECT_EQ(log, "");
  EXPECT_EQ(frontEnd_.choices, 0);
  EXPECT_EQ(app_->conn, conn);
  EXPECT_EQ(app_->table.vars[0].type, S7_TYPE_REAL);
  EXPECT_STREQ(app_->plc.name, "Press 1") << "the connection and its name stay";
  EXPECT_TRUE(Vat_ReadWindowDue(app_));
}

TEST_F(VatTest, DifferentPlcKeptUsedOrCancelled) {
  const std::string other = "[PLC]\r\nIF = TCP\r\nName = Far\r\nAddress = 10.1.2.3\r\nTimeOut = 1000\r\nRack = 0\r\n"
                            "Slot = 2\r\nVarCount = 1\r\n[Var0]\r\nVar = MW8:1 (Int)\r\n";
  Load(PlcText() + "VarCount = 1\r\n[Var0]\r\nVar = MW0:1 (Word)\r\n");
  S7Connection* conn = app_->conn;

  frontEnd_.cancel = true;
  EXPECT_EQ(Load(other), "");
  EXPECT_EQ(result_, 0);
  EXPECT_EQ(frontEnd_.choices, 1);
  EXPECT_EQ(frontEnd_.lastChoice.loadedAddress, 0x0302010Au);
  EXPECT_STREQ(frontEnd_.lastChoice.currentName, "Press 1");
  EXPECT_STREQ(frontEnd_.lastChoice.loadedName, "Far");
  EXPECT_EQ(app_->table.vars[0].type, S7_TYPE_WORD) << "cancelled: nothing changed";

  frontEnd_.cancel = false;
  frontEnd_.useSaved = 0;
  EXPECT_EQ(Load(other), "");
  EXPECT_EQ(result_, 1);
  EXPECT_EQ(app_->conn, conn) << "kept";
  EXPECT_STREQ(app_->plc.name, "Press 1") << "a kept connection keeps its name";
  EXPECT_EQ(app_->table.vars[0].type, S7_TYPE_INT);

  frontEnd_.useSaved = 1;
  const std::string log = Load(other);
  EXPECT_EQ(result_, 1);
  EXPECT_EQ(log.rfind("S7_Connection_Done : OK.\r\nFar - S7_Connection_Init : ", 0), 0u) << log;
  EXPECT_STREQ(app_->plc.name, "Far");
  EXPECT_EQ(app_->plc.address, 0x0302010Au);
}

TEST_F(VatTest, OtherInterfaceKindClosesTheInterface) {
  Load(PlcText() + "VarCount = 1\r\n[Var0]\r\nVar = MW0:1 (Word)\r\n");
  frontEnd_.useSaved = 1;
  const std::string log = Load("[PLC]\r\nIF = CP_L2_1\r\nAddress = 2\r\nTimeOut = 1000\r\nRack = 0\r\nSlot = 2\r\n"
                               "VarCount = 1\r\n[Var0]\r\nVar = MW0:1 (Word)\r\n");
  EXPECT_EQ(log,
            "S7_Connection_Done : OK.\r\nS7_Interface_Done : OK.\r\n"
            "S7_Interface_Init : S7Onlinex.dll: A k\xF6nyvt\xE1rat nem lehet megnyitni.\r\n");
  EXPECT_EQ(result_, 1) << "library failures are only logged";
  EXPECT_EQ(app_->iface, nullptr);
  EXPECT_EQ(app_->conn, nullptr);
  EXPECT_EQ(app_->table.count, 1);
}

TEST_F(VatTest, LargeTableRoundTripsWhole) {
  for (int i = 0; i < 20; ++i) {
    char definition[32];
    std::snprintf(definition, sizeof definition, "DB1.DBW%d:512 (Word)", i * 1024);
    ASSERT_EQ(Var_ParseDefinition(definition, &app_->table.vars[i]), 1);
    for (int j = 0; j < 512; ++j) {
      char name[24];
      std::snprintf(name, sizeof name, "v%d_element_%d", i, j);
      Var_SetElementName(&app_->table.vars[i], j, name);
      app_->table.vars[i].views[j] = static_cast<std::uint8_t>(j % 2 ? VAR_VIEW_DEC : 0);
    }
  }
  app_->table.count = 20;
  app_->plc.address = sim_.Address();
  const std::string path = TempPath("large.vat");
  ASSERT_EQ(Vat_Write(path.c_str(), &app_->plc, &app_->table), 1);
  const std::string written = ReadFile(path);
  EXPECT_GT(written.size(), 300000u);
  AppState_ClearVariables(app_);
  ASSERT_EQ(Vat_Load(path.c_str(), app_), 1);
  std::remove(path.c_str());
  ASSERT_EQ(app_->table.count, 20);
  const PlcVariable& last = app_->table.vars[19];
  EXPECT_STREQ(Var_ElementName(&last, 511), "v19_element_511") << "nothing past 64 KiB is lost";
  EXPECT_EQ(last.views[511], VAR_VIEW_DEC);
  std::ptrdiff_t length = 0;
  char* again = Vat_BuildText(&app_->plc, &app_->table, &length);
  EXPECT_EQ(std::string(again, static_cast<std::size_t>(length)), written) << "the same bytes once more";
  Rt_Free(again);
}

// Files of up to twenty variables are what they always were: the example
// table, loaded and saved again, is the same file byte for byte.
TEST_F(VatTest, TheExampleFileSavesToTheSameBytes) {
  const std::string file = ReadFile(std::string(TOLVANE_SOURCE_DIR) + "/examples/demo.vat");
  ASSERT_FALSE(file.empty());
  PlcSettings plc{};
  VariableTable table{};
  ASSERT_EQ(Vat_Read(file.c_str(), &plc, &table, "demo.vat"), 1);
  std::ptrdiff_t length = 0;
  char* text = Vat_BuildText(&plc, &table, &length);
  EXPECT_EQ(std::string(text, static_cast<std::size_t>(length)), file);
  Rt_Free(text);
  VarTable_Clear(&table);
}

// The newer types are stored by name, texts with their maximum, views by
// name too; the file reads back to the same variables and saves to the same
// bytes.
TEST_F(VatTest, NewerTypesByName) {
  const std::string file =
      "[PLC]\r\nIF = TCP\r\nAddress = 192.168.0.10\r\nTimeOut = 2000\r\nRack = 0\r\nSlot = 1\r\nVarCount = 5\r\n"
      "[Var0]\r\nVar = DB1.DBB10:2 (String[20])\r\nName0 = Recipe\r\n"
      "[Var1]\r\nVar = DB1.DBB0:1 (LReal)\r\nView0 = Hex\r\n"
      "[Var2]\r\nVar = DB2.DBB0:3 (DTL)\r\n"
      "[Var3]\r\nVar = DB2.DBB36:1 (WString[100])\r\n"
      "[Var4]\r\nVar = MB0:2 (ULInt)\r\nView1 = Dec+/-\r\n";
  PlcSettings plc{};
  VariableTable table{};
  ASSERT_EQ(Vat_Read(file.c_str(), &plc, &table, "new.vat"), 1) << TakeLog();
  ASSERT_EQ(table.count, 5);
  EXPECT_EQ(table.vars[0].type, static_cast<int>(S7_TYPE_STRING));
  EXPECT_EQ(table.vars[0].textMax, 20);
  EXPECT_EQ(table.vars[0].wireSize, 22);
  EXPECT_EQ(table.vars[3].wireSize, 204);
  EXPECT_EQ(table.vars[2].type, static_cast<int>(S7_TYPE_DTL));
  EXPECT_EQ(table.vars[1].views[0], VAR_VIEW_HEX);
  EXPECT_EQ(table.vars[4].views[1], VAR_VIEW_DEC_SIGNED);
  std::ptrdiff_t length = 0;
  char* text = Vat_BuildText(&plc, &table, &length);
  EXPECT_EQ(std::string(text, static_cast<std::size_t>(length)), file);
  Rt_Free(text);
  VarTable_Clear(&table);
}

// A table of hundreds of variables (and some beyond a request each) is
// written and read back whole.
TEST_F(VatTest, FiveHundredVariablesRoundTrip) {
  for (int i = 0; i < 500; ++i) {
    const std::string definition = i % 50 == 7 ? "DB2.DBB" + std::to_string(i) + ":2000 (Byte)"
                                               : "DB1.DBW" + std::to_string(2 * i) + ":2 (Int)";
    ASSERT_EQ(Var_ParseDefinition(definition.c_str(), &app_->table.vars[i]), 1) << definition;
    Var_SetElementName(&app_->table.vars[i], 1, ("n" + std::to_string(i)).c_str());
    app_->table.vars[i].views[0] = static_cast<std::uint8_t>(i % 3 ? 0 : VAR_VIEW_HEX);
  }
  app_->table.count = 500;
  app_->plc.address = sim_.Address();
  const std::string path = TempPath("five-hundred.vat");
  ASSERT_EQ(Vat_Write(path.c_str(), &app_->plc, &app_->table), 1);
  const std::string written = ReadFile(path);
  EXPECT_NE(written.find("VarCount = 500\r\n"), std::string::npos);
  AppState_ClearVariables(app_);
  ASSERT_EQ(Vat_Load(path.c_str(), app_), 1);
  std::remove(path.c_str());
  ASSERT_EQ(app_->table.count, 500);
  EXPECT_EQ(app_->table.vars[457].count, 2000);
  EXPECT_STREQ(Var_ElementName(&app_->table.vars[499], 1), "n499");
  EXPECT_EQ(app_->table.vars[498].views[0], VAR_VIEW_HEX);
  std::ptrdiff_t length = 0;
  char* again = Vat_BuildText(&app_->plc, &app_->table, &length);
  EXPECT_EQ(std::string(again, static_cast<std::size_t>(length)), written);
  Rt_Free(again);
}

// The text is built directly; one Ini_SetString per key, in the same order
// from an empty text, must give the very same bytes.
TEST_F(VatTest, SameBytesAsOneSetStringPerKey) {
  const char* definitions[] = {"DB1.DBW2:3 (Int)", "M10.0:16 (Bit)", "T5:2 (Timer)", "MB0:4 (Char)"};
  for (int i = 0; i < 4; ++i) {
    ASSERT_EQ(Var_ParseDefinition(definitions[i], &app_->table.vars[i]), 1);
    PlcVariable* v = &app_->table.vars[i];
    for (int j = 0; j < v->count; j += 2) Var_SetElementName(v, j, (" n\t" + std::to_string(j) + " ").c_str());
    v->views[v->count - 1] = static_cast<std::uint8_t>(Var_DefaultView(v));
  }
  app_->table.count = 4;
  Rt_StrCopyN(app_->plc.name, "  spaced name ", sizeof app_->plc.name);

  char* expected = nullptr;
  char value[64];
  Ini_SetString(&expected, "PLC", "IF", "TCP");
  Ini_SetString(&expected, "PLC", "Name", app_->plc.name);
  FormatTextN(value, sizeof value, "%a", app_->plc.address);
  Ini_SetString(&expected, "PLC", "Address", value);
  Ini_SetInt(&expected, "PLC", "TimeOut", app_->plc.timeoutMs);
  Ini_SetInt(&expected, "PLC", "Rack", app_->plc.rack);
  Ini_SetInt(&expected, "PLC", "Slot", app_->plc.slot);
  Ini_SetInt(&expected, "PLC", "VarCount", 4);
  for (int i = 0; i < 4; ++i) {
    const PlcVariable* v = &app_->table.vars[i];
    const std::string section = "Var" + std::to_string(i);
    Ini_SetString(&expected, section.c_str(), "Var", definitions[i]);
    for (int j = 0; j < v->count; ++j) {
      Ini_SetString(&expected, section.c_str(), ("Name" + std::to_string(j)).c_str(), Var_ElementName(v, j));
      if (v->views[j])
        Ini_SetString(&expected, section.c_str(), ("View" + std::to_string(j)).c_str(),
                      LoadText(600 + v->views[j]));
    }
  }
  std::ptrdiff_t length = 0;
  char* built = Vat_BuildText(&app_->plc, &app_->table, &length);
  EXPECT_EQ(std::string(built, static_cast<std::size_t>(length)), std::string(expected));
  Rt_Free(built);
  Rt_Free(expected);
}

TEST_F(VatTest, SavesThatFail) {
  const std::string empty = TempPath("empty.vat");
  EXPECT_EQ(Vat_Write(empty.c_str(), &app_->plc, &app_->table), 0) << "VarCount = 0 could never be loaded";
  EXPECT_EQ(TakeLog(), "V\xE1ltoz\xF3 t\xE1" "bla ment\xE9se : empty.vat - no variables to save. :-(\r\n");
  EXPECT_FALSE(std::filesystem::exists(empty)) << "nothing is written";

  ASSERT_EQ(Var_ParseDefinition("MW0:1 (Word)", &app_->table.vars[0]), 1);
  app_->table.count = 1;
  const std::string missingDirectory = TempPath("no-such-dir/x.vat");
  EXPECT_EQ(Vat_Write(missingDirectory.c_str(), &app_->plc, &app_->table), 0);
  EXPECT_EQ(TakeLog(), "V\xE1ltoz\xF3 t\xE1" "bla ment\xE9se : x.vat - can't save. :-(\r\n");
#ifndef _WIN32
  // A device that takes the file but not its bytes, as a full disk does.
  EXPECT_EQ(Vat_Write("/dev/full", &app_->plc, &app_->table), 0);
  EXPECT_EQ(TakeLog(), "V\xE1ltoz\xF3 t\xE1" "bla ment\xE9se : full - can't save. :-(\r\n");
#endif
}

TEST_F(VatTest, LongRefusedLineIsLoggedWhole) {
  const std::string definition = "MW10:1 (Real)" + std::string(1000, ' ') + "x";
  // The whole value as the file holds it, and the line end after it, so the
  // next entry starts on a line of its own.
  EXPECT_EQ(Load(PlcText() + "VarCount = 1\r\n[Var0]\r\nVar = " + definition + "\r\n"),
            "Invalid line in press.vat at section Var0\r\nVar = " + definition + "\r\n");
  EXPECT_EQ(result_, 0);
}

}  // namespace

// Files as the program writes them, old and new: read and written again,
// each gives its own bytes back, and the new keys say what they should.
TEST(VatFixtures, ReadAndWrittenAgainByteForByte) {
  struct Expect {
    const char* name;
    S7Family family;
    int connType;
    std::uint16_t local, remote;
  } expects[] = {
      {"press.vat", S7Family::S7_300, 0, 0, 0},
      {"mpi.vat", S7Family::S7_300, 0, 0, 0},
      {"s71500-op.vat", S7Family::S7_1500, 2, 0, 0},
      {"logo.vat", S7Family::Logo, 0, 0x0300, 0x0200},
      {"s7200smart.vat", S7Family::S7_200Smart, 3, 0, 0},
  };
  ASSERT_EQ(kVatFixtureCount, static_cast<int>(std::size(expects)));
  for (int i = 0; i < kVatFixtureCount; ++i) {
    const VatFixture& f = kVatFixtures[i];
    const std::string text(f.bytes, f.length);
    PlcSettings plc{};
    VariableTable table{};
    ASSERT_EQ(Vat_Read(text.c_str(), &plc, &table, f.name), 1) << f.name;
    std::ptrdiff_t length = 0;
    char* again = Vat_BuildText(&plc, &table, &length);
    EXPECT_EQ(std::string(again, static_cast<std::size_t>(length)), text) << f.name;
    Rt_Free(again);
    VarTable_Clear(&table);
    for (const Expect& e : expects) {
      if (std::strcmp(e.name, f.name) != 0) continue;
      EXPECT_EQ(plc.family, static_cast<int>(e.family)) << f.name;
      EXPECT_EQ(plc.connType, e.connType) << f.name;
      EXPECT_EQ(plc.localTsap, e.local) << f.name;
      EXPECT_EQ(plc.remoteTsap, e.remote) << f.name;
    }
  }
}

// A bad family, connection type or TSAP is one line each, and the file
// still loads with that setting's default.
TEST_F(VatTest, BadConnectionKeysTakeTheirDefault) {
  const std::string vars = "VarCount = 1\r\n[Var0]\r\nVar = MW0:1 (Word)\r\n";
  struct Case {
    const char* what;
    std::string keys;
    std::string log;
    S7Tsaps tsaps;  // what the connection then asks for
  } cases[] = {
      {"unknown family", "Family = S7-999\r\n", "Invalid line in press.vat at section PLC\r\nFamily = S7-999\r\n",
       {0x0100, 0x0102}},
      {"unknown type", "Family = S7-1200\r\nConnType = HMI\r\nSlot = 1\r\n",
       "Invalid line in press.vat at section PLC\r\nConnType = HMI\r\n", {0x0100, 0x0101}},
      {"TSAP too long", "Family = LOGO\r\nTSAP = 01000:0200\r\n",
       "Invalid line in press.vat at section PLC\r\nTSAP = 01000:0200\r\n", {0x0100, 0x0200}},
      {"TSAP not hex", "Family = custom\r\nTSAP = 01g0:0200\r\n",
       "Invalid line in press.vat at section PLC\r\nTSAP = 01g0:0200\r\n", {0x0100, 0x0102}},
      {"one TSAP only", "Family = S7-200\r\nTSAP = 1000\r\n",
       "Invalid line in press.vat at section PLC\r\nTSAP = 1000\r\n", {0x1000, 0x1001}},
      {"all three", "Family = x\r\nConnType = y\r\nTSAP = z\r\n",
       "Invalid line in press.vat at section PLC\r\nFamily = x\r\nInvalid line in press.vat at section PLC\r\n"
       "ConnType = y\r\n", {0x0100, 0x0102}},
  };
  for (const Case& c : cases) {
    const std::string text = PlcText() + c.keys + vars;
    PlcSettings plc{};
    VariableTable table{};
    EXPECT_EQ(Vat_Read(text.c_str(), &plc, &table, "press.vat"), 1) << c.what;
    EXPECT_EQ(TakeLog(), c.log) << c.what;
    EXPECT_EQ(table.count, 1) << c.what << ": the variables are kept";
    const S7Tsaps tsaps = Plc_Tsaps(&plc);
    EXPECT_EQ(tsaps.local, c.tsaps.local) << c.what;
    EXPECT_EQ(tsaps.remote, c.tsaps.remote) << c.what;
    VarTable_Clear(&table);
  }
}

// A file of a LOGO! connects to one: the family reaches the wire.
TEST_F(VatTest, LogoFileConnectsToALogo) {
  plcsim::Config config = plcsim::FamilyConfig(plcsim::Family::Logo);
  config.localTsap = 0x0300;
  StartSim(config);
  iface_ = S7_Interface_Done(iface_);
  const std::string log = Load(PlcText("LOGO") + "Family = LOGO\r\nTSAP = 0300:0200\r\nVarCount = 1\r\n"
                                                 "[Var0]\r\nVar = DB1.DBB0:4 (Byte)\r\n");
  EXPECT_EQ(result_, 1);
  EXPECT_EQ(log, "S7_Interface_Init : OK.\r\nLOGO - S7_Connection_Init : OK.\r\n\tPDU m\xE9ret : 240\r\n");
  EXPECT_EQ(S7_IsConnected(app_->conn), 1);
  const plcsim::Bytes cr = sim_.LastConnectRequest();
  ASSERT_EQ(cr.size(), 22u);
  EXPECT_EQ(plcsim::Bytes(cr.begin() + 16, cr.begin() + 18), (plcsim::Bytes{0x03, 0x00}));
  EXPECT_EQ(plcsim::Bytes(cr.begin() + 20, cr.end()), (plcsim::Bytes{0x02, 0x00}));
}
