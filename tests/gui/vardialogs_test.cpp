// The variable list, variable definition and element edit dialogs of
// tolvane.exe, driven from outside against the simulator: the lists kept in
// step with the table, the buttons and the click behaviour, the one- and the
// multi-variable services, the definition's rules with the reason OK is
// disabled, the element editor's notations, spinners and pickers, and a whole
// round from defining to writing, reading back, saving and loading.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "res/resource.h"
#include "tests/gui/tolvane_session.h"

namespace gui {
namespace {

constexpr wchar_t kReadListTitle[] = L"Változók olvasása";
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

class VarDialogsTest : public TolvaneSession {
 protected:
  // A table file for the simulator in a directory of the test's own; body
  // holds the VarCount line and the variable sections (code page 1250).
  std::filesystem::path WriteTable(const std::string& name, const std::string& body) {
    dir_ = std::filesystem::temp_directory_path() / ("tolvane-vd-" + std::to_string(GetCurrentProcessId()));
    std::filesystem::create_directories(dir_);
    const std::filesystem::path path = dir_ / name;
    std::ofstream file(path, std::ios::binary);
    file << "[PLC]\r\nIF = TCP\r\nName = Sim\r\nAddress = " << plcsim::Ipv4Text(sim_.Address())
         << "\r\nTimeOut = 1000\r\nRack = 0\r\nSlot = 2\r\n"
         << body;
    return path;
  }
  void TearDown() override {
    TolvaneSession::TearDown();
    std::error_code ignored;
    if (!dir_.empty()) std::filesystem::remove_all(dir_, ignored);
  }

  HWND OpenList(bool write) {
    return OpenDialog(write ? IDM_WRITE : IDM_READ, write ? kWriteListTitle : kReadListTitle);
  }
  // OK in the list dialog: the transfer, then the read window, which is
  // closed again so that the main window takes commands.
  void TransferAndClose(HWND list, const std::wstring& logged) {
    const std::size_t mark = LogMark();
    ASSERT_TRUE(Close(list, IDOK));
    LogSince(mark, logged);
    HWND read = WaitForWindow(program_->id, nullptr, kReadListTitle);
    ASSERT_NE(read, nullptr) << "the read window did not open";
    PostMessageW(read, WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(read) && IsWindowEnabled(main_); }));
  }

  static Lines ListLines(HWND dialog, int id) { return ListBoxLines(GetDlgItem(dialog, id)); }
  static int Selected(HWND dialog, int id) {
    return static_cast<int>(Send(GetDlgItem(dialog, id), LB_GETCURSEL, 0, 0).value_or(-2));
  }
  static bool Enabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }
  // A button that opens a dialog is pressed by a posted click: a sent one
  // would wait for the dialog to close.
  static void Press(HWND dialog, int id) { PostMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

  // The middle of a line of a list box, in its client coordinates.
  static POINT LinePoint(HWND list, int index) {
    const auto height = static_cast<LONG>(Send(list, LB_GETITEMHEIGHT, 0, 0).value_or(0));
    const auto top = static_cast<LONG>(Send(list, LB_GETTOPINDEX, 0, 0).value_or(0));
    return POINT{20, (index - top) * height + height / 2};
  }
  // A real click on a line, and the selection it leaves. Clicks on the
  // same spot come at least a double click's time apart, or the second
  // would be the second half of a double click.
  bool ClickLine(HWND dialog, int id, int index, int selectedAfter) {
    HWND list = GetDlgItem(dialog, id);
    const DWORD since = GetTickCount() - lastClick_;
    if (since <= GetDoubleClickTime()) Sleep(GetDoubleClickTime() + 50 - since);
    const bool clicked = Click(list, LinePoint(list, index));
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
    const DWORD since = GetTickCount() - lastClick_;
    if (since <= GetDoubleClickTime()) Sleep(GetDoubleClickTime() + 50 - since);
    EXPECT_TRUE(DoubleClick(elements, LinePoint(elements, line)));
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
    HWND save = WaitForDialog(program_->id, L"Változó tábla mentése", 1500);
    if (!save) return false;
    PostMessageW(save, WM_COMMAND, IDCANCEL, 0);
    return WaitClosed(save);
  }

  std::filesystem::path dir_;
  DWORD lastClick_ = 0;
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
  list = WaitForDialog(program_->id, kReadListTitle);
  ASSERT_NE(list, nullptr) << "Ctrl+R";
  EXPECT_EQ(ListLines(list, IDC_LIST_VARIABLES).size(), 2u);
  ASSERT_TRUE(Close(list, IDCANCEL));
}

}  // namespace
}  // namespace gui
