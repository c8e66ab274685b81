// What every dialog of the program does the same way: centred over the main
// window within the work area, the arrow cursor, a field that gets the focus
// selects its text, invalid fields black on the host's red brush, and date
// and time pickers in the program's own form. A dialog gets what it needs
// from its caller in a DialogHost; it never looks for the main window.
#pragma once

#include <windows.h>

// What a dialog needs of the window that opens it. The handles are the
// caller's and outlive the dialog.
struct DialogHost {
  HWND owner;           // the dialog's owner (the main window, or the dialog that opens this one)
  HWND centreOver;      // the window the dialog is centred over: the main window
  HBRUSH invalidBrush;  // red background of invalid fields
  HFONT listFont;       // the lists of the variable dialogs and the read window
};

// The same host for a dialog that a dialog opens: owned by that one.
inline DialogHost Dialog_Child(const DialogHost& host, HWND owner) {
  DialogHost child = host;
  child.owner = owner;
  return child;
}

// Runs the modal dialog of template templateId over host.owner; what it
// ended with.
INT_PTR Dialog_Run(const DialogHost& host, int templateId, DLGPROC proc, LPARAM param);

// For WM_INITDIALOG: centred over host.centreOver, the arrow cursor.
void Dialog_Prepare(HWND dialog, const DialogHost& host);

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

// For WM_CTLCOLOREDIT / WM_CTLCOLORSTATIC of a field: black on the host's
// red brush when invalid; null (the default colours) otherwise.
HBRUSH Dialog_FieldColours(const DialogHost& host, HDC dc, bool invalid);
// Keeps a field's invalid flag; a change redraws the field in its colours.
void Dialog_MarkInvalid(HWND field, bool* flag, bool invalid);

// A date picker and a time picker write "yyyy.MM.dd" and "HH:mm:ss", as the
// status bar's clock does, whatever the system's locale (which would add an
// AM/PM part that narrow time pickers cut off). Either may be null.
void Dialog_PickerFormats(HWND datePicker, HWND timePicker);
