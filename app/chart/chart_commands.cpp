#include "app/chart/chart_commands.h"

#include <QCheckBox>
#include <QImageWriter>
#include <QLineEdit>
#include <QSaveFile>
#include <QToolButton>
#include <QWidget>

#include <utility>

#include "app/chart/chart_tool_bar.h"
#include "app/chart/chart_view.h"
#include "decode/integer_text.h"
#include "log/chart_pager.h"
#include "ui/dialogs.h"
#include "ui/timers.h"

namespace {

constexpr int kPageSizeDelayMs = 1000;
constexpr QPoint kRestoredToolBarPlace{312, 141};

}  // namespace

ChartCommands::ChartCommands(ChartView& chart, TChartControl& pager, ChartToolBar& toolBar,
                             Dialogs& dialogs, Timers& timers,
                             std::function<void(const QString&)> reportError, QWidget& mainWindow,
                             QList<QWidget*> panelsToHide, QObject* parent)
    : QObject(parent),
      m_chart(chart),
      m_pager(pager),
      m_toolBar(toolBar),
      m_dialogs(dialogs),
      m_reportError(std::move(reportError)),
      m_mainWindow(mainWindow),
      m_panels(std::move(panelsToHide)),
      m_Timer2(timers.create([this] { Timer2Timer(); })) {
    m_Timer2->setInterval(kPageSizeDelayMs);
    connect(toolBar.BtFill(), &QCheckBox::clicked, this, &ChartCommands::btFillClick);
    connect(toolBar.Maxrecord(), &QLineEdit::textChanged, this, &ChartCommands::MaxrecordChange);
    connect(toolBar.BtSave(), &QToolButton::clicked, this, &ChartCommands::BtSaveClick);
    connect(toolBar.BtFirst(), &QToolButton::clicked, this, &ChartCommands::BtFirstClick);
    connect(toolBar.BTPrevious(), &QToolButton::clicked, this, &ChartCommands::BTPreviousClick);
    connect(toolBar.BtNext(), &QToolButton::clicked, this, &ChartCommands::BtNextClick);
    connect(toolBar.BTlast(), &QToolButton::clicked, this, &ChartCommands::BTlastClick);
    connect(toolBar.TbFd(), &QToolButton::clicked, this, &ChartCommands::TbFdClick);
    connect(toolBar.TbSx(), &QToolButton::clicked, this, &ChartCommands::TbSxClick);
    m_Timer2->start();
}

ChartCommands::~ChartCommands() = default;

void ChartCommands::ShowSeries(int index) {
    m_chart.ShowSeries(index);
}

void ChartCommands::applyFillChoice() {
    ShowSeries(m_toolBar.BtFill()->isChecked() ? 0 : 1);
}

void ChartCommands::SeedChart() {
    for (int series = 0; series < m_chart.seriesCount(); ++series) {
        m_chart.clearSeries(series);
        m_chart.addPoint(series, 0.0);
    }
    ShowSeries(0);
    applyFillChoice();
}

void ChartCommands::btFillClick() {
    m_FillChecked = m_toolBar.BtFill()->isChecked();
    applyFillChoice();
}

void ChartCommands::FillClick() {
    const bool fill = !m_toolBar.BtFill()->isChecked();
    m_FillChecked = fill;
    m_toolBar.BtFill()->setChecked(fill);
    ShowSeries(fill ? 0 : 1);
}

void ChartCommands::showCurrentPage() {
    m_toolBar.Bt10()->setText(QString::number(m_pager.CurrentPage()));
}

void ChartCommands::BtFirstClick() {
    m_pager.FirstPage();
    showCurrentPage();
}

void ChartCommands::BTPreviousClick() {
    m_pager.PreviousPage();
    showCurrentPage();
}

void ChartCommands::BtNextClick() {
    m_pager.NextPage();
    showCurrentPage();
}

void ChartCommands::BTlastClick() {
    m_pager.LastPage();
    showCurrentPage();
}

void ChartCommands::MaxrecordChange() {
    m_Timer2->start();
}

std::optional<std::int32_t> ChartCommands::parseInteger(const QString& text) {
    // Only ASCII can be a digit or a sign; anything else fails the conversion anyway.
    for (const QChar c : text) {
        if (c.unicode() > 0x7F) return std::nullopt;
    }
    const QByteArray ascii = text.toLatin1();
    return parseInt32(std::string_view(ascii.constData(), static_cast<std::size_t>(ascii.size())),
                      IntegerSyntax{.plusSign = true, .minusSign = true});
}

void ChartCommands::Timer2Timer() {
    m_Timer2->stop();
    const QString text = m_toolBar.Maxrecord()->text();
    const std::optional<std::int32_t> size = parseInteger(text);
    if (!size) {
        m_reportError(QStringLiteral("'%1' is not a valid integer value").arg(text));
        return;
    }
    // A size below 1 is refused by the pager and the current size stays.
    m_pager.SetPageSize(*size);
    showCurrentPage();
}

void ChartCommands::TbFdClick() {
    // Only the visible one of the two images can be clicked; this keeps the saved bounds
    // those of the normal layout even when called directly.
    if (m_toolBar.TbFd()->isHidden()) return;
    m_toolBar.TbFd()->hide();
    m_toolBar.TbSx()->show();
    const QRect bounds = m_chart.geometry();
    m_SavedChartBounds = {bounds.left(), bounds.top(), bounds.width(), bounds.height()};
    const QRect outer = m_mainWindow.frameGeometry();
    m_chart.setGeometry(2, 28, outer.width() - 12, outer.height() - 55);
    m_toolBar.move(2, 0);
    for (QWidget* panel : std::as_const(m_panels))
        panel->hide();
    // The enlarged chart lies over the LCD panel and the grid, the tool bar over the chart.
    m_chart.raise();
    m_toolBar.raise();
}

void ChartCommands::TbSxClick() {
    if (m_toolBar.TbSx()->isHidden()) return;
    m_toolBar.TbSx()->hide();
    m_toolBar.TbFd()->show();
    const Bounds& b = m_SavedChartBounds;
    m_chart.setGeometry(b.left, b.top, b.width, b.height);
    m_toolBar.move(kRestoredToolBarPlace);
    for (QWidget* panel : std::as_const(m_panels))
        panel->show();
}

void ChartCommands::BtSaveClick() {
    FileDialogRequest request;
    request.filters = {QStringLiteral("Bitmaps (*.bmp)")};
    request.defaultSuffix = QStringLiteral("bmp");
    request.confirmOverwrite = true;
    const std::optional<FileDialogResult> chosen = m_dialogs.saveFile(&m_mainWindow, request);
    if (!chosen) return;

    const QImage picture = m_chart.renderImage();
    // Written through a temporary file, so a failed write leaves an existing picture intact.
    QSaveFile file(chosen->fileName);
    if (!file.open(QIODevice::WriteOnly)) {
        m_reportError(QStringLiteral("Cannot create file \"%1\". %2")
                          .arg(chosen->fileName, file.errorString()));
        return;
    }
    QImageWriter writer(&file, "bmp");
    if (!writer.write(picture)) {
        m_reportError(writer.errorString());
        return;  // the temporary file is discarded
    }
    if (!file.commit()) {
        m_reportError(QStringLiteral("Cannot create file \"%1\". %2")
                          .arg(chosen->fileName, file.errorString()));
        return;
    }
    m_dialogs.information(&m_mainWindow,
                          QStringLiteral("Graphic has saved on %1").arg(chosen->fileName));
}
