// The diagnostic buffer window: the entries the dispatcher read, one line
// each in the list font, newest first. The user resizes it by its frame,
// copies the selected lines (or all) with the button or Ctrl+C, and saves
// them through the caller's save; Ctrl+A selects every line.
#include <windows.h>

#include <string>
#include <vector>

#include "app/szltext.h"
#include "res/resource.h"
#include "win32/dialogs/dialogs.h"
#include "win32/toolkit/listlines.h"
#include "win32/toolkit/wintext.h"

namespace {

constexpr int kButtons[] = {IDC_DIAG_COPY, IDC_DIAG_SAVE, IDC_DIAG_CLOSE};

// Where the template put the controls, as distances from the client edges
// they keep when the window changes size.
struct DiagLayout {
  bool recorded = false;
  int left = 0, top = 0, right = 0, listBottom = 0;
  int buttonRight[3] = {}, buttonBottom = 0;
  SIZE minimum{};
};

struct DiagWindow {
  const DialogHost* host;
  const DiagWindowArgs* args;
  ListBoxLines lines;
  DiagLayout layout;
};

RECT ClientRect(HWND dialog, int id) {
  RECT r{};
  GetWindowRect(GetDlgItem(dialog, id), &r);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

void Record(DiagLayout* layout, HWND dialog) {
  RECT client{}, window{};
  GetClientRect(dialog, &client);
  GetWindowRect(dialog, &window);
  const RECT list = ClientRect(dialog, IDC_DIAG_LIST);
  layout->left = list.left;
  layout->top = list.top;
  layout->right = client.right - list.right;
  layout->listBottom = client.bottom - list.bottom;
  for (int i = 0; i < 3; ++i) layout->buttonRight[i] = client.right - ClientRect(dialog, kButtons[i]).left;
  layout->buttonBottom = client.bottom - ClientRect(dialog, IDC_DIAG_CLOSE).top;
  // The three buttons side by side with a margin, and a few lines of list.
  layout->minimum.cx = layout->buttonRight[0] + layout->left + (window.right - window.left) - client.right;
  layout->minimum.cy = layout->top + layout->listBottom + (list.bottom - list.top) / 4 +
                       (window.bottom - window.top) - client.bottom;
  layout->recorded = true;
}

void Apply(const DiagLayout* layout, HWND dialog, int width, int height) {
  if (!layout->recorded) return;
  HDWP defer = BeginDeferWindowPos(4);
  const int listWidth = width - layout->left - layout->right;
  const int listHeight = height - layout->top - layout->listBottom;
  if (defer)
    defer = DeferWindowPos(defer, GetDlgItem(dialog, IDC_DIAG_LIST), nullptr, layout->left, layout->top,
                           listWidth > 1 ? listWidth : 1, listHeight > 1 ? listHeight : 1,
                           SWP_NOZORDER | SWP_NOACTIVATE);
  for (int i = 0; i < 3 && defer; ++i)
    defer = DeferWindowPos(defer, GetDlgItem(dialog, kButtons[i]), nullptr, width - layout->buttonRight[i],
                           height - layout->buttonBottom, 0, 0, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOSIZE);
  if (defer) EndDeferWindowPos(defer);
  InvalidateRect(dialog, nullptr, TRUE);
}

void FillList(HWND dialog, DiagWindow* w) {
  HWND list = GetDlgItem(dialog, IDC_DIAG_LIST);
  SendMessageW(list, WM_SETFONT, reinterpret_cast<WPARAM>(w->host->listFont), FALSE);
  w->lines.Attach(list, w->host->listFont);
  w->lines.Clear();
  const DiagList* entries = w->args->list;
  for (int i = 0; i < entries->count; ++i) {
    char line[kDiagLineMax];
    const int n = Diag_FormatLine(&entries->entries[i], line, sizeof line);
    w->lines.Line(i, line, n);
  }
  w->lines.Flush();
}

// The selected lines, or every line when none is selected, as UTF-16 text
// with CR LF after each, onto the clipboard.
void Copy(HWND dialog, const DiagWindow* w) {
  HWND list = GetDlgItem(dialog, IDC_DIAG_LIST);
  const int selected = static_cast<int>(SendMessageW(list, LB_GETSELCOUNT, 0, 0));
  std::vector<int> rows(selected > 0 ? static_cast<std::size_t>(selected) : 0);
  if (selected > 0) SendMessageW(list, LB_GETSELITEMS, rows.size(), reinterpret_cast<LPARAM>(rows.data()));
  if (rows.empty())
    for (int i = 0; i < w->args->list->count; ++i) rows.push_back(i);
  std::wstring text;
  for (int row : rows) {
    if (row < 0 || row >= w->args->list->count) continue;
    char line[kDiagLineMax];
    const int n = Diag_FormatLine(&w->args->list->entries[row], line, sizeof line);
    text += Wide(line, static_cast<std::size_t>(n));
    text += L"\r\n";
  }
  if (!OpenClipboard(dialog)) return;
  EmptyClipboard();
  const std::size_t bytes = (text.size() + 1) * sizeof(wchar_t);
  if (HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes)) {
    if (void* p = GlobalLock(block)) {
      CopyMemory(p, text.c_str(), bytes);
      GlobalUnlock(block);
      if (!SetClipboardData(CF_UNICODETEXT, block)) GlobalFree(block);
    } else {
      GlobalFree(block);
    }
  }
  CloseClipboard();
}

// Ctrl+C and Ctrl+A in the list; -1 lets the list handle the key itself.
INT_PTR ListKey(HWND dialog, const DiagWindow* w, int key) {
  if (GetKeyState(VK_CONTROL) >= 0) return -1;
  if (key == 'C') {
    Copy(dialog, w);
    return -2;
  }
  if (key == 'A') {
    SendDlgItemMessageW(dialog, IDC_DIAG_LIST, LB_SETSEL, TRUE, -1);
    return -2;
  }
  return -1;
}

INT_PTR CALLBACK DiagProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* w = Dialog_State<DiagWindow>(dialog, message, lParam);
  if (!w) return FALSE;
  switch (message) {
    case WM_INITDIALOG:
      FillList(dialog, w);
      Record(&w->layout, dialog);
      Dialog_Prepare(dialog, *w->host);
      return TRUE;
    case WM_SIZE: Apply(&w->layout, dialog, LOWORD(lParam), HIWORD(lParam)); return TRUE;
    case WM_GETMINMAXINFO:
      if (w->layout.recorded) {
        auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
        info->ptMinTrackSize.x = w->layout.minimum.cx;
        info->ptMinTrackSize.y = w->layout.minimum.cy;
      }
      return TRUE;
    case WM_VKEYTOITEM: return ListKey(dialog, w, LOWORD(wParam));
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDC_DIAG_COPY: Copy(dialog, w); return TRUE;
        case IDC_DIAG_SAVE: w->args->save(w->args->context, dialog); return TRUE;
        case IDC_DIAG_CLOSE:
        case IDCANCEL: EndDialog(dialog, 0); return TRUE;
        default: return FALSE;
      }
    default: return FALSE;
  }
}

}  // namespace

void Dialog_DiagBuffer(const DialogHost& host, const DiagWindowArgs& args) {
  DiagWindow window{&host, &args, {}, {}};
  Dialog_Run(host, IDD_DIAG_BUFFER, DiagProc, reinterpret_cast<LPARAM>(&window));
}
