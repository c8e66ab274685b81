// Acting on a driven program: menu commands posted to a window, real
// keystrokes (SendInput) for what only the keyboard reaches, such as the
// accelerator table and a dialog's Esc and Enter, and real mouse clicks.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <string_view>

namespace gui {

// A menu or accelerator command as the program's window procedure gets it.
// Posted, never sent: a modal dialog that the command opens would block a
// sender until the dialog closes.
bool PostCommand(HWND window, int id);

// Makes window the foreground window, which gets the keyboard; false when it
// did not become so within timeoutMs.
bool Activate(HWND window, DWORD timeoutMs = 2000);

// Activates window, then presses the keys in order and releases them in
// reverse: {VK_CONTROL, 'R'} is Ctrl+R, {VK_MENU, 'X'} is Alt+X.
bool PressKeys(HWND window, std::initializer_list<WORD> keys);

// Whether window's thread is tracking a menu (its menu bar, even with no
// popup open, or a popup). A command posted meanwhile runs inside the menu's
// loop, and keys still queued for the menu go to whatever that command opens:
// after closing a menu with keys, wait for this to turn false.
bool InMenuMode(HWND window);

// Activates window's top-level window, moves the mouse to the point given in
// window's client coordinates and clicks there with the left (or right)
// button.
bool MouseClick(HWND window, POINT client, bool right = false);
// The same with two left clicks in a row: a double click.
bool DoubleClick(HWND window, POINT client);

// Activates window and types each character with the key (and Shift) that
// the keyboard layout has for it, e.g. "?".
bool TypeText(HWND window, std::wstring_view text);

// Clicks the close button of window's title bar with the mouse (found by
// asking the window where its close button is); false when it has none.
bool ClickCloseButton(HWND window);

}  // namespace gui
