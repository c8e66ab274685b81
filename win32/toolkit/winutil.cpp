// Fonts, centring, the arrow cursor, the clock's width and the popup menu of
// drawn items. The popup keeps its item sizes and its check-mark bitmap for
// the time it is shown: one popup is open at a time, and nothing is created
// per drawn item.
#include "win32/toolkit/winutil.h"

#include "win32/toolkit/wintext.h"
#include "res/resource.h"
#include "res/strings.h"
#include "vars/vars.h"

HFONT CreatePointFont(HWND window, int points, int weight, const wchar_t* face) {
  int resolution = 72;
  if (window) {
    if (HDC dc = GetDC(window)) {
      resolution = GetDeviceCaps(dc, LOGPIXELSY);
      ReleaseDC(window, dc);
    }
  }
  LOGFONTW font{};
  font.lfHeight = -points * resolution / 72;
  font.lfWeight = weight;
  font.lfCharSet = DEFAULT_CHARSET;
  lstrcpynW(font.lfFaceName, face, LF_FACESIZE);
  return CreateFontIndirectW(&font);
}

void CentreWindow(HWND window, HWND owner) {
  RECT work{}, self{}, around{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  GetWindowRect(window, &self);
  if (!owner || !GetWindowRect(owner, &around)) around = work;
  const int w = self.right - self.left;
  const int h = self.bottom - self.top;
  int x = around.left + ((around.right - around.left - w) >> 1);
  int y = around.top + ((around.bottom - around.top - h) >> 1);
  if (x < work.left)
    x = work.left;
  else if (x + w > work.right)
    x = work.right - w;
  if (y < work.top)
    y = work.top;
  else if (y + h > work.bottom)
    y = work.bottom - h;
  SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void UseArrowCursor(HWND window) {
  HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW);
  ShowCursor(FALSE);
  SetClassLongPtrW(window, GCLP_HCURSOR, reinterpret_cast<LONG_PTR>(arrow));
  POINT mouse{};
  RECT rect{};
  if (GetCursorPos(&mouse) && GetWindowRect(window, &rect) && PtInRect(&rect, mouse)) SetCursor(arrow);
  ShowCursor(TRUE);
}

SIZE TextExtent(HWND window, const std::wstring& text) {
  SIZE size{};
  HDC dc = GetDC(window);
  if (!dc) return size;
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0)));
  GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
  SelectObject(dc, old);
  ReleaseDC(window, dc);
  return size;
}

int TimeStampWidth(HWND window, bool withDate, int precision, int extraLetters) {
  char text[64];
  int n = FormatTimeStamp({.withDate = withDate, .precision = precision}, nullptr, text);
  while (extraLetters-- > 0 && n < 63) text[n++] = 'w';
  text[n] = '\0';
  return TextExtent(window, Wide(text)).cx;
}

// ---------------------------------------------------------------- popup of drawn items

namespace {

struct PopupLayout {
  int itemWidth = 0;
  int itemHeight = 0;
  int textX = 0;
  int textY = 0;
  int checkWidth = 0;
  HDC checkDc = nullptr;       // the check mark, drawn once per popup
  HBITMAP checkBitmap = nullptr;
  HGDIOBJ checkOld = nullptr;
};
PopupLayout g_popup;

void MakeCheckMark(int width, int height) {
  HDC screen = GetDC(nullptr);
  g_popup.checkDc = CreateCompatibleDC(screen);
  ReleaseDC(nullptr, screen);
  g_popup.checkBitmap = CreateBitmap(width, height, 1, 1, nullptr);
  if (!g_popup.checkDc || !g_popup.checkBitmap) return;
  g_popup.checkOld = SelectObject(g_popup.checkDc, g_popup.checkBitmap);
  RECT r{0, 0, width, height};
  DrawFrameControl(g_popup.checkDc, &r, DFC_MENU, DFCS_MENUCHECK);
}

void ReleaseCheckMark() {
  if (g_popup.checkDc && g_popup.checkOld) SelectObject(g_popup.checkDc, g_popup.checkOld);
  if (g_popup.checkBitmap) DeleteObject(g_popup.checkBitmap);
  if (g_popup.checkDc) DeleteDC(g_popup.checkDc);
  g_popup.checkDc = nullptr;
  g_popup.checkBitmap = nullptr;
  g_popup.checkOld = nullptr;
}

// Raises the item size to the text's extent in the owner's font.
void MeasureText(HWND owner, const std::wstring& text) {
  const SIZE size = TextExtent(owner, text);
  if (size.cx > g_popup.itemWidth) g_popup.itemWidth = size.cx;
  if (size.cy > g_popup.itemHeight) g_popup.itemHeight = size.cy;
}

}  // namespace

void TrackDrawnPopup(HWND owner, int x, int y, UINT trackFlags, int count, int base, const std::uint32_t* words) {
  if (count <= 0) return;
  g_popup = PopupLayout{};
  bool hasCheck = false;
  HMENU menu = CreatePopupMenu();
  if (!menu) return;
  int added = 0;
  for (int i = 0; i < count; ++i) {
    if (words[i] == 0) continue;
    const int id = static_cast<std::int16_t>(words[i] & 0xFFFF);
    UINT flags = words[i] >> 16;
    const std::wstring text = id ? WideText(base + id) : std::wstring();
    if (flags & MF_OWNERDRAW) {
      if (flags & MF_SEPARATOR) flags = (flags & ~MF_SEPARATOR) | MF_DISABLED;
      // The item's data is its text's id; 0 marks a separator, whatever base.
      const auto data = id ? static_cast<ULONG_PTR>(static_cast<std::uint16_t>(base + id)) : ULONG_PTR{0};
      AppendMenuW(menu, flags, static_cast<UINT_PTR>(static_cast<std::uint16_t>(id)), reinterpret_cast<LPCWSTR>(data));
      if (!text.empty()) MeasureText(owner, text);
    } else {
      AppendMenuW(menu, flags, static_cast<UINT_PTR>(static_cast<std::uint16_t>(id)), text.c_str());
    }
    if (flags & MF_CHECKED) hasCheck = true;
    ++added;
  }
  const int checkWidth = GetSystemMetrics(SM_CXMENUCHECK);
  const int checkHeight = GetSystemMetrics(SM_CYMENUCHECK);
  g_popup.itemHeight += 2;
  g_popup.textY = 1;
  if (checkHeight > g_popup.itemHeight) {
    g_popup.textY = (checkHeight - g_popup.itemHeight) / 2 + 1;
    g_popup.itemHeight = checkHeight;
  }
  g_popup.textX = (checkWidth + 1) / 2;
  g_popup.checkWidth = checkWidth;
  if (hasCheck) {
    g_popup.itemWidth += g_popup.textX;
    g_popup.textX = checkWidth;
    MakeCheckMark(checkWidth, g_popup.itemHeight);
  }
  if (added > 0) TrackPopupMenu(menu, trackFlags | TPM_VERTICAL, x, y, 0, owner, nullptr);
  DestroyMenu(menu);
  ReleaseCheckMark();
}

bool DrawnPopup_Measure(MEASUREITEMSTRUCT* item) {
  if (!item || item->CtlType != ODT_MENU) return false;
  item->itemWidth = static_cast<UINT>(g_popup.itemWidth);
  item->itemHeight = item->itemData == 0 ? 5u : static_cast<UINT>(g_popup.itemHeight);
  return true;
}

bool DrawnPopup_Draw(const DRAWITEMSTRUCT* item) {
  if (!item || item->CtlType != ODT_MENU) return false;
  HDC dc = item->hDC;
  RECT r = item->rcItem;
  if (item->itemData == 0) {
    RECT line{r.left, r.top + 2, r.right, r.top + 3};
    DrawEdge(dc, &line, EDGE_ETCHED, BF_TOP);
    return true;
  }
  COLORREF oldText = CLR_INVALID, oldBack = CLR_INVALID;
  const COLORREF menuText = GetSysColor(COLOR_MENUTEXT);
  if (item->itemState & (ODS_GRAYED | ODS_DISABLED))
    oldText = SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
  else if (item->itemState & ODS_SELECTED) {
    oldText = SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
    oldBack = SetBkColor(dc, GetSysColor(COLOR_HIGHLIGHT));
  } else if (GetTextColor(dc) != menuText) {
    oldText = SetTextColor(dc, menuText);
  }
  RECT textRect = r;
  if ((item->itemState & ODS_CHECKED) && g_popup.checkDc) {
    // The monochrome mark takes the current text and background colours.
    BitBlt(dc, r.left, r.top, g_popup.checkWidth, r.bottom - r.top, g_popup.checkDc, 0, 0, SRCCOPY);
    textRect.left += g_popup.checkWidth;
  }
  const std::wstring text = WideText(static_cast<int>(item->itemData));
  ExtTextOutW(dc, r.left + g_popup.textX, r.top + g_popup.textY, ETO_OPAQUE, &textRect, text.c_str(),
              static_cast<UINT>(text.size()), nullptr);
  if (oldText != CLR_INVALID) SetTextColor(dc, oldText);
  if (oldBack != CLR_INVALID) SetBkColor(dc, oldBack);
  return true;
}

void SetProgramIcons(HWND window, HINSTANCE instance) {
  for (const WPARAM kind : {ICON_BIG, ICON_SMALL}) {
    const int size = kind == ICON_BIG ? SM_CXICON : SM_CXSMICON;
    HANDLE icon = LoadImageW(instance, MAKEINTRESOURCEW(IDI_TOLVANE), IMAGE_ICON, GetSystemMetrics(size),
                             GetSystemMetrics(size), LR_SHARED);
    SendMessageW(window, WM_SETICON, kind, reinterpret_cast<LPARAM>(icon));
  }
}
