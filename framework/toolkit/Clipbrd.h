// The system clipboard's text.
#pragma once

#include <string>

#include "Types.h"

class TClipboard {
public:
    String AsText() const;
    void SetAsText(const String& text);
    // Puts (generalised) UTF-8 text on the clipboard as it is: it is kept
    // once, and turned into UTF-16 only when someone asks for it so.
    void SetAsUtf8(std::string&& text);
    bool HasText() const;
};
TClipboard& Clipboard();
