#include "DragDrop.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QPointer>
#include <QTimer>
#include <QUrl>

#include "ControlWidget.h"
#include "SysUtils.h"

namespace {

// The local files among the URLs of dragged data. A name keeps its bytes
// (a percent-encoded byte that is not UTF-8 stays that byte).
std::vector<String> LocalFiles(const QMimeData* data) {
    std::vector<String> files;
    if (!data || !data->hasUrls()) return files;
    for (const QUrl& url : data->urls()) {
        if (!url.isLocalFile()) continue;
        if (!url.host().isEmpty() && url.host() != QLatin1String("localhost")) continue;  // another machine's file
        const QByteArray bytes = QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
        if (!bytes.isEmpty()) files.push_back(FileNameFromBytes(bytes.toStdString()));
    }
    return files;
}

// Watches a control's window for drags and drops; owned by that window.
class TDropFilter : public QObject {
public:
    TDropFilter(QWidget* window, TDropFilesEvent handler) : QObject(window), handler_(std::move(handler)) {}
    void SetHandler(TDropFilesEvent handler) { handler_ = std::move(handler); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
            case QEvent::DragEnter:
            case QEvent::DragMove: {
                auto* drag = static_cast<QDragMoveEvent*>(event);
                if (LocalFiles(drag->mimeData()).empty()) drag->ignore();
                else drag->acceptProposedAction();
                return true;
            }
            case QEvent::Drop: {
                auto* drop = static_cast<QDropEvent*>(event);
                std::vector<String> files = LocalFiles(drop->mimeData());
                if (files.empty()) {
                    drop->ignore();
                    return true;
                }
                drop->acceptProposedAction();
                Deliver(static_cast<TControlWidget*>(watched), std::move(files));
                return true;
            }
            default: return QObject::eventFilter(watched, event);
        }
    }

private:
    void Deliver(TControlWidget* window, std::vector<String> files) {
        QPointer<TControlWidget> guard(window);
        QTimer::singleShot(0, this, [this, guard, files = std::move(files)] {
            if (!guard || !guard->Control() || !handler_) return;
            TWinControl* control = guard->Control();
            const TDropFilesEvent handler = handler_;  // the handler may replace itself
            GuardEvent([&] { handler(control, files); });
        });
    }

    TDropFilesEvent handler_;
};

TDropFilter* FilterOf(QWidget* window) {
    for (QObject* child : window->children())
        if (auto* filter = dynamic_cast<TDropFilter*>(child)) return filter;
    return nullptr;
}

// The widget a drag over the point goes to: the deepest one under it that
// takes drops, as the windowing layer chooses it; p becomes its coordinates.
QWidget* DropTarget(QWidget* window, QPoint& p) {
    QWidget* target = window->childAt(p);
    if (!target) target = window;
    while (target != window && !target->acceptDrops()) target = target->parentWidget();
    if (!target->acceptDrops()) return nullptr;
    p = target->mapFrom(window, p);
    return target;
}

}  // namespace

void AcceptDroppedFiles(TWinControl* control, TDropFilesEvent handler) {
    QWidget* window = control ? control->Widget() : nullptr;
    if (!window) return;
    TDropFilter* filter = FilterOf(window);
    if (!handler) {
        delete filter;
        window->setAcceptDrops(false);
        return;
    }
    if (filter) {
        filter->SetHandler(std::move(handler));
        return;
    }
    window->installEventFilter(new TDropFilter(window, std::move(handler)));
    window->setAcceptDrops(true);
}

bool SimulateDropUris(TWinControl* window, int x, int y, const std::vector<std::string>& uris) {
    if (!window || !window->Widget()) return false;
    QPoint p(x, y);
    QWidget* target = DropTarget(window->Widget(), p);
    if (!target) return false;
    QByteArray list;
    for (const std::string& uri : uris) list += QByteArray::fromStdString(uri) + "\r\n";
    QMimeData data;
    data.setData(QStringLiteral("text/uri-list"), list);
    const Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;
    QDragEnterEvent enter(p, actions, &data, Qt::LeftButton, Qt::NoModifier);
    enter.ignore();
    QApplication::sendEvent(target, &enter);
    if (!enter.isAccepted()) {
        QDragLeaveEvent leave;
        QApplication::sendEvent(target, &leave);
        return false;
    }
    QDropEvent drop(QPointF(p), actions, &data, Qt::LeftButton, Qt::NoModifier);
    drop.ignore();
    QApplication::sendEvent(target, &drop);
    return drop.isAccepted();
}
