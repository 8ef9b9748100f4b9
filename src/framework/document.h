// The document and the single-document template that creates document, frame and view together.
#ifndef PRODLE_FRAMEWORK_DOCUMENT_H
#define PRODLE_FRAMEWORK_DOCUMENT_H

#include "framework/cmd_target.h"

class CFrameWnd;
class CView;

class CDocument : public CCmdTarget {
public:
    virtual bool OnNewDocument() { return true; }
};

class CSingleDocTemplate {
public:
    using DocumentFactory = CDocument* (*)();
    using FrameFactory = CFrameWnd* (*)();
    using ViewFactory = CView* (*)();

    CSingleDocTemplate(UINT resourceId, DocumentFactory newDocument, FrameFactory newFrame,
                       ViewFactory newView)
        : m_nIDResource(resourceId), m_newDocument(newDocument), m_newFrame(newFrame), m_newView(newView)
    {
    }
    CSingleDocTemplate(const CSingleDocTemplate&) = delete;
    CSingleDocTemplate& operator=(const CSingleDocTemplate&) = delete;
    ~CSingleDocTemplate();

    // Makes a new document with its frame and view, runs the view's initial update and shows the frame
    // with the application's start-up show command. Null when any piece could not be made.
    CDocument* OpenNewDocument();

private:
    UINT m_nIDResource;
    DocumentFactory m_newDocument;
    FrameFactory m_newFrame;
    ViewFactory m_newView;
    CDocument* m_pDocument = nullptr;
};

// Factory for a template's piece: NewObject<CDocument, MyDocument>, and so on.
template <class Base, class T>
Base* NewObject()
{
    return new T;
}

#endif
