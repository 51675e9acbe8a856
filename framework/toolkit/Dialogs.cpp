#include "Dialogs.h"

#include <QFile>
#include <QFileDialog>
#include <QTimer>

#include "Controls.h"
#include "ControlWidget.h"
#include "Forms.h"
#include "QtBridge.h"
#include "SysUtils.h"

namespace {

std::function<void(TFileDialogDriver&)> gAutomation;

class TQtFileDialogDriver : public TFileDialogDriver {
public:
    TQtFileDialogDriver(QFileDialog& dialog, String& confirmed) : dialog_(dialog), confirmed_(confirmed) {}
    String Title() const override { return FromQString(dialog_.windowTitle()); }
    std::vector<String> NameFilters() const override {
        std::vector<String> out;
        for (const QString& f : dialog_.nameFilters()) out.push_back(FromQString(f));
        return out;
    }
    String Directory() const override;
    void Accept(const String& fileName) override {
        // Confirmed as given, past the dialog's own checks: they would read a
        // name in a missing folder against the dialog's folder, and take a
        // folder's name as a place to go to, leaving the dialog open.
        if (fileName.empty()) {
            Cancel();
            return;
        }
        confirmed_ = ExpandFileName(fileName);
        static_cast<QDialog&>(dialog_).done(QDialog::Accepted);
    }
    void Cancel() override { static_cast<QDialog&>(dialog_).reject(); }

private:
    QFileDialog& dialog_;
    String& confirmed_;
};

// File names travel as the platform's bytes (see FileNameFromBytes); the
// toolkit has its own decoding of them.
QString ToQFileName(const String& fileName) {
    return QFile::decodeName(QByteArray::fromStdString(FileNameToBytes(fileName)));
}

String FromQFileName(const QString& fileName) { return FileNameFromBytes(QFile::encodeName(fileName).toStdString()); }

String TQtFileDialogDriver::Directory() const { return FromQFileName(dialog_.directory().absolutePath()); }

}  // namespace

std::vector<String> FilterToNameFilters(const String& filter) {
    std::vector<String> parts;
    size_t start = 0;
    for (;;) {
        const auto bar = filter.find(u'|', start);
        parts.push_back(filter.substr(start, bar == String::npos ? String::npos : bar - start));
        if (bar == String::npos) break;
        start = bar + 1;
    }
    std::vector<String> out;
    for (size_t i = 0; i + 1 < parts.size(); i += 2) {
        String patterns = parts[i + 1];
        for (auto& c : patterns)
            if (c == u';') c = u' ';
        out.push_back(parts[i] + u" (" + patterns + u")");
    }
    return out;
}

TOpenDialog::TOpenDialog(TComponent* AOwner) : TComponent(AOwner) {}

void TOpenDialog::SetAutomation(std::function<void(TFileDialogDriver&)> automation) { gAutomation = std::move(automation); }

bool TOpenDialog::Execute() {
    QWidget* parent = nullptr;
    if (auto* form = dynamic_cast<TWinControl*>(Owner())) parent = form->Widget();
    QFileDialog dialog(parent, ToQString(title_));
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(options_.Contains(ofFileMustExist) ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    QStringList filters;
    for (const String& f : FilterToNameFilters(filter_)) filters << ToQString(f);
    if (!filters.isEmpty()) dialog.setNameFilters(filters);
    if (!initialDir_.empty()) dialog.setDirectory(ToQFileName(initialDir_));
    if (!defaultExt_.empty()) dialog.setDefaultSuffix(ToQString(defaultExt_));
    if (!fileName_.empty()) dialog.selectFile(ToQFileName(fileName_));
    dialog.setSizeGripEnabled(options_.Contains(ofEnableSizing));
    String confirmed;  // what an automation confirmed
    if (gAutomation) {
        QTimer::singleShot(0, &dialog, [&dialog, &confirmed] {
            TQtFileDialogDriver driver(dialog, confirmed);
            GuardEvent([&] { gAutomation(driver); });
        });
    }
    if (dialog.exec() != QDialog::Accepted) return false;
    if (!confirmed.empty()) {
        fileName_ = confirmed;
        return true;
    }
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty()) return false;
    fileName_ = ExpandFileName(FromQFileName(files.first()));
    return true;
}
