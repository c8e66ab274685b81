// The trend window and its picture. The picture is a control of its own
// class that paints into a memory bitmap and copies it in one piece, and
// leaves its background alone, so a window redrawn after every read (ten
// times a second at the fastest) never flickers.
#include "win32/dialogs/trendwindow.h"

#include <windowsx.h>

#include <cstring>
#include <new>
#include <vector>

#include "app/trend.h"
#include "platform/platform.h"
#include "res/resource.h"
#include "res/strings.h"
#include "win32/toolkit/dialogbase.h"
#include "win32/toolkit/winutil.h"
#include "win32/toolkit/wintext.h"

namespace {

constexpr wchar_t kGraphClass[] = L"TolvaneTrend";
constexpr COLORREF kGridColour = RGB(220, 220, 220);
constexpr COLORREF kFrameColour = RGB(128, 128, 128);
constexpr COLORREF kLineColour = RGB(0, 70, 200);

struct ElementRef {
  int varIndex, element;
};

struct TrendWindow {
  TrendWindowHost host;
  TrendSeries series;
  std::vector<ElementRef> choices;  // the element list's entries
  TrendPicture picture;             // large: kept here, not on the stack
  // Margins of the template, kept when resized.
  int graphLeft, graphTop, graphRight, graphBottom, comboRight, closeBottom, closeWidth;
};

HWND Item(HWND window, int id) { return GetDlgItem(window, id); }

std::wstring ElementText(const VariableTable* table, const ElementRef& e, bool withValue) {
  const PlcVariable* var = &table->vars[e.varIndex];
  char address[kVarAddressTextMax];
  Var_FormatAddress({}, e.element, var, address, nullptr);
  std::string text = address;
  const char* name = Var_ElementName(var, e.element);
  if (name[0]) text += std::string(" : ") + name;
  if (withValue) {
    char value[kVarValueTextMax];
    Var_FormatValue({}, e.element, var, value);
    text += std::string(" = ") + value;
  }
  return Wide(text.c_str());
}

// ---------------------------------------------------------------- the picture

void PutText(HDC dc, int x, int y, const char* text, UINT align) {
  const std::wstring wide = Wide(text);
  SetTextAlign(dc, align);
  TextOutW(dc, x, y, wide.c_str(), static_cast<int>(wide.size()));
}

void DrawAxes(HDC dc, const TrendWindow* w, const RECT& plot, int textHeight) {
  const TrendPicture& p = w->picture;
  HPEN grid = CreatePen(PS_SOLID, 1, kGridColour);
  HGDIOBJ old = SelectObject(dc, grid);
  char text[kTrendValueTextMax];
  for (int i = 0; i < p.valueTicks; ++i) {
    const int y = plot.top + p.valueTickY[i];
    MoveToEx(dc, plot.left, y, nullptr);
    LineTo(dc, plot.right, y);
    Trend_ValueText(p.valueTick[i], p.step, text);
    PutText(dc, plot.left - 4, y - textHeight / 2, text, TA_RIGHT | TA_TOP);
  }
  for (int i = 0; i < p.timeTicks; ++i) {
    const int x = plot.left + p.timeTickX[i];
    MoveToEx(dc, x, plot.top, nullptr);
    LineTo(dc, x, plot.bottom);
    Trend_TimeText(&w->series, p.timeTick[i], text);
    PutText(dc, x, plot.bottom + 3, text, TA_CENTER | TA_TOP);
  }
  SelectObject(dc, old);
  DeleteObject(grid);
}

void DrawLine(HDC dc, const TrendPicture& p, const RECT& plot) {
  std::vector<POINT> points(static_cast<std::size_t>(p.points));
  for (int i = 0; i < p.points; ++i) points[static_cast<std::size_t>(i)] = {plot.left + p.point[i].x, plot.top + p.point[i].y};
  HPEN pen = CreatePen(PS_SOLID, 2, kLineColour);
  HGDIOBJ old = SelectObject(dc, pen);
  if (p.points == 1) {
    MoveToEx(dc, points[0].x - 1, points[0].y, nullptr);
    LineTo(dc, points[0].x + 2, points[0].y);
  } else if (p.points > 1) {
    Polyline(dc, points.data(), p.points);
  }
  SelectObject(dc, old);
  DeleteObject(pen);
}

void Paint(HDC dc, const RECT& client, TrendWindow* w, HFONT font) {
  FillRect(dc, &client, GetSysColorBrush(COLOR_WINDOW));
  HGDIOBJ oldFont = SelectObject(dc, font);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
  TEXTMETRICW tm{};
  GetTextMetricsW(dc, &tm);
  const int textHeight = tm.tmHeight;
  const bool known = w->series.varIndex >= 0 && w->series.varIndex < VarTable_Count(w->host.table);
  if (known) {
    const std::wstring title = ElementText(w->host.table, {w->series.varIndex, w->series.element}, true);
    SetTextAlign(dc, TA_LEFT | TA_TOP);
    TextOutW(dc, 6, 3, title.c_str(), static_cast<int>(title.size()));
  }
  // Room on the left for the widest value label of any scale ("-32768.5").
  SIZE label{};
  GetTextExtentPoint32W(dc, L"-0000000.00", 11, &label);
  RECT plot{label.cx + 10, textHeight + 10, client.right - 12, client.bottom - textHeight - 8};
  Trend_Draw(&w->series, plot.right - plot.left, plot.bottom - plot.top, &w->picture);
  if (!known || w->picture.empty) {
    const std::wstring note = WideText(known ? IDS_WND_TREND_NO_VALUES : IDS_WND_TREND_NOT_NUMBER);
    SetTextAlign(dc, TA_CENTER | TA_TOP);
    TextOutW(dc, (client.left + client.right) / 2, (client.top + client.bottom - textHeight) / 2, note.c_str(),
             static_cast<int>(note.size()));
  } else {
    DrawAxes(dc, w, plot, textHeight);
    DrawLine(dc, w->picture, plot);
  }
  HPEN frame = CreatePen(PS_SOLID, 1, kFrameColour);
  HGDIOBJ oldPen = SelectObject(dc, frame);
  HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
  Rectangle(dc, plot.left - 1, plot.top - 1, plot.right + 1, plot.bottom + 1);
  SelectObject(dc, oldBrush);
  SelectObject(dc, oldPen);
  DeleteObject(frame);
  SelectObject(dc, oldFont);
}

LRESULT CALLBACK GraphProc(HWND graph, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND: return 1;  // the paint covers every pixel
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC screen = BeginPaint(graph, &ps);
      auto* w = reinterpret_cast<TrendWindow*>(GetWindowLongPtrW(graph, GWLP_USERDATA));
      RECT client{};
      GetClientRect(graph, &client);
      if (w && client.right > 0 && client.bottom > 0) {
        HDC memory = CreateCompatibleDC(screen);
        HBITMAP bitmap = CreateCompatibleBitmap(screen, client.right, client.bottom);
        HGDIOBJ old = SelectObject(memory, bitmap);
        HFONT font = reinterpret_cast<HFONT>(SendMessageW(GetParent(graph), WM_GETFONT, 0, 0));
        Paint(memory, client, w, font);
        BitBlt(screen, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
        SelectObject(memory, old);
        DeleteObject(bitmap);
        DeleteDC(memory);
      }
      EndPaint(graph, &ps);
      return 0;
    }
    default: return DefWindowProcW(graph, message, wParam, lParam);
  }
}

bool RegisterGraphClass(HINSTANCE instance) {
  WNDCLASSEXW existing{sizeof existing};
  if (GetClassInfoExW(instance, kGraphClass, &existing)) return true;
  WNDCLASSEXW c{sizeof c};
  c.style = CS_HREDRAW | CS_VREDRAW;
  c.lpfnWndProc = GraphProc;
  c.hInstance = instance;
  c.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  c.lpszClassName = kGraphClass;
  return RegisterClassExW(&c) != 0;
}

// ---------------------------------------------------------------- the window

void Redraw(HWND window) { InvalidateRect(Item(window, IDC_TREND_GRAPH), nullptr, FALSE); }

void FillChoices(HWND window, TrendWindow* w) {
  HWND combo = Item(window, IDC_TREND_ELEMENT);
  ComboBox_ResetContent(combo);
  w->choices.clear();
  const VariableTable* table = w->host.table;
  for (int i = 0, count = VarTable_Count(table); i < count; ++i)
    for (int e = 0; e < table->vars[i].count; ++e) {
      if (!Trend_IsNumeric(&table->vars[i], e)) continue;
      w->choices.push_back({i, e});
      ComboBox_AddString(combo, ElementText(table, {i, e}, false).c_str());
    }
}

void Choose(HWND window, TrendWindow* w, int varIndex, int element) {
  for (std::size_t i = 0; i < w->choices.size(); ++i)
    if (w->choices[i].varIndex == varIndex && w->choices[i].element == element)
      ComboBox_SetCurSel(Item(window, IDC_TREND_ELEMENT), static_cast<int>(i));
  Trend_Start(&w->series, varIndex, element);
  Redraw(window);
}

RECT ClientRectOf(HWND window, int id) {
  RECT r{};
  GetWindowRect(Item(window, id), &r);
  MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

void RecordLayout(HWND window, TrendWindow* w) {
  RECT client{};
  GetClientRect(window, &client);
  const RECT graph = ClientRectOf(window, IDC_TREND_GRAPH);
  const RECT combo = ClientRectOf(window, IDC_TREND_ELEMENT);
  const RECT close = ClientRectOf(window, IDC_TREND_CLOSE);
  w->graphLeft = graph.left;
  w->graphTop = graph.top;
  w->graphRight = client.right - graph.right;
  w->graphBottom = client.bottom - graph.bottom;
  w->comboRight = client.right - combo.right;
  w->closeBottom = client.bottom - close.top;
  w->closeWidth = close.right - close.left;
}

void ApplyLayout(HWND window, const TrendWindow* w, int width, int height) {
  const RECT combo = ClientRectOf(window, IDC_TREND_ELEMENT);
  const int comboWidth = width - w->comboRight - combo.left;
  SetWindowPos(Item(window, IDC_TREND_ELEMENT), nullptr, 0, 0, comboWidth > 40 ? comboWidth : 40,
               combo.bottom - combo.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  const int graphWidth = width - w->graphLeft - w->graphRight;
  const int graphHeight = height - w->graphTop - w->graphBottom;
  SetWindowPos(Item(window, IDC_TREND_GRAPH), nullptr, w->graphLeft, w->graphTop, graphWidth > 1 ? graphWidth : 1,
               graphHeight > 1 ? graphHeight : 1, SWP_NOZORDER | SWP_NOACTIVATE);
  SetWindowPos(Item(window, IDC_TREND_CLOSE), nullptr, (width - w->closeWidth) / 2, height - w->closeBottom, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  InvalidateRect(window, nullptr, TRUE);
}

BOOL Init(HWND window, TrendWindow* w) {
  *w->host.slot = window;
  SetWindowLongPtrW(Item(window, IDC_TREND_GRAPH), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(w));
  SetWindowTextW(window, WideText(IDS_WND_TREND_TITLE).c_str());
  FillChoices(window, w);
  Choose(window, w, w->host.varIndex, w->host.element);
  RecordLayout(window, w);
  CentreWindow(window, w->host.owner);
  UseArrowCursor(window);
  SetProgramIcons(window, w->host.instance);
  return TRUE;
}

INT_PTR CALLBACK TrendProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* w = Dialog_State<TrendWindow>(window, message, lParam);
  if (!w) return FALSE;
  switch (message) {
    case WM_INITDIALOG: return Init(window, w);
    case WM_COMMAND:
      if (LOWORD(wParam) == IDC_TREND_ELEMENT && HIWORD(wParam) == CBN_SELCHANGE) {
        const int chosen = ComboBox_GetCurSel(Item(window, IDC_TREND_ELEMENT));
        if (chosen >= 0 && chosen < static_cast<int>(w->choices.size()))
          Choose(window, w, w->choices[static_cast<std::size_t>(chosen)].varIndex,
                 w->choices[static_cast<std::size_t>(chosen)].element);
      } else if (LOWORD(wParam) == IDC_TREND_CLOSE || LOWORD(wParam) == IDCANCEL) {
        DestroyWindow(window);
      }
      return TRUE;
    case WM_SIZE:
      if (wParam != SIZE_MINIMIZED) ApplyLayout(window, w, LOWORD(lParam), HIWORD(lParam));
      return TRUE;
    case WM_CLOSE: DestroyWindow(window); return TRUE;
    case WM_NCDESTROY:
      *w->host.slot = nullptr;
      Trend_Stop(&w->series);
      SetWindowLongPtrW(window, GWLP_USERDATA, 0);
      delete w;
      return TRUE;
    default: return FALSE;
  }
}

}  // namespace

bool TrendWindow_Open(const TrendWindowHost& host) {
  if (HWND open = *host.slot) {
    auto* w = reinterpret_cast<TrendWindow*>(GetWindowLongPtrW(open, GWLP_USERDATA));
    if (w) Choose(open, w, host.varIndex, host.element);
    SetForegroundWindow(open);
    return true;
  }
  if (!RegisterGraphClass(host.instance)) return false;
  auto* w = new (std::nothrow) TrendWindow{};
  if (!w) return false;
  w->host = host;
  HWND window = CreateDialogParamW(host.instance, MAKEINTRESOURCEW(IDD_TREND), host.owner, TrendProc,
                                   reinterpret_cast<LPARAM>(w));
  if (!window) {
    delete w;
    return false;
  }
  ShowWindow(window, SW_SHOW);
  return true;
}

void TrendWindow_AfterRead(HWND window) {
  auto* w = reinterpret_cast<TrendWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!w) return;
  PlatCalendar local;
  Plat_LocalTime(&local);
  CalendarRecord clock{};
  static_assert(sizeof clock == sizeof local);
  std::memcpy(&clock, &local, sizeof clock);
  Trend_Sample(&w->series, w->host.table, Plat_TickCount(), clock);
  Redraw(window);
}
