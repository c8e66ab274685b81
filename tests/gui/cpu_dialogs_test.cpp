// The Start CPU, login and clock dialogs of tolvane.exe against the
// simulator: the restart mode remembered across a cancel, the password's
// length rule and its accented letters arriving at the CPU exactly, and the
// clock to set, following the PC or frozen and edited, with a silent PLC
// that must not freeze the dialog.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "res/resource.h"
#include "tests/gui/tolvane_fixture.h"

namespace gui {
namespace {

// Milliseconds since 1601, for differences between clock readings.
std::int64_t Ms(const SYSTEMTIME& t) {
  FILETIME f{};
  SystemTimeToFileTime(&t, &f);
  return static_cast<std::int64_t>((static_cast<std::uint64_t>(f.dwHighDateTime) << 32 | f.dwLowDateTime) / 10000);
}

SYSTEMTIME AsSystemTime(const plcsim::SimDateTime& t) {
  SYSTEMTIME s{};
  s.wYear = static_cast<WORD>(t.year);
  s.wMonth = static_cast<WORD>(t.month);
  s.wDay = static_cast<WORD>(t.day);
  s.wHour = static_cast<WORD>(t.hour);
  s.wMinute = static_cast<WORD>(t.minute);
  s.wSecond = static_cast<WORD>(t.second);
  s.wMilliseconds = static_cast<WORD>(t.millisecond);
  return s;
}

std::int64_t LocalMs() {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  return Ms(now);
}

// The password the simulator's CPU is protected with: code page 1250 bytes
// of "Áőű12345", letters that a system with another code page turns into
// others unless the program converts them itself.
constexpr char kPassword1250[] = "\xC1\xF5\xFB" "12345";
constexpr wchar_t kPassword[] = L"Áőű12345";

class CpuDialogTest : public TolvaneTest {
 protected:
  CpuDialogTest() { simConfig_.model.password = kPassword1250; }
};

TEST_F(CpuDialogTest, StartRemembersTheModeAlsoWhenCancelled) {
  ASSERT_TRUE(StartTolvane());
  ASSERT_TRUE(ConnectToSimulator());
  sim_.Model().SetRunning(false);
  HWND dialog = OpenDialog(IDM_CPU_START, kStartTitle);
  ASSERT_NE(dialog, nullptr);
  EXPECT_TRUE(IsChecked(GetDlgItem(dialog, IDC_START_WARM))) << "warm restart at first";
  ASSERT_TRUE(Click(GetDlgItem(dialog, IDC_START_COLD)));
  Shot(dialog, L"dialog-cpu-start");
  ASSERT_TRUE(Close(dialog, IDCANCEL));
  EXPECT_FALSE(sim_.Model().Running());

  dialog = OpenDialog(IDM_CPU_START, kStartTitle);
  ASSERT_NE(dialog, nullptr);
  EXPECT_TRUE(IsChecked(GetDlgItem(dialog, IDC_START_COLD)));
  EXPECT_FALSE(IsChecked(GetDlgItem(dialog, IDC_START_WARM)));
  const std::size_t mark = LogMark();
  ASSERT_TRUE(Close(dialog, IDOK));
  const std::wstring added = LogSince(mark, L"S7_CpuStart : OK.\r\n\tCPU : Run\r\n");
  EXPECT_EQ(sim_.Model().LastRestart(), 1) << "cold restart";
  EXPECT_TRUE(sim_.Model().Running());
}

TEST_F(CpuDialogTest, LoginTakesEightCharactersAndSendsThemExactly) {
  ASSERT_TRUE(StartTolvane());
  ASSERT_TRUE(ConnectToSimulator());
  HWND dialog = OpenDialog(IDM_LOGIN, kLoginTitle);
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(ControlText(dialog, IDC_LOGIN_PASSWORD), L"");
  ASSERT_TRUE(TypeInto(dialog, IDC_LOGIN_PASSWORD, std::wstring(kPassword) + L"6"));
  EXPECT_FALSE(OkEnabled(dialog)) << "nine characters";
  EXPECT_TRUE(DrawnRed(dialog, IDC_LOGIN_PASSWORD));
  Shot(dialog, L"dialog-login-invalid");
  ASSERT_TRUE(PressKeys(dialog, {VK_BACK}));
  EXPECT_TRUE(WaitUntil([&] { return OkEnabled(dialog); }, 2000)) << "eight again";
  EXPECT_FALSE(DrawnRed(dialog, IDC_LOGIN_PASSWORD));
  std::size_t mark = LogMark();
  ASSERT_TRUE(Close(dialog, IDOK));
  std::wstring added = LogSince(mark, L"S7_SessionLogin : ");
  EXPECT_EQ(added, L"S7_SessionLogin : OK.\r\n") << "the CPU took the password";

  // Remembered; a text of any length past eight stays invalid and is not
  // remembered; look-alike letters are another password.
  dialog = OpenDialog(IDM_LOGIN, kLoginTitle);
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(ControlText(dialog, IDC_LOGIN_PASSWORD), kPassword);
  for (std::size_t length : {9u, 255u, 256u, 300u, 5000u}) {
    ASSERT_TRUE(SetText(dialog, IDC_LOGIN_PASSWORD, std::wstring(length, L'x')));
    EXPECT_FALSE(OkEnabled(dialog)) << length << " characters";
  }
  PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  EXPECT_FALSE(WaitUntil([&] { return !IsWindow(dialog); }, 500)) << "OK posted past the greyed button";
  ASSERT_TRUE(Close(dialog, IDCANCEL));
  dialog = OpenDialog(IDM_LOGIN, kLoginTitle);
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(ControlText(dialog, IDC_LOGIN_PASSWORD), kPassword);
  ASSERT_TRUE(SetText(dialog, IDC_LOGIN_PASSWORD, L"Aou12345"));
  mark = LogMark();
  ASSERT_TRUE(Close(dialog, IDOK));
  added = LogSince(mark, L"S7_SessionLogin : ");
  EXPECT_EQ(added.find(L"S7_SessionLogin : OK."), std::wstring::npos) << Utf8(added);
}

TEST_F(CpuDialogTest, ClockFollowsThePcOrSetsTheTimeFrozenOrEdited) {
  ASSERT_TRUE(StartTolvane());
  ASSERT_TRUE(ConnectToSimulator());
  sim_.Model().SetClock({2001, 2, 3, 4, 5, 6, 0, 6});
  HWND dialog = OpenDialog(IDM_SET_CLOCK, kClockTitle);
  ASSERT_NE(dialog, nullptr);
  HWND plcDate = GetDlgItem(dialog, IDC_CLOCK_PLC_DATE);
  HWND pcDate = GetDlgItem(dialog, IDC_CLOCK_PC_DATE);
  HWND pcTime = GetDlgItem(dialog, IDC_CLOCK_PC_TIME);
  HWND follow = GetDlgItem(dialog, IDC_CLOCK_FOLLOW_PC);
  EXPECT_TRUE(IsChecked(follow));
  for (int id : {IDC_CLOCK_PLC_DATE, IDC_CLOCK_PLC_TIME, IDC_CLOCK_PC_DATE, IDC_CLOCK_PC_TIME})
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, id))) << id;
  EXPECT_TRUE(WaitUntil([&] {
    const auto shown = PickerTime(plcDate);
    return shown && shown->wYear == 2001 && shown->wMonth == 2 && shown->wDay == 3;
  })) << "the CPU's clock is shown";
  Shot(dialog, L"dialog-clock");
  std::size_t mark = LogMark();
  ASSERT_TRUE(Close(dialog, IDOK));
  LogSince(mark, L"S7_SetCpuClock : OK.");
  EXPECT_LT(std::abs(Ms(AsSystemTime(sim_.Model().Clock())) - LocalMs()), 3000) << "set to the PC's time";

  // Unchecked, the time to set stands still: OK sets the time last shown.
  struct Edit {
    const char* what;
    bool editTime;
  } edits[] = {{"frozen", false}, {"time edited", true}};
  for (const Edit& edit : edits) {
    SCOPED_TRACE(edit.what);
    dialog = OpenDialog(IDM_SET_CLOCK, kClockTitle);
    ASSERT_NE(dialog, nullptr);
    pcDate = GetDlgItem(dialog, IDC_CLOCK_PC_DATE);
    pcTime = GetDlgItem(dialog, IDC_CLOCK_PC_TIME);
    follow = GetDlgItem(dialog, IDC_CLOCK_FOLLOW_PC);
    EXPECT_TRUE(IsChecked(follow)) << "checked at every opening";
    ASSERT_TRUE(Click(follow));
    EXPECT_FALSE(IsChecked(follow));
    EXPECT_TRUE(IsWindowEnabled(pcDate) && IsWindowEnabled(pcTime));
    const auto frozenDate = PickerTime(pcDate);
    const auto frozenTime = PickerTime(pcTime);
    ASSERT_TRUE(frozenDate && frozenTime);
    Sleep(1500);
    EXPECT_EQ(Ms(*PickerTime(pcTime)), Ms(*frozenTime)) << "the time to set does not follow the PC any more";
    SYSTEMTIME expected = *frozenTime;
    if (edit.editTime) {
      // A click on the first field (the hours) selects it for the arrow key.
      RECT r{};
      GetClientRect(pcTime, &r);
      ASSERT_TRUE(HoldMouse(pcTime, {6, r.bottom / 2}, 100, [] {}));
      ASSERT_TRUE(PressKeys(dialog, {VK_UP}));
      ASSERT_TRUE(WaitUntil([&] { return Ms(*PickerTime(pcTime)) != Ms(*frozenTime); }, 2000));
      expected = *PickerTime(pcTime);
      expected.wMilliseconds = 0;  // an edited time is whole seconds
    }
    expected.wYear = frozenDate->wYear;  // the date last shown
    expected.wMonth = frozenDate->wMonth;
    expected.wDay = frozenDate->wDay;
    mark = LogMark();
    const std::int64_t pressed = LocalMs();
    ASSERT_TRUE(Close(dialog, IDOK));
    LogSince(mark, L"S7_SetCpuClock : OK.");
    const std::int64_t ranSince = LocalMs() - pressed;
    const std::int64_t ahead = Ms(AsSystemTime(sim_.Model().Clock())) - Ms(expected);
    // The CPU clock has run on since it was set, at most since OK.
    EXPECT_GE(ahead, -10) << "the CPU keeps hundredths";
    EXPECT_LE(ahead, ranSince + 100);
  }
}

// A PLC that stops answering: each read waits its time-out on the
// user-interface thread, so the dialog reads again only after as long again.
TEST_F(CpuDialogTest, ClockDialogStaysUsableWhileThePlcIsSilent) {
  ASSERT_TRUE(StartTolvane());
  ASSERT_TRUE(ConnectToSimulator());  // time-out 1000 ms
  HWND dialog = OpenDialog(IDM_SET_CLOCK, kClockTitle);
  ASSERT_NE(dialog, nullptr);
  HWND plcTime = GetDlgItem(dialog, IDC_CLOCK_PLC_TIME);
  ASSERT_TRUE(WaitUntil([&] { return PickerTime(plcTime).has_value(); }));
  const std::size_t mark = LogMark();
  for (int i = 0; i < 20; ++i) sim_.Inject({plcsim::FaultKind::NoAnswer});
  const int before = sim_.RequestCount();
  Sleep(5000);
  const int reads = sim_.RequestCount() - before;
  EXPECT_GE(reads, 2);
  EXPECT_LE(reads, 3) << "back-to-back reads would make 5";
  const auto frozen = PickerTime(plcTime);
  Sleep(600);
  EXPECT_EQ(Ms(*PickerTime(plcTime)), Ms(*frozen)) << "a failed read changes no picker";

  sim_.ClearFaults();
  EXPECT_TRUE(WaitUntil([&] { return Ms(*PickerTime(plcTime)) != Ms(*frozen); }, 5000)) << "reads resume";
  ASSERT_TRUE(Close(dialog, IDCANCEL));
  Sleep(300);
  EXPECT_EQ(LogSince(mark), L"") << "the dialog's reads are not logged";
}

}  // namespace
}  // namespace gui
