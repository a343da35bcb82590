#include "app/limits/limits_panel.h"

#include <QLabel>
#include <QLineEdit>
#include <QPainter>

#include "decode/limit_comparator.h"
#include "ui/ansi_text.h"
#include "ui/fonts.h"
#include "ui/key_filter.h"
#include "ui/timers.h"

namespace {

constexpr int kValidationDelayMs = 500;

QLabel* addLabel(QWidget* parent, const char* text, QPoint at) {
    auto* label = new QLabel(QString::fromLatin1(text), parent);
    label->setFont(designFont("Arial", 11, true));
    label->move(at);
    label->adjustSize();
    return label;
}

QLineEdit* addEdit(QWidget* parent, const char* name, const char* text, QRect at) {
    auto* edit = new QLineEdit(QString::fromLatin1(text), parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setGeometry(at);
    return edit;
}

void setBackground(QWidget* widget, QPalette::ColorRole role, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(role, colour);
    widget->setPalette(palette);
}

}  // namespace

VerdictLamp::VerdictLamp(QWidget* parent)
    : QWidget(parent), m_fill(palette().color(QPalette::ToolTipBase)) {}

void VerdictLamp::setFill(const QColor& fill) {
    if (fill == m_fill) return;
    m_fill = fill;
    update();
}

void VerdictLamp::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(m_fill);
    painter.drawEllipse(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));
}

LimitsPanel::LimitsPanel(LimitComparator& limits, Timers& timers, QWidget* parent)
    : QFrame(parent),
      m_limits(limits),
      m_Timer1(timers.create([this] { Timer1Timer(); })),
      m_Timer4(timers.create([this] { Timer4Timer(); })) {
    setObjectName(QStringLiteral("Panel4"));
    setGeometry(308, 34, 351, 116);
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(3);
    setAutoFillBackground(true);
    setBackground(this, QPalette::Window, Qt::white);

    const QString hint = QStringLiteral("Please enter a number here.");
    addLabel(this, "Set High Limit:", {16, 16})->setObjectName(QStringLiteral("T1_HI"));
    m_T1HI = addEdit(this, "T1HI", "6000", {113, 12, 57, 22});
    m_T1HI->setToolTip(hint);
    addLabel(this, "Measure Value:", {16, 52})->setObjectName(QStringLiteral("T1_Value"));
    m_T1VALUE = addEdit(this, "T1VALUE", "0", {112, 43, 81, 32});
    m_T1VALUE->setFont(designFont("Arial", 21, true));
    m_T1VALUE->setReadOnly(true);
    m_T1VALUE->setFocusPolicy(Qt::NoFocus);
    addLabel(this, "Set Low Limit:", {16, 84})->setObjectName(QStringLiteral("T1_LO"));
    m_T1LO = addEdit(this, "T1LO", "-6000", {112, 84, 57, 22});
    m_T1LO->setToolTip(hint);

    m_Shape1 = new VerdictLamp(this);
    m_Shape1->setObjectName(QStringLiteral("Shape1"));
    m_Shape1->setGeometry(192, 8, 113, 97);
    m_judge = new QLabel(this);
    m_judge->setObjectName(QStringLiteral("judge"));
    m_judge->setFont(designFont("MS Sans Serif", 24, true));
    m_judge->setAutoFillBackground(true);
    m_judge->move(216, 40);
    m_judge->resize(0, 0);
    applyVerdictColour(palette().color(QPalette::ToolTipBase));

    m_limits.highText = qStringToAnsi(m_T1HI->text());
    m_limits.lowText = qStringToAnsi(m_T1LO->text());
    for (QLineEdit* edit : {m_T1HI, m_T1LO}) {
        filterEditKeys(edit, [this](char key, std::string_view text) {
            return m_limits.acceptLimitKey(key, text);
        });
    }

    for (Timer* timer : {m_Timer1.get(), m_Timer4.get()})
        timer->setInterval(kValidationDelayMs);
    connect(m_T1HI, &QLineEdit::textChanged, this, &LimitsPanel::T1HIChange);
    connect(m_T1LO, &QLineEdit::textChanged, this, &LimitsPanel::T1LOChange);
}

LimitsPanel::~LimitsPanel() = default;

void LimitsPanel::T1HIChange() {
    m_limits.highText = qStringToAnsi(m_T1HI->text());
    m_Timer1->start();  // restarts: fires 500 ms after the last change
}

void LimitsPanel::T1LOChange() {
    m_limits.lowText = qStringToAnsi(m_T1LO->text());
    m_Timer4->start();
}

void LimitsPanel::Timer1Timer() {
    m_limits.Timer1Timer();
    const QString accepted = ansiToQString(m_limits.highText);
    if (m_T1HI->text() != accepted) m_T1HI->setText(accepted);
    m_Timer1->stop();
}

void LimitsPanel::Timer4Timer() {
    m_limits.Timer4Timer();
    const QString accepted = ansiToQString(m_limits.lowText);
    if (m_T1LO->text() != accepted) m_T1LO->setText(accepted);
    m_Timer4->stop();
}

void LimitsPanel::showReading(const std::string& valueText) {
    const QString high = ansiToQString(m_limits.highText);
    if (m_T1HI->text() != high) m_T1HI->setText(high);
    const QString low = ansiToQString(m_limits.lowText);
    if (m_T1LO->text() != low) m_T1LO->setText(low);
    m_T1VALUE->setText(ansiToQString(valueText));
    switch (m_limits.verdict()) {
        case Verdict::Pass:
            applyVerdictColour(kPassColour);
            m_judge->setText(QStringLiteral("Pass"));
            break;
        case Verdict::Fail:
            applyVerdictColour(kFailColour);
            m_judge->setText(QStringLiteral("Fail"));
            break;
        case Verdict::None:
            break;  // no verdict yet: the lamp keeps its colour
    }
    m_judge->adjustSize();
}

void LimitsPanel::applyVerdictColour(const QColor& colour) {
    if (colour == m_verdictColour) return;  // palettes are costly to set per packet
    m_verdictColour = colour;
    setBackground(m_T1VALUE, QPalette::Base, colour);
    setBackground(m_judge, QPalette::Window, colour);
    m_Shape1->setFill(colour);
}
