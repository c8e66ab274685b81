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

#include "res/resource.h"
#include "tests/gui/tolvane_fixture.h"

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
  ASSERT_TRUE(StartTolvane({.args = {vat}}));

  RECT work{};
  ASSERT_TRUE(SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0));
  const int w = work.right - work.left, h = work.bottom - work.top;
  RECT r{};
  GetWindowRect(main_, &r);
  EXPECT_EQ(r.left, work.left + (w >> 3));
  EXPECT_EQ(r.top, work.top + (h >> 3));
  EXPECT_EQ(r.right - r.left, (w >> 2) * 3);
  EXPECT_EQ(r.bottom - r.top, (h >> 2) * 3);

  EXPECT_EQ(WindowText(main_), L"Tolvane - demo.vat");
  EXPECT_EQ(WaitForSimLoad(), SimLoadEntries());
  EXPECT_EQ(StatusPlc(), L" TCP : " + SimAddress() + L", Rack : 0, Slot : 2 (" + kSimNameW + L")");
  EXPECT_TRUE(WaitUntil([&] { return LooksLikeClock(Status().at(0)); })) << Utf8(Status().at(0));
  Shot(main_, L"main-after-load");

  // The load connected (creating a connection connects): connecting again
  // and the bus services of a TCP interface do nothing, posted past the menu.
  const std::wstring before = Log();
  for (int id : {IDM_CONNECT, IDM_PARTNERS, IDM_BUS_PARAMETERS}) ASSERT_TRUE(PostCommand(main_, id));
  Sync();
  EXPECT_EQ(Log(), before);

  const std::wstring running = Entry(L"S7_GetCpuState", L"\tCPU : Run\r\n");
  EXPECT_EQ(Run(IDM_CPU_STATE, running), running);
  // The time is the simulator's: only the entry up to it is known.
  const std::wstring clockHead = Entry(L"S7_GetCpuClock", L"\tCPU : ");
  const std::wstring clock = Run(IDM_GET_CLOCK, clockHead);
  EXPECT_EQ(clock.substr(0, clockHead.size()), clockHead) << Utf8(clock);
  const std::wstring stopped = Entry(L"S7_CpuStop", L"\tCPU : Stop\r\n");
  EXPECT_EQ(Run(IDM_CPU_STOP, stopped), stopped);
  EXPECT_EQ(Run(IDM_LOGOUT, Entry(L"S7_SessionLogout")), Entry(L"S7_SessionLogout"));
  EXPECT_EQ(Run(IDM_DISCONNECT, Entry(L"S7_Disconnect")), Entry(L"S7_Disconnect"));
  // Disconnected: the CPU and read commands are refused, Ctrl+R typed or
  // any of them posted; connecting works again.
  const std::wstring disconnected = Log();
  ASSERT_TRUE(PressKeys(main_, {VK_CONTROL, 'R'}));
  for (int id : {IDM_DISCONNECT, IDM_CPU_STATE, IDM_CPU_STOP, IDM_GET_CLOCK, IDM_LOGOUT, IDM_READ, IDM_WRITE})
    ASSERT_TRUE(PostCommand(main_, id));
  Sync();
  EXPECT_EQ(Log(), disconnected);
  const std::wstring connected = Entry(L"S7_Connect", L"\tPDU méret : 240\r\n");
  EXPECT_EQ(Run(IDM_CONNECT, connected), connected);
  EXPECT_EQ(Run(IDM_CPU_STATE, Entry(L"S7_GetCpuState", L"\tCPU : Stop\r\n")),
            Entry(L"S7_GetCpuState", L"\tCPU : Stop\r\n"));
  // Closing the interface closes the connection first; neither entry has a
  // name, the connection being gone when they are written.
  const std::wstring closed = Entry(L"S7_Connection_Done", L"", false) + Entry(L"S7_Interface_Done", L"", false);
  EXPECT_EQ(Run(IDM_INTERFACE_CLOSE, closed), closed);
  EXPECT_EQ(StatusPlc(), L"");
  EXPECT_EQ(WindowText(main_), L"Tolvane - demo.vat");

  ASSERT_TRUE(PressKeys(main_, {VK_MENU, 'X'}));
  EXPECT_EQ(WaitForExit(*program_, kDefaultWaitMs), std::optional<DWORD>(0));
}

TEST_F(MainWindowTest, ASecondStartBringsTheFirstForwardUnlessItNamesAFile) {
  ASSERT_TRUE(StartTolvane());
  // The members name the last instance started: the first is kept here.
  const Program* first = program_;
  HWND firstMain = main_;
  EXPECT_EQ(WindowText(firstMain), L"Tolvane");
  ASSERT_TRUE(PostMessageW(firstMain, WM_SYSCOMMAND, SC_MINIMIZE, 0));
  ASSERT_TRUE(WaitUntil([&] { return IsIconic(firstMain) != FALSE; }));

  const std::wstring exe = BesideThisProgram(L"tolvane.exe");
  const Program* second = Start(exe, {.directory = dir_.Path()});
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(WaitForExit(*second, kDefaultWaitMs), std::optional<DWORD>(0));
  EXPECT_TRUE(WaitUntil([&] { return !IsIconic(firstMain) && GetForegroundWindow() == firstMain; }))
      << "the first instance was not restored and brought forward";
  // A path that does not exist names no file, and neither does a directory.
  for (const std::wstring& path : {dir_.File(L"nincs ilyen.vat"), dir_.Path()}) {
    const Program* third = Start(exe, {.args = {path}, .directory = dir_.Path()});
    ASSERT_NE(third, nullptr);
    EXPECT_EQ(WaitForExit(*third, kDefaultWaitMs), std::optional<DWORD>(0)) << path;
  }

  // A file makes a full second instance (the path has blanks and is quoted).
  ASSERT_TRUE(StartTolvane({.args = {WriteVat(L"demo.vat", SimVat())}}));
  EXPECT_EQ(WindowText(main_), L"Tolvane - demo.vat");
  EXPECT_EQ(WaitForSimLoad(), SimLoadEntries());
  EXPECT_EQ(TopLevelWindows(first->id, L"TOLVANE").size(), 1u);

  // The close box and the exit command end an instance alike, with 0.
  ASSERT_TRUE(ClickCloseButton(main_));
  EXPECT_EQ(WaitForExit(*program_, kDefaultWaitMs), std::optional<DWORD>(0));
  ASSERT_TRUE(PostCommand(firstMain, IDM_FILE_EXIT));
  EXPECT_EQ(WaitForExit(*first, kDefaultWaitMs), std::optional<DWORD>(0));
}

TEST_F(MainWindowTest, AStartFileWhoseNameCodePage1250CannotHoldIsReportedNotLoaded) {
  ASSERT_TRUE(StartTolvane({.args = {WriteVat(L"Ŝ.vat", SimVat())}}));
  const std::wstring refused =
      L"Változó tábla betöltése : ?.vat - its name has letters that code page 1250 cannot hold. :-(\r\n";
  EXPECT_EQ(LogSince(0, refused), refused);
  EXPECT_EQ(WindowText(main_), L"Tolvane");
  EXPECT_EQ(StatusPlc(), L"");
}

TEST_F(MainWindowTest, SizeLimitsLayoutFocusAndDialogsKeptOnTheWorkArea) {
  ASSERT_TRUE(StartTolvane({.args = {WriteVat(L"demo.vat", SimVat())}}));
  WaitForSimLoad();
  RECT work{};
  ASSERT_TRUE(SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0));
  const int w = work.right - work.left, h = work.bottom - work.top;

  // Activated, the window gives the log the keyboard focus.
  ASSERT_TRUE(Activate(main_));
  GUITHREADINFO thread{sizeof thread};
  EXPECT_TRUE(WaitUntil([&] {
    return GetGUIThreadInfo(GetWindowThreadProcessId(main_, nullptr), &thread) && thread.hwndFocus == LogEdit();
  }));

  // Made as small as can be: a quarter of the work area's width plus the
  // frame, the height in the work area's proportion plus frame and status.
  RECT frame{0, 0, 0, 0};
  AdjustWindowRectEx(&frame, WS_OVERLAPPEDWINDOW, TRUE, 0);
  RECT bar{}, r{};
  GetWindowRect(StatusBar(), &bar);
  ASSERT_TRUE(SetWindowPos(main_, nullptr, work.left, work.top, 10, 10, SWP_NOZORDER | SWP_NOACTIVATE));
  GetWindowRect(main_, &r);
  EXPECT_EQ(r.right - r.left, (w >> 2) + (frame.right - frame.left));
  EXPECT_EQ(r.bottom - r.top, static_cast<LONG>(static_cast<unsigned>(h) * static_cast<unsigned>(w >> 2) /
                                                static_cast<unsigned>(w)) +
                                  (frame.bottom - frame.top) + (bar.bottom - bar.top));
  // The log lies directly above the status bar, as wide as the client area.
  RECT client{}, log{};
  GetClientRect(main_, &client);
  GetWindowRect(LogEdit(), &log);
  GetWindowRect(StatusBar(), &bar);
  EXPECT_EQ(log.bottom, bar.top);
  EXPECT_EQ(log.right - log.left, client.right);

  // Near the right edge, the about box is pushed back onto the work area.
  ASSERT_TRUE(SetWindowPos(main_, nullptr, work.right - 40, work.top + 100, 0, 0,
                           SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE));
  ASSERT_TRUE(PostCommand(main_, IDM_ABOUT));
  HWND about = WaitForDialog(program_->id, kAboutTitle);
  ASSERT_NE(about, nullptr);
  RECT box{};
  GetWindowRect(about, &box);
  EXPECT_EQ(box.right, work.right);
  ASSERT_TRUE(PressKeys(about, {VK_ESCAPE}));
  ASSERT_TRUE(WaitUntil([&] { return OpenDialogs(program_->id).empty(); }));

  // Maximised, it fills the work area.
  ASSERT_TRUE(PostMessageW(main_, WM_SYSCOMMAND, SC_MAXIMIZE, 0));
  // The maximised style is set before the window is moved, and this process
  // may look in between: the place and size are awaited, then checked.
  WaitUntil([&] {
    return IsZoomed(main_) && GetWindowRect(main_, &r) && r.left == work.left && r.top == work.top &&
           r.right - r.left == w && r.bottom - r.top == h;
  });
  GetWindowRect(main_, &r);
  EXPECT_TRUE(IsZoomed(main_));
  EXPECT_EQ(r.left, work.left);
  EXPECT_EQ(r.top, work.top);
  EXPECT_EQ(r.right - r.left, w);
  EXPECT_EQ(r.bottom - r.top, h);
}

TEST_F(MainWindowTest, TheLogKeepsItsNewestEntriesWithinItsLineLimit) {
  ASSERT_TRUE(StartTolvane({.args = {WriteVat(L"demo.vat", SimVat())}}));
  WaitForSimLoad();
  // 2 lines each: past the 400 lines, which cuts the oldest quarter. Each
  // append redraws the log, which takes Wine tens of milliseconds.
  for (int i = 0; i < 230; ++i) ASSERT_TRUE(PostCommand(main_, IDM_CPU_STATE));
  Sync(60000);
  const std::wstring log = Log();
  const std::wstring state = Entry(L"S7_GetCpuState", L"\tCPU : Run\r\n");
  const auto lines = Send(LogEdit(), EM_GETLINECOUNT, 0, 0);
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
  ASSERT_TRUE(StartTolvane({.args = {WriteVat(L"demo.vat", SimVat())}}));
  const std::wstring loaded = WaitForSimLoad();
  ASSERT_TRUE(PostCommand(main_, IDM_ABOUT));
  HWND about = WaitForDialog(program_->id, kAboutTitle);
  ASSERT_NE(about, nullptr);
  for (int id : {IDM_FILE_OPEN, IDM_CPU_STATE, IDM_ABOUT, IDM_FILE_EXIT}) ASSERT_TRUE(PostCommand(main_, id));
  // Posted messages go before typed keys: Esc comes after all of them.
  ASSERT_TRUE(PressKeys(about, {VK_ESCAPE}));
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(about); }));
  EXPECT_TRUE(OpenDialogs(program_->id).empty());
  EXPECT_TRUE(IsRunning(*program_));
  Sync();
  EXPECT_EQ(Log(), loaded);
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
  ASSERT_TRUE(StartTolvane({.args = {WriteVat(L"demo.vat", SimVat())}}));
  WaitForSimLoad();
  const int normal = LogLineHeight();
  ASSERT_GT(normal, 0);
  int height = 0;
  ASSERT_TRUE(PostCommand(main_, IDM_FONT_LARGE));
  EXPECT_TRUE(WaitUntil([&] { return (height = LogLineHeight()) > normal; })) << height << " " << normal;
  ASSERT_TRUE(PostCommand(main_, IDM_FONT_SMALL));
  EXPECT_TRUE(WaitUntil([&] { return (height = LogLineHeight()) < normal; })) << height << " " << normal;
  ASSERT_TRUE(PostCommand(main_, IDM_FONT_NORMAL));
  EXPECT_TRUE(WaitUntil([&] { return LogLineHeight() == normal; }));
  // The font menu, open, for the eye: its texts and the mark on "Normál".
  ASSERT_TRUE(PressKeys(main_, {VK_MENU, 'E'}));
  ASSERT_TRUE(PressKeys(main_, {'F'}));
  EXPECT_TRUE(WaitUntil([&] { return TopLevelWindows(program_->id, L"#32768").size() == 2; }));
  Shot(main_, L"menu-font");
  // Two Escs close the popups, the third leaves the menu bar: until it has
  // been read, the about box posted below would open inside the menu's loop
  // and that Esc would close it.
  ASSERT_TRUE(PressKeys(main_, {VK_ESCAPE}));
  ASSERT_TRUE(PressKeys(main_, {VK_ESCAPE}));
  ASSERT_TRUE(PressKeys(main_, {VK_ESCAPE}));
  EXPECT_TRUE(WaitUntil([&] { return TopLevelWindows(program_->id, L"#32768").empty() && !InMenuMode(main_); }));

  // The about box, over the middle of the main window.
  ASSERT_TRUE(PostCommand(main_, IDM_ABOUT));
  HWND about = WaitForDialog(program_->id, kAboutTitle);
  ASSERT_NE(about, nullptr);
  EXPECT_EQ(ControlText(about, IDC_ABOUT_VERSION), L"Tolvane V1.00 (Build 69)");
  EXPECT_EQ(ControlText(about, IDC_ABOUT_NAME), L"Tolvane");
  EXPECT_EQ(ControlText(about, IDOK), L"O&k");
  RECT main{}, box{};
  GetWindowRect(main_, &main);
  GetWindowRect(about, &box);
  EXPECT_NEAR((box.left + box.right) / 2, (main.left + main.right) / 2, 1);
  EXPECT_NEAR((box.top + box.bottom) / 2, (main.top + main.bottom) / 2, 1);
  Shot(main_, L"about-box");
  ASSERT_TRUE(PressKeys(about, {VK_RETURN}));
  ASSERT_TRUE(WaitUntil([&] { return OpenDialogs(program_->id).empty(); }));

  // Entries that arrive while minimised are all there after the restore,
  // drawn, with the newest in view.
  ASSERT_TRUE(PostMessageW(main_, WM_SYSCOMMAND, SC_MINIMIZE, 0));
  ASSERT_TRUE(WaitUntil([&] { return IsIconic(main_) != FALSE; }));
  constexpr int kQueries = 40;
  for (int i = 0; i < kQueries; ++i) ASSERT_TRUE(PostCommand(main_, IDM_CPU_STATE));
  const std::wstring state = Entry(L"S7_GetCpuState", L"\tCPU : Run\r\n");
  EXPECT_TRUE(WaitUntil([&] { return CountOf(Log(), state) == kQueries; }));
  EXPECT_TRUE(IsIconic(main_));
  ASSERT_TRUE(PostMessageW(main_, WM_SYSCOMMAND, SC_RESTORE, 0));
  ASSERT_TRUE(WaitUntil([&] { return !IsIconic(main_); }));
  EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(LogEdit()) != FALSE; })) << "the log's drawing stayed off";
  EXPECT_TRUE(LastLineInView(LogEdit(), normal));
  EXPECT_EQ(CountOf(Log(), state), kQueries);
  Shot(main_, L"main-log-filled");
  ASSERT_TRUE(PostCommand(main_, IDM_FONT_LARGE));
  EXPECT_TRUE(WaitUntil([&] { return LogLineHeight() > normal; }));
  Shot(main_, L"main-large-font");
}

TEST_F(MainWindowTest, TimeOutsOfStateQueriesDisconnectThoseOfTheClockDoNot) {
  VatSpec spec = SimVat();
  spec.timeoutMs = 300;
  ASSERT_TRUE(StartTolvane({.args = {WriteVat(L"lassú.vat", spec)}}));
  WaitForSimLoad();
  EXPECT_EQ(WindowText(main_), L"Tolvane - lassú.vat");

  // A clock read that times out writes its own entry and stays connected.
  const std::wstring timedOut = L" : Nem jött válasz időben.\r\n";
  const std::wstring clock = std::wstring(kSimNameW) + L" - S7_GetCpuClock" + timedOut;
  sim_.Inject({plcsim::FaultKind::NoAnswer});
  EXPECT_EQ(Run(IDM_GET_CLOCK, clock), clock);
  Sync();
  EXPECT_EQ(Log().substr(Log().size() - clock.size()), clock);
  // A state query that times out is followed by the disconnection.
  const std::wstring state = std::wstring(kSimNameW) + L" - S7_GetCpuState" + timedOut + Entry(L"S7_Disconnect");
  sim_.Inject({plcsim::FaultKind::NoAnswer});
  EXPECT_EQ(Run(IDM_CPU_STATE, state), state);
  const std::wstring after = Log();
  ASSERT_TRUE(PostCommand(main_, IDM_CPU_STATE));
  Sync();
  EXPECT_EQ(Log(), after) << "a state query ran without a connection";
  const std::wstring connected = Entry(L"S7_Connect", L"\tPDU méret : 240\r\n");
  EXPECT_EQ(Run(IDM_CONNECT, connected), connected);

  const std::wstring done = Entry(L"S7_Connection_Done", L"", false);
  EXPECT_EQ(Run(IDM_CONNECTION_CLOSE, done), done);
  EXPECT_EQ(StatusPlc(), L"TCP");
}

TEST_F(MainWindowTest, BusServicesThroughTheStandInAccessPoint) {
  // The stand-in takes its file's name in the ANSI code page: a plain path.
  TempFile bus(L"tolvane-bus.txt", "station 0 0x30\r\nstation 2 0x30 cpu\r\nstation 5 0x00\r\nstation 7 0x20\r\n"
                                   "station 9 0x10\r\nbaud 9\r\nhsa 31\r\nident MPI line 1\r\n");
  ASSERT_TRUE(bus.Written());
  VatSpec spec;
  spec.kind = "S7ONLINE";
  spec.address = "2";
  ASSERT_TRUE(StartTolvane({.args = {WriteVat(L"mpi.vat", spec)}, .env = {L"TOLVANE_SCP_STANDIN=" + bus.Path()}}));
  const std::wstring loaded =
      Entry(L"S7_Interface_Init", L"", false) + Entry(L"S7_Connection_Init", L"\tPDU méret : 240\r\n", false);
  EXPECT_EQ(LogSince(0, loaded), loaded);
  CloseReadWindow();
  EXPECT_EQ(StatusPlc(), L" S7ONLINE : 2, Rack : 0, Slot : 2");
  // Station 9's status has no text and no line.
  const std::wstring partners =
      Entry(L"S7_OnLine_Partners", L"\t  0 : active\r\n\t  2 : active\r\n\t  5 : passive\r\n\t  7 : active ready\r\n", false);
  EXPECT_EQ(Run(IDM_PARTNERS, partners), partners);
  const std::wstring head = Entry(L"S7_OnLine_BusPars", L"\tHSA\t\t: 31\r\n\tTS\t\t: 0\r\n\tType\t\t: 0\r\n\tBaud\t\t: 12M\r\n", false);
  const std::wstring tail = L"\tIdent\t\t: MPI line 1\r\n";
  // The entry ends with the ident line; the lines before it are counted.
  const std::wstring buspars = Run(IDM_BUS_PARAMETERS, tail);
  EXPECT_EQ(buspars.substr(0, head.size()), head) << Utf8(buspars);
  EXPECT_EQ(CountOf(buspars, L"\r\n"), 1 + 18) << Utf8(buspars);
  EXPECT_EQ(buspars.substr(buspars.size() - std::min(buspars.size(), tail.size())), tail);
  const std::wstring state = Entry(L"S7_GetCpuState", L"\tCPU : Run\r\n", false);
  EXPECT_EQ(Run(IDM_CPU_STATE, state), state);
  // The end closes the access point's interface on the way out.
  ASSERT_TRUE(PostCommand(main_, IDM_FILE_EXIT));
  EXPECT_EQ(WaitForExit(*program_, kDefaultWaitMs), std::optional<DWORD>(0));
}

}  // namespace
}  // namespace gui
