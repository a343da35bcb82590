#pragma once

#include <cstddef>
#include <functional>
#include <memory>

class QPrinter;
class QWidget;

/// The "Printing progress" window while a print run lasts; destroying it closes it.
class PrintProgress {
public:
    virtual ~PrintProgress() = default;
    /// Sheets printed so far out of `total`.
    virtual void setProgress(std::size_t done, std::size_t total) = 0;
};

/// Every dialog the report's preview opens, behind one seam so tests answer them without a
/// display. GUI thread only.
class ReportDialogs {
public:
    virtual ~ReportDialogs() = default;
    /// The print dialog on `printer`: printer (a PDF file among them), orientation, copies and
    /// the range of pages 1 to `pageCount`. The choices go into `printer`; true when the user
    /// confirmed them. Modal; timers and received data go on being served behind it.
    virtual bool printSetup(QWidget* owner, QPrinter& printer, int pageCount) = 0;
    /// Shows "Printing progress" with a "Cancel" button that calls `onCancel`. Not modal to
    /// the main window.
    virtual std::unique_ptr<PrintProgress> printProgress(QWidget* owner,
                                                         std::function<void()> onCancel) = 0;
};
