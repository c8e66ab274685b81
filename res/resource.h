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
#define IDM_CPU_INFO 525
#define IDM_DIAG_BUFFER 526
// "Nyomkövetés" in "Egyéb": the wire trace on and off (checked while on).
#define IDM_TRACE 527
#define IDM_FIRST IDM_FILE_OPEN
#define IDM_LAST IDM_TRACE

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

// Interface dialog: one radio button per interface kind 0-3, in kind order.
#define IDD_INTERFACE 210
#define IDC_IF_TCP 1100
#define IDC_IF_S7ONLINE 1101
#define IDC_IF_CP_L2_1 1102
#define IDC_IF_CP_L2_2 1103

// Connection dialog: each number field's spinner has the field's id + 1, its
// label the field's id + 2.
#define IDD_CONNECTION 211
#define IDC_CONN_STATION 1110
#define IDC_CONN_STATION_SPIN 1111
#define IDC_CONN_STATION_LABEL 1112
#define IDC_CONN_TIMEOUT 1113
#define IDC_CONN_TIMEOUT_SPIN 1114
#define IDC_CONN_TIMEOUT_LABEL 1115
#define IDC_CONN_RACK 1116
#define IDC_CONN_RACK_SPIN 1117
#define IDC_CONN_RACK_LABEL 1118
#define IDC_CONN_SLOT 1119
#define IDC_CONN_SLOT_SPIN 1120
#define IDC_CONN_SLOT_LABEL 1121
#define IDC_CONN_IP 1122
#define IDC_CONN_IP_LABEL 1123
#define IDC_CONN_NAME 1124
// The PLC family and connection type (drop-down lists) and the two TSAPs
// (hex fields) a family named by its TSAPs takes; each with its label.
#define IDC_CONN_FAMILY 1170
#define IDC_CONN_FAMILY_LABEL 1171
#define IDC_CONN_TYPE 1172
#define IDC_CONN_TYPE_LABEL 1173
#define IDC_CONN_LOCAL_TSAP 1174
#define IDC_CONN_LOCAL_TSAP_LABEL 1175
#define IDC_CONN_REMOTE_TSAP 1176
#define IDC_CONN_REMOTE_TSAP_LABEL 1177

// "Start CPU": warm and cold restart.
#define IDD_CPU_START 212
#define IDC_START_WARM 1130
#define IDC_START_COLD 1131

// Clock dialog: the CPU's clock in the first row, the one to set below.
#define IDD_CLOCK 213
#define IDC_CLOCK_PLC_DATE 1140
#define IDC_CLOCK_PLC_TIME 1141
#define IDC_CLOCK_PC_DATE 1142
#define IDC_CLOCK_PC_TIME 1143
#define IDC_CLOCK_FOLLOW_PC 1144

// Login dialog.
#define IDD_LOGIN 214
#define IDC_LOGIN_PASSWORD 1150

// Variable list dialog: the variable list with its four buttons, the
// element list below, the edit button and the status bar.
#define IDD_VAR_LIST 220
#define IDC_LIST_VARIABLES 1200
#define IDC_LIST_APPEND 1201
#define IDC_LIST_INSERT 1202
#define IDC_LIST_MODIFY 1203
#define IDC_LIST_DELETE 1204
#define IDC_LIST_ELEMENTS 1205
#define IDC_LIST_EDIT 1206
#define IDC_LIST_STATUS 1207

// Variable definition dialog: like the connection dialog, each number
// field's spinner has the field's id + 1; the reason OK is disabled shows
// beside the buttons.
#define IDD_VAR_DEFINE 221
#define IDC_DEFINE_TYPE 1210
#define IDC_DEFINE_AREA 1211
#define IDC_DEFINE_DB 1212
#define IDC_DEFINE_DB_SPIN 1213
#define IDC_DEFINE_ADDRESS 1214
#define IDC_DEFINE_ADDRESS_SPIN 1215
#define IDC_DEFINE_BIT 1216
#define IDC_DEFINE_BIT_SPIN 1217
#define IDC_DEFINE_COUNT 1218
#define IDC_DEFINE_COUNT_SPIN 1219
#define IDC_DEFINE_REASON 1220
#define IDC_DEFINE_TEXT_MAX 1221
#define IDC_DEFINE_TEXT_MAX_SPIN 1222

// Element edit dialogs: name and mode only, or with the value (field,
// spinner, date and time pickers) as well.
#define IDD_ELEMENT_NAME 222
#define IDD_ELEMENT_VALUE 223
#define IDC_ELEMENT_NAME 1230
#define IDC_ELEMENT_MODE 1231
#define IDC_ELEMENT_VALUE 1232
#define IDC_ELEMENT_VALUE_SPIN 1233
#define IDC_ELEMENT_DATE 1234
#define IDC_ELEMENT_TIME 1235

// Read-variables window (modeless, on a thread of its own): the value list,
// the row of the recordings (value log, its changed-only choice, the trend),
// the bottom row (refresh, interval, hide the main window), reconnection
// below it, the close button and the status bar.
#define IDD_READ_WINDOW 230
#define IDC_READ_LIST 1160
#define IDC_READ_REFRESH 1161
#define IDC_READ_INTERVAL 1162
#define IDC_READ_HIDE_MAIN 1163
#define IDC_READ_CLOSE 1164
#define IDC_READ_STATUS 1165
#define IDC_READ_RECONNECT 1166
#define IDC_READ_LOG 1167
#define IDC_READ_LOG_CHANGED 1168
#define IDC_READ_TREND 1169

// Diagnostic buffer window (modal, resizable): the entries' list, and along
// the bottom edge the copy, save and close buttons.
#define IDD_DIAG_BUFFER 240
#define IDC_DIAG_LIST 1250
#define IDC_DIAG_COPY 1251
#define IDC_DIAG_SAVE 1252
#define IDC_DIAG_CLOSE 1253

// The trend of one element (modeless, on the read window's thread): the
// element's choice, the picture, the close button.
#define IDD_TREND 242
#define IDC_TREND_LABEL 1260
#define IDC_TREND_ELEMENT 1261
#define IDC_TREND_GRAPH 1262
#define IDC_TREND_CLOSE 1263
