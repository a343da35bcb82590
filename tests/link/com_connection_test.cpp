#include <gtest/gtest.h>

#include <ostream>

#include <QPushButton>
#include <QWidget>

#include <map>
#include <memory>

#include "link/serial/com_connection.h"
#include "link/serial/port_panel.h"
#include "link/serial/serial_port_driver.h"
#include "qt_test_app.h"
#include "tests/support/fake_dialogs.h"
#include "tests/support/fake_serial_platform.h"
#include "tests/support/manual_timers.h"

namespace {

class ComConnectionTest : public ::testing::Test {
protected:
    ComConnectionTest() {
        usbCon = new QPushButton(QStringLiteral("USB Connection"), &topPanel);
        usbCon->setCheckable(true);
        driver = std::make_unique<TSerialPortDriver>(
            std::make_unique<FakeSerialPlatform>(state),
            [this](TComPortNumber p) { return devices[comPortNumberValue(p)]; }, timers);
        com = std::make_unique<ComConnection>(&topPanel, usbCon, *driver, dialogs);
        topPanel.resize(663, 40);
        topPanel.show();
    }

    PortPanel* visiblePanel() const {
        PortPanel* shown = nullptr;
        for (int n = 1; n <= 4; ++n) {
            if (!com->BtCOM(n)->isHidden()) {
                EXPECT_EQ(shown, nullptr) << "more than one port panel shown";
                shown = com->BtCOM(n);
            }
        }
        return shown;
    }

    void clickComCon() { QTest::mouseClick(com->COMCon(), Qt::LeftButton); }

    void expectClosed() const {
        EXPECT_FALSE(driver->IsOpen());
        EXPECT_FALSE(com->COMCon()->isChecked());
        EXPECT_EQ(com->COMCon()->text(), "COM Connection");
        ASSERT_NE(visiblePanel(), nullptr);
        EXPECT_TRUE(visiblePanel()->isEnabled());
        EXPECT_FALSE(usbCon->isHidden());
        EXPECT_TRUE(com->ComSetup().enabled);
        EXPECT_TRUE(com->START1().enabled);
        EXPECT_FALSE(com->START1().checked);
        EXPECT_FALSE(com->STOP1().enabled);
        EXPECT_TRUE(com->BTCon().visible);
        EXPECT_FALSE(com->BtDiscon().visible);
    }

    void expectOpen() const {
        EXPECT_TRUE(driver->IsOpen());
        EXPECT_TRUE(com->COMCon()->isChecked());
        EXPECT_EQ(com->COMCon()->text(), "COM Disconnect");
        ASSERT_NE(visiblePanel(), nullptr);
        EXPECT_FALSE(visiblePanel()->isEnabled());
        EXPECT_TRUE(usbCon->isHidden());
        EXPECT_FALSE(com->ComSetup().enabled);
        EXPECT_FALSE(com->START1().enabled);
        EXPECT_TRUE(com->START1().checked);
        EXPECT_TRUE(com->STOP1().enabled);
        EXPECT_FALSE(com->STOP1().checked);
        EXPECT_FALSE(com->BTCon().visible);
        EXPECT_TRUE(com->BtDiscon().visible);
    }

    QApplication& app = testApp();  // before any widget
    std::map<int, QString> devices{{1, "/dev/ttyUSB0"}, {2, "/dev/ttyS0"}};
    QWidget topPanel;
    QPushButton* usbCon = nullptr;
    std::shared_ptr<FakeSerialState> state = std::make_shared<FakeSerialState>();
    ManualTimers timers;
    std::unique_ptr<TSerialPortDriver> driver;
    FakeDialogs dialogs;
    std::unique_ptr<ComConnection> com;
};

TEST_F(ComConnectionTest, StartsClosedOnComOneWithItsGeometry) {
    expectClosed();
    EXPECT_EQ(visiblePanel(), com->BtCOM(1));
    EXPECT_EQ(com->BtCOM(1)->objectName(), "BtCOM1");
    EXPECT_EQ(com->BtCOM(1)->text(), "COM 1");
    EXPECT_EQ(com->BtCOM(1)->geometry(), QRect(5, 3, 61, 24));
    EXPECT_EQ(com->COMCon()->objectName(), "COMCon");
    EXPECT_EQ(com->COMCon()->geometry(), QRect(76, 3, 125, 25));
    EXPECT_TRUE(com->COMItem(1).checked);
    EXPECT_FALSE(com->STOP1().checked);
    EXPECT_EQ(com->BtCOM(1)->toolTip(), "COM 1: /dev/ttyUSB0");
}

TEST_F(ComConnectionTest, VisiblePanelCyclesThroughThePorts) {
    struct Step {
        const char* caption;
        TComPortNumber port;
        const char* toolTip;
    };
    const Step steps[] = {
        {"COM 2", TComPortNumber::pnCOM2, "COM 2: /dev/ttyS0"},
        {"COM 3", TComPortNumber::pnCOM3, "COM 3: no serial port present"},
        {"COM 4", TComPortNumber::pnCOM4, "COM 4: no serial port present"},
        {"COM 1", TComPortNumber::pnCOM1, "COM 1: /dev/ttyUSB0"},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.caption);
        QTest::mouseClick(visiblePanel(), Qt::LeftButton);
        ASSERT_NE(visiblePanel(), nullptr);
        EXPECT_EQ(visiblePanel()->text(), step.caption);
        EXPECT_EQ(visiblePanel()->toolTip(), step.toolTip);
        EXPECT_EQ(driver->ComPort(), step.port);
        for (int n = 1; n <= 4; ++n) {
            EXPECT_EQ(com->COMItem(n).checked, n == comPortNumberValue(step.port));
        }
    }
}

TEST_F(ComConnectionTest, ComConOpensAndClosesAndLocksThePortWhileOpen) {
    clickComCon();
    expectOpen();
    EXPECT_EQ(state->openedName, "/dev/ttyUSB0");

    QTest::mouseClick(visiblePanel(), Qt::LeftButton);
    EXPECT_EQ(visiblePanel(), com->BtCOM(1));
    EXPECT_EQ(driver->ComPort(), TComPortNumber::pnCOM1);

    clickComCon();
    expectClosed();
    EXPECT_TRUE(com->STOP1().checked);
    EXPECT_EQ(state->closes, 1);
    EXPECT_TRUE(dialogs.errors.empty());
}

struct FailureCase {
    const char* name;
    SerialOpenResult result;
    const char* mustSay;  // advice the message gives for this kind
};
void PrintTo(const FailureCase& c, std::ostream* os) {
    *os << c.name;
}

class ComConnectionFailure : public ComConnectionTest,
                             public ::testing::WithParamInterface<FailureCase> {};

TEST_P(ComConnectionFailure, ShowsOneErrorAndStaysClosed) {
    state->nextOpen = GetParam().result;
    clickComCon();
    expectClosed();
    ASSERT_EQ(dialogs.errors.size(), 1U);
    const QString& text = dialogs.errors.front();
    EXPECT_TRUE(text.startsWith("Cannot open COM 1 (/dev/ttyUSB0): ")) << text.toStdString();
    EXPECT_TRUE(text.contains(GetParam().result.reason)) << text.toStdString();
    EXPECT_TRUE(text.contains(GetParam().mustSay)) << text.toStdString();

    state->nextOpen = {};
    clickComCon();  // the next click tries again
    expectOpen();
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, ComConnectionFailure,
    ::testing::Values(
        FailureCase{"Permission",
                    {SerialOpenError::PermissionDenied, "Permission denied"},
                    "sudo usermod -aG dialout $USER"},
        FailureCase{"Busy", {SerialOpenError::Busy, "Device or resource busy"}, "Another program"},
        FailureCase{
            "Missing", {SerialOpenError::NotFound, "No such file or directory"}, "plugged in"}),
    [](const ::testing::TestParamInfo<FailureCase>& p) { return p.param.name; });

TEST_F(ComConnectionTest, PortWithoutDeviceNamesTheWayToBindOne) {
    QTest::mouseClick(visiblePanel(), Qt::LeftButton);
    QTest::mouseClick(visiblePanel(), Qt::LeftButton);  // COM 3: nothing bound
    clickComCon();
    expectClosed();
    EXPECT_EQ(state->opens, 0);
    ASSERT_EQ(dialogs.errors.size(), 1U);
    EXPECT_TRUE(dialogs.errors.front().startsWith("Cannot open COM 3: no serial port present."));
    EXPECT_TRUE(dialogs.errors.front().contains("VXM90_COM3="));
}

TEST_F(ComConnectionTest, VanishedAdapterClosesAndSaysSoOnce) {
    driver->setComPortPollingDelay(20);
    clickComCon();
    expectOpen();
    state->gone = true;
    state->errorText = "Input/output error";
    timers.advance(20);
    ASSERT_FALSE(dialogs.errors.empty());
    expectClosed();
    timers.advance(100);
    ASSERT_EQ(dialogs.errors.size(), 1U);
    EXPECT_EQ(dialogs.errors.front(),
              "COM 1 (/dev/ttyUSB0) was disconnected: Input/output error. "
              "The port has been closed.");

    clickComCon();  // plugged back in
    expectOpen();
}

TEST_F(ComConnectionTest, HiddenConnectPanelsOpenAndCloseWithoutTheCaptionOrUsbButton) {
    com->BTCon1Click();
    EXPECT_TRUE(driver->IsOpen());
    EXPECT_TRUE(com->COMCon()->isChecked());
    EXPECT_EQ(com->COMCon()->text(), "COM Connection");
    EXPECT_FALSE(usbCon->isHidden());
    EXPECT_FALSE(com->START1().enabled);
    EXPECT_TRUE(com->BtDiscon().visible);
    EXPECT_FALSE(com->BtCOM(1)->isEnabled());

    com->BtDiscon1Click();
    EXPECT_FALSE(driver->IsOpen());
    EXPECT_FALSE(com->COMCon()->isChecked());
    EXPECT_EQ(com->COMCon()->text(), "COM Connection");
    EXPECT_TRUE(com->START1().enabled);
    EXPECT_TRUE(com->BTCon().visible);
    EXPECT_TRUE(com->BtCOM(1)->isEnabled());

    state->nextOpen = {SerialOpenError::Busy, "Device or resource busy"};
    com->BTCon1Click();
    expectClosed();
    EXPECT_EQ(dialogs.errors.size(), 1U);
}

TEST_F(ComConnectionTest, UsbCableHidesTheControlsAndGivesBackTheSelectedPort) {
    QTest::mouseClick(visiblePanel(), Qt::LeftButton);
    QTest::mouseClick(visiblePanel(), Qt::LeftButton);  // COM 3
    com->hideComControls();
    EXPECT_EQ(visiblePanel(), nullptr);
    EXPECT_TRUE(com->COMCon()->isHidden());
    com->showComControls();
    EXPECT_EQ(visiblePanel(), com->BtCOM(3));
    EXPECT_FALSE(com->COMCon()->isHidden());
}

TEST_F(ComConnectionTest, PressingComConReleasesTheUsbButton) {
    usbCon->setChecked(true);
    clickComCon();
    EXPECT_FALSE(usbCon->isChecked());
    expectOpen();
}

}  // namespace
