#pragma once

#include <QString>

#include <cstddef>

class LogTable;

/// The outcome of writing the report as a PDF file.
struct ReportPdfResult {
    bool ok = false;
    std::size_t pages = 0;  ///< report pages written (a log without records: none)
    QString error;          ///< why it failed, for the user
};

/// Writes the report of every record in `table` to `fileName` as a PDF on A4 portrait with
/// 10 mm margins. The file appears only once complete: a failure leaves what was there before.
/// A log without records gives a PDF of one blank page. Needs a QGuiApplication (fonts).
ReportPdfResult writeReportPdf(const LogTable& table, const QString& fileName);
