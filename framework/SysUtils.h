// Files and paths as the viewer sees them, and the clipboard.
#pragma once

#include "Types.h"

// True if a file (not a directory) exists at the path; a symbolic link is
// followed, and a link whose target is missing counts as missing.
bool FileExists(const String& fileName);
// The absolute, lexically normalised form of a path (a relative one is
// taken against the working directory).
String ExpandFileName(const String& fileName);
String ExtractFileName(const String& fileName);

// The system clipboard's text.
class TClipboard {
public:
    String AsText() const;
    void SetAsText(const String& text);
    bool HasText() const;
};
TClipboard& Clipboard();
