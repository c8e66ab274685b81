// The read window's layout: the list stretches with the window, the bottom
// row, the reconnect box, the separator and the close button keep their
// distance from the bottom edge, the close button stays centred and the
// status bar docks itself.
#include "win32/dialogs/readlayout.h"

#include "res/resource.h"

namespace {

constexpr int kRowIds[3] = {IDC_READ_REFRESH, IDC_READ_INTERVAL, IDC_READ_HIDE_MAIN};

// A control's rectangle in the dialog's client coordinates.
RECT ClientRect(HWND dialog, int id) {
  RECT r{};
  GetWindowRect(GetDlgItem(dialog, id), &r);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

void Move(HDWP* defer, HWND dialog, int id, int x, int y, int width = 0, int height = 0) {
  const UINT flags = SWP_NOZORDER | SWP_NOACTIVATE | (width || height ? 0 : SWP_NOSIZE);
  if (*defer) *defer = DeferWindowPos(*defer, GetDlgItem(dialog, id), nullptr, x, y, width, height, flags);
}

}  // namespace

void ReadLayout_Record(ReadLayout* layout, HWND dialog) {
  RECT client{};
  GetClientRect(dialog, &client);
  const int h = client.bottom;
  const RECT list = ClientRect(dialog, IDC_READ_LIST);
  layout->left = list.left;
  layout->top = list.top;
  layout->right = client.right - list.right;
  layout->listBottom = h - list.bottom;
  int rowDistance = 0, rowWidths = 0;
  RECT row[3];
  for (int i = 0; i < 3; ++i) {
    row[i] = ClientRect(dialog, kRowIds[i]);
    layout->rowBottom[i] = h - row[i].top;
    layout->rowWidth[i] = row[i].right - row[i].left;
    if (layout->rowBottom[i] > rowDistance) rowDistance = layout->rowBottom[i];
    rowWidths += layout->rowWidth[i];
  }
  layout->gap = row[1].left - row[0].right;
  layout->reconnectBottom = h - ClientRect(dialog, IDC_READ_RECONNECT).top;
  const RECT separator = ClientRect(dialog, IDC_SEPARATOR);
  layout->separatorBottom = h - separator.top;
  layout->separatorHeight = separator.bottom - separator.top;
  const RECT close = ClientRect(dialog, IDC_READ_CLOSE);
  layout->closeBottom = h - close.top;
  layout->closeWidth = close.right - close.left;

  // The three bottom-row controls side by side with three margins, and half
  // the list above the bottom row; the frame comes on top of that.
  RECT window{};
  GetWindowRect(dialog, &window);
  const int frameWidth = (window.right - window.left) - client.right;
  const int frameHeight = (window.bottom - window.top) - client.bottom;
  layout->minimum.cx = rowWidths + 3 * layout->left + frameWidth;
  layout->minimum.cy = (list.bottom - list.top) / 2 + rowDistance + 2 * layout->top + frameHeight;
  layout->recorded = true;
}

void ReadLayout_Apply(const ReadLayout* layout, HWND dialog, int width, int height) {
  if (!layout->recorded) return;
  SendDlgItemMessageW(dialog, IDC_READ_STATUS, WM_SIZE, 0, 0);
  HDWP defer = BeginDeferWindowPos(7);
  const int listWidth = width - layout->left - layout->right;
  const int listHeight = height - layout->top - layout->listBottom;
  Move(&defer, dialog, IDC_READ_LIST, layout->left, layout->top, listWidth > 1 ? listWidth : 1,
       listHeight > 1 ? listHeight : 1);
  Move(&defer, dialog, IDC_READ_REFRESH, layout->left, height - layout->rowBottom[0]);
  Move(&defer, dialog, IDC_READ_INTERVAL, layout->left + layout->rowWidth[0] + layout->gap,
       height - layout->rowBottom[1]);
  Move(&defer, dialog, IDC_READ_HIDE_MAIN, width - layout->right - layout->rowWidth[2], height - layout->rowBottom[2]);
  Move(&defer, dialog, IDC_READ_RECONNECT, layout->left, height - layout->reconnectBottom);
  Move(&defer, dialog, IDC_SEPARATOR, layout->left, height - layout->separatorBottom,
       listWidth > 1 ? listWidth : 1, layout->separatorHeight);
  Move(&defer, dialog, IDC_READ_CLOSE, (width - layout->closeWidth) / 2, height - layout->closeBottom);
  if (defer) EndDeferWindowPos(defer);
  InvalidateRect(dialog, nullptr, TRUE);
}

void ReadLayout_MinMax(const ReadLayout* layout, MINMAXINFO* info) {
  if (!layout->recorded) return;
  info->ptMinTrackSize.x = layout->minimum.cx;
  info->ptMinTrackSize.y = layout->minimum.cy;
}
