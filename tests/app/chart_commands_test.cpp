#include <gtest/gtest.h>

#include <qcustomplot.h>
#include <QCheckBox>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QWidget>

#include <cmath>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "app/chart/chart_commands.h"
#include "app/chart/chart_tool_bar.h"
#include "app/chart/chart_view.h"
#include "log/chart_pager.h"
#include "tests/support/fake_dialogs.h"
#include "tests/support/manual_timers.h"
#include "ui/dialogs.h"
#include "ui/qt_timers.h"
#include "widgets_test_app.h"

namespace {

// The chart's corner of the main window as start-up builds it.
class ChartFixture : public testing::Test {
protected:
    /// timerSource: nullptr for the manual timers.
    explicit ChartFixture(Timers* timerSource = nullptr) {
        window.setFixedSize(663, 509);
        for (QWidget*& panel : panels)
            panel = new QWidget(&window);
        chart = new ChartView(&window);
        toolBar = new ChartToolBar(&window);
        pager = std::make_unique<TChartControl>(*chart, 100);
        commands = std::make_unique<ChartCommands>(
            *chart, *pager, *toolBar, dialogs, timerSource ? *timerSource : timers,
            [this](const QString& m) { errors.push_back(m); }, window,
            QList<QWidget*>(panels.begin(), panels.end()));
        commands->SeedChart();
        window.show();
    }

    void logValues(int count, double first = 1.0) {
        for (int i = 0; i < count; ++i) {
            pager->AddValue(first + i);
            commands->showCurrentPage();
        }
    }
    QString caption() const { return toolBar->Bt10()->text(); }
    std::pair<double, double> window_() const {
        return {chart->bottomMinimum(), chart->bottomMaximum()};
    }

    QApplication& app = widgetsTestApp();  // before any widget
    QWidget window;
    std::array<QWidget*, 3> panels{};
    ChartView* chart = nullptr;
    ChartToolBar* toolBar = nullptr;
    FakeDialogs dialogs;
    ManualTimers timers;
    std::vector<QString> errors;
    std::unique_ptr<TChartControl> pager;
    std::unique_ptr<ChartCommands> commands;
};

enum class Step { Log, First, Previous, Next, Last, Seed, Clear };

struct PagingStep {
    Step step;
    int values;  // for Log
    const char* caption;
    double minimum, maximum;
    int points;  // in each series
};

struct PagingCase {
    const char* name;
    std::vector<PagingStep> steps;
};

void PrintTo(const PagingCase& c, std::ostream* os) {
    *os << c.name;
}

class ChartPaging : public ChartFixture, public testing::WithParamInterface<PagingCase> {};

// With the placeholder at X 0, page edges fall one value later than the page size suggests.
TEST_P(ChartPaging, CaptionWindowAndPointsFollowTheSteps) {
    int index = 0;
    for (const PagingStep& s : GetParam().steps) {
        switch (s.step) {
            case Step::Log:
                logValues(s.values);
                break;
            case Step::First:
                commands->BtFirstClick();
                break;
            case Step::Previous:
                QTest::mouseClick(toolBar->BTPrevious(), Qt::LeftButton);
                break;
            case Step::Next:
                QTest::mouseClick(toolBar->BtNext(), Qt::LeftButton);
                break;
            case Step::Last:
                commands->BTlastClick();
                break;
            case Step::Seed:
                commands->BtNewClick();
                break;
            case Step::Clear:
                pager->ClearChart();
                commands->showCurrentPage();
                break;
        }
        const std::string at = "step " + std::to_string(index++);
        EXPECT_EQ(caption().toStdString(), s.caption) << at;
        EXPECT_EQ(window_(), std::make_pair(s.minimum, s.maximum)) << at;
        EXPECT_EQ(chart->pointCount(0), s.points) << at;
        EXPECT_EQ(chart->pointCount(1), s.points) << at;
        EXPECT_EQ(chart->data()->size(), s.points) << at << ": one container for both series";
    }
}

INSTANTIATE_TEST_SUITE_P(Pager, ChartPaging,
                         testing::Values(PagingCase{"NewPageOneValueLate",
                                                    {{Step::Log, 99, "1", 1, 100, 100},
                                                     {Step::Log, 1, "2", 1, 100, 101},
                                                     {Step::Log, 1, "2", 101, 200, 102}}},
                                         PagingCase{"PreviousFindsThePlaceholder",
                                                    {{Step::Log, 100, "2", 1, 100, 101},
                                                     {Step::Previous, 0, "1", -99, 0, 101},
                                                     {Step::Log, 5, "1", -99, 0, 106},
                                                     {Step::Next, 0, "2", 1, 100, 106},
                                                     {Step::Log, 95, "3", 101, 200, 201}}},
                                         PagingCase{"FirstAndLastCrossSeveralPages",
                                                    {{Step::Log, 250, "3", 201, 300, 251},
                                                     {Step::First, 0, "1", 1, 100, 251},
                                                     {Step::Log, 200, "1", 1, 100, 451},
                                                     {Step::Last, 0, "5", 401, 500, 451}}},
                                         PagingCase{"SeedKeepsThePagersPage",
                                                    {{Step::Log, 250, "3", 201, 300, 251},
                                                     {Step::Seed, 0, "3", 201, 300, 1},
                                                     {Step::Previous, 0, "2", 101, 200, 1}}},
                                         PagingCase{"ClearReturnsToTheFirstWindow",
                                                    {{Step::Log, 250, "3", 201, 300, 251},
                                                     {Step::Clear, 0, "1", 1, 100, 0},
                                                     {Step::Last, 0, "3", 1, 100, 0},
                                                     {Step::Log, 1, "1", 1, 100, 1}}}),
                         [](const testing::TestParamInfo<PagingCase>& p) {
                             return std::string(p.param.name);
                         });

TEST_F(ChartFixture, SeedLeavesOnePlaceholderAtXZeroInEverySeries) {
    logValues(3, 7.0);
    EXPECT_EQ(chart->pointValue(0, 3), 9.0);
    commands->SeedChart();
    for (int s = 0; s < chart->seriesCount(); ++s) {
        EXPECT_EQ(chart->pointCount(s), 1);
        EXPECT_EQ(chart->pointValue(s, 0), 0.0);
        EXPECT_TRUE(std::isnan(chart->pointValue(s, 1)));
    }
    EXPECT_EQ(chart->data()->at(0)->key, 0.0);
}

TEST_F(ChartFixture, FillSwitchShowsAreaOrLineOverTheSamePoints) {
    logValues(5);
    EXPECT_TRUE(chart->isSeriesShown(0));
    EXPECT_FALSE(chart->isSeriesShown(1));
    EXPECT_EQ(chart->graph(0)->data(), chart->graph(1)->data());

    QTest::mouseClick(toolBar->BtFill(), Qt::LeftButton);
    EXPECT_FALSE(toolBar->BtFill()->isChecked());
    EXPECT_FALSE(commands->FillChecked());
    EXPECT_FALSE(chart->isSeriesShown(0));
    EXPECT_TRUE(chart->isSeriesShown(1));
    EXPECT_EQ(chart->graph(1)->data()->size(), 6);

    commands->FillClick();  // the hidden menu item
    EXPECT_TRUE(toolBar->BtFill()->isChecked());
    EXPECT_TRUE(commands->FillChecked());
    EXPECT_TRUE(chart->isSeriesShown(0));
    EXPECT_FALSE(chart->isSeriesShown(1));

    commands->FillClick();
    commands->SeedChart();  // seeding keeps the line choice
    EXPECT_FALSE(chart->isSeriesShown(0));
    EXPECT_TRUE(chart->isSeriesShown(1));
}

TEST_F(ChartFixture, PageSizeTypedKeyByKeyIsAppliedOnceAfterTheLastKey) {
    // Start-up applies the edit's "100" once, a second after the start; the pager has it.
    EXPECT_TRUE(commands->Timer2().isActive());
    EXPECT_EQ(commands->Timer2().interval(), 1000);
    timers.advance(1000);
    EXPECT_FALSE(commands->Timer2().isActive());
    EXPECT_EQ(pager->PageSize(), 100);

    logValues(300);
    QLineEdit* edit = toolBar->Maxrecord();
    edit->selectAll();
    for (const char key : {'2', '5', '0'}) {
        QTest::keyClick(edit, key);
        timers.advance(700);  // a slow typist, but each key within the second
        EXPECT_EQ(pager->PageSize(), 100) << "applied before the edit was still";
    }
    EXPECT_EQ(edit->text(), QStringLiteral("250"));
    timers.advance(299);
    EXPECT_EQ(pager->PageSize(), 100);
    timers.advance(1);
    EXPECT_EQ(pager->PageSize(), 250);
    EXPECT_FALSE(commands->Timer2().isActive()) << "one change, not one per key";
    EXPECT_EQ(caption(), QStringLiteral("2"));
    EXPECT_EQ(window_(), std::make_pair(251.0, 500.0));
    EXPECT_TRUE(errors.empty());
}

// The same on the event loop's timer, as the program runs it.
class ChartOnRealTimers : public ChartFixture {
protected:
    ChartOnRealTimers() : ChartFixture(&realTimers()) {}
    static Timers& realTimers() {
        static QtTimers source;
        return source;
    }
};

TEST_F(ChartOnRealTimers, PageSizeIsAppliedAfterTheEditWasStill) {
    logValues(300);
    toolBar->Maxrecord()->setText(QStringLiteral("250"));
    EXPECT_EQ(pager->PageSize(), 100);
    QTRY_COMPARE_WITH_TIMEOUT(pager->PageSize(), 250, 5000);
    EXPECT_FALSE(commands->Timer2().isActive());
}

struct PageSizeCase {
    const char* name;
    const char* text;
    int pageSize;       // after the tick
    const char* error;  // nullptr: none
};

void PrintTo(const PageSizeCase& c, std::ostream* os) {
    *os << c.name;
}

class PageSizeText : public ChartFixture, public testing::WithParamInterface<PageSizeCase> {};

TEST_P(PageSizeText, IsAppliedRefusedOrReported) {
    logValues(120);
    toolBar->Maxrecord()->setText(QString::fromLatin1(GetParam().text));
    EXPECT_TRUE(commands->Timer2().isActive());
    commands->Timer2Timer();
    EXPECT_FALSE(commands->Timer2().isActive());
    EXPECT_EQ(pager->PageSize(), GetParam().pageSize);
    if (GetParam().error == nullptr) {
        EXPECT_TRUE(errors.empty());
        EXPECT_EQ(caption(), QString::number(pager->CurrentPage()));
    } else {
        ASSERT_EQ(errors.size(), 1U);
        EXPECT_EQ(errors[0], QString::fromLatin1(GetParam().error));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, PageSizeText,
    testing::Values(PageSizeCase{"Fifty", "50", 50, nullptr},
                    PageSizeCase{"LargestInteger", "2147483647", 2147483647, nullptr},
                    PageSizeCase{"ZeroIsRefused", "0", 100, nullptr},
                    PageSizeCase{"NegativeIsRefused", "-5", 100, nullptr},
                    PageSizeCase{"Empty", "", 100, "'' is not a valid integer value"},
                    PageSizeCase{"Letters", "12a", 100, "'12a' is not a valid integer value"},
                    PageSizeCase{"BeyondInteger", "2147483648", 100,
                                 "'2147483648' is not a valid integer value"},
                    PageSizeCase{"SignOnly", "-", 100, "'-' is not a valid integer value"}),
    [](const testing::TestParamInfo<PageSizeCase>& p) { return std::string(p.param.name); });

TEST_F(ChartFixture, PageSizeEditTakesOnlyDigitsAndBackspace) {
    QLineEdit* edit = toolBar->Maxrecord();
    edit->setText(QStringLiteral("100"));
    edit->setCursorPosition(3);
    QTest::keyClicks(edit, QStringLiteral("7a.-+ 8"));
    EXPECT_EQ(edit->text(), QStringLiteral("10078"));
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClick(edit, Qt::Key_Left);
    QTest::keyClick(edit, Qt::Key_Delete);  // types no character: passes
    EXPECT_EQ(edit->text(), QStringLiteral("100"));
}

TEST_F(ChartFixture, EnlargeAndRestoreUseTheirExactGeometry) {
    const QRect normal = ChartView::kStartGeometry;
    ASSERT_EQ(chart->geometry(), normal);

    QTest::mouseClick(toolBar->TbFd(), Qt::LeftButton);
    const QRect outer = window.frameGeometry();
    EXPECT_EQ(chart->geometry(), QRect(2, 28, outer.width() - 12, outer.height() - 55));
    EXPECT_EQ(toolBar->pos(), QPoint(2, 0));
    EXPECT_TRUE(toolBar->TbFd()->isHidden());
    EXPECT_FALSE(toolBar->TbSx()->isHidden());
    for (QWidget* panel : panels)
        EXPECT_TRUE(panel->isHidden());
    EXPECT_EQ(commands->SavedChartBounds(), (ChartCommands::Bounds{309, 189, 350, 316}));

    commands->TbFdClick();  // hidden image: cannot be clicked twice in a row
    EXPECT_EQ(commands->SavedChartBounds(), (ChartCommands::Bounds{309, 189, 350, 316}));

    QTest::mouseClick(toolBar->TbSx(), Qt::LeftButton);
    EXPECT_EQ(chart->geometry(), normal);
    EXPECT_EQ(toolBar->pos(), QPoint(312, 141)) << "not the start place";
    EXPECT_FALSE(toolBar->TbFd()->isHidden());
    EXPECT_TRUE(toolBar->TbSx()->isHidden());
    for (QWidget* panel : panels)
        EXPECT_FALSE(panel->isHidden());

    commands->TbSxClick();
    EXPECT_EQ(chart->geometry(), normal);
}

struct SaveCase {
    const char* name;
    const char* fileName;  // inside a fresh folder; nullptr: the user cancels
    bool written;
};

void PrintTo(const SaveCase& c, std::ostream* os) {
    *os << c.name;
}

class SaveChart : public ChartFixture, public testing::WithParamInterface<SaveCase> {};

TEST_P(SaveChart, WritesABitmapOrReportsWhy) {
    logValues(30);
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const SaveCase& c = GetParam();
    QString path;
    if (c.fileName != nullptr) {
        path = dir.filePath(QString::fromLatin1(c.fileName));
        dialogs.saveAnswers.push_back(FileDialogResult{path, 0});
    }

    QTest::mouseClick(toolBar->BtSave(), Qt::LeftButton);

    ASSERT_EQ(dialogs.saveRequests.size(), 1U);
    EXPECT_EQ(dialogs.saveRequests[0].filters, QStringList{QStringLiteral("Bitmaps (*.bmp)")});
    EXPECT_TRUE(dialogs.saveRequests[0].confirmOverwrite);
    if (c.fileName == nullptr) {
        EXPECT_TRUE(dialogs.informations.empty());
        EXPECT_TRUE(errors.empty());
        return;
    }
    if (!c.written) {
        EXPECT_TRUE(dialogs.informations.empty());
        ASSERT_EQ(errors.size(), 1U);
        EXPECT_TRUE(errors[0].startsWith(QStringLiteral("Cannot create file \"%1\"").arg(path)))
            << errors[0].toStdString();
        return;
    }
    EXPECT_TRUE(errors.empty());
    ASSERT_EQ(dialogs.informations.size(), 1U);
    EXPECT_EQ(dialogs.informations[0], QStringLiteral("Graphic has saved on %1").arg(path));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.read(2) == "BM");
    file.close();
    const QImage picture(path, "BMP");
    ASSERT_FALSE(picture.isNull());
    EXPECT_EQ(picture.size(), ChartView::kStartGeometry.size());
    // The gradient background: silver at the top, lighter towards the bottom.
    EXPECT_LT(qGray(picture.pixel(175, 3)), qGray(picture.pixel(175, 312)));
}

INSTANTIATE_TEST_SUITE_P(
    Dialog, SaveChart,
    testing::Values(SaveCase{"Cancelled", nullptr, false}, SaveCase{"Written", "chart.bmp", true},
                    SaveCase{"MissingFolder", "no/such/folder/chart.bmp", false}),
    [](const testing::TestParamInfo<SaveCase>& p) { return std::string(p.param.name); });

}  // namespace
