#pragma once

#include "report/report_dialogs.h"

/// The real dialogs: Qt's print dialog and a progress dialog.
class QtReportDialogs : public ReportDialogs {
public:
    bool printSetup(QWidget* owner, QPrinter& printer, int pageCount) override;
    std::unique_ptr<PrintProgress> printProgress(QWidget* owner,
                                                 std::function<void()> onCancel) override;
};
