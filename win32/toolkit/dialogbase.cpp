// The conventions all dialogs share.
#include "win32/toolkit/dialogbase.h"

#include <commctrl.h>

#include "win32/toolkit/winutil.h"

void Dialog_MarkInvalid(HWND field, bool* flag, bool invalid) {
  if (*flag == invalid) return;
  *flag = invalid;
  InvalidateRect(field, nullptr, TRUE);
}

INT_PTR Dialog_Run(const DialogHost& host, int templateId, DLGPROC proc, LPARAM param) {
  return DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId), host.owner, proc, param);
}

void Dialog_Prepare(HWND dialog, const DialogHost& host) {
  CentreWindow(dialog, host.centreOver);
  UseArrowCursor(dialog);
}

void Dialog_SelectAll(HWND edit) { PostMessageW(edit, EM_SETSEL, 0, -1); }

HBRUSH Dialog_FieldColours(const DialogHost& host, HDC dc, bool invalid) {
  if (!invalid) return nullptr;
  SetTextColor(dc, RGB(0, 0, 0));
  SetBkColor(dc, RGB(255, 0, 0));
  return host.invalidBrush;
}

void Dialog_PickerFormats(HWND datePicker, HWND timePicker) {
  if (datePicker) SendMessageW(datePicker, DTM_SETFORMATW, 0, reinterpret_cast<LPARAM>(L"yyyy.MM.dd"));
  if (timePicker) SendMessageW(timePicker, DTM_SETFORMATW, 0, reinterpret_cast<LPARAM>(L"HH:mm:ss"));
}
