// The Edit control behind the log pane.
#include "win32/editview.h"

#include "win32/toolkit/wintext.h"

void EditView::GetSelection(int* start, int* end) {
  DWORD s = 0, e = 0;
  SendMessageW(edit_, EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&e));
  *start = static_cast<int>(s);
  *end = static_cast<int>(e);
}

void EditView::SetSelection(int start, int end) { SendMessageW(edit_, EM_SETSEL, static_cast<WPARAM>(start), end); }

void EditView::ReplaceSelection(const char* text) {
  const std::wstring wide = Wide(text);
  SendMessageW(edit_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(wide.c_str()));
}

bool EditView::IsMinimised() {
  WINDOWPLACEMENT placement{};
  placement.length = sizeof placement;
  return GetWindowPlacement(owner_, &placement) && placement.showCmd == SW_SHOWMINIMIZED;
}
