// The click behaviour of a list box, as a window subclass: the list handles
// the click as always, then the item under the click point (the common
// controls' hit test) decides whether the selection goes away, and the parent
// is told when the click changed it.
#include "win32/toolkit/listclick.h"

#include <commctrl.h>
#include <windowsx.h>

namespace {

constexpr UINT_PTR kSubclassId = 0x11C1;

LRESULT CALLBACK ClickProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
  switch (message) {
    case WM_LBUTTONDOWN: {
      const auto before = static_cast<int>(SendMessageW(list, LB_GETCURSEL, 0, 0));
      const LRESULT result = DefSubclassProc(list, message, wParam, lParam);
      POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      ClientToScreen(list, &at);
      const int hit = LBItemFromPt(list, at, FALSE);
      if (hit < 0 || hit == before) SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
      const auto after = static_cast<int>(SendMessageW(list, LB_GETCURSEL, 0, 0));
      if (after != before)
        SendMessageW(GetParent(list), kWmListSelection, static_cast<WPARAM>(GetDlgCtrlID(list)), after);
      return result;
    }
    case WM_NCDESTROY: RemoveWindowSubclass(list, ClickProc, kSubclassId); break;
    default: break;
  }
  return DefSubclassProc(list, message, wParam, lParam);
}

}  // namespace

bool ListClick_Attach(HWND list) { return SetWindowSubclass(list, ClickProc, kSubclassId, 0) != FALSE; }

void ListClick_Detach(HWND list) { RemoveWindowSubclass(list, ClickProc, kSubclassId); }
