// The element edit dialog of tolvane.exe, driven from outside against the
// simulator: each mode's notation and range, the spinners and pickers, and
// the newer types' values reaching the CPU.
#include "tests/gui/vardialogs_fixture.h"

namespace gui {
namespace {


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

}  // namespace
}  // namespace gui
