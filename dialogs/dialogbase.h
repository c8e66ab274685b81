// What every dialog of the program does the same way: centred over the main
// window within the work area, the arrow cursor, a field that gets the focus
// selects its text, and for invalid fields the main window's one red brush.
#pragma once

#include <windows.h>

// For WM_INITDIALOG.
void Dialog_Prepare(HWND dialog);

// For EN_SETFOCUS of a text field: the whole text is selected once the
// focus has arrived (posted, so that a mouse click placing the caret does
// not undo it).
void Dialog_SelectAll(HWND edit);

// For WM_CTLCOLOREDIT / WM_CTLCOLORSTATIC of a field: black on the shared
// red brush when invalid; null (the default colours) otherwise.
HBRUSH Dialog_FieldColours(HDC dc, bool invalid);
