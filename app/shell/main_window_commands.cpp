// The window's command and event handlers.
#include <QActionGroup>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>

#include "app/chart/chart_commands.h"
#include "app/chart/chart_view.h"
#include "app/grid/file_commands.h"
#include "app/grid/log_grid_model.h"
#include "app/grid/log_grid_view.h"
#include "app/grid/log_panel.h"
#include "app/lcd/lcd_panel_widget.h"
#include "app/lcd/link_lamp_widget.h"
#include "app/limits/limits_panel.h"
#include "app/shell/main_window.h"

#include "app/shell/recovery_journal.h"
#include "decode/frame_assembler.h"
#include "decode/meter_decoder.h"
#include "link/serial/com_connection.h"
#include "log/chart_pager.h"
#include "report/report_preview.h"
#include "report/report_printer.h"
#include "ui/ansi_text.h"
#include "ui/dialogs.h"
#include "ui/error_report.h"

void TFCOMM::receiveSerialData(const std::uint8_t* bytes, std::int32_t size) {
    if (size > 0) m_session->receiveSerial(bytes, static_cast<std::size_t>(size));
}

void TFCOMM::offerLeftoverJournals() {
    m_recoveryJournal->offerLeftovers();
}

void TFCOMM::finishJournal() {
    m_recoveryJournal->finish();
}

void TFCOMM::BitBtn1Click() {
    if (m_env.dialogs.confirm(
            this, QStringLiteral("Information"),
            QStringLiteral("Are you sure that you want to quit this application?"))) {
        m_env.quitApplication();
    }
}

void TFCOMM::RecordNewClick() {
    if (!m_env.dialogs.confirm(
            this, QStringLiteral("Information"),
            QStringLiteral("Are you sure that you want to clear all logged data?"))) {
        return;
    }
    m_session->log().RecordNewClick();
    showLogState();
}

void TFCOMM::saveasClick() {
    m_fileCommands->saveasClick();
}

void TFCOMM::SpeedButton2Click() {
    m_fileCommands->SpeedButton2Click();
}

void TFCOMM::BtPrintClick() {
    // One preview at a time; a further Print while it is open only repaints the window.
    if (m_reportPreview != nullptr) {
        update();
        return;
    }
    // The pages are those of the records logged up to now; the log goes on behind the preview.
    if (!m_reportPrinter) m_reportPrinter = std::make_unique<ReportPrinter>();
    auto* preview = new ReportPreview(
        ReportRows(m_session->cds1()), *m_reportPrinter, m_env.reportDialogs, m_env.timers,
        [this](const QString& message) { reportError(message); }, this);
    preview->setAttribute(Qt::WA_DeleteOnClose);
    preview->setOnClosed([this] { reportPreviewClosed(); });
    // Emptying or reloading the log resets the grid's model: the preview's rows are gone then.
    connect(m_gridModel, &QAbstractItemModel::modelReset, preview, &ReportPreview::checkRows);
    m_reportPreview = preview;
    preview->show();
}

ReportPreview* TFCOMM::reportPreview() const {
    return m_reportPreview.data();
}

void TFCOMM::reportPreviewClosed() {
    m_reportPreview = nullptr;
    // As after preparing the pages by walking the table: the last record is the current one.
    m_DBGrid1->setCurrentRow(m_gridModel->rowCount() - 1);
    update();
}

void TFCOMM::ConTimerTimer() {
    // The USB half runs on the tick that darkens the indicator, every third one.
    if (m_session->ConTimerTick()) m_usbConnection->emptyReportWatchdog();
    m_linkLamp->setPanelState(m_session->decoder().panel());
}

void TFCOMM::Timer3Timer() {
    m_session->Timer3Timer();
    showLogState();
}

void TFCOMM::reportError(const QString& message) {
    m_env.dialogs.applicationError(punctuateErrorText(message));
}

void TFCOMM::restartSeries() {
    if (m_chartCommands != nullptr) m_chartCommands->applyFillChoice();
}

void TFCOMM::setLeftAxisRange(double minimum, double maximum) {
    m_Chtshow->setLeftRange(minimum, maximum);
}

void TFCOMM::ReadingDecoded(const TMeterReading& reading, double) {
    // The session has logged the reading already.
    const LcdPanelState& panel = m_session->decoder().panel();
    m_Panel1->setPanelState(panel);
    m_linkLamp->setPanelState(panel);
    m_Panel4->showReading(reading.ValueText);
    showLogState();
}

void TFCOMM::receiveUsbReport(std::uint8_t ReportID, const std::uint8_t* Data, std::uint16_t Size) {
    m_session->receiveHidReport(ReportID, Data, Size);
}

std::int32_t TFCOMM::EmptyReportCount() const {
    return m_session->frames().EmptyReportCount();
}

void TFCOMM::resetEmptyReportCount() {
    m_session->frames().resetEmptyReportCount();
}

bool TFCOMM::USBConDown() const {
    return m_USBCon->isChecked();
}

void TFCOMM::setUSBConDown(bool down) {
    m_USBCon->setChecked(down);
}

void TFCOMM::setUSBConCaption(const QString& caption) {
    m_USBCon->setText(caption);
}

void TFCOMM::hideComControls() {
    m_comConnection->hideComControls();
}

void TFCOMM::showComControls() {
    m_comConnection->showComControls();
}

void TFCOMM::selectRecordLimit(RecordLimitChoice choice) {
    m_session->log().selectRecordLimit(choice);
    for (QAction* action : m_recordLimits->actions()) {
        action->setChecked(action == recordLimitAction(m_session->log().checkedLimit()));
    }
}

void TFCOMM::RecordSITimeChange() {
    QLineEdit* edit = m_Panel2->RecordSITime();
    const QString shown =
        ansiToQString(m_session->log().RecordSITimeChange(qStringToAnsi(edit->text())));
    if (shown != edit->text()) edit->setText(shown);
    syncTimer3();
}

void TFCOMM::showLogState() {
    const ReadingLog& log = m_session->log();
    if (m_PBar2->maximum() != log.PBar2Max()) m_PBar2->setRange(0, log.PBar2Max());
    if (m_PBar2->value() != log.PBar2Position()) m_PBar2->setValue(log.PBar2Position());
    m_chartCommands->showCurrentPage();
    syncTimer3();
}

void TFCOMM::syncTimer3() {
    const ReadingLog& log = m_session->log();
    const int interval = static_cast<int>(log.Timer3Interval());
    if (m_Timer3->interval() != interval) m_Timer3->setInterval(interval);  // restarts if running
    if (log.Timer3Enabled() && !m_Timer3->isActive()) m_Timer3->start();
    if (!log.Timer3Enabled() && m_Timer3->isActive()) m_Timer3->stop();
}
