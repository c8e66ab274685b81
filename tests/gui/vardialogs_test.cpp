// The variable list and variable definition dialogs of tolvane.exe, driven
// from outside against the simulator: the lists kept in step with the
// table, the buttons and the click behaviour, the one- and the
// multi-variable services, the definition's rules with the reason OK is
// disabled, and a whole round from defining to writing, reading back,
// saving and loading.
#include "tests/gui/vardialogs_fixture.h"

namespace gui {
namespace {


// The list dialog: the buttons by the selection and the count, a click on
// the selected line, the read list's mode names beside the write list's
// values, the simple service for one variable and the multi service for two,
// and the menu's "Ment" after a cancel.
TEST_F(VarDialogsTest, ListButtonsSelectionAndBothServices) {
  ASSERT_TRUE(StartTolvane());
  ASSERT_TRUE(ConnectToSimulator());
  ASSERT_TRUE(sim_.Model().WriteMemory(plcsim::kAreaFlags, 0, 10, {0x12, 0x34}));

  HWND list = OpenList(false);
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(ListLines(list, IDC_LIST_VARIABLES), Lines{});
  EXPECT_TRUE(Enabled(list, IDC_LIST_APPEND));
  for (int id : {IDC_LIST_INSERT, IDC_LIST_MODIFY, IDC_LIST_DELETE, IDC_LIST_EDIT, IDOK})
    EXPECT_FALSE(Enabled(list, id)) << id << " with an empty list";
  const auto status = StatusBarParts(GetDlgItem(list, IDC_LIST_STATUS));
  ASSERT_TRUE(status.has_value());
  ASSERT_EQ(status->size(), 2u);
  EXPECT_EQ((*status)[0], L"\tKérés mérete : 12");
  EXPECT_EQ((*status)[1], L"\tVálasz mérete : 14");

  ASSERT_TRUE(Define(list, IDC_LIST_APPEND, {.type = L"Word", .area = L"Merker", .address = 10}));
  EXPECT_EQ(ListLines(list, IDC_LIST_VARIABLES), Lines{L" MW10:1 (Word)"});
  EXPECT_EQ(Selected(list, IDC_LIST_VARIABLES), 0) << "the new variable is selected";
  EXPECT_EQ(ListLines(list, IDC_LIST_ELEMENTS), Lines{L" MW10 = Default "}) << "the read list shows mode names";
  for (int id : {IDC_LIST_APPEND, IDC_LIST_INSERT, IDC_LIST_MODIFY, IDC_LIST_DELETE, IDOK})
    EXPECT_TRUE(Enabled(list, id)) << id;
  EXPECT_FALSE(Enabled(list, IDC_LIST_EDIT));
  EXPECT_EQ(StatusBarParts(GetDlgItem(list, IDC_LIST_STATUS))->at(0), L"\tKérés mérete : 24");

  // A click on the selected variable deselects it; another selects it again.
  ASSERT_TRUE(ClickLine(list, IDC_LIST_VARIABLES, 0, -1));
  EXPECT_EQ(ListLines(list, IDC_LIST_ELEMENTS), Lines{});
  for (int id : {IDC_LIST_INSERT, IDC_LIST_MODIFY, IDC_LIST_DELETE})
    EXPECT_FALSE(Enabled(list, id)) << id << " without a selection";
  ASSERT_TRUE(ClickLine(list, IDC_LIST_VARIABLES, 0, 0));
  EXPECT_EQ(ListLines(list, IDC_LIST_ELEMENTS), Lines{L" MW10 = Default "});
  ASSERT_TRUE(ClickLine(list, IDC_LIST_ELEMENTS, 0, 0));
  EXPECT_TRUE(Enabled(list, IDC_LIST_EDIT));
  Shot(list, L"dialog-varlist-read");

  // Cancelled, the list stays and "Ment" offers to save it.
  ASSERT_TRUE(Close(list, IDCANCEL));
  EXPECT_TRUE(SaveOffered()) << "\"Ment\" after a cancelled list";

  // One variable: the simple service; the read window after it.
  list = OpenList(false);
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(ListLines(list, IDC_LIST_VARIABLES), Lines{L" MW10:1 (Word)"});
  EXPECT_EQ(Selected(list, IDC_LIST_VARIABLES), -1) << "nothing selected at opening";
  TransferAndClose(list, L"S7_SimpleRead : OK.");

  // The write list shows the values just read.
  list = OpenList(true);
  ASSERT_NE(list, nullptr);
  ASSERT_TRUE(ClickLine(list, IDC_LIST_VARIABLES, 0, 0));
  EXPECT_EQ(ListLines(list, IDC_LIST_ELEMENTS), Lines{L" MW10 = 0x1234 "}) << "the write list shows values";
  // Inserted before the selected one; two variables: the multi service.
  ASSERT_TRUE(Define(list, IDC_LIST_INSERT, {.type = L"Int", .area = L"DB", .db = 2, .address = 4, .count = 2}));
  EXPECT_EQ(ListLines(list, IDC_LIST_VARIABLES), (Lines{L" DB2.DBW4:2 (Int)", L" MW10:1 (Word)"}));
  EXPECT_EQ(Selected(list, IDC_LIST_VARIABLES), 0);
  EXPECT_EQ(ListLines(list, IDC_LIST_ELEMENTS), (Lines{L" DB2.DBW4 = 0 ", L" DB2.DBW6 = 0 "}));
  Shot(list, L"dialog-varlist-write");
  TransferAndClose(list, L"S7_MultiWrite : OK.");
  EXPECT_EQ(Memory(plcsim::kAreaFlags, 0, 10, 2), (std::vector<std::uint8_t>{0x12, 0x34}));

  // The accelerator opens the list as the menu does.
  ASSERT_TRUE(PressKeys(main_, {VK_CONTROL, 'R'}));
  list = WaitForDialog(program_->id, kReadTitle);
  ASSERT_NE(list, nullptr) << "Ctrl+R";
  EXPECT_EQ(ListLines(list, IDC_LIST_VARIABLES).size(), 2u);
  ASSERT_TRUE(Close(list, IDCANCEL));
}

// The definition dialog: the areas by type, the DB number by area, the rules
// for runs of bits and an invalid value with the reason beside OK, the count
// bounded by the room left in the request (eight times as many bits) and no
// room at all, and what a changed count or type leaves of the elements.
TEST_F(VarDialogsTest, DefinitionRules) {
  ASSERT_TRUE(StartTolvane());
  ASSERT_TRUE(ConnectToSimulator());
  ASSERT_TRUE(sim_.Model().WriteMemory(plcsim::kAreaDataBlock, 1, 0, {0, 1, 0, 2, 0, 3, 0, 4, 0, 5}));
  HWND list = OpenList(false);
  ASSERT_NE(list, nullptr);
  HWND d = PressForDefinition(list, IDC_LIST_APPEND);
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(Chosen(d, IDC_DEFINE_TYPE), L"Word");
  EXPECT_EQ(ComboBoxLines(GetDlgItem(d, IDC_DEFINE_TYPE)).size(), 30u) << "16 classic types, 14 newer ones";
  EXPECT_EQ(ComboBoxLines(GetDlgItem(d, IDC_DEFINE_AREA)), (Lines{L"Bemenet", L"Kimenet", L"Merker", L"DB"}));
  EXPECT_EQ(Chosen(d, IDC_DEFINE_AREA), L"Merker");
  const struct {
    int id;
    const wchar_t* text;
    bool enabled;
  } start[] = {{IDC_DEFINE_DB, L"0", false},
               {IDC_DEFINE_ADDRESS, L"0", true},
               {IDC_DEFINE_BIT, L"0", false},
               {IDC_DEFINE_COUNT, L"1", true}};
  for (const auto& field : start) {
    EXPECT_EQ(ControlText(d, field.id), field.text) << field.id;
    EXPECT_EQ(Enabled(d, field.id), field.enabled) << field.id;
    EXPECT_EQ(Enabled(d, field.id + 1), field.enabled) << "the spinner of " << field.id;
  }
  EXPECT_TRUE(OkEnabled(d));
  EXPECT_EQ(ControlText(d, IDC_DEFINE_REASON), L"");
  Shot(d, L"dialog-define");

  // A Timer lives in "S5 idő" only; back to Word, in "Merker".
  ASSERT_TRUE(Choose(d, IDC_DEFINE_TYPE, L"Timer"));
  EXPECT_EQ(ComboBoxLines(GetDlgItem(d, IDC_DEFINE_AREA)), Lines{L"S5 idő"});
  EXPECT_EQ(Chosen(d, IDC_DEFINE_AREA), L"S5 idő");
  ASSERT_TRUE(Choose(d, IDC_DEFINE_TYPE, L"Word"));
  EXPECT_EQ(Chosen(d, IDC_DEFINE_AREA), L"Merker");
  // Area DB: the DB number from 1; elsewhere 0 and greyed.
  ASSERT_TRUE(Choose(d, IDC_DEFINE_AREA, L"DB"));
  EXPECT_EQ(ControlText(d, IDC_DEFINE_DB), L"1");
  EXPECT_TRUE(Enabled(d, IDC_DEFINE_DB));
  CheckFieldCases(d, {{IDC_DEFINE_DB, L"0", false}, {IDC_DEFINE_DB, L"32767", true}, {IDC_DEFINE_DB, L"32768", false}},
                  L"1");
  ASSERT_TRUE(Choose(d, IDC_DEFINE_AREA, L"Merker"));
  EXPECT_EQ(ControlText(d, IDC_DEFINE_DB), L"0");
  EXPECT_FALSE(Enabled(d, IDC_DEFINE_DB));

  // Runs of bits start at bit 0 and fill whole bytes; the reason says so.
  ASSERT_TRUE(Choose(d, IDC_DEFINE_TYPE, L"Bit"));
  EXPECT_TRUE(Enabled(d, IDC_DEFINE_BIT));
  const struct {
    const wchar_t* bit;
    const wchar_t* count;
    const wchar_t* reason;
  } bits[] = {{L"3", L"8", kBitRule}, {L"0", L"8", L""}, {L"3", L"1", L""}, {L"0", L"12", kBitRule}};
  for (const auto& c : bits) {
    SCOPED_TRACE(testing::Message() << "bit " << Utf8(c.bit) << " count " << Utf8(c.count));
    ASSERT_TRUE(SetText(d, IDC_DEFINE_BIT, c.bit));
    ASSERT_TRUE(SetText(d, IDC_DEFINE_COUNT, c.count));
    EXPECT_EQ(OkEnabled(d), *c.reason == 0);
    EXPECT_EQ(ControlText(d, IDC_DEFINE_REASON), c.reason);
    if (c.reason == kBitRule && std::wstring(c.count) == L"8") Shot(d, L"dialog-define-bit-rule");
  }
  ASSERT_TRUE(Choose(d, IDC_DEFINE_TYPE, L"Word"));
  EXPECT_EQ(ControlText(d, IDC_DEFINE_BIT), L"0");
  EXPECT_FALSE(Enabled(d, IDC_DEFINE_BIT));
  ASSERT_TRUE(SetText(d, IDC_DEFINE_ADDRESS, L"12a"));
  EXPECT_FALSE(OkEnabled(d));
  EXPECT_TRUE(DrawnRed(d, IDC_DEFINE_ADDRESS));
  EXPECT_EQ(ControlText(d, IDC_DEFINE_REASON), kInvalid);
  Shot(d, L"dialog-define-invalid");
  ASSERT_TRUE(Close(d, IDCANCEL));
  EXPECT_EQ(ListLines(list, IDC_LIST_VARIABLES), Lines{}) << "cancelled";

  // However full the request, a count is bounded by its type alone: 65,535
  // bytes, or 65,528 bits in whole bytes.
  ASSERT_TRUE(Define(list, IDC_LIST_APPEND, {.type = L"Byte", .area = L"DB", .db = 1, .count = 200}));
  d = PressForDefinition(list, IDC_LIST_APPEND);
  ASSERT_NE(d, nullptr);
  ASSERT_TRUE(Choose(d, IDC_DEFINE_TYPE, L"Byte"));
  CheckFieldCases(d, {{IDC_DEFINE_COUNT, L"65535", true}, {IDC_DEFINE_COUNT, L"65536", false}}, L"18");
  ASSERT_TRUE(Choose(d, IDC_DEFINE_TYPE, L"Bit"));
  CheckFieldCases(d, {{IDC_DEFINE_COUNT, L"65528", true}, {IDC_DEFINE_COUNT, L"65536", false}}, L"144");
  ASSERT_TRUE(Choose(d, IDC_DEFINE_TYPE, L"Byte"));
  ASSERT_TRUE(Choose(d, IDC_DEFINE_AREA, L"DB"));
  ASSERT_TRUE(SetText(d, IDC_DEFINE_DB, L"2"));
  ASSERT_TRUE(SetText(d, IDC_DEFINE_COUNT, L"18"));
  ASSERT_TRUE(Close(d, IDOK));
  EXPECT_EQ(ListLines(list, IDC_LIST_VARIABLES), (Lines{L" DB1.DBB0:200 (Byte)", L" DB2.DBB0:18 (Byte)"}));

  // A reply already full offers the next variable its whole count; OK
  // greyed by an invalid count stays shut to a posted OK.
  d = PressForDefinition(list, IDC_LIST_APPEND);
  ASSERT_NE(d, nullptr);
  EXPECT_TRUE(Enabled(d, IDC_DEFINE_COUNT));
  EXPECT_TRUE(OkEnabled(d));
  EXPECT_EQ(ControlText(d, IDC_DEFINE_REASON), L"") << "no " << Utf8(kNoRoom);
  ASSERT_TRUE(SetText(d, IDC_DEFINE_COUNT, L"0"));
  EXPECT_FALSE(OkEnabled(d));
  PostMessageW(d, WM_COMMAND, IDOK, 0);
  EXPECT_FALSE(WaitUntil([&] { return !IsWindow(d); }, 500)) << "OK posted past the greyed button";
  ASSERT_TRUE(Close(d, IDCANCEL));

  // Both deleted: the selection stays at the index, then there is none.
  ASSERT_TRUE(ClickLine(list, IDC_LIST_VARIABLES, 0, 0));
  ASSERT_TRUE(Click(GetDlgItem(list, IDC_LIST_DELETE)));
  EXPECT_EQ(ListLines(list, IDC_LIST_VARIABLES), Lines{L" DB2.DBB0:18 (Byte)"});
  EXPECT_EQ(Selected(list, IDC_LIST_VARIABLES), 0);
  ASSERT_TRUE(Click(GetDlgItem(list, IDC_LIST_DELETE)));
  EXPECT_EQ(ListLines(list, IDC_LIST_VARIABLES), Lines{});
  EXPECT_EQ(Selected(list, IDC_LIST_VARIABLES), -1);
  for (int id : {IDC_LIST_MODIFY, IDC_LIST_DELETE, IDOK}) EXPECT_FALSE(Enabled(list, id)) << id;

  // Five Ints read from the CPU; a count of 3 keeps the first three values,
  // a new type starts every element afresh.
  ASSERT_TRUE(Define(list, IDC_LIST_APPEND, {.type = L"Int", .area = L"DB", .db = 1, .count = 5}));
  TransferAndClose(list, L"S7_SimpleRead : OK.");
  list = OpenList(true);
  ASSERT_NE(list, nullptr);
  ASSERT_TRUE(ClickLine(list, IDC_LIST_VARIABLES, 0, 0));
  EXPECT_EQ(ListLines(list, IDC_LIST_ELEMENTS).size(), 5u);
  d = PressForDefinition(list, IDC_LIST_MODIFY);
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(Chosen(d, IDC_DEFINE_TYPE), L"Int") << "the variable's own definition";
  EXPECT_EQ(ControlText(d, IDC_DEFINE_COUNT), L"5");
  ASSERT_TRUE(SetText(d, IDC_DEFINE_COUNT, L"3"));
  ASSERT_TRUE(Close(d, IDOK));
  EXPECT_EQ(ListLines(list, IDC_LIST_VARIABLES), Lines{L" DB1.DBW0:3 (Int)"});
  EXPECT_EQ(Selected(list, IDC_LIST_VARIABLES), 0) << "back at its place, selected";
  EXPECT_EQ(ListLines(list, IDC_LIST_ELEMENTS), (Lines{L" DB1.DBW0 = 1 ", L" DB1.DBW2 = 2 ", L" DB1.DBW4 = 3 "}));
  d = PressForDefinition(list, IDC_LIST_MODIFY);
  ASSERT_NE(d, nullptr);
  ASSERT_TRUE(Choose(d, IDC_DEFINE_TYPE, L"Date&Time"));
  ASSERT_TRUE(Close(d, IDOK));
  const Lines elements = ListLines(list, IDC_LIST_ELEMENTS);
  ASSERT_EQ(elements.size(), 3u);
  for (const std::wstring& line : elements)
    EXPECT_NE(line.find(L"= 1990.01.01.00:00:00.000 "), std::wstring::npos) << Utf8(line);
  ASSERT_TRUE(Close(list, IDCANCEL));
}

// Nineteen variables fill a read request at PDU 240: a twentieth is still
// offered (the table goes in two requests); deleting the last and a middle
// one, the click on the selected element line and the double click after
// it, the name-and-mode editor, and the write list, whose request holds
// only twelve of them, keeping every one.
TEST_F(VarDialogsTest, FullRequestDeletesAndElementClicks) {
  std::vector<VatVar> vars = {{"DB1.DBW0:3 (Int)"}};
  for (int i = 1; i < 19; ++i) vars.push_back({"MW" + std::to_string(2 * i) + ":1 (Word)"});
  ASSERT_TRUE(StartTolvane({.args = {WriteTable(L"full.vat", vars)}}));
  LogSince(0, L"S7_Connection_Init : OK.");
  CloseReadWindow();
  EXPECT_EQ(Log().find(L"Deleted"), std::wstring::npos) << "nineteen fit";

  HWND list = OpenList(false);
  ASSERT_NE(list, nullptr);
  ASSERT_EQ(ListLines(list, IDC_LIST_VARIABLES).size(), 19u);
  EXPECT_TRUE(Enabled(list, IDC_LIST_APPEND));
  HWND d = PressForDefinition(list, IDC_LIST_APPEND);
  ASSERT_NE(d, nullptr);
  EXPECT_TRUE(OkEnabled(d));
  EXPECT_EQ(ControlText(d, IDC_DEFINE_REASON), L"") << "room for a twentieth";
  ASSERT_TRUE(Close(d, IDCANCEL));

  // The element lines of the first variable: a click on the selected line
  // deselects it, and a double click then still edits it.
  ASSERT_TRUE(ClickLine(list, IDC_LIST_VARIABLES, 0, 0));
  ASSERT_EQ(ListLines(list, IDC_LIST_ELEMENTS).size(), 3u);
  ASSERT_TRUE(ClickLine(list, IDC_LIST_ELEMENTS, 1, 1));
  EXPECT_TRUE(Enabled(list, IDC_LIST_EDIT));
  ASSERT_TRUE(ClickLine(list, IDC_LIST_ELEMENTS, 1, -1));
  EXPECT_FALSE(Enabled(list, IDC_LIST_EDIT));
  d = EditElement(list, 1);
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(GetDlgItem(d, IDC_ELEMENT_VALUE), nullptr) << "the read list edits name and mode only";
  EXPECT_EQ(ComboBoxLines(GetDlgItem(d, IDC_ELEMENT_MODE)),
            (Lines{L"Default", L"Bin", L"Hex", L"Dec+/-", L"Dec", L"Date/Time"}));
  EXPECT_EQ(Chosen(d, IDC_ELEMENT_MODE), L"Default");
  ASSERT_TRUE(TypeInto(d, IDC_ELEMENT_NAME, L"Nyomás"));
  ASSERT_TRUE(Choose(d, IDC_ELEMENT_MODE, L"Hex"));
  Shot(d, L"dialog-element-name");
  ASSERT_TRUE(Close(d, IDOK));
  EXPECT_EQ(ListLines(list, IDC_LIST_ELEMENTS),
            (Lines{L" DB1.DBW0 :        = Default ", L" DB1.DBW2 : Nyomás = Hex ", L" DB1.DBW4 :        = Default "}));
  EXPECT_EQ(Selected(list, IDC_LIST_ELEMENTS), 1) << "the edited line stays selected";

  // The last deleted: the new last is selected; a middle one: the next
  // takes its place and its selection.
  ASSERT_TRUE(ClickLine(list, IDC_LIST_VARIABLES, 18, 18));
  ASSERT_TRUE(Click(GetDlgItem(list, IDC_LIST_DELETE)));
  ASSERT_EQ(ListLines(list, IDC_LIST_VARIABLES).size(), 18u);
  EXPECT_EQ(Selected(list, IDC_LIST_VARIABLES), 17);
  EXPECT_EQ(ListLines(list, IDC_LIST_VARIABLES)[17], L" MW34:1 (Word)");
  ASSERT_TRUE(ClickLine(list, IDC_LIST_VARIABLES, 5, 5));
  ASSERT_TRUE(Click(GetDlgItem(list, IDC_LIST_DELETE)));
  EXPECT_EQ(Selected(list, IDC_LIST_VARIABLES), 5);
  EXPECT_EQ(ListLines(list, IDC_LIST_VARIABLES)[5], L" MW12:1 (Word)");
  EXPECT_EQ(ListLines(list, IDC_LIST_ELEMENTS), Lines{L" MW12 = Default "});
  ASSERT_TRUE(Close(list, IDCANCEL));

  // A write item carries its data: 12 of the 17 fit one request, and the
  // list keeps all of them, its status giving the two requests.
  const std::size_t mark = LogMark();
  list = OpenList(true);
  ASSERT_NE(list, nullptr);
  const Lines left = ListLines(list, IDC_LIST_VARIABLES);
  EXPECT_EQ(left.size(), 17u);
  EXPECT_EQ(left.back(), L" MW34:1 (Word)");
  EXPECT_EQ(Log().substr(mark).find(L"Deleted"), std::wstring::npos);
  const auto sizes = StatusBarParts(GetDlgItem(list, IDC_LIST_STATUS));
  ASSERT_TRUE(sizes.has_value() && sizes->size() == 2);
  EXPECT_EQ((*sizes)[0].rfind(L"\t2 kérés, ", 0), 0u) << Utf8((*sizes)[0]);
  EXPECT_EQ(Selected(list, IDC_LIST_VARIABLES), -1);

  // Deleting down to none: the only one's delete leaves no selection.
  ASSERT_TRUE(ClickLine(list, IDC_LIST_VARIABLES, 0, 0));
  for (std::size_t i = 0; i < left.size(); ++i) ASSERT_TRUE(Click(GetDlgItem(list, IDC_LIST_DELETE)));
  EXPECT_EQ(ListLines(list, IDC_LIST_VARIABLES), Lines{});
  EXPECT_EQ(Selected(list, IDC_LIST_VARIABLES), -1);
  EXPECT_EQ(ListLines(list, IDC_LIST_ELEMENTS), Lines{});
  for (int id : {IDC_LIST_INSERT, IDC_LIST_MODIFY, IDC_LIST_DELETE, IDC_LIST_EDIT, IDOK})
    EXPECT_FALSE(Enabled(list, id)) << id;
  PostMessageW(list, WM_COMMAND, IDOK, 0);
  EXPECT_FALSE(WaitUntil([&] { return !IsWindow(list); }, 500)) << "OK posted past the greyed button";
  ASSERT_TRUE(Close(list, IDCANCEL));
}

// A whole round: three variables defined, values written in three modes (one
// element named), found in the CPU's memory and read back in the read
// window, the table saved, and loaded by a new instance that reads the CPU
// again.
TEST_F(VarDialogsTest, DefineWriteReadSaveAndLoad) {
  ASSERT_TRUE(StartTolvane());
  ASSERT_TRUE(ConnectToSimulator());
  HWND list = OpenList(true);
  ASSERT_NE(list, nullptr);
  ASSERT_TRUE(Define(list, IDC_LIST_APPEND, {.type = L"Word", .area = L"DB", .db = 1, .address = 20}));
  ASSERT_TRUE(Define(list, IDC_LIST_APPEND, {.type = L"DInt", .area = L"DB", .db = 1, .address = 22}));
  ASSERT_TRUE(Define(list, IDC_LIST_APPEND, {.type = L"Char", .area = L"DB", .db = 1, .address = 26}));
  EXPECT_EQ(ListLines(list, IDC_LIST_VARIABLES),
            (Lines{L" DB1.DBW20:1 (Word)", L" DB1.DBD22:1 (DInt)", L" DB1.DBB26:1 (Char)"}));

  struct Value {
    int variable;
    const wchar_t* mode;  // null: as it is
    const wchar_t* text;
    bool typed;  // with the keyboard
    const wchar_t* name;
  } values[] = {{0, L"Hex", L"0xBEEF", false, L"Fordulat"},
                {1, L"Dec+/-", L"-5", false, nullptr},
                {2, nullptr, L"ő", true, nullptr}};
  for (const Value& v : values) {
    SCOPED_TRACE(v.variable);
    ASSERT_TRUE(ClickLine(list, IDC_LIST_VARIABLES, v.variable, v.variable));
    HWND d = EditElement(list, 0);
    ASSERT_NE(d, nullptr);
    if (v.mode) {
      ASSERT_TRUE(Choose(d, IDC_ELEMENT_MODE, v.mode));
    }
    ASSERT_TRUE(v.typed ? TypeInto(d, IDC_ELEMENT_VALUE, v.text) : SetText(d, IDC_ELEMENT_VALUE, v.text));
    if (v.name) {
      ASSERT_TRUE(SetText(d, IDC_ELEMENT_NAME, v.name));
    }
    ASSERT_TRUE(Close(d, IDOK));
  }
  const std::size_t mark = LogMark();
  ASSERT_TRUE(Close(list, IDOK));
  LogSince(mark, L"S7_MultiWrite : OK.");
  EXPECT_EQ(Memory(plcsim::kAreaDataBlock, 1, 20, 7),
            (std::vector<std::uint8_t>{0xBE, 0xEF, 0xFF, 0xFF, 0xFF, 0xFB, 0xF5}));

  // The read window reads the values back.
  const Lines written{L" DB1.DBW20 : Fordulat = 0xbeef ", L" DB1.DBD22 :          = -5 ",
                      L" DB1.DBB26 :          = 'ő' (#245) "};
  HWND read = WaitForReadWindow();
  ASSERT_NE(read, nullptr);
  EXPECT_TRUE(WaitUntil([&] { return ListLines(read, IDC_READ_LIST) == written; }))
      << Utf8(ListLines(read, IDC_READ_LIST).empty() ? L"" : ListLines(read, IDC_READ_LIST)[2]);
  Shot(read, L"readwindow-after-write");
  ASSERT_NO_FATAL_FAILURE(CloseReadWindow());

  // Saved, and loaded by a new instance, which reads the CPU at once.
  const std::wstring saved = dir_.File(L"round.vat");
  const auto text = SaveTable(saved, true);
  ASSERT_TRUE(text.has_value());
  for (const char* part : {"Var = DB1.DBW20:1 (Word)\r\n", "Name0 = Fordulat\r\n", "View0 = Hex\r\n",
                           "Var = DB1.DBD22:1 (DInt)\r\n", "Var = DB1.DBB26:1 (Char)\r\n"})
    EXPECT_NE(text->find(part), std::string::npos) << part << " in\n" << *text;
  PostCommand(main_, IDM_FILE_EXIT);
  ASSERT_TRUE(WaitForExit(*program_, kDefaultWaitMs).has_value());

  ASSERT_TRUE(sim_.Model().WriteMemory(plcsim::kAreaDataBlock, 1, 22, {0xFF, 0xFF, 0xFF, 0xFA}));
  ASSERT_TRUE(StartTolvane({.args = {saved}}));
  read = WaitForReadWindow();
  ASSERT_NE(read, nullptr);
  Lines loaded = written;
  loaded[1] = L" DB1.DBD22 :          = -6 ";
  EXPECT_TRUE(WaitUntil([&] { return ListLines(read, IDC_READ_LIST) == loaded; }));
  ASSERT_NO_FATAL_FAILURE(CloseReadWindow());
  list = OpenList(true);
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(ListLines(list, IDC_LIST_VARIABLES),
            (Lines{L" DB1.DBW20:1 (Word)", L" DB1.DBD22:1 (DInt)", L" DB1.DBB26:1 (Char)"}));
  ASSERT_TRUE(Close(list, IDCANCEL));
}

}  // namespace
}  // namespace gui
