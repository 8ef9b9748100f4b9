// The numbers the framework gives meaning to: its standard commands, the application-title string and
// the first pane's window id. The program's resource script uses them through its own resource.h, so
// only #define lines belong here.
#ifndef PRODLE_FRAMEWORK_FRAMEWORK_IDS_H
#define PRODLE_FRAMEWORK_FRAMEWORK_IDS_H

// String resource with the application's name.
#define AFX_IDS_APP_TITLE 0xE000

// Standard commands.
#define ID_FILE_NEW     0xE100
#define ID_FILE_OPEN    0xE101
#define ID_FILE_SAVE    0xE103
#define ID_EDIT_UNDO    0xE12B
#define ID_APP_ABOUT    0xE140
#define ID_HELP_FINDER  0xE143
#define ID_CONTEXT_HELP 0xE145
#define ID_HELP         0xE146
#define ID_DEFAULT_HELP 0xE147
#define ID_NEXT_PANE    0xE150
#define ID_PREV_PANE    0xE151

// The window id of a frame's first (only) pane, its view.
#define AFX_IDW_PANE_FIRST 0xE900

#endif
