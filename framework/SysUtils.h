// Files and paths as the viewer sees them, and the clipboard.
#pragma once

#include "Types.h"

// True if a file (not a directory) exists at the path; a symbolic link is
// followed, and a link whose target is missing counts as missing.
bool FileExists(const String& fileName);
// The absolute form of a path (relative to the working directory); defined
// with the file reading code.
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
