// The program's per-user settings, read-only: an INI-style store of
// sections and named values in the user's configuration folder. Reading
// never creates the file.
#pragma once

#include "Types.h"

// Path of the settings file that reads go to.
String SettingsFileName();
// Points reads at another file (tests); an empty name restores the default.
void SetSettingsFileName(const String& fileName);

// The value Ident of Section, or Default when the file, the section or the
// value is missing.
String ReadSettingString(const String& Section, const String& Ident, const String& Default);
