// The variable list, variable definition and element edit dialogs of
// tolvane.exe, driven from outside against the simulator: the lists kept in
// step with the table, the buttons and the click behaviour, the one- and the
// multi-variable services, the definition's rules with the reason OK is
// disabled, the element editor's notations, spinners and pickers, and a whole
// round from defining to writing, reading back, saving and loading.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "res/resource.h"
#include "tests/gui/tolvane_fixture.h"

namespace gui {
namespace {

constexpr wchar_t kWriteListTitle[] = L"Változók írása";
constexpr wchar_t kDefineTitle[] = L"Változó megadása";
constexpr wchar_t kElementTitle[] = L"Változó szerkesztése";
constexpr wchar_t kNoRoom[] = L"Nincs több hely a kérésben";
constexpr wchar_t kBitRule[] = L"Több bit csak a 0. bittől, 8 többszöröseként";
constexpr wchar_t kInvalid[] = L"Érvénytelen érték";

using Lines = std::vector<std::wstring>;

struct Definition {
  std::wstring type;
  std::wstring area;  // empty: as the type leaves it
  int db = -1;        // -1: as it is
  int address = 0;
  int bit = -1;
  int count = 1;
};

class VarDialogsTest : public TolvaneTest {
 protected:
  // A table file for the simulator, named "Sim", in the test's folder.
  std::wstring WriteTable(const std::wstring& name, const std::vector<VatVar>& vars) {
    VatSpec spec = SimVat();
    spec.name = "Sim";
    spec.vars = vars;
    return WriteVat(name, spec);
  }

  HWND OpenList(bool write) {
    return OpenDialog(write ? IDM_WRITE : IDM_READ, write ? kWriteListTitle : kReadTitle);
  }
  // OK in the list dialog: the transfer, then the read window, which is
  // closed again so that the main window takes commands.
  void TransferAndClose(HWND list, const std::wstring& logged) {
    const std::size_t mark = LogMark();
    ASSERT_TRUE(Close(list, IDOK));
    LogSince(mark, logged);
    CloseReadWindow();
  }

  static Lines ListLines(HWND dialog, int id) { return ListBoxLines(GetDlgItem(dialog, id)); }
  static int Selected(HWND dialog, int id) {
    return static_cast<int>(Send(GetDlgItem(dialog, id), LB_GETCURSEL, 0, 0).value_or(-2));
  }
  static bool Enabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }

  // The middle of a line of a list box, in its client coordinates; the list
  // is scrolled to show it first.
  static POINT LinePoint(HWND list, int index) {
    Send(list, LB_SETTOPINDEX, static_cast<WPARAM>(index), 0);
    const auto height = static_cast<LONG>(Send(list, LB_GETITEMHEIGHT, 0, 0).value_or(0));
    const auto top = static_cast<LONG>(Send(list, LB_GETTOPINDEX, 0, 0).value_or(0));
    return POINT{20, (index - top) * height + height / 2};
  }
  // Clicks on the same spot come at least a double click's time apart, or
  // the second would be the second half of a double click.
  void ApartFromTheLastClick(HWND window, POINT client) {
    POINT at = client;
    ClientToScreen(window, &at);
    const DWORD since = GetTickCount() - lastClick_;
    const bool nearby = std::abs(at.x - lastPoint_.x) <= GetSystemMetrics(SM_CXDOUBLECLK) &&
                      std::abs(at.y - lastPoint_.y) <= GetSystemMetrics(SM_CYDOUBLECLK);
    if (nearby && since <= GetDoubleClickTime()) Sleep(GetDoubleClickTime() + 50 - since);
    lastPoint_ = at;
  }
  // A real click on a line, and the selection it leaves.
  bool ClickLine(HWND dialog, int id, int index, int selectedAfter) {
    HWND list = GetDlgItem(dialog, id);
    const POINT point = LinePoint(list, index);
    ApartFromTheLastClick(list, point);
    const bool clicked = MouseClick(list, point);
    lastClick_ = GetTickCount();
    return clicked && WaitUntil([&] { return Selected(dialog, id) == selectedAfter; }, 3000);
  }

  // Chooses an entry of a drop-down list as the user does: selected, and
  // the dialog told.
  static bool Choose(HWND dialog, int id, const std::wstring& text) {
    HWND box = GetDlgItem(dialog, id);
    const Lines lines = ComboBoxLines(box);
    for (std::size_t i = 0; i < lines.size(); ++i) {
      if (lines[i] != text) continue;
      Send(box, CB_SETCURSEL, i, 0);
      return Send(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(box)).has_value();
    }
    ADD_FAILURE() << "no entry \"" << Utf8(text) << "\" in list " << id;
    return false;
  }
  static std::wstring Chosen(HWND dialog, int id) {
    HWND box = GetDlgItem(dialog, id);
    const Lines lines = ComboBoxLines(box);
    const int at = ComboBoxSelection(box);
    return at >= 0 && at < static_cast<int>(lines.size()) ? lines[static_cast<std::size_t>(at)] : L"";
  }

  HWND PressForDefinition(HWND list, int button) {
    Press(list, button);
    HWND dialog = WaitForDialog(program_->id, kDefineTitle);
    EXPECT_NE(dialog, nullptr) << "no definition dialog";
    return dialog;
  }
  // Defines a variable through the list dialog's append or insert button.
  bool Define(HWND list, int button, const Definition& d) {
    HWND dialog = PressForDefinition(list, button);
    if (!dialog || !Choose(dialog, IDC_DEFINE_TYPE, d.type)) return false;
    if (!d.area.empty() && !Choose(dialog, IDC_DEFINE_AREA, d.area)) return false;
    if (d.db >= 0) SetText(dialog, IDC_DEFINE_DB, std::to_wstring(d.db));
    SetText(dialog, IDC_DEFINE_ADDRESS, std::to_wstring(d.address));
    if (d.bit >= 0) SetText(dialog, IDC_DEFINE_BIT, std::to_wstring(d.bit));
    SetText(dialog, IDC_DEFINE_COUNT, std::to_wstring(d.count));
    return Close(dialog, IDOK);
  }

  // Opens the element editor with a double click on an element line.
  HWND EditElement(HWND list, int line) {
    HWND elements = GetDlgItem(list, IDC_LIST_ELEMENTS);
    const POINT point = LinePoint(elements, line);
    ApartFromTheLastClick(elements, point);
    EXPECT_TRUE(DoubleClick(elements, point));
    lastClick_ = GetTickCount();
    HWND dialog = WaitForDialog(program_->id, kElementTitle);
    EXPECT_NE(dialog, nullptr) << "no element editor after a double click on line " << line;
    return dialog;
  }

  std::vector<std::uint8_t> Memory(std::uint8_t area, int db, int offset, int length) {
    return sim_.Model().ReadMemory(area, db, offset, length);
  }

  // Whether "Ment" is enabled, as its accelerator tells: Ctrl+S opens the
  // save dialog only then (the menu is the program's, not readable from
  // here). The dialog is cancelled.
  bool SaveOffered() {
    if (!PressKeys(main_, {VK_CONTROL, 'S'})) return false;
    // A file dialog lists its folder first: on a busy machine that takes
    // seconds, so the usual wait.
    HWND save = WaitForDialog(program_->id, kSaveTitle);
    if (!save) return false;
    PostMessageW(save, WM_COMMAND, IDCANCEL, 0);
    return WaitClosed(save);
  }

  DWORD lastClick_ = 0;
  POINT lastPoint_{-100, -100};
};

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

// The element editor of the write list: each mode's notation and range, the
// whole text judged, the spinner's ends and its held steps (through the
// 2^31 offset for a DWord), the pickers, Cancel putting everything back, and
// OK's values reaching the CPU.
TEST_F(VarDialogsTest, ElementEditorValues) {
  const std::vector<VatVar> vars = {
      {"DB1.DBW0:1 (Word)", {"View0 = Hex"}},
      {"DB1.DBW2:1 (Int)", {"View0 = Dec+/-"}},
      {"DB1.DBD4:1 (DWord)", {"View0 = Dec"}},
      {"T5:1 (Timer)", {"View0 = Time"}},
      {"DB1.DBB8:1 (Char)"},
      {"DB1.DBW10:1 (Date)", {"View0 = Date/Time"}},
      {"DB1.DBD12:1 (TOD)", {"View0 = Date/Time"}},
      {"DB1.DBW16:1 (Word)", {"View0 = Dec"}},
  };
  ASSERT_TRUE(StartTolvane({.args = {WriteTable(L"values.vat", vars)}}));
  LogSince(0, L"S7_Connection_Init : OK.");
  CloseReadWindow();
  HWND list = OpenList(true);
  ASSERT_NE(list, nullptr);
  ASSERT_EQ(ListLines(list, IDC_LIST_VARIABLES).size(), 8u);
  auto open = [&](int variable) {
    EXPECT_TRUE(ClickLine(list, IDC_LIST_VARIABLES, variable, variable));
    return EditElement(list, 0);
  };

  // Word in Hex: the prefix, the range, and OK rewriting the line.
  HWND d = open(0);
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(Chosen(d, IDC_ELEMENT_MODE), L"Hex");
  EXPECT_EQ(ControlText(d, IDC_ELEMENT_VALUE), L"0x0000");
  EXPECT_TRUE(IsWindowVisible(GetDlgItem(d, IDC_ELEMENT_VALUE_SPIN)));
  EXPECT_FALSE(Enabled(d, IDC_ELEMENT_DATE));
  EXPECT_FALSE(Enabled(d, IDC_ELEMENT_TIME));
  CheckFieldCases(d,
                  {{IDC_ELEMENT_VALUE, L"0x1F", true},
                   {IDC_ELEMENT_VALUE, L"1f", false},
                   {IDC_ELEMENT_VALUE, L"0x10000", false},
                   // Judged whole: the first 255 characters are a value.
                   {IDC_ELEMENT_VALUE, L"0x1" + std::wstring(300, L' '), false}},
                  L"0x1F");
  ASSERT_TRUE(SetText(d, IDC_ELEMENT_VALUE, L"0x10000"));
  Shot(d, L"dialog-element-invalid");
  ASSERT_TRUE(SetText(d, IDC_ELEMENT_VALUE, L"0x1F"));
  Shot(d, L"dialog-element-value");
  ASSERT_TRUE(Close(d, IDOK));
  EXPECT_EQ(ListLines(list, IDC_LIST_ELEMENTS), Lines{L" DB1.DBW0 = 0x001f "});

  // Int in Dec+/-: both ends, and the spinner stops at them.
  d = open(1);
  ASSERT_NE(d, nullptr);
  CheckFieldCases(d, {{IDC_ELEMENT_VALUE, L"-32768", true}, {IDC_ELEMENT_VALUE, L"-32769", false}}, L"-32768");
  HWND spin = GetDlgItem(d, IDC_ELEMENT_VALUE_SPIN);
  RECT r{};
  GetClientRect(spin, &r);
  const POINT up{r.right / 2, r.bottom / 4}, down{r.right / 2, 3 * r.bottom / 4};
  ASSERT_TRUE(MouseClick(spin, down));
  ASSERT_TRUE(MouseClick(spin, up));
  EXPECT_TRUE(WaitUntil([&] { return ControlText(d, IDC_ELEMENT_VALUE) == L"-32 767"; }, 3000))
      << "stopped at -32768, then one up: " << Utf8(ControlText(d, IDC_ELEMENT_VALUE));
  ASSERT_TRUE(SetText(d, IDC_ELEMENT_VALUE, L"32767"));
  ASSERT_TRUE(MouseClick(spin, up));
  ASSERT_TRUE(MouseClick(spin, down));
  EXPECT_TRUE(WaitUntil([&] { return ControlText(d, IDC_ELEMENT_VALUE) == L"32 766"; }, 3000))
      << Utf8(ControlText(d, IDC_ELEMENT_VALUE));
  // Cancel puts value, name and mode back.
  ASSERT_TRUE(SetText(d, IDC_ELEMENT_NAME, L"Tengely"));
  ASSERT_TRUE(Choose(d, IDC_ELEMENT_MODE, L"Hex"));
  EXPECT_EQ(ControlText(d, IDC_ELEMENT_VALUE), L"0x7ffe");
  ASSERT_TRUE(Close(d, IDCANCEL));
  EXPECT_EQ(ListLines(list, IDC_LIST_ELEMENTS), Lines{L" DB1.DBW2 = 0 "});
  d = EditElement(list, 0);
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(Chosen(d, IDC_ELEMENT_MODE), L"Dec+/-");
  EXPECT_EQ(ControlText(d, IDC_ELEMENT_NAME), L"");
  EXPECT_EQ(ControlText(d, IDC_ELEMENT_VALUE), L"0");
  ASSERT_TRUE(Close(d, IDCANCEL));

  // DWord in Dec: the spinner counts from -2^31 for 0, steps by 1 and, held,
  // by 1000; the largest value is taken.
  d = open(2);
  ASSERT_NE(d, nullptr);
  spin = GetDlgItem(d, IDC_ELEMENT_VALUE_SPIN);
  EXPECT_EQ(SpinnerPosition(spin), std::optional<int>(INT32_MIN));
  const std::vector<int> positions = HoldArrow(spin, 3500);
  EXPECT_TRUE(HasStep(positions, 1)) << "no step of 1";
  EXPECT_TRUE(HasStep(positions, 1000)) << "no step of 1000 after holding";
  CheckFieldCases(d, {{IDC_ELEMENT_VALUE, L"4294967295", true}, {IDC_ELEMENT_VALUE, L"4294967296", false}},
                  L"4294967295");
  EXPECT_EQ(SpinnerPosition(spin), std::optional<int>(INT32_MAX));
  ASSERT_TRUE(Close(d, IDOK));
  EXPECT_EQ(ListLines(list, IDC_LIST_ELEMENTS), Lines{L" DB1.DBD4 = 4 294 967 295 "});

  // Timer in Time: units in order, within 2h46m30s.
  d = open(3);
  ASSERT_NE(d, nullptr);
  EXPECT_FALSE(IsWindowVisible(GetDlgItem(d, IDC_ELEMENT_VALUE_SPIN))) << "no spinner for a duration";
  CheckFieldCases(d,
                  {{IDC_ELEMENT_VALUE, L"1m30s", true},
                   {IDC_ELEMENT_VALUE, L"30s1m", false},
                   {IDC_ELEMENT_VALUE, L"2h47m", false},
                   {IDC_ELEMENT_VALUE, L"-1s", false}},
                  L"1m30s");
  ASSERT_TRUE(Close(d, IDOK));

  // Char: one character or # and its code; "ő" typed is the code page 1250
  // byte 0xF5 (245), whatever the system's code page.
  d = open(4);
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(Chosen(d, IDC_ELEMENT_MODE), L"Default");
  CheckFieldCases(d,
                  {{IDC_ELEMENT_VALUE, L"A", true},
                   {IDC_ELEMENT_VALUE, L"#65", true},
                   {IDC_ELEMENT_VALUE, L"AB", false},
                   {IDC_ELEMENT_VALUE, L" ", true}},
                  L"A");
  ASSERT_TRUE(TypeInto(d, IDC_ELEMENT_VALUE, L"ő"));
  EXPECT_TRUE(OkEnabled(d));
  ASSERT_TRUE(Choose(d, IDC_ELEMENT_MODE, L"Dec"));
  EXPECT_EQ(ControlText(d, IDC_ELEMENT_VALUE), L"245");
  ASSERT_TRUE(Choose(d, IDC_ELEMENT_MODE, L"Default"));
  ASSERT_TRUE(Close(d, IDOK));

  // A Date shows its date picker alone, a TOD its time picker; a picked
  // day or time becomes the value.
  struct Picker {
    int variable;
    int enabled, disabled;
    WORD key;
    const wchar_t* shot;
  } pickers[] = {{5, IDC_ELEMENT_DATE, IDC_ELEMENT_TIME, VK_UP, L"dialog-element-date"},
                 {6, IDC_ELEMENT_TIME, IDC_ELEMENT_DATE, VK_UP, nullptr}};
  for (const Picker& p : pickers) {
    SCOPED_TRACE(p.variable);
    d = open(p.variable);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(Chosen(d, IDC_ELEMENT_MODE), L"Date/Time");
    EXPECT_TRUE(Enabled(d, p.enabled));
    EXPECT_FALSE(Enabled(d, p.disabled));
    EXPECT_FALSE(Enabled(d, IDC_ELEMENT_VALUE));
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(d, IDC_ELEMENT_VALUE_SPIN)));
    const std::wstring before = ControlText(d, IDC_ELEMENT_VALUE);
    EXPECT_EQ(before, p.variable == 5 ? L"1990.01.01" : L"00:00:00.000");
    // A click on the picker's first field selects it; the arrow key steps it.
    HWND picker = GetDlgItem(d, p.enabled);
    RECT pr{};
    GetClientRect(picker, &pr);
    ASSERT_TRUE(MouseClick(picker, {6, pr.bottom / 2}));
    ASSERT_TRUE(PressKeys(d, {p.key}));
    EXPECT_TRUE(WaitUntil([&] { return ControlText(d, IDC_ELEMENT_VALUE) != before; }, 3000))
        << "the picked value reaches the field";
    const auto picked = PickerTime(GetDlgItem(d, p.enabled));
    ASSERT_TRUE(picked.has_value());
    wchar_t expected[32];
    if (p.variable == 5)
      swprintf(expected, 32, L"%04u.%02u.%02u", picked->wYear, picked->wMonth, picked->wDay);
    else
      swprintf(expected, 32, L"%02u:%02u:%02u.000", picked->wHour, picked->wMinute, picked->wSecond);
    EXPECT_EQ(ControlText(d, IDC_ELEMENT_VALUE), expected);
    if (p.shot) Shot(d, p.shot);
    ASSERT_TRUE(Close(d, IDOK));
  }

  // Digits in groups.
  d = open(7);
  ASSERT_NE(d, nullptr);
  CheckFieldCases(d, {{IDC_ELEMENT_VALUE, L"1 000", true}, {IDC_ELEMENT_VALUE, L"65 536", false}}, L"1 000");
  ASSERT_TRUE(Close(d, IDOK));

  TransferAndClose(list, L"S7_MultiWrite : OK.");
  EXPECT_EQ(Memory(plcsim::kAreaDataBlock, 1, 0, 10),
            (std::vector<std::uint8_t>{0x00, 0x1F, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xF5, 0x00}));
  EXPECT_EQ(Memory(plcsim::kAreaDataBlock, 1, 16, 2), (std::vector<std::uint8_t>{0x03, 0xE8}));
  EXPECT_NE(Memory(plcsim::kAreaDataBlock, 1, 10, 2), (std::vector<std::uint8_t>{0x00, 0x00})) << "the date";
  EXPECT_NE(Memory(plcsim::kAreaDataBlock, 1, 12, 4), (std::vector<std::uint8_t>{0, 0, 0, 0})) << "the time";
  EXPECT_EQ(Memory(plcsim::kAreaTimers, 0, 10, 2), (std::vector<std::uint8_t>{0x19, 0x00})) << "T5 = 900 x 100 ms";
}

// A whole round: three variables defined, values written in three modes (one
// element named), found in the CPU's memory and read back in the read
// window, the table saved, and loaded by a new instance that reads the CPU
// again.
// The newer types in the element editor: a String in the field alone (a
// letter outside code page 1250 as its escape, more than its maximum
// refused), an LReal read whole without a spinner, a DTL with both pickers
// and the field for its nanoseconds.
TEST_F(VarDialogsTest, ElementEditorNewerTypes) {
  const std::vector<VatVar> vars = {
      {"DB1.DBB20:1 (String[10])"},
      {"DB1.DBB40:1 (LReal)"},
      {"DB1.DBB50:1 (DTL)"},
  };
  // What the data block holds: an empty String[10], the DTL 1970-01-01.
  ASSERT_TRUE(sim_.Model().WriteMemory(plcsim::kAreaDataBlock, 1, 20, {10, 0}));
  ASSERT_TRUE(sim_.Model().WriteMemory(plcsim::kAreaDataBlock, 1, 50, {0x07, 0xB2, 1, 1, 5}));
  ASSERT_TRUE(StartTolvane({.args = {WriteTable(L"newer.vat", vars)}}));
  LogSince(0, L"S7_Connection_Init : OK.");
  CloseReadWindow();
  HWND list = OpenList(true);
  ASSERT_NE(list, nullptr);
  ASSERT_EQ(ListLines(list, IDC_LIST_VARIABLES).size(), 3u);
  auto open = [&](int variable) {
    EXPECT_TRUE(ClickLine(list, IDC_LIST_VARIABLES, variable, variable));
    return EditElement(list, 0);
  };

  HWND d = open(0);
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(Chosen(d, IDC_ELEMENT_MODE), L"Default");
  EXPECT_EQ(ControlText(d, IDC_ELEMENT_VALUE), L"");
  EXPECT_FALSE(IsWindowVisible(GetDlgItem(d, IDC_ELEMENT_VALUE_SPIN)));
  EXPECT_FALSE(Enabled(d, IDC_ELEMENT_DATE));
  CheckFieldCases(d,
                  {{IDC_ELEMENT_VALUE, L"\\u0436", false},  // typed as its escape: no such letter in a String
                   {IDC_ELEMENT_VALUE, L"\u0436", false},   // typed itself: no code page 1250 text
                   {IDC_ELEMENT_VALUE, L"a\\\\b", true},
                   {IDC_ELEMENT_VALUE, L"\u0151rv\u00EDzt\u0171r\u0151 t", false},  // 11 letters for 10
                   {IDC_ELEMENT_VALUE, L"\u0151rv\u00EDz", true}},
                  L"\u0151rv\u00EDz");
  Shot(d, L"dialog-element-string");
  ASSERT_TRUE(Close(d, IDOK));
  EXPECT_EQ(ListLines(list, IDC_LIST_ELEMENTS), Lines{L" DB1.DBB20 = '\u0151rv\u00EDz' "});

  d = open(1);
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(Chosen(d, IDC_ELEMENT_MODE), L"Default");
  EXPECT_EQ(ControlText(d, IDC_ELEMENT_VALUE), L"0.0");
  EXPECT_FALSE(IsWindowVisible(GetDlgItem(d, IDC_ELEMENT_VALUE_SPIN)));
  CheckFieldCases(d, {{IDC_ELEMENT_VALUE, L"1e+309", false}, {IDC_ELEMENT_VALUE, L"0.1", true}}, L"0.1");
  Shot(d, L"dialog-element-lreal");
  ASSERT_TRUE(Close(d, IDOK));
  EXPECT_EQ(ListLines(list, IDC_LIST_ELEMENTS), Lines{L" DB1.DBB40 = 0.1 "});

  d = open(2);
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(Chosen(d, IDC_ELEMENT_MODE), L"Default");
  EXPECT_TRUE(Enabled(d, IDC_ELEMENT_DATE));
  EXPECT_TRUE(Enabled(d, IDC_ELEMENT_TIME));
  EXPECT_TRUE(Enabled(d, IDC_ELEMENT_VALUE)) << "the digits below the second";
  EXPECT_EQ(ControlText(d, IDC_ELEMENT_VALUE), L"1970.01.01.00:00:00.000");
  CheckFieldCases(d,
                  {{IDC_ELEMENT_VALUE, L"1969.12.31.23:59:59", false},
                   {IDC_ELEMENT_VALUE, L"2024.02.29.12:00:00.000000001", true}},
                  L"2024.02.29.12:00:00.000000001");
  Shot(d, L"dialog-element-dtl");
  ASSERT_TRUE(Close(d, IDOK));
  EXPECT_EQ(ListLines(list, IDC_LIST_ELEMENTS), Lines{L" DB1.DBB50 = 2024.02.29.12:00:00.000000001 "});

  // Written: the String into the data block's own header, the DTL with its weekday.
  TransferAndClose(list, L"S7_MultiWrite : OK.");
  EXPECT_EQ(Memory(plcsim::kAreaDataBlock, 1, 20, 7), (std::vector<std::uint8_t>{10, 5, 0xF5, 'r', 'v', 0xED, 'z'}));
  EXPECT_EQ(Memory(plcsim::kAreaDataBlock, 1, 40, 8),
            (std::vector<std::uint8_t>{0x3F, 0xB9, 0x99, 0x99, 0x99, 0x99, 0x99, 0x9A}));
  EXPECT_EQ(Memory(plcsim::kAreaDataBlock, 1, 50, 12),
            (std::vector<std::uint8_t>{0x07, 0xE8, 2, 29, 5, 12, 0, 0, 0, 0, 0, 1}));
}

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

// A table larger than a request in the program: 500 variables (498 words,
// a word of the flags, a 2,000-byte array) loaded from a file, read by the
// read window with its requests per read in the status bar, then written
// through the list dialog, whose status gives the requests, with every byte
// landing in the PLC.
class LargeTableTest : public VarDialogsTest {
 protected:
  LargeTableTest() { simConfig_.model.dataBlocks = {{1, 4096}, {2, 4096}}; }
  static int Word(int i) { return i % 1000 - 500; }
  // The read window's line of one element, addresses padded to DB2.DBB1999.
  static std::wstring ValueLine(const std::wstring& address, const std::wstring& value) {
    return L" " + address + std::wstring(11 - address.size(), L' ') + L" = " + value + L" ";
  }
  static std::wstring Hex(int byte) {
    wchar_t text[8];
    swprintf(text, 8, L"0x%02x", byte);
    return text;
  }
  // Whether a list shows its vertical scroll bar: the list keeps room for
  // it by its own count, the style says whether it is drawn.
  static bool VerticalBar(HWND list) { return (GetWindowLongPtrW(list, GWL_STYLE) & WS_VSCROLL) != 0; }
  // The status bar part, when it is "N <suffix>" with N at least 2.
  static bool CountOf(const std::wstring& part, const std::wstring& prefix, const std::wstring& suffix) {
    if (part.rfind(prefix, 0) != 0 || part.find(suffix, prefix.size()) == std::wstring::npos) return false;
    return std::wcstol(part.c_str() + prefix.size(), nullptr, 10) >= 2;
  }
};

TEST_F(LargeTableTest, FiveHundredVariablesAndALongArrayReadAndWritten) {
  plcsim::Bytes words(2000), array(2000);
  for (int i = 0; i < 498; ++i) {
    words[4 * i] = static_cast<std::uint8_t>(Word(i) >> 8);
    words[4 * i + 1] = static_cast<std::uint8_t>(Word(i));
  }
  for (int i = 0; i < 2000; ++i) array[i] = static_cast<std::uint8_t>(i * 7);
  ASSERT_TRUE(sim_.Model().WriteMemory(plcsim::kAreaDataBlock, 1, 0, words));
  ASSERT_TRUE(sim_.Model().WriteMemory(plcsim::kAreaDataBlock, 2, 0, array));
  ASSERT_TRUE(sim_.Model().WriteMemory(plcsim::kAreaFlags, 0, 10, {0xBE, 0xEF}));
  std::vector<VatVar> vars;
  for (int i = 0; i < 498; ++i) vars.push_back({"DB1.DBW" + std::to_string(4 * i) + ":1 (Int)"});
  vars.push_back({"MW10:1 (Word)"});
  vars.push_back({"DB2.DBB0:2000 (Byte)"});
  ASSERT_TRUE(StartTolvane({.args = {WriteTable(L"large.vat", vars)}}));

  HWND read = WaitForReadWindow();
  ASSERT_NE(read, nullptr);
  HWND values = GetDlgItem(read, IDC_READ_LIST);
  ASSERT_TRUE(WaitUntil([&] { return Send(values, LB_GETCOUNT, 0, 0).value_or(0) == 2499; }, 20000));
  // A few lines, each on its own: read whole, the list would take seconds
  // of cross-process messages.
  EXPECT_EQ(ListBoxLine(values, 0), ValueLine(L"DB1.DBW0", L"-500"));
  EXPECT_EQ(ListBoxLine(values, 497), ValueLine(L"DB1.DBW1988", L"-3"));
  EXPECT_EQ(ListBoxLine(values, 498), ValueLine(L"MW10", L"0xbeef"));
  EXPECT_EQ(ListBoxLine(values, 499), ValueLine(L"DB2.DBB0", L"0x00"));
  EXPECT_EQ(ListBoxLine(values, 2498), ValueLine(L"DB2.DBB1999", Hex(1999 * 7 & 0xFF)));
  EXPECT_TRUE(VerticalBar(values)) << "2,499 lines without a scroll bar";
  const auto status = StatusBarParts(GetDlgItem(read, IDC_READ_STATUS));
  ASSERT_TRUE(status.has_value() && status->size() == 2);
  EXPECT_TRUE(CountOf((*status)[1], L"", L" kérés ciklusonként")) << Utf8((*status)[1]);
  // A change in the middle of the array reaches its line at the next read.
  ASSERT_TRUE(sim_.Model().WriteMemory(plcsim::kAreaDataBlock, 2, 1000, {0x55}));
  EXPECT_TRUE(WaitUntil([&] { return ListBoxLine(values, 1499) == ValueLine(L"DB2.DBB1000", L"0x55"); }));
  Shot(read, L"readwindow-500-variables");
  ASSERT_NO_FATAL_FAILURE(CloseReadWindow());
  EXPECT_EQ(Log().find(L"Deleted"), std::wstring::npos) << "nothing dropped for its size";

  // Written back over a cleared PLC: every byte as read.
  ASSERT_TRUE(sim_.Model().WriteMemory(plcsim::kAreaDataBlock, 1, 0, plcsim::Bytes(2000)));
  ASSERT_TRUE(sim_.Model().WriteMemory(plcsim::kAreaDataBlock, 2, 0, plcsim::Bytes(2000)));
  HWND list = OpenList(true);
  ASSERT_NE(list, nullptr);
  const auto sizes = StatusBarParts(GetDlgItem(list, IDC_LIST_STATUS));
  ASSERT_TRUE(sizes.has_value() && sizes->size() == 2);
  EXPECT_TRUE(CountOf((*sizes)[0], L"\t", L" kérés, ")) << Utf8((*sizes)[0]);
  EXPECT_TRUE(CountOf((*sizes)[1], L"\t", L" válasz, ")) << Utf8((*sizes)[1]);
  EXPECT_TRUE(VerticalBar(GetDlgItem(list, IDC_LIST_VARIABLES))) << "500 variables without a scroll bar";
  Shot(list, L"varlist-500-variables");
  TransferAndClose(list, L"Sim - S7_MultiWrite : OK.\r\n\t500 változó, ");
  array[1000] = 0x55;
  EXPECT_EQ(sim_.Model().ReadMemory(plcsim::kAreaDataBlock, 1, 0, 2000), words);
  EXPECT_EQ(sim_.Model().ReadMemory(plcsim::kAreaDataBlock, 2, 0, 2000), array);
}

}  // namespace
}  // namespace gui
