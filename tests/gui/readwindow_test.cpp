// The read-variables window of tolvane.exe against the simulator, driven from
// outside: opened by a .vat file on the command line (read at once, then
// cyclically), the values beside their addresses, changed lines rewritten
// alone, the click and the display-mode menu of the list, a PLC that fails or
// is slow, the main window hidden and given back, and the program closed
// while the window reads.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <vector>

#include "res/resource.h"
#include "tests/gui/driver/driver.h"
#include "tools/plcsim/plcsim.h"

namespace gui {
namespace {

constexpr wchar_t kReadTitle[] = L"Változók olvasása";
constexpr int kLogEditId = 150;

// A .vat file in the temporary directory for the simulator's address; body
// holds the VarCount line and the variable sections (code page 1250 bytes).
class VatFile {
 public:
  VatFile(const std::string& address, int timeoutMs, const std::string& body) {
    wchar_t dir[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    path_ = std::wstring(dir) + L"tolvane-rw-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
            std::to_wstring(++count_) + L".vat";
    const std::string text = "[PLC]\r\nIF = TCP\r\nName = Sim\r\nAddress = " + address +
                             "\r\nTimeOut = " + std::to_string(timeoutMs) + "\r\nRack = 0\r\nSlot = 2\r\n" + body;
    HANDLE f = CreateFileW(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    if (f != INVALID_HANDLE_VALUE) {
      WriteFile(f, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
      CloseHandle(f);
    }
  }
  ~VatFile() { DeleteFileW(path_.c_str()); }
  const std::wstring& Path() const { return path_; }

 private:
  static inline int count_ = 0;
  std::wstring path_;
};

class ReadWindowTest : public GuiTest {
 protected:
  void SetUp() override {
    int wsa = 0;
    ASSERT_TRUE(sim_.Start(plcsim::Config{}, &wsa)) << "simulator: " << wsa;
  }
  void TearDown() override {
    GuiTest::TearDown();
    sim_.Stop();
  }

  void Memory(std::uint8_t area, int db, int offset, plcsim::Bytes bytes) {
    ASSERT_TRUE(sim_.Model().WriteMemory(area, db, offset, bytes));
  }

  // Starts tolvane.exe with the file and waits for the read window.
  bool Open(const VatFile& vat) {
    program_ = Start(BesideThisProgram(L"tolvane.exe"), {.args = {vat.Path()}});
    if (!program_) return false;
    main_ = WaitForWindow(program_->id, L"TOLVANE", nullptr);
    read_ = WaitForDialog(program_->id, kReadTitle);
    list_ = read_ ? GetDlgItem(read_, IDC_READ_LIST) : nullptr;
    return main_ && read_ && list_;
  }

  std::vector<std::wstring> Lines() { return ListBoxLines(list_); }
  std::wstring Line(int index) {
    const auto lines = Lines();
    return index < static_cast<int>(lines.size()) ? lines[static_cast<std::size_t>(index)] : L"";
  }
  bool WaitForLine(int index, const std::wstring& text, DWORD timeoutMs = kDefaultWaitMs) {
    return WaitUntil([&] { return Line(index) == text; }, timeoutMs);
  }
  std::wstring Log() { return ControlText(main_, kLogEditId); }
  bool WaitForLog(const std::wstring& part, DWORD timeoutMs = kDefaultWaitMs) {
    return WaitUntil([&] { return Log().find(part) != std::wstring::npos; }, timeoutMs);
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
  bool Checked(int id) { return Send(GetDlgItem(read_, id), BM_GETCHECK, 0, 0).value_or(-1) == BST_CHECKED; }
  bool Enabled(int id) { return IsWindowEnabled(GetDlgItem(read_, id)) != FALSE; }
  void Press(int id) { PostMessageW(GetDlgItem(read_, id), BM_CLICK, 0, 0); }
  // Chooses an interval as the user does: the entry, then the list's notice.
  void ChooseInterval(int index) {
    HWND box = GetDlgItem(read_, IDC_READ_INTERVAL);
    Send(box, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    PostMessageW(read_, WM_COMMAND, MAKEWPARAM(IDC_READ_INTERVAL, CBN_SELCHANGE), reinterpret_cast<LPARAM>(box));
  }
  bool ReadWindowGone() {
    return WaitUntil([&] { return !IsWindow(read_); });
  }
  void Shot(const std::wstring& name) {
    std::wstring error;
    EXPECT_FALSE(Screenshot(read_, name, &error).empty()) << Utf8(error);
  }
  // Closes the program through its main window; it must end on its own, well.
  void CloseProgram() {
    PostMessageW(main_, WM_CLOSE, 0, 0);
    const auto code = WaitForExit(*program_, 20000);
    ASSERT_TRUE(code.has_value()) << "tolvane.exe did not end";
    EXPECT_EQ(*code, 0u);
  }

  plcsim::Simulator sim_;
  const Program* program_ = nullptr;
  HWND main_ = nullptr;
  HWND read_ = nullptr;
  HWND list_ = nullptr;
};

// Three Ints with names, a Word, and 30 bytes: more lines than the list shows.
constexpr char kTable[] =
    "VarCount = 3\r\n"
    "[Var0]\r\nVar = DB1.DBW0:3 (Int)\r\nName0 = Fordulatsz\xE1m\r\nName1 = Nyomat\xE9k\r\nName2 = H\xF5"
    "fok\r\n"
    "[Var1]\r\nVar = MW10:1 (Word)\r\n"
    "[Var2]\r\nVar = DB2.DBB0:30 (Byte)\r\n";

TEST_F(ReadWindowTest, ShowsThePlcAndRewritesOnlyChangedLines) {
  Memory(plcsim::kAreaDataBlock, 1, 0, {0x04, 0xD2, 0xFF, 0x85, 0x00, 0x07});
  Memory(plcsim::kAreaFlags, 0, 10, {0xBE, 0xEF});
  plcsim::Bytes bytes;
  for (int i = 0; i < 30; ++i) bytes.push_back(static_cast<std::uint8_t>(i * 3));
  Memory(plcsim::kAreaDataBlock, 2, 0, bytes);
  VatFile vat(sim_.AddressText(), 1000, kTable);
  ASSERT_TRUE(Open(vat));

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
  Shot(L"readwindow-names");

  // Every line marked: a line the window rewrites comes back unmarked.
  for (int i = 0; i < 34; ++i) ListMessage(LB_SETITEMDATA, static_cast<WPARAM>(i), 1000 + i);
  ASSERT_TRUE(Click(list_, LinePoint(1)));
  ASSERT_TRUE(WaitUntil([&] { return ListMessage(LB_GETCURSEL) == 1; }));
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

  // A click on the selected line deselects it, and the window keeps it so.
  ListMessage(LB_SETTOPINDEX, 0);
  ASSERT_TRUE(Click(list_, LinePoint(1)));
  ASSERT_TRUE(WaitUntil([&] { return ListMessage(LB_GETCURSEL) == -1; }));
  Memory(plcsim::kAreaDataBlock, 1, 4, {0x00, 0x08});
  ASSERT_TRUE(WaitForLine(2, L" DB1.DBW4  : Hőfok        = 8 "));
  EXPECT_EQ(ListMessage(LB_GETCURSEL), -1);
  ASSERT_TRUE(Click(list_, LinePoint(3)));
  ASSERT_TRUE(WaitUntil([&] { return ListMessage(LB_GETCURSEL) == 3; }));
  Memory(plcsim::kAreaDataBlock, 1, 4, {0x00, 0x09});
  ASSERT_TRUE(WaitForLine(2, L" DB1.DBW4  : Hőfok        = 9 "));
  EXPECT_EQ(ListMessage(LB_GETCURSEL), 3);

  // The display modes of the line under the right button.
  ASSERT_TRUE(Click(list_, LinePoint(0), true));
  ASSERT_TRUE(WaitUntil([&] { return !TopLevelWindows(program_->id, L"#32768").empty(); }));
  EXPECT_EQ(ListMessage(LB_GETCURSEL), 0) << "the line under the pointer is selected";
  Shot(L"readwindow-context-menu");
  // From the bottom up, clear of the separator: Date/Time, Dec, Dec+/-, Hex.
  ASSERT_TRUE(PressKeys(read_, {VK_UP}));
  ASSERT_TRUE(PressKeys(read_, {VK_UP}));
  ASSERT_TRUE(PressKeys(read_, {VK_UP}));
  ASSERT_TRUE(PressKeys(read_, {VK_UP}));
  ASSERT_TRUE(PressKeys(read_, {VK_RETURN}));
  ASSERT_TRUE(WaitForLine(0, L" DB1.DBW0  : Fordulatszám = 0x04d2 "));
  EXPECT_EQ(ListMessage(LB_GETCURSEL), 0);
  EXPECT_EQ(Line(1), L" DB1.DBW2  : Nyomaték     = 5 ") << "the other elements keep their mode";

  // Dialog keys: Enter changes nothing, Tab moves on, Esc closes and gives
  // the main window back, in front.
  ASSERT_TRUE(PressKeys(read_, {VK_RETURN}));
  ASSERT_TRUE(PressKeys(read_, {VK_TAB}));
  GUITHREADINFO info{sizeof info};
  ASSERT_TRUE(WaitUntil([&] {
    return GetGUIThreadInfo(GetWindowThreadProcessId(read_, nullptr), &info) &&
           info.hwndFocus == GetDlgItem(read_, IDC_READ_REFRESH);
  })) << "Tab from the list goes to the refresh box";
  EXPECT_TRUE(IsWindow(read_));
  ASSERT_TRUE(PressKeys(read_, {VK_ESCAPE}));
  ASSERT_TRUE(ReadWindowGone());
  EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(main_) && GetForegroundWindow() == main_; }));
  CloseProgram();
}

}  // namespace
}  // namespace gui
