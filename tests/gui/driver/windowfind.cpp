// Window lookup across processes with EnumWindows and the W functions.
#include "tests/gui/driver/windowfind.h"

#include "tests/gui/driver/texts.h"

namespace gui {
namespace {

struct Search {
  DWORD pid;
  const wchar_t* cls;
  const wchar_t* title;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<Search*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (pid != search->pid || !IsWindowVisible(window)) return TRUE;
  if (search->cls && ClassName(window) != search->cls) return TRUE;
  if (search->title && WindowText(window) != search->title) return TRUE;
  search->found.push_back(window);
  return TRUE;
}

BOOL CALLBACK CollectStaticText(HWND child, LPARAM param) {
  auto* texts = reinterpret_cast<std::wstring*>(param);
  if (_wcsicmp(ClassName(child).c_str(), L"Static") == 0) {
    const std::wstring text = WindowText(child);
    if (!text.empty()) *texts += L" \"" + text + L"\"";
  }
  return TRUE;
}

}  // namespace

std::wstring ClassName(HWND window) {
  wchar_t name[256];
  const int n = GetClassNameW(window, name, static_cast<int>(std::size(name)));
  return std::wstring(name, n > 0 ? static_cast<std::size_t>(n) : 0);
}

std::vector<HWND> TopLevelWindows(DWORD pid, const wchar_t* cls, const wchar_t* title) {
  Search search{pid, cls, title, {}};
  EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs, DWORD pollMs) {
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  while (!done()) {
    if (GetTickCount64() >= deadline) return done();
    Sleep(pollMs);
  }
  return true;
}

HWND WaitForWindow(DWORD pid, const wchar_t* cls, const wchar_t* title, DWORD timeoutMs) {
  HWND window = nullptr;
  WaitUntil(
      [&] {
        const std::vector<HWND> found = TopLevelWindows(pid, cls, title);
        window = found.empty() ? nullptr : found.front();
        return window != nullptr;
      },
      timeoutMs);
  return window;
}

std::vector<HWND> OpenDialogs(DWORD pid) { return TopLevelWindows(pid, L"#32770"); }

HWND WaitForDialog(DWORD pid, const wchar_t* title, DWORD timeoutMs) {
  return WaitForWindow(pid, L"#32770", title, timeoutMs);
}

std::wstring DescribeDialog(HWND dialog) {
  DWORD pid = 0;
  GetWindowThreadProcessId(dialog, &pid);
  std::wstring text = L"process " + std::to_wstring(pid) + L": dialog \"" + WindowText(dialog) + L"\"";
  EnumChildWindows(dialog, CollectStaticText, reinterpret_cast<LPARAM>(&text));
  return text;
}

}  // namespace gui
