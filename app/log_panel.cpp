#include "app/log_panel.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QStyle>
#include <QToolButton>

#include "app/window_icons.h"

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
    m_RepeatSet->move(4, 12);
    m_RepeatSet->resize(m_RepeatSet->sizeHint());

    // The interval edit sits over the eleven blanks of the caption, between "Interval" and "'S".
    const QString lead = QStringLiteral("Sampling Interval");
    m_RecordSI = new QCheckBox(lead + QString(11, u' ') + QStringLiteral("'S"), this);
    m_RecordSI->setObjectName(QStringLiteral("RecordSI"));
    m_RecordSI->move(m_RepeatSet->geometry().right() + 3, 12);
    m_RecordSI->resize(m_RecordSI->sizeHint());

    const QFontMetrics metrics(m_RecordSI->font());
    const int textLeft = m_RecordSI->x() + style()->pixelMetric(QStyle::PM_IndicatorWidth) +
                         style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing);
    const int blanks = metrics.horizontalAdvance(QString(11, u' '));
    m_RecordSITime = new QLineEdit(QStringLiteral("1"), this);
    m_RecordSITime->setObjectName(QStringLiteral("RecordSITime"));
    m_RecordSITime->setGeometry(textLeft + metrics.horizontalAdvance(lead) + 2, 10, blanks - 4, 21);

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
