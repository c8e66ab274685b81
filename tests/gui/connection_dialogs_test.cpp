// The interface and connection dialogs of tolvane.exe, driven from outside
// against the simulator and the stand-in access point: the number fields'
// rules and spinners, the IPv4 field, the address an interface switch
// leaves, the name, modify and cancel, and a failed open.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cwchar>
#include <string>
#include <vector>

#include "res/resource.h"
#include "tests/gui/tolvane_fixture.h"

namespace gui {
namespace {

using ConnectionDialogTest = TolvaneTest;

TEST_F(ConnectionDialogTest, NumberFieldsAcceptWholeNumbersOfTheirRangeOnly) {
  ASSERT_TRUE(StartTolvane());
  ASSERT_TRUE(ConnectToSimulator());
  HWND dialog = OpenDialog(IDM_CONNECTION_MODIFY, kConnectionTitle);
  ASSERT_NE(dialog, nullptr);
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDC_CONN_IP)));
  for (int id : {IDC_CONN_STATION, IDC_CONN_STATION_SPIN, IDC_CONN_STATION_LABEL})
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, id))) << "TCP has no station address";
  EXPECT_EQ(ControlText(dialog, IDC_CONN_TIMEOUT), L"1000");
  EXPECT_EQ(ControlText(dialog, IDC_CONN_RACK), L"0");
  EXPECT_EQ(ControlText(dialog, IDC_CONN_SLOT), L"2");

  // The first 255 characters of the long text read as 500: only the whole
  // text tells that it is no number.
  const std::wstring longText = std::wstring(252, L' ') + L"500abc";
  CheckFieldCases(dialog,
                  {
                      {IDC_CONN_TIMEOUT, L"50", false},
                      {IDC_CONN_TIMEOUT, L"99", false},
                      {IDC_CONN_TIMEOUT, L"100", true},
                      {IDC_CONN_TIMEOUT, L"30000", true},
                      {IDC_CONN_TIMEOUT, L"30001", false},
                      {IDC_CONN_TIMEOUT, L"", false},
                      {IDC_CONN_TIMEOUT, L"1x00", false},
                      {IDC_CONN_TIMEOUT, L"  +2000", true},
                      {IDC_CONN_TIMEOUT, L"2000 ", false},
                      {IDC_CONN_TIMEOUT, longText, false},
                      {IDC_CONN_TIMEOUT, std::wstring(300, L'9'), false},
                  },
                  L"1000");
  CheckFieldCases(dialog,
                  {{IDC_CONN_RACK, L"31", true}, {IDC_CONN_RACK, L"32", false}, {IDC_CONN_RACK, L"-1", false}}, L"0");
  CheckFieldCases(dialog,
                  {{IDC_CONN_SLOT, L"18", true}, {IDC_CONN_SLOT, L"19", false}, {IDC_CONN_SLOT, L"s", false}}, L"2");

  // Two fields invalid: OK waits for both.
  SetText(dialog, IDC_CONN_RACK, L"99");
  SetText(dialog, IDC_CONN_TIMEOUT, L"50");
  Shot(dialog, L"dialog-connection-invalid");
  SetText(dialog, IDC_CONN_RACK, L"0");
  EXPECT_FALSE(OkEnabled(dialog));
  // The spinner steps from the last valid value, not from the text.
  ASSERT_TRUE(FocusControl(dialog, GetDlgItem(dialog, IDC_CONN_TIMEOUT)));
  ASSERT_TRUE(PressKeys(dialog, {VK_UP}));
  EXPECT_TRUE(WaitUntil([&] { return ControlText(dialog, IDC_CONN_TIMEOUT) == L"1050"; }))
      << Utf8(ControlText(dialog, IDC_CONN_TIMEOUT));
  EXPECT_TRUE(OkEnabled(dialog));
  EXPECT_FALSE(DrawnRed(dialog, IDC_CONN_TIMEOUT));

  const std::size_t mark = LogMark();
  ASSERT_TRUE(Close(dialog, IDOK));
  LogSince(mark, L"S7_Connection_Init : OK.");
}

TEST_F(ConnectionDialogTest, SpinnersStepClampAndAccelerateWhenHeld) {
  ASSERT_TRUE(StartTolvane());
  ASSERT_TRUE(ConnectToSimulator());
  HWND dialog = OpenDialog(IDM_CONNECTION_MODIFY, kConnectionTitle);
  ASSERT_NE(dialog, nullptr);
  HWND timeout = GetDlgItem(dialog, IDC_CONN_TIMEOUT);
  HWND spinner = GetDlgItem(dialog, IDC_CONN_TIMEOUT_SPIN);
  auto textBecomes = [&](const wchar_t* text) {
    return WaitUntil([&] { return WindowText(timeout) == text; }, 3000);
  };

  // Each key is one first step of 50; the ends hold.
  struct Keys {
    const wchar_t* start;
    WORD key;
    std::vector<const wchar_t*> after;
  } keys[] = {
      {L"150", VK_DOWN, {L"100", L"100"}},
      {L"29950", VK_UP, {L"30000", L"30000"}},
      {L"1000", VK_UP, {L"1050", L"1100"}},
  };
  for (const Keys& k : keys) {
    SCOPED_TRACE(Utf8(k.start));
    ASSERT_TRUE(SetText(dialog, IDC_CONN_TIMEOUT, k.start));
    ASSERT_TRUE(FocusControl(dialog, timeout));
    for (const wchar_t* expected : k.after) {
      ASSERT_TRUE(PressKeys(dialog, {k.key}));
      EXPECT_TRUE(textBecomes(expected)) << "got " << Utf8(WindowText(timeout)) << ", want " << Utf8(expected);
    }
  }
  // What the spinner writes is selected whole, ready to be typed over.
  const auto selection = Selection(timeout);
  ASSERT_TRUE(selection.has_value());
  EXPECT_EQ(*selection, std::make_pair(0, 4));

  // Held on the upper arrow: a first step of 50, steps of 200 after 2 s.
  const std::vector<int> positions = HoldArrow(spinner, 3500);
  ASSERT_GE(positions.size(), 3u);
  EXPECT_EQ(positions[1] - positions[0], 50) << "the first move is one step";
  EXPECT_TRUE(HasStep(positions, 200)) << "no step of 200 after holding";
  EXPECT_EQ(WindowText(timeout), std::to_wstring(positions.back())) << "the field shows where the spinner is";
  ASSERT_TRUE(Close(dialog, IDCANCEL));
}

TEST_F(ConnectionDialogTest, OkNeedsAWholeNonZeroAddress) {
  ASSERT_TRUE(StartTolvane());
  ASSERT_TRUE(ConnectToSimulator());
  HWND dialog = OpenDialog(IDM_CONNECTION_MODIFY, kConnectionTitle);
  ASSERT_NE(dialog, nullptr);
  HWND ip = GetDlgItem(dialog, IDC_CONN_IP);
  const auto shown = IpField(ip);
  ASSERT_TRUE(shown.has_value());
  EXPECT_EQ(shown->filled, 4);
  EXPECT_EQ(shown->address, SimIpAddress());
  EXPECT_TRUE(OkEnabled(dialog));

  Send(ip, IPM_SETADDRESS, 0, 0);
  EXPECT_TRUE(WaitUntil([&] { return !OkEnabled(dialog); }, 2000)) << "0.0.0.0 is no PLC";
  Send(ip, IPM_SETADDRESS, 0, static_cast<LPARAM>(SimIpAddress()));
  EXPECT_TRUE(WaitUntil([&] { return OkEnabled(dialog); }, 2000));
  // One part emptied: the blank is not a zero.
  HWND part = FindWindowExW(ip, nullptr, L"Edit", nullptr);
  ASSERT_NE(part, nullptr);
  ASSERT_TRUE(Send(part, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"")).has_value());
  EXPECT_TRUE(WaitUntil([&] { return !OkEnabled(dialog); }, 2000)) << "a half-typed address";
  // Posted past the greyed button, OK still does nothing.
  PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  EXPECT_FALSE(WaitUntil([&] { return !IsWindow(dialog); }, 500));
  ASSERT_TRUE(Close(dialog, IDCANCEL));
}

TEST_F(ConnectionDialogTest, NameIsTrimmedBoundedAndKeptExactly) {
  ASSERT_TRUE(StartTolvane());
  ASSERT_TRUE(ConnectToSimulator());
  // Typed with real keys: ő and Ű have no key on this layout and arrive as
  // themselves, on a system whose code page is not 1250.
  HWND dialog = OpenDialog(IDM_CONNECTION_MODIFY, kConnectionTitle);
  ASSERT_NE(dialog, nullptr);
  ASSERT_TRUE(TypeInto(dialog, IDC_CONN_NAME, L"  Présgép ő Ű  "));
  std::size_t mark = LogMark();
  ASSERT_TRUE(Close(dialog, IDOK));
  std::wstring added = LogSince(mark, L"Présgép ő Ű - S7_Connection_Init : OK.");
  EXPECT_EQ(added.find(L"S7_Connection_Done : OK.\r\n"), 0u) << "modify closes the old connection first:\n"
                                                             << Utf8(added);
  EXPECT_NE(StatusPlc().find(L"(Présgép ő Ű)"), std::wstring::npos) << Utf8(StatusPlc());

  // Cancel leaves the connection as it was: no entry, and it still answers.
  dialog = OpenDialog(IDM_CONNECTION_MODIFY, kConnectionTitle);
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(ControlText(dialog, IDC_CONN_NAME), L"Présgép ő Ű");
  SetText(dialog, IDC_CONN_NAME, L"Other");
  mark = LogMark();
  ASSERT_TRUE(Close(dialog, IDCANCEL));
  PostCommand(main_, IDM_CPU_STATE);
  added = LogSince(mark, L"S7_GetCpuState");
  EXPECT_EQ(added.find(L"Présgép ő Ű - S7_GetCpuState : OK."), 0u) << Utf8(added);

  // A name set past the field's 23-character limit by another program is
  // cut to what the settings hold.
  dialog = OpenDialog(IDM_CONNECTION_MODIFY, kConnectionTitle);
  ASSERT_NE(dialog, nullptr);
  const std::wstring longName = L"Ő" + std::wstring(60, L'n') + L"Ű";
  ASSERT_TRUE(SetText(dialog, IDC_CONN_NAME, longName));
  mark = LogMark();
  ASSERT_TRUE(Close(dialog, IDOK));
  added = LogSince(mark, L"S7_Connection_Init : OK.");
  EXPECT_NE(added.find(L"\r\n" + longName.substr(0, 23) + L" - S7_Connection_Init : OK."), std::wstring::npos)
      << Utf8(added);
}

TEST_F(ConnectionDialogTest, InterfaceSwitchSetsTheAddressEachKindShows) {
  ASSERT_TRUE(StartTolvane());
  HWND dialog = OpenDialog(IDM_INTERFACE_OPEN, kInterfaceTitle);
  ASSERT_NE(dialog, nullptr);
  EXPECT_TRUE(IsChecked(GetDlgItem(dialog, IDC_IF_TCP)));
  Shot(dialog, L"dialog-interface");
  ASSERT_TRUE(Click(GetDlgItem(dialog, IDC_IF_S7ONLINE)));
  std::size_t mark = LogMark();
  ASSERT_TRUE(Close(dialog, IDOK));
  LogSince(mark, L"S7_Interface_Init : OK.");
  EXPECT_EQ(StatusPlc(), L"S7ONLINE");

  dialog = OpenDialog(IDM_CONNECTION_OPEN, kConnectionTitle);
  ASSERT_NE(dialog, nullptr);
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_CONN_IP)));
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDC_CONN_STATION)));
  EXPECT_EQ(ControlText(dialog, IDC_CONN_STATION), L"2") << "leaving TCP gives station 2";
  Shot(dialog, L"dialog-connection-mpi");
  CheckFieldCases(dialog,
                  {
                      {IDC_CONN_STATION, L"128", false},
                      {IDC_CONN_STATION, L"1a", false},
                      {IDC_CONN_STATION, L"", false},
                      {IDC_CONN_STATION, L"12", true},
                      {IDC_CONN_STATION, L"127", true},
                      {IDC_CONN_STATION, L"0", true},
                  },
                  L"12");
  // Held: a first step of 1, then steps of 10 after 2 s, which stop at 127.
  ASSERT_TRUE(SetText(dialog, IDC_CONN_STATION, L"120"));
  const std::vector<int> positions = HoldArrow(GetDlgItem(dialog, IDC_CONN_STATION_SPIN), 3500);
  ASSERT_GE(positions.size(), 3u);
  EXPECT_EQ(positions[1], 121);
  EXPECT_EQ(positions.back(), 127);
  EXPECT_EQ(*std::max_element(positions.begin(), positions.end()), 127) << "no wrapping past the end";
  EXPECT_EQ(ControlText(dialog, IDC_CONN_STATION), L"127");

  // The stand-in's CPU sits at station 2.
  ASSERT_TRUE(SetText(dialog, IDC_CONN_STATION, L"2"));
  mark = LogMark();
  ASSERT_TRUE(Close(dialog, IDOK));
  LogSince(mark, L"S7_Connection_Init : OK.");
  EXPECT_NE(StatusPlc().find(L"S7ONLINE : 2,"), std::wstring::npos) << Utf8(StatusPlc());

  // Back to TCP: the default address; and to the bus again: station 2.
  struct Switch {
    int radio;
    bool tcp;
  } switches[] = {{IDC_IF_TCP, true}, {IDC_IF_CP_L2_1, false}, {IDC_IF_S7ONLINE, false}};
  for (const Switch& s : switches) {
    SCOPED_TRACE(s.radio);
    mark = LogMark();
    PostCommand(main_, IDM_INTERFACE_CLOSE);
    LogSince(mark, L"S7_Interface_Done");
    dialog = OpenDialog(IDM_INTERFACE_OPEN, kInterfaceTitle);
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(Click(GetDlgItem(dialog, s.radio)));
    mark = LogMark();
    ASSERT_TRUE(Close(dialog, IDOK));
    LogSince(mark, L"S7_Interface_Init");
    dialog = OpenDialog(IDM_CONNECTION_OPEN, kConnectionTitle);
    ASSERT_NE(dialog, nullptr);
    if (s.tcp) {
      const auto ip = IpField(GetDlgItem(dialog, IDC_CONN_IP));
      ASSERT_TRUE(ip.has_value());
      EXPECT_EQ(ip->address, MAKEIPADDRESS(192, 168, 1, 1));
      EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDC_CONN_IP)));
    } else {
      EXPECT_EQ(ControlText(dialog, IDC_CONN_STATION), L"2");
    }
    ASSERT_TRUE(Close(dialog, IDCANCEL));
  }
}

// A name typed with letters that only code page 1250 among the ANSI code
// pages holds reaches the log, the table file and, loaded again, the status
// bar unchanged.
TEST_F(ConnectionDialogTest, AccentedNameRoundTripsThroughTheTableFile) {
  VatSpec start = SimVat();
  start.name = "Start";
  start.vars = {{"MW0:1 (Word)"}};
  const std::wstring saved = dir_.File(L"saved.vat");
  ASSERT_TRUE(StartTolvane({.args = {WriteVat(L"start.vat", start)}}));
  LogSince(0, L"Start - S7_Connection_Init : OK.");
  CloseReadWindow();

  HWND dialog = OpenDialog(IDM_CONNECTION_MODIFY, kConnectionTitle);
  ASSERT_NE(dialog, nullptr);
  ASSERT_TRUE(TypeInto(dialog, IDC_CONN_NAME, L"Présgép ő Ű"));
  const std::size_t mark = LogMark();
  ASSERT_TRUE(Close(dialog, IDOK));
  LogSince(mark, L"Présgép ő Ű - S7_Connection_Init : OK.");

  const auto text = SaveTable(saved);
  ASSERT_TRUE(text.has_value());
  EXPECT_NE(text->find("Name = Pr\xE9sg\xE9p \xF5 \xDB\r\n"), std::string::npos) << *text;

  PostCommand(main_, IDM_FILE_EXIT);
  ASSERT_TRUE(WaitForExit(*program_, kDefaultWaitMs).has_value());
  ASSERT_TRUE(StartTolvane({.args = {saved}}));
  LogSince(0, L"Présgép ő Ű - S7_Connection_Init : OK.");
  CloseReadWindow();
  EXPECT_NE(StatusPlc().find(L"(Présgép ő Ű)"), std::wstring::npos) << Utf8(StatusPlc());
  PostCommand(main_, IDM_FILE_EXIT);
  EXPECT_TRUE(WaitForExit(*program_, kDefaultWaitMs).has_value());
}

// Chooses a family in the dialog as the user does: the entry, then the
// list's notice.
void ChooseFromList(HWND dialog, int id, int index) {
  HWND box = GetDlgItem(dialog, id);
  Send(box, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(box));
}

// Each family against the simulator acting as that family: the dialog
// offers the family's rack and slot or its TSAPs (and only what names that
// family's PLCs), shows the TSAPs the request will carry, and OK connects
// with them; the status bar names the PLC as the family does.
TEST_F(ConnectionDialogTest, EveryFamilyConnects) {
  ASSERT_TRUE(StartTolvane());
  ASSERT_TRUE(ConnectToSimulator());
  struct Case {
    plcsim::Family sim;
    int index;  // in the family list
    const wchar_t* shot;
    const wchar_t* rack;   // null: a family named by its TSAPs
    const wchar_t* slot;
    int type;              // the type list's choice the family brings
    bool askOp;            // then OP is chosen instead
    const wchar_t* local;  // the TSAPs shown (greyed for a rack/slot family) and sent
    const wchar_t* remote;
    const wchar_t* status;  // the status bar after the address
  } cases[] = {
      {plcsim::Family::S7_1200, 1, L"dialog-connection-s7-1200", L"0", L"1", 0, false, L"0100", L"0101",
       L", Rack : 0, Slot : 1"},
      {plcsim::Family::S7_1500, 2, L"dialog-connection-s7-1500", L"0", L"1", 0, true, L"0100", L"0201",
       L", Rack : 0, Slot : 1"},
      {plcsim::Family::Logo, 3, L"dialog-connection-logo", nullptr, nullptr, 0, false, L"0100", L"0200",
       L", TSAP : 0100:0200"},
      {plcsim::Family::S7_200, 4, L"dialog-connection-s7-200", nullptr, nullptr, 0, false, L"1000", L"1001",
       L", TSAP : 1000:1001"},
      {plcsim::Family::S7_200Smart, 5, L"dialog-connection-s7-200-smart", L"0", L"1", 2, false, L"0100", L"0301",
       L", Rack : 0, Slot : 1"},
      {plcsim::Family::Custom, 6, L"dialog-connection-custom", nullptr, nullptr, 0, false, L"0100", L"0102",
       L", TSAP : 0100:0102"},
      {plcsim::Family::S7_300, 0, L"dialog-connection-s7-300", L"0", L"2", 0, false, L"0100", L"0102",
       L", Rack : 0, Slot : 2"},
  };
  const std::string address = sim_.AddressText();
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf8(c.shot));
    plcsim::Config config = plcsim::FamilyConfig(c.sim);
    config.address = sim_.Address();
    config.pgConnections = 0;  // the program's old connection goes only after the dialog
    sim_.Stop();
    ASSERT_TRUE(sim_.Start(config));
    HWND dialog = OpenDialog(IDM_CONNECTION_MODIFY, kConnectionTitle);
    ASSERT_NE(dialog, nullptr);
    ChooseFromList(dialog, IDC_CONN_FAMILY, c.index);
    const bool rackSlot = c.rack != nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (IsWindowEnabled(GetDlgItem(dialog, IDC_CONN_RACK)) != FALSE) == rackSlot; }));
    EXPECT_EQ(IsWindowEnabled(GetDlgItem(dialog, IDC_CONN_TYPE)) != FALSE, rackSlot);
    EXPECT_EQ(IsWindowEnabled(GetDlgItem(dialog, IDC_CONN_LOCAL_TSAP)) != FALSE, !rackSlot);
    EXPECT_EQ(IsWindowEnabled(GetDlgItem(dialog, IDC_CONN_REMOTE_TSAP)) != FALSE, !rackSlot);
    if (rackSlot) {
      EXPECT_EQ(ControlText(dialog, IDC_CONN_RACK), c.rack);
      EXPECT_EQ(ControlText(dialog, IDC_CONN_SLOT), c.slot);
      EXPECT_EQ(ComboBoxSelection(GetDlgItem(dialog, IDC_CONN_TYPE)), c.type);
      if (c.askOp) ChooseFromList(dialog, IDC_CONN_TYPE, 1);
    }
    EXPECT_TRUE(WaitUntil([&] { return ControlText(dialog, IDC_CONN_REMOTE_TSAP) == c.remote; }))
        << Utf8(ControlText(dialog, IDC_CONN_REMOTE_TSAP));
    EXPECT_EQ(ControlText(dialog, IDC_CONN_LOCAL_TSAP), c.local);
    Shot(dialog, c.shot);
    const std::size_t mark = LogMark();
    ASSERT_TRUE(Close(dialog, IDOK));
    LogSince(mark, L"S7_Connection_Init : OK.");
    EXPECT_EQ(StatusPlc(), L" TCP : " + std::wstring(address.begin(), address.end()) + c.status);
    const plcsim::Bytes cr = sim_.LastConnectRequest();
    ASSERT_EQ(cr.size(), 22u);
    const auto tsapAt = [&](std::size_t at) { return static_cast<unsigned>(cr[at] << 8 | cr[at + 1]); };
    EXPECT_EQ(tsapAt(16), std::wcstoul(c.local, nullptr, 16)) << "calling TSAP";
    EXPECT_EQ(tsapAt(20), std::wcstoul(c.remote, nullptr, 16)) << "called TSAP";
  }
}

// A TSAP field takes 1-4 hex digits: anything else is drawn red and keeps
// OK disabled, for the families named by TSAPs only.
TEST_F(ConnectionDialogTest, TsapFieldsAreRedOnBadHex) {
  ASSERT_TRUE(StartTolvane());
  ASSERT_TRUE(ConnectToSimulator());
  HWND dialog = OpenDialog(IDM_CONNECTION_MODIFY, kConnectionTitle);
  ASSERT_NE(dialog, nullptr);
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_CONN_LOCAL_TSAP))) << "an S7-300 is named by rack and slot";
  // Greyed, they follow what rack and slot make of the called TSAP.
  ASSERT_TRUE(SetText(dialog, IDC_CONN_RACK, L"1"));
  ASSERT_TRUE(SetText(dialog, IDC_CONN_SLOT, L"3"));
  EXPECT_TRUE(WaitUntil([&] { return ControlText(dialog, IDC_CONN_REMOTE_TSAP) == L"0123"; }))
      << Utf8(ControlText(dialog, IDC_CONN_REMOTE_TSAP));
  EXPECT_EQ(ControlText(dialog, IDC_CONN_LOCAL_TSAP), L"0100");
  ChooseFromList(dialog, IDC_CONN_FAMILY, 6);
  ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(GetDlgItem(dialog, IDC_CONN_LOCAL_TSAP)) != FALSE; }));
  CheckFieldCases(dialog,
                  {
                      {IDC_CONN_LOCAL_TSAP, L"0300", true},
                      {IDC_CONN_LOCAL_TSAP, L"1", true},
                      {IDC_CONN_LOCAL_TSAP, L"01G0", false},
                      {IDC_CONN_LOCAL_TSAP, L"", false},
                      {IDC_CONN_LOCAL_TSAP, L"12345", false},
                      {IDC_CONN_LOCAL_TSAP, L"0x10", false},
                      {IDC_CONN_LOCAL_TSAP, L" 100", false},
                  },
                  L"0100");
  CheckFieldCases(dialog, {{IDC_CONN_REMOTE_TSAP, L"ffff", true}, {IDC_CONN_REMOTE_TSAP, L"2:00", false}}, L"0102");
  SetText(dialog, IDC_CONN_REMOTE_TSAP, L"xyz");
  Shot(dialog, L"dialog-connection-tsap-invalid");
  EXPECT_FALSE(OkEnabled(dialog));
  ChooseFromList(dialog, IDC_CONN_FAMILY, 1);
  EXPECT_TRUE(WaitUntil([&] { return OkEnabled(dialog); })) << "an S7-1200 does not use the TSAP fields";
  ASSERT_TRUE(Close(dialog, IDCANCEL));
}

// Without the access point's library the interface cannot open: the entry
// says so, and nothing that needs the interface is offered.
TEST_F(ConnectionDialogTest, AFailedOpenOffersNothingThatNeedsTheInterface) {
  const std::wstring exe = dir_.File(L"tolvane.exe");
  ASSERT_TRUE(CopyFileW(BesideThisProgram(L"tolvane.exe").c_str(), exe.c_str(), FALSE));
  ASSERT_TRUE(StartTolvane({}, exe));

  HWND dialog = OpenDialog(IDM_INTERFACE_OPEN, kInterfaceTitle);
  ASSERT_NE(dialog, nullptr);
  ASSERT_TRUE(Click(GetDlgItem(dialog, IDC_IF_S7ONLINE)));
  const std::size_t mark = LogMark();
  ASSERT_TRUE(Close(dialog, IDOK));
  const std::wstring added = LogSince(mark, L"S7_Interface_Init : ");
  EXPECT_EQ(added.find(L"S7_Interface_Init : OK."), std::wstring::npos) << Utf8(added);
  EXPECT_EQ(StatusPlc(), L"");

  // The menu itself cannot be read from another process; the command's
  // re-check shows what it offers, and the menu rule is tested natively.
  PostCommand(main_, IDM_CONNECTION_OPEN);
  EXPECT_EQ(WaitForDialog(program_->id, kConnectionTitle, 1000), nullptr) << "a connection needs an interface";
  dialog = OpenDialog(IDM_INTERFACE_OPEN, kInterfaceTitle);
  ASSERT_NE(dialog, nullptr) << "the interface can be opened again";
  EXPECT_TRUE(IsChecked(GetDlgItem(dialog, IDC_IF_S7ONLINE)));
  ASSERT_TRUE(Close(dialog, IDCANCEL));

  PostCommand(main_, IDM_FILE_EXIT);
  EXPECT_TRUE(WaitForExit(*program_, kDefaultWaitMs).has_value());
}

}  // namespace
}  // namespace gui
