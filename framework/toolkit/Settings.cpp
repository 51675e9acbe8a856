#include "Settings.h"

#include <QStandardPaths>

#include <fstream>
#include <string>

#include "QtBridge.h"

namespace {

String& OverrideFileName() {
    static String name;
    return name;
}

std::string Trim(const std::string& s) {
    const auto first = s.find_first_not_of(" \t\r");
    if (first == std::string::npos) return std::string();
    const auto last = s.find_last_not_of(" \t\r");
    return s.substr(first, last - first + 1);
}

}  // namespace

String SettingsFileName() {
    if (!OverrideFileName().empty()) return OverrideFileName();
    const QString dir = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return FromQString(dir + QStringLiteral("/Lumivar/lumivar.ini"));
}

void SetSettingsFileName(const String& fileName) { OverrideFileName() = fileName; }

// A plain reader of "[Section]" and "Name=Value" lines: values are taken
// as written (a general settings parser would turn commas into lists), and
// names compare without regard to case, as the desktop's settings do.
String ReadSettingString(const String& Section, const String& Ident, const String& Default) {
    std::ifstream file(StringToUtf8(SettingsFileName()));
    if (!file) return Default;
    std::string line;
    bool inSection = false;
    bool first = true;
    while (std::getline(file, line)) {
        // Editors may save the file with a UTF-8 byte-order mark.
        if (first && line.rfind("\xEF\xBB\xBF", 0) == 0) line.erase(0, 3);
        first = false;
        line = Trim(line);
        if (line.empty() || line[0] == ';' || line[0] == '#') continue;
        if (line.front() == '[') {
            const auto close = line.find(']');
            inSection = close != std::string::npos && SameText(S(Trim(line.substr(1, close - 1))), Section);
            continue;
        }
        const auto eq = line.find('=');
        if (!inSection || eq == std::string::npos) continue;
        if (SameText(S(Trim(line.substr(0, eq))), Ident)) return S(Trim(line.substr(eq + 1)));
    }
    return Default;
}
