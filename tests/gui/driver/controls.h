// Working a driven program's dialog controls from outside: focus and
// clicks, check boxes, spinners, edit selections, date pickers and IPv4
// fields (read through memory in the program where the message carries a
// pointer), the colour a control is drawn in, and a held mouse button.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <utility>

namespace gui {

// Moves the dialog's focus to control as the Tab key would (WM_NEXTDLGCTL),
// so that typed keys go there; an edit gets its text selected.
bool FocusControl(HWND dialog, HWND control);

// Presses a button (BM_CLICK): an auto check box or radio button changes its
// state and the dialog gets the command as from a click.
bool Click(HWND button);
bool IsChecked(HWND button);

// A date and time picker's value (DTM_GETSYSTEMTIME); nothing when it holds
// none or the program does not answer.
std::optional<SYSTEMTIME> PickerTime(HWND picker);

// An IPv4 address field: how many of the four parts hold a number, and the
// address with the first part in the high byte.
struct IpFieldValue {
  int filled;
  DWORD address;
};
std::optional<IpFieldValue> IpField(HWND field);

// An up-down control's position (UDM_GETPOS32).
std::optional<int> SpinnerPosition(HWND spinner);

// An edit control's selection as (start, end).
std::optional<std::pair<int, int>> Selection(HWND edit);

// The file name field of the system's open or save dialog: the Explorer
// style's combo box (cmb13) with its edit inside, or the old style's edit
// (edt1); null when the dialog has neither.
HWND FileDialogNameField(HWND dialog);

// The colour on screen at a point of window's client area, once the program
// has painted.
COLORREF ScreenPixel(HWND window, POINT client);

// Holds the left mouse button down over a point of window's client area for
// ms milliseconds (the button's messages, and the pointer's standing over
// the point every pollMs, posted to window), calling during() every pollMs
// meanwhile; the button is released whatever during() does.
bool HoldMouse(HWND window, POINT client, DWORD ms, const std::function<void()>& during, DWORD pollMs = 20);

}  // namespace gui
