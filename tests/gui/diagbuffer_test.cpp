// "CPU adatai" and "Diagnosztikai puffer" of tolvane.exe against the
// simulator: the CPU's identity and state as one log entry, the buffer's
// window with the simulator's entries newest first and their texts, lines
// copied and saved, the window resized, and both commands doing nothing
// without a connection.
#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "res/resource.h"
#include "tests/gui/support/tempfiles.h"
#include "tests/gui/tolvane_fixture.h"

namespace gui {
namespace {

constexpr wchar_t kDiagTitle[] = L"Diagnosztikai puffer";
constexpr wchar_t kDiagSaveTitle[] = L"Diagnosztikai puffer mentése";

// What the clipboard holds as text, read as any other program would.
std::wstring ClipboardText() {
  std::wstring text;
  if (!OpenClipboard(nullptr)) return text;
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* p = static_cast<const wchar_t*>(GlobalLock(data))) {
      text = p;
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return text;
}

bool EmptyTheClipboard() {
  if (!OpenClipboard(nullptr)) return false;
  EmptyClipboard();
  CloseClipboard();
  return true;
}

RECT WindowRect(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  return r;
}

using DiagBufferTest = TolvaneTest;

TEST_F(DiagBufferTest, CpuIdentityAndStateAsOneEntry) {
  ASSERT_TRUE(StartTolvane());
  ASSERT_TRUE(ConnectToSimulator(L"Prés 1"));
  const std::size_t mark = LogMark();
  ASSERT_TRUE(PostCommand(main_, IDM_CPU_INFO));
  const std::wstring added = LogSince(mark, L"\tMax. PDU : 240  Max. kapcsolat : 16\r\n");
  EXPECT_EQ(added,
            L"Prés 1 - S7_ReadSzl : OK.\r\n"
            L"\tRendelési szám : 6ES7 315-2EH14-0AB0\r\n"
            L"\tHardver : V1.0.0  Firmware : V3.2.6\r\n"
            L"\tModul típus : CPU 315-2 PN/DP\r\n"
            L"\tPLC név : TOLVANE-SIM\r\n"
            L"\tModul név : CPU 315-2 PN/DP\r\n"
            L"\tBerendezés jelölés : Test bench\r\n"
            L"\tSorozatszám : S C-T0LV4N312024\r\n"
            L"\tMemóriakártya sorozatszám : MMC 1A2B3C4D\r\n"
            L"\tCopyright : Tolvane PLC simulator\r\n"
            L"\tÜzemmód : Run\r\n"
            L"\tUtolsó váltás : 2024.03.01 08:00:00.000  Üzemmódváltás: INDULÁS -> RUN\r\n"
            L"\tLED : RUN\r\n"
            L"\tVédelmi szint : 1 (kulcskapcsoló : 1, jelszó : 0)  Üzemmódkapcsoló : RUN-P\r\n"
            L"\tMax. PDU : 240  Max. kapcsolat : 16\r\n")
      << Utf8(added);
  Shot(main_, L"main-cpu-info");

  // Greyed without a connection: posted past the item, nothing is asked.
  ASSERT_TRUE(PostCommand(main_, IDM_DISCONNECT));
  LogSince(mark, L"S7_Disconnect : OK.\r\n");
  const std::size_t quiet = LogMark();
  ASSERT_TRUE(PostCommand(main_, IDM_CPU_INFO));
  ASSERT_TRUE(PostCommand(main_, IDM_DIAG_BUFFER));
  ASSERT_TRUE(PostCommand(main_, IDM_CONNECT));  // handled after the two
  EXPECT_EQ(LogSince(quiet, L"S7_Connect : OK.\r\n\tPDU méret : 240\r\n"),
            L"Prés 1 - S7_Connect : OK.\r\n\tPDU méret : 240\r\n");
}

TEST_F(DiagBufferTest, WindowListsTheEntriesNewestFirstCopiesAndSaves) {
  ASSERT_TRUE(StartTolvane());
  ASSERT_TRUE(ConnectToSimulator());
  ASSERT_TRUE(EmptyTheClipboard());
  std::size_t mark = LogMark();
  HWND window = OpenDialog(IDM_DIAG_BUFFER, kDiagTitle);
  ASSERT_NE(window, nullptr);
  LogSince(mark, L"S7_ReadSzl : OK.\r\n\tBejegyzések : 30\r\n");
  HWND list = GetDlgItem(window, IDC_DIAG_LIST);
  const std::vector<std::wstring> lines = ListBoxLines(list);
  ASSERT_EQ(lines.size(), 30u);
  EXPECT_EQ(lines[0], L"2024.03.01 08:00:00.000  16#4302  Üzemmódváltás: INDULÁS -> RUN");
  EXPECT_EQ(lines[6], L"2024.03.01 04:16:41.250  16#4563  STOP: I/O hozzáférési hiba, a hiba OB nincs betöltve");
  EXPECT_EQ(lines[13], L"2024.02.29 23:56:09.375  16#6523  Kommunikációs esemény, bejövő, belső hiba");
  EXPECT_EQ(lines[29], L"2024.02.29 14:00:39.375  16#9123  Felhasználói esemény, bejövő") << "the oldest last";

  // Resized by its frame: the list takes the room, the buttons keep to the
  // bottom right corner.
  const RECT before = WindowRect(window);
  const RECT listBefore = WindowRect(list);
  const RECT closeBefore = WindowRect(GetDlgItem(window, IDC_DIAG_CLOSE));
  ASSERT_TRUE(SetWindowPos(window, nullptr, before.left, before.top, before.right - before.left + 160,
                           before.bottom - before.top + 120, SWP_NOZORDER));
  ASSERT_TRUE(WaitUntil([&] { return WindowRect(list).right - listBefore.right == 160; }));
  const RECT listAfter = WindowRect(list);
  const RECT closeAfter = WindowRect(GetDlgItem(window, IDC_DIAG_CLOSE));
  EXPECT_EQ(listAfter.bottom - listBefore.bottom, 120);
  EXPECT_EQ(closeAfter.left - closeBefore.left, 160);
  EXPECT_EQ(closeAfter.top - closeBefore.top, 120);
  Shot(window, L"diag-buffer");

  // The selected lines by the button; every line by Ctrl+A and Ctrl+C.
  ASSERT_TRUE(Send(list, LB_SETSEL, TRUE, 0).has_value());
  ASSERT_TRUE(Send(list, LB_SETSEL, TRUE, 13).has_value());
  ASSERT_TRUE(Click(GetDlgItem(window, IDC_DIAG_COPY)));
  EXPECT_TRUE(WaitUntil([&] { return ClipboardText() == lines[0] + L"\r\n" + lines[13] + L"\r\n"; }))
      << Utf8(ClipboardText());
  ASSERT_TRUE(MouseClick(list, POINT{30, 5}));  // the keys go to the list
  ASSERT_TRUE(PressKeys(window, {VK_CONTROL, 'A'}));
  ASSERT_TRUE(PressKeys(window, {VK_CONTROL, 'C'}));
  std::wstring all;
  for (const std::wstring& line : lines) all += line + L"\r\n";
  EXPECT_TRUE(WaitUntil([&] { return ClipboardText() == all; })) << Utf8(ClipboardText());

  // "Mentés": the lines in the program's code page, the window stays open.
  const std::wstring path = dir_.File(L"puffer ő.txt");
  mark = LogMark();
  ASSERT_TRUE(Press(window, IDC_DIAG_SAVE));
  HWND save = WaitForDialog(program_->id, kDiagSaveTitle);
  ASSERT_NE(save, nullptr);
  ASSERT_TRUE(ChooseFile(save, path));
  ASSERT_TRUE(WaitClosed(save));
  std::optional<std::string> bytes;
  ASSERT_TRUE(WaitUntil([&] { return (bytes = ReadBytes(path)).has_value() && !bytes->empty(); }));
  EXPECT_EQ(Utf8OfCp1250(*bytes), Utf8(all));
  LogSince(mark, L"Diagnosztikai puffer mentése : ");
  EXPECT_TRUE(IsWindow(window));
  ASSERT_TRUE(Close(window, IDC_DIAG_CLOSE));
}

}  // namespace
}  // namespace gui
