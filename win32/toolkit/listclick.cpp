// The click behaviour of a list box, as a window subclass: the list handles
// the click as always, then the item under the click point (the common
// controls' hit test) decides whether the selection goes away, and the parent
// is told when the click changed it.
// The list's own procedure is kept in its GWLP_USERDATA rather than with
// SetWindowSubclass: the common controls find a subclass's data through a
// window property, which Wine fetches from its server on every message, and
// a read window rewriting 500 lines sends the list a thousand messages.
#include "win32/toolkit/listclick.h"

#include <commctrl.h>
#include <windowsx.h>

namespace {

WNDPROC OwnProc(HWND list) { return reinterpret_cast<WNDPROC>(GetWindowLongPtrW(list, GWLP_USERDATA)); }

LRESULT CALLBACK ClickProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
  const WNDPROC own = OwnProc(list);
  if (!own) return DefWindowProcW(list, message, wParam, lParam);
  switch (message) {
    case WM_LBUTTONDOWN: {
      const auto before = static_cast<int>(SendMessageW(list, LB_GETCURSEL, 0, 0));
      const LRESULT result = CallWindowProcW(own, list, message, wParam, lParam);
      POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      ClientToScreen(list, &at);
      const int hit = LBItemFromPt(list, at, FALSE);
      if (hit < 0 || hit == before) SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
      const auto after = static_cast<int>(SendMessageW(list, LB_GETCURSEL, 0, 0));
      if (after != before)
        SendMessageW(GetParent(list), kWmListSelection, static_cast<WPARAM>(GetDlgCtrlID(list)), after);
      return result;
    }
    case WM_NCDESTROY: ListClick_Detach(list); break;
    default: break;
  }
  return CallWindowProcW(own, list, message, wParam, lParam);
}

bool Attached(HWND list) {
  return GetWindowLongPtrW(list, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&ClickProc);
}

}  // namespace

bool ListClick_Attach(HWND list) {
  if (Attached(list)) return true;
  // The slot already holds something of someone else's: the list stays plain.
  if (!list || GetWindowLongPtrW(list, GWLP_USERDATA) != 0) return false;
  const LONG_PTR own = GetWindowLongPtrW(list, GWLP_WNDPROC);
  if (!own) return false;
  SetWindowLongPtrW(list, GWLP_USERDATA, own);
  if (SetWindowLongPtrW(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ClickProc)) == 0) {
    SetWindowLongPtrW(list, GWLP_USERDATA, 0);
    return false;
  }
  return true;
}

void ListClick_Detach(HWND list) {
  if (!Attached(list)) return;
  SetWindowLongPtrW(list, GWLP_WNDPROC, GetWindowLongPtrW(list, GWLP_USERDATA));
  SetWindowLongPtrW(list, GWLP_USERDATA, 0);
}
