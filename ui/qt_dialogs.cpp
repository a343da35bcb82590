#include "ui/qt_dialogs.h"

#include <QAbstractButton>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>

#include "ui/error_report.h"
#include "ui/save_file_name.h"

namespace {

std::optional<FileDialogResult> runFileDialog(QWidget* owner, const FileDialogRequest& r,
                                              QFileDialog::AcceptMode mode) {
    QFileDialog dialog(owner);
    dialog.setAcceptMode(mode);
    // The open dialog too takes a name that does not exist: loading it then fails visibly.
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(r.filters);
    if (r.filterIndex >= 0 && r.filterIndex < r.filters.size()) {
        dialog.selectNameFilter(r.filters.at(r.filterIndex));
    }
    // The extension appended to a typed name follows the chosen entry, so that the overwrite
    // question is about the name that will be written.
    const auto followFilter = [&dialog, &r](const QString& filter) {
        if (r.defaultSuffix.isEmpty()) return;
        const QString offered = filterSuffix(filter);
        dialog.setDefaultSuffix(offered.isEmpty() ? r.defaultSuffix : offered);
    };
    followFilter(dialog.selectedNameFilter());
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, followFilter);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !r.confirmOverwrite);
    if (!r.fileName.isEmpty()) dialog.selectFile(r.fileName);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty()) return std::nullopt;
    FileDialogResult result;
    result.fileName = files.first();
    result.filterIndex = static_cast<int>(r.filters.indexOf(dialog.selectedNameFilter()));
    if (result.filterIndex < 0) result.filterIndex = r.filterIndex;
    return result;
}

void showPlainBox(QMessageBox::Icon icon, const QString& caption, const QString& text,
                  const QString& details = {}) {
    // No owner window, as the platform's plain message box.
    QMessageBox box(icon, caption, text, QMessageBox::Ok);
    box.setInformativeText(details);
    box.exec();
}

void centreOnScreen(QWidget& widget) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) return;
    widget.adjustSize();
    QRect frame = widget.frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    widget.move(frame.topLeft());
}

bool askYesNo(QWidget* owner, const QString& caption, const QString& text,
              QMessageBox::StandardButton defaultButton) {
    QMessageBox box(QMessageBox::Information, caption, text, QMessageBox::Yes | QMessageBox::No,
                    owner);
    box.setDefaultButton(defaultButton);
    box.setEscapeButton(QMessageBox::No);
    box.button(QMessageBox::Yes)->setText(QStringLiteral("&Yes"));
    box.button(QMessageBox::No)->setText(QStringLiteral("&No"));
    centreOnScreen(box);
    return box.exec() == QMessageBox::Yes;
}

}  // namespace

std::optional<FileDialogResult> QtDialogs::saveFile(QWidget* owner, const FileDialogRequest& r) {
    return runFileDialog(owner, r, QFileDialog::AcceptSave);
}

std::optional<FileDialogResult> QtDialogs::openFile(QWidget* owner, const FileDialogRequest& r) {
    return runFileDialog(owner, r, QFileDialog::AcceptOpen);
}

void QtDialogs::information(QWidget*, const QString& text) {
    showPlainBox(QMessageBox::Information, QStringLiteral("Information"), text);
}

void QtDialogs::error(QWidget*, const QString& text) {
    showPlainBox(QMessageBox::Critical, QStringLiteral("Error"), text);
}

void QtDialogs::errorWithDetails(QWidget*, const QString& text, const QString& details) {
    showPlainBox(QMessageBox::Critical, QStringLiteral("Error"), text, details);
}

bool QtDialogs::confirm(QWidget* owner, const QString& caption, const QString& text) {
    return askYesNo(owner, caption, text, QMessageBox::Yes);
}

bool QtDialogs::confirmDefaultNo(QWidget* owner, const QString& caption, const QString& text) {
    return askYesNo(owner, caption, text, QMessageBox::No);
}

void QtDialogs::applicationError(const QString& text) {
    QMessageBox box(QMessageBox::Critical, QString::fromLatin1(kApplicationTitle), text,
                    QMessageBox::Ok);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}
