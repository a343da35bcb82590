#include "app/lcd/link_lamp_widget.h"

#include <QPainter>

#include "app/lcd/jpeg_image.h"

LinkLampWidget::LinkLampWidget(QWidget* parent)
    : QWidget(parent),
      m_okPicture(loadPicture(QStringLiteral("CONok"))),
      m_notOkPicture(loadPicture(QStringLiteral("CONokN"))) {
    setGeometry(kStartGeometry);
    setFixedSize(kStartGeometry.size());
}

void LinkLampWidget::setPanelState(const LcdPanelState& state) {
    const bool ok = state.isVisible(LcdElement::CONok);
    const bool notOk = state.isVisible(LcdElement::CONokN);
    if (ok == m_ok && notOk == m_notOk) return;
    m_ok = ok;
    m_notOk = notOk;
    update();
}

void LinkLampWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    // CONok lies above CONokN, as in the window's design.
    if (m_notOk && !m_notOkPicture.isNull()) painter.drawImage(QRect(0, 0, 25, 20), m_notOkPicture);
    if (m_ok && !m_okPicture.isNull()) painter.drawImage(QRect(0, 0, 25, 24), m_okPicture);
}
