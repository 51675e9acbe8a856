#include "IniFiles.h"
#include "KvPanel.h"
#include "KvPanelClasses.h"

// Every operation opens the file anew: the store holds no copy that could
// go stale while another program (or another store) changes the file.

int TKvRegIniFile::ReadInteger(const String& Section, const String& Ident, int Default) const {
    return TIniFile(FFileName).ReadInteger(Section, Ident, Default);
}

String TKvRegIniFile::ReadString(const String& Section, const String& Ident, const String& Default) const {
    return TIniFile(FFileName).ReadString(Section, Ident, Default);
}

void TKvRegIniFile::WriteInteger(const String& Section, const String& Ident, int Value) {
    TIniFile(FFileName).WriteInteger(Section, Ident, Value);
}

void TKvRegIniFile::WriteString(const String& Section, const String& Ident, const String& Value) {
    TIniFile(FFileName).WriteString(Section, Ident, Value);
}

void RegisterKvRegIniFileClasses() {
    RegisterClassesOnce([] {
        TClassBuilder<TKvRegIniFile>(u"TKvRegIniFile", u"")
            .Str(u"FileName", &TKvRegIniFile::FileName, &TKvRegIniFile::SetFileName, String());
    });
}
