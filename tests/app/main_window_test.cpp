#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QToolButton>

#include "app/chart/chart_commands.h"
#include "app/chart/chart_tool_bar.h"
#include "app/chart/chart_view.h"
#include "app/grid/log_grid_model.h"
#include "app/grid/log_grid_view.h"
#include "app/grid/log_panel.h"
#include "app/lcd/lcd_panel_widget.h"
#include "app/lcd/link_lamp_widget.h"
#include "app/limits/limits_panel.h"
#include "decode/limit_comparator.h"
#include "decode/meter_decoder.h"
#include "link/serial/serial_port_driver.h"
#include "log/log_table.h"
#include "ui/unit_symbols.h"
#include "window_test_support.h"

namespace {

class MainWindow : public testing::Test, public WindowFixture {
protected:
    TFCOMM& w() { return *window; }
    QString cell(int row, int column) {
        return w().gridModel()->index(row, column).data().toString();
    }
    QString Bt10() { return w().ChartToolPanel1()->Bt10()->text(); }
};

TEST(MainWindowCaption, TitleFollowedByTheSystemsBitness) {
    for (const bool is64 : {true, false}) {
        WindowFixture fixture(is64);
        EXPECT_EQ(fixture.window->windowTitle(),
                  is64 ? QStringLiteral("VXM-90 Interface Program Ver 3.04(x64)")
                       : QStringLiteral("VXM-90 Interface Program Ver 3.04(x86)"));
    }
}

TEST_F(MainWindow, StartsWithTheDesignsLayoutAndState) {
    w().show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w()));
    EXPECT_EQ(w().clientArea()->size(), QSize(663, 509));
    EXPECT_EQ(w().minimumSize(), w().maximumSize()) << "the window must not be resizable";
    EXPECT_FALSE(w().windowFlags() & Qt::WindowMaximizeButtonHint);

    struct Region {
        const char* name;
        QRect rect;
    };
    for (const Region& region :
         {Region{"Panel5", {0, 0, 663, 32}}, Region{"Panel1", {5, 36, 302, 162}},
          Region{"PBar2", {5, 197, 302, 17}}, Region{"Panel2", {4, 216, 305, 41}},
          Region{"DBGrid1", {4, 264, 303, 241}}, Region{"Panel4", {308, 34, 351, 116}},
          Region{"ChartToolPanel1", {306, 149, 353, 41}}, Region{"Chtshow", {309, 189, 350, 316}},
          Region{"USBCon", {203, 3, 158, 25}}, Region{"BitBtn1", {563, 3, 86, 25}},
          Region{"OpenDataFiles", {231, 12, 23, 21}}, Region{"saveas", {253, 12, 23, 21}},
          Region{"BtPrint", {275, 12, 22, 21}}, Region{"T1HI", {113, 12, 57, 22}},
          Region{"T1VALUE", {112, 43, 81, 32}}, Region{"T1LO", {112, 84, 57, 22}},
          Region{"Shape1", {192, 8, 113, 97}}}) {
        auto* widget = w().findChild<QWidget*>(QString::fromLatin1(region.name));
        ASSERT_NE(widget, nullptr) << region.name;
        EXPECT_EQ(widget->geometry(), region.rect) << region.name;
        EXPECT_TRUE(widget->isVisible()) << region.name;
    }

    // The check boxes fit in the log bar beside its picture buttons (which, as designed, share
    // their edge pixels), and the interval edit lies on the sampling caption.
    LogPanel* bar = w().Panel2();
    const QList<QWidget*> boxes = {bar->RepeatSet(), bar->RecordSI()};
    const QList<QWidget*> all = {bar->RepeatSet(),     bar->RecordSI(), bar->RecordNew(),
                                 bar->OpenDataFiles(), bar->saveas(),   bar->BtPrint()};
    for (QWidget* box : boxes) {
        EXPECT_TRUE(bar->contentsRect().contains(box->geometry()))
            << box->objectName().toStdString();
        for (QWidget* other : all) {
            if (other == box) continue;
            EXPECT_FALSE(box->geometry().intersects(other->geometry()))
                << box->objectName().toStdString() << " covers "
                << other->objectName().toStdString();
        }
    }
    const QRect caption = bar->RecordSI()->geometry(), edit = bar->RecordSITime()->geometry();
    EXPECT_TRUE(caption.contains(edit))
        << caption.x() << "+" << caption.width() << " " << edit.x() << "+" << edit.width() << " "
        << caption.y() << "+" << caption.height() << " " << edit.y() << "+" << edit.height();

    EXPECT_EQ(w().Panel4()->T1HI()->text(), "6000");
    EXPECT_EQ(w().Panel4()->T1LO()->text(), "-6000");
    EXPECT_EQ(w().Panel4()->T1VALUE()->text(), "0");
    // Tooltips pop up only where the window names one; other controls keep a hint unshown.
    struct Tip {
        const char* name;
        const char* toolTip;
        const char* hint;
    };
    for (const Tip& tip :
         {Tip{"T1HI", "Please enter a number here.", ""},
          Tip{"T1LO", "Please enter a number here.", ""},
          Tip{"OpenDataFiles", "Open old data files", ""}, Tip{"saveas", "Save data files", ""},
          Tip{"RecordNew", "Close Data", ""}, Tip{"RepeatSet", "", "Repeage Record"},
          Tip{"BtFill", "", "Graphic Fill"}, Tip{"BtSave", "", "Save"}, Tip{"BtFirst", "", "First"},
          Tip{"BTPrevious", "", "Previous"}, Tip{"Bt10", "", "Page No."}, Tip{"BtNext", "", "Next"},
          Tip{"BTlast", "", "last"}, Tip{"TbFd", "", "Graphic Enlarge"},
          Tip{"TbSx", "", "Graphic Restore"}, Tip{"BtPrint", "", ""}, Tip{"Maxrecord", "", ""}}) {
        auto* widget = w().findChild<QWidget*>(QString::fromLatin1(tip.name));
        ASSERT_NE(widget, nullptr) << tip.name;
        EXPECT_EQ(widget->toolTip(), QString::fromLatin1(tip.toolTip)) << tip.name;
        EXPECT_EQ(widget->statusTip(), QString::fromLatin1(tip.hint)) << tip.name;
    }
    EXPECT_TRUE(bar->RepeatSet()->isChecked());
    EXPECT_FALSE(bar->RecordSI()->isChecked());
    EXPECT_EQ(w().PBar2()->maximum(), 60);
    EXPECT_EQ(w().PBar2()->value(), 30);
    EXPECT_TRUE(w().linkLamp()->notOkShown());
    EXPECT_EQ(w().Chtshow()->leftMinimum(), -6000);
    EXPECT_EQ(w().Chtshow()->leftMaximum(), 6000);
    EXPECT_TRUE(w().ConTimer().isActive());
    EXPECT_EQ(w().ConTimer().interval(), 100);
    EXPECT_FALSE(w().Timer3().isActive());
    // The serial driver as the window configures it: COM 1 at 2400 baud, polled every 100 ms.
    EXPECT_EQ(w().COMM2().ComPort(), TComPortNumber::pnCOM1);
    EXPECT_EQ(w().COMM2().ComPortSpeed(), TComPortBaudRate::br2400);
    EXPECT_EQ(w().COMM2().ComPortPollingDelay(), 100);
    EXPECT_FALSE(w().COMM2().IsOpen());

    // The menu bar shows "Record" alone: the record limits, "10000" checked; New and Save hidden.
    const QList<QAction*> menus = w().menuBar()->actions();
    ASSERT_EQ(menus.size(), 1);
    EXPECT_EQ(menus.front()->text(), "Record");
    QStringList visible;
    for (QAction* item : w().recordMenu()->actions()) {
        if (item->isVisible()) visible << item->text() + (item->isChecked() ? "*" : "");
    }
    EXPECT_EQ(visible, QStringList({"1000", "5000", "10000*", "50000", "100000", "limitless"}));
    EXPECT_FALSE(w().New1()->isVisible());
    EXPECT_FALSE(w().Save1()->isVisible());
}

// The grid's columns share its width: each heading and the longest texts the log writes show
// whole in the window's fonts, and no strip stays empty at the right, with or without rows.
TEST_F(MainWindow, GridColumnsFitHeadingsAndLongestTextsAcrossTheGridsWidth) {
    w().show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w()));
    LogGridView* grid = w().DBGrid1();
    QHeaderView* header = grid->header();
    const auto columnsFill = [&] {
        int total = 0;
        for (int c = 0; c < header->count(); ++c)
            total += header->sectionSize(c);
        EXPECT_EQ(total, grid->viewport()->width());
        EXPECT_EQ(grid->horizontalScrollBar()->maximum(), 0) << "no sideways scrolling";
    };
    columnsFill();
    for (int c = 0; c < header->count(); ++c) {
        EXPECT_GE(header->sectionSize(c), header->sectionSizeHint(c))
            << header->model()->headerData(c, Qt::Horizontal).toString().toStdString();
    }

    struct Longest {
        std::int32_t no;
        const char* function;
        const char* value;
        const char* unit;
        const char* judge;
    };
    for (const Longest& l : {Longest{10000000, "DutyCycle", "-05.99", "MHz", "pass"},
                             Longest{9999999, "Diode", "-0.599", "kHz", "Fail"},
                             Longest{8888888, "CAP", "-888.8", "M*", "Fail"},
                             Longest{1234567, "OHM", "0.L", "?", "pass"}}) {
        LogRecord record;
        record.No = l.no;
        record.Time = "23:59:58";
        record.DcAc = l.function;
        record.Value = l.value;
        record.Unit = l.unit;
        record.Auto = l.judge;
        w().cds1().append(record);
    }
    for (const char* function : {"DC", "AC", "CTN", "TMP", "Freq"}) {
        LogRecord record;
        record.No = 1;
        record.DcAc = function;
        for (int i = 0; i < 4; ++i)
            w().cds1().append(record);  // enough rows for the vertical scroll bar
    }
    ASSERT_GT(w().gridModel()->rowCount(), grid->fullyVisibleRows());
    columnsFill();
    for (int row = 0; row < w().gridModel()->rowCount(); ++row) {
        for (int c = 0; c < header->count(); ++c) {
            const QString shown = w().gridModel()->index(row, c).data().toString();
            EXPECT_LE(grid->cellWidthFor(shown), header->sectionSize(c))
                << shown.toStdString() << " in column " << c;
        }
    }
}

TEST_F(MainWindow, PacketsReachPanelVerdictGridAndChart) {
    QAbstractItemModelTester tester(w().gridModel(),
                                    QAbstractItemModelTester::FailureReportingMode::Fatal);
    feed(dcVolts("0599"));

    const LcdPanelState& panel = w().Panel1()->panelState();
    for (const LcdElement shown : {LcdElement::LcdP2, LcdElement::LcdDc1, LcdElement::LcdV,
                                   LcdElement::LcdAuto, LcdElement::LCDsend}) {
        EXPECT_TRUE(panel.isVisible(shown)) << lcdElementName(shown);
    }
    EXPECT_FALSE(panel.isVisible(LcdElement::LcdFH));
    EXPECT_TRUE(w().linkLamp()->okShown());
    EXPECT_EQ(w().Panel4()->T1VALUE()->text(), "05.99");
    EXPECT_EQ(w().Panel4()->judge()->text(), "Pass");
    EXPECT_EQ(w().Panel4()->Shape1()->fill(), QColor(0, 128, 0));
    EXPECT_EQ(w().Panel4()->T1VALUE()->palette().color(QPalette::Base), QColor(0, 128, 0));

    ASSERT_EQ(w().gridModel()->rowCount(), 1);
    QStringList row;
    for (int c = 0; c < 6; ++c)
        row << cell(0, c);
    EXPECT_EQ(row, QStringList({"1", "10:15:30", "DC", "05.99", "V", "pass"}));
    EXPECT_EQ(w().Chtshow()->pointCount(0), 2) << "the placeholder and the reading";
    EXPECT_DOUBLE_EQ(w().Chtshow()->pointValue(0, 1), 5.99);
    EXPECT_EQ(Bt10(), "1");

    // A tighter high limit turns the next reading into a Fail; kilo-ohm shows as a symbol.
    QLineEdit* high = w().Panel4()->T1HI();
    high->selectAll();
    QTest::keyClicks(high, "5");
    feed(meterPacket('+', "1234", '4', kAuto, 0, kKilo, kOhm));  // 123.4 kilo-ohm
    EXPECT_EQ(w().Panel4()->judge()->text(), "Fail");
    EXPECT_EQ(w().Panel4()->Shape1()->fill(), QColor(255, 0, 0));
    EXPECT_EQ(cell(1, 4), QStringLiteral("k\u03A9"));
    EXPECT_EQ(w().cds1().text(1, LogField::Unit), "k*") << "the stored text stays";
    EXPECT_EQ(cell(1, 5), "Fail");

    // Past the first page the chart follows the newest value and the page caption with it.
    for (int i = 0; i < 120; ++i)
        feed(dcVolts("0100"));
    EXPECT_EQ(w().gridModel()->rowCount(), 122);
    EXPECT_EQ(cell(121, 0), "122");
    EXPECT_EQ(Bt10(), "2");
    EXPECT_EQ(w().DBGrid1()->currentRow(), 121);
    EXPECT_EQ(w().DBGrid1()->firstVisibleRow() + w().DBGrid1()->fullyVisibleRows(), 122)
        << "the newest row is in view at the bottom";
}

TEST_F(MainWindow, KeyFiltersOfTheThreeEdits) {
    struct Case {
        const char* edit;
        const char* start;
        const char* typed;
        const char* result;
    };
    for (const Case& c :
         {Case{"T1HI", "1.5", ".", "1.5"},  // a second separator
          Case{"T1HI", "15", ".", "15."}, Case{"T1HI", "", "x+-7'`a", "+-7'`"},
          Case{"T1LO", "", "-2.5e", "-2.5"}, Case{"RecordSITime", "", "1a2-", "12"}}) {
        auto* edit = w().findChild<QLineEdit*>(QString::fromLatin1(c.edit));
        ASSERT_NE(edit, nullptr) << c.edit;
        edit->setText(QString::fromLatin1(c.start));
        edit->end(false);
        QTest::keyClicks(edit, QString::fromLatin1(c.typed));
        EXPECT_EQ(edit->text(), QString::fromLatin1(c.result)) << c.edit << " typed " << c.typed;
    }
    QLineEdit* interval = w().Panel2()->RecordSITime();
    QTest::keyClick(interval, Qt::Key_Backspace);
    EXPECT_EQ(interval->text(), "1");
    interval->clear();
    QTest::keyClick(interval, '0');
    EXPECT_EQ(interval->text(), "1") << "a lone 0 becomes 1";
}

// Editing shortcuts reach the edit; text that arrives at once (paste, insert) passes the same
// rule as typed keys or is refused whole.
TEST_F(MainWindow, LimitEditsTakeEditingShortcutsAndFilterInsertedText) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    QLineEdit* high = w().Panel4()->T1HI();
    const auto ctrl = [](QLineEdit* edit, Qt::Key key) {
        QTest::keyClick(edit, key, Qt::ControlModifier);
    };
    ctrl(high, Qt::Key_A);
    QTest::keyClicks(high, "7");
    EXPECT_EQ(high->text(), "7") << "Ctrl+A selects all";
    ctrl(high, Qt::Key_A);
    ctrl(high, Qt::Key_C);
    EXPECT_EQ(clipboard->text(), "7");
    ctrl(high, Qt::Key_X);
    EXPECT_EQ(high->text(), "");
    ctrl(high, Qt::Key_Z);
    EXPECT_EQ(high->text(), "7") << "Ctrl+Z undoes the cut";

    struct Case {
        const char* start;
        const char* pasted;
        const char* result;
    };
    for (const Case& c : {Case{"", "2.5", "2.5"}, Case{"1", "-2", "1-2"},
                          Case{"1.5", ".5", "1.5"},  // a second separator
                          Case{"1", "e3", "1"}, Case{"1", "2 ", "1"}, Case{"1", "2\n", "1"},
                          Case{"6000", "\xe2\x82\xac", "6000"}}) {
        high->setText(QString::fromLatin1(c.start));
        high->end(false);
        clipboard->setText(QString::fromUtf8(c.pasted));
        ctrl(high, Qt::Key_V);
        EXPECT_EQ(high->text().toStdString(), c.result) << "pasted " << c.pasted;
    }
    high->setText(QStringLiteral("1.5"));
    high->selectAll();
    clipboard->setText(QStringLiteral("2.5"));
    ctrl(high, Qt::Key_V);
    EXPECT_EQ(high->text(), "2.5") << "the pasted text replaces the selection and its separator";
    high->insert(QStringLiteral("x"));
    EXPECT_EQ(high->text(), "2.5");
    QTest::keyClicks(high, "x");
    EXPECT_EQ(high->text(), "2.5") << "typed keys are filtered as before";

    QLineEdit* low = w().Panel4()->T1LO();
    low->selectAll();
    clipboard->setText(QStringLiteral("-1,5"));
    ctrl(low, Qt::Key_V);
    EXPECT_EQ(low->text(), "-6000") << "not the locale's separator";
    clipboard->setText(QStringLiteral("-1.5"));
    ctrl(low, Qt::Key_V);
    EXPECT_EQ(low->text(), "-1.5");

    for (QLineEdit* digits : {w().Panel2()->RecordSITime(), w().ChartToolPanel1()->Maxrecord()}) {
        const QString before = digits->text();
        digits->end(false);
        clipboard->setText(QStringLiteral("2a"));
        ctrl(digits, Qt::Key_V);
        EXPECT_EQ(digits->text(), before) << digits->objectName().toStdString();
        clipboard->setText(QStringLiteral("20"));
        ctrl(digits, Qt::Key_V);
        EXPECT_EQ(digits->text(), before + "20") << digits->objectName().toStdString();
    }
}

// The key filters discard what they do not accept, but Tab still moves the focus on.
TEST_F(MainWindow, TabLeavesEveryFilteredEdit) {
    w().show();
    w().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w()));
    for (const char* name : {"T1HI", "T1LO", "RecordSITime", "Maxrecord"}) {
        auto* edit = w().findChild<QLineEdit*>(QString::fromLatin1(name));
        ASSERT_NE(edit, nullptr) << name;
        edit->setFocus();
        ASSERT_TRUE(edit->hasFocus()) << name;
        const QString before = edit->text();
        QTest::keyClick(edit, Qt::Key_Tab);
        EXPECT_FALSE(edit->hasFocus()) << name;
        EXPECT_EQ(edit->text(), before) << name;
    }
}

TEST_F(MainWindow, InvalidHighLimitKeepsTheVerdictThenIsPutBack) {
    feed(dcVolts("0599"));
    QLineEdit* high = w().Panel4()->T1HI();
    high->selectAll();
    QTest::keyClicks(high, "-");
    ASSERT_EQ(high->text(), "-");
    feed(dcVolts("0700"));
    EXPECT_EQ(w().Panel4()->T1VALUE()->text(), "07.00");
    EXPECT_EQ(w().Panel4()->judge()->text(), "Pass") << "no verdict while a limit is no number";
    EXPECT_EQ(w().cds1().text(1, LogField::Auto), "pass");
    timers.advance(499);  // 500 ms after the last change, not before
    EXPECT_EQ(high->text(), "-");
    timers.advance(1);
    EXPECT_EQ(high->text(), "6000");
    EXPECT_FALSE(w().Panel4()->Timer1().isActive());
}

TEST_F(MainWindow, RecordLimitMenuStopsTheLog) {
    w().recordLimitAction(RecordLimitChoice::N10001)->trigger();
    for (QAction* item : w().recordMenu()->actions()) {
        if (item->isCheckable()) {
            EXPECT_EQ(item->isChecked(), item->text() == "1000");
        }
    }
    for (int i = 0; i < 1001; ++i)
        feed(dcVolts("0599"));
    EXPECT_EQ(w().gridModel()->rowCount(), 1000);
    EXPECT_EQ(cell(999, 0), "1000");
    EXPECT_EQ(w().readingLog().RecordNo(), 1001);

    w().recordLimitAction(RecordLimitChoice::limitess)->trigger();
    feed(dcVolts("0599"));
    EXPECT_EQ(w().gridModel()->rowCount(), 1001);
    EXPECT_TRUE(w().recordLimitAction(RecordLimitChoice::limitess)->isChecked());
    EXPECT_FALSE(w().recordLimitAction(RecordLimitChoice::N10001)->isChecked());
}

TEST_F(MainWindow, SamplingModeLogsOneRowPerTick) {
    locale.twelveHourClock = true;
    clock.now = {15, 15, 30};
    w().Panel2()->RecordSI()->click();
    feed(dcVolts("0599"));
    feed(dcVolts("0600"));
    EXPECT_EQ(w().gridModel()->rowCount(), 0);
    EXPECT_TRUE(w().Timer3().isActive());
    EXPECT_EQ(w().Timer3().interval(), 1000);

    // The timer makes the first row from the reading decoded last, a second on.
    timers.advance(999);
    EXPECT_EQ(w().gridModel()->rowCount(), 0);
    timers.advance(1);
    EXPECT_EQ(w().gridModel()->rowCount(), 1);
    EXPECT_EQ(cell(0, 1), "3:15:30 PM");
    EXPECT_EQ(cell(0, 3), "06.00");
    w().Timer3Timer();  // no packet since the last tick: no row
    EXPECT_EQ(w().gridModel()->rowCount(), 1);
    feed(dcVolts("0601"));
    w().Timer3Timer();
    EXPECT_EQ(w().gridModel()->rowCount(), 2);

    QTest::keyClick(w().Panel2()->RecordSITime(), Qt::Key_Backspace);
    QTest::keyClicks(w().Panel2()->RecordSITime(), "5");
    EXPECT_EQ(w().Timer3().interval(), 5000);

    w().Panel2()->RecordSI()->click();
    feed(dcVolts("0602"));
    EXPECT_FALSE(w().Timer3().isActive()) << "unchecked: logged at once";
    EXPECT_EQ(w().gridModel()->rowCount(), 3);
}

TEST_F(MainWindow, ClearAsksFirst) {
    for (int i = 0; i < 3; ++i)
        feed(dcVolts("0599"));
    dialogs.confirmAnswer = false;
    w().Panel2()->RecordNew()->click();
    ASSERT_EQ(dialogs.questions.size(), 1u);
    EXPECT_EQ(dialogs.questions[0].caption, "Information");
    EXPECT_EQ(w().gridModel()->rowCount(), 3);

    dialogs.confirmAnswer = true;
    w().Panel2()->RecordNew()->click();
    EXPECT_EQ(w().gridModel()->rowCount(), 0);
    EXPECT_EQ(w().Chtshow()->pointCount(0), 0);
    EXPECT_EQ(Bt10(), "1");
    feed(dcVolts("0600"));
    EXPECT_EQ(cell(0, 0), "1");
}

TEST_F(MainWindow, QuitAsksAndNoKeepsEverythingRunning) {
    w().show();
    dialogs.confirmAnswer = false;
    w().BitBtn1()->click();
    ASSERT_EQ(dialogs.questions.size(), 1u);
    EXPECT_EQ(dialogs.questions[0].caption, "Information");
    EXPECT_EQ(dialogs.questions[0].text, "Are you sure that you want to quit this application?");
    EXPECT_EQ(quits, 0);
    EXPECT_TRUE(w().isVisible());
    EXPECT_TRUE(w().ConTimer().isActive());
    feed(dcVolts("0599"));
    EXPECT_EQ(w().gridModel()->rowCount(), 1);

    dialogs.confirmAnswer = true;
    w().BitBtn1()->click();
    EXPECT_EQ(quits, 1);

    // The close button ends at once, without a question.
    EXPECT_TRUE(w().close());
    EXPECT_EQ(dialogs.questions.size(), 2u);
}

TEST_F(MainWindow, LinkLampGoesDarkWhenPacketsStop) {
    feed(dcVolts("0599"));
    ASSERT_TRUE(w().linkLamp()->okShown());
    timers.advance(299);  // the third 100 ms tick after the packet darkens it
    EXPECT_TRUE(w().linkLamp()->okShown());
    timers.advance(1);
    EXPECT_TRUE(w().linkLamp()->notOkShown());
    EXPECT_FALSE(w().linkLamp()->okShown());
}

TEST(LogGridModelTest, ShowsTheTableAndFollowsIt) {
    windowTestApp();
    LogTable table;
    LogGridModel model(table, nullptr);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    LogRecord record;
    record.No = 7;
    record.Time = "10:15:30";
    record.DcAc = "TMP";
    record.Value = "21.5";
    record.Unit = "#";
    record.Auto = "pass";
    record.NVal = 3;
    table.append(record);
    record.No.reset();
    record.Unit = "M*";
    table.append(record);
    ASSERT_EQ(model.rowCount(), 2);
    ASSERT_EQ(model.columnCount(), 6) << "NVal has no column";
    EXPECT_EQ(model.index(0, 4).data().toString(), QStringLiteral("\u00B0C"));
    EXPECT_EQ(model.index(1, 4).data().toString(), QStringLiteral("M\u03A9"));
    EXPECT_EQ(model.index(1, 0).data().toString(), "");
    struct Column {
        const char* title;
        Qt::Alignment alignment;
        int width;
    };
    const Column columns[] = {{"No.", Qt::AlignRight, 39},        {"Time", Qt::AlignHCenter, 53},
                              {"Function", Qt::AlignHCenter, 42}, {"Value", Qt::AlignRight, 51},
                              {"Unit", Qt::AlignRight, 36},       {"Judge", Qt::AlignLeft, 38}};
    for (int c = 0; c < 6; ++c) {
        EXPECT_EQ(model.headerData(c, Qt::Horizontal).toString(), columns[c].title);
        const auto alignment = model.index(0, c).data(Qt::TextAlignmentRole).value<Qt::Alignment>();
        EXPECT_EQ(alignment & Qt::AlignHorizontal_Mask, columns[c].alignment) << c;
        EXPECT_EQ(LogGridModel::columnWidth(c), columns[c].width);
    }
    table.clear();
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_EQ(unitSymbolText("*"), QStringLiteral("\u03A9"));
    EXPECT_EQ(unitSymbolText("?"), QStringLiteral("\u00B0F"));
    EXPECT_EQ(unitSymbolText("mV"), QStringLiteral("mV"));
}

TEST(LogGridViewTest, ClicksAndKeysMoveTheCurrentRowAndKeepItInView) {
    windowTestApp();
    LogTable table;
    LogGridModel model(table, nullptr);
    LogGridView grid(nullptr);
    grid.resize(303, 241);
    grid.setModel(&model);
    LogRecord record;
    record.Value = "1.000";
    for (int i = 0; i < 100; ++i) {
        record.No = i + 1;
        table.append(record);
    }
    grid.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&grid));
    ASSERT_GT(grid.fullyVisibleRows(), 5);
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, {20, grid.rowHeight() * 2 + 3});
    EXPECT_EQ(grid.currentRow(), 2);
    QTest::keyClick(&grid, Qt::Key_End);
    EXPECT_EQ(grid.currentRow(), 99);
    EXPECT_EQ(grid.firstVisibleRow() + grid.fullyVisibleRows() - 1, 99);
    QTest::keyClick(&grid, Qt::Key_Home);
    EXPECT_EQ(grid.firstVisibleRow(), 0);
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, {20, grid.viewport()->height() - 2});
    EXPECT_LT(grid.currentRow(), grid.fullyVisibleRows() + 1);
    table.clear();
    EXPECT_EQ(grid.currentRow(), -1) << "no current row in an empty grid";
}

}  // namespace
