// Small window utilities the main window and the dialogs share: fonts by
// point size, centring over the owner within the work area, the arrow
// cursor, the width of the clock text, and a popup menu whose items the
// program draws. All for the thread that owns the windows concerned.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

// A font of size points (a positive number) at the vertical resolution of
// window's screen (72 dpi without a window). The caller deletes it.
HFONT CreatePointFont(HWND window, int points, int weight, const wchar_t* face);

// Centres window over owner (over the work area without one), then moves it
// back onto the work area where it sticks out; size and z-order unchanged.
void CentreWindow(HWND window, HWND owner);

// The program's icon on a window's title bar and taskbar button (shared
// icons: nothing to release).
void SetProgramIcons(HWND window, HINSTANCE instance);

// Gives the window's class the standard arrow and shows it at once when the
// mouse is over the window.
void UseArrowCursor(HWND window);

// The width in pixels, in window's font, of the current local time as the
// clock shows it (with the date when asked, precision 0-3 digits of
// milliseconds) followed by extraLetters letters "w".
int TimeStampWidth(HWND window, bool withDate, int precision, int extraLetters);
// The size of text in the window's font.
SIZE TextExtent(HWND window, const std::wstring& text);

// A popup menu of program-drawn items at screen point (x, y) for owner.
// Each word holds a command id in its low 16 bits (0: no text; with
// MF_OWNERDRAW, 0 draws a separator line) and MF_ flags in its high 16 bits;
// the item's text is string base + id. The choice reaches owner as
// WM_COMMAND. The owner's window procedure passes WM_MEASUREITEM and
// WM_DRAWITEM to the two handlers below while the popup is shown.
void TrackDrawnPopup(HWND owner, int x, int y, UINT trackFlags, int count, int base, const std::uint32_t* words);
// true when the message was the popup's.
bool DrawnPopup_Measure(MEASUREITEMSTRUCT* item);
bool DrawnPopup_Draw(const DRAWITEMSTRUCT* item);
