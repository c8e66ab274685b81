// The value list box as the monitor's line sink: a changed line is replaced
// in place (inserted at its index, the old one deleted after it), so lines
// that did not change are never touched. Each line's width is kept, so the
// horizontal extent needs no pass over lines that were not rewritten.
#include "dialogs/valuelist.h"

#include <algorithm>

#include "app/win32/wintext.h"

namespace {

// Lines go into the list box; the device context with the list's font is
// taken once per build or refresh, and nothing is created per line.
class ListBoxSink final : public LineSink {
 public:
  explicit ListBoxSink(ValueList* values) : values_(values), dc_(GetDC(values->list)) {
    if (dc_ && values->font) old_ = SelectObject(dc_, values->font);
  }
  ~ListBoxSink() override {
    if (!dc_) return;
    if (old_) SelectObject(dc_, old_);
    ReleaseDC(values_->list, dc_);
  }
  ListBoxSink(const ListBoxSink&) = delete;
  ListBoxSink& operator=(const ListBoxSink&) = delete;

  void Clear() override {
    SendMessageW(values_->list, LB_RESETCONTENT, 0, 0);
    values_->widths.clear();
    values_->selected = -1;
  }

  void Line(int index, const char* text, int length) override {
    const std::wstring wide = Wide(text, static_cast<std::size_t>(length));
    std::vector<int>& widths = values_->widths;
    const bool replace = index >= 0 && static_cast<std::size_t>(index) < widths.size();
    const WPARAM at = replace ? static_cast<WPARAM>(index) : static_cast<WPARAM>(-1);
    SendMessageW(values_->list, LB_INSERTSTRING, at, reinterpret_cast<LPARAM>(wide.c_str()));
    if (replace) SendMessageW(values_->list, LB_DELETESTRING, static_cast<WPARAM>(index) + 1, 0);
    SIZE size{};
    if (dc_) GetTextExtentPoint32W(dc_, wide.c_str(), static_cast<int>(wide.size()), &size);
    if (replace)
      widths[static_cast<std::size_t>(index)] = size.cx;
    else
      widths.push_back(size.cx);
  }

 private:
  ValueList* values_;
  HDC dc_;
  HGDIOBJ old_ = nullptr;
};

void SetExtent(const ValueList* values) {
  const int widest = values->widths.empty() ? 0 : *std::max_element(values->widths.begin(), values->widths.end());
  // A few pixels beyond the text, so its last letter is not cut at the edge.
  SendMessageW(values->list, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(widest + 4), 0);
}

}  // namespace

void ValueList_Build(ValueList* values, VariableTable* table) {
  {
    ListBoxSink sink(values);
    Monitor_BuildLines(&values->lines, table, &sink);
  }
  SetExtent(values);
}

int ValueList_Refresh(ValueList* values, VariableTable* table, bool forceSelected) {
  const LRESULT top = SendMessageW(values->list, LB_GETTOPINDEX, 0, 0);
  int written = 0;
  {
    ListBoxSink sink(values);
    written = Monitor_RefreshLines(&values->lines, table, forceSelected ? values->selected : -1, &sink);
  }
  SetExtent(values);
  if (written > 0) {
    SendMessageW(values->list, LB_SETCURSEL, static_cast<WPARAM>(values->selected), 0);
    SendMessageW(values->list, LB_SETTOPINDEX, static_cast<WPARAM>(top), 0);
  }
  return written;
}
