// Files and paths as the viewer sees them.
#pragma once

#include <string>
#include <string_view>

#include "Types.h"

// File names are the platform's bytes, which need not be UTF-8. A name is
// carried in a String with each byte that is not part of well-formed UTF-8
// as the lone surrogate U+DC00 + byte (U+DC80 to U+DCFF), so that any name
// from the command line or the dialog reaches the open call unchanged.
String FileNameFromBytes(std::string_view bytes);
std::string FileNameToBytes(std::u16string_view fileName);
// The name as a person reads it: each byte that is not UTF-8 shows as U+FFFD.
String DisplayFileName(std::u16string_view fileName);

// The kinds of file that the loaders read (a stat mode): a regular file or a
// FIFO. Directories, devices and sockets are no text to read.
bool IsLoadableFileMode(unsigned mode);
// True if a file that the loaders read exists at the path (see
// IsLoadableFileMode); a symbolic link is followed, and a link whose target
// is missing counts as missing.
bool FileExists(const String& fileName);
// The absolute, lexically normalised form of a path (a relative one is
// taken against the working directory).
String ExpandFileName(const String& fileName);
String ExtractFileName(const String& fileName);
// The folder part of a path: everything before its last "/" ("/" for a
// file in the root); empty when the path names no folder.
String ExtractFileDir(const String& fileName);
