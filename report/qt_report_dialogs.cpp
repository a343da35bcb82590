#include "report/qt_report_dialogs.h"

#include <QPrintDialog>
#include <QPrinter>
#include <QProgressDialog>

#include <algorithm>
#include <limits>

namespace {

int clampToInt(std::size_t n) {
    return static_cast<int>(std::min<std::size_t>(n, std::numeric_limits<int>::max()));
}

class DialogPrintProgress : public PrintProgress {
public:
    DialogPrintProgress(QWidget* owner, std::function<void()> onCancel)
        : m_dialog(owner), m_onCancel(std::move(onCancel)) {
        m_dialog.setWindowTitle(QStringLiteral("Printing progress"));
        m_dialog.setCancelButtonText(QStringLiteral("Cancel"));
        m_dialog.setWindowModality(Qt::WindowModal);  // the preview waits, the main window not
        m_dialog.setAutoClose(false);
        m_dialog.setAutoReset(false);
        m_dialog.setMinimumDuration(0);
        m_dialog.setMinimumWidth(320);
        QObject::connect(&m_dialog, &QProgressDialog::canceled, &m_dialog, [this] {
            if (m_onCancel) m_onCancel();
        });
        m_dialog.show();
    }

    void setProgress(std::size_t done, std::size_t total) override {
        m_dialog.setMaximum(clampToInt(total));
        m_dialog.setValue(clampToInt(done));
        m_dialog.setLabelText(QStringLiteral("Page %1 of %2 printed").arg(done).arg(total));
    }

private:
    QProgressDialog m_dialog;
    std::function<void()> m_onCancel;
};

}  // namespace

bool QtReportDialogs::printSetup(QWidget* owner, QPrinter& printer, int pageCount) {
    const int last = std::max(pageCount, 1);
    if (printer.printRange() != QPrinter::PageRange || printer.fromPage() < 1) {
        printer.setFromTo(1, last);
    } else {
        const int to = std::clamp(printer.toPage(), 1, last);
        printer.setFromTo(std::min(printer.fromPage(), to), to);
    }
    QPrintDialog dialog(&printer, owner);
    dialog.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintPageRange |
                      QAbstractPrintDialog::PrintCollateCopies |
                      QAbstractPrintDialog::PrintShowPageSize);
    dialog.setMinMax(1, last);
    return dialog.exec() == QDialog::Accepted;
}

std::unique_ptr<PrintProgress> QtReportDialogs::printProgress(QWidget* owner,
                                                              std::function<void()> onCancel) {
    return std::make_unique<DialogPrintProgress>(owner, std::move(onCancel));
}
