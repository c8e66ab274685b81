// A table larger than one request in tolvane.exe, against the simulator:
// read by the read window and written through the variable list.
#include "tests/gui/vardialogs_fixture.h"

namespace gui {
namespace {


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
