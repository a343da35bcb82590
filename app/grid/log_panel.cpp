#include "app/grid/log_panel.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QStyle>
#include <QToolButton>

#include "ui/window_icons.h"

namespace {

QToolButton* addPictureButton(QWidget* parent, const char* name, const QIcon& icon, QRect at,
                              const char* toolTip) {
    auto* button = new QToolButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setIcon(icon);
    button->setIconSize({16, 16});
    button->setAutoRaise(true);
    button->setGeometry(at);
    if (toolTip != nullptr) button->setToolTip(QString::fromLatin1(toolTip));
    return button;
}

}  // namespace

LogPanel::LogPanel(QWidget* parent) : QFrame(parent) {
    setObjectName(QStringLiteral("Panel2"));
    setGeometry(4, 216, 305, 41);
    setFrameStyle(QFrame::Panel | QFrame::Raised);

    m_RepeatSet = new QCheckBox(QStringLiteral("Repeat"), this);
    m_RepeatSet->setObjectName(QStringLiteral("RepeatSet"));
    m_RepeatSet->setChecked(true);
    m_RepeatSet->setStatusTip(QStringLiteral("Repeage Record"));  // a hint, never shown
    // Two rows: the sampling caption with its edit is too wide to share a row with "Repeat"
    // and leave room for the picture buttons.
    m_RepeatSet->setGeometry(6, 2, m_RepeatSet->sizeHint().width(), 18);

    // The interval edit sits over the eleven blanks of the caption, between "Interval" and "'S".
    const QString lead = QStringLiteral("Sampling Interval");
    m_RecordSI = new QCheckBox(lead + QString(11, u' ') + QStringLiteral("'S"), this);
    m_RecordSI->setObjectName(QStringLiteral("RecordSI"));
    m_RecordSI->setGeometry(6, 20, m_RecordSI->sizeHint().width(), 18);

    const QFontMetrics metrics(m_RecordSI->font());
    const int textLeft = m_RecordSI->x() + style()->pixelMetric(QStyle::PM_IndicatorWidth) +
                         style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing);
    const int blanks = metrics.horizontalAdvance(QString(11, u' '));
    m_RecordSITime = new QLineEdit(QStringLiteral("1"), this);
    m_RecordSITime->setObjectName(QStringLiteral("RecordSITime"));
    m_RecordSITime->setGeometry(textLeft + metrics.horizontalAdvance(lead) + 2, m_RecordSI->y(),
                                blanks - 4, m_RecordSI->height());

    m_RecordNew = addPictureButton(this, "RecordNew", window_icons::clearLog(), {209, 12, 23, 21},
                                   "Close Data");
    m_OpenDataFiles = addPictureButton(this, "OpenDataFiles", window_icons::openFile(),
                                       {231, 12, 23, 21}, "Open old data files");
    m_saveas = addPictureButton(this, "saveas", window_icons::saveFile(), {253, 12, 23, 21},
                                "Save data files");
    m_BtPrint =
        addPictureButton(this, "BtPrint", window_icons::print(), {275, 12, 22, 21}, nullptr);
    m_BtPrint->setCursor(Qt::ArrowCursor);
}
