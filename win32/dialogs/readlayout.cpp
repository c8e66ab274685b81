// The read window's layout: the list stretches with the window, the two rows
// under it, the reconnect box, the separator and the close button keep their
// distance from the bottom edge, the close button stays centred and the
// status bar docks itself.
#include "win32/dialogs/readlayout.h"

#include "res/resource.h"

namespace {

constexpr int kRowIds[2][3] = {{IDC_READ_LOG, IDC_READ_LOG_CHANGED, IDC_READ_TREND},
                               {IDC_READ_REFRESH, IDC_READ_INTERVAL, IDC_READ_HIDE_MAIN}};

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

// Measures one row; returns its widths added up, and its largest distance
// from the bottom in *distance.
int RecordRow(HWND dialog, const int* ids, int height, ReadLayoutRow* row, int* distance) {
  RECT r[3];
  int widths = 0;
  for (int i = 0; i < 3; ++i) {
    r[i] = ClientRect(dialog, ids[i]);
    row->bottom[i] = height - r[i].top;
    row->width[i] = r[i].right - r[i].left;
    if (row->bottom[i] > *distance) *distance = row->bottom[i];
    widths += row->width[i];
  }
  row->gap = r[1].left - r[0].right;
  return widths;
}

void ApplyRow(HDWP* defer, HWND dialog, const int* ids, const ReadLayout* layout, const ReadLayoutRow& row, int width,
              int height) {
  Move(defer, dialog, ids[0], layout->left, height - row.bottom[0]);
  Move(defer, dialog, ids[1], layout->left + row.width[0] + row.gap, height - row.bottom[1]);
  Move(defer, dialog, ids[2], width - layout->right - row.width[2], height - row.bottom[2]);
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
  for (int r = 0; r < 2; ++r) {
    const int widths = RecordRow(dialog, kRowIds[r], h, &layout->rows[r], &rowDistance);
    if (widths > rowWidths) rowWidths = widths;
  }
  layout->reconnectBottom = h - ClientRect(dialog, IDC_READ_RECONNECT).top;
  const RECT separator = ClientRect(dialog, IDC_SEPARATOR);
  layout->separatorBottom = h - separator.top;
  layout->separatorHeight = separator.bottom - separator.top;
  const RECT close = ClientRect(dialog, IDC_READ_CLOSE);
  layout->closeBottom = h - close.top;
  layout->closeWidth = close.right - close.left;

  // The wider row's three controls side by side with three margins, and
  // half the list above the rows; the frame comes on top of that.
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
  HDWP defer = BeginDeferWindowPos(10);
  const int listWidth = width - layout->left - layout->right;
  const int listHeight = height - layout->top - layout->listBottom;
  Move(&defer, dialog, IDC_READ_LIST, layout->left, layout->top, listWidth > 1 ? listWidth : 1,
       listHeight > 1 ? listHeight : 1);
  for (int r = 0; r < 2; ++r) ApplyRow(&defer, dialog, kRowIds[r], layout, layout->rows[r], width, height);
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
