// The read-variables window of tolvane.exe against the simulator, driven from
// outside: opened by a .vat file on the command line (read at once, then
// cyclically), the values beside their addresses, changed lines rewritten
// alone, the click and the display-mode menu of the list, a PLC that fails or
// is slow, the main window hidden and given back, and the program closed
// while the window reads.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <mutex>
#include <string>
#include <vector>

#include "res/resource.h"
#include "tests/gui/tolvane_fixture.h"

namespace gui {
namespace {

class ReadWindowTest : public TolvaneTest {
 protected:
  void TearDown() override {
    TolvaneTest::TearDown();
    if (readThread_) CloseHandle(readThread_);
  }

  void Memory(std::uint8_t area, int db, int offset, plcsim::Bytes bytes) {
    ASSERT_TRUE(sim_.Model().WriteMemory(area, db, offset, bytes));
  }

  // A table file for the simulator, named "Sim", in the test's folder.
  std::wstring WriteTable(int timeoutMs, const std::vector<VatVar>& vars) {
    VatSpec spec = SimVat();
    spec.name = "Sim";
    spec.timeoutMs = timeoutMs;
    spec.vars = vars;
    return WriteVat(L"read.vat", spec);
  }

  // Starts tolvane.exe with the file and waits for the read window.
  bool Open(const std::wstring& vat) { return StartTolvane({.args = {vat}}) && TakeReadWindow(); }

  // The read window, its list, and its thread, whose end is the sign that
  // the main window takes commands again.
  bool TakeReadWindow() {
    read_ = WaitForReadWindow();
    list_ = read_ ? GetDlgItem(read_, IDC_READ_LIST) : nullptr;
    if (readThread_) CloseHandle(readThread_);
    readThreadId_ = read_ ? GetWindowThreadProcessId(read_, nullptr) : 0;
    readThread_ = read_ ? OpenThread(SYNCHRONIZE, FALSE, readThreadId_) : nullptr;
    return read_ && list_ && readThread_;
  }

  std::vector<std::wstring> Lines() { return ListBoxLines(list_); }
  std::wstring Line(int index) { return ListBoxLine(list_, index); }
  // Failing, says what the line shows and what the log holds (a read that
  // failed stops the refreshing for good, and says so there).
  ::testing::AssertionResult WaitForLine(int index, const std::wstring& text, DWORD timeoutMs = kDefaultWaitMs) {
    if (WaitUntil([&] { return Line(index) == text; }, timeoutMs)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "line " << index << " shows \"" << Utf8(Line(index)) << "\"; the log:\n"
                                         << Utf8(Log());
  }
  LRESULT ListMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    return Send(list_, message, wParam, lParam).value_or(-2);
  }
  // The middle of a line in the list's client coordinates.
  POINT LinePoint(int index) {
    const LRESULT height = ListMessage(LB_GETITEMHEIGHT);
    const LRESULT top = ListMessage(LB_GETTOPINDEX);
    return POINT{40, static_cast<LONG>((index - top) * height + height / 2)};
  }
  // A left click on a line, done once the selection is as expected and the
  // list has let go of the mouse (it follows the pointer until then).
  bool ClickLine(int index, LRESULT selectionAfter) {
    if (!MouseClick(list_, LinePoint(index))) return false;
    GUITHREADINFO info{sizeof info};
    return WaitUntil([&] {
      return ListMessage(LB_GETCURSEL) == selectionAfter && GetGUIThreadInfo(readThreadId_, &info) &&
             info.hwndCapture == nullptr;
    });
  }
  bool Checked(int id) { return IsChecked(GetDlgItem(read_, id)); }
  bool Enabled(int id) { return IsWindowEnabled(GetDlgItem(read_, id)) != FALSE; }
  void ClickButton(int id) { Click(GetDlgItem(read_, id)); }
  // Chooses an interval as the user does: the entry, then the list's notice.
  void ChooseInterval(int index) {
    HWND box = GetDlgItem(read_, IDC_READ_INTERVAL);
    Send(box, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    PostMessageW(read_, WM_COMMAND, MAKEWPARAM(IDC_READ_INTERVAL, CBN_SELCHANGE), reinterpret_cast<LPARAM>(box));
  }
  // A control's rectangle in the read window's client coordinates.
  RECT ChildRect(int id) {
    RECT r{};
    GetWindowRect(GetDlgItem(read_, id), &r);
    MapWindowPoints(nullptr, read_, reinterpret_cast<POINT*>(&r), 2);
    return r;
  }
  // Resized, the list takes the room; the bottom row, the separator and the
  // close button keep their distance from the bottom edge; and the window
  // never gets smaller than the bottom row and half the list.
  void ExpectLayoutFollowsSize() {
    RECT client{};
    GetClientRect(read_, &client);
    const RECT list = ChildRect(IDC_READ_LIST), hide = ChildRect(IDC_READ_HIDE_MAIN),
               close = ChildRect(IDC_READ_CLOSE);
    SetWindowPos(read_, nullptr, 0, 0, 640, 560, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    RECT bigger{};
    GetClientRect(read_, &bigger);
    ASSERT_GT(bigger.right, client.right);
    ASSERT_GT(bigger.bottom, client.bottom);
    const RECT list2 = ChildRect(IDC_READ_LIST), hide2 = ChildRect(IDC_READ_HIDE_MAIN),
               close2 = ChildRect(IDC_READ_CLOSE), refresh2 = ChildRect(IDC_READ_REFRESH);
    EXPECT_EQ(list2.left, list.left);
    EXPECT_EQ(list2.top, list.top);
    EXPECT_EQ(bigger.right - list2.right, client.right - list.right);
    EXPECT_EQ(bigger.bottom - list2.bottom, client.bottom - list.bottom);
    EXPECT_EQ(bigger.right - hide2.right, client.right - hide.right) << "the hide box at the right margin";
    EXPECT_EQ(bigger.bottom - hide2.top, client.bottom - hide.top);
    EXPECT_EQ(refresh2.left, list.left) << "the refresh box at the left margin";
    EXPECT_LE(std::abs((close2.left + close2.right) - bigger.right), 1) << "the close button centred";
    EXPECT_EQ(bigger.bottom - close2.top, client.bottom - close.top);
    Shot(read_, L"readwindow-resized");
    SetWindowPos(read_, nullptr, 0, 0, 20, 20, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    const RECT refresh3 = ChildRect(IDC_READ_REFRESH), interval3 = ChildRect(IDC_READ_INTERVAL),
               hide3 = ChildRect(IDC_READ_HIDE_MAIN), list3 = ChildRect(IDC_READ_LIST);
    EXPECT_LE(refresh3.right, interval3.left);
    EXPECT_LE(interval3.right, hide3.left) << "the bottom row does not overlap";
    EXPECT_GE(list3.bottom - list3.top, (list.bottom - list.top) / 2 - 1);
  }
  // The window closed and its thread ended.
  bool ReadWindowGone() {
    return WaitUntil([&] { return !IsWindow(read_); }) &&
           WaitForSingleObject(readThread_, kDefaultWaitMs) == WAIT_OBJECT_0;
  }
  // Closes the program through its main window; it must end on its own, well.
  void CloseProgram() {
    PostMessageW(main_, WM_CLOSE, 0, 0);
    const auto code = WaitForExit(*program_, 20000);
    ASSERT_TRUE(code.has_value()) << "tolvane.exe did not end";
    EXPECT_EQ(*code, 0u);
  }

  HWND read_ = nullptr;
  HWND list_ = nullptr;
  HANDLE readThread_ = nullptr;
  DWORD readThreadId_ = 0;
};

// Three Ints with names, a Word, and 30 bytes: more lines than the list shows.
const std::vector<VatVar> kTable = {
    {"DB1.DBW0:3 (Int)", {"Name0 = Fordulatszám", "Name1 = Nyomaték", "Name2 = Hőfok"}},
    {"MW10:1 (Word)"},
    {"DB2.DBB0:30 (Byte)"},
};

TEST_F(ReadWindowTest, ShowsThePlcAndRewritesOnlyChangedLines) {
  Memory(plcsim::kAreaDataBlock, 1, 0, {0x04, 0xD2, 0xFF, 0x85, 0x00, 0x07});
  Memory(plcsim::kAreaFlags, 0, 10, {0xBE, 0xEF});
  plcsim::Bytes bytes;
  for (int i = 0; i < 30; ++i) bytes.push_back(static_cast<std::uint8_t>(i * 3));
  Memory(plcsim::kAreaDataBlock, 2, 0, bytes);
  ASSERT_TRUE(Open(WriteTable(1000, kTable)));

  // Read at opening: the simulator's values beside their addresses and names.
  const auto lines = Lines();
  ASSERT_EQ(lines.size(), 34u);
  EXPECT_EQ(std::vector<std::wstring>(lines.begin(), lines.begin() + 5),
            (std::vector<std::wstring>{
                L" DB1.DBW0  : Fordulatszám = 1 234 ",
                L" DB1.DBW2  : Nyomaték     = -123 ",
                L" DB1.DBW4  : Hőfok        = 7 ",
                L" MW10      :              = 0xbeef ",
                L" DB2.DBB0  :              = 0x00 ",
            }));
  EXPECT_EQ(lines[33], L" DB2.DBB29 :              = 0x57 ");
  EXPECT_FALSE(IsWindowEnabled(main_)) << "the main window waits while the read window reads";
  EXPECT_TRUE(Checked(IDC_READ_REFRESH));
  EXPECT_TRUE(Enabled(IDC_READ_INTERVAL));
  EXPECT_EQ(ComboBoxSelection(GetDlgItem(read_, IDC_READ_INTERVAL)), 3) << "1 mp";
  Shot(read_, L"readwindow-names");

  // Every line marked: a line the window rewrites comes back unmarked.
  for (int i = 0; i < 34; ++i) ListMessage(LB_SETITEMDATA, static_cast<WPARAM>(i), 1000 + i);
  ASSERT_TRUE(ClickLine(1, 1));
  ListMessage(LB_SETTOPINDEX, 10);
  ASSERT_EQ(ListMessage(LB_GETTOPINDEX), 10);
  Memory(plcsim::kAreaDataBlock, 1, 2, {0x00, 0x05});
  Memory(plcsim::kAreaDataBlock, 2, 15, {0xAA});
  ASSERT_TRUE(WaitForLine(19, L" DB2.DBB15 :              = 0xaa "));
  ASSERT_TRUE(WaitForLine(1, L" DB1.DBW2  : Nyomaték     = 5 "));
  EXPECT_EQ(ListMessage(LB_GETCURSEL), 1) << "the selected line was rewritten and stays selected";
  EXPECT_EQ(ListMessage(LB_GETTOPINDEX), 10) << "the list stays scrolled where it was";
  for (int i = 0; i < 34; ++i) {
    const LRESULT mark = ListMessage(LB_GETITEMDATA, static_cast<WPARAM>(i));
    if (i == 1 || i == 19)
      EXPECT_EQ(mark, 0) << "line " << i << " changed and was rewritten";
    else
      EXPECT_EQ(mark, 1000 + i) << "line " << i << " did not change and was rewritten";
  }

  Shot(read_, L"readwindow-refreshed");

  // A click on the selected line deselects it, and the window keeps it so.
  ListMessage(LB_SETTOPINDEX, 0);
  ASSERT_TRUE(ClickLine(1, -1));
  Memory(plcsim::kAreaDataBlock, 1, 4, {0x00, 0x08});
  ASSERT_TRUE(WaitForLine(2, L" DB1.DBW4  : Hőfok        = 8 "));
  EXPECT_EQ(ListMessage(LB_GETCURSEL), -1);
  ASSERT_TRUE(ClickLine(3, 3));
  Memory(plcsim::kAreaDataBlock, 1, 4, {0x00, 0x09});
  ASSERT_TRUE(WaitForLine(2, L" DB1.DBW4  : Hőfok        = 9 "));
  EXPECT_EQ(ListMessage(LB_GETCURSEL), 3);

  // The display modes of the line under the right button.
  ASSERT_TRUE(MouseClick(list_, LinePoint(0), true));
  ASSERT_TRUE(WaitUntil([&] { return !TopLevelWindows(program_->id, L"#32768").empty(); }));
  EXPECT_EQ(ListMessage(LB_GETCURSEL), 0) << "the line under the pointer is selected";
  Shot(read_, L"readwindow-context-menu");
  // From the bottom up, clear of the separator: Date/Time, Dec, Dec+/-, Hex.
  ASSERT_TRUE(PressKeys(read_, {VK_UP}));
  ASSERT_TRUE(PressKeys(read_, {VK_UP}));
  ASSERT_TRUE(PressKeys(read_, {VK_UP}));
  ASSERT_TRUE(PressKeys(read_, {VK_UP}));
  ASSERT_TRUE(PressKeys(read_, {VK_RETURN}));
  ASSERT_TRUE(WaitForLine(0, L" DB1.DBW0  : Fordulatszám = 0x04d2 "));
  EXPECT_EQ(ListMessage(LB_GETCURSEL), 0);
  EXPECT_EQ(Line(1), L" DB1.DBW2  : Nyomaték     = 5 ") << "the other elements keep their mode";

  ExpectLayoutFollowsSize();

  // Dialog keys: Enter changes nothing, Tab moves on, Esc closes and gives
  // the main window back, in front.
  ASSERT_TRUE(PressKeys(read_, {VK_RETURN}));
  ASSERT_TRUE(PressKeys(read_, {VK_TAB}));
  GUITHREADINFO info{sizeof info};
  ASSERT_TRUE(WaitUntil([&] {
    return GetGUIThreadInfo(readThreadId_, &info) && info.hwndFocus == GetDlgItem(read_, IDC_READ_LOG);
  })) << "Tab from the list goes to the row under it, the value log's box first";
  EXPECT_TRUE(IsWindow(read_));
  ASSERT_TRUE(PressKeys(read_, {VK_ESCAPE}));
  ASSERT_TRUE(ReadWindowGone());
  EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(main_) && GetForegroundWindow() == main_; }));
  CloseProgram();
}

// A PLC that stops answering: the read is logged, the connection dropped,
// and refreshing stops for good in this window. The main window, hidden
// meanwhile, comes back when the window closes.
TEST_F(ReadWindowTest, AFailedReadStopsRefreshingAndTheMainWindowComesBack) {
  Memory(plcsim::kAreaDataBlock, 1, 0, {0x00, 0x01, 0x00, 0x02, 0x00, 0x03});
  ASSERT_TRUE(Open(WriteTable(500, kTable)));
  ASSERT_EQ(Line(2), L" DB1.DBW4  : Hőfok        = 3 ");

  ClickButton(IDC_READ_HIDE_MAIN);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(main_); })) << "hidden by the window";
  EXPECT_TRUE(Checked(IDC_READ_HIDE_MAIN));

  sim_.Inject({.kind = plcsim::FaultKind::NoAnswer});
  const std::wstring disconnected = L"Sim - S7_Disconnect : OK.";
  const std::wstring log = LogSince(0, disconnected);
  ASSERT_NE(log.find(disconnected), std::wstring::npos);
  const std::size_t read = log.find(L"Sim - S7_MultiRead : Nem jött válasz időben.");
  ASSERT_NE(read, std::wstring::npos) << Utf8(log);
  EXPECT_LT(read, log.find(disconnected)) << "the read first, then the disconnection";
  EXPECT_TRUE(WaitUntil([&] { return !Checked(IDC_READ_REFRESH) && !Enabled(IDC_READ_REFRESH); }))
      << "refresh unchecked and greyed";
  EXPECT_FALSE(Enabled(IDC_READ_INTERVAL));
  EXPECT_EQ(Line(2), L" DB1.DBW4  : Hőfok        = 3 ") << "the last values stay";
  // No further read: two more intervals bring no second entry.
  Sleep(2500);
  const std::wstring later = Log();
  EXPECT_EQ(later.find(L"S7_MultiRead", read + std::size(L"Sim - S7_MultiRead")), std::wstring::npos)
      << Utf8(later);
  Shot(read_, L"readwindow-failed-read");

  ClickButton(IDC_READ_CLOSE);
  ASSERT_TRUE(ReadWindowGone());
  EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(main_) && IsWindowEnabled(main_); }));
  CloseProgram();
}

// With "Újrakapcsolódás" on, a PLC that goes away for 5 s: the failed read
// is logged, then one loss line, the state and the outage's length in the
// status bar, one recovery line, and the reading goes on with what changed
// meanwhile; the choice is kept for the next window; closing during a pause
// ends the window.
TEST_F(ReadWindowTest, ReconnectionRidesOutAFiveSecondOutage) {
  Memory(plcsim::kAreaDataBlock, 1, 0, {0x00, 0x01, 0x00, 0x02, 0x00, 0x03});
  ASSERT_TRUE(Open(WriteTable(1000, kTable)));
  ASSERT_EQ(Line(2), L" DB1.DBW4  : Hőfok        = 3 ");
  EXPECT_FALSE(Checked(IDC_READ_RECONNECT)) << "off unless chosen";
  HWND status = GetDlgItem(read_, IDC_READ_STATUS);
  auto link = [&] {
    const auto parts = StatusBarParts(status);
    return parts && parts->size() > 1 ? (*parts)[1] : std::wstring(L"?");
  };
  // Without reconnection the part tells what a read of the table costs.
  EXPECT_TRUE(WaitUntil([&] { return link() == L"1 kérés ciklusonként"; })) << Utf8(link());
  ClickButton(IDC_READ_RECONNECT);
  ASSERT_TRUE(WaitUntil([&] { return link() == L"Kapcsolat rendben"; })) << Utf8(link());

  sim_.GoAway(5000);
  Memory(plcsim::kAreaDataBlock, 1, 4, {0x00, 0x2A});
  ASSERT_NE(LogSince(0, L"Sim - A kapcsolat megszakadt, újrakapcsolódás folyamatban.").find(L"megszakadt"),
            std::wstring::npos);
  EXPECT_TRUE(WaitUntil([&] { return link().rfind(L"Kiesés ", 0) == 0; })) << Utf8(link());
  Shot(read_, L"readwindow-reconnecting");
  ASSERT_NE(LogSince(0, L"Sim - A kapcsolat helyreállt, kiesés : ", 15000).find(L"helyreállt"), std::wstring::npos);
  EXPECT_TRUE(WaitForLine(2, L" DB1.DBW4  : Hőfok        = 42 ")) << "the reading went on";
  EXPECT_TRUE(WaitUntil([&] { return link() == L"Kapcsolat rendben"; })) << Utf8(link());
  EXPECT_TRUE(Checked(IDC_READ_REFRESH) && Enabled(IDC_READ_REFRESH)) << "refreshing stays on";
  Shot(read_, L"readwindow-reconnected");
  const std::wstring log = Log();
  auto count = [&](const std::wstring& part) {
    int n = 0;
    for (std::size_t at = log.find(part); at != std::wstring::npos; at = log.find(part, at + 1)) ++n;
    return n;
  };
  EXPECT_EQ(count(L"A kapcsolat megszakadt"), 1) << Utf8(log);
  EXPECT_EQ(count(L"A kapcsolat helyreállt"), 1) << Utf8(log);
  EXPECT_EQ(count(L"S7_Connect :"), 0) << "the attempts are not logged";

  // The choice is kept: the next window rides out an outage too, and
  // closing it during a pause lets it go.
  ClickButton(IDC_READ_CLOSE);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(read_) && IsWindowEnabled(main_); }));
  PostCommand(main_, IDM_FILE_OPEN);
  HWND load = WaitForDialog(program_->id, kLoadTitle);
  ASSERT_NE(load, nullptr);
  PostMessageW(load, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(TakeReadWindow());
  EXPECT_TRUE(Checked(IDC_READ_RECONNECT));
  sim_.GoAway(60000);
  ASSERT_TRUE(WaitUntil([&] { return Log().find(L"A kapcsolat megszakadt", log.size()) != std::wstring::npos; }));
  ClickButton(IDC_READ_CLOSE);
  EXPECT_TRUE(ReadWindowGone()) << "closed while waiting to reconnect";
  sim_.GoAway(0);
  CloseProgram();
}

// The arrival times of delayed requests, as the simulator sees them.
class Arrivals {
 public:
  plcsim::Fault Delayed(int ms) {
    return {.kind = plcsim::FaultKind::Delay, .pauseMs = ms, .rewrite = [this](plcsim::Bytes&) { Note(); }};
  }
  std::vector<std::chrono::steady_clock::time_point> Times() {
    std::lock_guard lock(mutex_);
    return times_;
  }
  std::size_t Count() { return Times().size(); }

 private:
  void Note() {
    std::lock_guard lock(mutex_);
    times_.push_back(std::chrono::steady_clock::now());
  }
  std::mutex mutex_;
  std::vector<std::chrono::steady_clock::time_point> times_;
};

// At "500 ms" against a PLC that needs 600 ms per read, reads follow each
// other without a pause; at "100 ms", after a long stall the window does not
// make up every missed interval in a burst; and closing the program while a
// read is under way ends it cleanly.
TEST_F(ReadWindowTest, ASlowPlcIsReadBackToBackAndTheProgramClosesWhileReading) {
  ASSERT_TRUE(Open(WriteTable(5000, kTable)));
  auto interval = [&](int index) {
    ChooseInterval(index);
    const bool chosen = WaitUntil([&] { return ComboBoxSelection(GetDlgItem(read_, IDC_READ_INTERVAL)) == index; });
    Sleep(300);  // reads at the new interval have begun
    return chosen;
  };
  ASSERT_TRUE(interval(2));

  Arrivals arrivals;
  constexpr int kSlowReads = 6;
  constexpr long long kReadMs = 600;
  for (int i = 0; i < kSlowReads; ++i) sim_.Inject(arrivals.Delayed(static_cast<int>(kReadMs)));
  ASSERT_TRUE(WaitUntil([&] { return arrivals.Count() == kSlowReads; }, 20000));
  const auto times = arrivals.Times();
  std::vector<long long> gaps;  // from a reply to the next request, ms
  for (std::size_t i = 1; i < times.size(); ++i)
    gaps.push_back(std::chrono::duration_cast<std::chrono::milliseconds>(times[i] - times[i - 1]).count() - kReadMs);
  std::sort(gaps.begin(), gaps.end());
  // Back to back means the next timer tick (50 ms) starts the next read; a
  // pause of an interval would put every gap above 500 ms. The threshold
  // halfway leaves room for a busy machine's late ticks (gaps of 120 ms
  // seen), which a margin of 50 ms did not.
  EXPECT_LT(gaps[gaps.size() / 2], 250) << "median gap between a reply and the next read";

  // A 3 s stall: afterwards one interval is made up, not thirty.
  ASSERT_TRUE(interval(0));
  Arrivals stall;
  sim_.Inject(stall.Delayed(3000));
  ASSERT_TRUE(WaitUntil([&] { return stall.Count() == 1; }, 5000));
  const int before = sim_.RequestCount();
  Sleep(3000 + 600);
  const int after = sim_.RequestCount();
  EXPECT_LT(after - before, 15) << "reads in the 600 ms after the stall";

  // Hidden main window, a read in flight: the close waits for the window.
  ClickButton(IDC_READ_HIDE_MAIN);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(main_); }));
  Arrivals last;
  sim_.Inject(last.Delayed(1500));
  ASSERT_TRUE(WaitUntil([&] { return last.Count() == 1; }, 5000));
  CloseProgram();
}

// A PLC that stops answering keeps the read window's thread in its read for
// the connection's whole time-out (30 s here). A close of the program
// meanwhile is bounded all the same: the shutdown's 10 s limit runs from the
// close request, and the program ends with -1 long before the read would
// have returned.
TEST_F(ReadWindowTest, ACloseWhileAReadHangsEndsWithinTheShutdownLimit) {
  ASSERT_TRUE(Open(WriteTable(30000, kTable)));
  const int before = sim_.RequestCount();
  sim_.Inject({.kind = plcsim::FaultKind::NoAnswer});
  ASSERT_TRUE(WaitUntil([&] { return sim_.RequestCount() > before; }, 5000)) << "the window's next read";
  PostMessageW(main_, WM_CLOSE, 0, 0);
  const auto code = WaitForExit(*program_, 16000);
  ASSERT_TRUE(code.has_value()) << "tolvane.exe still waits for the read";
  EXPECT_EQ(*code, 0xFFFFFFFFu) << "ended by the shutdown's time limit";
}

// The main window is disabled before the window's thread reads for the first
// time, and no command gets through while the window exists. A variable
// larger than the PDU is read whole, in requests of its own, with the
// others where they belong.
TEST_F(ReadWindowTest, CommandsWaitForTheWindowAndALargeVariableIsRead) {
  Memory(plcsim::kAreaDataBlock, 1, 0, {0x04, 0xD2, 0xFF, 0x85});
  Memory(plcsim::kAreaDataBlock, 1, 399, {0x5A});
  Memory(plcsim::kAreaFlags, 0, 20, {0x12, 0x34, 0xAB, 0xCD});
  const std::wstring vat = WriteTable(5000, {{"DB1.DBW0:2 (Int)"}, {"DB1.DBB100:300 (Byte)"}, {"MW20:2 (Word)"}});
  // The setup of the connection as it comes, the read at opening 3 s late.
  sim_.Inject({.kind = plcsim::FaultKind::RewriteReply, .rewrite = [](plcsim::Bytes&) {}});
  Arrivals first;
  sim_.Inject(first.Delayed(3000));
  ASSERT_TRUE(StartTolvane({.args = {vat}}));
  ASSERT_TRUE(WaitUntil([&] { return first.Count() == 1; }));
  EXPECT_FALSE(IsWindowEnabled(main_)) << "disabled before the window's first read";
  for (int id : {IDM_CPU_STATE, IDM_GET_CLOCK, IDM_CONNECTION_CLOSE, IDM_FILE_EXIT}) PostCommand(main_, id);

  ASSERT_TRUE(TakeReadWindow());
  EXPECT_EQ(ListMessage(LB_GETCOUNT), 304);
  EXPECT_EQ(Line(0), L" DB1.DBW0   = 1 234 ");
  EXPECT_EQ(Line(1), L" DB1.DBW2   = -123 ");
  EXPECT_EQ(Line(301), L" DB1.DBB399 = 0x5a ");
  EXPECT_EQ(Line(302), L" MW20       = 0x1234 ");
  EXPECT_EQ(Line(303), L" MW22       = 0xabcd ");
  EXPECT_EQ(Log().find(L"Deleted"), std::wstring::npos) << Utf8(Log());
  for (int id : {IDM_CPU_STATE, IDM_GET_CLOCK}) PostCommand(main_, id);
  Memory(plcsim::kAreaFlags, 0, 22, {0x00, 0x01});
  ASSERT_TRUE(WaitForLine(303, L" MW22       = 0x0001 "));
  const std::wstring log = Log();
  EXPECT_EQ(log.find(L"S7_GetCpuState"), std::wstring::npos) << Utf8(log);
  EXPECT_EQ(log.find(L"S7_GetCpuClock"), std::wstring::npos) << Utf8(log);
  EXPECT_EQ(log.find(L"S7_Connection_Done"), std::wstring::npos) << Utf8(log);
  EXPECT_TRUE(IsWindow(main_)) << "the exit command waited too";

  // As soon as the main window is enabled again, it takes commands.
  PostMessageW(read_, WM_CLOSE, 0, 0);
  ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(main_) != FALSE; }, kDefaultWaitMs, 1));
  PostCommand(main_, IDM_CPU_STATE);
  LogSince(0, L"Sim - S7_GetCpuState : OK.");
  ASSERT_TRUE(ReadWindowGone());
  CloseProgram();
}

// "Megnyit" loads the file again (the dialog starts from it) and the window
// opens again each time, reading at once.
TEST_F(ReadWindowTest, EveryLoadOpensTheWindowAgain) {
  Memory(plcsim::kAreaDataBlock, 1, 0, {0x00, 0x0B, 0x00, 0x16, 0x00, 0x21});
  ASSERT_TRUE(Open(WriteTable(1000, kTable)));
  // The next load comes as soon as the main window is enabled, while the
  // last window's thread may still be ending.
  auto reopen = [&](std::uint8_t value) {
    ClickButton(IDC_READ_CLOSE);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(read_) && IsWindowEnabled(main_); }, kDefaultWaitMs, 1));
    PostCommand(main_, IDM_FILE_OPEN);
    HWND dialog = WaitForDialog(program_->id, kLoadTitle);
    ASSERT_NE(dialog, nullptr);
    Memory(plcsim::kAreaDataBlock, 1, 1, {value});
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(TakeReadWindow());
    EXPECT_EQ(Line(0), L" DB1.DBW0  : Fordulatszám = " + std::to_wstring(value) + L" ") << "read at opening";
  };
  for (std::uint8_t value : {12, 13}) {
    reopen(value);
    if (HasFatalFailure()) return;
  }
  CloseProgram();
}

}  // namespace
}  // namespace gui
