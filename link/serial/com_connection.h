#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include <array>

#include "link/serial/serial_platform.h"
#include "link/serial/serial_types.h"

class QAbstractButton;
class QPushButton;
class QWidget;
class Dialogs;
class PortPanel;
class TSerialPortDriver;

/// State of a control the user never sees (hidden menu items, off-screen panels).
struct ComItemState {
    bool checked = false;
    bool enabled = true;
    bool visible = true;
};

/// The window's side of the serial link: the port panels BtCOM1..BtCOM4 that cycle through the
/// ports, the toggle COMCon that opens and closes the driver, and the hidden port and connect
/// menus and Connect/Disconnect panels kept in step as plain state.
/// COMCon and usbCon form one exclusive pair in which both may be up: pressing one releases
/// the other without running its click handler.
/// A port that cannot be opened, or whose device vanishes while open, is reported through
/// Dialogs::error and leaves the connection closed.
/// GUI thread only. The widgets belong to topPanel; the driver and dialogs must outlive this.
class ComConnection : public QObject {
    Q_OBJECT
public:
    ComConnection(QWidget* topPanel, QAbstractButton* usbCon, TSerialPortDriver& driver,
                  Dialogs& dialogs, QObject* parent = nullptr);
    ~ComConnection() override;

    void COM11Click();
    void COM21Click();
    void COM31Click();
    void COM41Click();
    /// Opens or closes according to COMCon's (already toggled) state.
    void COMConClick();
    /// Opens without touching usbCon or COMCon's caption, then puts COMCon down.
    void BTCon1Click();
    /// Closes without touching usbCon or COMCon's caption, then puts COMCon up.
    void BtDiscon1Click();

    /// Hides COMCon and the port panels (the USB cable took over).
    void hideComControls();
    /// Shows COMCon and the port panel of the driver's ComPort (the USB cable let go).
    void showComControls();
    /// Shows the port panel that matches the driver's ComPort and hides the other three.
    void showPortPanelOfDriver();

    QPushButton* COMCon() const { return m_comCon; }
    /// BtCOM1..BtCOM4 for portNumber 1..4.
    PortPanel* BtCOM(int portNumber) const { return m_panels.at(portNumber - 1); }

    const ComItemState& ComSetup() const { return m_comSetup; }
    /// COM11..COM41 for portNumber 1..4.
    const ComItemState& COMItem(int portNumber) const { return m_portItems.at(portNumber - 1); }
    const ComItemState& START1() const { return m_start; }
    const ComItemState& STOP1() const { return m_stop; }
    const ComItemState& BTCon() const { return m_btCon; }
    const ComItemState& BtDiscon() const { return m_btDiscon; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void selectPort(TComPortNumber port);
    void setMenusOpen();
    void setMenusClosed();
    void setPanelsEnabled(bool enabled);
    void showPortPanel(int portNumber);
    /// Opening's hidden-state steps and the open itself; false (menus back to closed) when the
    /// port could not be opened.
    bool openPort();
    /// Closing's hidden-state steps and the close itself.
    void closePort();
    /// The closed look after a failed open or a vanished device; the port is already closed.
    void returnToClosed();
    void reportOpenFailure();
    void portLost(const QString& device, const QString& reason);
    void refreshToolTip(int portNumber);

    TSerialPortDriver& m_driver;
    Dialogs& m_dialogs;
    QPointer<QAbstractButton> m_usbCon;
    QPushButton* m_comCon = nullptr;
    std::array<PortPanel*, 4> m_panels{};

    ComItemState m_comSetup;
    std::array<ComItemState, 4> m_portItems{};
    ComItemState m_start;
    ComItemState m_stop;
    ComItemState m_btCon;
    ComItemState m_btDiscon;
};

/// The message shown when COM portNumber cannot be opened; device is empty when none is bound.
QString comOpenErrorText(int portNumber, const QString& device, const SerialOpenResult& result);

/// The message shown once when the device of the open COM portNumber vanished.
QString comLostText(int portNumber, const QString& device, const QString& reason);
