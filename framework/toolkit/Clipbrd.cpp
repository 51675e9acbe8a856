#include "Clipbrd.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include "QtBridge.h"

String TClipboard::AsText() const {
    if (!qGuiApp) return String();
    return FromQString(QGuiApplication::clipboard()->text());
}

void TClipboard::SetAsText(const String& text) {
    if (!qGuiApp) return;
    QGuiApplication::clipboard()->setText(ToQString(text));
}

bool TClipboard::HasText() const {
    if (!qGuiApp) return false;
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    return data && data->hasText();
}

TClipboard& Clipboard() {
    static TClipboard clipboard;
    return clipboard;
}
