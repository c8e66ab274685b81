// The program around its main window: the window and its two children, the
// log, the fonts and the one brush the dialogs share, the current variable
// table file, what the dialogs remember, and the functions that keep menu,
// status bar and title in step with the application record. The dialogs
// never see this record: the dispatcher gives each what it needs.
//
// Threads: everything here belongs to the user-interface thread, except
// Shell_UpdateMenu and Shell_UpdateStatusText, which the read window's
// thread may call after an automatic disconnection (they only touch the menu
// and the status bar).
#pragma once

#include <windows.h>

#include "app/dialogmemory.h"
#include "app/frontend.h"
#include "app/logpane.h"
#include "win32/toolkit/dialogbase.h"

class EditView;

struct Shell {
  HINSTANCE instance;
  char modulePath[260];       // code page 1250; empty when the path cannot be held
  char fileName[260];         // the current variable table file, code page 1250
  bool fileNameFlag;          // the title shows fileName
  HWND main;
  HWND status;                // control id 102
  HWND edit;                  // control id 150
  int statusHeight;
  LogPane* log;
  EditView* logView;
  HFONT logFont;
  HFONT listFont;             // the lists of the variable dialogs and the read window
  HBRUSH invalidBrush;        // red background of invalid fields
  int clockSecond;
  bool minimumSizeFlag;
  bool minimised;
  DialogMemory memory;        // what the dialogs remember from one opening to the next
};
Shell* TheShell();

inline constexpr int kStatusBarId = 102;
inline constexpr int kLogEditId = 150;
inline constexpr UINT_PTR kClockTimer = 101;

// Start-up failures: the code is the message's string id; the exit code is
// the code - 1110.
inline constexpr int kStartAnotherInstance = 1110;
inline constexpr int kStartClassFailed = 1111;
inline constexpr int kStartWindowFailed = 1112;
inline constexpr int kStartLogFailed = 1113;
inline constexpr int kStartStatusFailed = 1114;

// Registers the class and creates the main window with its children for the
// command-line tail (whose first argument may name a .vat file); 0 or a
// start-up failure code.
int Shell_CreateMainWindow(const wchar_t* commandTail);
// After the message loop (or a fault on the user-interface thread): parks
// the read window's thread, closes the interface and releases fonts, brush
// and log, under the watchdog.
void Shell_Shutdown();

// What a dialog opened by the main window gets: owned by it, centred over
// it, the shared brush and list font.
DialogHost Shell_DialogHost();

// The window procedure's handlers of the main window's looks (mainlook.cpp).
void Shell_UpdateMenu(MenuState interfaceState, MenuState connectionState, SaveItem save);
void Shell_UpdateStatusText();
void Shell_UpdateTitle();
void Shell_SelectLogFont(int index);
// "Nyomkövetés" checked exactly while a trace runs.
void Shell_UpdateTraceCheck();
void Shell_ClockTick();
void Shell_SetStatusParts();
void Shell_Layout(WPARAM sizeType);
void Shell_MinMaxInfo(MINMAXINFO* info);

// Runs menu command id (IDM_FIRST-IDM_LAST) when it applies now, and says
// what happened: the command's library result, kCommandCancelled when the
// user cancelled its dialog, kCommandRefused when it did not apply,
// kCommandFailed when a file could not be saved (logged) (dispatch.cpp).
inline constexpr int kCommandCancelled = -1;
inline constexpr int kCommandRefused = -2;
inline constexpr int kCommandFailed = -3;
int Shell_Command(int id);
// After a variable table file was loaded: menu, status, title, and then the
// read window when the file left a connection.
void Shell_AfterLoad();

// The front end the portable commands talk to.
FrontEnd* Shell_FrontEnd();
