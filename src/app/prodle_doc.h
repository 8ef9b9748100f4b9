// The document: it holds no data; making a new one asks for the main window to start hidden.
#ifndef PRODLE_APP_PRODLE_DOC_H
#define PRODLE_APP_PRODLE_DOC_H

#include "framework/document.h"

class CProdleDoc : public CDocument {
public:
    bool OnNewDocument() override;
};

#endif
