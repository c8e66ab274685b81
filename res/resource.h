// Ids of tolvane.exe's resources and of the controls in its dialog templates,
// shared by the resource script (res/tolvane.rc) and the window code. Plain
// #defines, because the resource compiler reads this file too.
#pragma once

// The main window's menu, accelerator table and icon share one id.
#define IDR_MAINMENU 100
#define IDR_ACCELERATORS 100
#define IDI_TOLVANE 100

// Menu commands. Each equals the string id of its menu text (res/strings.txt),
// which is how the generated menu gets its texts.
#define IDM_FILE_OPEN 500
#define IDM_FILE_SAVE 501
#define IDM_FILE_EXIT 502
#define IDM_INTERFACE_OPEN 503
#define IDM_INTERFACE_CLOSE 504
#define IDM_CONNECTION_OPEN 505
#define IDM_CONNECTION_CLOSE 506
#define IDM_CONNECTION_MODIFY 507
#define IDM_CONNECT 508
#define IDM_DISCONNECT 509
#define IDM_PARTNERS 510
#define IDM_BUS_PARAMETERS 511
#define IDM_CPU_STATE 512
#define IDM_CPU_START 513
#define IDM_CPU_STOP 514
#define IDM_GET_CLOCK 515
#define IDM_SET_CLOCK 516
#define IDM_LOGIN 517
#define IDM_LOGOUT 518
#define IDM_READ 519
#define IDM_WRITE 520
#define IDM_FONT_SMALL 521
#define IDM_FONT_NORMAL 522
#define IDM_FONT_LARGE 523
#define IDM_ABOUT 524
#define IDM_FIRST IDM_FILE_OPEN
#define IDM_LAST IDM_ABOUT

// Positions in the menu bar and in "Művelet" that UpdateMenu addresses: the
// "Kapcsolat" popup has no command id of its own.
#define MENU_POS_OPERATION 1
#define MENU_POS_CONNECTION 1

// Every dialog draws its static control with this id as an etched line.
#define IDC_SEPARATOR 20

// About box.
#define IDD_ABOUT 200
#define IDC_ABOUT_ICON 1000
#define IDC_ABOUT_VERSION 1001
#define IDC_ABOUT_NAME 1002

// PLC choice dialog: the current PLC's line first, the saved PLC's below.
#define IDD_PLC_CHOICE 201
#define IDC_CHOICE_CURRENT 1010
#define IDC_CHOICE_SAVED 1011

// Read-variables window (modeless, on a thread of its own): the value list,
// the bottom row (refresh, interval, hide the main window), the close button
// and the status bar.
#define IDD_READ_WINDOW 230
#define IDC_READ_LIST 1150
#define IDC_READ_REFRESH 1151
#define IDC_READ_INTERVAL 1152
#define IDC_READ_HIDE_MAIN 1153
#define IDC_READ_CLOSE 1154
#define IDC_READ_STATUS 1155
