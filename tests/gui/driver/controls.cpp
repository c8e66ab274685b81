// Dialog controls across processes: plain messages where their parameters
// are values, a buffer inside the program where they point at a structure,
// the screen's device context for colours. A held mouse button is posted to
// the control: under Wine on Xvfb, input from SendInput is overtaken by the
// X pointer, which a test cannot move, and whose moves would also reach the
// control while it holds the capture; the posted moves keep the pointer over
// the point.
#include "tests/gui/driver/controls.h"

#include <commctrl.h>

#include "tests/gui/driver/remote.h"
#include "tests/gui/driver/texts.h"

namespace gui {
namespace {

DWORD ProcessOf(HWND window) {
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  return pid;
}

// A structure the control fills through the pointer in lParam; the
// message's own result in *result.
template <typename T>
bool ReadThrough(HWND control, UINT message, WPARAM wParam, T* out, LRESULT* result) {
  RemoteBuffer buffer(ProcessOf(control), sizeof(T));
  if (!buffer.Address()) return false;
  const auto answer = Send(control, message, wParam, reinterpret_cast<LPARAM>(buffer.Address()));
  if (!answer || !buffer.Read(out, sizeof(T))) return false;
  *result = *answer;
  return true;
}

}  // namespace

bool FocusControl(HWND dialog, HWND control) {
  return Send(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE).has_value();
}

bool Click(HWND button) { return Send(button, BM_CLICK, 0, 0).has_value(); }

bool IsChecked(HWND button) {
  const auto state = Send(button, BM_GETCHECK, 0, 0);
  return state && *state == BST_CHECKED;
}

std::optional<SYSTEMTIME> PickerTime(HWND picker) {
  SYSTEMTIME time{};
  LRESULT result = GDT_ERROR;
  if (!ReadThrough(picker, DTM_GETSYSTEMTIME, 0, &time, &result) || result != GDT_VALID) return std::nullopt;
  return time;
}

std::optional<IpFieldValue> IpField(HWND field) {
  DWORD address = 0;
  LRESULT filled = 0;
  if (!ReadThrough(field, IPM_GETADDRESS, 0, &address, &filled)) return std::nullopt;
  return IpFieldValue{static_cast<int>(filled), address};
}

std::optional<int> SpinnerPosition(HWND spinner) {
  const auto position = Send(spinner, UDM_GETPOS32, 0, 0);
  if (!position) return std::nullopt;
  return static_cast<int>(*position);
}

std::optional<std::pair<int, int>> Selection(HWND edit) {
  const auto packed = Send(edit, EM_GETSEL, 0, 0);
  if (!packed) return std::nullopt;
  return std::make_pair(static_cast<int>(LOWORD(*packed)), static_cast<int>(HIWORD(*packed)));
}

COLORREF ScreenPixel(HWND window, POINT client) {
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  // Wine copies a window's pixels to the screen a moment after it painted.
  Sleep(100);
  ClientToScreen(window, &client);
  HDC screen = GetDC(nullptr);
  const COLORREF colour = GetPixel(screen, client.x, client.y);
  ReleaseDC(nullptr, screen);
  return colour;
}

bool HoldMouse(HWND window, POINT client, DWORD ms, const std::function<void()>& during, DWORD pollMs) {
  const LPARAM at = MAKELPARAM(client.x, client.y);
  if (!PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, at)) return false;
  const ULONGLONG end = GetTickCount64() + ms;
  while (GetTickCount64() < end) {
    PostMessageW(window, WM_MOUSEMOVE, MK_LBUTTON, at);
    during();
    Sleep(pollMs);
  }
  return PostMessageW(window, WM_LBUTTONUP, 0, at) != 0;
}

HWND FileDialogNameField(HWND dialog) {
  if (HWND combo = GetDlgItem(dialog, 0x47C)) {
    HWND edit = FindWindowExW(combo, nullptr, L"Edit", nullptr);
    return edit ? edit : combo;
  }
  return GetDlgItem(dialog, 0x480);
}

}  // namespace gui
