// tolvane.exe driven from outside against the simulator: start-up (single
// instance, position and size, the file on the command line), the commands
// of the connection and CPU menus with the log entries they write, the
// greyed commands that must do nothing however they arrive, the log font,
// the about box, minimising while entries arrive, and the ways to end.
#include <windows.h>

#include <gtest/gtest.h>

#include <cwctype>

#include "tests/gui/tolvane_app.h"
#include "tools/plcsim/plcmodel.h"

namespace gui {
namespace {

class MainWindowTest : public TolvaneTest {};

// "\t2024.03.01 13:45:07": a tab, the date, a blank and the time.
bool LooksLikeClock(const std::wstring& text) {
  if (text.size() < 10 || text[0] != L'\t') return false;
  const std::size_t blank = text.find(L' ');
  if (blank == std::wstring::npos || text.size() - blank - 1 != 8) return false;
  const std::wstring time = text.substr(blank + 1);
  for (std::size_t i = 0; i < time.size(); ++i) {
    if ((i == 2 || i == 5) ? time[i] != L':' : !std::iswdigit(time[i])) return false;
  }
  return true;
}

TEST_F(MainWindowTest, CommandLineFileLoadsAndTheCommandsLogTheirEntries) {
  const std::wstring vat = WriteVat(L"demo.vat", SimVat());
  App app = StartTolvane({vat});
  ASSERT_NE(app.main, nullptr);

  RECT work{};
  ASSERT_TRUE(SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0));
  const int w = work.right - work.left, h = work.bottom - work.top;
  RECT r{};
  GetWindowRect(app.main, &r);
  EXPECT_EQ(r.left, work.left + (w >> 3));
  EXPECT_EQ(r.top, work.top + (h >> 3));
  EXPECT_EQ(r.right - r.left, (w >> 2) * 3);
  EXPECT_EQ(r.bottom - r.top, (h >> 2) * 3);

  EXPECT_EQ(WindowText(app.main), L"Tolvane - demo.vat");
  EXPECT_EQ(LogSince(app, 0, 1), L"S7_Interface_Init : OK.\r\n" + Entry(L"S7_Connection_Init", L"\tPDU méret : 240\r\n"));
  EXPECT_EQ(Status(app).at(1), L" TCP : " + SimAddress() +
                                   L", Rack : 0, Slot : 2 (" + kSimNameW + L")");
  EXPECT_TRUE(WaitUntil([&] { return LooksLikeClock(Status(app).at(0)); })) << Utf8(Status(app).at(0));
  std::wstring error;
  EXPECT_FALSE(Screenshot(app.main, L"main-after-load", &error).empty()) << Utf8(error);

  // The load connected (creating a connection connects): connecting again,
  // the bus services of a TCP interface and Ctrl+R (greyed while its dialog
  // is missing) do nothing, whether typed or posted past the menu.
  const std::wstring before = Log(app);
  ASSERT_TRUE(PressKeys(app.main, {VK_CONTROL, 'R'}));
  for (int id : {508, 510, 511, 519}) ASSERT_TRUE(PostCommand(app.main, id));
  Sync(app);
  EXPECT_EQ(Log(app), before);

  const std::wstring running = Entry(L"S7_GetCpuState", L"\tCPU : Run\r\n");
  EXPECT_EQ(Run(app, 512, running), running);
  const std::wstring clock = Run(app, 515, Entry(L"S7_GetCpuClock", L"\tCPU : 2024.01.01 00:00:00\r\n"));
  EXPECT_EQ(clock.substr(0, Entry(L"S7_GetCpuClock", L"\tCPU : ").size()), Entry(L"S7_GetCpuClock", L"\tCPU : "))
      << Utf8(clock);
  const std::wstring stopped = Entry(L"S7_CpuStop", L"\tCPU : Stop\r\n");
  EXPECT_EQ(Run(app, 514, stopped), stopped);
  EXPECT_EQ(Run(app, 518, Entry(L"S7_SessionLogout")), Entry(L"S7_SessionLogout"));
  EXPECT_EQ(Run(app, 509, Entry(L"S7_Disconnect")), Entry(L"S7_Disconnect"));
  // Disconnected: the CPU commands are refused, connecting works again.
  const std::wstring disconnected = Log(app);
  for (int id : {509, 512, 514, 515, 518}) ASSERT_TRUE(PostCommand(app.main, id));
  Sync(app);
  EXPECT_EQ(Log(app), disconnected);
  const std::wstring connected = Entry(L"S7_Connect", L"\tPDU méret : 240\r\n");
  EXPECT_EQ(Run(app, 508, connected), connected);
  EXPECT_EQ(Run(app, 512, Entry(L"S7_GetCpuState", L"\tCPU : Stop\r\n")), Entry(L"S7_GetCpuState", L"\tCPU : Stop\r\n"));
  // Closing the interface closes the connection first; neither entry has a
  // name, the connection being gone when they are written.
  const std::wstring closed = Entry(L"S7_Connection_Done", L"", false) + Entry(L"S7_Interface_Done", L"", false);
  EXPECT_EQ(Run(app, 504, closed), closed);
  EXPECT_EQ(Status(app).at(1), L"");
  EXPECT_EQ(WindowText(app.main), L"Tolvane - demo.vat");

  ASSERT_TRUE(PressKeys(app.main, {VK_MENU, 'X'}));
  EXPECT_EQ(WaitForExit(*app.program, kDefaultWaitMs), std::optional<DWORD>(0));
}

}  // namespace
}  // namespace gui
