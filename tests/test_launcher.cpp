#include "app/application_setup.h"
#include "app/launcher_form.h"
#include "app/program.h"
#include "windows/calculator/calculator_form.h"
#include "windows/directories/element_form.h"
#include "windows/directories/fertilizer_form.h"
#include "store/dataset.h"
#include "core/error.h"
#include "support/test_dir.h"
#include "store/starter_database.h"

#include <QProcess>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <sqlite3.h>

using namespace solvane;

namespace {

std::vector<DataSet*> allSets(Program& p) {
    const ProgramDataSets s = p.dataSets();
    return {s.options,          s.composition, s.components,   s.savedHeads,    s.savedLines,
            s.plainElements,    s.elements,    s.coefficients, s.fertilizers,   s.content,
            s.calcCoefficients, s.crops,       s.targets,      s.waterProfiles, s.waterElements};
}

void execSql(const QString& file, const char* sql) {
    sqlite3* db = nullptr;
    QCOMPARE(sqlite3_open(file.toUtf8().constData(), &db), SQLITE_OK);
    QCOMPARE(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
}

} // namespace

class LauncherTest : public QObject {
    Q_OBJECT
private slots:
    void createsTheWindowsInOrderWithoutShowingAny() {
        test::WorkingDirectory dir;
        CreateStarterDatabase(QStringLiteral("base.mdb"));
        Program program;
        program.messages().setMode(MessageService::Mode::Headless);
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
        // Only the element directory's sets are open before the launcher is shown.
        for (DataSet* s : allSets(program)) {
            const bool ownedByElements = s == &program.Form3->T_Element || s == &program.Form3->T_KOF;
            QCOMPARE(s->isActive(), ownedByElements);
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

        test::WorkingDirectory dir;
        CreateStarterDatabase(QStringLiteral("base.mdb"));
        Program program;
        program.messages().setMode(MessageService::Mode::Headless);
        program.quit = [] {};
        program.Form1->show();
        QStringList captions;
        for (Form* f : program.forms())
            captions << f->windowTitle();
        QCOMPARE(captions, (QStringList{"Solvane v1.2", "Справочник удобрений", "Справочник элементов", "Tarvik v1.2",
                                        "Введите название", "Спарвочник коэффициентов", "Опции", "Конвертер",
                                        "Маточные растворы", "Анализ раствора", "Исходная вода"}));
        program.messages().showError(program.Form1.get(), QStringLiteral("проверка"));
        QCOMPARE(program.messages().shown().back().caption, QStringLiteral("Solvane"));

        QCoreApplication::setApplicationName(testName);
        QGuiApplication::setQuitOnLastWindowClosed(true);
    }

    void showingTheLauncherOpensEveryDataSet() {
        test::WorkingDirectory dir;
        CreateStarterDatabase(QStringLiteral("base.mdb"));
        Program program;
        program.messages().setMode(MessageService::Mode::Headless);
        program.Form1->show();
        QVERIFY(program.Form1->isVisible());
        for (DataSet* s : allSets(program))
            QVERIFY2(s->isActive(), qPrintable(s->name()));
        QCOMPARE(program.Form2->T_Udobra.recordCount(), 34);
        QCOMPARE(program.Form4->ADOTable3.recordCount(), 5);
        QCOMPARE(program.NameMode, 0);
        QVERIFY(program.messages().shown().empty());
        for (Form* f : program.forms())
            QCOMPARE(f->isVisible(), f == program.Form1.get());
    }

    void launcherButtonsShowTheirWindows() {
        test::WorkingDirectory dir;
        CreateStarterDatabase(QStringLiteral("base.mdb"));
        Program program;
        program.messages().setMode(MessageService::Mode::Headless);
        program.Form1->show();
        const QList<QPushButton*> order{program.Form1->RzButton3, program.Form1->RzButton1, program.Form1->RzButton2};
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

        QTest::mouseClick(program.Form1->RzButton3, Qt::LeftButton);
        QVERIFY(program.Form3->isVisible());
        QTest::mouseClick(program.Form1->RzButton1, Qt::LeftButton);
        QVERIFY(program.Form2->isVisible());
        QTest::mouseClick(program.Form1->RzButton2, Qt::LeftButton);
        QVERIFY(program.Form4->isVisible());
        QVERIFY(program.messages().shown().empty());
    }

    void timerOpensTheCalculatorOnceAndStops() {
        test::WorkingDirectory dir;
        CreateStarterDatabase(QStringLiteral("base.mdb"));
        Program program;
        program.messages().setMode(MessageService::Mode::Headless);
        program.Form1->show();
        QVERIFY(!program.Form1->Timer1->isActive());
        QCOMPARE(program.Form1->Timer1->interval(), 100);
        program.Form1->Timer1->start();
        QTRY_VERIFY_WITH_TIMEOUT(program.Form4->isVisible(), 2000);
        QVERIFY(!program.Form1->Timer1->isActive());
        program.Form4->hide();
        QTest::qWait(300);
        QVERIFY(!program.Form4->isVisible());
    }

    void closingTheLauncherClosesEverythingAndEndsTheProgram() {
        test::WorkingDirectory dir;
        CreateStarterDatabase(QStringLiteral("base.mdb"));
        Program program;
        program.messages().setMode(MessageService::Mode::Headless);
        int quits = 0;
        program.quit = [&] { ++quits; };
        program.Form1->show();
        program.Form1->close();
        QCOMPARE(quits, 1);
        for (DataSet* s : allSets(program))
            QVERIFY(!s->isActive());
        QVERIFY(!program.Form1->ADOConnection1.isOpen());
    }

    void anErrorWhileShowingIsReportedAndTheLauncherStillShows() {
        test::WorkingDirectory dir;
        CreateStarterDatabase(QStringLiteral("base.mdb"));
        Program program;
        program.messages().setMode(MessageService::Mode::Headless);
        program.Form1->ADOConnection1.close();
        execSql(QStringLiteral("base.mdb"), "ALTER TABLE t_konc RENAME COLUMN rachet TO other");
        program.Form1->show();
        QVERIFY(program.Form1->isVisible());
        QCOMPARE(program.messages().shown().size(), size_t(1));
        QVERIFY(program.messages().shown().front().text.contains(QStringLiteral("rachet")));
        // The data sets before the failing one were opened; the failing one is closed.
        QVERIFY(program.Form4->ADOTable3.isActive());
        QVERIFY(!program.Form4->ADOTable2.isActive());
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
        } else if (kind == QLatin1String("table")) {
            CreateStarterDatabase(QStringLiteral("base.mdb"));
            execSql(QStringLiteral("base.mdb"), "PRAGMA journal_mode=DELETE; DROP TABLE t_opt;");
        }
        QFile existing(QStringLiteral("base.mdb"));
        if (QFileInfo(existing).isFile() && existing.open(QIODevice::ReadOnly))
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
