// Settings in an INI file: "[Section]" lines, each followed by its
// "Name=Value" lines. Every read and write goes to the file itself, so two
// objects on one file always agree. A write changes only the line of its
// value (or adds one), keeping the rest of the file byte for byte.
#pragma once

#include "Types.h"

// A settings file that cannot be read or written, or a name or value that
// an INI file cannot hold.
class EIniFileException : public Exception { using Exception::Exception; };

class TIniFile {
public:
    explicit TIniFile(String FileName) : fileName_(std::move(FileName)) {}

    const String& FileName() const { return fileName_; }

    // The value Ident of Section, its blanks around it trimmed; Default when
    // the file, the section or the value is missing. Sections and names
    // compare without regard to the case of ASCII letters; the first of
    // equal ones counts. Reading never creates or changes a file. A file
    // that exists but cannot be read (a folder, a device, no permission,
    // too large for settings) raises EIniFileException.
    String ReadString(const String& Section, const String& Ident, const String& Default) const;
    // The value as a decimal number (or hexadecimal after "0x"); Default
    // when it is missing or is no number of Integer's range.
    int ReadInteger(const String& Section, const String& Ident, int Default) const;

    // Stores Value: the value of an existing line is replaced where it
    // stands, a new name goes at the end of its section, a new section at
    // the end of the file. The file (and its folders) is created only now.
    // The new content replaces the file in one step, so an interrupted
    // write leaves the old file; an existing file keeps its permissions,
    // and a symbolic link keeps pointing at it. Raises EIniFileException
    // when the file cannot be written, or when a section holds "]" or a line
    // break, a name "=" or a line break, or a value a line break.
    void WriteString(const String& Section, const String& Ident, const String& Value);
    void WriteInteger(const String& Section, const String& Ident, int Value);

    // A settings file larger than this is refused rather than read.
    static constexpr long long MaxFileSize = 16 * 1024 * 1024;

private:
    String fileName_;
};
