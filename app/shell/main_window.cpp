#include "app/shell/main_window.h"

#include <QActionGroup>
#include <QCheckBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QToolButton>

#include <cerrno>
#include <cstring>

#include "app/chart/chart_commands.h"
#include "app/chart/chart_tool_bar.h"
#include "app/chart/chart_view.h"
#include "app/grid/file_commands.h"
#include "app/grid/log_grid_columns.h"
#include "app/grid/log_grid_model.h"
#include "app/grid/log_grid_view.h"
#include "app/grid/log_panel.h"
#include "app/lcd/lcd_panel_widget.h"
#include "app/lcd/link_lamp_widget.h"
#include "app/limits/limits_panel.h"
#include "app/shell/platform_info.h"
#include "app/shell/recovery_journal.h"
#include "decode/frame_assembler.h"
#include "decode/lcd_panel.h"
#include "decode/limit_comparator.h"
#include "decode/meter_decoder.h"
#include "link/hid/simulated_cable.h"
#include "link/serial/com_connection.h"
#include "link/serial/serial_port_driver.h"
#include "log/chart_pager.h"
#include "log/log_table.h"
#include "report/report_preview.h"
#include "report/report_printer.h"
#include "ui/ansi_text.h"
#include "ui/dialogs.h"
#include "ui/fonts.h"
#include "ui/key_filter.h"
#include "ui/window_icons.h"

namespace {

constexpr int kPointsPerPage = 100;
constexpr int kConTimerIntervalMs = 100;
constexpr std::uint16_t kSerialPollDelayMs = 100;
constexpr int kTimer3IntervalMs = 1000;
constexpr int kGridRowHeight = 18;

/// What a window given no HID platform sees: no HID services, hence no devices.
class NoHidDevices final : public HidPlatform {
public:
    bool available() const override { return false; }
    std::vector<HidInterface> enumerate() override { return {}; }
    HidOpenResult<std::unique_ptr<HidHandle>> open(const std::string&, HidAccess) override {
        return {nullptr, {ENODEV, errorText(ENODEV)}};
    }
    HidOpenResult<std::shared_ptr<HidReadHandle>> openForReading(const std::string&) override {
        return {nullptr, {ENODEV, errorText(ENODEV)}};
    }
    QString errorText(std::uint32_t code) const override {
        return QString::fromLocal8Bit(std::strerror(static_cast<int>(code)));
    }
};

}  // namespace

TFCOMMParts::TFCOMMParts(WindowEnvironment environment) : m_env(std::move(environment)) {
    if (!m_env.hidPlatform) m_env.hidPlatform = std::make_unique<NoHidDevices>();
    if (!m_env.hidMonitor) m_env.hidMonitor = std::make_unique<FixedDeviceSetMonitor>();
}

TFCOMMParts::~TFCOMMParts() = default;

TFCOMM::TFCOMM(WindowEnvironment environment, QWidget* parent)
    : TFCOMMParts(std::move(environment)), QMainWindow(parent) {
    setObjectName(QStringLiteral("FCOMM"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setWindowIcon(window_icons::application());
    setFont(designFont("MS Sans Serif", 11, true));

    m_client = new QWidget(this);
    m_client->setObjectName(QStringLiteral("clientArea"));
    m_client->setFixedSize(kClientSize);
    setCentralWidget(m_client);

    FormCreate();

    menuBar()->setFont(QGuiApplication::font());
    layout()->setSizeConstraint(QLayout::SetFixedSize);  // not resizable, no maximize
}

TFCOMM::~TFCOMM() = default;

void TFCOMM::FormCreate() {
    buildTopBar();
    buildChartRegion();
    // 1 to 8: the chart pager on Chtshow with 100 points per page, the decimal separators and
    // number format, the empty log table (RecordNo 1, RecordLimit 10000), the last accepted
    // limit texts and the model profile with its handlers and scale.
    SessionSettings settings;
    settings.pointsPerPage = kPointsPerPage;
    m_session = std::make_unique<MeterSession>(*m_Chtshow, m_env.clock, m_env.locale,
                                               static_cast<DecoderSink*>(this), settings);
    m_recoveryJournal =
        std::make_unique<RecoveryJournal>(m_session->cds1(), m_env.clock, zone(), m_env.timers,
                                          m_env.dialogs, this, m_env.journalFolder);
    // HidCtl lists and checks out the HID devices present; the cable's choices of the model
    // are read at every connect, and the profile is fixed by now.
    const TModelProfile& model = m_session->profile();
    m_usbConnection = std::make_unique<UsbConnection>(
        *m_env.hidPlatform, *m_env.hidMonitor,
        UsbCableModel{model.UsbHandler != UsbHandlerKind::None,
                      static_cast<std::uint32_t>(model.UsbCableSpeed)},
        static_cast<UsbConnectionHost&>(*this), m_env.dialogs);
    m_session->frames().setHistorySink([this](std::string_view reportText) {
        m_usbConnection->addHistoryLine(QString::fromLatin1(reportText));
    });
    buildLogRegion();
    buildLimitsPanel();
    m_chartCommands = new ChartCommands(
        *m_Chtshow, m_session->Pager(), *m_ChartToolPanel1, m_env.dialogs, m_env.timers,
        [this](const QString& message) { reportError(message); }, *this,
        QList<QWidget*>{m_Panel2, m_Panel4, m_Panel5}, this);
    // 6. Seed the chart's series.
    m_chartCommands->SeedChart();
    // 8. The model's serial speed and handler, the chart's left axis, the start-up panel.
    const TModelProfile& profile = m_session->profile();
    m_COMM2->setComPortSpeed(profile.ComPortSpeed.value_or(TComPortBaudRate::br2400));
    m_COMM2->setOnReceiveData([this](TSerialPortDriver&, const std::uint8_t* bytes,
                                     std::int32_t size) { receiveSerialData(bytes, size); });
    setLeftAxisRange(profile.LeftAxisMinimum, profile.LeftAxisMaximum);
    const LcdPanelState startup = startupPanel(profile);
    m_Panel1->setPanelState(startup);
    m_linkLamp->setPanelState(startup);
    // 9. The platform suffix of the caption.
    const bool is64Bit = m_env.is64BitOs && m_env.is64BitOs();
    setWindowTitle(QString::fromLatin1(profile.Title.c_str()) +
                   QString::fromLatin1(platformCaptionSuffix(is64Bit)));

    buildMenus();
    wireCommands();
    m_fileCommands =
        std::make_unique<FileCommands>(m_session->cds1(), m_env.locale, zone(), m_env.dialogs, this,
                                       [this](const QString& message) { reportError(message); });

    m_Timer3->setInterval(kTimer3IntervalMs);
    m_ConTimer->setInterval(kConTimerIntervalMs);
    m_ConTimer->start();
}

void TFCOMM::buildTopBar() {
    m_Panel5 = new QFrame(m_client);
    m_Panel5->setObjectName(QStringLiteral("Panel5"));
    m_Panel5->setGeometry(0, 0, kClientSize.width(), 32);
    m_Panel5->setFrameStyle(QFrame::Panel | QFrame::Raised);

    m_USBCon = new QPushButton(QStringLiteral("USB Connection"), m_Panel5);
    m_USBCon->setObjectName(QStringLiteral("USBCon"));
    m_USBCon->setCheckable(true);
    m_USBCon->setGeometry(203, 3, 158, 25);

    m_BitBtn1 = new QPushButton(QStringLiteral("Quit"), m_Panel5);
    m_BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    m_BitBtn1->setFont(designFont("Arial", 13));
    m_BitBtn1->setGeometry(563, 3, 86, 25);

    // The serial link: the port panels BtCOM1..4 and COMCon go into this bar.
    m_COMM2 = std::make_unique<TSerialPortDriver>(std::move(m_env.serialPlatform),
                                                  m_env.comPortDevice, m_env.timers);
    // The window's settings of the driver: COM 1, polled every 100 ms (the model sets the speed).
    m_COMM2->setComPort(TComPortNumber::pnCOM1);
    m_COMM2->setComPortPollingDelay(kSerialPollDelayMs);
    m_comConnection = new ComConnection(m_Panel5, m_USBCon, *m_COMM2, m_env.dialogs, this);
}

void TFCOMM::buildLogRegion() {
    m_Panel1 = new LcdPanelWidget(m_client);
    m_Panel1->setObjectName(QStringLiteral("Panel1"));
    m_Panel1->setGeometry(LcdPanelWidget::kStartGeometry);

    m_PBar2 = new QProgressBar(m_client);
    m_PBar2->setObjectName(QStringLiteral("PBar2"));
    m_PBar2->setGeometry(5, 197, 302, 17);
    m_PBar2->setTextVisible(false);
    m_PBar2->setRange(0, m_session->log().PBar2Max());
    m_PBar2->setValue(m_session->log().PBar2Position());

    m_Panel2 = new LogPanel(m_client);

    m_DBGrid1 = new LogGridView(m_client);
    m_DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    m_DBGrid1->setGeometry(4, 264, 303, 241);
    m_DBGrid1->setFont(designFont("Arial", 12));
    m_DBGrid1->setRowHeight(kGridRowHeight);
    m_DBGrid1->header()->setFont(designFont("MS Sans Serif", 11, true));
    m_gridModel = new LogGridModel(m_session->cds1(), m_DBGrid1);
    m_DBGrid1->setModel(m_gridModel);
    fitLogGridColumns(*m_DBGrid1, m_env.locale.timeSeparator());
    // The newest row becomes the current one and comes into view, as in a data grid on a
    // table whose cursor moves to each appended record.
    connect(m_gridModel, &QAbstractItemModel::rowsInserted, this,
            [this] { m_DBGrid1->setCurrentRow(m_gridModel->rowCount() - 1); });
}

void TFCOMM::buildLimitsPanel() {
    m_Panel4 = new LimitsPanel(m_session->limits(), m_env.timers, m_client);
    m_linkLamp = new LinkLampWidget(m_Panel4);
    m_linkLamp->setObjectName(QStringLiteral("CONok"));
    m_linkLamp->setGeometry(LinkLampWidget::kStartGeometry);
}

void TFCOMM::buildChartRegion() {
    m_Chtshow = new ChartView(m_client);
    m_Chtshow->setObjectName(QStringLiteral("Chtshow"));
    m_Chtshow->setGeometry(ChartView::kStartGeometry);
    // Created after the chart so that it lies over the enlarged chart.
    m_ChartToolPanel1 = new ChartToolBar(m_client);
    m_ChartToolPanel1->setObjectName(QStringLiteral("ChartToolPanel1"));
    m_ChartToolPanel1->setGeometry(ChartToolBar::kStartGeometry);
}

void TFCOMM::buildMenus() {
    m_recordMenu = menuBar()->addMenu(QStringLiteral("Record"));
    m_recordMenu->setObjectName(QStringLiteral("Record"));
    m_New1 = m_recordMenu->addAction(QStringLiteral("New"));
    m_New1->setObjectName(QStringLiteral("New1"));
    m_Save1 = m_recordMenu->addAction(QStringLiteral("Save"));
    m_Save1->setObjectName(QStringLiteral("Save1"));
    QAction* separator = m_recordMenu->addSeparator();
    for (QAction* hidden : {m_New1, m_Save1, separator})
        hidden->setVisible(false);
    connect(m_New1, &QAction::triggered, this, &TFCOMM::RecordNewClick);
    connect(m_Save1, &QAction::triggered, this, &TFCOMM::saveasClick);

    m_recordLimits = new QActionGroup(this);
    m_recordLimits->setExclusionPolicy(QActionGroup::ExclusionPolicy::Exclusive);
    for (const RecordLimitItem& item : kRecordLimitItems) {
        QAction* action = m_recordMenu->addAction(QString::fromLatin1(item.caption));
        action->setObjectName(QString::fromLatin1(item.name));
        action->setCheckable(true);
        action->setChecked(item.choice == m_session->log().checkedLimit());
        m_recordLimits->addAction(action);
        const RecordLimitChoice choice = item.choice;
        connect(action, &QAction::triggered, this, [this, choice] { selectRecordLimit(choice); });
    }
}

void TFCOMM::wireCommands() {
    connect(m_BitBtn1, &QPushButton::clicked, this, &TFCOMM::BitBtn1Click);
    connect(m_USBCon, &QPushButton::clicked, this, [this] { m_usbConnection->USBConClick(); });

    connect(m_Panel2->RepeatSet(), &QCheckBox::toggled, this,
            [this](bool checked) { m_session->log().setRepeatSet(checked); });
    connect(m_Panel2->RepeatSet(), &QCheckBox::clicked, m_chartCommands,
            &ChartCommands::btFillClick);
    connect(m_Panel2->RecordSI(), &QCheckBox::toggled, this,
            [this](bool checked) { m_session->log().setRecordSI(checked); });
    QLineEdit* interval = m_Panel2->RecordSITime();
    filterEditKeys(interval, &ReadingLog::RecordSITimeKeyPress);
    connect(interval, &QLineEdit::textChanged, this, &TFCOMM::RecordSITimeChange);
    connect(m_Panel2->RecordNew(), &QToolButton::clicked, this, &TFCOMM::RecordNewClick);
    connect(m_Panel2->OpenDataFiles(), &QToolButton::clicked, this, &TFCOMM::SpeedButton2Click);
    connect(m_Panel2->saveas(), &QToolButton::clicked, this, &TFCOMM::saveasClick);
    connect(m_Panel2->BtPrint(), &QToolButton::clicked, this, &TFCOMM::BtPrintClick);

    m_ConTimer = m_env.timers.create([this] { ConTimerTimer(); });
    m_Timer3 = m_env.timers.create([this] { Timer3Timer(); });
}

QAction* TFCOMM::recordLimitAction(RecordLimitChoice choice) const {
    for (QAction* action : m_recordLimits->actions()) {
        if (action->objectName() ==
            QLatin1String(kRecordLimitItems[static_cast<std::size_t>(choice)].name)) {
            return action;
        }
    }
    return nullptr;
}

void TFCOMM::centreOnScreen() {
    const QScreen* shownOn = screen() != nullptr ? screen() : QGuiApplication::primaryScreen();
    if (shownOn == nullptr) return;
    QRect frame = frameGeometry();
    frame.moveCenter(shownOn->availableGeometry().center());
    move(frame.topLeft());
}
