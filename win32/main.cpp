// tolvane.exe's entry: the runtime, the main window, the message loop and the
// shutdown. A fault nothing else handles on this thread shows the fatal
// message and still closes the interface before the program ends.
#include <windows.h>

#include "app/maintexts.h"
#include "win32/shell.h"
#include "win32/toolkit/wintext.h"
#include "res/resource.h"
#include "res/strings.h"
#include "runtime/messageloop.h"
#include "runtime/runtime.h"

namespace {

// C++ exceptions end with the code Windows gives them.
constexpr int kCppExceptionCode = static_cast<int>(0xE06D7363u);

void ShowFatal() {
  MessageBoxW(TheShell()->main, WideText(IDS_FATAL_TEXT).c_str(), WideText(IDS_FATAL_CAPTION).c_str(),
              MB_ICONSTOP | MB_OK);
}

void OnMainThreadFault(unsigned code) {
  ShowFatal();
  Shell_Shutdown();
  Rt_FatalExit(static_cast<int>(code));
}

void ShowStartFailure(int failure) {
  MessageBoxW(TheShell()->main, WideText(failure).c_str(), WideText(IDS_STARTUP_CAPTION).c_str(),
              MB_ICONSTOP | MB_OK);
}

int AppMain(const wchar_t* commandTail) {
  int exitCode = 0;
  try {
    const int failure = Shell_CreateMainWindow(commandTail);
    if (failure) {
      if (failure != kStartAnotherInstance) ShowStartFailure(failure);
      exitCode = failure - kStartAnotherInstance;
    } else {
      ThreadContext* tc = CurrentThreadContext();
      tc->accelWindow = TheShell()->main;
      tc->accelTable = LoadAcceleratorsW(TheShell()->instance, MAKEINTRESOURCEW(IDR_ACCELERATORS));
      exitCode = RunMessageLoop(nullptr);
    }
  } catch (...) {
    ShowFatal();
    exitCode = kCppExceptionCode;
  }
  Shell_Shutdown();
  return exitCode;
}

// The program's own path, in its code page (empty when a letter of it has no
// place there: the default file name then starts empty).
void TakeModulePath() {
  wchar_t path[MAX_PATH] = L"";
  const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::string narrow;
  if (n > 0 && n < MAX_PATH && Narrow(path, n, &narrow))
    lstrcpynA(TheShell()->modulePath, narrow.c_str(), sizeof TheShell()->modulePath);
}

// The command line after the program's name.
std::wstring CommandTail() {
  const wchar_t* line = GetCommandLineW();
  const std::u16string whole(line, line + lstrlenW(line));
  const char16_t* tail = CommandLine_Tail(whole.c_str());
  return std::wstring(tail, whole.c_str() + whole.size());
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
  if (int rc = Rt_Init()) ExitProcess(static_cast<UINT>(rc));
  Rt_InstallFaultFilter(OnMainThreadFault);
  TakeModulePath();
  const std::wstring tail = CommandTail();
  Rt_FatalExit(AppMain(tail.c_str()));
}
