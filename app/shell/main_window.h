#pragma once

#include <QCoreApplication>
#include <QMainWindow>
#include <QPointer>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "decode/decoder_sink.h"
#include "decode/model_profile.h"
#include "link/hid/hid_platform.h"
#include "link/hid/usb_connection.h"
#include "link/serial/port_naming.h"
#include "link/serial/serial_platform.h"
#include "link/serial/serial_port_driver.h"
#include "log/reading_log.h"
#include "session/meter_session.h"
#include "ui/timers.h"

class QAbstractButton;
class QAction;
class QActionGroup;
class QCheckBox;
class QFrame;
class QLineEdit;
class QMenu;
class QProgressBar;
class QPushButton;
class QToolButton;

class Clock;
class ComConnection;
class Dialogs;
class FileCommands;
class FrameAssembler;
class ChartCommands;
class ChartToolBar;
class ChartView;
class LcdPanelWidget;
class LimitComparator;
class LimitsPanel;
class LinkLampWidget;
class LocaleInfo;
class LogGridModel;
class LogGridView;
class LogPanel;
class LogTable;
class MeterDecoder;
class RecoveryJournal;
class ReportDialogs;
class ReportPreview;
class ReportPrinter;
class TChartControl;
class TimeZone;

/// What the window takes from outside: dialogs, locale, clock, timers, the serial port and
/// the platform's answers. main() passes the real ones, tests pass fakes; nothing in the window
/// falls back to real hardware. The references must outlive the window.
struct WindowEnvironment {
    Dialogs& dialogs;
    /// The print dialog and the printing progress of the report's preview.
    ReportDialogs& reportDialogs;
    const LocaleInfo& locale;
    const Clock& clock;
    Timers& timers;
    /// The port access of the serial driver `COMM2`; the window takes it over.
    std::unique_ptr<SerialPlatform> serialPlatform;
    /// Names the device behind each of COM 1 to COM 4 (empty: none bound).
    ComPortDeviceResolver comPortDevice;
    /// Whether the operating system is a 64-bit one (the caption's "(x64)" or "(x86)").
    std::function<bool()> is64BitOs;
    /// Ends the event loop after the current event (Quit answered Yes).
    std::function<void()> quitApplication = [] { QCoreApplication::quit(); };
    /// The HID devices of `HidCtl` and the watch on their coming and going; the window takes
    /// both over. Without a platform the window lists no HID device.
    std::unique_ptr<HidPlatform> hidPlatform = nullptr;
    std::unique_ptr<HidDeviceMonitor> hidMonitor = nullptr;
    /// The folder of the recovery journals (this run's, and those left by runs that did not end
    /// cleanly); std::nullopt: the log is not journaled.
    std::optional<std::string> journalFolder = std::nullopt;
    /// Local date-times (the journal's question, the CSV export); nullptr: UTC.
    const TimeZone* timeZone = nullptr;
};

/// The parts of the window that its widgets refer to. TFCOMM derives from this before
/// QMainWindow, so the parts are made before the widgets and outlive them: the widgets die
/// with QMainWindow, the parts after it, the serial driver before the session it feeds.
struct TFCOMMParts {
    explicit TFCOMMParts(WindowEnvironment environment);
    ~TFCOMMParts();
    WindowEnvironment m_env;
    /// The zone when the environment names none.
    FixedOffsetTimeZone m_utc;
    const TimeZone& zone() const { return m_env.timeZone ? *m_env.timeZone : m_utc; }
    std::unique_ptr<MeterSession> m_session;
    /// Follows the session's log; goes before it.
    std::unique_ptr<RecoveryJournal> m_recoveryJournal;
    std::unique_ptr<TSerialPortDriver> m_COMM2;
    std::unique_ptr<FileCommands> m_fileCommands;
    std::unique_ptr<Timer> m_ConTimer;
    std::unique_ptr<Timer> m_Timer3;
    /// The report's printer and print-dialog choices, kept for the run once made.
    std::unique_ptr<ReportPrinter> m_reportPrinter;
};

/// The main window `FCOMM`: owns the meter session (model profile, decoder, log, pager), the
/// serial link, the USB cable's connection and the timers for the whole run, lays out every
/// region at its fixed place in a 663 x 509 client area, and wires each command to its
/// handler. GUI thread only.
class TFCOMM : private TFCOMMParts,
               public QMainWindow,
               private DecoderSink,
               private UsbConnectionHost {
public:
    static constexpr QSize kClientSize{663, 509};

    explicit TFCOMM(WindowEnvironment environment, QWidget* parent = nullptr);
    ~TFCOMM() override;

    /// Bytes received from the meter over the serial link: handed to the profile's handler.
    void receiveSerialData(const std::uint8_t* bytes, std::int32_t size);

    /// Moves the window to the centre of its screen.
    void centreOnScreen();

    // Commands and events.
    void BitBtn1Click();
    void RecordNewClick();
    void saveasClick();
    void SpeedButton2Click();
    /// Print: opens the report's preview of the records logged so far, unless one is open.
    void BtPrintClick();
    void ConTimerTimer();
    void Timer3Timer();
    /// Once the window shows: offers back the readings of runs that did not end cleanly.
    void offerLeftoverJournals();
    /// The program ends cleanly: this run's recovery journal goes.
    void finishJournal();
    /// The general error report: an error no step handles, shown captioned "VXM-90".
    void reportError(const QString& message);

    // The parts, for tests and benchmarks.
    QWidget* clientArea() const { return m_client; }
    MeterSession& session() { return *m_session; }
    const TModelProfile& profile() const { return m_session->profile(); }
    FrameAssembler& frames() { return m_session->frames(); }
    MeterDecoder& decoder() { return m_session->decoder(); }
    LimitComparator& limits() { return m_session->limits(); }
    LogTable& cds1() { return m_session->cds1(); }
    ReadingLog& readingLog() { return m_session->log(); }
    TChartControl& Pager() { return m_session->Pager(); }
    TSerialPortDriver& COMM2() { return *m_COMM2; }
    RecoveryJournal& recoveryJournal() { return *m_recoveryJournal; }
    ComConnection& comConnection() { return *m_comConnection; }
    /// The USB cable's side: `HidCtl`, `DevListBox`, `HistoryListBox` and their handlers.
    UsbConnection& usbConnection() { return *m_usbConnection; }

    QFrame* Panel5() const { return m_Panel5; }
    QPushButton* USBCon() const { return m_USBCon; }
    QPushButton* BitBtn1() const { return m_BitBtn1; }
    LcdPanelWidget* Panel1() const { return m_Panel1; }
    QProgressBar* PBar2() const { return m_PBar2; }
    LogPanel* Panel2() const { return m_Panel2; }
    LogGridView* DBGrid1() const { return m_DBGrid1; }
    LogGridModel* gridModel() const { return m_gridModel; }
    LimitsPanel* Panel4() const { return m_Panel4; }
    LinkLampWidget* linkLamp() const { return m_linkLamp; }
    QMenu* recordMenu() const { return m_recordMenu; }
    QAction* recordLimitAction(RecordLimitChoice choice) const;
    QAction* New1() const { return m_New1; }
    QAction* Save1() const { return m_Save1; }
    Timer& ConTimer() const { return *m_ConTimer; }
    Timer& Timer3() const { return *m_Timer3; }
    ChartView* Chtshow() const { return m_Chtshow; }
    ChartToolBar* ChartToolPanel1() const { return m_ChartToolPanel1; }
    ChartCommands& chartCommands() { return *m_chartCommands; }
    /// The open print preview; nullptr when none is open.
    ReportPreview* reportPreview() const;

private:
    // DecoderSink: what a decoded packet does outside the decoder.
    void restartSeries() override;
    void setLeftAxisRange(double minimum, double maximum) override;
    void ReadingDecoded(const TMeterReading& reading, double leftAxisMaximum) override;

    // UsbConnectionHost: the profile's report handler, the empty-report count, USBCon and the
    // COM controls it hides.
    void receiveUsbReport(std::uint8_t ReportID, const std::uint8_t* Data,
                          std::uint16_t Size) override;
    std::int32_t EmptyReportCount() const override;
    void resetEmptyReportCount() override;
    bool USBConDown() const override;
    void setUSBConDown(bool down) override;
    void setUSBConCaption(const QString& caption) override;
    void hideComControls() override;
    void showComControls() override;

    void FormCreate();
    void buildTopBar();
    void buildLogRegion();
    void buildLimitsPanel();
    void buildChartRegion();
    void buildMenus();
    void wireCommands();

    void selectRecordLimit(RecordLimitChoice choice);
    void RecordSITimeChange();
    void showLogState();
    void syncTimer3();
    void reportPreviewClosed();

    // Widgets and commands, all owned by the window as Qt children.
    QWidget* m_client = nullptr;
    QFrame* m_Panel5 = nullptr;
    QPushButton* m_USBCon = nullptr;
    QPushButton* m_BitBtn1 = nullptr;
    ComConnection* m_comConnection = nullptr;
    LcdPanelWidget* m_Panel1 = nullptr;
    QProgressBar* m_PBar2 = nullptr;
    LogPanel* m_Panel2 = nullptr;
    LogGridView* m_DBGrid1 = nullptr;
    LogGridModel* m_gridModel = nullptr;
    LimitsPanel* m_Panel4 = nullptr;
    LinkLampWidget* m_linkLamp = nullptr;
    ChartToolBar* m_ChartToolPanel1 = nullptr;
    ChartView* m_Chtshow = nullptr;

    QMenu* m_recordMenu = nullptr;
    QAction* m_New1 = nullptr;
    QAction* m_Save1 = nullptr;
    QActionGroup* m_recordLimits = nullptr;
    ChartCommands* m_chartCommands = nullptr;
    QPointer<ReportPreview> m_reportPreview;
    // Last, so it goes first: the cable's reader stops while the widgets it feeds still exist.
    std::unique_ptr<UsbConnection> m_usbConnection;
};
