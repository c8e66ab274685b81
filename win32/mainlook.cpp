// What the main window shows besides the log: the menu's enabled items, the
// two parts of the status bar (clock and PLC), the title, the log font, the
// layout of the log above the status bar, and the window's size limits.
#include <windows.h>
#include <commctrl.h>

#include "app/menustate.h"
#include "app/maintexts.h"
#include "app/tracing.h"
#include "win32/shell.h"
#include "win32/toolkit/winutil.h"
#include "win32/toolkit/wintext.h"
#include "res/resource.h"

namespace {
constexpr int kLogFontPoints[3] = {9, 12, 15};
}

void Shell_UpdateMenu(MenuState interfaceState, MenuState connectionState, SaveItem save) {
  Shell* shell = TheShell();
  HMENU menu = GetMenu(shell->main);
  if (!menu) return;
  MenuChange changes[kMenuChangeMax];
  const int n = Menu_Changes(TheAppState(), interfaceState, connectionState, save, changes);
  for (int i = 0; i < n; ++i) {
    const UINT state = changes[i].enabled ? MF_ENABLED : MF_GRAYED;
    if (changes[i].id == kMenuConnectionPopup)
      EnableMenuItem(GetSubMenu(menu, MENU_POS_OPERATION), MENU_POS_CONNECTION, MF_BYPOSITION | state);
    else
      EnableMenuItem(menu, static_cast<UINT>(changes[i].id), MF_BYCOMMAND | state);
  }
}

void Shell_UpdateStatusText() {
  char text[256];
  Status_PlcText(TheAppState(), text, sizeof text);
  const std::wstring wide = Wide(text);
  SendMessageW(TheShell()->status, SB_SETTEXTW, 1, reinterpret_cast<LPARAM>(wide.c_str()));
}

void Shell_UpdateTitle() {
  Shell* shell = TheShell();
  char title[kTitleSize];
  Title_Text(shell->fileNameFlag ? TitleFile::With : TitleFile::Without, shell->fileName, title, sizeof title);
  SetWindowTextCp(shell->main, title);
}

void Shell_SelectLogFont(int index) {
  Shell* shell = TheShell();
  if (index < 0 || index > 2) return;
  // The new font is in place before the old one goes: the control never
  // holds a deleted font.
  HFONT font = CreatePointFont(shell->edit, kLogFontPoints[index], FW_NORMAL, L"Courier New");
  if (!font) return;
  // A check mark, as the menu starts with on "Normál" (CheckMenuRadioItem
  // would turn the items into radio items with a bullet).
  for (int id = IDM_FONT_SMALL; id <= IDM_FONT_LARGE; ++id)
    CheckMenuItem(GetMenu(shell->main), static_cast<UINT>(id),
                  MF_BYCOMMAND | (id == IDM_FONT_SMALL + index ? MF_CHECKED : MF_UNCHECKED));
  SendMessageW(shell->edit, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  if (shell->logFont) DeleteObject(shell->logFont);
  shell->logFont = font;
}

void Shell_UpdateTraceCheck() {
  HMENU menu = GetMenu(TheShell()->main);
  if (menu) CheckMenuItem(menu, IDM_TRACE, MF_BYCOMMAND | (Cmd_TraceIsOn() ? MF_CHECKED : MF_UNCHECKED));
}

void Shell_ClockTick() {
  Shell* shell = TheShell();
  CalendarRecord now{};
  char text[64];
  FormatTimeStamp({.takeLocalTime = true, .withDate = true, .leadingTabs = 1}, &now, text);
  if (now.second == shell->clockSecond) return;
  shell->clockSecond = now.second;
  const std::wstring wide = Wide(text);
  SendMessageW(shell->status, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(wide.c_str()));
}

void Shell_SetStatusParts() {
  Shell* shell = TheShell();
  shell->clockSecond = -1;
  int parts[2] = {TimeStampWidth(shell->status, true, 0, 2), -1};
  SendMessageW(shell->status, SB_SETPARTS, 2, reinterpret_cast<LPARAM>(parts));
}

void Shell_Layout(WPARAM sizeType) {
  Shell* shell = TheShell();
  if (shell->status) SendMessageW(shell->status, WM_SIZE, 0, 0);
  RECT client{};
  GetClientRect(shell->main, &client);
  if (shell->status && shell->edit && client.right > 0 && client.bottom > 0) {
    RECT bar{};
    GetWindowRect(shell->status, &bar);
    shell->statusHeight = bar.bottom - bar.top;
    SetWindowPos(shell->edit, nullptr, 0, 0, client.right, client.bottom - shell->statusHeight,
                 SWP_NOZORDER | SWP_SHOWWINDOW);
  }
  const bool minimised = sizeType == SIZE_MINIMIZED;
  if (minimised != shell->minimised && shell->edit) {
    // Entries that arrive while minimised are appended without drawing; the
    // restore shows them all.
    SendMessageW(shell->edit, WM_SETREDRAW, minimised ? FALSE : TRUE, 0);
    if (!minimised) InvalidateRect(shell->edit, nullptr, TRUE);
  }
  shell->minimised = minimised;
}

void Shell_MinMaxInfo(MINMAXINFO* info) {
  Shell* shell = TheShell();
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  const LONG w = work.right - work.left;
  const LONG h = work.bottom - work.top;
  RECT frame{0, 0, 0, 0};
  AdjustWindowRectEx(&frame, WS_OVERLAPPEDWINDOW, TRUE, 0);
  const LONG frameW = frame.right - frame.left;
  const LONG frameH = frame.bottom - frame.top + shell->statusHeight;
  LONG minW = (w >> 2) + frameW;
  LONG minH = static_cast<LONG>(static_cast<unsigned long>(h) * static_cast<unsigned long>(w >> 2) /
                                static_cast<unsigned long>(w > 0 ? w : 1)) +
              frameH;
  info->ptMinTrackSize = {minW < w ? minW : w, minH < h ? minH : h};
  info->ptMaxTrackSize = {w, h};
  info->ptMaxSize = {w, h};
  info->ptMaxPosition = {work.left, work.top};
}
