// An owned GDI font: created from a description, deleted with the object.
#ifndef PRODLE_FRAMEWORK_FONT_H
#define PRODLE_FRAMEWORK_FONT_H

#include <windows.h>

class CFont {
public:
    CFont() = default;
    CFont(const CFont&) = delete;
    CFont& operator=(const CFont&) = delete;
    ~CFont() { DeleteObject(); }

    // Replaces the font held by a new one; FALSE when the system cannot make it.
    BOOL CreateFontIndirect(const LOGFONTA* description)
    {
        DeleteObject();
        m_hObject = ::CreateFontIndirectA(description);
        return m_hObject != nullptr;
    }
    BOOL DeleteObject()
    {
        if (!m_hObject)
            return FALSE;
        const BOOL deleted = ::DeleteObject(m_hObject);
        m_hObject = nullptr;
        return deleted;
    }
    HFONT GetSafeHandle() const { return m_hObject; }
    operator HFONT() const { return m_hObject; }

private:
    HFONT m_hObject = nullptr;
};

#endif
