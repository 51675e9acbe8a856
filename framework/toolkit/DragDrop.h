// Files dragged from the desktop (a file manager) and dropped on a window.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "Controls.h"

// The local files of a drop in the order they were dragged, each name the
// platform's bytes (see FileNameFromBytes).
using TDropFilesEvent = std::function<void(TObject* Sender, const std::vector<String>& FileNames)>;

// Lets the window of a windowed control take files dropped on it, over any
// of its controls. A drag that carries at least one local file is accepted;
// anything else (text, a web address) is refused. The handler runs from the
// event loop just after the drop, so that the program the files came from is
// not kept waiting by what it does; an error in it goes to the error box.
// An empty handler stops the window taking drops.
void AcceptDroppedFiles(TWinControl* Control, TDropFilesEvent Handler);

// Simulated drag and drop (tests): drags a list of URIs ("file:///home/a.log")
// over the window to the point, in client coordinates, and drops it there,
// through the same events as a drag from another program. Returns true when
// the window accepted the drop.
bool SimulateDropUris(TWinControl* Window, int X, int Y, const std::vector<std::string>& Uris);
