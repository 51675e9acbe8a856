#include "Settings.h"

#include <QSettings>
#include <QStandardPaths>

#include "QtBridge.h"

namespace {

String& OverrideFileName() {
    static String name;
    return name;
}

}  // namespace

String SettingsFileName() {
    if (!OverrideFileName().empty()) return OverrideFileName();
    const QString dir = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return FromQString(dir + QStringLiteral("/Lumivar/lumivar.ini"));
}

void SetSettingsFileName(const String& fileName) { OverrideFileName() = fileName; }

String ReadSettingString(const String& Section, const String& Ident, const String& Default) {
    // QSettings writes only what was set on it, so a store that is only read
    // leaves the disk alone.
    const QSettings store(ToQString(SettingsFileName()), QSettings::IniFormat);
    const QVariant value = store.value(ToQString(Section) + QLatin1Char('/') + ToQString(Ident));
    if (!value.isValid()) return Default;
    // A value holding commas comes back as a list; join it back together.
    if (value.typeId() == QMetaType::QStringList) return FromQString(value.toStringList().join(QLatin1Char(',')));
    return FromQString(value.toString());
}
