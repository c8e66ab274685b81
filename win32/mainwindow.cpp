// The main window: its class, its creation with the status bar and the log,
// the start-up file, its window procedure and the shutdown that follows the
// message loop.
#include <windows.h>
#include <commctrl.h>

#include "app/appstate.h"
#include "app/maintexts.h"
#include "app/menustate.h"
#include "app/tracing.h"
#include "app/vatload.h"
#include "app/watchdog.h"
#include "win32/editview.h"
#include "win32/filecommands.h"
#include "win32/readhold.h"
#include "win32/toolkit/filedialog.h"
#include "win32/shell.h"
#include "win32/toolkit/winutil.h"
#include "win32/toolkit/wintext.h"
#include "res/codepage.h"
#include "res/resource.h"
#include "res/strings.h"
#include "runtime/runtime.h"

namespace {

Shell g_shell;

// How long a shutdown waits for the read window's thread to end on its own
// before it is parked.
constexpr std::uint32_t kReadThreadParkMs = 2000;

// The first command-line argument, when it names a file that exists; the
// path in code page 1250, or the reason it cannot be used.
struct StartFile {
  bool given = false;
  bool representable = true;
  std::wstring wide;
  char path[kPathSize] = "";
};

StartFile FindStartFile(const wchar_t* commandTail) {
  StartFile file;
  const std::u16string tail(commandTail, commandTail + lstrlenW(commandTail));
  char16_t first[kPathSize];
  const int n = CommandLine_FirstArgument(tail.c_str(), first, kPathSize);
  if (n == 0) return file;
  file.wide.assign(first, first + n);
  // A directory is no file to load (a path cut at the limit may end in one).
  const DWORD attributes = GetFileAttributesW(file.wide.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return file;
  file.given = true;
  std::string narrow;
  file.representable = Cp1250FromUtf16(first, static_cast<std::size_t>(n), &narrow);
  if (file.representable) lstrcpynA(file.path, narrow.c_str(), sizeof file.path);
  return file;
}

// Another instance runs: brought forward when no file was given.
bool HandOverToRunningInstance(const std::wstring& className, bool fileGiven) {
  HWND running = FindWindowW(className.c_str(), nullptr);
  if (!running || fileGiven) return false;
  if (IsIconic(running)) ShowWindow(running, SW_RESTORE);
  SetForegroundWindow(running);
  return true;
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

bool RegisterMainClass(const std::wstring& className) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = MainWindowProc;
  wc.hInstance = g_shell.instance;
  wc.hIcon = LoadIconW(g_shell.instance, MAKEINTRESOURCEW(IDI_TOLVANE));
  // Shared, as the large one: the system keeps it for the module's life and
  // nothing has to be destroyed when the class goes.
  wc.hIconSm = static_cast<HICON>(LoadImageW(g_shell.instance, MAKEINTRESOURCEW(IDI_TOLVANE), IMAGE_ICON,
                                             GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), LR_SHARED));
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszMenuName = MAKEINTRESOURCEW(IDR_MAINMENU);
  wc.lpszClassName = className.c_str();
  return RegisterClassExW(&wc) != 0;
}

HWND CreateMain(const std::wstring& className, const std::wstring& title) {
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  const int w = work.right - work.left;
  const int h = work.bottom - work.top;
  // Each division is a shift, so the quarter is truncated before it is tripled.
  return CreateWindowExW(0, className.c_str(), title.c_str(), WS_OVERLAPPEDWINDOW, work.left + (w >> 3),
                         work.top + (h >> 3), (w >> 2) * 3, (h >> 2) * 3, nullptr, nullptr, g_shell.instance,
                         nullptr);
}

HWND CreateLog() {
  RECT client{};
  GetClientRect(g_shell.main, &client);
  RECT bar{};
  GetWindowRect(g_shell.status, &bar);
  g_shell.statusHeight = bar.bottom - bar.top;
  return CreateWindowExW(WS_EX_STATICEDGE, L"Edit", L"",
                         WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE |
                             ES_AUTOVSCROLL | ES_AUTOHSCROLL | ES_NOHIDESEL | ES_READONLY,
                         0, 0, client.right, client.bottom - g_shell.statusHeight, g_shell.main,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(kLogEditId)), g_shell.instance, nullptr);
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE: return 0;
    case WM_DESTROY:
      if (g_shell.logFont) DeleteObject(g_shell.logFont);
      g_shell.logFont = nullptr;
      KillTimer(window, kClockTimer);
      PostQuitMessage(0);
      return 0;
    case WM_SIZE: Shell_Layout(wParam); return 0;
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE && g_shell.edit) SetFocus(g_shell.edit);
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      BeginPaint(window, &ps);
      EndPaint(window, &ps);
      return 0;
    }
    case WM_CLOSE:
      // Honoured even while the read window holds the main window disabled
      // (taskbar, system menu of a hidden window, a posted WM_CLOSE).
      if (ReadHold_Running())
        ReadHold_CloseProgram();
      else
        Shell_Command(IDM_FILE_EXIT);
      return 0;
    case WM_COMMAND: {
      const int id = LOWORD(wParam);
      if (id >= IDM_FIRST && id <= IDM_LAST) {
        Shell_Command(id);
        return 0;
      }
      break;
    }
    case WM_INITMENUPOPUP:
      // A failed write may have ended the trace on the read window's thread.
      Shell_UpdateTraceCheck();
      break;
    case WM_TIMER:
      if (wParam == kClockTimer) {
        Shell_ClockTick();
        return 0;
      }
      break;
    case WM_GETMINMAXINFO:
      if (g_shell.minimumSizeFlag) {
        Shell_MinMaxInfo(reinterpret_cast<MINMAXINFO*>(lParam));
        return 0;
      }
      break;
    case WM_DISPLAYCHANGE: return 0;
    case WM_CTLCOLORSTATIC: {
      // One system brush for every message: nothing is created per message.
      HDC dc = reinterpret_cast<HDC>(wParam);
      SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
      SetBkColor(dc, GetSysColor(COLOR_WINDOW));
      return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
    }
    default:
      if (message == kWmLogText) {
        LogPane_HandleMessage(PlatMessage{message, wParam, lParam});
        return 0;
      }
      if (message == kWmThreadStarting) return 0;  // the starter says which thread is which
      if (message == kWmThreadEnded) {
        ReadHold_ThreadEnded(static_cast<std::uint32_t>(lParam));
        return 0;
      }
      if (message == kWmReadWindowClosing) {
        ReadHold_WindowClosing();
        return 0;
      }
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

Shell* TheShell() { return &g_shell; }

int Shell_CreateMainWindow(const wchar_t* commandTail) {
  INITCOMMONCONTROLSEX controls{sizeof controls, 0x1FFF};
  InitCommonControlsEx(&controls);
  g_shell.instance = GetModuleHandleW(nullptr);
  const StartFile file = FindStartFile(commandTail);

  const std::wstring className = WideText(IDS_CLASS_NAME);
  if (HandOverToRunningInstance(className, file.given)) return kStartAnotherInstance;
  char title[kTitleSize];
  Title_Text(file.given && file.representable ? TitleFile::With : TitleFile::Without, file.path, title, sizeof title);
  if (!RegisterMainClass(className)) return kStartClassFailed;
  g_shell.main = CreateMain(className, Wide(title));
  if (!g_shell.main) return kStartWindowFailed;
  Rt_SetMainWindow(g_shell.main);

  g_shell.status = CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0, 0, 0,
                                   g_shell.main, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kStatusBarId)),
                                   g_shell.instance, nullptr);
  if (!g_shell.status) return kStartStatusFailed;
  Shell_SetStatusParts();
  g_shell.edit = CreateLog();
  if (!g_shell.edit) return kStartLogFailed;
  g_shell.logView = new (std::nothrow) EditView(g_shell.edit, g_shell.main);
  g_shell.log = g_shell.logView ? LogPane_Create(g_shell.main, g_shell.logView, kMainLogCharLimit, kMainLogLineLimit)
                                : nullptr;
  if (!g_shell.log) return kStartLogFailed;  // without its pane the log would only drop texts
  SetMainLogPane(g_shell.log);
  SetFrontEnd(Shell_FrontEnd());

  SetPriorityClass(GetCurrentProcess(), REALTIME_PRIORITY_CLASS);  // whatever the system grants
  g_shell.minimumSizeFlag = true;
  Shell_SelectLogFont(1);
  g_shell.listFont = CreatePointFont(g_shell.main, 10, FW_NORMAL, L"Courier New");
  ShowWindow(g_shell.main, SW_SHOWNORMAL);
  UpdateWindow(g_shell.main);
  SetTimer(g_shell.main, kClockTimer, 100, nullptr);
  g_shell.invalidBrush = CreateSolidBrush(RGB(255, 0, 0));

  DialogMemory_Reset(&g_shell.memory);
  AppState* app = TheAppState();
  AppState_Reset(app);
  Shell_UpdateMenu(MenuState::Closed, MenuState::Closed, SaveItem::Refresh);
  // Said in the log rather than opened under a garbled name.
  if (file.given && !file.representable) FileDialog_LogUnusablePath(IDS_FILE_LOAD_TITLE, file.wide, IDS_LOG_NAME_NOT_CP1250);
  if (file.given && file.representable) {
    lstrcpynA(g_shell.fileName, file.path, sizeof g_shell.fileName);
    Vat_Load(file.path, app);
    Shell_AfterLoad();
  }
  return 0;
}

void Shell_Shutdown() {
  // Already running when the close waited for the read window.
  Watchdog_Start(kShutdownLimitMs);
  // After a fault the read window's thread may still be inside a read or a
  // log write: it is stopped before anything it uses goes.
  ReadHold_Park(kReadThreadParkMs);
  AppState* app = TheAppState();
  if (app->iface) app->iface = S7_Interface_Done(app->iface);
  app->conn = nullptr;
  Cmd_TraceStop();  // every frame up to the DR is in the file
  if (g_shell.logFont) DeleteObject(g_shell.logFont);
  g_shell.logFont = nullptr;
  if (g_shell.listFont) DeleteObject(g_shell.listFont);
  g_shell.listFont = nullptr;
  if (g_shell.invalidBrush) DeleteObject(g_shell.invalidBrush);
  g_shell.invalidBrush = nullptr;
  SetFrontEnd(nullptr);
  SetMainLogPane(nullptr);
  LogPane_Destroy(g_shell.log);
  g_shell.log = nullptr;
  delete g_shell.logView;
  g_shell.logView = nullptr;
  AppState_ClearVariables(app);
  // Nothing of the window is left behind, so a process can make it again
  // (the in-process GUI tests make one per test).
  UnregisterClassW(WideText(IDS_CLASS_NAME).c_str(), g_shell.instance);
  Rt_SetMainWindow(nullptr);
  Shell fresh{};
  fresh.instance = g_shell.instance;
  lstrcpynA(fresh.modulePath, g_shell.modulePath, sizeof fresh.modulePath);
  g_shell = fresh;
  Watchdog_Stop();
}
