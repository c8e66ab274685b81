// tolvane.exe driven from outside against the simulator and the stand-in
// access point: start-up (single instance, position and size, the file on
// the command line), the connection, CPU and bus commands with the log
// entries they write, time-outs, greyed commands and commands posted under a
// modal dialog that must do nothing, the log font, the about box, size
// limits and layout, the log while minimised and at its line limit, and the
// ways to end.
#include <windows.h>

#include <gtest/gtest.h>

#include <cwctype>

#include "tests/gui/tolvane_app.h"

namespace gui {
namespace {

class MainWindowTest : public TolvaneTest {};

int CountOf(const std::wstring& text, const std::wstring& part) {
  int n = 0;
  for (std::size_t at = text.find(part); at != std::wstring::npos; at = text.find(part, at + part.size())) ++n;
  return n;
}

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
  EXPECT_EQ(WaitForSimLoad(app), SimLoadEntries());
  EXPECT_EQ(Status(app).at(1), L" TCP : " + SimAddress() +
                                   L", Rack : 0, Slot : 2 (" + kSimNameW + L")");
  EXPECT_TRUE(WaitUntil([&] { return LooksLikeClock(Status(app).at(0)); })) << Utf8(Status(app).at(0));
  std::wstring error;
  EXPECT_FALSE(Screenshot(app.main, L"main-after-load", &error).empty()) << Utf8(error);

  // The load connected (creating a connection connects): connecting again
  // and the bus services of a TCP interface do nothing, posted past the menu.
  const std::wstring before = Log(app);
  for (int id : {508, 510, 511}) ASSERT_TRUE(PostCommand(app.main, id));
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
  // Disconnected: the CPU and read commands are refused, Ctrl+R typed or
  // any of them posted; connecting works again.
  const std::wstring disconnected = Log(app);
  ASSERT_TRUE(PressKeys(app.main, {VK_CONTROL, 'R'}));
  for (int id : {509, 512, 514, 515, 518, 519, 520}) ASSERT_TRUE(PostCommand(app.main, id));
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

TEST_F(MainWindowTest, ASecondStartBringsTheFirstForwardUnlessItNamesAFile) {
  App first = StartTolvane();
  ASSERT_NE(first.main, nullptr);
  EXPECT_EQ(WindowText(first.main), L"Tolvane");
  ASSERT_TRUE(PostMessageW(first.main, WM_SYSCOMMAND, SC_MINIMIZE, 0));
  ASSERT_TRUE(WaitUntil([&] { return IsIconic(first.main) != FALSE; }));

  const std::wstring exe = BesideThisProgram(L"tolvane.exe");
  const Program* second = Start(exe, {.directory = dir_.Path()});
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(WaitForExit(*second, kDefaultWaitMs), std::optional<DWORD>(0));
  EXPECT_TRUE(WaitUntil([&] { return !IsIconic(first.main) && GetForegroundWindow() == first.main; }))
      << "the first instance was not restored and brought forward";
  // A path that does not exist names no file, and neither does a directory.
  for (const std::wstring& path : {dir_.File(L"nincs ilyen.vat"), dir_.Path()}) {
    const Program* third = Start(exe, {.args = {path}, .directory = dir_.Path()});
    ASSERT_NE(third, nullptr);
    EXPECT_EQ(WaitForExit(*third, kDefaultWaitMs), std::optional<DWORD>(0)) << path;
  }

  // A file makes a full second instance (the path has blanks and is quoted).
  App fourth = StartTolvane({WriteVat(L"demo.vat", SimVat())});
  ASSERT_NE(fourth.main, nullptr);
  EXPECT_EQ(WindowText(fourth.main), L"Tolvane - demo.vat");
  EXPECT_EQ(WaitForSimLoad(fourth), SimLoadEntries());
  EXPECT_EQ(TopLevelWindows(first.program->id, L"TOLVANE").size(), 1u);

  // The close box and the exit command end an instance alike, with 0.
  ASSERT_TRUE(ClickCloseButton(fourth.main));
  EXPECT_EQ(WaitForExit(*fourth.program, kDefaultWaitMs), std::optional<DWORD>(0));
  ASSERT_TRUE(PostCommand(first.main, 502));
  EXPECT_EQ(WaitForExit(*first.program, kDefaultWaitMs), std::optional<DWORD>(0));
}

TEST_F(MainWindowTest, AStartFileWhoseNameCodePage1250CannotHoldIsReportedNotLoaded) {
  App app = StartTolvane({WriteVat(L"Ŝ.vat", SimVat())});
  ASSERT_NE(app.main, nullptr);
  const std::wstring refused =
      L"Változó tábla betöltése : ?.vat - its name has letters that code page 1250 cannot hold. :-(\r\n";
  EXPECT_EQ(LogSince(app, 0, refused.size()), refused);
  EXPECT_EQ(WindowText(app.main), L"Tolvane");
  EXPECT_EQ(Status(app).at(1), L"");
}

TEST_F(MainWindowTest, SizeLimitsLayoutFocusAndDialogsKeptOnTheWorkArea) {
  App app = StartTolvane({WriteVat(L"demo.vat", SimVat())});
  ASSERT_NE(app.main, nullptr);
  WaitForSimLoad(app);
  RECT work{};
  ASSERT_TRUE(SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0));
  const int w = work.right - work.left, h = work.bottom - work.top;

  // Activated, the window gives the log the keyboard focus.
  ASSERT_TRUE(Activate(app.main));
  GUITHREADINFO thread{sizeof thread};
  EXPECT_TRUE(WaitUntil([&] {
    return GetGUIThreadInfo(GetWindowThreadProcessId(app.main, nullptr), &thread) && thread.hwndFocus == app.log;
  }));

  // Made as small as can be: a quarter of the work area's width plus the
  // frame, the height in the work area's proportion plus frame and status.
  RECT frame{0, 0, 0, 0};
  AdjustWindowRectEx(&frame, WS_OVERLAPPEDWINDOW, TRUE, 0);
  RECT bar{}, r{};
  GetWindowRect(app.status, &bar);
  ASSERT_TRUE(SetWindowPos(app.main, nullptr, work.left, work.top, 10, 10, SWP_NOZORDER | SWP_NOACTIVATE));
  GetWindowRect(app.main, &r);
  EXPECT_EQ(r.right - r.left, (w >> 2) + (frame.right - frame.left));
  EXPECT_EQ(r.bottom - r.top, static_cast<LONG>(static_cast<unsigned>(h) * static_cast<unsigned>(w >> 2) /
                                                static_cast<unsigned>(w)) +
                                  (frame.bottom - frame.top) + (bar.bottom - bar.top));
  // The log lies directly above the status bar, as wide as the client area.
  RECT client{}, log{};
  GetClientRect(app.main, &client);
  GetWindowRect(app.log, &log);
  GetWindowRect(app.status, &bar);
  EXPECT_EQ(log.bottom, bar.top);
  EXPECT_EQ(log.right - log.left, client.right);

  // Near the right edge, the about box is pushed back onto the work area.
  ASSERT_TRUE(SetWindowPos(app.main, nullptr, work.right - 40, work.top + 100, 0, 0,
                           SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE));
  ASSERT_TRUE(PostCommand(app.main, 524));
  HWND about = WaitForDialog(app.program->id, L"Tolvane névjegy");
  ASSERT_NE(about, nullptr);
  RECT box{};
  GetWindowRect(about, &box);
  EXPECT_EQ(box.right, work.right);
  ASSERT_TRUE(PressKeys(about, {VK_ESCAPE}));
  ASSERT_TRUE(WaitUntil([&] { return OpenDialogs(app.program->id).empty(); }));

  // Maximised, it fills the work area.
  RECT restored{};
  ASSERT_TRUE(GetWindowRect(app.main, &restored));
  ASSERT_TRUE(PostMessageW(app.main, WM_SYSCOMMAND, SC_MAXIMIZE, 0));
  // The maximised style is set before the window is moved (in one step):
  // wait for both.
  EXPECT_TRUE(WaitUntil([&] {
    return IsZoomed(app.main) && GetWindowRect(app.main, &r) && !EqualRect(&r, &restored);
  }));
  EXPECT_EQ(r.left, work.left);
  EXPECT_EQ(r.top, work.top);
  EXPECT_EQ(r.right - r.left, w);
  EXPECT_EQ(r.bottom - r.top, h);
}

TEST_F(MainWindowTest, TheLogKeepsItsNewestEntriesWithinItsLineLimit) {
  App app = StartTolvane({WriteVat(L"demo.vat", SimVat())});
  ASSERT_NE(app.main, nullptr);
  WaitForSimLoad(app);
  // 2 lines each: past the 400 lines, which cuts the oldest quarter. Each
  // append redraws the log, which takes Wine tens of milliseconds.
  for (int i = 0; i < 230; ++i) ASSERT_TRUE(PostCommand(app.main, 512));
  Sync(app, 60000);
  const std::wstring log = Log(app);
  const std::wstring state = Entry(L"S7_GetCpuState", L"\tCPU : Run\r\n");
  const auto lines = Send(app.log, EM_GETLINECOUNT, 0, 0);
  ASSERT_TRUE(lines.has_value());
  EXPECT_GE(*lines, 300 + 1);
  EXPECT_LE(*lines, 400 + 1);
  // Cut at entry boundaries only.
  EXPECT_EQ(log.size() % state.size(), 0u);
  EXPECT_EQ(CountOf(log, state) * state.size(), log.size());
}

// Under a modal dialog the main window is disabled and the user reaches
// none of its commands; posted ones must not run inside the dialog either
// (a second dialog over the first, the window destroyed under it).
TEST_F(MainWindowTest, CommandsPostedUnderAModalDialogDoNothing) {
  App app = StartTolvane({WriteVat(L"demo.vat", SimVat())});
  ASSERT_NE(app.main, nullptr);
  const std::wstring loaded = WaitForSimLoad(app);
  ASSERT_TRUE(PostCommand(app.main, 524));
  HWND about = WaitForDialog(app.program->id, L"Tolvane névjegy");
  ASSERT_NE(about, nullptr);
  for (int id : {500, 512, 524, 502}) ASSERT_TRUE(PostCommand(app.main, id));
  // Posted messages go before typed keys: Esc comes after all of them.
  ASSERT_TRUE(PressKeys(about, {VK_ESCAPE}));
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(about); }));
  EXPECT_TRUE(OpenDialogs(app.program->id).empty());
  EXPECT_TRUE(IsRunning(*app.program));
  Sync(app);
  EXPECT_EQ(Log(app), loaded);
}

// The first line of the log that the view shows, and whether the last line
// (the caret's, after the final line end) is in view.
bool LastLineInView(HWND log, int lineHeight) {
  RECT client{};
  const auto first = Send(log, EM_GETFIRSTVISIBLELINE, 0, 0);
  const auto count = Send(log, EM_GETLINECOUNT, 0, 0);
  if (!first || !count || lineHeight <= 0 || !GetClientRect(log, &client)) return false;
  const LRESULT visible = (client.bottom - client.top) / lineHeight;
  return *first > 0 && *first + visible >= *count;
}


TEST_F(MainWindowTest, FontsAboutBoxAndEntriesArrivingWhileMinimised) {
  App app = StartTolvane({WriteVat(L"demo.vat", SimVat())});
  ASSERT_NE(app.main, nullptr);
  WaitForSimLoad(app);
  const int normal = LogLineHeight(app);
  ASSERT_GT(normal, 0);
  int height = 0;
  ASSERT_TRUE(PostCommand(app.main, 523));
  EXPECT_TRUE(WaitUntil([&] { return (height = LogLineHeight(app)) > normal; })) << height << " " << normal;
  ASSERT_TRUE(PostCommand(app.main, 521));
  EXPECT_TRUE(WaitUntil([&] { return (height = LogLineHeight(app)) < normal; })) << height << " " << normal;
  ASSERT_TRUE(PostCommand(app.main, 522));
  EXPECT_TRUE(WaitUntil([&] { return LogLineHeight(app) == normal; }));
  // The font menu, open, for the eye: its texts and the mark on "Normál".
  ASSERT_TRUE(PressKeys(app.main, {VK_MENU, 'E'}));
  ASSERT_TRUE(PressKeys(app.main, {'F'}));
  EXPECT_TRUE(WaitUntil([&] { return TopLevelWindows(app.program->id, L"#32768").size() == 2; }));
  std::wstring error;
  EXPECT_FALSE(Screenshot(app.main, L"menu-font", &error).empty()) << Utf8(error);
  // Two Escs close the popups, the third leaves the menu bar: until it has
  // been read, the about box posted below would open inside the menu's loop
  // and that Esc would close it.
  ASSERT_TRUE(PressKeys(app.main, {VK_ESCAPE}));
  ASSERT_TRUE(PressKeys(app.main, {VK_ESCAPE}));
  ASSERT_TRUE(PressKeys(app.main, {VK_ESCAPE}));
  EXPECT_TRUE(WaitUntil([&] { return TopLevelWindows(app.program->id, L"#32768").empty() && !InMenuMode(app.main); }));

  // The about box, over the middle of the main window.
  ASSERT_TRUE(PostCommand(app.main, 524));
  HWND about = WaitForDialog(app.program->id, L"Tolvane névjegy");
  ASSERT_NE(about, nullptr);
  EXPECT_EQ(ControlText(about, 1001), L"Tolvane V1.00 (Build 69)");
  EXPECT_EQ(ControlText(about, 1002), L"Tolvane");
  EXPECT_EQ(ControlText(about, IDOK), L"O&k");
  RECT main{}, box{};
  GetWindowRect(app.main, &main);
  GetWindowRect(about, &box);
  EXPECT_NEAR((box.left + box.right) / 2, (main.left + main.right) / 2, 1);
  EXPECT_NEAR((box.top + box.bottom) / 2, (main.top + main.bottom) / 2, 1);
  EXPECT_FALSE(Screenshot(app.main, L"about-box", &error).empty()) << Utf8(error);
  ASSERT_TRUE(PressKeys(about, {VK_RETURN}));
  ASSERT_TRUE(WaitUntil([&] { return OpenDialogs(app.program->id).empty(); }));

  // Entries that arrive while minimised are all there after the restore,
  // drawn, with the newest in view.
  ASSERT_TRUE(PostMessageW(app.main, WM_SYSCOMMAND, SC_MINIMIZE, 0));
  ASSERT_TRUE(WaitUntil([&] { return IsIconic(app.main) != FALSE; }));
  constexpr int kQueries = 40;
  for (int i = 0; i < kQueries; ++i) ASSERT_TRUE(PostCommand(app.main, 512));
  const std::wstring state = Entry(L"S7_GetCpuState", L"\tCPU : Run\r\n");
  EXPECT_TRUE(WaitUntil([&] { return CountOf(Log(app), state) == kQueries; }));
  EXPECT_TRUE(IsIconic(app.main));
  ASSERT_TRUE(PostMessageW(app.main, WM_SYSCOMMAND, SC_RESTORE, 0));
  ASSERT_TRUE(WaitUntil([&] { return !IsIconic(app.main); }));
  EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(app.log) != FALSE; })) << "the log's drawing stayed off";
  EXPECT_TRUE(LastLineInView(app.log, normal));
  EXPECT_EQ(CountOf(Log(app), state), kQueries);
  EXPECT_FALSE(Screenshot(app.main, L"main-log-filled", &error).empty()) << Utf8(error);
  ASSERT_TRUE(PostCommand(app.main, 523));
  EXPECT_TRUE(WaitUntil([&] { return LogLineHeight(app) > normal; }));
  EXPECT_FALSE(Screenshot(app.main, L"main-large-font", &error).empty()) << Utf8(error);
}

TEST_F(MainWindowTest, TimeOutsOfStateQueriesDisconnectThoseOfTheClockDoNot) {
  VatSpec spec = SimVat();
  spec.timeoutMs = 300;
  App app = StartTolvane({WriteVat(L"lassú.vat", spec)});
  ASSERT_NE(app.main, nullptr);
  WaitForSimLoad(app);
  EXPECT_EQ(WindowText(app.main), L"Tolvane - lassú.vat");

  // A clock read that times out writes its own entry and stays connected.
  const std::wstring timedOut = L" : Nem jött válasz időben.\r\n";
  const std::wstring clock = std::wstring(kSimNameW) + L" - S7_GetCpuClock" + timedOut;
  sim_.Inject({plcsim::FaultKind::NoAnswer});
  EXPECT_EQ(Run(app, 515, clock), clock);
  Sync(app);
  EXPECT_EQ(Log(app).substr(Log(app).size() - clock.size()), clock);
  // A state query that times out is followed by the disconnection.
  const std::wstring state = std::wstring(kSimNameW) + L" - S7_GetCpuState" + timedOut + Entry(L"S7_Disconnect");
  sim_.Inject({plcsim::FaultKind::NoAnswer});
  EXPECT_EQ(Run(app, 512, state), state);
  const std::wstring after = Log(app);
  ASSERT_TRUE(PostCommand(app.main, 512));
  Sync(app);
  EXPECT_EQ(Log(app), after) << "a state query ran without a connection";
  const std::wstring connected = Entry(L"S7_Connect", L"\tPDU méret : 240\r\n");
  EXPECT_EQ(Run(app, 508, connected), connected);

  const std::wstring done = Entry(L"S7_Connection_Done", L"", false);
  EXPECT_EQ(Run(app, 506, done), done);
  EXPECT_EQ(Status(app).at(1), L"TCP");
}

TEST_F(MainWindowTest, BusServicesThroughTheStandInAccessPoint) {
  // The stand-in takes its file's name in the ANSI code page: a plain path.
  TempFile bus(L"tolvane-bus.txt", "station 0 0x30\r\nstation 2 0x30 cpu\r\nstation 5 0x00\r\nstation 7 0x20\r\n"
                                   "station 9 0x10\r\nbaud 9\r\nhsa 31\r\nident MPI line 1\r\n");
  ASSERT_TRUE(bus.Written());
  VatSpec spec;
  spec.kind = "S7ONLINE";
  spec.address = "2";
  App app = StartTolvane({WriteVat(L"mpi.vat", spec)}, {L"TOLVANE_SCP_STANDIN=" + bus.Path()});
  ASSERT_NE(app.main, nullptr);
  const std::wstring loaded =
      Entry(L"S7_Interface_Init", L"", false) + Entry(L"S7_Connection_Init", L"\tPDU méret : 240\r\n", false);
  EXPECT_EQ(LogSince(app, 0, loaded.size()), loaded);
  CloseReadWindow(app);
  EXPECT_EQ(Status(app).at(1), L" S7ONLINE : 2, Rack : 0, Slot : 2");
  // Station 9's status has no text and no line.
  const std::wstring partners =
      Entry(L"S7_OnLine_Partners", L"\t  0 : active\r\n\t  2 : active\r\n\t  5 : passive\r\n\t  7 : active ready\r\n", false);
  EXPECT_EQ(Run(app, 510, partners), partners);
  const std::wstring head = Entry(L"S7_OnLine_BusPars", L"\tHSA\t\t: 31\r\n\tTS\t\t: 0\r\n\tType\t\t: 0\r\n\tBaud\t\t: 12M\r\n", false);
  const std::wstring tail = L"\tIdent\t\t: MPI line 1\r\n";
  const std::wstring buspars = Run(app, 511, head + tail);
  EXPECT_EQ(buspars.substr(0, head.size()), head) << Utf8(buspars);
  EXPECT_EQ(CountOf(buspars, L"\r\n"), 1 + 18) << Utf8(buspars);
  EXPECT_EQ(buspars.substr(buspars.size() - std::min(buspars.size(), tail.size())), tail);
  const std::wstring state = Entry(L"S7_GetCpuState", L"\tCPU : Run\r\n", false);
  EXPECT_EQ(Run(app, 512, state), state);
  // The end closes the access point's interface on the way out.
  ASSERT_TRUE(PostCommand(app.main, 502));
  EXPECT_EQ(WaitForExit(*app.program, kDefaultWaitMs), std::optional<DWORD>(0));
}

}  // namespace
}  // namespace gui
