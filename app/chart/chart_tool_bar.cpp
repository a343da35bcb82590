#include "app/chart/chart_tool_bar.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QToolButton>

#include "log/reading_log.h"
#include "ui/key_filter.h"

namespace {

enum class Icon { Save, First, Previous, Next, Last, Enlarge, Restore };

const QColor kIconInk(0, 0, 128);

void drawTriangle(QPainter& p, double tipX, double baseX) {
    QPainterPath path;
    path.moveTo(tipX, 8);
    path.lineTo(baseX, 3);
    path.lineTo(baseX, 13);
    path.closeSubpath();
    p.fillPath(path, kIconInk);
}

// Four arrows along the diagonals, pointing out (enlarge) or in (restore).
void drawCornerArrows(QPainter& p, bool outward) {
    p.setPen(QPen(kIconInk, 1.6, Qt::SolidLine, Qt::RoundCap));
    const QPointF c(8, 8);
    for (const QPointF dir : {QPointF(-1, -1), QPointF(1, -1), QPointF(1, 1), QPointF(-1, 1)}) {
        const QPointF inner = c + dir * 2.0, outer = c + dir * 6.5;
        const QPointF tip = outward ? outer : inner;
        const QPointF back = outward ? -dir : dir;  // from the tip back along the shaft
        p.drawLine(inner, outer);
        p.drawLine(tip, tip + QPointF(back.x() * 3, 0));
        p.drawLine(tip, tip + QPointF(0, back.y() * 3));
    }
}

QIcon makeIcon(Icon icon) {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    switch (icon) {
        case Icon::Save:  // a floppy disk
            p.fillRect(QRectF(1, 1, 14, 14), kIconInk);
            p.fillRect(QRectF(4, 1, 8, 5), Qt::white);
            p.fillRect(QRectF(9, 2, 2, 3), kIconInk);
            p.fillRect(QRectF(3, 9, 10, 6), QColor(220, 220, 220));
            break;
        case Icon::First:
            p.fillRect(QRectF(3, 3, 2, 10), kIconInk);
            drawTriangle(p, 5, 12);
            break;
        case Icon::Previous:
            drawTriangle(p, 4, 11);
            break;
        case Icon::Next:
            drawTriangle(p, 12, 5);
            break;
        case Icon::Last:
            drawTriangle(p, 11, 4);
            p.fillRect(QRectF(11, 3, 2, 10), kIconInk);
            break;
        case Icon::Enlarge:
            drawCornerArrows(p, true);
            break;
        case Icon::Restore:
            drawCornerArrows(p, false);
            break;
    }
    p.end();
    return QIcon(pixmap);
}

QToolButton* makeButton(QWidget* parent, const char* name, const QString& hint, int left, int width,
                        Icon icon) {
    auto* button = new QToolButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setStatusTip(hint);
    button->setGeometry(left, 12, width, 22);
    button->setIcon(makeIcon(icon));
    button->setAutoRaise(true);
    return button;
}

}  // namespace

ChartToolBar::ChartToolBar(QWidget* parent) : QFrame(parent) {
    setObjectName(QStringLiteral("ChartToolPanel1"));
    setGeometry(kStartGeometry);
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    setAutoFillBackground(true);

    m_Bevel1 = new QFrame(this);
    m_Bevel1->setObjectName(QStringLiteral("Bevel1"));
    m_Bevel1->setFrameStyle(QFrame::Box | QFrame::Sunken);
    m_Bevel1->setGeometry(10, 12, 40, 20);

    m_BtFill = new QCheckBox(QStringLiteral("Fill"), this);
    m_BtFill->setObjectName(QStringLiteral("BtFill"));
    m_BtFill->setStatusTip(QStringLiteral("Graphic Fill"));
    m_BtFill->setGeometry(13, 13, 35, 18);
    m_BtFill->setChecked(true);

    m_Maxrecord = new QLineEdit(QStringLiteral("100"), this);
    m_Maxrecord->setObjectName(QStringLiteral("Maxrecord"));
    m_Maxrecord->setGeometry(64, 12, 65, 21);
    filterEditKeys(m_Maxrecord, &ReadingLog::RecordSITimeKeyPress);

    m_BtSave = makeButton(this, "BtSave", QStringLiteral("Save"), 133, 23, Icon::Save);
    m_BtFirst = makeButton(this, "BtFirst", QStringLiteral("First"), 168, 23, Icon::First);
    m_BTPrevious =
        makeButton(this, "BTPrevious", QStringLiteral("Previous"), 195, 23, Icon::Previous);

    m_Bt10 = new QToolButton(this);
    m_Bt10->setObjectName(QStringLiteral("Bt10"));
    m_Bt10->setStatusTip(QStringLiteral("Page No."));
    m_Bt10->setGeometry(219, 12, 46, 22);
    m_Bt10->setText(QStringLiteral("1"));
    m_Bt10->setAutoRaise(true);
    QPalette blue = m_Bt10->palette();
    blue.setColor(QPalette::ButtonText, Qt::blue);
    m_Bt10->setPalette(blue);

    m_BtNext = makeButton(this, "BtNext", QStringLiteral("Next"), 267, 23, Icon::Next);
    m_BTlast = makeButton(this, "BTlast", QStringLiteral("last"), 291, 23, Icon::Last);

    m_TbFd = makeButton(this, "TbFd", QStringLiteral("Graphic Enlarge"), 320, 25, Icon::Enlarge);
    m_TbSx = makeButton(this, "TbSx", QStringLiteral("Graphic Restore"), 320, 25, Icon::Restore);
    for (QToolButton* image : {m_TbFd, m_TbSx}) {
        image->resize(25, 25);
        image->setIconSize(QSize(21, 21));
    }
    m_TbSx->hide();
}
