// Resource, command and control numbers: each named once, here. The form's own timers and private
// messages are named in form/form_ids.h.
// Included by the resource script too, so only #define lines belong in it.
#ifndef PRODLE_RESOURCE_H
#define PRODLE_RESOURCE_H

#include "framework/framework_ids.h"

// Dialog templates
#define IDD_ABOUTBOX    100
#define IDD_PRODLE_FORM 101
#define IDD_EDIT_NAMES  131
#define IDD_OPTIONS     133
#define IDD_HISTORY     135

// Document template, main menu, accelerators, program icon, application title
#define IDR_MAINFRAME 128
#define IDS_APP_TITLE AFX_IDS_APP_TITLE

// Icons (the tray's pictures) and the tray's pop-up menu, which shares the tray icon's id
#define IDI_RUNNING   128
#define IDI_DOCUMENT  129
#define IDI_STOPPED   130
#define IDI_IN_FLIGHT 131
#define IDR_TRAY_MENU 129
#define ID_TRAY_ICON  129
// The running and in-flight pictures with the mark of a link that is down
#define IDI_RUNNING_DOWN   132
#define IDI_IN_FLIGHT_DOWN 133

// Hyperlink cursor
#define IDC_HAND_LINK 119

// Form controls
#define IDC_EDIT_OFTEN          1000
#define IDC_COMBO_HOSTS         1001
#define IDC_BUTTON_START        1003
#define IDC_STATIC_STATUS       1004
#define IDC_BUTTON_CLOSE_WINDOW 1005
#define IDC_STATIC_NEXT_LABEL   1006
#define IDC_STATIC_COUNTDOWN    1007
#define IDC_BUTTON_EXIT         1008

// Edit Names dialog
#define IDC_BUTTON_RESTORE_DEFAULT  3
#define IDC_BUTTON_DELETE_SELECTION 4
#define IDC_LIST_HOSTS              1010

// Options dialog
#define IDC_CHECK_AUTO_START      1011
#define IDC_CHECK_RANDOM_NAME     1013
#define IDC_CHECK_RANDOM_TIME     1014
#define IDC_CHECK_IGNORE_FAILURES 1015

// History window
#define IDC_HISTORY_STRIP    1030
#define IDC_HISTORY_DETAILS  1031
#define IDC_HISTORY_SUMMARY  1032
#define IDC_HISTORY_COPY     1033
#define IDC_HISTORY_OPEN_LOG 1034

// About box
#define IDC_STATIC_IP_ADDRESS 1012
#define IDC_STATIC_TIME_SINCE 1013
#define IDC_STATIC_MAIL_LINK  1022
#define IDC_STATIC_WEB_LINK   1023

// Menu commands (also the ids of their prompt strings); About, Help, New, Open, Save, Undo and the
// pane commands are the framework's (framework_ids.h)
#define ID_EDIT_NAMES        32771
#define ID_OPTIONS           32772
#define ID_TRAY_RESTORE      32773
#define ID_TRAY_EXIT         32774
#define ID_TRAY_OPEN_LOG     32775
#define ID_HISTORY           32776
#define ID_TRAY_LINK_NOTICES 32777

// The hyperlink's cool-down timer after a click
#define TIMER_LINK_COOL_DOWN 105

#endif
