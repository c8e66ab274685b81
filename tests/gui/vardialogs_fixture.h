// The fixture of the GUI tests of the variable dialogs: tolvane.exe started
// against the simulator, its variable list, definition and element edit
// dialogs opened, driven and read, and the simulator's memory.
#pragma once

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

inline constexpr wchar_t kWriteListTitle[] = L"Változók írása";
inline constexpr wchar_t kDefineTitle[] = L"Változó megadása";
inline constexpr wchar_t kElementTitle[] = L"Változó szerkesztése";
inline constexpr wchar_t kNoRoom[] = L"Nincs több hely a kérésben";
inline constexpr wchar_t kBitRule[] = L"Több bit csak a 0. bittől, 8 többszöröseként";
inline constexpr wchar_t kInvalid[] = L"Érvénytelen érték";

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

}  // namespace gui
