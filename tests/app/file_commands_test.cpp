#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "app/grid/file_commands.h"
#include "app/grid/log_grid_model.h"
#include "app/grid/log_panel.h"
#include "files/data_files.h"
#include "ui/application.h"
#include "ui/qt_dialogs.h"
#include "ui/system_locale.h"
#include "window_test_support.h"

namespace {

class FileCommandsTest : public testing::Test, public WindowFixture {
protected:
    FileCommandsTest() {
        feed(dcVolts("0599"));
        feed(dcVolts("0601"));
    }
    QString path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
    void save(const QString& name, int filterIndex = 0) {
        dialogs.saveAnswers.push_back(FileDialogResult{name, filterIndex});
        window->Panel2()->saveas()->click();
    }
    void open(const QString& name, int filterIndex = 0) {
        dialogs.openAnswers.push_back(FileDialogResult{name, filterIndex});
        window->Panel2()->OpenDataFiles()->click();
    }
    int rows() const { return window->gridModel()->rowCount(); }

    QTemporaryDir dir;
};

TEST_F(FileCommandsTest, DialogsAskWithTheirFiltersAndRememberTheChoice) {
    window->Panel2()->saveas()->click();  // cancelled: nothing happens
    EXPECT_TRUE(dialogs.informations.empty());
    ASSERT_EQ(dialogs.saveRequests.size(), 1u);
    const FileDialogRequest& first = dialogs.saveRequests[0];
    EXPECT_EQ(first.filters, QStringList({"Excel File(*.xls)", "XML(*.xml)", "Txt File(*.txt)",
                                          "CSV File(*.csv)"}));
    EXPECT_EQ(first.defaultSuffix, "xls");
    EXPECT_TRUE(first.confirmOverwrite);
    EXPECT_EQ(first.filterIndex, 0);

    save(path("log.xml"), 1);
    window->Panel2()->saveas()->click();
    EXPECT_EQ(dialogs.saveRequests.back().filterIndex, 1) << "the entry confirmed last";
    EXPECT_TRUE(dialogs.saveRequests.back().fileName.isEmpty()) << "the name starts empty";

    open(path("log.xml"), 1);
    window->Panel2()->OpenDataFiles()->click();
    const FileDialogRequest& again = dialogs.openRequests.back();
    EXPECT_EQ(again.filters, QStringList({"Excel File(*.xls)", "XML (*.xml)", "Txt File(*.txt)"}));
    EXPECT_TRUE(again.defaultSuffix.isEmpty());
    EXPECT_EQ(again.filterIndex, 1);
    EXPECT_EQ(again.fileName, path("log.xml")) << "the open dialog keeps the name";
}

TEST_F(FileCommandsTest, TextSaveAndOpenAppendTheRecords) {
    const QString name = path("log.txt");
    save(name);
    ASSERT_EQ(dialogs.informations.size(), 1u);
    EXPECT_EQ(dialogs.informations[0], "Save table to specified file: " + name + " Scuss!");
    QFile file(name);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(),
              "No\tTime\tDC/AC\tValue\tUnit\tAUTO\r\n"
              "1\t10:15:30\tDC\t05.99\tV\tpass\r\n"
              "2\t10:15:30\tDC\t06.01\tV\tpass\r\n");

    open(name);
    EXPECT_EQ(rows(), 4) << "a text file appends";
    EXPECT_EQ(window->gridModel()->index(3, 3).data().toString(), "06.01");
    EXPECT_TRUE(dialogs.errors.empty());
    EXPECT_EQ(window->readingLog().RecordNo(), 3) << "loading does not count readings";
}

// The dialog answers with the name as typed and the entry chosen in it.
TEST_F(FileCommandsTest, ANameWithoutExtensionTakesTheChosenEntrysExtension) {
    struct Row {
        const char* typed;
        int filterIndex;
        const char* saved;
        const char* begins;
    };
    for (const Row& row : {Row{"a", 2, "a.txt", "No\tTime"}, Row{"b", 1, "b.xml", "<?xml"},
                           Row{"c", 0, "c.xls", "No\tTime"}, Row{"d.dat", 2, "d.dat", "No\tTime"},
                           Row{"e.xml", 0, "e.xml", "<?xml"}, Row{"f.v2", 1, "f.v2", "No\tTime"},
                           Row{"g", 3, "g.csv", "time,no,function,value,unit,display,"},
                           Row{"h.txt", 3, "h.txt", "No\tTime"}}) {
        dialogs.informations.clear();
        save(path(row.typed), row.filterIndex);
        const QString saved = path(row.saved);
        ASSERT_EQ(dialogs.informations.size(), 1u) << row.typed;
        EXPECT_EQ(dialogs.informations[0].toStdString(),
                  ("Save table to specified file: " + saved + " Scuss!").toStdString());
        QFile file(saved);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << row.saved;
        EXPECT_TRUE(file.readAll().startsWith(row.begins)) << row.saved;
        EXPECT_EQ(QFile::exists(path(row.typed)), QString(row.typed) == row.saved) << row.typed;
    }
}

// The CSV's times are local times of the window's zone, not of the machine the tests run on.
TEST(FileCommandsZone, CsvTimesAreInTheWindowsZone) {
    const FixedOffsetTimeZone plusOne(60);
    WindowFixture f(true, std::nullopt, &plusOne);
    f.clock.utcMs = 1'796'897'730'125;  // 2026-12-10 10:15:30.125 UTC
    f.feed(dcVolts("0599"));
    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("zone.csv"));
    f.dialogs.saveAnswers.push_back(FileDialogResult{name, 3});
    f.window->Panel2()->saveas()->click();
    QFile file(name);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().split('\n');
    ASSERT_GE(lines.size(), 2);
    EXPECT_TRUE(lines[1].startsWith("2026-12-10T11:15:30.125+01:00,1,DC,5.99,V,05.99,V,"))
        << lines[1].toStdString();
}

TEST_F(FileCommandsTest, FrequenciesAreSavedWithTheirPrefixAndOldFilesStillLoad) {
    constexpr std::uint8_t kHertz = 0x08;  // byte 11
    feed(meterPacket('+', "3277", '2', kAuto, 0, kKilo, kHertz));
    const QString name = path("khz.txt");
    save(name);
    QFile file(name);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().endsWith("3\t10:15:30\tFreq\t32.77\tkHz\tpass\r\n"));

    QFile old(path("old.txt"));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("No\tTime\tDC/AC\tValue\tUnit\tAUTO\r\n7\t09:00:00\tFreq\t32.77\tHz\tpass\r\n");
    old.close();
    open(path("old.txt"));
    ASSERT_EQ(rows(), 4);
    EXPECT_EQ(window->gridModel()->index(2, 4).data().toString(), "kHz");
    EXPECT_EQ(window->gridModel()->index(3, 4).data().toString(), "Hz");
    EXPECT_TRUE(dialogs.errors.empty());
}

TEST_F(FileCommandsTest, XmlSaveAndOpenReplaceTheRecords) {
    const QString name = path("log.xml");
    save(name, 1);
    ASSERT_EQ(dialogs.informations.size(), 1u);
    feed(dcVolts("0700"));
    ASSERT_EQ(rows(), 3);
    open(name, 1);
    EXPECT_EQ(rows(), 2) << "an XML file replaces the log";
    EXPECT_EQ(window->gridModel()->index(1, 3).data().toString(), "06.01");
    feed(dcVolts("0800"));
    EXPECT_EQ(rows(), 3) << "the log goes on after a load";
}

TEST_F(FileCommandsTest, OpeningAnXmlFileAsksBeforeUnsavedReadingsAreReplaced) {
    const QString xml = path("log.xml"), text = path("log.txt");
    save(text, 2);
    save(xml, 1);
    open(xml, 1);
    EXPECT_TRUE(dialogs.questions.empty()) << "everything was saved: nothing to lose";

    feed(dcVolts("0700"));
    feed(dcVolts("0800"));
    ASSERT_EQ(rows(), 4);
    dialogs.confirmAnswer = false;
    open(xml, 1);
    ASSERT_EQ(dialogs.questions.size(), 1u);
    EXPECT_EQ(dialogs.questions[0].text,
              "The log holds 2 readings that have not been saved. Replace them with the file's "
              "records?");
    EXPECT_FALSE(dialogs.questions[0].yesIsDefault) << "Enter must not discard the readings";
    EXPECT_EQ(rows(), 4) << "No keeps the log";

    open(text, 2);
    EXPECT_EQ(dialogs.questions.size(), 1u) << "a text file appends: nothing is lost";
    ASSERT_EQ(rows(), 6);

    dialogs.confirmAnswer = true;
    open(xml, 1);
    ASSERT_EQ(dialogs.questions.size(), 2u);
    EXPECT_TRUE(dialogs.questions[1].text.startsWith("The log holds 2 readings"))
        << "records read from a file are not unsaved readings";
    EXPECT_EQ(rows(), 2) << "Yes replaces the log";
    open(xml, 1);
    EXPECT_EQ(dialogs.questions.size(), 2u) << "the loaded records are in their file";
    feed(dcVolts("0900"));
    open(path("missing.xml"), 1);
    EXPECT_EQ(dialogs.questions.size(), 3u);
    EXPECT_EQ(rows(), 3) << "a failed XML load leaves the log as it was";
    EXPECT_EQ(window->cds1().unsavedReadings(), 1u) << "and its reading still unsaved";
    open(xml, 1);
    EXPECT_EQ(dialogs.questions.size(), 4u) << "so the next XML open asks again";
}

TEST_F(FileCommandsTest, FailuresAreReportedAndTheWindowGoesOn) {
    const QString missingFolder = path("no/such/folder/");
    save(missingFolder + "log.txt");
    ASSERT_EQ(dialogs.errors.size(), 1u);
    EXPECT_EQ(dialogs.errors[0],
              "Could not save table to specified file: " + missingFolder + "log.txt");

    // A failed XML save is an error no step handles: the general error report shows it.
    save(missingFolder + "log.xml", 1);
    ASSERT_EQ(dialogs.applicationErrors.size(), 1u);
    EXPECT_TRUE(dialogs.applicationErrors[0].contains(missingFolder + "log.xml"));
    EXPECT_EQ(dialogs.informations.size(), 0u) << "no success box";

    QFile junk(path("junk.txt"));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("header\r\n1\t2\t3\t4\t5\t6\t7\t8\r\n");
    junk.close();
    open(path("junk.txt"));
    open(path("missing.txt"));
    ASSERT_EQ(dialogs.errors.size(), 3u);
    EXPECT_EQ(dialogs.errors[1], "Failed to Load File!") << "eight fields on a line";
    EXPECT_EQ(dialogs.errors[2], "Failed to Load File!") << "no such file";
    EXPECT_EQ(rows(), 2);
    feed(dcVolts("0700"));
    EXPECT_EQ(rows(), 3);
}

// The box keeps its text; the file and what went wrong where follow as its informative text.
TEST_F(FileCommandsTest, LoadFailuresNameTheFileAndTheReason) {
    const auto write = [this](const char* name, const char* bytes) {
        QFile file(path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    };
    write("fields.txt", "header\r\n1\t2\t3\t4\t5\t6\r\n1\t2\t3\t4\t5\t6\t7\t8\r\n");
    write("number.txt", "header\r\nNULL\t10:15:30\tDC\t1.000\tV\tpass\r\n");
    write("empty.txt", "");
    write("fields.xml", "<?xml version=\"1.0\"?><DATAPACKET Version=\"2.0\"/>");
    write("export.csv", "time,no\r\n10:15:30,1\r\n");
    struct Row {
        const char* name;
        const char* reason;
    };
    const Row rows[] = {
        {"fields.txt", "Line 3: more than seven fields"},
        {"number.txt", "Line 2: 'NULL' is not a valid integer for No"},
        {"empty.txt", "The file holds no line"},
        {"missing.txt", "No such file or directory"},
        {"export.csv", kCsvNotLoaded},
    };
    for (const Row& row : rows) {
        dialogs.errors.clear();
        dialogs.errorDetails.clear();
        open(path(row.name));
        ASSERT_EQ(dialogs.errors.size(), 1u) << row.name;
        EXPECT_EQ(dialogs.errors[0], "Failed to Load File!");
        EXPECT_EQ(dialogs.errorDetails[0].toStdString(),
                  ("File: " + path(row.name) + "\n" + row.reason).toStdString());
    }
    dialogs.errorDetails.clear();
    open(path("fields.xml"), 1);
    ASSERT_EQ(dialogs.errorDetails.size(), 1u);
    EXPECT_TRUE(dialogs.errorDetails[0].startsWith("File: " + path("fields.xml") + "\n"));
    EXPECT_GT(dialogs.errorDetails[0].size(), ("File: " + path("fields.xml") + "\n").size())
        << "an XML failure names its reason too";
}

// The real message box of the general error report, answered by a timer.
TEST(GeneralErrorReport, ShowsTheApplicationTitleAndEndsOnlyTheEvent) {
    windowTestApp();
    QString caption, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    const auto answer = [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        caption = box->windowTitle();
        text = box->text();
        icon = box->icon();
        box->button(QMessageBox::Ok)->click();
    };
    QtDialogs dialogs;
    auto& app = static_cast<VxmApplication&>(windowTestApp());
    app.setErrorReporter([&dialogs](const QString& message) {
        dialogs.applicationError(punctuateErrorText(message));
    });

    // An exception escaping an event handler ends that event only.
    class Throwing : public QObject {
    public:
        bool event(QEvent* e) override {
            if (e->type() == QEvent::User) throw std::runtime_error("Cannot create file");
            return QObject::event(e);
        }
    } thrower;
    QCoreApplication::postEvent(&thrower, new QEvent(QEvent::User));
    QCoreApplication::sendPostedEvents(&thrower, QEvent::User);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << "no modal loop inside the event";
    EXPECT_TRUE(caption.isEmpty());
    QTimer::singleShot(0, answer);  // queued after the report
    QCoreApplication::processEvents();
    EXPECT_EQ(caption, "VXM-90");
    EXPECT_EQ(text, "Cannot create file.");
    EXPECT_EQ(icon, QMessageBox::Critical);
    app.setErrorReporter({});
}

// The real question boxes, answered with Enter by a timer: only the default button differs.
TEST(QtDialogsTest, EnterAnswersTheDefaultButton) {
    windowTestApp();
    QtDialogs dialogs;
    QString defaultButton;
    const auto pressEnter = [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        defaultButton = box->defaultButton()->text();
        QTest::keyClick(box, Qt::Key_Return);
    };
    QTimer::singleShot(0, pressEnter);
    EXPECT_TRUE(dialogs.confirm(nullptr, "Information", "Quit?"));
    EXPECT_EQ(defaultButton, "&Yes");
    QTimer::singleShot(0, pressEnter);
    EXPECT_FALSE(dialogs.confirmDefaultNo(nullptr, "Information", "Replace?"));
    EXPECT_EQ(defaultButton, "&No");
}

TEST(QtDialogsTest, ErrorBoxShowsItsDetailsAsInformativeText) {
    windowTestApp();
    QtDialogs dialogs;
    QString caption, text, details;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        caption = box->windowTitle();
        text = box->text();
        details = box->informativeText();
        icon = box->icon();
        box->button(QMessageBox::Ok)->click();
    });
    dialogs.errorWithDetails(nullptr, "Failed to Load File!", "File: /d/a.txt\nLine 3: why");
    EXPECT_EQ(caption, "Error");
    EXPECT_EQ(text, "Failed to Load File!");
    EXPECT_EQ(details, "File: /d/a.txt\nLine 3: why");
    EXPECT_EQ(icon, QMessageBox::Critical);
}

// The real save dialog, driven by a timer as a user would: choose the entry, type a name.
TEST(QtDialogsTest, SaveDialogAppendsTheChosenEntrysExtensionBeforeAskingToOverwrite) {
    windowTestApp();
    QTemporaryDir dir;
    QFile existing(dir.filePath(QStringLiteral("old.txt")));
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
    existing.close();
    FileDialogRequest request;
    request.filters = FileCommands::saveFilters();
    request.defaultSuffix = QStringLiteral("xls");
    request.confirmOverwrite = true;
    QtDialogs dialogs;
    QString overwriteQuestion;
    const auto typeName = [&](const char* typed) {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        dialog->setDirectory(dir.path());
        auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
        auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(types, nullptr);
        ASSERT_NE(name, nullptr);
        QTest::keyClick(types, Qt::Key_Down);
        QTest::keyClick(types, Qt::Key_Down);
        ASSERT_EQ(types->currentText(), "Txt File(*.txt)");
        QTest::keyClicks(name, QString::fromLatin1(typed));
        QTimer::singleShot(0, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                overwriteQuestion = box->text();
                box->button(QMessageBox::Yes)->click();
            }
        });
        QTest::keyClick(name, Qt::Key_Return);
    };

    QTimer::singleShot(0, [&] { typeName("readings"); });
    auto chosen = dialogs.saveFile(nullptr, request);
    ASSERT_TRUE(chosen);
    EXPECT_EQ(chosen->fileName.toStdString(),
              dir.filePath(QStringLiteral("readings.txt")).toStdString());
    EXPECT_EQ(chosen->filterIndex, 2);
    EXPECT_TRUE(overwriteQuestion.isEmpty());

    QTimer::singleShot(0, [&] { typeName("old"); });
    chosen = dialogs.saveFile(nullptr, request);
    ASSERT_TRUE(chosen);
    EXPECT_EQ(chosen->fileName.toStdString(),
              dir.filePath(QStringLiteral("old.txt")).toStdString());
    EXPECT_TRUE(overwriteQuestion.contains(QStringLiteral("old.txt")))
        << overwriteQuestion.toStdString();
}

TEST(SystemLocaleTest, ReadsSeparatorsAndTimeFormatOfEachLocale) {
    windowTestApp();
    const SystemLocale german(QLocale(QLocale::German, QLocale::Germany),
                              QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(german.userDecimalSeparator(), ",");
    EXPECT_EQ(german.systemDecimalSeparator(), ".");
    EXPECT_EQ(german.userNumberFormat().decimalSeparator, ',');
    EXPECT_EQ(german.userNumberFormat().thousandSeparator, '.');
    EXPECT_EQ(german.timeSeparator(), ":");
    EXPECT_EQ(german.formatTimeOfDay({15, 5, 9}), "15:05:09");

    const SystemLocale american(QLocale(QLocale::English, QLocale::UnitedStates),
                                QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(american.formatTimeOfDay({15, 5, 9}), "3:05:09 PM");
}

}  // namespace
