#pragma once

#include <QString>

#include "ui/error_report.h"

class Dialogs;
struct FileResult;
class LocaleInfo;
class LogTable;
class TimeZone;
class QWidget;

/// The Save and Open commands of the log: the two file dialogs with their filters, default
/// extension and remembered entries, the core's file formats, and the messages of the outcome.
/// GUI thread only; table, locale and dialogs must outlive this.
class FileCommands {
public:
    /// zone: the local time of the CSV export's date-times.
    FileCommands(LogTable& table, const LocaleInfo& locale, const TimeZone& zone, Dialogs& dialogs,
                 QWidget* owner, ErrorReporter reportError);

    /// Save (`saveas`, hidden item `Save1`): `SaveDialog2`, then TAB text, XML or CSV (an entry
    /// after the three TAB text and XML ones, export only: Open does not offer it and refuses a
    /// ".csv" name) by extension; a name typed without extension takes that of the chosen entry.
    void saveasClick();
    /// Open (`OpenDataFiles`): `OpenDialog1`, then the file is loaded into the table. Before an
    /// XML file replaces readings that were never saved, the user is asked (No the default).
    /// "Failed to Load File!" names the file, the failing line and the reason as its details.
    void SpeedButton2Click();

    /// The filter entries of the two dialogs; the save dialog's end with "CSV File(*.csv)".
    static const QStringList& saveFilters();
    static const QStringList& openFilters();

private:
    void showOutcome(const FileResult& result);

    LogTable& m_table;
    const LocaleInfo& m_locale;
    const TimeZone& m_zone;
    Dialogs& m_dialogs;
    QWidget* m_owner;
    ErrorReporter m_reportError;
    int m_saveFilterIndex = 0;
    int m_openFilterIndex = 0;
    QString m_openFileName;
};
