// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/application_setup.h"
#include "core/error.h"
#include "store/starter_database.h"
#include "support/program_fixture.h"
#include "windows/calculator/calculator_window.h"
#include "windows/directories/element_directory.h"
#include "windows/directories/fertilizer_directory.h"
#include "windows/solutions/solution_name_dialog.h"

#include <QApplication>
#include <QProcess>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <sys/stat.h>

using namespace solvane;
using test::Child;
using test::ProgramFixture;

class LauncherTest : public QObject {
    Q_OBJECT
private slots:
    void createsTheWindowsInOrderWithoutShowingAny() {
        ProgramFixture fixture;
        fixture.start(false);
        Program& program = fixture.program();
        QStringList names, captions;
        for (Form* f : program.forms()) {
            names << f->objectName();
            captions << f->windowTitle();
            QVERIFY(!f->isVisible());
        }
        QCOMPARE(names, (QStringList{"Form1", "Form2", "Form3", "Form4", "Form5", "Form6", "Form18", "F_Converter",
                                     "F_StockSolutions", "F_Analysis", "WaterProfilesWindow"}));
        QCOMPARE(captions.at(0), QStringLiteral("Solvane v1.2"));
        QCOMPARE(captions.at(5), QStringLiteral("Спарвочник коэффициентов"));
        // Only the elements and the coefficients, every window's lookups, are
        // open before the launcher is shown.
        Database& data = program.data();
        QCOMPARE(data.dataSets().size(), size_t(15));
        for (DataSet* s : data.dataSets()) {
            const bool lookups = s == &data.elements || s == &data.coefficients;
            QCOMPARE(s->isActive(), lookups);
        }
        QVERIFY(program.messages().shown().empty());
    }

    // Titles and box captions are shown exactly as given: the windowing
    // system adds the application's display name to every one of them when
    // the program sets one, and it sets none (the display name follows the
    // application's name). The task bar's title and the standard error box's
    // caption are "Solvane".
    void titlesAndCaptionsAreShownAsGiven() {
        const QString testName = QCoreApplication::applicationName();
        SetUpApplication();
        const QString name = QCoreApplication::applicationName();
        QCoreApplication::setApplicationName(QStringLiteral("probe"));
        const QString displayName = QGuiApplication::applicationDisplayName();
        QCoreApplication::setApplicationName(name);
        QCOMPARE(name, QStringLiteral("Solvane"));
        QCOMPARE(displayName, QStringLiteral("probe"));
        QVERIFY(!QGuiApplication::quitOnLastWindowClosed());

        ProgramFixture fixture;
        fixture.start();
        Program& program = fixture.program();
        QStringList captions;
        for (Form* f : program.forms())
            captions << f->windowTitle();
        QCOMPARE(captions, (QStringList{"Solvane v1.2", "Справочник удобрений", "Справочник элементов", "Tarvik v1.2",
                                        "Введите название", "Спарвочник коэффициентов", "Опции", "Конвертер",
                                        "Маточные растворы", "Анализ раствора", "Исходная вода"}));
        program.messages().showError(&program.launcher(), QStringLiteral("проверка"));
        QCOMPARE(program.messages().shown().back().caption, QStringLiteral("Solvane"));

        QCoreApplication::setApplicationName(testName);
        QGuiApplication::setQuitOnLastWindowClosed(true);
    }

    void showingTheLauncherOpensEveryDataSet() {
        ProgramFixture fixture;
        fixture.start();
        Program& program = fixture.program();
        QVERIFY(program.launcher().isVisible());
        for (DataSet* s : program.data().dataSets())
            QVERIFY2(s->isActive(), qPrintable(s->name()));
        QCOMPARE(program.data().fertilizers.recordCount(), 36);
        QCOMPARE(program.data().crops.recordCount(), 5);
        QCOMPARE(program.nameDialog().mode(), SolutionNameDialog::Mode::NewSolution);
        QVERIFY(program.messages().shown().empty());
        for (Form* f : program.forms())
            QCOMPARE(f->isVisible(), f == &program.launcher());
    }

    void launcherButtonsShowTheirWindows() {
        ProgramFixture fixture;
        fixture.start();
        Program& program = fixture.program();
        LauncherWindow& launcher = program.launcher();
        const QList<QPushButton*> order{Child<QPushButton>(launcher, "RzButton3"),
                                        Child<QPushButton>(launcher, "RzButton1"),
                                        Child<QPushButton>(launcher, "RzButton2")};
        QVERIFY(!order.contains(nullptr));
        QCOMPARE(order.at(0)->text(), QStringLiteral("Элементы"));
        QCOMPARE(order.at(1)->text(), QStringLiteral("Удобрения"));
        QCOMPARE(order.at(2)->text(), QStringLiteral("Калькулятор"));
        // Stacked top to bottom, equal width, bold.
        QVERIFY(order.at(0)->y() < order.at(1)->y() && order.at(1)->y() < order.at(2)->y());
        QCOMPARE(order.at(0)->width(), order.at(2)->width());
        QVERIFY(order.at(1)->font().bold());
        // Focus order: "Удобрения", "Калькулятор", "Элементы".
        QCOMPARE(order.at(1)->nextInFocusChain(), order.at(2));
        QCOMPARE(order.at(0)->focusPolicy() & Qt::TabFocus, Qt::TabFocus);

        QTest::mouseClick(order.at(0), Qt::LeftButton);
        QVERIFY(program.elementDirectory().isVisible());
        QTest::mouseClick(order.at(1), Qt::LeftButton);
        QVERIFY(program.fertilizerDirectory().isVisible());
        QTest::mouseClick(order.at(2), Qt::LeftButton);
        QVERIFY(program.calculator().isVisible());
        QVERIFY(program.messages().shown().empty());
    }

    void timerOpensTheCalculatorOnceAndStops() {
        ProgramFixture fixture;
        fixture.start();
        Program& program = fixture.program();
        LauncherWindow& launcher = program.launcher();
        QVERIFY(!launcher.autoStartPending());
        const QTimer* timer = Child<QTimer>(launcher, "Timer1");
        QVERIFY(timer);
        QCOMPARE(timer->interval(), 100);
        launcher.setAutoStart(true);
        QVERIFY(launcher.autoStartPending());
        QTRY_VERIFY_WITH_TIMEOUT(program.calculator().isVisible(), 2000);
        // Once: the timer stopped with its first tick, so nothing shows the
        // calculator again.
        QVERIFY(!launcher.autoStartPending());
        program.calculator().hide();
        QCoreApplication::processEvents();
        QVERIFY(!program.calculator().isVisible());
    }

    void closingTheLauncherClosesEverythingAndEndsTheProgram() {
        ProgramFixture fixture;
        fixture.start();
        Program& program = fixture.program();
        int quits = 0;
        QObject::connect(&program, &Program::ending, [&] { ++quits; });
        program.launcher().close();
        QCOMPARE(quits, 1);
        for (DataSet* s : program.data().dataSets())
            QVERIFY(!s->isActive());
        QVERIFY(!program.data().connection().isOpen());
    }

    // The end comes at once: the other windows are not closed first, so the
    // calculator's closing sequence does not run (its size is not saved) and
    // cannot hold the end up when it fails (a folder that cannot be written).
    void closingTheLauncherEndsTheEventLoopWithoutClosingTheOthers() {
        test::WorkingDirectory dir;
        CreateStarterDatabase(QStringLiteral("base.mdb"));
        Program program;
        program.messages().setMode(MessageService::Mode::Headless);
        program.launcher().show();
        program.calculator().show();
        QTimer::singleShot(0, &program.launcher(), [&program] { program.launcher().close(); });
        // Only if the end never came: the test fails instead of hanging.
        QTimer::singleShot(20000, [] { QCoreApplication::exit(2); });
        QCOMPARE(QApplication::exec(), 0);
        QVERIFY(program.calculator().isVisible());
        QVERIFY(!program.data().connection().isOpen());
    }

    void anErrorWhileShowingIsReportedAndTheLauncherStillShows() {
        ProgramFixture fixture;
        fixture.start(false);
        Program& program = fixture.program();
        program.data().connection().close();
        fixture.sql().exec(QStringLiteral("ALTER TABLE t_konc RENAME COLUMN rachet TO other"));
        program.launcher().show();
        QVERIFY(program.launcher().isVisible());
        QCOMPARE(program.messages().shown().size(), size_t(1));
        QVERIFY(program.messages().shown().front().text.contains(QStringLiteral("rachet")));
        // The base opened again is refused as a whole (a described column is
        // missing): no data set is read from it.
        QVERIFY(!program.data().connection().isOpen());
        QVERIFY(!program.data().crops.isActive());
        QVERIFY(!program.data().targets.isActive());
    }

    void startupRefusesABadDatabaseWithoutAWindow_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("reason");
        QTest::newRow("missing") << "missing"
                                 << "файл не найден";
        QTest::newRow("empty file") << "empty"
                                    << "нет таблицы";
        QTest::newRow("random bytes") << "random"
                                      << "не является базой данных";
        QTest::newRow("directory") << "directory"
                                   << "папка";
        QTest::newRow("missing table") << "table"
                                       << "t_opt";
        // Refused by name before anything waits on it, the Access question included.
        QTest::newRow("fifo") << "fifo"
                              << "именованный канал";
    }
    void startupRefusesABadDatabaseWithoutAWindow() {
        QFETCH(QString, kind);
        QFETCH(QString, reason);
        test::WorkingDirectory dir;
        QByteArray before;
        if (kind == QLatin1String("empty") || kind == QLatin1String("random")) {
            QFile f(QStringLiteral("base.mdb"));
            QVERIFY(f.open(QIODevice::WriteOnly));
            if (kind == QLatin1String("random"))
                for (int i = 0; i < 4096; ++i)
                    f.putChar(char((i * 7919 + 13) % 251));
            f.close();
        } else if (kind == QLatin1String("directory")) {
            QVERIFY(QDir().mkdir(QStringLiteral("base.mdb")));
        } else if (kind == QLatin1String("fifo")) {
            QCOMPARE(::mkfifo("base.mdb", 0600), 0);
        } else if (kind == QLatin1String("table")) {
            CreateStarterDatabase(QStringLiteral("base.mdb"));
            test::SqlFile(QStringLiteral("base.mdb"))
                .script(QStringLiteral("PRAGMA journal_mode=DELETE; DROP TABLE t_opt;"));
        }
        QFile existing(QStringLiteral("base.mdb"));
        if (kind != QLatin1String("fifo") && QFileInfo(existing).isFile() && existing.open(QIODevice::ReadOnly))
            before = existing.readAll();
        existing.close();

        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("SOLVANE_DIALOGS"), QStringLiteral("stderr"));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        process.setProcessEnvironment(env);
        process.start(QStringLiteral(SOLVANE_BINARY), {});
        QVERIFY(process.waitForFinished(20000));
        QCOMPARE(process.exitCode(), 1);
        const QString err = QString::fromLocal8Bit(process.readAllStandardError());
        QVERIFY2(err.contains(QStringLiteral("base.mdb")), qPrintable(err));
        QVERIFY2(err.contains(reason), qPrintable(err));

        if (!before.isEmpty() || kind == QLatin1String("empty")) {
            QFile after(QStringLiteral("base.mdb"));
            QVERIFY(after.open(QIODevice::ReadOnly));
            QCOMPARE(after.readAll(), before);
        }
    }
};

QTEST_MAIN(LauncherTest)
#include "test_launcher.moc"
