#include "Clipbrd.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include "QtBridge.h"

namespace {

// Text held once as UTF-8, and handed out (as bytes, or as a string) only
// to whoever asks for it.
class TUtf8MimeData : public QMimeData {
public:
    explicit TUtf8MimeData(std::string&& text) : text_(std::move(text)) {}
    bool hasFormat(const QString& mimeType) const override { return formats().contains(mimeType); }
    QStringList formats() const override { return {u"text/plain"_qs, u"text/plain;charset=utf-8"_qs}; }

protected:
    QVariant retrieveData(const QString& mimeType, QMetaType type) const override {
        if (!hasFormat(mimeType)) return {};
        if (type.id() == QMetaType::QString) return QString::fromUtf8(text_.data(), static_cast<qsizetype>(text_.size()));
        // A copy: whoever asked may keep the bytes longer than the clipboard keeps this.
        return QByteArray(text_.data(), static_cast<qsizetype>(text_.size()));
    }

private:
    std::string text_;
};

}  // namespace

void TClipboard::SetAsUtf8(std::string&& text) {
    if (!qGuiApp) return;
    QGuiApplication::clipboard()->setMimeData(new TUtf8MimeData(std::move(text)));
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
