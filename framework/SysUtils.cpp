#include "SysUtils.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include <filesystem>
#include <system_error>

#include "QtBridge.h"

bool FileExists(const String& fileName) {
    if (fileName.empty()) return false;
    std::error_code ec;
    return std::filesystem::is_regular_file(std::filesystem::path(StringToUtf8(fileName)), ec);
}

String ExpandFileName(const String& fileName) {
    std::error_code ec;
    const std::filesystem::path path(StringToUtf8(fileName));
    std::filesystem::path full = std::filesystem::absolute(path, ec);
    if (ec) full = path;
    return Utf8ToString(full.lexically_normal().string());
}

String ExtractFileName(const String& fileName) {
    const auto slash = fileName.find_last_of(u"/\\");
    return slash == String::npos ? fileName : fileName.substr(slash + 1);
}

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
