// The value list box as the monitor's line sink: a changed line is replaced
// in place (inserted at its index, the old one deleted after it), so lines
// that did not change are never touched. Each line's width is kept, so no
// line that was not rewritten is measured again (the extent is the largest
// kept width); in the fixed-pitch list font a width is the line's length
// times one advance.
// The list does not draw while lines are replaced: each insertion and
// deletion would otherwise repaint it and its scroll bars on the spot, which
// costs far more than the change itself. A refresh that changes nothing
// sends the list nothing.
#include "dialogs/valuelist.h"

#include <algorithm>

#include "app/win32/wintext.h"

namespace {

// Lines go into the list box; nothing is created per line, and drawing goes
// off with the first line written.
class ListBoxSink final : public LineSink {
 public:
  explicit ListBoxSink(ValueList* values) : values_(values) {}
  ~ListBoxSink() override {
    if (!dc_) return;
    if (old_) SelectObject(dc_, old_);
    ReleaseDC(values_->list, dc_);
  }
  ListBoxSink(const ListBoxSink&) = delete;
  ListBoxSink& operator=(const ListBoxSink&) = delete;

  void Clear() override {
    Freeze();
    SendMessageW(values_->list, LB_RESETCONTENT, 0, 0);
    values_->widths.clear();
    values_->selected = -1;
    cleared_ = true;
  }

  void Line(int index, const char* text, int length) override {
    Freeze();
    const std::wstring wide = Wide(text, static_cast<std::size_t>(length));
    std::vector<int>& widths = values_->widths;
    const bool replace = index >= 0 && static_cast<std::size_t>(index) < widths.size();
    const WPARAM at = replace ? static_cast<WPARAM>(index) : static_cast<WPARAM>(-1);
    SendMessageW(values_->list, LB_INSERTSTRING, at, reinterpret_cast<LPARAM>(wide.c_str()));
    if (replace) SendMessageW(values_->list, LB_DELETESTRING, static_cast<WPARAM>(index) + 1, 0);
    const int width = values_->advance > 0 ? values_->advance * static_cast<int>(wide.size()) : Measure(wide);
    if (replace)
      widths[static_cast<std::size_t>(index)] = width;
    else
      widths.push_back(width);
    values_->written.push_back(index);
  }

  bool Frozen() const { return frozen_; }
  bool Cleared() const { return cleared_; }
  bool WasVisible() const { return visible_; }

 private:
  void Freeze() {
    if (frozen_) return;
    visible_ = (GetWindowLongPtrW(values_->list, GWL_STYLE) & WS_VISIBLE) != 0;
    SendMessageW(values_->list, WM_SETREDRAW, FALSE, 0);
    frozen_ = true;
  }

  // A font without a fixed pitch: the text's extent, in a device context
  // taken once per build or refresh.
  int Measure(const std::wstring& text) {
    if (!dc_) {
      dc_ = GetDC(values_->list);
      if (!dc_) return 0;
      if (values_->font) old_ = SelectObject(dc_, values_->font);
    }
    SIZE size{};
    GetTextExtentPoint32W(dc_, text.c_str(), static_cast<int>(text.size()), &size);
    return size.cx;
  }

  ValueList* values_;
  HDC dc_ = nullptr;
  HGDIOBJ old_ = nullptr;
  bool frozen_ = false;
  bool cleared_ = false;
  bool visible_ = false;
};

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

// true when the horizontal scroll bar changes with the extent: it is shown,
// or was, because a line is wider than the list.
bool SetExtent(ValueList* values) {
  const int widest = values->widths.empty() ? 0 : *std::max_element(values->widths.begin(), values->widths.end());
  // A few pixels beyond the text, so its last letter is not cut at the edge.
  const int extent = widest + 4;
  if (extent == values->extent) return false;
  const int before = values->extent;
  values->extent = extent;
  SendMessageW(values->list, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(extent), 0);
  RECT client{};
  GetClientRect(values->list, &client);
  return std::max(before, extent) > client.right;
}

// Drawing back on. It goes on while the list is hidden by its style alone
// (which repaints nothing): re-enabling a visible list brings its scroll bars
// up to date on the spot, which under Wine costs several times the lines
// themselves. Then one invalidation: the band from the first to the last line
// written, or the whole list with its scroll bars after it was emptied or the
// horizontal scroll bar changed.
void Thaw(const ValueList* values, bool visible, bool all) {
  HWND list = values->list;
  const LONG_PTR style = GetWindowLongPtrW(list, GWL_STYLE);
  SetWindowLongPtrW(list, GWL_STYLE, style & ~static_cast<LONG_PTR>(WS_VISIBLE));
  SendMessageW(list, WM_SETREDRAW, TRUE, 0);
  SetWindowLongPtrW(list, GWL_STYLE, visible ? style | WS_VISIBLE : style & ~static_cast<LONG_PTR>(WS_VISIBLE));
  if (all || values->written.empty()) {
    RedrawWindow(list, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
    return;
  }
  const auto [first, last] = std::minmax_element(values->written.begin(), values->written.end());
  RECT top{}, bottom{};
  auto itemRect = [list](int index, RECT* r) {
    const auto at = static_cast<WPARAM>(index);
    return SendMessageW(list, LB_GETITEMRECT, at, reinterpret_cast<LPARAM>(r)) != LB_ERR;
  };
  if (!itemRect(*first, &top) || !itemRect(*last, &bottom)) return;
  RECT band{top.left, top.top, top.right, bottom.bottom};
  InvalidateRect(list, &band, FALSE);
}

}  // namespace

void ValueList_Build(ValueList* values, VariableTable* table) {
  values->advance = FixedAdvance(values->list, values->font);
  values->extent = -1;
  values->written.clear();
  ListBoxSink sink(values);
  Monitor_BuildLines(&values->lines, table, &sink);
  SetExtent(values);
  if (sink.Frozen()) Thaw(values, sink.WasVisible(), true);
}

int ValueList_Refresh(ValueList* values, VariableTable* table, bool forceSelected) {
  const LRESULT top = SendMessageW(values->list, LB_GETTOPINDEX, 0, 0);
  values->written.clear();
  ListBoxSink sink(values);
  const int written = Monitor_RefreshLines(&values->lines, table, forceSelected ? values->selected : -1, &sink);
  if (!sink.Frozen()) return written;
  const bool scrollBar = SetExtent(values);
  // Only the selected line's own rewrite takes its selection away, and only
  // a rebuild moves the top line for good; both are put back.
  const std::vector<int>& lines = values->written;
  if (sink.Cleared() || std::find(lines.begin(), lines.end(), values->selected) != lines.end())
    SendMessageW(values->list, LB_SETCURSEL, static_cast<WPARAM>(values->selected), 0);
  if (SendMessageW(values->list, LB_GETTOPINDEX, 0, 0) != top)
    SendMessageW(values->list, LB_SETTOPINDEX, static_cast<WPARAM>(top), 0);
  Thaw(values, sink.WasVisible(), sink.Cleared() || scrollBar);
  return written;
}
