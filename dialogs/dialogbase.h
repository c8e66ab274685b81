// What every dialog of the program does the same way: centred over the main
// window within the work area, the arrow cursor, a field that gets the focus
// selects its text, for invalid fields the main window's one red brush, and
// date and time pickers in the program's own form.
#pragma once

#include <windows.h>

// Runs the modal dialog of template templateId over owner; what it ended with.
INT_PTR Dialog_Run(HWND owner, int templateId, DLGPROC proc, LPARAM param);

// For WM_INITDIALOG.
void Dialog_Prepare(HWND dialog);

// The record a dialog works on: the dialog's parameter, kept with the window
// at WM_INITDIALOG. Null for the few messages that come before it.
template <typename T>
T* Dialog_State(HWND dialog, UINT message, LPARAM lParam) {
  if (message == WM_INITDIALOG) SetWindowLongPtrW(dialog, GWLP_USERDATA, lParam);
  return reinterpret_cast<T*>(GetWindowLongPtrW(dialog, GWLP_USERDATA));
}

// For EN_SETFOCUS of a text field: the whole text is selected once the
// focus has arrived (posted, so that a mouse click placing the caret does
// not undo it).
void Dialog_SelectAll(HWND edit);

// For WM_CTLCOLOREDIT / WM_CTLCOLORSTATIC of a field: black on the shared
// red brush when invalid; null (the default colours) otherwise.
HBRUSH Dialog_FieldColours(HDC dc, bool invalid);
// Keeps a field's invalid flag; a change redraws the field in its colours.
void Dialog_MarkInvalid(HWND field, bool* flag, bool invalid);

// A date picker and a time picker write "yyyy.MM.dd" and "HH:mm:ss", as the
// status bar's clock does, whatever the system's locale (which would add an
// AM/PM part that narrow time pickers cut off). Either may be null.
void Dialog_PickerFormats(HWND datePicker, HWND timePicker);
