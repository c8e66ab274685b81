// Finding a driven program's windows from the test process: its top-level
// windows by class and title, its open dialogs and message boxes, and waiting
// for one to appear. The test must run in the same (virtual) desktop as the
// program; windows of other desktops are not seen.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace gui {

// How long a test waits for a window or an effect unless it says otherwise.
inline constexpr DWORD kDefaultWaitMs = 10000;

// The visible top-level windows of process pid, in z-order; cls and title
// (exact, case-sensitive) narrow the choice when not null.
std::vector<HWND> TopLevelWindows(DWORD pid, const wchar_t* cls = nullptr, const wchar_t* title = nullptr);

// The first such window once one exists, or null after timeoutMs.
HWND WaitForWindow(DWORD pid, const wchar_t* cls, const wchar_t* title, DWORD timeoutMs = kDefaultWaitMs);

// Dialogs and message boxes: visible top-level windows of class "#32770".
std::vector<HWND> OpenDialogs(DWORD pid);
HWND WaitForDialog(DWORD pid, const wchar_t* title, DWORD timeoutMs = kDefaultWaitMs);

// A dialog for a failure message: its title and the texts of its static
// controls (a message box's message among them).
std::wstring DescribeDialog(HWND dialog);

std::wstring ClassName(HWND window);

// Asks done() every pollMs (sleeping in between) until it holds or timeoutMs
// has passed; done()'s last answer.
bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs = kDefaultWaitMs, DWORD pollMs = 20);

}  // namespace gui
