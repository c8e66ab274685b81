// The list-box line sink. Each line's width is kept, so no line that was not
// rewritten is measured again (the extent is the largest kept width); in a
// fixed-pitch font a width is the line's length times one advance.
// The list does not draw while lines are replaced: each insertion and
// deletion would otherwise repaint it and its scroll bars on the spot, which
// costs far more than the change itself. A refresh that changes nothing
// sends the list nothing.
#include "win32/toolkit/listlines.h"

#include <algorithm>

#include "win32/toolkit/wintext.h"

namespace {

// The advance of a font of fixed pitch, else 0.
int FixedAdvance(HWND list, HFONT font) {
  HDC dc = GetDC(list);
  if (!dc) return 0;
  HGDIOBJ old = font ? SelectObject(dc, font) : nullptr;
  TEXTMETRICW metrics{};
  // The flag is set for a variable pitch.
  const bool fixed = GetTextMetricsW(dc, &metrics) && !(metrics.tmPitchAndFamily & TMPF_FIXED_PITCH);
  if (old) SelectObject(dc, old);
  ReleaseDC(list, dc);
  return fixed ? metrics.tmAveCharWidth : 0;
}

}  // namespace

ListBoxLines::~ListBoxLines() {
  if (dc_) {
    if (oldFont_) SelectObject(dc_, oldFont_);
    ReleaseDC(list_, dc_);
  }
}

void ListBoxLines::Attach(HWND list, HFONT font) {
  list_ = list;
  font_ = font;
  advance_ = FixedAdvance(list, font);
  extent_ = -1;
  selected_ = -1;
  widths_.clear();
  written_.clear();
}

void ListBoxLines::Select(int line) {
  selected_ = line;
  SendMessageW(list_, LB_SETCURSEL, static_cast<WPARAM>(line), 0);
}

void ListBoxLines::Freeze() {
  if (frozen_) return;
  top_ = SendMessageW(list_, LB_GETTOPINDEX, 0, 0);
  visible_ = (GetWindowLongPtrW(list_, GWL_STYLE) & WS_VISIBLE) != 0;
  SendMessageW(list_, WM_SETREDRAW, FALSE, 0);
  frozen_ = true;
}

void ListBoxLines::Clear() {
  Freeze();
  SendMessageW(list_, LB_RESETCONTENT, 0, 0);
  widths_.clear();
  selected_ = -1;
  cleared_ = true;
}

void ListBoxLines::Line(int index, const char* text, int length) {
  Freeze();
  const std::wstring wide = Wide(text, static_cast<std::size_t>(length));
  const bool replace = index >= 0 && static_cast<std::size_t>(index) < widths_.size();
  const WPARAM at = replace ? static_cast<WPARAM>(index) : static_cast<WPARAM>(-1);
  SendMessageW(list_, LB_INSERTSTRING, at, reinterpret_cast<LPARAM>(wide.c_str()));
  if (replace) SendMessageW(list_, LB_DELETESTRING, static_cast<WPARAM>(index) + 1, 0);
  const int width = advance_ > 0 ? advance_ * static_cast<int>(wide.size()) : Measure(wide);
  if (replace)
    widths_[static_cast<std::size_t>(index)] = width;
  else
    widths_.push_back(width);
  written_.push_back(index);
}

// A font without a fixed pitch: the text's extent, in a device context
// taken once per build or refresh.
int ListBoxLines::Measure(const std::wstring& text) {
  if (!dc_) {
    dc_ = GetDC(list_);
    if (!dc_) return 0;
    if (font_) oldFont_ = SelectObject(dc_, font_);
  }
  SIZE size{};
  GetTextExtentPoint32W(dc_, text.c_str(), static_cast<int>(text.size()), &size);
  return size.cx;
}

// true when the horizontal scroll bar changes with the extent: it is shown,
// or was, because a line is wider than the list.
bool ListBoxLines::SetExtent() {
  const int widest = widths_.empty() ? 0 : *std::max_element(widths_.begin(), widths_.end());
  // A few pixels beyond the text, so its last letter is not cut at the edge.
  const int extent = widest + 4;
  if (extent == extent_) return false;
  const int before = extent_;
  extent_ = extent;
  SendMessageW(list_, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(extent), 0);
  RECT client{};
  GetClientRect(list_, &client);
  return std::max(before, extent) > client.right;
}

// Drawing back on. It goes on while the list is hidden by its style alone
// (which repaints nothing): re-enabling a visible list brings its scroll bars
// up to date on the spot, which under Wine costs several times the lines
// themselves. Then one invalidation: the band from the first to the last line
// written, or the whole list with its scroll bars after it was emptied or the
// horizontal scroll bar changed.
void ListBoxLines::Thaw(bool all) {
  const LONG_PTR style = GetWindowLongPtrW(list_, GWL_STYLE);
  SetWindowLongPtrW(list_, GWL_STYLE, style & ~static_cast<LONG_PTR>(WS_VISIBLE));
  SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
  // Read again: bringing the scroll bars up to date may have shown or hidden
  // one, and the style from before would take that back.
  const LONG_PTR now = GetWindowLongPtrW(list_, GWL_STYLE);
  SetWindowLongPtrW(list_, GWL_STYLE, visible_ ? now | WS_VISIBLE : now & ~static_cast<LONG_PTR>(WS_VISIBLE));
  if (all || written_.empty()) {
    RedrawWindow(list_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
    return;
  }
  const auto [first, last] = std::minmax_element(written_.begin(), written_.end());
  RECT top{}, bottom{};
  auto itemRect = [this](int index, RECT* r) {
    return SendMessageW(list_, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(r)) != LB_ERR;
  };
  if (!itemRect(*first, &top) || !itemRect(*last, &bottom)) return;
  RECT band{top.left, top.top, top.right, bottom.bottom};
  InvalidateRect(list_, &band, FALSE);
}

void ListBoxLines::Flush() {
  if (!frozen_) return;
  if (dc_) {
    if (oldFont_) SelectObject(dc_, oldFont_);
    ReleaseDC(list_, dc_);
    dc_ = nullptr;
    oldFont_ = nullptr;
  }
  const bool scrollBar = SetExtent();
  // Only the selected line's own rewrite takes its selection away, and only
  // a rebuild moves the top line for good; both are put back.
  if (cleared_ || std::find(written_.begin(), written_.end(), selected_) != written_.end())
    SendMessageW(list_, LB_SETCURSEL, static_cast<WPARAM>(selected_), 0);
  if (SendMessageW(list_, LB_GETTOPINDEX, 0, 0) != top_)
    SendMessageW(list_, LB_SETTOPINDEX, static_cast<WPARAM>(top_), 0);
  Thaw(cleared_ || scrollBar);
  frozen_ = false;
  cleared_ = false;
  written_.clear();
}
