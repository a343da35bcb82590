#pragma once

#include <QList>
#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

class ChartView;
class ChartToolBar;
class Dialogs;
class QWidget;
class TChartControl;
class Timer;
class Timers;

/// The commands of the chart tool bar and of the hidden "Graphic" menu: series choice,
/// seeding, paging, page size (applied by `Timer2` one second after the edit last changed),
/// enlarge/restore and saving the chart as a .bmp picture. Connects itself to the tool bar's
/// controls. All objects passed in must outlive it. GUI thread only.
class ChartCommands : public QObject {
public:
    /// Bounds of `Chtshow` saved by enlarge, read by restore; all 0 until the first enlarge.
    struct Bounds {
        std::int32_t left = 0, top = 0, width = 0, height = 0;
        bool operator==(const Bounds&) const = default;
    };

    /// `reportError` receives raw messages for the general error report. `mainWindow` owns the
    /// dialogs and gives the outer size for enlarge; `panelsToHide` (Panel2, Panel4, Panel5)
    /// are hidden while the chart is enlarged. Starts `Timer2`, as the window's start does.
    ChartCommands(ChartView& chart, TChartControl& pager, ChartToolBar& toolBar, Dialogs& dialogs,
                  Timers& timers, std::function<void(const QString&)> reportError,
                  QWidget& mainWindow, QList<QWidget*> panelsToHide, QObject* parent = nullptr);
    ~ChartCommands() override;

    /// Exactly the series `index` is shown.
    void ShowSeries(int index);
    /// Series 0 when `BtFill` is checked, else 1 (what the decoder re-applies).
    void applyFillChoice();
    /// Empties every series and gives each a placeholder point 0 at X 0; the pager is not told.
    void SeedChart();
    void BtNewClick() { SeedChart(); }
    void btFillClick();
    void FillClick();
    /// Check mark of the hidden menu item `Fill`.
    bool FillChecked() const { return m_FillChecked; }

    void BtFirstClick();
    void BTPreviousClick();
    void BtNextClick();
    void BTlastClick();
    /// `Bt10` := the pager's CurrentPage; for every caller that drives the pager.
    void showCurrentPage();

    void MaxrecordChange();
    void Timer2Timer();
    Timer& Timer2() const { return *m_Timer2; }

    void TbFdClick();
    void TbSxClick();
    const Bounds& SavedChartBounds() const { return m_SavedChartBounds; }

    void BtSaveClick();

    /// A decimal integer in the 32-bit range (optional sign, digits only), else nothing.
    static std::optional<std::int32_t> parseInteger(const QString& text);

private:
    ChartView& m_chart;
    TChartControl& m_pager;
    ChartToolBar& m_toolBar;
    Dialogs& m_dialogs;
    std::function<void(const QString&)> m_reportError;
    QWidget& m_mainWindow;
    QList<QWidget*> m_panels;
    std::unique_ptr<Timer> m_Timer2;
    Bounds m_SavedChartBounds;
    bool m_FillChecked = true;
};
