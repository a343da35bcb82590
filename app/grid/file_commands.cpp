#include "app/grid/file_commands.h"

#include <QFile>
#include <QStringList>

#include "decode/locale_info.h"
#include "files/data_files.h"
#include "ui/dialogs.h"
#include "ui/save_file_name.h"

namespace {

// File names travel to the core as the system's 8-bit encoding of the path; the messages the
// core builds around them are decoded the same way.
std::string nativeName(const QString& name) {
    return QFile::encodeName(name).toStdString();
}

QString shownMessage(const std::string& message) {
    return QString::fromLocal8Bit(message.data(), static_cast<qsizetype>(message.size()));
}

// The informative text of a failed load: which file, and where and why it failed.
QString loadFailureDetails(const QString& fileName, const FileResult& result) {
    QString reason = shownMessage(result.reason);
    if (result.line > 0) {
        reason = QStringLiteral("Line %1: %2").arg(QString::number(result.line), reason);
    } else if (!reason.isEmpty()) {
        reason[0] = reason[0].toUpper();
    }
    return QStringLiteral("File: %1\n%2").arg(fileName, reason);
}

}  // namespace

FileCommands::FileCommands(LogTable& table, const LocaleInfo& locale, const TimeZone& zone,
                           Dialogs& dialogs, QWidget* owner, ErrorReporter reportError)
    : m_table(table),
      m_locale(locale),
      m_zone(zone),
      m_dialogs(dialogs),
      m_owner(owner),
      m_reportError(std::move(reportError)) {}

const QStringList& FileCommands::saveFilters() {
    static const QStringList kFilters = {
        QStringLiteral("Excel File(*.xls)"), QStringLiteral("XML(*.xml)"),
        QStringLiteral("Txt File(*.txt)"), QStringLiteral("CSV File(*.csv)")};
    return kFilters;
}

const QStringList& FileCommands::openFilters() {
    static const QStringList kFilters = {QStringLiteral("Excel File(*.xls)"),
                                         QStringLiteral("XML (*.xml)"),
                                         QStringLiteral("Txt File(*.txt)")};
    return kFilters;
}

void FileCommands::saveasClick() {
    FileDialogRequest request;
    request.filters = saveFilters();
    request.filterIndex = m_saveFilterIndex;
    request.defaultSuffix = QStringLiteral("xls");
    request.confirmOverwrite = true;  // the name starts empty every time
    const auto chosen = m_dialogs.saveFile(m_owner, request);
    if (!chosen) return;
    m_saveFilterIndex = chosen->filterIndex;
    const QString name = savedFileName(chosen->fileName, request.filters.value(chosen->filterIndex),
                                       request.defaultSuffix);
    const FileResult result = saveTableFile(m_table, nativeName(name), m_zone);
    if (result.ok) m_table.markSaved();
    showOutcome(result);
}

void FileCommands::SpeedButton2Click() {
    FileDialogRequest request;
    request.filters = openFilters();
    request.filterIndex = m_openFilterIndex;
    request.fileName = m_openFileName;
    const auto chosen = m_dialogs.openFile(m_owner, request);
    if (!chosen) return;
    m_openFilterIndex = chosen->filterIndex;
    m_openFileName = chosen->fileName;
    const std::string name = nativeName(chosen->fileName);
    // An XML file replaces the log; a text file appends and loses nothing.
    if (hasXmlExtension(name) && m_table.unsavedReadings() > 0 &&
        !m_dialogs.confirmDefaultNo(
            m_owner, QStringLiteral("Information"),
            QStringLiteral("The log holds %1 readings that have not been saved. Replace them "
                           "with the file's records?")
                .arg(m_table.unsavedReadings()))) {
        return;
    }
    const FileResult result = FileToTable(name, m_table, m_locale.userNumberFormat());
    if (result.kind == FileMessageKind::Error) {
        m_dialogs.errorWithDetails(nullptr, shownMessage(result.message),
                                   loadFailureDetails(chosen->fileName, result));
        return;
    }
    showOutcome(result);
}

void FileCommands::showOutcome(const FileResult& result) {
    const QString message = shownMessage(result.message);
    switch (result.kind) {
        case FileMessageKind::None:
            return;
        case FileMessageKind::Information:
            m_dialogs.information(nullptr, message);
            return;
        case FileMessageKind::Error:
            m_dialogs.error(nullptr, message);
            return;
        case FileMessageKind::GeneralError:
            m_reportError(message);
            return;
    }
}
