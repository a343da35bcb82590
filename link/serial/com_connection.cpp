#include "link/serial/com_connection.h"

#include <QAbstractButton>
#include <QEvent>
#include <QPushButton>
#include <QWidget>

#include "link/serial/port_naming.h"
#include "link/serial/port_panel.h"
#include "link/serial/serial_port_driver.h"
#include "ui/dialogs.h"

namespace {

constexpr auto kConnectCaption = "COM Connection";
constexpr auto kDisconnectCaption = "COM Disconnect";

QString withoutFinalStop(QString text) {
    text = text.trimmed();
    while (text.endsWith(QLatin1Char('.')))
        text.chop(1);
    return text;
}

TComPortNumber portOf(int portNumber) {
    return static_cast<TComPortNumber>(portNumber - 1);
}

}  // namespace

QString comOpenErrorText(int portNumber, const QString& device, const SerialOpenResult& result) {
    if (result.error == SerialOpenError::NoDevice || device.isEmpty()) {
        QString text =
            QStringLiteral("Cannot open COM %1: no serial port present.").arg(portNumber);
#ifndef Q_OS_WIN
        text += QStringLiteral(
                    "\nConnect the meter's cable, or bind the port to a device, e.g. "
                    "VXM90_COM%1=/dev/ttyUSB0.")
                    .arg(portNumber);
#endif
        return text;
    }
    QString text = QStringLiteral("Cannot open COM %1 (%2): %3.")
                       .arg(portNumber)
                       .arg(device, withoutFinalStop(result.reason));
    switch (result.error) {
        case SerialOpenError::PermissionDenied:
#ifdef Q_OS_WIN
            text += QStringLiteral("\nYou have no permission to use this port.");
#else
            text += QStringLiteral(
                "\nTo get access, add your user to the dialout group: "
                "sudo usermod -aG dialout $USER, then log in again.");
#endif
            break;
        case SerialOpenError::Busy:
            text += QStringLiteral("\nAnother program is using the port; close it and try again.");
            break;
        case SerialOpenError::NotFound:
            text += QStringLiteral("\nCheck that the meter's cable is plugged in.");
            break;
        default:
            break;
    }
    return text;
}

QString comLostText(int portNumber, const QString& device, const QString& reason) {
    QString text = QStringLiteral("COM %1 (%2) was disconnected").arg(portNumber).arg(device);
    const QString why = withoutFinalStop(reason);
    if (!why.isEmpty()) text += QStringLiteral(": ") + why;
    return text + QStringLiteral(". The port has been closed.");
}

ComConnection::ComConnection(QWidget* topPanel, QAbstractButton* usbCon, TSerialPortDriver& driver,
                             Dialogs& dialogs, QObject* parent)
    : QObject(parent), m_driver(driver), m_dialogs(dialogs), m_usbCon(usbCon) {
    for (int n = 1; n <= 4; ++n) {
        auto* panel = new PortPanel(QStringLiteral("COM %1").arg(n), topPanel);
        panel->setObjectName(QStringLiteral("BtCOM%1").arg(n));
        panel->setGeometry(5, 3, 61, 24);
        panel->setVisible(n == 1);
        panel->installEventFilter(this);
        m_panels.at(n - 1) = panel;
    }
    // Each visible panel advances to the next port.
    connect(m_panels[0], &PortPanel::clicked, this, &ComConnection::COM21Click);
    connect(m_panels[1], &PortPanel::clicked, this, &ComConnection::COM31Click);
    connect(m_panels[2], &PortPanel::clicked, this, &ComConnection::COM41Click);
    connect(m_panels[3], &PortPanel::clicked, this, &ComConnection::COM11Click);

    m_comCon = new QPushButton(QString::fromLatin1(kConnectCaption), topPanel);
    m_comCon->setObjectName(QStringLiteral("COMCon"));
    m_comCon->setGeometry(76, 3, 125, 25);
    m_comCon->setCheckable(true);
    connect(m_comCon, &QAbstractButton::clicked, this, &ComConnection::COMConClick);

    connect(m_comCon, &QAbstractButton::toggled, this, [this](bool down) {
        if (down && m_usbCon && m_usbCon->isChecked()) m_usbCon->setChecked(false);
    });
    if (m_usbCon) {
        connect(m_usbCon, &QAbstractButton::toggled, this, [this](bool down) {
            if (down && m_comCon->isChecked()) m_comCon->setChecked(false);
        });
    }

    m_portItems[0].checked = true;
    m_stop.enabled = false;
    m_btDiscon.visible = false;
    refreshToolTip(1);

    m_driver.setOnPortLost(
        [this](const QString& device, const QString& reason) { portLost(device, reason); });
}

ComConnection::~ComConnection() {
    m_driver.setOnPortLost({});
}

void ComConnection::COM11Click() {
    selectPort(TComPortNumber::pnCOM1);
}
void ComConnection::COM21Click() {
    selectPort(TComPortNumber::pnCOM2);
}
void ComConnection::COM31Click() {
    selectPort(TComPortNumber::pnCOM3);
}
void ComConnection::COM41Click() {
    selectPort(TComPortNumber::pnCOM4);
}

void ComConnection::selectPort(TComPortNumber port) {
    const int selected = comPortNumberValue(port);
    for (int n = 1; n <= 4; ++n)
        m_portItems.at(n - 1).checked = n == selected;
    showPortPanel(selected);
    m_driver.setComPort(port);
    refreshToolTip(selected);
}

void ComConnection::setMenusOpen() {
    m_comSetup.enabled = false;
    m_start.checked = true;
    m_start.enabled = false;
    m_stop.enabled = true;
    m_stop.checked = false;
}

void ComConnection::setMenusClosed() {
    m_comSetup.enabled = true;
    m_start.checked = false;
    m_start.enabled = true;
    m_stop.enabled = false;
    m_stop.checked = true;
}

void ComConnection::setPanelsEnabled(bool enabled) {
    for (PortPanel* panel : m_panels)
        panel->setEnabled(enabled);
}

void ComConnection::COMConClick() {
    if (m_comCon->isChecked()) {
        if (m_usbCon) m_usbCon->hide();
        if (!openPort()) {
            returnToClosed();
            reportOpenFailure();
            return;
        }
        m_comCon->setText(QString::fromLatin1(kDisconnectCaption));
    } else {
        if (m_usbCon) m_usbCon->show();
        closePort();
        m_comCon->setText(QString::fromLatin1(kConnectCaption));
    }
}

void ComConnection::BTCon1Click() {
    if (!openPort()) {
        reportOpenFailure();
        return;
    }
    m_comCon->setChecked(true);
}

void ComConnection::BtDiscon1Click() {
    closePort();
    m_comCon->setChecked(false);
}

bool ComConnection::openPort() {
    setMenusOpen();
    if (!m_driver.OpenPort()) {
        setMenusClosed();
        return false;
    }
    m_btCon.visible = false;
    m_btDiscon.visible = true;
    setPanelsEnabled(false);
    return true;
}

void ComConnection::closePort() {
    setMenusClosed();
    m_driver.ClosePort();  // nothing when the port is already closed
    m_btCon.visible = true;
    m_btDiscon.visible = false;
    setPanelsEnabled(true);
}

void ComConnection::returnToClosed() {
    if (m_usbCon) m_usbCon->show();
    closePort();
    m_comCon->setText(QString::fromLatin1(kConnectCaption));
    m_comCon->setChecked(false);
}

void ComConnection::reportOpenFailure() {
    m_dialogs.error(nullptr, comOpenErrorText(comPortNumberValue(m_driver.ComPort()),
                                              m_driver.deviceName(), m_driver.lastOpenResult()));
}

void ComConnection::portLost(const QString& device, const QString& reason) {
    returnToClosed();
    m_dialogs.error(nullptr, comLostText(comPortNumberValue(m_driver.ComPort()), device, reason));
}

void ComConnection::hideComControls() {
    for (PortPanel* panel : m_panels)
        panel->hide();
    m_comCon->hide();
}

void ComConnection::showComControls() {
    showPortPanelOfDriver();
    m_comCon->show();
}

void ComConnection::showPortPanelOfDriver() {
    const int selected = comPortNumberValue(m_driver.ComPort());
    showPortPanel(selected);
    refreshToolTip(selected);
}

void ComConnection::showPortPanel(int portNumber) {
    for (int n = 1; n <= 4; ++n)
        m_panels.at(n - 1)->setVisible(n == portNumber);
}

void ComConnection::refreshToolTip(int portNumber) {
    PortPanel* panel = m_panels.at(portNumber - 1);
    const TComPortNumber port = portOf(portNumber);
    const QString device = m_driver.IsOpen() && m_driver.ComPort() == port
                               ? m_driver.deviceName()
                               : m_driver.resolveDevice(port);
    panel->setToolTip(comPortToolTip(portNumber, device));
}

bool ComConnection::eventFilter(QObject* watched, QEvent* event) {
    // Adapters come and go while the program runs; name the device as it is now.
    if (event->type() == QEvent::ToolTip) {
        for (int n = 1; n <= 4; ++n) {
            if (watched == m_panels.at(n - 1)) refreshToolTip(n);
        }
    }
    return QObject::eventFilter(watched, event);
}
