#pragma once

#include <QPushButton>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "app/grid/log_grid_model.h"
#include "app/shell/main_window.h"
#include "fake_hid_platform.h"
#include "link/hid/usb_connection.h"
#include "link/serial/com_connection.h"
#include "link/serial/port_panel.h"
#include "window_test_support.h"

/// The cable's input reports: report ID 0, then F0 plus the payload count, the payload, zeros.
inline std::vector<std::uint8_t> cableReport(const std::vector<std::uint8_t>& payload) {
    std::vector<std::uint8_t> report(9, 0);
    report[1] = static_cast<std::uint8_t>(0xF0 | payload.size());
    std::copy(payload.begin(), payload.end(), report.begin() + 2);
    return report;
}

/// The program's window (fake dialogs, "." locale, fixed clock, manual timers, fake serial
/// port) over a HID platform and monitor the test hands in, which the window takes over.
class UsbWindowFixture {
public:
    UsbWindowFixture() { windowTestApp(); }

    void makeWindow(std::unique_ptr<HidPlatform> platform,
                    std::unique_ptr<HidDeviceMonitor> monitor) {
        window = std::make_unique<TFCOMM>(WindowEnvironment{
            .dialogs = dialogs,
            .reportDialogs = reportDialogs,
            .locale = locale,
            .clock = clock,
            .timers = timers,
            .serialPlatform = std::make_unique<FakeSerialPlatform>(serial),
            .comPortDevice =
                [](TComPortNumber port) {
                    return port == TComPortNumber::pnCOM1 ? QStringLiteral("/dev/ttyFAKE0")
                                                          : QString();
                },
            .is64BitOs = [] { return true; },
            .quitApplication = [] {},
            .hidPlatform = std::move(platform),
            .hidMonitor = std::move(monitor)});
    }

    TFCOMM& w() { return *window; }
    UsbConnection& usb() { return window->usbConnection(); }
    QPushButton* USBCon() { return window->USBCon(); }
    QPushButton* COMCon() { return window->comConnection().COMCon(); }
    /// The port panel on show, 1 to 4; 0 when none is.
    int shownPortPanel() {
        for (int n = 1; n <= 4; ++n) {
            if (!window->comConnection().BtCOM(n)->isHidden()) return n;
        }
        return 0;
    }
    bool historyHas(const QString& line) {
        const auto& h = usb().HistoryListBox();
        return std::find(h.begin(), h.end(), line) != h.end();
    }
    /// The values in the grid's Value column, top to bottom.
    std::vector<std::string> gridValues() {
        const LogGridModel& grid = *window->gridModel();
        int column = 0;
        while (LogGridModel::columnField(column) != LogField::Value)
            ++column;
        std::vector<std::string> values;
        for (int row = 0; row < grid.rowCount(); ++row)
            values.push_back(grid.index(row, column).data().toString().toStdString());
        return values;
    }

    FakeDialogs dialogs;
    FakeReportDialogs reportDialogs;
    FixedLocale locale;
    FixedClock clock;
    ManualTimers timers;
    std::shared_ptr<FakeSerialState> serial = std::make_shared<FakeSerialState>();
    std::unique_ptr<TFCOMM> window;
};
