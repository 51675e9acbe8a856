// The system clipboard's text.
#pragma once

#include "Types.h"

class TClipboard {
public:
    String AsText() const;
    void SetAsText(const String& text);
    bool HasText() const;
};
TClipboard& Clipboard();
