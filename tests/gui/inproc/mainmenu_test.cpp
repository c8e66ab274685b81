// The main window's menu, which Wine does not let another process read,
// checked in this process: the test creates the real main window itself
// (with the file on its "command line" against the simulator or the
// stand-in access point), runs its commands and reads the items' states,
// the log and the status bar. The window in this process also shows that a
// hardware fault on a worker thread leaves it running.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <set>

#include "app/appstate.h"
#include "app/logpane.h"
#include "app/commands.h"
#include "app/menustate.h"
#include "app/vatload.h"
#include "win32/shell.h"
#include "win32/readhold.h"
#include "platform/platform.h"
#include "res/codepage.h"
#include "runtime/messageloop.h"
#include "runtime/runtime.h"
#include "tests/gui/support/tempfiles.h"
#include "tools/plcsim/plcsim.h"

namespace gui {
namespace {

constexpr int kPopup = -1;  // "&Kapcsolat", position 1 of the second menu

class MainMenuTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(sim_.Start(plcsim::Config{})); }

  void TearDown() override {
    if (TheShell()->main) DestroyWindow(TheShell()->main);
    Shell_Shutdown();
    // The WM_QUIT of the destroyed window must not end a later dialog.
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
  }

  // Creates the main window for a command line naming file (none: empty).
  // A file that leaves a connection opens the read window, which is closed
  // again so that the main window takes commands.
  HWND Create(const std::wstring& file) {
    const std::wstring tail = file.empty() ? std::wstring() : L"\"" + file + L"\"";
    EXPECT_EQ(Shell_CreateMainWindow(tail.c_str()), 0);
    if (Vat_ReadWindowDue(TheAppState())) CloseReadWindow();
    return TheShell()->main;
  }

  // Runs this thread's messages (the read window's thread sends some to the
  // main window) until done() holds or 10 s have passed.
  template <typename Done>
  static bool PumpUntil(Done done) {
    const DWORD start = GetTickCount();
    while (!done()) {
      if (GetTickCount() - start > 10000) return false;
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
      MSG msg;
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
      }
    }
    return true;
  }
  static void CloseReadWindow() {
    HWND window = nullptr;
    ASSERT_TRUE(PumpUntil([&] { return (window = FindWindowW(nullptr, L"Változók olvasása")) != nullptr; }));
    PostMessageW(window, WM_CLOSE, 0, 0);
    // Until its thread's end message has been handled: the next window of
    // this process waits for that.
    ASSERT_TRUE(PumpUntil([] { return !ReadHold_Running() && IsWindowEnabled(TheShell()->main); }));
  }

  std::wstring WriteVat(const std::wstring& name, const VatSpec& spec) {
    const std::wstring path = dir_.File(name);
    EXPECT_TRUE(WriteCp1250(path, VatText(spec)));
    return path;
  }
  VatSpec SimVat() const {
    VatSpec spec;
    spec.name = "Présgép ő ű Á";
    spec.address = sim_.AddressText();
    spec.timeoutMs = 300;
    return spec;
  }

  static UINT State(int id) {
    HMENU menu = GetMenu(TheShell()->main);
    return id == kPopup ? GetMenuState(GetSubMenu(menu, 1), 1, MF_BYPOSITION)
                        : GetMenuState(menu, static_cast<UINT>(id), MF_BYCOMMAND);
  }
  // The items shown enabled, the connection popup as kPopup.
  static std::set<int> Enabled() {
    std::set<int> ids;
    for (int id = kPopup; id <= IDM_LAST; id = id == kPopup ? IDM_FIRST : id + 1) {
      if (!(State(id) & (MF_GRAYED | MF_DISABLED))) ids.insert(id);
    }
    return ids;
  }
  // What the rules enable.
  static std::set<int> Expect(std::initializer_list<int> byRule) { return std::set<int>(byRule); }

  static std::wstring Log() {
    HWND edit = TheShell()->edit;
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(edit)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(edit, text.data(), static_cast<int>(text.size()))));
    return text;
  }
  static std::wstring StatusPart(int part) {
    wchar_t text[256] = L"";
    SendMessageW(TheShell()->status, SB_GETTEXTW, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(text));
    return text;
  }
  static bool EndsWith(const std::wstring& text, const std::wstring& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
  }

  plcsim::Simulator sim_;
  TempDir dir_;
};

// The items every state enables.
#define ALWAYS IDM_FILE_OPEN, IDM_FILE_EXIT, IDM_FONT_SMALL, IDM_FONT_NORMAL, IDM_FONT_LARGE, IDM_ABOUT, IDM_TRACE

TEST_F(MainMenuTest, WithoutAFileNothingNeedingAnInterfaceIsOffered) {
  ASSERT_NE(Create(L""), nullptr);
  EXPECT_EQ(Enabled(), Expect({ALWAYS, IDM_INTERFACE_OPEN}));
  EXPECT_TRUE(State(IDM_FONT_NORMAL) & MF_CHECKED);
  EXPECT_EQ(StatusPart(1), L"");
}

TEST_F(MainMenuTest, ItemsFollowTheConnectionThroughItsLifeCycle) {
  ASSERT_NE(Create(WriteVat(L"demo.vat", SimVat())), nullptr);
  const std::set<int> connected =
      Expect({ALWAYS, IDM_FILE_SAVE, IDM_INTERFACE_CLOSE, kPopup, IDM_CONNECTION_CLOSE, IDM_CONNECTION_MODIFY,
              IDM_DISCONNECT, IDM_CPU_STATE, IDM_CPU_START, IDM_CPU_STOP, IDM_CPU_INFO, IDM_DIAG_BUFFER,
              IDM_GET_CLOCK, IDM_SET_CLOCK, IDM_LOGIN, IDM_LOGOUT, IDM_READ, IDM_WRITE});
  const std::set<int> notConnected = Expect({ALWAYS, IDM_FILE_SAVE, IDM_INTERFACE_CLOSE, kPopup, IDM_CONNECTION_CLOSE,
                                             IDM_CONNECTION_MODIFY, IDM_CONNECT});
  EXPECT_EQ(Enabled(), connected);
  Shell_Command(IDM_DISCONNECT);
  EXPECT_EQ(Enabled(), notConnected);
  Shell_Command(IDM_CONNECT);
  EXPECT_EQ(Enabled(), connected);

  // A read that times out logs the read, then the disconnection, and the
  // menu offers connecting again.
  sim_.Inject({plcsim::FaultKind::NoAnswer});
  EXPECT_NE(Cmd_Transfer(TheAppState(), Transfer::Read), 0);
  EXPECT_TRUE(EndsWith(Log(), L"Présgép ő ű Á - S7_SimpleRead : Nem jött válasz időben.\r\n"
                              L"Présgép ő ű Á - S7_Disconnect : OK.\r\n"))
      << Log().size();
  EXPECT_EQ(Enabled(), notConnected);

  Shell_Command(IDM_CONNECTION_CLOSE);
  EXPECT_EQ(Enabled(), Expect({ALWAYS, IDM_FILE_SAVE, IDM_INTERFACE_CLOSE, kPopup, IDM_CONNECTION_OPEN}));
  EXPECT_EQ(StatusPart(1), L"TCP");
  Shell_Command(IDM_INTERFACE_CLOSE);
  EXPECT_EQ(Enabled(), Expect({ALWAYS, IDM_FILE_SAVE, IDM_INTERFACE_OPEN}));
  EXPECT_EQ(StatusPart(1), L"");
}

// While the read window reads, its thread owns the connection: the list
// commands are refused like every other, and run once the window is closed.
TEST_F(MainMenuTest, ListCommandsWaitForTheReadWindow) {
  const std::wstring tail = L"\"" + WriteVat(L"demo.vat", SimVat()) + L"\"";
  ASSERT_EQ(Shell_CreateMainWindow(tail.c_str()), 0);
  ASSERT_TRUE(PumpUntil([] { return ReadHold_Holding(); }));
  EXPECT_EQ(Shell_Command(IDM_CPU_INFO), kCommandRefused);
  EXPECT_EQ(Shell_Command(IDM_DIAG_BUFFER), kCommandRefused);
  EXPECT_EQ(Log().find(L"S7_ReadSzl"), std::wstring::npos);
  CloseReadWindow();
  EXPECT_EQ(Shell_Command(IDM_CPU_INFO), 0);
  EXPECT_NE(Log().find(L"Présgép ő ű Á - S7_ReadSzl : OK.\r\n\tRendelési szám : 6ES7 315-2EH14-0AB0\r\n"),
            std::wstring::npos);
}

TEST_F(MainMenuTest, AConnectionThatCannotConnectOffersConnecting) {
  const VatSpec spec = SimVat();
  sim_.Stop();  // nothing listens at the file's address any more
  ASSERT_NE(Create(WriteVat(L"demo.vat", spec)), nullptr);
  // Refused on the loopback address: the socket error with its code; the
  // read window, which a file that leaves a connection opens, cannot read.
  // The refusal is followed by the line saying what it most likely means.
  EXPECT_EQ(Log(), L"S7_Interface_Init : OK.\r\n"
                   L"Présgép ő ű Á - S7_Connection_Init : Socket hiba. Kiegészítő hibakód : 10061(0x274d).\r\n"
                   L"\tTipp : Ezen a címen senki sem fogad kapcsolatot a 102-es porton. Jó az IP cím? "
                   L"Be van kapcsolva a PLC, és elérhető a hálózaton?\r\n"
                   L"Présgép ő ű Á - S7_SimpleRead : A PLC kapcsolat bontva.\r\n");
  EXPECT_EQ(Enabled(), Expect({ALWAYS, IDM_FILE_SAVE, IDM_INTERFACE_CLOSE, kPopup, IDM_CONNECTION_CLOSE,
                               IDM_CONNECTION_MODIFY, IDM_CONNECT}));
}

TEST_F(MainMenuTest, BusItemsAreOfferedForAnMpiInterfaceOnly) {
  VatSpec spec;
  spec.kind = "S7ONLINE";
  spec.address = "2";
  ASSERT_NE(Create(WriteVat(L"mpi.vat", spec)), nullptr);
  EXPECT_TRUE(Enabled().contains(IDM_PARTNERS));
  EXPECT_TRUE(Enabled().contains(IDM_BUS_PARAMETERS));
  EXPECT_EQ(StatusPart(1), L" S7ONLINE : 2, Rack : 0, Slot : 2");
}

TEST_F(MainMenuTest, AnInterfaceThatFailsToOpenIsNotShownOpen) {
  // The stand-in refuses the next open when told so.
  HMODULE standIn = LoadLibraryW(L"S7onlinx.dll");
  ASSERT_NE(standIn, nullptr);
  auto control = reinterpret_cast<int (*)(const char*)>(
      reinterpret_cast<void (*)()>(GetProcAddress(standIn, "scpstandin_control")));
  ASSERT_NE(control, nullptr);
  ASSERT_EQ(control("openfail 5"), 0);
  VatSpec spec;
  spec.kind = "S7ONLINE";
  spec.address = "2";
  ASSERT_NE(Create(WriteVat(L"mpi.vat", spec)), nullptr);
  control("reset");
  EXPECT_EQ(Log().rfind(L"S7_Interface_Init : ", 0), 0u);
  EXPECT_EQ(Log().find(L"S7_Interface_Init : OK."), std::wstring::npos);
  EXPECT_EQ(Enabled(), Expect({ALWAYS, IDM_FILE_SAVE, IDM_INTERFACE_OPEN}));
  EXPECT_EQ(StatusPart(1), L"");
  FreeLibrary(standIn);
}

TEST_F(MainMenuTest, TheReadOnlyLogIsColouredWithOneBrushForEveryMessage) {
  ASSERT_NE(Create(L""), nullptr);
  HDC dc = GetDC(TheShell()->edit);
  const auto first = SendMessageW(TheShell()->main, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                  reinterpret_cast<LPARAM>(TheShell()->edit));
  EXPECT_EQ(GetTextColor(dc), GetSysColor(COLOR_WINDOWTEXT));
  EXPECT_EQ(GetBkColor(dc), GetSysColor(COLOR_WINDOW));
  for (int i = 0; i < 100; ++i) {
    EXPECT_EQ(SendMessageW(TheShell()->main, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                           reinterpret_cast<LPARAM>(TheShell()->edit)),
              first);
  }
  ReleaseDC(TheShell()->edit, dc);
  LOGBRUSH brush{};
  ASSERT_EQ(GetObjectW(reinterpret_cast<HBRUSH>(first), sizeof brush, &brush), static_cast<int>(sizeof brush));
  EXPECT_EQ(brush.lbColor, GetSysColor(COLOR_WINDOW));
}

// Writes an entry from its own thread, as the read window does, and reuses
// its buffer at once.
int LogsFromAnotherThread(void*) {
  std::string text;
  Cp1250FromUtf8Exact("Naplózás egy másik szálról: ő ű Á.\r\n", &text);
  LogWrite(MainLogPane(), text.c_str(), 0, LogOwnership::CallerKeeps);
  text.assign(text.size(), 'x');
  return 0;
}

TEST_F(MainMenuTest, EntriesFromAnotherThreadArriveThroughTheWindowsQueue) {
  ASSERT_NE(Create(L""), nullptr);
  PlatThread writer = StartThread(LogsFromAnotherThread, nullptr);
  ASSERT_NE(writer, nullptr);
  int code = -1;
  ASSERT_EQ(Plat_WaitThread(writer, 5000, &code), 1);
  Rt_CloseThread(writer);
  EXPECT_EQ(Log(), L"") << "appended on the writer's thread";
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  EXPECT_EQ(Log(), L"Naplózás egy másik szálról: ő ű Á.\r\n");
}

int WritesThroughNull(void* target) {
  *static_cast<volatile int*>(target) = 1;
  return 0;
}

void NoMainThreadFaultExpected(unsigned code) { ADD_FAILURE() << "fault on the main thread: " << code; }

TEST_F(MainMenuTest, AHardwareFaultOnAWorkerThreadEndsThatThreadAlone) {
  Rt_InstallFaultFilter(NoMainThreadFaultExpected);
  ASSERT_NE(Create(WriteVat(L"demo.vat", SimVat())), nullptr);
  PlatThread worker = StartThread(WritesThroughNull, nullptr);
  ASSERT_NE(worker, nullptr);
  int code = 0;
  ASSERT_EQ(Plat_WaitThread(worker, 5000, &code), 1);
  EXPECT_EQ(static_cast<DWORD>(code), static_cast<DWORD>(EXCEPTION_ACCESS_VIOLATION));
  Rt_CloseThread(worker);
  // The window and its connection go on.
  Shell_Command(IDM_CPU_STATE);
  EXPECT_TRUE(EndsWith(Log(), L"Présgép ő ű Á - S7_GetCpuState : OK.\r\n\tCPU : Run\r\n"));
}

// The thread of a window that main owns, other than this one: the read
// window's, while it exists (also before its title is set).
DWORD OwnedWindowThread(HWND main) {
  struct Search {
    HWND owner;
    DWORD thread;
  } search{main, 0};
  EnumWindows(
      [](HWND window, LPARAM param) -> BOOL {
        auto* s = reinterpret_cast<Search*>(param);
        const DWORD thread = GetWindowThreadProcessId(window, nullptr);
        if (GetWindow(window, GW_OWNER) != s->owner || thread == GetCurrentThreadId()) return TRUE;
        s->thread = thread;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.thread;
}

// A fault on the user-interface thread runs the shutdown (after the fatal
// message) while the read window's thread may be inside a read of a PLC that
// stopped answering. The shutdown parks that thread before it frees the
// interface, the log and the table, and goes on within its time limit (past
// it, the watchdog would end this test program).
TEST_F(MainMenuTest, AShutdownWhileTheReadWindowReadsParksItsThreadFirst) {
  VatSpec spec = SimVat();
  spec.timeoutMs = 30000;
  // The connection's set-up is answered, the window's first read is not.
  sim_.Inject({.kind = plcsim::FaultKind::Delay, .pauseMs = 0});
  sim_.Inject({.kind = plcsim::FaultKind::NoAnswer});
  const std::wstring tail = L"\"" + WriteVat(L"hang.vat", spec) + L"\"";
  ASSERT_EQ(Shell_CreateMainWindow(tail.c_str()), 0);
  HWND main = TheShell()->main;
  DWORD readThread = 0;
  ASSERT_TRUE(PumpUntil([&] { return sim_.RequestCount() > 1 && (readThread = OwnedWindowThread(main)) != 0; }));
  HANDLE thread = OpenThread(SYNCHRONIZE | THREAD_SUSPEND_RESUME | THREAD_TERMINATE, FALSE, readThread);
  ASSERT_NE(thread, nullptr);

  Shell_Shutdown();
  EXPECT_EQ(TheAppState()->iface, nullptr);
  EXPECT_EQ(MainLogPane(), nullptr);
  EXPECT_FALSE(ReadHold_Running());
  EXPECT_EQ(WaitForSingleObject(thread, 0), static_cast<DWORD>(WAIT_TIMEOUT)) << "still in its read";
  EXPECT_GE(SuspendThread(thread), 1u) << "parked where it was";

  // What a process that ends now does not need: the parked thread goes, and
  // its window with it, before the main window.
  TerminateThread(thread, 0);
  WaitForSingleObject(thread, 5000);
  CloseHandle(thread);
  DestroyWindow(main);
}

TEST_F(MainMenuTest, FontItemsCheckTheSizeTheLogShows) {
  ASSERT_NE(Create(L""), nullptr);
  HDC dc = GetDC(TheShell()->edit);
  const int dpi = GetDeviceCaps(dc, LOGPIXELSY);
  ReleaseDC(TheShell()->edit, dc);
  const struct {
    int id;
    int points;
  } kSizes[] = {{IDM_FONT_LARGE, 15}, {IDM_FONT_SMALL, 9}, {IDM_FONT_NORMAL, 12}};
  for (const auto& size : kSizes) {
    Shell_Command(size.id);
    for (int id : {IDM_FONT_SMALL, IDM_FONT_NORMAL, IDM_FONT_LARGE}) {
      EXPECT_EQ((State(id) & MF_CHECKED) != 0, id == size.id) << size.id << " " << id;
      // A check mark, not a radio bullet.
      MENUITEMINFOW item{sizeof item, MIIM_FTYPE};
      ASSERT_TRUE(GetMenuItemInfoW(GetMenu(TheShell()->main), static_cast<UINT>(id), FALSE, &item));
      EXPECT_EQ(item.fType & MFT_RADIOCHECK, 0u) << id;
    }
    LOGFONTW font{};
    auto handle = reinterpret_cast<HFONT>(SendMessageW(TheShell()->edit, WM_GETFONT, 0, 0));
    ASSERT_EQ(GetObjectW(handle, sizeof font, &font), static_cast<int>(sizeof font));
    EXPECT_EQ(font.lfHeight, -size.points * dpi / 72);
    EXPECT_STREQ(font.lfFaceName, L"Courier New");
  }
}

}  // namespace
}  // namespace gui
