// The form's private window messages and its timers (the engine's one wake-up, and the network watch's
// two), named once here.
#ifndef PRODLE_FORM_FORM_IDS_H
#define PRODLE_FORM_FORM_IDS_H

// Private window messages (WM_APP is 0x8000)
#define WM_PRODLE_SOCKET         (0x8000 + 8)
#define WM_PRODLE_HOST_LOOKUP    (0x8000 + 16)
#define WM_PRODLE_LOCAL_LOOKUP   (0x8000 + 24)
#define WM_PRODLE_CONNECT_LOOKUP (0x8000 + 32)
#define WM_PRODLE_SHOW_BOX       (0x8000 + 40)
#define WM_PRODLE_NETWORK_CHANGE (0x8000 + 48)
#define WM_PRODLE_ADDRESS_NOTICE (0x8000 + 56)
#define WM_PRODLE_TRAY_CALLBACK  (0x8000 + 100)

// Timers
#define TIMER_WAKE           101
#define TIMER_NETWORK_SETTLE 113
#define TIMER_NETWORK_REARM  115
#define TIMER_TRAY_ADD       117

#endif
