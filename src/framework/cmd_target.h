// Root of everything that receives commands and messages through a message map.
#ifndef PRODLE_FRAMEWORK_CMD_TARGET_H
#define PRODLE_FRAMEWORK_CMD_TARGET_H

#include "framework/message_map.h"

class CCmdTarget {
public:
    CCmdTarget() = default;
    CCmdTarget(const CCmdTarget&) = delete;
    CCmdTarget& operator=(const CCmdTarget&) = delete;
    virtual ~CCmdTarget() = default;

    // Looks the message up in this object's map chain and calls the handler; false when none matches.
    bool DispatchToMap(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);

    // A command (menu item, accelerator, button) by id; false when this object has no handler for it.
    virtual bool OnCmdMsg(UINT id, UINT code);

protected:
    static const MessageMap* ThisMessageMap() { return nullptr; }
    virtual const MessageMap* GetMessageMap() const { return ThisMessageMap(); }
};

#endif
