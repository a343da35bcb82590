#pragma once

#include <QLabel>

/// A raised panel with a centred caption that reports clicks, like a clickable toolbar panel.
/// A click is a left press and release inside the panel while it is enabled.
class PortPanel : public QLabel {
    Q_OBJECT
public:
    explicit PortPanel(const QString& caption, QWidget* parent = nullptr);

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool m_pressed = false;
};
